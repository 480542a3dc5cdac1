#pragma once

#include <map>
#include <optional>
#include <string>
#include <vector>

#include "core/change_plan.h"
#include "core/tool.h"
#include "tool/patching/patch_window.h"

namespace quenor::patching {

// The plain text of a config entry of the game archive, or nothing when the archive or the
// entry cannot be read.
std::optional<std::string> plainEntryText(Tool& tool, const std::string& entry);

// Whether start-up found the game: "Install Dir" names a folder every command reads alike
// (FileSystem::whyNotAGameFolder), never against the folder the tool runs in.
bool gameFolderKnown(const Tool& tool);
// The box that says the game was not found and how to point Quenor at it; nothing changes.
void showGameNotFound(Tool& tool);

// Before the first write: every entry of the change that the archive holds has a line for
// each key it rewrites (the tool never invents a line). An archive or entry that cannot be
// read is left to the change, which reports it as it always has. Throws ToolError naming the
// entry and the key.
void requireKeyedLines(Tool& tool, const ChangePlan& plan);

// After the writes: every keyed line of the change reads back with its value. Throws
// ToolError naming the entry, the key and what it holds.
void requireWritten(Tool& tool, const ChangePlan& plan);

}  // namespace quenor::patching
