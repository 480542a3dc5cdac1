#include "host/wine_virtual_desktop.h"

#include <charconv>

#include "lib/base/ascii.h"
#include "lib/registry/store_values.h"

namespace quenor::host {

namespace {

constexpr const char* kExplorerKey = "Software\\Wine\\Explorer";
constexpr const char* kDesktopsKey = "Software\\Wine\\Explorer\\Desktops";

// A text value up to its terminating zero; nothing when missing or not a text.
std::optional<std::string> textValue(reg::RegistryStore& store, const char* path,
                                     std::string_view name) {
    const std::optional<reg::RegValue> value =
        reg::readStoreValue(store, reg::kCurrentUser, path, name);
    if (!value || (value->type != reg::kSz && value->type != reg::kExpandSz)) return std::nullopt;
    std::string text(value->data.begin(), value->data.end());
    text.resize(text.find('\0') == std::string::npos ? text.size() : text.find('\0'));
    return text;
}

// A positive number of decimal digits, the whole of `text`.
std::optional<std::int32_t> pixels(std::string_view text) {
    std::int32_t number = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), number);
    if (text.empty() || text.front() < '0' || text.front() > '9' || error != std::errc() ||
        end != text.data() + text.size() || number <= 0)
        return std::nullopt;
    return number;
}

}  // namespace

std::optional<Screen> wineVirtualDesktop(reg::RegistryStore& store) {
    const std::optional<std::string> name = textValue(store, kExplorerKey, "Desktop");
    if (!name || name->empty() || base::equalsIgnoringAsciiCase(*name, "root")) return std::nullopt;
    const std::optional<std::string> size = textValue(store, kDesktopsKey, *name);
    if (!size) return std::nullopt;
    const std::size_t x = size->find('x');
    if (x == std::string::npos) return std::nullopt;
    const auto width = pixels(std::string_view(*size).substr(0, x));
    const auto height = pixels(std::string_view(*size).substr(x + 1));
    if (!width || !height) return std::nullopt;
    return Screen{ScreenSize{*width, *height},
                  "the prefix's Wine virtual desktop \"" + *name + "\""};
}

}  // namespace quenor::host
