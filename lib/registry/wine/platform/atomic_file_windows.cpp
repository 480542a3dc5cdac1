// Atomic file replacement on Windows: a temporary file in the same folder, flushed with
// FlushFileBuffers and moved over the target with MoveFileExW (replace, write through).
#define WIN32_LEAN_AND_MEAN
#include <windows.h>

#include <algorithm>

#include "lib/registry/wine/platform/atomic_file.h"

namespace quenor::reg::wine {

namespace {

std::string systemText(DWORD code) {
    char* text = nullptr;
    const DWORD length = FormatMessageA(
        FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
        nullptr, code, 0, reinterpret_cast<char*>(&text), 0, nullptr);
    std::string message = length != 0 && text != nullptr ? std::string(text, length) : "";
    if (text != nullptr) LocalFree(text);
    while (!message.empty() && (message.back() == '\n' || message.back() == '\r' ||
                                message.back() == '.' || message.back() == ' ')) {
        message.pop_back();
    }
    return message.empty() ? "Windows error " + std::to_string(code) : message;
}

std::string failure(const std::string& what, const std::filesystem::path& file, DWORD code) {
    return what + " \"" + file.string() + "\": " + systemText(code);
}

}  // namespace

bool replaceFileAtomically(const std::filesystem::path& target, std::string_view bytes,
                           std::string& error) {
    std::filesystem::path folder = target.parent_path();
    if (folder.empty()) folder = ".";
    // A name no other writer uses: the process id and a counter.
    static unsigned counter = 0;
    const std::filesystem::path temp =
        folder / ("." + target.filename().string() + "." + std::to_string(GetCurrentProcessId()) +
                  "-" + std::to_string(++counter) + ".tmp");
    HANDLE file = CreateFileW(temp.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        error = failure("cannot create a temporary file in", folder, GetLastError());
        return false;
    }
    auto abandon = [&](const std::string& message) {
        CloseHandle(file);
        DeleteFileW(temp.c_str());
        error = message;
        return false;
    };
    while (!bytes.empty()) {
        const DWORD want = static_cast<DWORD>(std::min<std::size_t>(bytes.size(), 1u << 30));
        DWORD written = 0;
        if (!WriteFile(file, bytes.data(), want, &written, nullptr) || written == 0) {
            return abandon(failure("cannot write", temp, GetLastError()));
        }
        bytes.remove_prefix(written);
    }
    if (!FlushFileBuffers(file)) return abandon(failure("cannot flush", temp, GetLastError()));
    CloseHandle(file);
    if (!MoveFileExW(temp.c_str(), target.c_str(),
                     MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
        const DWORD code = GetLastError();
        DeleteFileW(temp.c_str());
        error = failure("cannot replace", target, code);
        return false;
    }
    return true;
}

}  // namespace quenor::reg::wine
