#pragma once

#include <optional>
#include <string>

#include "app/quenorctl/quenorctl.h"

namespace quenor::ctl {

// quenorctl restore: puts back the originals Quenor kept before its first change, reads the
// installation back and compares it with them; with `forget`, drops them instead. Returns the
// exit status.
int restoreCommand(const Context& context, const Environment& environment, bool force,
                   const std::optional<std::string>& forget);

}  // namespace quenor::ctl
