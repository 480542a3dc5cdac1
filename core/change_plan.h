#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "core/choices.h"
#include "core/player_choices.h"

// What a change of the game writes, stated once: the plan Apply and Reset are checked against
// before they write, read back against after, and that the drift report compares the game
// with. The originals keep, and a restore puts back, the registry values plans write.
namespace quenor {

// A DWORD value below HKEY_CURRENT_USER. The key is named as the change spells it (Apply and
// Reset spell "EA Sports" apart): registry names match without regard to letter case.
struct PlannedDword {
    std::string keyPath;
    std::string name;
    std::int32_t value = 0;
};

struct ChangePlan {
    // Per config entry of the game archive, the keyed lines rewritten and the value each
    // holds afterwards ("sgsm3.cfg" -> {"devicewidth" -> "1280", ...}).
    std::map<std::string, std::map<std::string, std::string>> entries;
    // The registry values written, each with the value it holds at the end of the change.
    std::vector<PlannedDword> registry;
};

// The game as it was installed: what Reset writes.
namespace retail {

inline constexpr const char* kEnableVsync = "true";
// Reset writes the four frames (each setting "GFX Mode" on its way), then these.
inline constexpr std::int16_t kGfxMode = 2;
inline constexpr std::int16_t kOnPlayPlayer = 250;

// The retail size of frame 1 to 4.
const choices::Frame& frame(int frame);

}  // namespace retail

// What Apply writes with the choices, which must not be refused (sizeOfOwnRefused): the frame's
// size and "GFX Mode" unless the resolution is "No Change", VSYNC in every frame, and
// "OnPlay Player".
ChangePlan plannedApply(const PlayerChoices& chosen);

// Reset's plan: the retail size of every frame, VSYNC on, "GFX Mode" 2 and "OnPlay Player" 250.
ChangePlan plannedReset();

// The registry values (key and name) any plan of Apply or Reset writes, each once (Apply and
// Reset spell one key apart: Reset's spelling is kept): the originals keep these before the
// first change, and a restore writes no others.
std::vector<PlannedDword> registryValuesChangesWrite();

// The keys on the way to those values below "Software", parents first ("Software\EA Sports",
// "...\NHL 09", "...\Details Settings"): a change creates them when they are missing.
std::vector<std::string> registryKeysChangesMake();

}  // namespace quenor
