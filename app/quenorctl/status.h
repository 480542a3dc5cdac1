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
    std::optional<std::string> deviceWidth;
    std::optional<std::string> deviceHeight;
    std::optional<std::string> enableVsync;
    std::string error;  // the entry cannot be read
};

struct Status {
    std::string registry;  // where the registry lives, in words
    std::optional<host::HostPlatform::Prefix> prefix;
    bool wineRunning = false;
    std::string installDir;   // the game's "Install Dir"; empty when the game is not installed
    std::string archive;      // the archive's path as the tool names it
    std::string archiveHost;  // and on this machine
    std::string archiveError;
    std::vector<FrameStatus> frames;
    std::optional<std::int32_t> gfxMode;
    std::optional<std::int32_t> onPlayPlayer;
    // The tool's own settings ("Version", "Resolution", ...) as stored; empty when none are.
    std::vector<std::pair<std::string, std::string>> settings;
    // Where the game differs from what Apply of the stored settings writes (empty: it holds
    // them); nothing when no settings are stored or the game is not installed.
    std::optional<std::vector<patching::Difference>> drift;
    // The originals kept before Quenor's first change, and how the installation compares.
    originals::OriginalsState originals;
};

// The archive's path as the tool names it ("Install Dir" and "preload\fmisc.viv"); nothing
// when the game is not installed.
std::optional<std::string> archiveToolPath(const PlatformServices& services);

// Reads the status through a platform opened for a look (HostPlatform::Use::Inspect).
Status readStatus(host::HostPlatform& platform);

// The status as one JSON document (see the quenorctl manual for its shape), and as text.
nlohmann::ordered_json statusJson(const Status& status);
std::string statusText(const Status& status);

}  // namespace quenor::ctl
