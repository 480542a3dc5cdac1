#include "tool/patching/insert_in_file.h"

#include <vector>

#include "core/operation_log.h"
#include "lib/base/ascii.h"

namespace quenor::patching {

namespace {

// Splits text into lines ending at CR or CR LF. A line feed alone does not end a line.
// The text after the last line end, when there is any, is a last line of its own.
std::vector<std::string> splitLines(const std::string& text) {
    std::vector<std::string> lines;
    std::size_t start = 0;
    while (start < text.size()) {
        std::size_t cr = text.find('\r', start);
        if (cr == std::string::npos) {
            lines.push_back(text.substr(start));
            break;
        }
        lines.push_back(text.substr(start, cr - start));
        start = cr + 1;
        if (start < text.size() && text[start] == '\n') ++start;
    }
    return lines;
}

}  // namespace

void insertInFile(Tool& tool, const std::string& sourcePath, const std::string& scratchPath,
                  const std::string& key, const TaggedValue& value) {
    FileSystem& files = tool.services.files;
    writeLog(tool, "insertInFile start...");
    files.copyFile(sourcePath, scratchPath);
    writeLog(tool, " FileCopy " + sourcePath + " " + scratchPath + " - OK");
    const std::string input = files.readFile(sourcePath, kMaxConfigFileBytes);
    writeLog(tool, " Open " + sourcePath + " - OK");
    files.writeFile(scratchPath, "");
    writeLog(tool, " Open " + scratchPath + " - OK");

    const std::string newValue = value.text();
    std::string output;
    output.reserve(input.size() + 64);
    for (std::string& line : splitLines(input)) {
        writeLog(tool, " Line Input - OK");
        std::string prefix = line.substr(0, key.size());
        if (base::equalsIgnoringAsciiCase(prefix, key)) line = prefix + " " + newValue;
        output += line;
        output += "\r\n";
        writeLog(tool, " Print #outputFile - OK");
    }
    writeLog(tool, " EOF - OK");
    files.writeFile(scratchPath, output);

    files.copyFile(scratchPath, sourcePath);
    writeLog(tool, " FileCopy " + scratchPath + " " + sourcePath + " - OK");
    files.removeFile(scratchPath);
    writeLog(tool, "Kill " + scratchPath + " - OK");
}

}  // namespace quenor::patching
