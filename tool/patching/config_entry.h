#pragma once

#include <initializer_list>
#include <string>

#include "core/tagged_value.h"
#include "core/tool.h"

namespace quenor::patching {

// A keyed line of a config file and the value it gets.
struct KeyedValue {
    const char* key;
    TaggedValue value;
};

// Rewrites keyed lines of one config file of the game archive, as both patches do: takes the
// entry out into the temporary folder (ExportFile), gives each key's lines its value
// (insertInFile, through the scratch file "quenor.tmp") and puts the file back (AddFile),
// logging each step. Returns the path of the extracted file, which is left in the temporary
// folder.
std::string rewriteConfigEntry(Tool& tool, const std::string& entryName,
                               std::initializer_list<KeyedValue> values);

}  // namespace quenor::patching
