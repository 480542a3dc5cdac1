#pragma once

#include <ostream>
#include <string>
#include <vector>

#include "lib/files/file_io.h"

namespace quenor::vivtool {

// Runs one quenor-viv command line (the arguments after the program name). Reports go to
// `out`, errors to `err`. Returns the exit status: 0 success, 1 the command failed (nothing
// was written), 2 wrong usage.
int runViv(const std::vector<std::string>& args, std::ostream& out, std::ostream& err,
           files::FileIo& io);

}  // namespace quenor::vivtool
