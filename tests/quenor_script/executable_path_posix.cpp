#include <system_error>

#include "tests/quenor_script/executable_path.h"

namespace quenor::app::script {

std::filesystem::path ownExecutablePath() {
    std::error_code error;
    std::filesystem::path path = std::filesystem::read_symlink("/proc/self/exe", error);
    if (error) {
        throw std::filesystem::filesystem_error("cannot find the program's own path",
                                                "/proc/self/exe", error);
    }
    return path;
}

}  // namespace quenor::app::script
