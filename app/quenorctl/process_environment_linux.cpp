#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <ostream>

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

int startCommand(const std::vector<std::string>& command, std::ostream& err) {
    if (refuseEmptyCommand(command, err)) return 127;
    std::vector<char*> argv;
    argv.reserve(command.size() + 1);
    for (const std::string& argument : command) argv.push_back(const_cast<char*>(argument.c_str()));
    argv.push_back(nullptr);
    ::execvp(argv[0], argv.data());
    const int error = errno;
    err << "quenorctl: cannot start " << command[0] << ": " << std::strerror(error) << '\n';
    return error == ENOENT ? 127 : 126;
}

}  // namespace quenor::ctl
