// FileIo over in-memory byte vectors.
#include "lib/files/testing/memory_file_io.h"

#include <algorithm>
#include <cstring>

#include "lib/files/file_error.h"

namespace quenor::files {
namespace {

class MemoryFileHandle final : public FileHandle {
  public:
    MemoryFileHandle(std::shared_ptr<MemoryFileIo::Bytes> bytes, std::string name, bool writable,
                     bool append)
        : bytes_(std::move(bytes)), name_(std::move(name)), writable_(writable), append_(append) {}

    std::uint64_t size() override { return bytes_->size(); }

    void readAt(std::uint64_t offset, std::span<std::uint8_t> out) override {
        if (out.empty()) return;  // as a positioned read of nothing on a real disk
        if (offset > bytes_->size() || out.size() > bytes_->size() - offset) {
            throw FileIoError("Reading " + name_ + " failed: the file ended at byte " +
                              std::to_string(bytes_->size()) + ", before byte " +
                              std::to_string(offset + out.size()) + ".");
        }
        if (!out.empty()) std::memcpy(out.data(), bytes_->data() + offset, out.size());
    }

    void writeAt(std::uint64_t offset, std::span<const std::uint8_t> data) override {
        requireWritable();
        if (data.empty()) return;
        if (append_) offset = bytes_->size();
        if (offset + data.size() > bytes_->size()) bytes_->resize(offset + data.size());
        if (!data.empty()) std::memcpy(bytes_->data() + offset, data.data(), data.size());
    }

    void truncate(std::uint64_t size) override {
        requireWritable();
        bytes_->resize(size);
    }

    void sync() override {}

  private:
    void requireWritable() const {
        if (!writable_) throw FileIoError("Writing " + name_ + " failed: opened for reading only.");
    }

    std::shared_ptr<MemoryFileIo::Bytes> bytes_;
    std::string name_;
    bool writable_;
    bool append_;
};

class MemoryFileLock final : public FileLock {
  public:
    MemoryFileLock(std::shared_ptr<std::set<std::string>> locked, std::string name)
        : locked_(std::move(locked)), name_(std::move(name)) {}
    ~MemoryFileLock() override { locked_->erase(name_); }
    MemoryFileLock(const MemoryFileLock&) = delete;
    MemoryFileLock& operator=(const MemoryFileLock&) = delete;

  private:
    std::shared_ptr<std::set<std::string>> locked_;
    std::string name_;
};

}  // namespace

std::unique_ptr<FileLock> MemoryFileIo::tryLock(const std::filesystem::path& path) {
    if (files_.count(path.string()) == 0)
        files_[path.string()] = File{std::make_shared<Bytes>(), 0666};
    if (!locked_->insert(path.string()).second) return nullptr;
    return std::make_unique<MemoryFileLock>(locked_, path.string());
}

std::vector<std::string> MemoryFileIo::namesIn(const std::filesystem::path& folder) {
    std::vector<std::string> names;
    for (const auto& [name, file] : files_) {
        const std::filesystem::path path(name);
        if (path.parent_path() == folder) names.push_back(path.filename().string());
    }
    return names;
}

std::unique_ptr<FileHandle> MemoryFileIo::open(const std::filesystem::path& path, OpenMode mode,
                                               std::uint32_t permissions) {
    auto found = files_.find(path.string());
    if (mode == OpenMode::kCreate) {
        auto bytes = std::make_shared<Bytes>();
        files_[path.string()] = File{bytes, permissions};
        return std::make_unique<MemoryFileHandle>(bytes, path.string(), true, false);
    }
    if (found == files_.end() && mode == OpenMode::kAppend) {
        found = files_.emplace(path.string(), File{std::make_shared<Bytes>(), permissions}).first;
    }
    if (found == files_.end()) {
        throw FileIoError("Opening " + path.string() + " failed: No such file or directory.",
                          "No such file or directory");
    }
    return std::make_unique<MemoryFileHandle>(found->second.bytes, path.string(),
                                              mode != OpenMode::kRead, mode == OpenMode::kAppend);
}

FileKind MemoryFileIo::kind(const std::filesystem::path& path) {
    return files_.count(path.string()) != 0 ? FileKind::kRegularFile : FileKind::kMissing;
}

std::uint32_t MemoryFileIo::permissions(const std::filesystem::path& path) {
    auto found = files_.find(path.string());
    if (found == files_.end()) {
        throw FileIoError("Reading the permissions of " + path.string() +
                          " failed: No such file or directory.");
    }
    return found->second.permissions;
}

void MemoryFileIo::renameFile(const std::filesystem::path& from, const std::filesystem::path& to) {
    auto found = files_.find(from.string());
    if (found == files_.end()) {
        throw FileIoError("Renaming " + from.string() + " to " + to.string() +
                          " failed: No such file or directory.");
    }
    File file = found->second;
    files_.erase(found);
    files_[to.string()] = file;
}

void MemoryFileIo::remove(const std::filesystem::path& path) {
    files_.erase(path.string());
}

void MemoryFileIo::put(const std::filesystem::path& path, Bytes content,
                       std::uint32_t permissions) {
    files_[path.string()] = File{std::make_shared<Bytes>(std::move(content)), permissions};
}

const MemoryFileIo::Bytes& MemoryFileIo::content(const std::filesystem::path& path) const {
    auto found = files_.find(path.string());
    if (found == files_.end()) {
        throw FileIoError("Reading " + path.string() + " failed: No such file or directory.");
    }
    return *found->second.bytes;
}

std::vector<std::string> MemoryFileIo::names() const {
    std::vector<std::string> result;
    for (const auto& [name, file] : files_) result.push_back(name);
    return result;
}

}  // namespace quenor::files
