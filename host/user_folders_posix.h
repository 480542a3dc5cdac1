#pragma once

#include <filesystem>
#include <optional>
#include <string_view>
#include <vector>

#include "core/platform/environment.h"

namespace quenor::host {

// The user's home folder: $HOME when it is an absolute path, else the password database's
// entry of the running user, else the current folder.
std::filesystem::path homeFolder(const Environment& environment);

// An XDG base folder: the variable when it holds an absolute path (relative values are
// ignored, as the XDG rules say), else the home folder followed by `fallbackBelowHome`.
std::filesystem::path xdgFolder(const Environment& environment, std::string_view variable,
                                std::string_view fallbackBelowHome);

// The tool's own registry files when no Wine prefix is used: $XDG_CONFIG_HOME/quenor.
std::filesystem::path configFolder(const Environment& environment);

// The folder for the log and the fallback temporary folder when the executable's folder
// cannot be used: $XDG_STATE_HOME/quenor.
std::filesystem::path stateFolder(const Environment& environment);

// Where the originals of the installations in a Wine prefix are kept before the tool first
// changes them: in the prefix itself, ".quenor/originals", so that every account, home and
// program copy that reaches the prefix, by any path, finds the one set. Without a prefix (the
// tool's own registry files): $XDG_STATE_HOME/quenor/originals/tool-registry.
std::filesystem::path originalsFolder(const Environment& environment,
                                      const std::optional<std::filesystem::path>& prefix);

// Where earlier versions kept them, for a prefix whose real path is `real`, reached now through
// `reached`: $XDG_STATE_HOME/quenor/originals/ and a folder named after the path the prefix was
// reached through (its name and a digest of the whole path); one folder for each of the two
// paths, or one when they are the same.
std::vector<std::filesystem::path> earlierOriginalsFolders(const Environment& environment,
                                                           const std::filesystem::path& real,
                                                           const std::filesystem::path& reached);

// The file that marks a folder of programs as installed although the user may write into it:
// the portable bundle's install.sh puts it into the bin folder it installs below the home.
inline constexpr const char* kInstalledMarker = ".quenor-installed";

// True when the folder of an installed copy: one below /usr, one that holds the marker above,
// or one the running user cannot write into. A portable copy (an unpacked or self-built one)
// keeps its log beside itself.
bool isInstalledFolder(const std::filesystem::path& executableFolder);

// The tool folder of a run: the executable's folder for a portable copy, else the state
// folder. `installed` tells which of the two the executable's folder is.
std::filesystem::path chooseToolFolder(const std::filesystem::path& executableFolder,
                                       const Environment& environment, bool installed);

}  // namespace quenor::host
