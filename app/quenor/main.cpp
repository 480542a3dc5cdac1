// quenor: the tool's program. It takes no command-line arguments of its own (Qt's display
// options such as -platform still apply).

#include "app/quenor/program.h"

int main(int argc, char** argv) {
    return quenor::app::runQuenor(argc, argv);
}
