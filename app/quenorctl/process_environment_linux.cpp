#include <unistd.h>

#include "app/quenorctl/process_environment.h"
#include "host/process_environment_posix.h"

namespace quenor::ctl {

std::unique_ptr<Environment> processEnvironment() {
    return std::make_unique<host::ProcessEnvironment>();
}

std::filesystem::path ownPath(const char* argv0) {
    std::error_code error;
    const auto path = std::filesystem::read_symlink("/proc/self/exe", error);
    return error ? std::filesystem::absolute(argv0) : path;
}

bool inputIsTerminal() {
    return ::isatty(0) != 0;
}

}  // namespace quenor::ctl
