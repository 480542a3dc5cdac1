#pragma once

#include <filesystem>
#include <map>
#include <string>
#include <vector>

namespace quenor::testing {

// The lines a log must hold, read from a file under tests/expected/. Each line of the file is
// one logged message; the fixed time stamp and its five blanks are put in front. Besides:
//   {TOOL} {GAME} {TEMP} {NOW}   the run's folders and the fixed date and time
//   @raw:TEXT                    a line without time stamp (the empty line after a CR LF message)
//   @insertInFile FILE           the lines of one rewrite of FILE (a sample config file)
//   ## ...                       a comment, not a line
std::vector<std::string> expectedLog(const std::string& name,
                                     const std::map<std::string, std::string>& folders);

// The folder of the expected logs.
std::filesystem::path expectedLogFolder();

}  // namespace quenor::testing
