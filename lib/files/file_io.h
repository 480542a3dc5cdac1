#pragma once

#include <cstdint>
#include <filesystem>
#include <memory>
#include <span>
#include <vector>
#include "lib/files/file_error.h"

namespace quenor::files {

// One open file. Reads and writes are positioned; every call either does all it was asked or
// throws FileIoError naming the file.
class FileHandle {
  public:
    virtual ~FileHandle() = default;

    virtual std::uint64_t size() = 0;
    // Reads exactly out.size() bytes at offset; a short read is an error.
    virtual void readAt(std::uint64_t offset, std::span<std::uint8_t> out) = 0;
    // Writes all bytes at offset, growing the file when the range passes its end.
    virtual void writeAt(std::uint64_t offset, std::span<const std::uint8_t> data) = 0;
    virtual void truncate(std::uint64_t size) = 0;
    // Makes everything written so far durable.
    virtual void sync() = 0;

    void append(std::span<const std::uint8_t> data) { writeAt(size(), data); }
};

enum class OpenMode {
    kRead,       // an existing file, read only
    kReadWrite,  // an existing file, read and write
    kCreate,     // a new or emptied file, read and write
};

// The file system as the archive library uses it.
class FileIo {
  public:
    virtual ~FileIo() = default;

    // kCreate creates the file with the given permission bits (before the umask).
    virtual std::unique_ptr<FileHandle> open(const std::filesystem::path& path, OpenMode mode,
                                             std::uint32_t permissions = 0644) = 0;
    virtual bool exists(const std::filesystem::path& path) = 0;
    // The permission bits of an existing file.
    virtual std::uint32_t permissions(const std::filesystem::path& path) = 0;
    // Replaces `to` by `from` in one step and makes the change durable.
    virtual void rename(const std::filesystem::path& from, const std::filesystem::path& to) = 0;
    // Removes a file; a missing file is not an error.
    virtual void remove(const std::filesystem::path& path) = 0;
};

// The real file system: POSIX calls, or Win32 calls in a Windows build.
FileIo& systemFileIo();

// Replaces a file's whole content safely: a temporary file in the same folder is written,
// synced and renamed over the target, keeping the target's permissions when it exists.
void writeFileAtomically(FileIo& io, const std::filesystem::path& path,
                         std::span<const std::uint8_t> content);

// Reads a whole file, refusing one larger than maxBytes.
std::vector<std::uint8_t> readWholeFile(FileIo& io, const std::filesystem::path& path,
                                        std::uint64_t maxBytes);

// The name of the temporary file used to replace `path`.
std::filesystem::path temporarySibling(const std::filesystem::path& path);

}  // namespace quenor::files
