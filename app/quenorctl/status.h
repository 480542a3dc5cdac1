#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "host/host_platform.h"
#include "lib/registry/registry_store.h"
#include "tool/originals/restore_originals.h"
#include "tool/patching/drift.h"

namespace quenor::ctl {

// What the game is set to now, read without starting the tool: no log line, nothing written.
struct FrameStatus {
    int frame = 0;
    std::string entry;  // "sgsm1.cfg"
    // The values of the entry's keyed lines, in the order of the lines.
    std::vector<std::string> deviceWidth;
    std::vector<std::string> deviceHeight;
    std::vector<std::string> enableVsync;
    std::string error;  // the entry cannot be read
};

// The size the game starts at: the frame "GFX Mode" selects, and the size its entry holds.
struct StartingSize {
    std::int32_t width = 0;
    std::int32_t height = 0;
    int frame = 0;
};

struct Status {
    std::string registry;  // where the registry lives, in words
    std::optional<host::HostPlatform::Prefix> prefix;
    bool wineRunning = false;
    std::string installDir;   // the game's "Install Dir"; empty when the game is not installed
    std::string archive;      // the archive's path as the tool names it
    std::string archiveHost;  // and on this machine
    std::string archiveError;
    std::string installDirHint;  // something odd of "Install Dir" the player should know
    std::vector<FrameStatus> frames;
    std::optional<std::int32_t> gfxMode;
    // "GFX Mode" when it is set but not a DWORD, as the tool reads it ("\"3\""); else empty.
    std::string gfxModeNotDword;
    std::optional<std::int32_t> onPlayPlayer;
    // What the game starts at; when that is not known, why not.
    std::optional<StartingSize> startsAt;
    std::string startsAtUnknown;
    // The screen the game will be shown on (or why there is none).
    host::Screen screen;
    // The tool's own settings ("Version", "Resolution", ...) as stored; empty when none are.
    std::vector<std::pair<std::string, std::string>> settings;
    // Where the game differs from what Apply of the stored settings writes (empty: it holds
    // them); nothing when no settings are stored or the game is not installed.
    std::optional<std::vector<patching::Difference>> drift;
    // The originals kept before Quenor's first change, and how the installation compares.
    originals::OriginalsState originals;
};

// Why no command can use the game's folder "Install Dir" names, with what to do; empty when
// it is usable.
std::string unusableGameFolder(const FileSystem& files, const std::string& installDir);

// The archive's path as the tool names it ("Install Dir" and "preload\fmisc.viv"); nothing
// when the game is not installed.
std::optional<std::string> archiveToolPath(const PlatformServices& services);

// Reads the status through a platform opened for a look (HostPlatform::Use::Inspect).
Status readStatus(host::HostPlatform& platform);

// The status as one JSON document (see the quenorctl manual for its shape), and as text.
nlohmann::ordered_json statusJson(const Status& status);
std::string statusText(const Status& status);

}  // namespace quenor::ctl
