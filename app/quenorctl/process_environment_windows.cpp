#include <io.h>
#include <process.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <ostream>

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

namespace {

// An argument as the C runtime of the started program splits it back out of the command line:
// quoted when it is empty or holds a blank or a quote, backslashes before a quote doubled.
std::string quotedArgument(const std::string& argument) {
    if (!argument.empty() && argument.find_first_of(" \t\"") == std::string::npos) return argument;
    std::string out = "\"";
    std::size_t backslashes = 0;
    for (const char c : argument) {
        if (c == '\\') {
            ++backslashes;
            continue;
        }
        out.append(c == '"' ? backslashes * 2 + 1 : backslashes, '\\');
        backslashes = 0;
        out += c;
    }
    out.append(backslashes * 2, '\\');
    return out + "\"";
}

}  // namespace

int startCommand(const std::vector<std::string>& command, std::ostream& err) {
    if (refuseEmptyCommand(command, err)) return 127;
    std::vector<std::string> quoted;
    quoted.reserve(command.size());
    for (const std::string& argument : command) quoted.push_back(quotedArgument(argument));
    std::vector<const char*> argv;
    argv.reserve(quoted.size() + 1);
    for (const std::string& argument : quoted) argv.push_back(argument.c_str());
    argv.push_back(nullptr);
    const intptr_t status = _spawnvp(_P_WAIT, command[0].c_str(), argv.data());
    if (status == -1) {
        const int error = errno;
        err << "quenorctl: cannot start " << command[0] << ": " << std::strerror(error) << '\n';
        return error == ENOENT ? 127 : 126;
    }
    return static_cast<int>(status);
}

}  // namespace quenor::ctl
