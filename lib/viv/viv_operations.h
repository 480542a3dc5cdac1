#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

#include "lib/files/file_io.h"
#include "lib/viv/archive_edit.h"

namespace quenor::viv {

// The two archive operations of the patcher. Both throw ArchiveError (a complete sentence
// naming the archive, the entry and the cause) and leave nothing half-written.

// Writes the plain content (decoded when stored compressed) of the entry a loader uses for
// `name` to `destination`, replacing that file safely (temporary file, sync, rename).
void exportEntry(const std::filesystem::path& archive, std::string_view name,
                 const std::filesystem::path& destination, files::FileIo& io);

// Stores the content of `source` under its own file name (or `name` when given): replaces the
// entry of that name, compressed again when it was stored compressed, or adds it at the end.
UpdateResult addFile(const std::filesystem::path& archive, const std::filesystem::path& source,
                     files::FileIo& io, std::optional<std::string> name = std::nullopt);

}  // namespace quenor::viv
