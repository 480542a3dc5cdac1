#pragma once

#include <cstdint>
#include <optional>

#include "lib/files/file_io.h"

namespace quenor::files {

// Wraps another FileIo and makes it fail the way a crash, a full disk or a failing device
// does, to prove that an interrupted update leaves a readable archive.
//
// Once a fault has fired the wrapper stays "dead": every later write, truncate, sync, rename
// and remove fails too, as nothing more reaches the disk after a crash.
//
// A write that runs out of budget keeps only the part before the last 4096-byte page boundary
// it reaches: the kernel copies a write page by page, so a killed process can tear a write
// between pages but not inside one.
class FaultInjectingFileIo final : public FileIo {
  public:
    static constexpr std::uint64_t kPageSize = 4096;

    struct Faults {
        std::optional<std::uint64_t> writeBudget;  // bytes written before a write fails
        std::optional<int> failingSync;            // 0 = the first sync fails, 1 = the second...
        std::optional<int> failingRename;          // likewise for renames
        std::optional<int> failingTruncate;        // likewise for truncates
    };

    FaultInjectingFileIo(FileIo& inner, Faults faults) : inner_(inner), faults_(faults) {}

    std::unique_ptr<FileHandle> open(const std::filesystem::path& path, OpenMode mode,
                                     std::uint32_t permissions = 0644) override;
    bool exists(const std::filesystem::path& path) override { return inner_.exists(path); }
    std::uint32_t permissions(const std::filesystem::path& path) override {
        return inner_.permissions(path);
    }
    void rename(const std::filesystem::path& from, const std::filesystem::path& to) override;
    void remove(const std::filesystem::path& path) override;

    bool fired() const { return dead_; }
    std::uint64_t bytesWritten() const { return bytesWritten_; }
    int syncs() const { return syncs_; }
    int renames() const { return renames_; }
    int truncates() const { return truncates_; }

  private:
    friend class FaultInjectingFileHandle;
    [[noreturn]] void die(const std::string& what);
    void requireAlive(const std::string& what) const;

    FileIo& inner_;
    Faults faults_;
    bool dead_ = false;
    std::uint64_t bytesWritten_ = 0;
    int syncs_ = 0;
    int renames_ = 0;
    int truncates_ = 0;
};

}  // namespace quenor::files
