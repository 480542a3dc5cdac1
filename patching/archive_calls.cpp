#include "patching/archive_calls.h"

#include "core/tool_error.h"
#include "patching/viv/archive_error.h"
#include "patching/viv/viv_operations.h"

namespace quenor {

namespace {

// The name after the last "\" or "/" of a tool path.
std::string fileNameOf(const std::string& path) {
    std::size_t slash = path.find_last_of("\\/");
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

}  // namespace

void ExportFile(Tool& tool, const std::string& archivePath, const std::string& entryName,
                const std::string& outputPath, std::int32_t /*flag*/) {
    FileSystem& files = tool.services.files;
    try {
        viv::exportEntry(files.hostPath(archivePath), entryName, files.hostPath(outputPath));
    } catch (const viv::ArchiveError& e) {
        throw ToolError(kArchiveStepError, tool.services.programName,
                        "Could not take " + entryName + " out of the game archive " + archivePath +
                            ". " + e.what());
    }
}

void AddFile(Tool& tool, const std::string& archivePath, const std::string& filePath,
             std::int32_t /*flag*/) {
    FileSystem& files = tool.services.files;
    const std::string entryName = fileNameOf(filePath);
    try {
        viv::addFile(files.hostPath(archivePath), files.hostPath(filePath), viv::systemFileIo(),
                     entryName);
    } catch (const viv::ArchiveError& e) {
        throw ToolError(kArchiveStepError, tool.services.programName,
                        "Could not put " + entryName + " back into the game archive " +
                            archivePath + ". The archive was left as it was. " + e.what());
    }
}

}  // namespace quenor
