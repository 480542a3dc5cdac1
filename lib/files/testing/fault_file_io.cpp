// A FileIo that fails on purpose, for the crash-safety tests.
#include "lib/files/testing/fault_file_io.h"

#include <algorithm>
#include <string>

#include "lib/files/file_error.h"

namespace quenor::files {

class FaultInjectingFileHandle final : public FileHandle {
  public:
    FaultInjectingFileHandle(FaultInjectingFileIo& io, std::unique_ptr<FileHandle> inner,
                             std::string name)
        : io_(io), inner_(std::move(inner)), name_(std::move(name)) {}

    std::uint64_t size() override { return inner_->size(); }
    void readAt(std::uint64_t offset, std::span<std::uint8_t> out) override {
        inner_->readAt(offset, out);
    }

    void writeAt(std::uint64_t offset, std::span<const std::uint8_t> data) override {
        io_.requireAlive("Writing " + name_);
        auto& budget = io_.faults_.writeBudget;
        if (budget && io_.bytesWritten_ + data.size() > *budget) {
            std::uint64_t allowed = *budget - io_.bytesWritten_;
            std::uint64_t end = offset + allowed;
            std::uint64_t pageEnd =
                end / FaultInjectingFileIo::kPageSize * FaultInjectingFileIo::kPageSize;
            std::uint64_t kept = pageEnd > offset ? pageEnd - offset : 0;
            if (kept > 0) inner_->writeAt(offset, data.first(kept));
            io_.bytesWritten_ += kept;
            io_.die("Writing " + name_);
        }
        const auto& lost = io_.faults_.lostWritesAfter;
        if (lost && io_.bytesWritten_ + data.size() > *lost) {
            const std::uint64_t kept = *lost > io_.bytesWritten_ ? *lost - io_.bytesWritten_ : 0;
            if (kept > 0) inner_->writeAt(offset, data.first(kept));
            io_.bytesWritten_ += data.size();
            return;  // the rest is lost, and the caller is told it was written
        }
        inner_->writeAt(offset, data);
        io_.bytesWritten_ += data.size();
    }

    void truncate(std::uint64_t size) override {
        io_.requireAlive("Resizing " + name_);
        const int index = io_.truncates_++;
        if (io_.faults_.failingTruncate && index == *io_.faults_.failingTruncate) {
            io_.die("Resizing " + name_);
        }
        inner_->truncate(size);
    }

    void sync() override {
        io_.requireAlive("Flushing " + name_);
        const int index = io_.syncs_++;
        if (io_.faults_.failingSync && index == *io_.faults_.failingSync) {
            io_.die("Flushing " + name_);
        }
        inner_->sync();
    }

  private:
    FaultInjectingFileIo& io_;
    std::unique_ptr<FileHandle> inner_;
    std::string name_;
};

void FaultInjectingFileIo::die(const std::string& what) {
    dead_ = !faults_.transient;
    throw FileIoError(what + " failed: injected fault.", "injected fault");
}

void FaultInjectingFileIo::requireAlive(const std::string& what) const {
    if (dead_) {
        throw FileIoError(what + " failed: injected fault (after an earlier one).",
                          "injected fault");
    }
}

std::unique_ptr<FileHandle> FaultInjectingFileIo::open(const std::filesystem::path& path,
                                                       OpenMode mode, std::uint32_t permissions) {
    if (mode != OpenMode::kRead) requireAlive("Opening " + path.string());
    return std::make_unique<FaultInjectingFileHandle>(
        *this, FileIoWrapper::open(path, mode, permissions), path.string());
}

void FaultInjectingFileIo::renameFile(const std::filesystem::path& from,
                                      const std::filesystem::path& to) {
    requireAlive("Renaming " + from.string());
    const int index = renames_++;
    if (faults_.failingRename && index == *faults_.failingRename) {
        die("Renaming " + from.string());
    }
    FileIoWrapper::renameFile(from, to);
}

void FaultInjectingFileIo::createFolders(const std::filesystem::path& folder) {
    requireAlive("Making the folder " + folder.string());
    const int index = folderCreates_++;
    if (faults_.failingFolderCreate && index == *faults_.failingFolderCreate) {
        die("Making the folder " + folder.string());
    }
    FileIoWrapper::createFolders(folder);
}

void FaultInjectingFileIo::syncFolder(const std::filesystem::path& folder) {
    requireAlive("Flushing the folder " + folder.string());
    const int index = folderSyncs_++;
    if (faults_.failingFolderSync && index == *faults_.failingFolderSync) {
        die("Flushing the folder " + folder.string());
    }
    FileIoWrapper::syncFolder(folder);
}

void FaultInjectingFileIo::remove(const std::filesystem::path& path) {
    requireAlive("Removing " + path.string());
    FileIoWrapper::remove(path);
}

}  // namespace quenor::files
