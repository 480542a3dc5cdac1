#pragma once

#include <filesystem>
#include <iosfwd>
#include <memory>
#include <string>
#include <vector>

#include "core/platform/environment.h"

namespace quenor::ctl {

// The process's own environment, path and terminal, per system.
std::unique_ptr<Environment> processEnvironment();
std::filesystem::path ownPath(const char* argv0);
bool inputIsTerminal();

// Starts `command` (its program found as the shell finds it) with this process's environment
// and returns its exit status. On Linux the process becomes the command (exec), so that the
// launcher sees the command's own status and signals; it returns only when the command cannot
// start (126, or 127 when its program is not found, as shells say), having said why on `err`.
// On Windows the command runs as a child that this process waits for. An empty command (or
// one whose program is named "") starts nothing: 127, and it says so.
int startCommand(const std::vector<std::string>& command, std::ostream& err);

// Says on `err` that the command to start is empty, when it is, and returns true then.
bool refuseEmptyCommand(const std::vector<std::string>& command, std::ostream& err);

}  // namespace quenor::ctl
