#pragma once

#include <string>

// What the tool knows of an installed NHL 09: where its registry keys and values are, where
// its archive lies below its folder, and how the archive names the config file of each
// resolution frame. Every part of the tool takes these names from here.
namespace quenor::game {

// The game's key: below HKEY_LOCAL_MACHINE it holds the installation, below
// HKEY_CURRENT_USER the display settings the tool writes.
inline constexpr const char* kKeyPath = "Software\\EA Sports\\NHL 09";
inline constexpr const char* kInstallDirValue = "Install Dir";  // the game folder, "\" at its end
inline constexpr const char* kGfxModeValue = "GFX Mode";        // REG_DWORD: the frame, 1 to 4

// The key of "OnPlay Player" (REG_DWORD, the player detail level). Apply writes it as
// "EA SPorts", with a capital P, and Reset as "EA Sports": registry names match without
// regard to case, so both reach one key, and each keeps its spelling in the log.
inline constexpr const char* kDetailsKeyPathAsApplyWritesIt =
    "Software\\EA SPorts\\NHL 09\\Details Settings";
inline constexpr const char* kDetailsKeyPath = "Software\\EA Sports\\NHL 09\\Details Settings";
inline constexpr const char* kOnPlayPlayerValue = "OnPlay Player";

// The archive, appended to the game folder as it is (the folder ends with its separator).
inline constexpr const char* kArchiveBelowGameFolder = "preload\\fmisc.viv";

// The game's four resolution frames, 1 to 4 (800 x 600 ... 1600 x 1200).
inline constexpr int kFrameCount = 4;
// The archive entry of a frame's config file: "sgsm1.cfg" ... "sgsm4.cfg".
inline std::string configEntryName(int frame) {
    return "sgsm" + std::to_string(frame) + ".cfg";
}

}  // namespace quenor::game
