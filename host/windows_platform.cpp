#include "host/windows_platform.h"

#include "core/tool_error.h"
#include "lib/base/ascii.h"
#include "lib/digest/sha256.h"

#define WIN32_LEAN_AND_MEAN
#include <windows.h>

#include <vector>

namespace quenor::host::windows {

std::optional<std::string> WindowsEnvironment::variable(std::string_view name) const {
    const std::string key(name);
    if (key.empty() || key.find('\0') != std::string::npos) return std::nullopt;
    std::vector<char> buffer(256);
    for (;;) {
        SetLastError(ERROR_SUCCESS);
        const DWORD length =
            GetEnvironmentVariableA(key.c_str(), buffer.data(), static_cast<DWORD>(buffer.size()));
        if (length == 0) {
            if (GetLastError() == ERROR_ENVVAR_NOT_FOUND) return std::nullopt;
            return std::string();
        }
        if (length < buffer.size()) return std::string(buffer.data(), length);
        buffer.resize(length);  // the size needed, terminator included
    }
}

std::string WindowsEnvironment::expandReferences(std::string_view text) const {
    const std::string source(text);
    // ExpandEnvironmentStringsA stops at a zero byte; keep the plain expansion for such text.
    if (source.find('\0') != std::string::npos) return Environment::expandReferences(text);
    std::vector<char> buffer(source.size() + 256);
    for (;;) {
        const DWORD needed = ExpandEnvironmentStringsA(source.c_str(), buffer.data(),
                                                       static_cast<DWORD>(buffer.size()));
        if (needed == 0) return Environment::expandReferences(text);
        if (needed <= buffer.size()) return std::string(buffer.data());
        buffer.resize(needed);
    }
}

SystemVersion WindowsSystemInfo::version() const {
    OSVERSIONINFOEXA record{};
    static_assert(sizeof record == 156, "the version record has 156 bytes");
    record.dwOSVersionInfoSize = 156;
#if defined(__GNUC__)
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
#endif
    GetVersionExA(reinterpret_cast<OSVERSIONINFOA*>(&record));
#if defined(__GNUC__)
#pragma GCC diagnostic pop
#endif
    return {static_cast<unsigned>(record.dwMajorVersion),
            static_cast<unsigned>(record.dwMinorVersion)};
}

LocalDateTime WindowsClock::now() const {
    SYSTEMTIME local{};
    GetLocalTime(&local);
    return {local.wYear, local.wMonth, local.wDay, local.wHour, local.wMinute, local.wSecond};
}

namespace {

SYSTEMTIME systemTimeOf(const LocalDateTime& when) {
    SYSTEMTIME time{};
    time.wYear = static_cast<WORD>(when.year);
    time.wMonth = static_cast<WORD>(when.month);
    time.wDay = static_cast<WORD>(when.day);
    time.wHour = static_cast<WORD>(when.hour);
    time.wMinute = static_cast<WORD>(when.minute);
    time.wSecond = static_cast<WORD>(when.second);
    return time;
}

}  // namespace

std::string WindowsRegionalFormat::generalDate(const LocalDateTime& when) const {
    const SYSTEMTIME time = systemTimeOf(when);
    char date[128] = {};
    char clock[128] = {};
    const int dateLength =
        GetDateFormatA(LOCALE_USER_DEFAULT, DATE_SHORTDATE, &time, nullptr, date, sizeof date);
    const int clockLength =
        GetTimeFormatA(LOCALE_USER_DEFAULT, 0, &time, nullptr, clock, sizeof clock);
    std::string text = dateLength > 0 ? std::string(date) : std::string();
    if (clockLength > 0) {
        if (!text.empty()) text += ' ';
        text += clock;
    }
    return text;
}

char WindowsRegionalFormat::decimalSeparator() const {
    char separator[8] = {};
    if (GetLocaleInfoA(LOCALE_USER_DEFAULT, LOCALE_SDECIMAL, separator, sizeof separator) > 1) {
        return separator[0];
    }
    return '.';
}

namespace {

std::wstring wideOf(const std::string& path) {
    if (path.empty()) return {};
    const int length =
        MultiByteToWideChar(CP_ACP, 0, path.data(), static_cast<int>(path.size()), nullptr, 0);
    std::wstring wide(static_cast<std::size_t>(length), L'\0');
    MultiByteToWideChar(CP_ACP, 0, path.data(), static_cast<int>(path.size()), wide.data(), length);
    return wide;
}

std::string narrowOf(const std::wstring& wide) {
    if (wide.empty()) return {};
    const int length = WideCharToMultiByte(CP_ACP, 0, wide.data(), static_cast<int>(wide.size()),
                                           nullptr, 0, nullptr, nullptr);
    std::string narrow(static_cast<std::size_t>(length), '\0');
    WideCharToMultiByte(CP_ACP, 0, wide.data(), static_cast<int>(wide.size()), narrow.data(),
                        length, nullptr, nullptr);
    return narrow;
}

}  // namespace

bool WindowsFileAccess::exists(const std::string& path) {
    return GetFileAttributesW(wideOf(path).c_str()) != INVALID_FILE_ATTRIBUTES;
}

bool WindowsFileAccess::canWrite(const std::string& path) {
    HANDLE file = CreateFileW(wideOf(path).c_str(), GENERIC_READ | GENERIC_WRITE,
                              FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                              OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    CloseHandle(file);
    return true;
}

std::string WindowsFileAccess::copyMakingFolders(const std::string& from, const std::string& to) {
    const std::filesystem::path target(wideOf(to));
    try {
        io_.createFolders(target.parent_path());
        // The copy is never read-only, even of a read-only file: the game's own copy never is.
        files::copyToNewFile(io_, std::filesystem::path(wideOf(from)), target, 0644);
    } catch (const files::FileIoError& error) {
        return error.reason().empty() ? error.what() : error.reason();
    }
    return {};
}

std::filesystem::path originalsFolderOf(const Environment& environment,
                                        const std::string& toolFolder) {
    const auto local = environment.variable("LOCALAPPDATA");
    const std::filesystem::path base = local && !local->empty()
                                           ? std::filesystem::path(wideOf(*local)) / L"Quenor"
                                           : std::filesystem::path(wideOf(toolFolder));
    return base / L"originals" / L"machine";
}

std::filesystem::path lockFolderOf(const Environment& environment, const std::string& toolFolder) {
    const auto data = environment.variable("ProgramData");
    const std::filesystem::path base = data && !data->empty()
                                           ? std::filesystem::path(wideOf(*data)) / L"Quenor"
                                           : std::filesystem::path(wideOf(toolFolder));
    return base / L"locks";
}

VirtualStoreFolders virtualStoreFoldersOf(const Environment& environment) {
    VirtualStoreFolders folders;
    for (const char* name :
         {"ProgramFiles", "ProgramFiles(x86)", "ProgramW6432", "SystemRoot", "ProgramData"}) {
        if (auto folder = environment.variable(name); folder && !folder->empty()) {
            folders.protectedFolders.push_back(*folder);
        }
    }
    if (auto local = environment.variable("LOCALAPPDATA"); local && !local->empty()) {
        folders.virtualStore = *local + "\\VirtualStore";
    } else {
        folders.protectedFolders.clear();  // nowhere to redirect to: files are used as they are
    }
    return folders;
}

std::filesystem::path WindowsFileSystem::pathOf(const std::string& path) const {
    return std::filesystem::path(wideOf(path));
}

bool WindowsFileSystem::GameFileIo::isQuenorsOwn(const std::filesystem::path& path) const {
    const std::filesystem::path& locks = files_.lockFolder_;
    return !locks.empty() && (path == locks || path.parent_path() == locks);
}

std::filesystem::path WindowsFileSystem::GameFileIo::hostPathOf(const std::filesystem::path& path) {
    if (isQuenorsOwn(path)) return path;
    const std::optional<std::filesystem::path> owner = files::siblingOwner(path);
    WindowsFileAccess access(target());
    const FileToPatch chosen = fileTheGameReads(narrowOf((owner ? *owner : path).wstring()),
                                                files_.folders_, access, files_.copies_);
    if (!chosen.error.empty()) {
        throw files::FileIoError("Quenor cannot change " + chosen.error, chosen.error);
    }
    const std::filesystem::path host(wideOf(chosen.path));
    return owner ? host.parent_path() / path.filename() : host;
}

std::filesystem::path WindowsFileSystem::GameFileIo::hostFolderOf(
    const std::filesystem::path& folder) {
    if (isQuenorsOwn(folder)) return folder;
    const std::optional<std::string> copy =
        virtualStoreCopyOf(narrowOf(folder.wstring()), files_.folders_);
    if (copy && target().kind(wideOf(*copy)) == files::FileKind::kFolder) return wideOf(*copy);
    return folder;
}

std::string WindowsFileSystem::identityPath(const std::string& path) const {
    const std::wstring wide = wideOf(path);
    std::wstring real;
    // No access asked: only the file's name is wanted. Folders need backup semantics.
    HANDLE file =
        CreateFileW(wide.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                    nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (file != INVALID_HANDLE_VALUE) {
        std::vector<wchar_t> buffer(MAX_PATH);
        DWORD length =
            GetFinalPathNameByHandleW(file, buffer.data(), static_cast<DWORD>(buffer.size()), 0);
        if (length >= buffer.size()) {
            buffer.resize(length + 1);
            length = GetFinalPathNameByHandleW(file, buffer.data(),
                                               static_cast<DWORD>(buffer.size()), 0);
        }
        if (length > 0 && length < buffer.size()) real.assign(buffer.data(), length);
        CloseHandle(file);
    }
    if (real.empty()) {
        const DWORD length = GetFullPathNameW(wide.c_str(), 0, nullptr, nullptr);
        std::vector<wchar_t> buffer(length + 1);
        if (length > 0 && GetFullPathNameW(wide.c_str(), length + 1, buffer.data(), nullptr) > 0)
            real = buffer.data();
    }
    if (real.rfind(L"\\\\?\\UNC\\", 0) == 0)
        real = L"\\\\" + real.substr(8);
    else if (real.rfind(L"\\\\?\\", 0) == 0)
        real = real.substr(4);
    return real.empty() ? path : narrowOf(real);
}

std::filesystem::path WindowsFileSystem::changeLockFile(const std::string& archivePath) const {
    const std::string key = base::asciiLowered(identityPath(archivePath));
    digest::Sha256 sha;
    sha.update({reinterpret_cast<const std::uint8_t*>(key.data()), key.size()});
    try {
        io().createFolders(lockFolder_);
    } catch (const files::FileIoError&) {
        // A folder that cannot be made fails the lock, naming it.
    }
    return lockFolder_ / ("archive-" + digest::hex(sha.finish()).substr(0, 16) + ".lock");
}

unsigned WindowsMessageBoxes::style(const MessageBoxRequest& request) {
    unsigned flags = 0;
    switch (request.buttons) {
        case MessageButtons::Ok:
            flags |= MB_OK;
            break;
        case MessageButtons::OkCancel:
            flags |= MB_OKCANCEL;
            break;
        case MessageButtons::YesNo:
            flags |= MB_YESNO;
            break;
        case MessageButtons::RetryCancel:
            flags |= MB_RETRYCANCEL;
            break;
    }
    switch (request.icon) {
        case MessageIcon::None:
            break;
        case MessageIcon::Information:
            flags |= MB_ICONINFORMATION;
            break;
        case MessageIcon::Exclamation:
            flags |= MB_ICONEXCLAMATION;
            break;
        case MessageIcon::Critical:
            flags |= MB_ICONERROR;
            break;
    }
    // Only as many default buttons as the box has buttons.
    const int buttons = request.buttons == MessageButtons::Ok ? 1 : 2;
    if (request.defaultButton == 1 && buttons > 1) flags |= MB_DEFBUTTON2;
    return flags;
}

MessageAnswer WindowsMessageBoxes::show(const MessageBoxRequest& request) {
    const int answer = MessageBoxA(static_cast<HWND>(owner_), request.text.c_str(),
                                   request.title.c_str(), style(request) | MB_SETFOREGROUND);
    switch (answer) {
        case IDOK:
            return MessageAnswer::Ok;
        case IDCANCEL:
            return MessageAnswer::Cancel;
        case IDYES:
            return MessageAnswer::Yes;
        case IDNO:
            return MessageAnswer::No;
        case IDRETRY:
            return MessageAnswer::Retry;
        default:
            return MessageAnswer::Closed;
    }
}

std::string executablePath() {
    std::vector<char> buffer(MAX_PATH);
    for (;;) {
        const DWORD length =
            GetModuleFileNameA(nullptr, buffer.data(), static_cast<DWORD>(buffer.size()));
        if (length == 0) return std::string();
        if (length < buffer.size()) return std::string(buffer.data(), length);
        buffer.resize(buffer.size() * 2);  // cut short: try a larger buffer
    }
}

std::string folderOf(const std::string& path) {
    const std::size_t last = path.find_last_of("\\/");
    if (last == std::string::npos) return std::string();
    return path.substr(0, last);
}

std::string programNameOf(const std::string& path) {
    const std::size_t last = path.find_last_of("\\/");
    std::string name = last == std::string::npos ? path : path.substr(last + 1);
    const std::size_t dot = name.find_last_of('.');
    if (dot != std::string::npos && dot > 0) name.resize(dot);
    return name;
}

}  // namespace quenor::host::windows
