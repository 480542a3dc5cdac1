#pragma once

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "lib/files/file_io.h"

namespace quenor::files {

// A file layer whose paths are a program's own names for files, mapped to the paths of another
// file layer before every call: the Windows paths of a game in a Wine prefix, or the game's
// files that Windows redirects to the user's VirtualStore. Everything below it (temporary
// siblings, the folder of a rename) is named in the program's form and mapped as well.
class MappedFileIo : public FileIo {
  public:
    explicit MappedFileIo(FileIo& target) : target_(target) {}

    // The path of the file layer below that `path` names. Throws FileIoError saying why there
    // is none; every call on such a path fails with it, except kind(), which finds nothing.
    virtual std::filesystem::path hostPathOf(const std::filesystem::path& path) = 0;
    // The same for a folder (by default as for any path).
    virtual std::filesystem::path hostFolderOf(const std::filesystem::path& folder) {
        return hostPathOf(folder);
    }

    std::unique_ptr<FileHandle> open(const std::filesystem::path& path, OpenMode mode,
                                     std::uint32_t permissions = 0644) override {
        return target_.open(hostPathOf(path), mode, permissions);
    }
    FileKind kind(const std::filesystem::path& path) override {
        try {
            return target_.kind(hostPathOf(path));
        } catch (const FileIoError&) {
            return FileKind::kMissing;  // nothing can be there
        }
    }
    std::uint32_t permissions(const std::filesystem::path& path) override {
        return target_.permissions(hostPathOf(path));
    }
    void remove(const std::filesystem::path& path) override { target_.remove(hostPathOf(path)); }
    void copyContent(const std::filesystem::path& from, const std::filesystem::path& to,
                     CopyEnd end) override {
        target_.copyContent(hostPathOf(from), hostPathOf(to), end);
    }
    std::unique_ptr<FileLock> tryLock(const std::filesystem::path& path) override {
        return target_.tryLock(hostPathOf(path));
    }
    std::vector<std::string> namesIn(const std::filesystem::path& folder) override {
        return target_.namesIn(hostFolderOf(folder));
    }
    void createFolders(const std::filesystem::path& folder) override {
        target_.createFolders(hostFolderOf(folder));
    }
    void removeEmptyFolder(const std::filesystem::path& folder) override {
        target_.removeEmptyFolder(hostFolderOf(folder));
    }
    void renameFile(const std::filesystem::path& from, const std::filesystem::path& to) override {
        target_.renameFile(hostPathOf(from), hostPathOf(to));
    }
    void syncFolder(const std::filesystem::path& folder) override {
        target_.syncFolder(hostFolderOf(folder));
    }
    // Both answer in the paths of the layer below.
    std::optional<std::filesystem::path> linkTarget(const std::filesystem::path& path) override {
        return target_.linkTarget(hostPathOf(path));
    }
    std::filesystem::path realPath(const std::filesystem::path& path) override {
        return target_.realPath(hostPathOf(path));
    }

  protected:
    FileIo& target() const { return target_; }

  private:
    FileIo& target_;
};

// The file layer whose paths are those below it already.
class UnmappedFileIo final : public MappedFileIo {
  public:
    using MappedFileIo::MappedFileIo;
    std::filesystem::path hostPathOf(const std::filesystem::path& path) override { return path; }
};

}  // namespace quenor::files
