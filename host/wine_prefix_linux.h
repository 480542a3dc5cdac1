#pragma once

#include "lib/files/file_io.h"

#include <filesystem>
#include <functional>
#include <optional>
#include <string>

#include "core/platform/environment.h"
#include "core/platform/message_box.h"
#include "host/finding/installation.h"

namespace quenor::host {

// Where the registry of a run lives.
struct RegistryLocation {
    enum class Kind {
        WinePrefix,  // a Wine prefix: its system.reg and user.reg, its drives
        ToolStore,   // the tool's own registry files, on a machine without the game
    };
    Kind kind = Kind::ToolStore;
    std::filesystem::path folder;
    // The game the search found in the prefix (nothing when WINEPREFIX named it).
    std::optional<Installation> installation;
    // An information box to show before start-up: the installations found, or where the tool
    // looked when it found none.
    std::optional<MessageBoxRequest> notice;
    // Keeps the choice and what was found for the next start, in the tool's state folder;
    // called once the run goes ahead (a refused run writes nothing).
    std::function<void()> remember;
};

// The registry of a run: the prefix $WINEPREFIX names when it is set (and remembered as the
// player's choice); else the NHL 09 installation the search finds (see searchInstallations
// and chooseInstallation; the tool's state folder keeps what it needs between starts); else
// the tool's own store under $XDG_CONFIG_HOME/quenor. A WINEPREFIX that is not an absolute
// path or names no folder is refused with ToolError.
RegistryLocation findRegistryLocation(files::FileIo& io, const Environment& environment,
                                      const std::string& programName);

// Refuses, with ToolError, a prefix folder without system.reg: the tool does not create or
// adopt a prefix Wine has not made (or whose wineserver has not saved it yet).
void requireRegistryFiles(const RegistryLocation& location, const std::string& programName);

}  // namespace quenor::host
