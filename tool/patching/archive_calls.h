#pragma once

#include <cstdint>
#include <string>

#include "core/tool.h"

namespace quenor::patching {

// Error number of a failed archive step (export or add).
inline constexpr std::int32_t kArchiveStepError = 26100;

// Writes the content of the archive's entry `entryName` to `outputPath` as a plain file.
// The flag is kept for the call's shape; it is always -1. A failure raises ToolError
// naming the archive, the entry and the cause.
void ExportFile(Tool& tool, const std::string& archivePath, const std::string& entryName,
                const std::string& outputPath, std::int32_t flag);

// Puts the content of `filePath` into the archive under the file's own name, in place of
// the entry of that name (kept compressed when it was), or as a new entry at the end.
// The archive is never left torn: it holds either the old or the new content.
void AddFile(Tool& tool, const std::string& archivePath, const std::string& filePath,
             std::int32_t flag);

}  // namespace quenor::patching
