#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

namespace quenor::host {

// An NHL 09 installation in a Wine prefix, as the search finds it.
struct Installation {
    std::string launcher;           // "Wine", "Lutris", "Steam", "Bottles", "PlayOnLinux"
    std::filesystem::path prefix;   // the prefix folder, links resolved
    std::string installDir;         // the game's "Install Dir" (a Windows path)
    std::filesystem::path archive;  // preload/fmisc.viv on this machine
    std::int64_t lastPlayed = 0;    // user.reg's modification time (ns since the epoch)
};

// A place the search looked at and left out, with the reason, for the player.
struct LeftOut {
    std::filesystem::path place;
    std::string reason;
};

struct SearchResult {
    std::vector<Installation> found;  // each prefix once
    std::vector<LeftOut> leftOut;
    std::vector<std::string> lookedIn;  // the places searched, in words ("~/.wine", ...)
};

}  // namespace quenor::host
