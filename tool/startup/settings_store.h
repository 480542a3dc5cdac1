#pragma once

#include "core/tool.h"

namespace quenor {

inline constexpr const char* kToolVersion = "1.0";
inline constexpr const char* kSettingsKeyPath = "Software\\Olm\\Quenor";

// Puts the tool's default choices into the settings model ("No Change", frame prompt,
// VSYNC on, FPS boost off, logging on); width, height and paths stay as they are.
void setDefaultValues(Tool& tool);

// Saves "Version" and the seven stored fields to the settings key, creating it if needed.
void createQuenorRegistry(Tool& tool);

// Loads the seven stored fields from the settings key. A missing value loads as 0, and so
// does a value that cannot be read as a number of the field's size (a hand-edited key):
// the tool then runs on its default for that field, and the next save repairs the value.
void getQuenorRegistry(Tool& tool);

// The stored "Log" field as getQuenorRegistry loads it, read without log lines: whether a
// change made outside the window (quenorctl restore) is logged. 0, logging on, when the tool
// has stored no settings yet.
std::int16_t storedLogSetting(const PlatformServices& services);

// The seven stored fields as getQuenorRegistry loads them, read without log lines (a look at
// what Quenor's settings ask for).
void loadStoredSettings(const PlatformServices& services, SettingsModel& settings);

}  // namespace quenor
