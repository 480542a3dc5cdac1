#pragma once

#include <string_view>

#include "core/tool.h"

namespace quenor {

inline constexpr std::string_view kLogFileName = "quenor.log";

// Path of the operation log: the tool folder, a separator and "quenor.log".
std::string logFilePath(const Tool& tool);

// Appends one line to the operation log: the local date and time in the general date
// format, five blanks, the message, CR LF. Writes nothing while logging is off. The file
// is opened and closed for every line; a failure raises ToolError.
void writeLog(Tool& tool, std::string_view message);

// A line about a failure, written when it can be: on a full or failing disk the log may not
// take it either, and the failure itself is then what the caller reports.
void writeFailureLog(Tool& tool, std::string_view message);

}  // namespace quenor
