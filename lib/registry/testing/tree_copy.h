#pragma once

#include <memory>

#include "lib/registry/key_tree.h"

namespace quenor::reg::testing {

// A deep copy of a key tree (every key loaded on the way), and a comparison of two trees
// (names, values, sub-keys, in order).
inline void copyTreeInto(const RegKey& from, RegKey& to) {
    for (const auto& value : from.values()) to.setValue(value);
    for (const auto& sub : from.subKeys()) copyTreeInto(*sub, to.addSubKey(sub->name()));
}

inline std::unique_ptr<RegKey> cloneTree(const RegKey& root) {
    auto copy = std::make_unique<RegKey>(root.name());
    copyTreeInto(root, *copy);
    return copy;
}

inline bool sameTree(const RegKey& a, const RegKey& b) {
    if (a.name() != b.name() || a.values() != b.values()) return false;
    if (a.subKeys().size() != b.subKeys().size()) return false;
    for (std::size_t i = 0; i < a.subKeys().size(); ++i) {
        if (!sameTree(*a.subKeys()[i], *b.subKeys()[i])) return false;
    }
    return true;
}

}  // namespace quenor::reg::testing
