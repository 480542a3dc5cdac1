#pragma once

#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "lib/base/failure.h"
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
    // Writes all bytes at offset, growing the file when the range passes its end. A file
    // opened with OpenMode::kAppend writes at its end whatever the offset.
    virtual void writeAt(std::uint64_t offset, std::span<const std::uint8_t> data) = 0;
    virtual void truncate(std::uint64_t size) = 0;
    // Makes everything written so far durable.
    virtual void sync() = 0;

    void append(std::span<const std::uint8_t> data) { writeAt(size(), data); }
};

// An advisory lock on a file (see FileIo::tryLock), held until the object is destroyed or
// the process ends, however it ends.
class FileLock {
  public:
    virtual ~FileLock() = default;
};

enum class OpenMode {
    kRead,       // an existing file, read only
    kReadWrite,  // an existing file, read and write
    kCreate,     // a new or emptied file, read and write
    kAppend,     // an existing or new file, written at its end only (as a log is)
};

enum class FileKind { kMissing, kRegularFile, kFolder, kOther };

// Whether a copy is synced before the copying call returns. The sync goes through the
// copy's own writing handle: Windows flushes only a file opened for writing, and a copy
// of a read-only file cannot be opened for writing again.
enum class CopyEnd { kCached, kSynced };

// The file system as every part of the tool reaches it: the archive library, the registry
// files of a Wine prefix and the tool's own files (its log, the extracted config files). The
// real file system is systemFileIo(); tests put a wrapper over it that fails on purpose, or
// files held in memory.
class FileIo {
  public:
    virtual ~FileIo() = default;

    // kCreate and kAppend create a missing file with the given permission bits (before the
    // umask). A path that names something other than a regular file is refused.
    virtual std::unique_ptr<FileHandle> open(const std::filesystem::path& path, OpenMode mode,
                                             std::uint32_t permissions = 0644) = 0;
    virtual FileKind kind(const std::filesystem::path& path) = 0;
    // The permission bits of an existing file.
    virtual std::uint32_t permissions(const std::filesystem::path& path) = 0;
    // Removes a file; a missing file is not an error.
    virtual void remove(const std::filesystem::path& path) = 0;

    bool exists(const std::filesystem::path& path) { return kind(path) != FileKind::kMissing; }

    // Copies a file's content over another file (created or emptied; it gets the source's
    // permission bits). The real file system lets the copy share the source's blocks where it
    // can (a reflink, or copy_file_range), so a copy of a large file costs next to nothing;
    // everywhere else the content is read and written in pieces (copyInPieces). With
    // CopyEnd::kSynced the copy is on disk when the call returns.
    virtual void copyContent(const std::filesystem::path& from, const std::filesystem::path& to,
                             CopyEnd end);

    // Replaces `to` by `from` in one step and makes the change durable: the rename, then a
    // sync of the folder that holds `to`.
    void rename(const std::filesystem::path& from, const std::filesystem::path& to) {
        renameFile(from, to);
        syncFolder(folderOf(to));
    }

    // One attempt at an exclusive lock on the lock file at `path`, made empty when missing and
    // never truncated or written to. Null when another holder has it: another process, or
    // another lock of this one. The lock belongs to the process: the system drops it when the
    // process dies, and programs the process starts do not inherit it. The path is opened
    // without following a symbolic link; a link, a folder, a pipe or any other non-regular
    // file is refused with FileIoError, as is a file that cannot be opened. A lock file in a
    // folder that others own may be read-only to this user: it is locked all the same.
    virtual std::unique_ptr<FileLock> tryLock(const std::filesystem::path& path) = 0;

    // The names of the entries of a folder (files and folders alike); empty when it is missing
    // or cannot be read.
    virtual std::vector<std::string> namesIn(const std::filesystem::path& folder) = 0;

    // Makes a folder and the folders above it that are missing; one that exists is left as it
    // is. Throws FileIoError naming the folder when it cannot be made.
    virtual void createFolders(const std::filesystem::path& folder) = 0;
    // Removes a folder that is empty. A missing folder, or one that still holds something, is
    // left alone without an error: it may be shared with someone else's files.
    virtual void removeEmptyFolder(const std::filesystem::path& folder) = 0;

    // The rename alone, and the sync of a folder's entries (the two steps of rename()).
    virtual void renameFile(const std::filesystem::path& from, const std::filesystem::path& to) = 0;
    virtual void syncFolder(const std::filesystem::path& folder) = 0;

    // The path a symbolic link at `path` holds, when `path` itself is one; nothing for any
    // other path, a missing one included. Files held in memory have no links.
    virtual std::optional<std::filesystem::path> linkTarget(const std::filesystem::path& path) = 0;
    // The absolute path that names the same file with every symbolic link, "." and ".."
    // resolved, as far as the path exists: names below the last one that exists follow as they
    // are. A chain of more than 40 links is left where it stops. By default resolved name by
    // name through linkTarget().
    virtual std::filesystem::path realPath(const std::filesystem::path& path);

    // The folder that holds a path ("." for a bare name).
    static std::filesystem::path folderOf(const std::filesystem::path& path);
};

// A FileIo that passes every call to another one. Wrappers that change some calls (to count
// them or make them fail) derive from it and override only those.
class FileIoWrapper : public FileIo {
  public:
    explicit FileIoWrapper(FileIo& target) : target_(target) {}

