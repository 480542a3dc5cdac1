#include "tool/patching/archive_calls.h"

#include "core/operation_log.h"
#include "core/tool_error.h"
#include "lib/files/file_error.h"
#include "lib/viv/archive_error.h"
#include "lib/viv/viv_operations.h"

namespace quenor::patching {

namespace {

// The name after the last "\" or "/" of a tool path.
std::string fileNameOf(const std::string& path) {
    std::size_t slash = path.find_last_of("\\/");
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

// What the archive library said, naming the archive as this machine knows it.
std::string causeText(const Tool& tool, const std::string& archivePath,
                      const std::exception& cause) {
    return tool.services.files.namingHostFile(archivePath, cause.what());
}

ToolError exportFailed(const Tool& tool, const std::string& archivePath,
                       const std::string& entryName, const std::exception& cause) {
    return ToolError(kArchiveStepError, tool.services.programName,
                     "Could not take " + entryName + " out of the game archive " + archivePath +
                         ". " + causeText(tool, archivePath, cause));
}

ToolError addFailed(const Tool& tool, const std::string& archivePath, const std::string& entryName,
                    const std::exception& cause) {
    return ToolError(kArchiveStepError, tool.services.programName,
                     "Could not put " + entryName + " back into the game archive " + archivePath +
                         ". The archive was left as it was. " +
                         causeText(tool, archivePath, cause));
}

}  // namespace

void ExportFile(Tool& tool, const std::string& archivePath, const std::string& entryName,
                const std::string& outputPath, std::int32_t /*flag*/) {
    FileSystem& files = tool.services.files;
    try {
        viv::exportEntry(files.pathOf(archivePath), entryName, files.pathOf(outputPath),
                         files.io());
    } catch (const viv::ArchiveError& e) {
        throw exportFailed(tool, archivePath, entryName, e);
    } catch (const files::FileIoError& e) {
        throw exportFailed(tool, archivePath, entryName, e);
    }
}

void AddFile(Tool& tool, const std::string& archivePath, const std::string& filePath,
             std::int32_t /*flag*/) {
    FileSystem& files = tool.services.files;
    const std::string entryName = fileNameOf(filePath);
    if (tool.beforeArchiveChange) tool.beforeArchiveChange(entryName, files.pathOf(filePath));
    try {
        viv::addFile(files.pathOf(archivePath), files.pathOf(filePath), files.io(), entryName);
        tool.changeReport.noteWritten("the game archive " + archivePath, entryName);
    } catch (const viv::ArchiveError& e) {
        writeFailureLog(tool, " AddFile failed - " + causeText(tool, archivePath, e));
        throw addFailed(tool, archivePath, entryName, e);
    } catch (const files::FileIoError& e) {
        writeFailureLog(tool, " AddFile failed - " + causeText(tool, archivePath, e));
        throw addFailed(tool, archivePath, entryName, e);
    }
}

}  // namespace quenor::patching
