#pragma once

#include "lib/files/file_io.h"

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "core/platform/environment.h"
#include "core/platform/message_box.h"

namespace quenor::host {

// Where the wineserver of a prefix keeps its folder "server-<dev>-<ino>" (dev and inode of
// the prefix folder in lowercase hex) with its "lock" file:
// - upstream Wine: <upstreamRoot>/.wine-<uid>/;
// - Debian's build: a folder whose name the prefix's file "wineserver" records, below one
//   of the debianBases.
struct WineserverSearch {
    std::filesystem::path upstreamRoot = "/tmp";
    std::vector<std::filesystem::path> debianBases;
    // Also look for a wineserver process whose working folder is the server folder (finds a
    // server whose folder lies elsewhere).
    bool scanProcesses = true;
};

// The places a running Wine of this user uses: $XDG_RUNTIME_DIR, /run/user/<uid>,
// $TMPDIR and /tmp (with and without a "wine" folder below).
WineserverSearch wineserverSearchFor(const Environment& environment);

// "server-<dev>-<ino>" of a prefix folder; empty when the folder cannot be examined.
std::string serverFolderName(const std::filesystem::path& prefix);

// True when a process holds a lock on the file (tested without creating or changing it).
bool isLockHeld(const std::filesystem::path& lockFile);

// The server folder of the prefix's running wineserver, or nothing when none runs. The prefix's
// own files are read through `io`.
std::optional<std::filesystem::path> findRunningWineserver(files::FileIo& io,
                                                           const std::filesystem::path& prefix,
                                                           const WineserverSearch& search);

// Why the tool does not start while the prefix's wineserver runs, in one sentence.
std::string wineRunningReason(const std::filesystem::path& prefix);
// The one box the tool shows, instead of starting, while the prefix's wineserver runs.
MessageBoxRequest wineRunningRefusal(const std::filesystem::path& prefix);

}  // namespace quenor::host
