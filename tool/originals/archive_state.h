#pragma once

#include <cstdint>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "core/platform/file_system.h"

namespace quenor::originals {

// The game's archive as the originals code reaches it: the tool's path, the path the file
// layer takes (FileSystem::pathOf) and the file layer, and the file on this machine (for a
// person to read).
struct ReachedArchive {
    std::string toolPath;
    std::filesystem::path path;
    std::filesystem::path host;
    files::FileIo* io = nullptr;

    bool exists() const { return io->kind(path) == files::FileKind::kRegularFile; }
    // The SHA-256 of the archive now. Throws files::FileIoError.
    std::string sha256() const;
    // A digest of what the archive holds rather than of its bytes: every entry's name and
    // plain content, in directory order. An update cut off before its commit leaves other bytes
    // but the same content. With `replacing`, the digest the archive would have with that
    // entry's plain content replaced (or added). Throws files::FileIoError or viv::ArchiveError.
    std::string contentDigest(
        const std::optional<std::pair<std::string, std::vector<std::uint8_t>>>& replacing = {})
        const;
};

// The archive at the tool's path; nothing when the path is empty or names no file this
// machine can reach.
std::optional<ReachedArchive> reachArchive(FileSystem& files, const std::string& toolPath);

// A copy of the file `from` put in place of `to` in one step: a temporary file beside `to` is
// written, synced and checked to hold `sha256`, then renamed over it. A copy that does not hold
// it is removed and OriginalsError(`mismatch` of the temporary file) thrown; `to` stays as it
// was. Returns the copy's size.
std::uint64_t putCheckedCopy(
    files::FileIo& io, const std::filesystem::path& from, const std::filesystem::path& to,
    const std::string& sha256,
    const std::function<std::string(const std::filesystem::path&)>& mismatch);

}  // namespace quenor::originals
