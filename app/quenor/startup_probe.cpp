// The quenor program made into a start-up timing run: everything the program does, then
// it reports the moment of its first paint and ends (see scripts/bench-startup.sh).

#include "app/quenor/program.h"
#include "window/qt/bench/first_paint_probe.h"

int main(int argc, char** argv) {
    return quenor::app::runQuenor(
        argc, argv, [](QWidget& window) { quenor::ui::qt::bench::exitAfterFirstPaint(window); });
}
