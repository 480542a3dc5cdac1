#pragma once

#include <filesystem>
#include <optional>
#include <string>

namespace quenor::host {

// A running process of a Wine prefix, found by the processes themselves: Proton and the
// Flatpak launchers run their wineserver in a sandbox whose folders the host may not see, so
// the server's lock can be missed. Counts, other than this process and those that started it:
// - a Wine program (its executable or first argument named "wine...", or its first argument
//   ending in ".exe") whose WINEPREFIX names the prefix or whose working folder lies in it;
//   other programs with WINEPREFIX set (a launcher's script, the other end of a pipe) hold
//   nothing of the registry;
// - a process with an argument in the game's folder (the game itself), given by its host path
//   or its Windows "Install Dir".
// Returns "process <pid> (<name>)" for the first one found.
struct PrefixProcessSearch {
    std::filesystem::path prefix;
    std::optional<std::filesystem::path> gameFolder;  // host path
    std::string installDir;                           // Windows path, may be empty
    std::filesystem::path procRoot = "/proc";
};
std::optional<std::string> findProcessOfPrefix(const PrefixProcessSearch& search);

}  // namespace quenor::host
