#pragma once

#include <filesystem>
#include <optional>
#include <string>

#include "core/platform/file_system.h"

namespace quenor::originals {

// The game's archive as the originals code reaches it: the tool's path, the file on this
// machine and the file layer to read it through.
struct ReachedArchive {
    std::string toolPath;
    std::filesystem::path host;
    files::FileIo* io = nullptr;

    bool exists() const { return io->kind(host) == files::FileKind::kRegularFile; }
    // The SHA-256 of the archive now. Throws files::FileIoError.
    std::string sha256() const;
};

// The archive at the tool's path; nothing when the path is empty or names no file this
// machine can reach.
std::optional<ReachedArchive> reachArchive(FileSystem& files, const std::string& toolPath);

}  // namespace quenor::originals
