#pragma once

#include "host/screen.h"

namespace quenor::host::windows {

// The primary display's current mode. The process is made DPI-aware first, so that a scaled
// desktop reports its pixels rather than a smaller, scaled size.
Screen primaryDisplay();

}  // namespace quenor::host::windows
