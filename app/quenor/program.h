#pragma once

#include <functional>

class QApplication;
class QWidget;

namespace quenor::app {

// One run of the tool: builds the platform services, runs start-up before the window is
// first shown (ending without a window when it fails or the platform refuses the run),
// shows the window centred and runs the event loop. The window is unloaded on every way
// out. `beforeShow` sees the window just before it is shown (the timing probe hooks in
// there). Returns the program's exit status.
int runQuenor(QApplication& app, const std::function<void(QWidget&)>& beforeShow = {});

}  // namespace quenor::app
