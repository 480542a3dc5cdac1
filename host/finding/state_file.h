#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>

#include "lib/files/file_io.h"

namespace quenor::host {

// A small file of the tool's own state (what a search found, which installation was opened):
// only remembered, so a file that cannot be read counts as missing, and one that cannot be
// written is forgotten until the next run.
//
// The text of the file, or nothing when it is missing, larger than maxBytes or unreadable.
std::optional<std::string> readStateFile(files::FileIo& io, const std::filesystem::path& file,
                                         std::uint64_t maxBytes);
// Replaces the file atomically, making its folder first; a failure is left unsaid.
void writeStateFile(files::FileIo& io, const std::filesystem::path& file, const std::string& text);

}  // namespace quenor::host