    std::unique_ptr<FileHandle> open(const std::filesystem::path& path, OpenMode mode,
                                     std::uint32_t permissions = 0644) override {
        return target_.open(path, mode, permissions);
    }
    FileKind kind(const std::filesystem::path& path) override { return target_.kind(path); }
    std::uint32_t permissions(const std::filesystem::path& path) override {
        return target_.permissions(path);
    }
    void remove(const std::filesystem::path& path) override { target_.remove(path); }
    void renameFile(const std::filesystem::path& from, const std::filesystem::path& to) override {
        target_.renameFile(from, to);
    }
    void syncFolder(const std::filesystem::path& folder) override { target_.syncFolder(folder); }
    std::unique_ptr<FileLock> tryLock(const std::filesystem::path& path) override {
        return target_.tryLock(path);
    }
    std::vector<std::string> namesIn(const std::filesystem::path& folder) override {
        return target_.namesIn(folder);
    }
    void createFolders(const std::filesystem::path& folder) override {
        target_.createFolders(folder);
    }
    void removeEmptyFolder(const std::filesystem::path& folder) override {
        target_.removeEmptyFolder(folder);
    }
    void copyContent(const std::filesystem::path& from, const std::filesystem::path& to,
                     CopyEnd end) override {
        target_.copyContent(from, to, end);
    }
    std::optional<std::filesystem::path> linkTarget(const std::filesystem::path& path) override {
        return target_.linkTarget(path);
    }
    std::filesystem::path realPath(const std::filesystem::path& path) override {
        return target_.realPath(path);
    }

    FileIo& target() { return target_; }

  private:
    FileIo& target_;
};

// The real file system: POSIX calls, or Win32 calls in a Windows build.
FileIo& systemFileIo();

// Folders made and removed through std::filesystem, as both real file systems do it.
void createFoldersOnDisk(const std::filesystem::path& folder);
void removeEmptyFolderOnDisk(const std::filesystem::path& folder);

// The id of the running process.
std::uint64_t currentProcessId();

// Replaces a file's whole content safely: a temporary file in the same folder is written,
// synced, read back and compared, and renamed over the target, keeping the target's permissions
// when it exists (a new file gets `newFilePermissions`). The target holds either its old or its new
// content, never a part; on failure the temporary file is removed.
void writeFileAtomically(FileIo& io, const std::filesystem::path& path,
                         std::span<const std::uint8_t> content,
                         std::uint32_t newFilePermissions = 0644);

// What a writer read of a file before it replaces it: its bytes, or that it was missing.
struct ReadBefore {
    bool missing = false;
    std::span<const std::uint8_t> content;
};

// Whether the file at `path` holds exactly `content`, compared piece by piece (nothing of the
// file's size is held for it). A missing file, or one that is not a regular file, does not.
bool sameContent(FileIo& io, const std::filesystem::path& path,
                 std::span<const std::uint8_t> content);
// Whether the disk holds what was read of the file still.
bool unchangedSince(FileIo& io, const std::filesystem::path& path, const ReadBefore& read);

// writeFileAtomically over the file only while it is as the caller read it: the disk is looked
// at once the new content is written and read back, just before the rename, so that another
// program's save has as little time as can be to fall between the look and the rename. Returns
// the failure (kChangedOnDisk: the file was left as the other program wrote it; kIo: a step the
// system refused), nothing when the file holds `content` now.
[[nodiscard]] std::optional<Failure> replaceFileIfUnchanged(
    FileIo& io, const std::filesystem::path& path, std::span<const std::uint8_t> content,
    const ReadBefore& read, std::uint32_t newFilePermissions = 0644);

// Reads a whole file, refusing one larger than maxBytes before reading it.
std::vector<std::uint8_t> readWholeFile(FileIo& io, const std::filesystem::path& path,
                                        std::uint64_t maxBytes);
// The same read straight into a text: a file of many megabytes is held once, not twice.
std::string readWholeText(FileIo& io, const std::filesystem::path& path, std::uint64_t maxBytes);

// Copies a file's content over another file (created or emptied), not synced: io.copyContent.
void copyFile(FileIo& io, const std::filesystem::path& from, const std::filesystem::path& to);

// The plain copy: the content read and written through `io` in pieces.
void copyInPieces(FileIo& io, const std::filesystem::path& from, const std::filesystem::path& to,
                  CopyEnd end);

// Copies a file to a path where nothing is yet, whole or not at all: the copy is written beside
// `to` under a temporary name, synced, and renamed to `to` while nothing is there still, so that
// an interrupted copy never leaves a part of the file at `to`. The copy gets `permissions`.
// Throws FileIoError when something is at `to` (made by another process meanwhile: it is left
// as it is) or a step fails; the temporary copy never stays behind.
void copyToNewFile(FileIo& io, const std::filesystem::path& from, const std::filesystem::path& to,
                   std::uint32_t permissions);

// Removes the temporary files that processes killed while replacing `path` left beside it
// (temporarySibling() of other processes). Only for a caller that alone may replace the file
// now, holding the lock every writer of it takes: another writer's temporary file is then a
// dead one's. Failures are ignored: what is left is only clutter.
void removeLeftoverSiblings(FileIo& io, const std::filesystem::path& path);

// The name of the temporary file this process uses to replace `path`: beside it, with a tag
// of the process ("fmisc.viv.quenor-new-1f2e-9a0c41d7"), so that two processes replacing the
// same file at once never write into one temporary file.
std::filesystem::path temporarySibling(const std::filesystem::path& path);
// The file that a path named as temporarySibling() names them belongs to (of any process),
// or nothing for any other path.
std::optional<std::filesystem::path> siblingOwner(const std::filesystem::path& path);

}  // namespace quenor::files
