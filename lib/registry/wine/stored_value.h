#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "lib/registry/key_tree.h"
#include "lib/registry/wine/wine_reg_file.h"

namespace quenor::reg::wine {

// A registry file's values hold Unicode names and text; the store's API, and so its tree, holds
// them 8-bit, in Windows-1252 (wine_text.h). These convert one form into the other.

// The 8-bit data the store holds for file data of a type, and back.
std::vector<std::uint8_t> dataToCodePage(std::uint32_t type, const std::vector<std::uint8_t>& data);
std::vector<std::uint8_t> dataFromCodePage(std::uint32_t type,
                                           const std::vector<std::uint8_t>& data);

// A value line of the file as the store holds it.
RegValue storedValue(const WineLine& line);
// A value of the store in the file's form; `name` is the Unicode name the file spells it with.
std::string valueLineOf(std::u16string_view name, const RegValue& value,
                        const std::string& newline);

inline bool sameValue(const RegValue& a, const RegValue& b) {
    return a.type == b.type && a.data == b.data;
}

}  // namespace quenor::reg::wine
