#pragma once

#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "lib/files/file_io.h"
#include "lib/refpack/refpack.h"
#include "lib/viv/big_archive.h"

namespace quenor::viv {

// The largest plain content this tool decodes from one entry.
inline constexpr std::size_t kMaxPlainSize = 256u << 20;

// What a listing shows of one entry.
struct EntryInfo {
    std::string name;
    std::uint32_t offset = 0;
    std::uint64_t storedSize = 0;
    std::uint64_t plainSize = 0;                      // equals storedSize when not compressed
    std::optional<refpack::RefPackForm> compression;  // set when stored RefPack-compressed
};

// An archive opened for reading. Opening reads the header and directory only; entry data is
// read when asked for.
class ArchiveReader {
  public:
    ArchiveReader(files::FileIo& io, const std::filesystem::path& path);
    // Reads from an already open file (used by the editor, which holds the file for writing).
    ArchiveReader(std::unique_ptr<files::FileHandle> file, std::string displayName);

    const ArchiveDirectory& directory() const { return directory_; }
    const std::string& displayName() const { return name_; }
    std::uint64_t fileSize() const { return fileSize_; }
    files::FileHandle& file() { return *file_; }

    // The index of the entry a loader uses for `name`, or an ArchiveError naming the archive.
    std::size_t require(std::string_view name) const;

    EntryInfo info(std::size_t index);
    std::vector<std::uint8_t> readStored(std::size_t index);
    // The entry's content, decoded when stored compressed.
    std::vector<std::uint8_t> readPlain(std::size_t index);
    // Passes the plain content to `sink` in pieces of at most 1 MiB (uncompressed entries are
    // never held whole in memory).
    void streamPlain(std::size_t index,
                     const std::function<void(std::span<const std::uint8_t>)>& sink);

    // "Archive X: entry N (name)" for messages.
    std::string describeEntry(std::size_t index) const;

  private:
    std::optional<refpack::RefPackHeader> compressionOf(std::size_t index);
    std::vector<std::uint8_t> decode(std::size_t index, std::span<const std::uint8_t> stored);

    std::unique_ptr<files::FileHandle> file_;
    std::string name_;
    std::uint64_t fileSize_ = 0;
    ArchiveDirectory directory_;
};

}  // namespace quenor::viv
