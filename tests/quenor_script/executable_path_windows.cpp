#include "host/windows_platform.h"
#include "tests/quenor_script/executable_path.h"

namespace quenor::app::script {

std::filesystem::path ownExecutablePath() {
    return host::windows::executablePath();
}

}  // namespace quenor::app::script
