#pragma once

#include <optional>
#include <string_view>

#include "lib/registry/key_tree.h"
#include "lib/registry/registry_store.h"

namespace quenor::reg {

// Plain reads through any store, for code that looks at the registry without the tool's own
// value routines.

// A value with its type and bytes; nothing when its key or the value is missing.
std::optional<RegValue> readStoreValue(RegistryStore& store, Handle root, std::string_view path,
                                       std::string_view name);

// Whether the key exists.
bool storeKeyExists(RegistryStore& store, Handle root, std::string_view path);

// Whether the key exists and holds neither values nor sub-keys.
bool storeKeyIsEmpty(RegistryStore& store, Handle root, std::string_view path);

}  // namespace quenor::reg
