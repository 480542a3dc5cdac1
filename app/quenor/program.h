#pragma once

#include <functional>

class QWidget;

namespace quenor::app {

// One run of the tool: starts Qt with the command line's display options, builds the
// platform services, runs start-up before the window is
// first shown (ending without a window when it fails or the platform refuses the run),
// shows the window centred and runs the event loop. The window is unloaded on every way
// out. `beforeShow` sees the window just before it is shown (the timing probe hooks in
// there). Returns the program's exit status.
int runQuenor(int& argc, char** argv, const std::function<void(QWidget&)>& beforeShow = {});

}  // namespace quenor::app
