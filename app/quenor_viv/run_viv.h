#pragma once

#include <ostream>
#include <string>
#include <vector>

#include "patching/viv/file_io.h"

namespace quenor::vivtool {

// Runs one quenor-viv command line (the arguments after the program name). Reports go to
// `out`, errors to `err`. Returns the exit status: 0 success, 1 the command failed (nothing
// was written), 2 wrong usage.
int runViv(const std::vector<std::string>& args, std::ostream& out, std::ostream& err,
           viv::FileIo& io = viv::systemFileIo());

}  // namespace quenor::vivtool
