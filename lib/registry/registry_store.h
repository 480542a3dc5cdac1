#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace quenor::reg {

// Handles: the predefined roots are their 32-bit values; opened keys get other numbers.
using Handle = std::uint32_t;
// Result codes are Windows' own.
using Status = std::int32_t;

inline constexpr Handle kClassesRoot = 0x80000000u;
inline constexpr Handle kCurrentUser = 0x80000001u;
inline constexpr Handle kLocalMachine = 0x80000002u;
inline constexpr Handle kUsers = 0x80000003u;

inline constexpr Status kSuccess = 0;
inline constexpr Status kFileNotFound = 2;
inline constexpr Status kAccessDenied = 5;
inline constexpr Status kInvalidHandle = 6;
inline constexpr Status kBadNetPath = 53;
inline constexpr Status kInvalidParameter = 87;
inline constexpr Status kMoreData = 234;
inline constexpr Status kNoMoreItems = 259;
inline constexpr Status kBadPathName = 161;
inline constexpr Status kRegistryIoFailed = 1016;
inline constexpr Status kKeyDeleted = 1018;

// Access rights of a key handle.
inline constexpr std::uint32_t kQueryValue = 0x0001;
inline constexpr std::uint32_t kSetValue = 0x0002;
inline constexpr std::uint32_t kCreateSubKey = 0x0004;
inline constexpr std::uint32_t kEnumerateSubKeys = 0x0008;
inline constexpr std::uint32_t kNotify = 0x0010;
inline constexpr std::uint32_t kCreateLink = 0x0020;
inline constexpr std::uint32_t kAllAccess = 0x003F;

// Value types.
inline constexpr std::uint32_t kNone = 0;
inline constexpr std::uint32_t kSz = 1;
inline constexpr std::uint32_t kExpandSz = 2;
inline constexpr std::uint32_t kBinary = 3;
inline constexpr std::uint32_t kDword = 4;
inline constexpr std::uint32_t kDwordBigEndian = 5;
inline constexpr std::uint32_t kLink = 6;
inline constexpr std::uint32_t kMultiSz = 7;

// The types whose data is text (stored with a terminating zero).
constexpr bool isStringType(std::uint32_t type) {
    return type == kSz || type == kExpandSz || type == kMultiSz;
}

struct KeyInfo {
    std::uint32_t subKeys = 0;
    std::uint32_t maxSubKeyLength = 0;
    std::uint32_t values = 0;
    std::uint32_t maxValueNameLength = 0;  // in characters, without the terminator
    std::uint32_t maxValueDataLength = 0;
};

// The registry operations the tool needs, with the calling conventions of Windows'
// registry API: key paths use "\" between names, names match without regard to letter
// case, texts are 8-bit. Every call returns 0 on success or a Windows error code.
class RegistryStore {
  public:
    virtual ~RegistryStore() = default;

    virtual Status openKey(Handle parent, std::string_view path, std::uint32_t access,
                           Handle& key) = 0;
    // Opens the key, creating it and every missing key on its path.
    virtual Status createKey(Handle parent, std::string_view path, std::uint32_t access,
                             Handle& key, bool* created) = 0;
    // As RegQueryValueExA: type and size may be null; with data null the size is reported
    // (0); with a buffer smaller than the value kMoreData and the size needed.
    virtual Status queryValue(Handle key, std::string_view name, std::uint32_t* type,
                              std::uint8_t* data, std::uint32_t* size) = 0;
    virtual Status setValue(Handle key, std::string_view name, std::uint32_t type,
                            const std::uint8_t* data, std::uint32_t size) = 0;
    // Deletes a key that has no sub-keys.
    virtual Status deleteKey(Handle parent, std::string_view path) = 0;
    virtual Status deleteValue(Handle key, std::string_view name) = 0;
    // As RegEnumKeyA: the zero-terminated name of the sub-key at index.
    virtual Status enumKey(Handle key, std::uint32_t index, char* name, std::uint32_t nameSize) = 0;
    // As RegEnumValueA: nameLength holds the buffer size in characters on entry and the
    // name's length without terminator on success.
    virtual Status enumValue(Handle key, std::uint32_t index, char* name,
                             std::uint32_t* nameLength) = 0;
    virtual Status queryInfoKey(Handle key, KeyInfo& info) = 0;
    // As RegConnectRegistryA: machine is "\\" and the machine's name.
    virtual Status connectRegistry(std::string_view machine, Handle root, Handle& key) = 0;
    virtual Status closeKey(Handle key) = 0;
};

}  // namespace quenor::reg
