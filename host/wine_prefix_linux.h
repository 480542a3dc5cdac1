#pragma once

#include <filesystem>
#include <string>

#include "core/platform/environment.h"

namespace quenor::host {

// Where the registry of a run lives.
struct RegistryLocation {
    enum class Kind {
        WinePrefix,  // a Wine prefix: its system.reg and user.reg, its drives
        ToolStore,   // the tool's own registry files, on a machine without a Wine prefix
    };
    Kind kind = Kind::ToolStore;
    std::filesystem::path folder;
};

// The registry of a run: the prefix $WINEPREFIX names when it is set; else ~/.wine when it
// holds system.reg and user.reg; else the tool's own store under $XDG_CONFIG_HOME/quenor.
// A WINEPREFIX that is not an absolute path or names no folder is refused with ToolError.
RegistryLocation findRegistryLocation(const Environment& environment,
                                      const std::string& programName);

// Refuses, with ToolError, a prefix folder without system.reg: the tool does not create or
// adopt a prefix Wine has not made (or whose wineserver has not saved it yet).
void requireRegistryFiles(const RegistryLocation& location, const std::string& programName);

}  // namespace quenor::host
