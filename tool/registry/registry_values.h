#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "core/registry_change.h"
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

// Saves the values the change wrote (RegistryChange::commit); a failure is
// logged ("Saving the registry failed - " and why) and thrown on.
void saveRegistryValues(Tool& tool, RegistryChange& registry);

// Reads one value as REG_SZ asks for it; empty when the key or value is missing.
TaggedValue getRegistryValue(Tool& tool, const TaggedValue& root, const TaggedValue& keyPath,
                             const TaggedValue& valueName);

// The read every reader of the game's and the tool's values goes through: the value as
// cRegistry converts it (texts without their terminating zero, DWORDs as numbers), empty when
// the key or value is missing. `log` gets the routine's log lines; null where nothing is
// logged (a look at the registry, such as quenorctl status).
TaggedValue readRegistryValue(const PlatformServices& services, std::uint32_t root,
                              const std::string& keyPath, const std::string& valueName,
                              const std::function<void(const std::string&)>& log = nullptr);

}  // namespace quenor
