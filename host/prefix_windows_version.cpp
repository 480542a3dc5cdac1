#include "host/prefix_windows_version.h"

#include <charconv>
#include <optional>
#include <string>

#include "lib/registry/registry_store.h"

namespace quenor::host {

namespace {

std::optional<unsigned> dwordValue(const reg::RegKey& key, std::string_view name) {
    const reg::RegValue* value = key.findValue(name);
    if (value == nullptr || value->type != reg::kDword || value->data.size() != 4)
        return std::nullopt;
    return static_cast<unsigned>(value->data[0]) | static_cast<unsigned>(value->data[1]) << 8 |
           static_cast<unsigned>(value->data[2]) << 16 |
           static_cast<unsigned>(value->data[3]) << 24;
}

// "6.1" (with or without its final NUL) as 6 and 1.
std::optional<SystemVersion> dottedVersion(const reg::RegKey& key) {
    const reg::RegValue* value = key.findValue("CurrentVersion");
    if (value == nullptr || value->type != reg::kSz) return std::nullopt;
    std::string text(value->data.begin(), value->data.end());
    if (!text.empty() && text.back() == '\0') text.pop_back();
    SystemVersion version;
    const char* end = text.data() + text.size();
    auto [afterMajor, majorError] = std::from_chars(text.data(), end, version.major);
    if (majorError != std::errc() || afterMajor == end || *afterMajor != '.') return std::nullopt;
    auto [afterMinor, minorError] = std::from_chars(afterMajor + 1, end, version.minor);
    if (minorError != std::errc() || afterMinor != end) return std::nullopt;
    return version;
}

std::optional<SystemVersion> versionOf(reg::RegKey& machine, const std::vector<std::string>& path) {
    const reg::RegKey* key = machine.find(path);
    if (key == nullptr) return std::nullopt;
    auto major = dwordValue(*key, "CurrentMajorVersionNumber");
    auto minor = dwordValue(*key, "CurrentMinorVersionNumber");
    if (major && minor) return SystemVersion{*major, *minor};
    return dottedVersion(*key);
}

}  // namespace

SystemVersion prefixWindowsVersion(reg::RegKey& machine) {
    if (auto version =
            versionOf(machine, {"Software", "Microsoft", "Windows NT", "CurrentVersion"}))
        return *version;
    if (auto version = versionOf(
            machine, {"Software", "Wow6432Node", "Microsoft", "Windows NT", "CurrentVersion"}))
        return *version;
    return kWineDefaultVersion;
}

SystemVersion versionToldToPrograms(SystemVersion configured) {
    constexpr SystemVersion kWindows8{6, 2};
    const bool after8 = configured.major > kWindows8.major ||
                        (configured.major == kWindows8.major && configured.minor > kWindows8.minor);
    return after8 ? kWindows8 : configured;
}

}  // namespace quenor::host
