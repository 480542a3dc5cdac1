#pragma once

#include <filesystem>
#include <iosfwd>
#include <string>
#include <vector>

#include "core/platform/environment.h"
#include "lib/files/file_io.h"

namespace quenor::ctl {

// What a run of quenorctl works with: its own path (the tool's folder, and so quenor.log, is
// found from it as for the window), the process environment, and its terminal.
struct Context {
    std::filesystem::path executable;
    const Environment& environment;
    std::istream& in;
    std::ostream& out;
    std::ostream& err;
    // The file layer every file of the run goes through.
    files::FileIo& io;
    bool interactive = false;  // the input is a terminal a question can be asked on
};

// Exit statuses.
inline constexpr int kDone = 0;
inline constexpr int kFailed = 1;
inline constexpr int kUsage = 2;

// Runs one command line (the arguments after the program name): status, apply, reset,
// restore or list.
int runQuenorctl(const std::vector<std::string>& arguments, const Context& context);

}  // namespace quenor::ctl
