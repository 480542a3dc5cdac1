// The FileIo implementation over the Win32 file API, with the same crash-safety as the POSIX
// one: positioned reads and writes, FlushFileBuffers for sync, and a write-through rename that
// replaces the target in one step.
#define WIN32_LEAN_AND_MEAN
#include <windows.h>

#include <algorithm>
#include <string>
#include <vector>

#include "lib/files/file_error.h"
#include "lib/files/file_io.h"

namespace quenor::files {
namespace {

// Windows' own text for an error code, without the trailing line break.
std::string systemMessage(DWORD error) {
    char* text = nullptr;
    const DWORD length = FormatMessageA(
        FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
        nullptr, error, 0, reinterpret_cast<char*>(&text), 0, nullptr);
    std::string message = length != 0 && text != nullptr ? std::string(text, length) : "";
    if (text != nullptr) LocalFree(text);
    while (!message.empty() && (message.back() == '\n' || message.back() == '\r' ||
                                message.back() == ' ' || message.back() == '.')) {
        message.pop_back();
    }
    if (message.empty()) message = "Windows error " + std::to_string(error);
    return message;
}

[[noreturn]] void throwLastError(const std::string& action, const std::filesystem::path& path,
                                 DWORD error) {
    const std::string reason = systemMessage(error);
    throw FileIoError(action + " " + path.string() + " failed: " + reason + ".", reason);
}

// One ReadFile or WriteFile moves at most this many bytes.
constexpr std::size_t kMaxTransfer = 1u << 30;

OVERLAPPED at(std::uint64_t offset) {
    OVERLAPPED where{};
    where.Offset = static_cast<DWORD>(offset & 0xFFFFFFFFu);
    where.OffsetHigh = static_cast<DWORD>(offset >> 32);
    return where;
}

class WindowsFileHandle final : public FileHandle {
  public:
    WindowsFileHandle(HANDLE handle, std::filesystem::path path, bool append)
        : handle_(handle), path_(std::move(path)), append_(append) {}
    ~WindowsFileHandle() override { CloseHandle(handle_); }
    WindowsFileHandle(const WindowsFileHandle&) = delete;
    WindowsFileHandle& operator=(const WindowsFileHandle&) = delete;

    std::uint64_t size() override {
        LARGE_INTEGER size{};
        if (!GetFileSizeEx(handle_, &size))
            throwLastError("Reading the size of", path_, GetLastError());
        return static_cast<std::uint64_t>(size.QuadPart);
    }

    void readAt(std::uint64_t offset, std::span<std::uint8_t> out) override {
        std::size_t done = 0;
        while (done < out.size()) {
            const DWORD want = static_cast<DWORD>(std::min(out.size() - done, kMaxTransfer));
            OVERLAPPED where = at(offset + done);
            DWORD got = 0;
            if (!ReadFile(handle_, out.data() + done, want, &got, &where)) {
                const DWORD error = GetLastError();
                if (error != ERROR_HANDLE_EOF) throwLastError("Reading", path_, error);
                got = 0;
            }
            if (got == 0) {
                throw FileIoError("Reading " + path_.string() + " failed: the file ended at byte " +
                                      std::to_string(offset + done) + ", before byte " +
                                      std::to_string(offset + out.size()) + ".",
                                  "the file ended early");
            }
            done += got;
        }
    }

    void writeAt(std::uint64_t offset, std::span<const std::uint8_t> data) override {
        std::size_t done = 0;
        while (done < data.size()) {
            const DWORD want = static_cast<DWORD>(std::min(data.size() - done, kMaxTransfer));
            // A file opened for appending writes at its end: the offset 0xFFFFFFFFFFFFFFFF
            // asks WriteFile for that, even when another process appended meanwhile.
            OVERLAPPED where = append_ ? at(~std::uint64_t{0}) : at(offset + done);
            DWORD put = 0;
            if (!WriteFile(handle_, data.data() + done, want, &put, &where)) {
                throwLastError("Writing", path_, GetLastError());
            }
            if (put == 0) throwLastError("Writing", path_, ERROR_DISK_FULL);
            done += put;
        }
    }

