#pragma once

#include <filesystem>

namespace quenor::app::script {

// The running program's own path, as the tool's programs find their folder.
std::filesystem::path ownExecutablePath();

}  // namespace quenor::app::script
