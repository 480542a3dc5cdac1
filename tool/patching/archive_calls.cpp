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

ToolError exportFailed(const Tool& tool, const std::string& archivePath,
                       const std::string& entryName, const std::exception& cause) {
    return ToolError(kArchiveStepError, tool.services.programName,
                     "Could not take " + entryName + " out of the game archive " + archivePath +
                         ". " + cause.what());
}

ToolError addFailed(const Tool& tool, const std::string& archivePath, const std::string& entryName,
                    const std::exception& cause) {
    return ToolError(kArchiveStepError, tool.services.programName,
                     "Could not put " + entryName + " back into the game archive " + archivePath +
                         ". The archive was left as it was. " + cause.what());
}

}  // namespace

void ExportFile(Tool& tool, const std::string& archivePath, const std::string& entryName,
                const std::string& outputPath, std::int32_t /*flag*/) {
    FileSystem& files = tool.services.files;
    try {
        viv::exportEntry(files.hostPath(archivePath), entryName, files.hostPath(outputPath),
                         files.fileIo());
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
    if (tool.beforeArchiveChange) tool.beforeArchiveChange(entryName, files.hostPath(filePath));
    try {
        viv::addFile(files.hostPath(archivePath), files.hostPath(filePath), files.fileIo(),
                     entryName);
        tool.changeReport.noteWritten("the game archive " + archivePath, entryName);
    } catch (const viv::ArchiveError& e) {
        writeFailureLog(tool, " AddFile failed - " + std::string(e.what()));
        throw addFailed(tool, archivePath, entryName, e);
    } catch (const files::FileIoError& e) {
        writeFailureLog(tool, " AddFile failed - " + std::string(e.what()));
        throw addFailed(tool, archivePath, entryName, e);
    }
}

}  // namespace quenor::patching