    void truncate(std::uint64_t size) override {
        FILE_END_OF_FILE_INFO end{};
        end.EndOfFile.QuadPart = static_cast<LONGLONG>(size);
        if (!SetFileInformationByHandle(handle_, FileEndOfFileInfo, &end, sizeof end)) {
            throwLastError("Resizing", path_, GetLastError());
        }
    }

    void sync() override {
        if (!FlushFileBuffers(handle_)) throwLastError("Flushing", path_, GetLastError());
    }

  private:
    HANDLE handle_;
    std::filesystem::path path_;
    bool append_;
};

class WindowsFileLock final : public FileLock {
  public:
    explicit WindowsFileLock(HANDLE handle) : handle_(handle) {}
    ~WindowsFileLock() override { CloseHandle(handle_); }  // closing the handle unlocks
    WindowsFileLock(const WindowsFileLock&) = delete;
    WindowsFileLock& operator=(const WindowsFileLock&) = delete;

  private:
    HANDLE handle_;
};

// Opens a lock file as FileIo::tryLock says: a reparse point (a symbolic link, a junction) is
// opened as itself and refused; the handle is not inherited (no security attributes asking
// for it). A file another user made may be open to reading only, which LockFileEx accepts.
HANDLE openLockFile(const std::filesystem::path& path) {
    constexpr DWORD kShare = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;
    constexpr DWORD kFlags = FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OPEN_REPARSE_POINT;
    HANDLE handle = CreateFileW(path.c_str(), GENERIC_READ | GENERIC_WRITE, kShare, nullptr,
                                OPEN_ALWAYS, kFlags, nullptr);
    if (handle == INVALID_HANDLE_VALUE && GetLastError() == ERROR_ACCESS_DENIED) {
        handle = CreateFileW(path.c_str(), GENERIC_READ, kShare, nullptr, OPEN_EXISTING, kFlags,
                             nullptr);
    }
    if (handle == INVALID_HANDLE_VALUE) {
        throwLastError("Opening the lock file", path, GetLastError());
    }
    BY_HANDLE_FILE_INFORMATION info{};
    if (GetFileType(handle) != FILE_TYPE_DISK || !GetFileInformationByHandle(handle, &info) ||
        (info.dwFileAttributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT)) != 0) {
        CloseHandle(handle);
        throw FileIoError("Opening the lock file " + path.string() +
                              " failed: it is not a regular file. Remove it, then try again.",
                          "it is not a regular file");
    }
    return handle;
}

class WindowsFileIo final : public FileIo {
  public:
    std::unique_ptr<FileHandle> open(const std::filesystem::path& path, OpenMode mode,
                                     std::uint32_t permissions) override {
        DWORD access = GENERIC_READ;
        DWORD disposition = OPEN_EXISTING;
        DWORD attributes = FILE_ATTRIBUTE_NORMAL;
        if (mode != OpenMode::kRead) access |= GENERIC_WRITE;
        if (mode == OpenMode::kAppend) disposition = OPEN_ALWAYS;
        if (mode == OpenMode::kCreate) {
            disposition = CREATE_ALWAYS;
            // Windows has one permission bit: a file nobody may write is read-only.
            if ((permissions & 0222) == 0) attributes = FILE_ATTRIBUTE_READONLY;
        }
        HANDLE handle = CreateFileW(path.c_str(), access,
                                    FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                    disposition, attributes, nullptr);
        if (handle == INVALID_HANDLE_VALUE) throwLastError("Opening", path, GetLastError());
        BY_HANDLE_FILE_INFORMATION info{};
        if (GetFileType(handle) != FILE_TYPE_DISK || !GetFileInformationByHandle(handle, &info) ||
            (info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
            CloseHandle(handle);
            throw FileIoError("Opening " + path.string() + " failed: it is not a regular file.",
                              "it is not a regular file");
        }
        return std::make_unique<WindowsFileHandle>(handle, path, mode == OpenMode::kAppend);
    }

    FileKind kind(const std::filesystem::path& path) override {
        const DWORD attributes = GetFileAttributesW(path.c_str());
        if (attributes == INVALID_FILE_ATTRIBUTES) return FileKind::kMissing;
        if ((attributes & FILE_ATTRIBUTE_DIRECTORY) != 0) return FileKind::kFolder;
        if ((attributes & FILE_ATTRIBUTE_DEVICE) != 0) return FileKind::kOther;
        return FileKind::kRegularFile;
    }

    std::uint32_t permissions(const std::filesystem::path& path) override {
        const DWORD attributes = GetFileAttributesW(path.c_str());
        if (attributes == INVALID_FILE_ATTRIBUTES) {
            throwLastError("Reading the attributes of", path, GetLastError());
        }
        return (attributes & FILE_ATTRIBUTE_READONLY) != 0 ? 0444 : 0644;
    }

    void renameFile(const std::filesystem::path& from, const std::filesystem::path& to) override {
        // Write-through: the move is on disk when the call returns. Windows refuses to
        // replace a file that is open, so callers close the target first.
        if (!MoveFileExW(from.c_str(), to.c_str(),
                         MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
            throwLastError("Renaming " + from.string() + " to", to, GetLastError());
        }
    }

    // A write-through move is durable by itself; Windows has no sync of a folder's entries.
    void syncFolder(const std::filesystem::path&) override {}

    // The first byte is locked, whatever the file holds (Windows locks ranges past the end).
    std::unique_ptr<FileLock> tryLock(const std::filesystem::path& path) override {
        HANDLE handle = openLockFile(path);
        OVERLAPPED where{};
        if (LockFileEx(handle, LOCKFILE_EXCLUSIVE_LOCK | LOCKFILE_FAIL_IMMEDIATELY, 0, 1, 0,
                       &where)) {
            return std::make_unique<WindowsFileLock>(handle);
        }
        const DWORD error = GetLastError();
        CloseHandle(handle);
        if (error == ERROR_LOCK_VIOLATION || error == ERROR_IO_PENDING) return nullptr;
        throwLastError("Locking", path, error);
    }

    void createFolders(const std::filesystem::path& folder) override {
        createFoldersOnDisk(folder);
    }
    void removeEmptyFolder(const std::filesystem::path& folder) override {
        removeEmptyFolderOnDisk(folder);
    }

    std::vector<std::string> namesIn(const std::filesystem::path& folder) override {
        std::vector<std::string> names;
        WIN32_FIND_DATAW found{};
        HANDLE search = FindFirstFileW((folder / L"*").c_str(), &found);
        if (search == INVALID_HANDLE_VALUE) return names;
        do {
            const std::wstring name = found.cFileName;
            if (name != L"." && name != L"..")
                names.push_back(std::filesystem::path(name).string());
        } while (FindNextFileW(search, &found));
        FindClose(search);
        return names;
    }

    // Windows' own links (reparse points) are left to the system: the tool names a file by its
    // final path where it needs one (WindowsFileSystem::identityPath).
    std::optional<std::filesystem::path> linkTarget(const std::filesystem::path&) override {
        return std::nullopt;
    }

    void remove(const std::filesystem::path& path) override {
        if (DeleteFileW(path.c_str())) return;
        const DWORD error = GetLastError();
        if (error != ERROR_FILE_NOT_FOUND && error != ERROR_PATH_NOT_FOUND) {
            throwLastError("Removing", path, error);
        }
    }
};

}  // namespace

// The real file system. The name is the library's entry point on every platform; on
// Windows it is the Win32 implementation above.
FileIo& systemFileIo() {
    static WindowsFileIo io;
    return io;
}

std::uint64_t currentProcessId() {
    return GetCurrentProcessId();
}

}  // namespace quenor::files
