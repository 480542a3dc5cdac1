#pragma once

#include <cstdint>

#include "core/tagged_value.h"
#include "core/tool.h"
#include "lib/registry/registry_store.h"

namespace quenor {

// Root keys as the tool passes them to the value routines (signed 32-bit, as logged).
inline const TaggedValue kHkeyClassesRoot{static_cast<std::int32_t>(reg::kClassesRoot)};
inline const TaggedValue kHkeyCurrentUser{static_cast<std::int32_t>(reg::kCurrentUser)};
inline const TaggedValue kHkeyLocalMachine{static_cast<std::int32_t>(reg::kLocalMachine)};

// Value types as the tool passes them to setRegistryValue.
inline const TaggedValue kRegSzType{static_cast<std::int32_t>(reg::kSz)};
inline const TaggedValue kRegDwordType{static_cast<std::int32_t>(reg::kDword)};

// Writes one value (creating its key when needed) through a fresh registry object, with
// the log lines "setRegistryValue start", the joined arguments and "setRegistryValue done - OK".
void setRegistryValue(Tool& tool, const TaggedValue& root, const TaggedValue& keyPath,
                      const TaggedValue& valueName, const TaggedValue& valueType,
                      const TaggedValue& value);

// Reads one value as REG_SZ asks for it; empty when the key or value is missing.
TaggedValue getRegistryValue(Tool& tool, const TaggedValue& root, const TaggedValue& keyPath,
                             const TaggedValue& valueName);

}  // namespace quenor
