#pragma once

#include "core/platform/environment.h"

namespace quenor::host {

// The variables of the running process. A name is looked up exactly first; when no
// variable has that exact name, one whose name differs only in letter case is taken (the
// first in the environment's order), so the tool's "Temp" finds "TEMP" or "temp" as it
// would on Windows.
class ProcessEnvironment : public Environment {
  public:
    std::optional<std::string> variable(std::string_view name) const override;
};

}  // namespace quenor::host
