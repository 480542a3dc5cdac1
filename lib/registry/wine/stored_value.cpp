#include "lib/registry/wine/stored_value.h"

#include "lib/registry/registry_store.h"
#include "lib/registry/wine/wine_text.h"

namespace quenor::reg::wine {

std::vector<std::uint8_t> dataToCodePage(std::uint32_t type,
                                         const std::vector<std::uint8_t>& data) {
    if (!isStringType(type)) return data;
    const std::string text = toCodePage(fromUtf16Bytes(data));
    return {text.begin(), text.end()};
}

std::vector<std::uint8_t> dataFromCodePage(std::uint32_t type,
                                           const std::vector<std::uint8_t>& data) {
    if (!isStringType(type)) return data;
    return toUtf16Bytes(fromCodePage(std::string(data.begin(), data.end())));
}

RegValue storedValue(const WineLine& line) {
    return RegValue{toCodePage(line.name), line.type, dataToCodePage(line.type, line.data)};
}

std::string valueLineOf(std::u16string_view name, const RegValue& value,
                        const std::string& newline) {
    return formatValueLine(name, value.type, dataFromCodePage(value.type, value.data), newline);
}

}  // namespace quenor::reg::wine
