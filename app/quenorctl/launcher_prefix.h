#pragma once

#include <optional>
#include <string>

#include "core/platform/environment.h"

namespace quenor::ctl {

// The Wine prefix a launcher gives the game it starts, in this order: --prefix; Proton's
// STEAM_COMPAT_DATA_PATH (the prefix is its "pfx" folder); nothing, so that WINEPREFIX
// (which Lutris, Heroic, Bottles and plain Wine set) or else the search decides. Throws
// std::invalid_argument saying what is wrong with a STEAM_COMPAT_DATA_PATH that names no
// prefix, rather than searching elsewhere for a game the launcher did not mean.
struct LauncherPrefix {
    std::string path;
    std::string source;  // where it came from: "--prefix", "STEAM_COMPAT_DATA_PATH"
};
std::optional<LauncherPrefix> launcherPrefix(const std::string& prefixOption,
                                             const Environment& environment);

}  // namespace quenor::ctl
