#include "core/platform/host_file_system.h"

#include <span>

#include "core/tool_error.h"

namespace quenor {

namespace {

std::span<const std::uint8_t> bytesOf(std::string_view text) {
    return {reinterpret_cast<const std::uint8_t*>(text.data()), text.size()};
}

// New files get what the user's umask allows, as the files of any other program do.
constexpr std::uint32_t kNewFilePermissions = 0666;

}  // namespace

void HostFileSystem::fail(std::int32_t number, const std::string& what) const {
    throw ToolError(number, programName_, what);
}

char HostFileSystem::separator() const {
    return static_cast<char>(std::filesystem::path::preferred_separator);
}

std::filesystem::path HostFileSystem::pathOf(const std::string& path) const {
    if (separator() == '\\') return std::filesystem::path(path);
    std::string host = path;
    for (char& c : host) {
        if (c == '\\') c = '/';
    }
    return std::filesystem::path(host);
}

std::filesystem::path HostFileSystem::reach(const std::string& path) const {
    std::filesystem::path reached = pathOf(path);
    try {
        io().hostPathOf(reached);  // a file that cannot be reached says why, before any step
    } catch (const files::FileIoError& e) {
        fail(error_number::kPathAccess, e.what());
    }
    return reached;
}

HostFileSystem::HostFileSystem(std::string programName, files::FileIo& io,
                               std::filesystem::path changeLockFolder)
    : programName_(std::move(programName)),
      unmapped_(io),
      changeLockFolder_(std::move(changeLockFolder)) {
    if (changeLockFolder_.empty()) {
        std::error_code error;
        changeLockFolder_ = std::filesystem::temp_directory_path(error);
    }
}

std::filesystem::path HostFileSystem::changeLockFile(const std::string&) const {
    return changeLockFolder_ / ".quenor-change.lock";
}

bool HostFileSystem::isRegularFile(const std::string& path) const {
    return io().kind(pathOf(path)) == files::FileKind::kRegularFile;
}

void HostFileSystem::appendToFile(const std::string& path, std::string_view bytes) {
    std::unique_ptr<files::FileHandle> file;
    try {
        file = io().open(reach(path), files::OpenMode::kAppend, kNewFilePermissions);
    } catch (const files::FileIoError& e) {
        fail(error_number::kPathAccess,
             "Cannot open " + path + " for appending: " + e.reason() + ".");
    }
    try {
        file->append(bytesOf(bytes));
    } catch (const files::FileIoError& e) {
        fail(error_number::kDeviceIo, "Cannot write to " + path + ": " + e.reason() + ".");
    }
}

std::string HostFileSystem::readFile(const std::string& path, std::size_t maxBytes) const {
    const auto host = reach(path);
    if (io().kind(host) != files::FileKind::kRegularFile) {
        fail(error_number::kFileNotFound, "File not found: " + path + ".");
    }
    std::unique_ptr<files::FileHandle> file;
    std::uint64_t size = 0;
    try {
        file = io().open(host, files::OpenMode::kRead);
        size = file->size();
    } catch (const files::FileIoError& e) {
        fail(error_number::kPathAccess, "Cannot open " + path + ": " + e.reason() + ".");
    }
    if (size > maxBytes) {
        fail(error_number::kBadFileFormat, "The file " + path + " is too large (" +
                                               std::to_string(size) + " bytes; at most " +
                                               std::to_string(maxBytes) + " expected).");
    }
    std::string content(size, '\0');
    try {
        file->readAt(0, std::span(reinterpret_cast<std::uint8_t*>(content.data()), content.size()));
    } catch (const files::FileIoError&) {
        fail(error_number::kDeviceIo, "Cannot read " + path + " to its end.");
    }
    return content;
}

void HostFileSystem::writeFile(const std::string& path, std::string_view bytes) {
    const auto host = reach(path);
    std::unique_ptr<files::FileHandle> file;
    try {
        // An existing file is emptied and keeps its permissions; a new one is created.
        const bool exists = io().kind(host) == files::FileKind::kRegularFile;
        file = io().open(host, exists ? files::OpenMode::kReadWrite : files::OpenMode::kAppend,
                         kNewFilePermissions);
        if (exists) file->truncate(0);
    } catch (const files::FileIoError& e) {
        fail(error_number::kPathAccess,
             "Cannot open " + path + " for writing: " + e.reason() + ".");
    }
    try {
        file->writeAt(0, bytesOf(bytes));
    } catch (const files::FileIoError& e) {
        fail(error_number::kDeviceIo, "Cannot write " + path + ": " + e.reason() + ".");
    }
}

void HostFileSystem::copyFile(const std::string& from, const std::string& to) {
    if (io().kind(reach(from)) != files::FileKind::kRegularFile) {
        fail(error_number::kFileNotFound, "Cannot copy " + from + ": file not found.");
    }
    try {
        files::copyFile(io(), reach(from), reach(to));
    } catch (const files::FileIoError& e) {
        fail(error_number::kPathAccess,
             "Cannot copy " + from + " to " + to + ": " + e.reason() + ".");
    }
}

void HostFileSystem::removeFile(const std::string& path) {
    if (io().kind(reach(path)) != files::FileKind::kRegularFile) {
        fail(error_number::kFileNotFound, "Cannot delete " + path + ": file not found.");
    }
    try {
        io().remove(reach(path));
    } catch (const files::FileIoError& e) {
        fail(error_number::kPathAccess, "Cannot delete " + path + ": " + e.reason() + ".");
    }
}

}  // namespace quenor
