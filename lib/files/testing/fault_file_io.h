#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "lib/files/file_io.h"

namespace quenor::files {

// Wraps another FileIo and makes it fail the way a crash, a full disk or a failing device
// does, to prove that an interrupted update leaves every file readable and whole.
//
// Once a fault has fired the wrapper stays "dead": every later write, truncate, sync, rename,
// folder sync and remove fails too, as nothing more reaches the disk after a crash.
// setAlive(false) kills it at once (a disk that is full or gone), setAlive(true) lets writes
// reach the disk again.
//
// A lying disk (lostWritesAfter) drops writes without a word, so that code which claims to
// verify what it wrote can be held to it.
//
// A write that runs out of budget keeps only the part before the last 4096-byte page boundary
// it reaches: the kernel copies a write page by page, so a killed process can tear a write
// between pages but not inside one.
class FaultInjectingFileIo final : public FileIoWrapper {
  public:
    static constexpr std::uint64_t kPageSize = 4096;

    struct Faults {
        std::optional<std::uint64_t> writeBudget;  // bytes written before a write fails
        std::optional<int> failingSync;          // 0 = the first file sync fails, 1 = the second...
        std::optional<int> failingRename;        // likewise for renames
        std::optional<int> failingFolderSync;    // likewise for syncs of a folder
        std::optional<int> failingTruncate;      // likewise for truncates
        std::optional<int> failingFolderCreate;  // likewise for folders made
        // The fault fails only the call it hits and later calls go on, as after an error of
        // the device rather than a crash.
        bool transient = false;
        // Bytes written before the disk starts to lie: later writes report success and never
        // reach it (a failing device or cache that loses data).
        std::optional<std::uint64_t> lostWritesAfter;
    };

    explicit FaultInjectingFileIo(FileIo& inner) : FileIoWrapper(inner) {}
    FaultInjectingFileIo(FileIo& inner, Faults faults) : FileIoWrapper(inner), faults_(faults) {}

    std::unique_ptr<FileHandle> open(const std::filesystem::path& path, OpenMode mode,
                                     std::uint32_t permissions = 0644) override;
    void renameFile(const std::filesystem::path& from, const std::filesystem::path& to) override;
    void syncFolder(const std::filesystem::path& folder) override;
    void remove(const std::filesystem::path& path) override;
    void createFolders(const std::filesystem::path& folder) override;
    // Copies in pieces through this wrapper, so that its faults reach copies too.
    void copyContent(const std::filesystem::path& from, const std::filesystem::path& to,
                     CopyEnd end) override {
        copyInPieces(*this, from, to, end);
    }

    void setAlive(bool alive) { dead_ = !alive; }
    bool fired() const { return dead_; }
    std::uint64_t bytesWritten() const { return bytesWritten_; }
    int syncs() const { return syncs_; }
    int renames() const { return renames_; }
    int folderSyncs() const { return folderSyncs_; }
    int truncates() const { return truncates_; }
    int folderCreates() const { return folderCreates_; }

  private:
    friend class FaultInjectingFileHandle;
    [[noreturn]] void die(const std::string& what);
    void requireAlive(const std::string& what) const;

    Faults faults_;
    bool dead_ = false;
    std::uint64_t bytesWritten_ = 0;
    int syncs_ = 0;
    int renames_ = 0;
    int folderSyncs_ = 0;
    int truncates_ = 0;
    int folderCreates_ = 0;
};

}  // namespace quenor::files
