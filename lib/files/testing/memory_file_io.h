#pragma once

#include <map>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "lib/files/file_error.h"
#include "lib/files/file_io.h"

namespace quenor::files {

// Files held in memory, for tests and the fuzz target. Handles keep the content they opened
// (like an inode) even when the name is renamed over or removed.
class MemoryFileIo final : public FileIo {
  public:
    using Bytes = std::vector<std::uint8_t>;

    std::unique_ptr<FileHandle> open(const std::filesystem::path& path, OpenMode mode,
                                     std::uint32_t permissions = 0644) override;
    FileKind kind(const std::filesystem::path& path) override;
    std::uint32_t permissions(const std::filesystem::path& path) override;
    void renameFile(const std::filesystem::path& from, const std::filesystem::path& to) override;
    void syncFolder(const std::filesystem::path&) override {}
    void remove(const std::filesystem::path& path) override;
    // Locks held in memory: a second lock of one name fails until the first is destroyed.
    std::unique_ptr<FileLock> tryLock(const std::filesystem::path& path) override;
    std::vector<std::string> namesIn(const std::filesystem::path& folder) override;
    std::optional<std::filesystem::path> linkTarget(const std::filesystem::path&) override {
        return std::nullopt;
    }
    // Folders are implied by the names of the files they hold.
    void createFolders(const std::filesystem::path&) override {}
    void removeEmptyFolder(const std::filesystem::path&) override {}

    void put(const std::filesystem::path& path, Bytes content, std::uint32_t permissions = 0644);
    // The content of a file; throws FileIoError when missing.
    const Bytes& content(const std::filesystem::path& path) const;
    std::vector<std::string> names() const;

  private:
    struct File {
        std::shared_ptr<Bytes> bytes;
        std::uint32_t permissions;
    };
    std::map<std::string, File> files_;
    std::shared_ptr<std::set<std::string>> locked_ = std::make_shared<std::set<std::string>>();
};

}  // namespace quenor::files
