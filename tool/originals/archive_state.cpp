#include "tool/originals/archive_state.h"

#include "core/tool_error.h"
#include "lib/digest/sha256.h"

namespace quenor::originals {

std::string ReachedArchive::sha256() const {
    return digest::fileSha256(*io, host);
}

std::optional<ReachedArchive> reachArchive(FileSystem& files, const std::string& toolPath) {
    if (toolPath.empty()) return std::nullopt;
    try {
        return ReachedArchive{toolPath, files.hostPath(toolPath), &files.fileIo()};
    } catch (const ToolError&) {
        return std::nullopt;
    }
}

}  // namespace quenor::originals
