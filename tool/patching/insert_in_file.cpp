#include "tool/patching/insert_in_file.h"

#include "core/operation_log.h"
#include "tool/patching/keyed_lines.h"

namespace quenor::patching {

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
    for (const std::string& line : splitConfigLines(input)) {
        writeLog(tool, " Line Input - OK");
        output += rewriteKeyedLine(line, key, newValue);
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
