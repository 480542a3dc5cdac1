#include "core/platform/host_file_system.h"

#include <cerrno>
#include <cstring>
#include <fstream>
#include <system_error>

#include "core/tool_error.h"

#ifdef _WIN32
#define WIN32_LEAN_AND_MEAN
#include <windows.h>
#endif

namespace quenor {

namespace {

std::string reason(const std::error_code& ec) {
    return ec ? ec.message() : "unknown cause";
}

std::string lastReason() {
    return errno ? std::strerror(errno) : "unknown cause";
}

}  // namespace

void HostFileSystem::fail(std::int32_t number, const std::string& what) const {
    throw ToolError(number, programName_, what);
}

char HostFileSystem::separator() const {
    return static_cast<char>(std::filesystem::path::preferred_separator);
}

std::filesystem::path HostFileSystem::hostPath(const std::string& path) const {
    if (separator() == '\\') return std::filesystem::path(path);
    std::string host = path;
    for (char& c : host) {
        if (c == '\\') c = '/';
    }
    return std::filesystem::path(host);
}

bool HostFileSystem::isRegularFile(const std::string& path) const {
    std::error_code ec;
    return std::filesystem::is_regular_file(hostPath(path), ec);
}

void HostFileSystem::appendToFile(const std::string& path, std::string_view bytes) {
    errno = 0;
    std::ofstream out(hostPath(path), std::ios::binary | std::ios::app);
    if (!out)
        fail(error_number::kPathAccess,
             "Cannot open " + path + " for appending: " + lastReason() + ".");
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    out.close();
    if (!out) fail(error_number::kDeviceIo, "Cannot write to " + path + ": " + lastReason() + ".");
}

std::string HostFileSystem::readFile(const std::string& path, std::size_t maxBytes) const {
    const auto host = hostPath(path);
    std::error_code ec;
    if (!std::filesystem::is_regular_file(host, ec)) {
        fail(error_number::kFileNotFound, "File not found: " + path + ".");
    }
    auto size = std::filesystem::file_size(host, ec);
    if (ec) fail(error_number::kPathAccess, "Cannot read " + path + ": " + reason(ec) + ".");
    if (size > maxBytes) {
        fail(error_number::kBadFileFormat, "The file " + path + " is too large (" +
                                               std::to_string(size) + " bytes; at most " +
                                               std::to_string(maxBytes) + " expected).");
    }
    errno = 0;
    std::ifstream in(host, std::ios::binary);
    if (!in) fail(error_number::kPathAccess, "Cannot open " + path + ": " + lastReason() + ".");
    std::string content(static_cast<std::size_t>(size), '\0');
    in.read(content.data(), static_cast<std::streamsize>(size));
    if (in.gcount() != static_cast<std::streamsize>(size)) {
        fail(error_number::kDeviceIo, "Cannot read " + path + " to its end.");
    }
    return content;
}

void HostFileSystem::writeFile(const std::string& path, std::string_view bytes) {
    errno = 0;
    std::ofstream out(hostPath(path), std::ios::binary | std::ios::trunc);
    if (!out)
        fail(error_number::kPathAccess,
             "Cannot open " + path + " for writing: " + lastReason() + ".");
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    out.close();
    if (!out) fail(error_number::kDeviceIo, "Cannot write " + path + ": " + lastReason() + ".");
}

void HostFileSystem::copyFile(const std::string& from, const std::string& to) {
    std::error_code ec;
    if (!std::filesystem::is_regular_file(hostPath(from), ec)) {
        fail(error_number::kFileNotFound, "Cannot copy " + from + ": file not found.");
    }
#ifdef _WIN32
    // MinGW's copy_file refuses to overwrite an existing file ("File exists"); Windows' own
    // copy replaces it.
    if (!CopyFileW(hostPath(from).c_str(), hostPath(to).c_str(), FALSE)) {
        ec = std::error_code(static_cast<int>(GetLastError()), std::system_category());
    }
#else
    std::filesystem::copy_file(hostPath(from), hostPath(to),
                               std::filesystem::copy_options::overwrite_existing, ec);
#endif
    if (ec)
        fail(error_number::kPathAccess,
             "Cannot copy " + from + " to " + to + ": " + reason(ec) + ".");
}

void HostFileSystem::removeFile(const std::string& path) {
    std::error_code ec;
    if (!std::filesystem::is_regular_file(hostPath(path), ec)) {
        fail(error_number::kFileNotFound, "Cannot delete " + path + ": file not found.");
    }
    if (!std::filesystem::remove(hostPath(path), ec) || ec) {
        fail(error_number::kPathAccess, "Cannot delete " + path + ": " + reason(ec) + ".");
    }
}

}  // namespace quenor
