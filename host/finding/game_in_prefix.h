#pragma once

#include <filesystem>
#include <optional>
#include <string>

#include "host/finding/installation.h"

namespace quenor::files {
class FileIo;
}

namespace quenor::host {

// The game's "Install Dir" as a prefix's system.reg holds it: below
// Software\Wow6432Node\EA Sports\NHL 09 (the 32-bit view of a win64 prefix), else below
// Software\EA Sports\NHL 09. Reads the file as text without loading the whole registry.
// Nothing when the file holds no such value; throws WineRegistryError for a file that cannot
// be read or whose game key cannot be parsed.
std::optional<std::string> installDirInSystemReg(files::FileIo& io,
                                                 const std::filesystem::path& systemReg);

// The installation in `prefix` when its registry names the game and the game's archive lies
// where "Install Dir" leads through the prefix's drives; otherwise nothing, with `whyNot` set.
std::optional<Installation> gameInPrefix(files::FileIo& io, const std::filesystem::path& prefix,
                                         const std::string& launcher, std::string& whyNot);

// The same for an "Install Dir" already read from the prefix's registry (empty: none).
std::optional<Installation> installationAt(files::FileIo& io, const std::filesystem::path& prefix,
                                           const std::string& launcher,
                                           const std::string& installDir, std::string& whyNot);

}  // namespace quenor::host
