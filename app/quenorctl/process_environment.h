#pragma once

#include <filesystem>
#include <memory>

#include "core/platform/environment.h"

namespace quenor::ctl {

// The process's own environment, path and terminal, per system.
std::unique_ptr<Environment> processEnvironment();
std::filesystem::path ownPath(const char* argv0);
bool inputIsTerminal();

}  // namespace quenor::ctl
