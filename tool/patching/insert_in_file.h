#pragma once

#include <string>

#include "core/tagged_value.h"
#include "core/tool.h"

namespace quenor::patching {

// Largest config file the tool rewrites; the game's are a few KiB.
inline constexpr std::size_t kMaxConfigFileBytes = std::size_t{16} * 1024 * 1024;

// Gives every line of a text file that starts with `key` (ignoring case) the form
// key-as-spelled + " " + value, through a scratch file, with a log line for every step.
// Lines end at CR or CR LF and are all written back with CR LF. An empty file stays empty.
void insertInFile(Tool& tool, const std::string& sourcePath, const std::string& scratchPath,
                  const std::string& key, const TaggedValue& value);

}  // namespace quenor::patching
