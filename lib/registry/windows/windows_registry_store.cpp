#include "lib/registry/windows/windows_registry_store.h"

#define WIN32_LEAN_AND_MEAN
#include <windows.h>

#include <string>

namespace quenor::reg::windows {
namespace {

// Every key access goes to the 32-bit view of the registry.
constexpr REGSAM kView = KEY_WOW64_32KEY;

HKEY asKey(void* key) {
    return static_cast<HKEY>(key);
}

bool isPredefined(Handle handle) {
    return handle == kClassesRoot || handle == kCurrentUser || handle == kLocalMachine ||
           handle == kUsers;
}

// Windows reads names up to the first zero byte; a name with a zero inside would address a
// different key or value than the caller named, so it is refused.
bool holdsZero(std::string_view text) {
    return text.find('\0') != std::string_view::npos;
}

}  // namespace

WindowsRegistryStore::~WindowsRegistryStore() {
    for (auto& [handle, key] : open_) RegCloseKey(asKey(key));
}

void* WindowsRegistryStore::native(Handle handle) const {
    if (isPredefined(handle)) {
        // The predefined handles are the 32-bit values sign-extended to a pointer.
        return reinterpret_cast<void*>(
            static_cast<ULONG_PTR>(static_cast<LONG_PTR>(static_cast<std::int32_t>(handle))));
    }
    auto found = open_.find(handle);
    return found == open_.end() ? nullptr : found->second;
}

Handle WindowsRegistryStore::remember(void* key) {
    while (next_ == 0 || isPredefined(next_) || open_.count(next_) != 0) ++next_;
    const Handle handle = next_++;
    open_[handle] = key;
    return handle;
}

Status WindowsRegistryStore::openKey(Handle parent, std::string_view path, std::uint32_t access,
                                     Handle& key) {
    void* from = native(parent);
    if (from == nullptr) return kInvalidHandle;
    if (holdsZero(path)) return kInvalidParameter;
    const std::string text(path);
    HKEY opened = nullptr;
    const LSTATUS status = RegOpenKeyExA(asKey(from), text.c_str(), 0, access | kView, &opened);
    if (status != ERROR_SUCCESS) return static_cast<Status>(status);
    key = remember(opened);
    return kSuccess;
}

Status WindowsRegistryStore::createKey(Handle parent, std::string_view path, std::uint32_t access,
                                       Handle& key, bool* created) {
    void* from = native(parent);
    if (from == nullptr) return kInvalidHandle;
    if (holdsZero(path)) return kInvalidParameter;
    const std::string text(path);
    HKEY opened = nullptr;
    DWORD disposition = 0;
    const LSTATUS status =
        RegCreateKeyExA(asKey(from), text.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE,
                        access | kView, nullptr, &opened, &disposition);
    if (status != ERROR_SUCCESS) return static_cast<Status>(status);
    key = remember(opened);
    if (created != nullptr) *created = disposition == REG_CREATED_NEW_KEY;
    return kSuccess;
}

Status WindowsRegistryStore::queryValue(Handle key, std::string_view name, std::uint32_t* type,
                                        std::uint8_t* data, std::uint32_t* size) {
    void* from = native(key);
    if (from == nullptr) return kInvalidHandle;
    if (holdsZero(name)) return kInvalidParameter;
    const std::string text(name);
    DWORD typeOut = 0;
    DWORD sizeOut = size != nullptr ? *size : 0;
    const LSTATUS status =
        RegQueryValueExA(asKey(from), text.c_str(), nullptr, type != nullptr ? &typeOut : nullptr,
                         data, size != nullptr ? &sizeOut : nullptr);
    if (status == ERROR_SUCCESS || status == ERROR_MORE_DATA) {
        if (type != nullptr) *type = typeOut;
        if (size != nullptr) *size = sizeOut;
    }
    return static_cast<Status>(status);
}

Status WindowsRegistryStore::setValue(Handle key, std::string_view name, std::uint32_t type,
                                      const std::uint8_t* data, std::uint32_t size) {
    void* from = native(key);
    if (from == nullptr) return kInvalidHandle;
    if (holdsZero(name)) return kInvalidParameter;
    const std::string text(name);
    return static_cast<Status>(RegSetValueExA(asKey(from), text.c_str(), 0, type, data, size));
}

Status WindowsRegistryStore::deleteKey(Handle parent, std::string_view path) {
    void* from = native(parent);
    if (from == nullptr) return kInvalidHandle;
    if (holdsZero(path)) return kInvalidParameter;
    const std::string text(path);
    // RegDeleteKeyA always works in the caller's own view; the Ex form takes the view.
    return static_cast<Status>(RegDeleteKeyExA(asKey(from), text.c_str(), kView, 0));
}

Status WindowsRegistryStore::deleteValue(Handle key, std::string_view name) {
    void* from = native(key);
    if (from == nullptr) return kInvalidHandle;
    if (holdsZero(name)) return kInvalidParameter;
    const std::string text(name);
    return static_cast<Status>(RegDeleteValueA(asKey(from), text.c_str()));
}

Status WindowsRegistryStore::enumKey(Handle key, std::uint32_t index, char* name,
                                     std::uint32_t nameSize) {
    void* from = native(key);
    if (from == nullptr) return kInvalidHandle;
    return static_cast<Status>(RegEnumKeyA(asKey(from), index, name, nameSize));
}

Status WindowsRegistryStore::enumValue(Handle key, std::uint32_t index, char* name,
                                       std::uint32_t* nameLength) {
    void* from = native(key);
    if (from == nullptr) return kInvalidHandle;
    if (nameLength == nullptr) return kInvalidParameter;
    DWORD length = *nameLength;
    const LSTATUS status =
        RegEnumValueA(asKey(from), index, name, &length, nullptr, nullptr, nullptr, nullptr);
    if (status == ERROR_SUCCESS) *nameLength = length;
    return static_cast<Status>(status);
}

Status WindowsRegistryStore::queryInfoKey(Handle key, KeyInfo& info) {
    void* from = native(key);
    if (from == nullptr) return kInvalidHandle;
    DWORD subKeys = 0, maxSubKeyLength = 0, values = 0, maxValueNameLength = 0,
          maxValueDataLength = 0;
    const LSTATUS status = RegQueryInfoKeyA(asKey(from), nullptr, nullptr, nullptr, &subKeys,
                                            &maxSubKeyLength, nullptr, &values, &maxValueNameLength,
                                            &maxValueDataLength, nullptr, nullptr);
    if (status != ERROR_SUCCESS) return static_cast<Status>(status);
    info.subKeys = subKeys;
    info.maxSubKeyLength = maxSubKeyLength;
    info.values = values;
    info.maxValueNameLength = maxValueNameLength;
    info.maxValueDataLength = maxValueDataLength;
    return kSuccess;
}

Status WindowsRegistryStore::connectRegistry(std::string_view machine, Handle root, Handle& key) {
    if (!isPredefined(root)) return kInvalidHandle;
    if (holdsZero(machine)) return kInvalidParameter;
    const std::string text(machine);
    HKEY connected = nullptr;
    const LSTATUS status =
        RegConnectRegistryA(text.empty() ? nullptr : text.c_str(), asKey(native(root)), &connected);
    if (status != ERROR_SUCCESS) return static_cast<Status>(status);
    key = remember(connected);
    return kSuccess;
}

Status WindowsRegistryStore::closeKey(Handle key) {
    if (isPredefined(key)) return kSuccess;
    auto found = open_.find(key);
    if (found == open_.end()) return kInvalidHandle;
    const LSTATUS status = RegCloseKey(asKey(found->second));
    open_.erase(found);
    return static_cast<Status>(status);
}

}  // namespace quenor::reg::windows
