#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <span>
#include <string_view>

#include "lib/files/file_io.h"
#include "lib/refpack/refpack.h"

namespace quenor::viv {

enum class UpdateMethod {
    kInPlace,    // new data in free space, committed by one small directory write
    kRewritten,  // a complete new archive renamed over the old one
};

struct UpdateResult {
    std::size_t index = 0;  // the entry's position in the directory
    bool added = false;     // true when no entry of the name existed
    UpdateMethod method = UpdateMethod::kInPlace;
    std::optional<refpack::RefPackForm>
        compression;  // the form the data was stored in, if compressed
    std::uint64_t storedSize = 0;
};

// Stores `plain` under `name`: replaces the entry a loader uses for that name (the last one
// matching without regard to letter case) or adds a new entry at the end of the directory.
// A replaced entry that was stored compressed is stored compressed in the same header form.
//
// The update is crash-safe: if it is interrupted at any point the archive reads as either
// the old or the new content. Replacing writes the new data where no entry's data lies
// (a free gap, else past the end), syncs, and then commits by one write of the entry's
// offset and size, which never crosses a page boundary. Adding an entry, or a replacement
// whose record crosses a page boundary, writes a complete new archive to a temporary file
// in the same folder, syncs it and renames it over the old one.
// Throws ArchiveError naming the archive, the entry and the cause.
UpdateResult putEntry(files::FileIo& io, const std::filesystem::path& archive,
                      std::string_view name, std::span<const std::uint8_t> plain);

// Checks that a name can be stored in an archive; throws ArchiveError otherwise.
void checkEntryName(const std::string& archive, std::string_view name);

}  // namespace quenor::viv
