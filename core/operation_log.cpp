#include "core/operation_log.h"

#include <string>

namespace quenor {

std::string logFilePath(const Tool& tool) {
    return tool.services.files.join(tool.services.toolFolder, kLogFileName);
}

void writeLog(Tool& tool, std::string_view message) {
    if (tool.settings.intLog != 0) return;
    std::string line = tool.services.regionalFormat.generalDate(tool.services.clock.now());
    line += "     ";
    line += message;
    line += "\r\n";
    tool.services.files.appendToFile(logFilePath(tool), line);
}

void writeFailureLog(Tool& tool, std::string_view message) {
    try {
        writeLog(tool, message);
    } catch (const std::exception&) {
        // The failure being reported matters more than its log line.
    }
}

}  // namespace quenor
