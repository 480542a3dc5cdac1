// quenor-viv: list, extract, add, verify and create BIG-family archives.
#include <iostream>
#include <string>
#include <vector>

#include "app/quenor_viv/run_viv.h"

int main(int argc, char** argv) {
    std::vector<std::string> args(argv + (argc > 0 ? 1 : 0), argv + argc);
    const int status =
        quenor::vivtool::runViv(args, std::cout, std::cerr, quenor::files::systemFileIo());
    std::cout.flush();
    return std::cout ? status : 1;
}
