#include <io.h>

#include <cstdio>

#include "app/quenorctl/process_environment.h"
#include "host/windows_platform.h"

namespace quenor::ctl {

std::unique_ptr<Environment> processEnvironment() {
    return std::make_unique<host::windows::WindowsEnvironment>();
}

std::filesystem::path ownPath(const char*) {
    return host::windows::executablePath();
}

bool inputIsTerminal() {
    return _isatty(_fileno(stdin)) != 0;
}

}  // namespace quenor::ctl
