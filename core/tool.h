#pragma once

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "core/platform/clock.h"
#include "core/platform/environment.h"
#include "core/platform/file_system.h"
#include "core/platform/message_box.h"
#include "core/settings_model.h"
#include "lib/base/failure.h"
#include "lib/registry/registry_store.h"
#include "lib/registry/registry_transaction.h"

namespace quenor {

// The platform services one run of the tool works through. Tests put fakes or temporary
// folders here; the programs put the real platform.
struct PlatformServices {
    FileSystem& files;
    const Clock& clock;
    const RegionalFormat& regionalFormat;
    const Environment& environment;
    const SystemInfo& system;
    MessageBoxes& messageBoxes;
    reg::RegistryStore& registry;
    // How the registry's changes are saved: at the end of each change for Wine's registry
    // files, at once (reg::liveRegistry()) for a live registry.
    reg::RegistryTransaction& registryTransaction;
    std::string toolFolder;   // folder of the executable, without a final separator
    std::string programName;  // executable's file name without folder and extension
    // Where the originals of this machine's (or Wine prefix's) installations are kept before
    // the tool first changes them; empty: none are kept (tests that do not look at them).
    std::filesystem::path originalsFolder = {};
    // Where earlier versions kept them, when elsewhere: a set found there is taken over.
    std::vector<std::filesystem::path> earlierOriginalsFolders = {};
    // How long a change waits for another process's change of the same installation before
    // it asks whether to wait longer (InstallationLock).
    std::chrono::milliseconds changeLockWait = std::chrono::seconds(10);
    // Why the game must not be written now (Wine runs for its prefix and holds its registry);
    // nothing when it may. A change asks just before its first write of the game; no function:
    // nothing stands in the way.
    std::function<std::optional<quenor::Failure>()> whyGameMustNotBeWritten = {};
};

// What the change under way has done to the game so far, for the report of a change that
// stops halfway: the files it wrote, each with the parts of it written (the game archive and
// its entries), in the order written, what it could not write (a registry file with the
// values it misses), and why it stopped.
struct ChangeReport {
    struct Written {
        std::string file;
        std::vector<std::string> parts;
    };
    // Why a change stopped short, as the player was told: the check that refused it (its title
    // and text: the values typed, the game's folder) or a failure's cause (no title).
    struct Stop {
        std::string title;
        std::string reason;
    };
    std::vector<Written> written;
    std::vector<quenor::Failure> notWritten;
    std::optional<Stop> stopped;

    void noteWritten(const std::string& file, const std::string& part) {
        auto known = std::find_if(written.begin(), written.end(),
                                  [&](const Written& w) { return w.file == file; });
        if (known == written.end()) known = written.insert(written.end(), Written{file, {}});
        if (std::find(known->parts.begin(), known->parts.end(), part) == known->parts.end())
            known->parts.push_back(part);
    }
};

// One run of the tool: its services, the settings model and the patch values, reachable by
// every routine.
class Tool {
  public:
    explicit Tool(PlatformServices platform) : services(std::move(platform)) {}
    Tool(const Tool&) = delete;
    Tool& operator=(const Tool&) = delete;

    PlatformServices services;
    SettingsModel settings;
    PatchValues patch;
    // Told before each write into the game archive (the entry, and the file whose content it
    // gets, in the form FileSystem::io() takes) while a change that keeps originals runs, so that
    // it notes what it is about to write before it writes. Throwing stops the write.
    std::function<void(const std::string& entryName, const std::filesystem::path& source)>
        beforeArchiveChange;
    // What the change under way has written (cleared when a change starts).
    ChangeReport changeReport;
};

}  // namespace quenor
