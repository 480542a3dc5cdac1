#pragma once

#include <cstdint>
#include <string>

#include "lib/registry/key_tree.h"
#include "lib/registry/wine/wine_hive_index.h"

namespace quenor::reg::wine {

class WineHive;

// The file text for `current`, a tree attached to `hive` and changed since (see
// WineHive::render); `layout`, when given, gets how the text was made from the hive's.
std::string renderHive(const WineHive& hive, const RegKey& current, std::int64_t nowSeconds,
                       HiveIndex::Layout* layout);

}  // namespace quenor::reg::wine
