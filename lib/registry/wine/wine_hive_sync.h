#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "lib/registry/key_tree.h"
#include "lib/registry/wine/wine_reg_file.h"

namespace quenor::reg::wine {

// Fills `root` with the keys and values of a registry file, in the 8-bit form of the
// store's API: names and the data of string types (REG_SZ, REG_EXPAND_SZ, REG_MULTI_SZ)
// converted to Windows-1252, other data as raw bytes. Repeated sections merge; a repeated
// value: the last one wins.
void loadHive(const WineRegDocument& document, RegKey& root);

// The file text for the hive `current`, given the document that is on disk and the tree
// `saved` that was loaded from it. Everything that did not change between `saved` and
// `current` is written exactly as it was read; changed values are written in Wine's
// syntax in place of their line, new values at the end of their key's section, new keys as
// new sections at the end (stamped with nowSeconds), deleted keys and values are left out.
std::string renderHive(const WineRegDocument& document, const RegKey& current, const RegKey& saved,
                       std::int64_t nowSeconds);

// A deep copy of a key tree, and a comparison of two trees (names, values, sub-keys).
std::unique_ptr<RegKey> cloneTree(const RegKey& root);
bool sameTree(const RegKey& a, const RegKey& b);

// The 8-bit data the store holds for file data of a type, and back.
std::vector<std::uint8_t> dataToCodePage(std::uint32_t type, const std::vector<std::uint8_t>& data);
std::vector<std::uint8_t> dataFromCodePage(std::uint32_t type,
                                           const std::vector<std::uint8_t>& data);

}  // namespace quenor::reg::wine
