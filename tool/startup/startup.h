#pragma once

#include <string>

#include "core/tool.h"

namespace quenor {

// What start-up needs of the window: the version label and the four steps of showing the
// loaded settings in the controls (each selects its option group, which runs its handler).
class StartUpWindow {
  public:
    virtual ~StartUpWindow() = default;
    virtual void setVersionCaption(const std::string& caption) = 0;
    virtual void reflectResolution() = 0;
    virtual void reflectVsync() = 0;
    virtual void reflectFpsBoost() = 0;
    virtual void reflectLogging() = 0;
};

// "Windows Vista" for minor version 0, "Windows XP" for 1, else the empty text; the major
// version is not consulted.
std::string getWindowsVersion(const SystemInfo& system);

// The start-up sequence: load or create the settings key, write the log header, find the
// game folder, derive the archive path and the temporary folder, reflect the settings.
void runStartUp(Tool& tool, StartUpWindow& window);

// The closing lines of the log.
void runShutDown(Tool& tool);

}  // namespace quenor
