#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "core/platform/message_box.h"
#include "host/finding/installation.h"
#include "lib/files/file_io.h"

namespace quenor::host {

// What the tool remembers between starts, in its state folder: the prefix last opened (or
// named by WINEPREFIX), and the prefixes the last search found.
struct InstallationMemory {
    std::optional<std::filesystem::path> opened;
    std::vector<std::filesystem::path> found;
    bool remembered = false;  // read from a file: the tool has started here before

    // A missing or unreadable file gives an empty memory (as before the first start).
    static InstallationMemory load(files::FileIo& io, const std::filesystem::path& file);
    // Writes the file atomically; a failure is ignored (the next start only asks again).
    void save(files::FileIo& io, const std::filesystem::path& file) const;
};

// The installation a start without WINEPREFIX opens, and the box it shows first, if any.
struct InstallationChoice {
    std::optional<Installation> chosen;  // nothing: no installation was found
    std::optional<MessageBoxRequest> notice;
    InstallationMemory memory;  // what to remember once the run goes ahead
};

// One installation: that one. Several: the one opened last, when it is still found, else the
// one played most recently (the newest user.reg). When the installations found are not those
// of the last start, an information box lists them, says which one opens and how to open
// another; when none is found, an information box says where the tool looked and how to point
// it at the game.
InstallationChoice chooseInstallation(const SearchResult& search, const InstallationMemory& last);

}  // namespace quenor::host
