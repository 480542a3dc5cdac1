// quenorctl: the tool from the command line, for launchers and scripts.
#include <iostream>

#include "app/quenorctl/process_environment.h"
#include "app/quenorctl/quenorctl.h"

int main(int argc, char** argv) {
    const std::vector<std::string> arguments(argv + 1, argv + argc);
    const auto environment = quenor::ctl::processEnvironment();
    const quenor::ctl::Context context{quenor::ctl::ownPath(argv[0]),
                                       *environment,
                                       std::cin,
                                       std::cout,
                                       std::cerr,
                                       quenor::files::systemFileIo(),
                                       quenor::ctl::inputIsTerminal()};
    return quenor::ctl::runQuenorctl(arguments, context);
}
