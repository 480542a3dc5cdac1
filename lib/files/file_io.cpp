// Whole-file helpers on top of FileIo.
#include "lib/files/file_io.h"

#include <algorithm>
#include <cstdio>
#include <mutex>
#include <random>
#include <string>

namespace quenor::files {

std::filesystem::path FileIo::realPath(const std::filesystem::path& path) {
    constexpr int kMostLinks = 40;
    std::filesystem::path resolved = path.root_path();
    std::vector<std::filesystem::path> rest;
    const std::filesystem::path relative = path.relative_path();
    for (const auto& name : relative) rest.push_back(name);
    std::reverse(rest.begin(), rest.end());  // the next name last
    int links = 0;
    bool exists = true;
    while (!rest.empty()) {
        const std::filesystem::path name = rest.back();
        rest.pop_back();
        if (name.empty() || name == ".") continue;
        if (name == "..") {
            resolved = resolved.parent_path();
            continue;
        }
        const std::filesystem::path next = resolved / name;
        const std::optional<std::filesystem::path> link =
            exists && links < kMostLinks ? linkTarget(next) : std::nullopt;
        if (!link) {
            resolved = next;
            exists = exists && kind(next) != FileKind::kMissing;
            continue;
        }
        ++links;
        // The link's own path goes in place of its name: an absolute one from its root.
        const std::filesystem::path linkNames = link->relative_path();
        const std::vector<std::filesystem::path> targetNames(linkNames.begin(), linkNames.end());
        for (auto it = targetNames.rbegin(); it != targetNames.rend(); ++it) rest.push_back(*it);
        if (link->is_absolute()) resolved = link->root_path();
    }
    return resolved;
}

std::filesystem::path FileIo::folderOf(const std::filesystem::path& path) {
    std::filesystem::path folder = path.parent_path();
    return folder.empty() ? std::filesystem::path(".") : folder;
}

namespace {

// What a temporary sibling's name adds to the name of the file it replaces, before the tag.
constexpr const char* kSiblingTag = ".quenor-new-";

// The process's id and a random number drawn once per process: ids are reused, and two
// machines sharing a folder (NFS, a shared game disk) may run processes with the same id. A
// child made by fork() draws its own, or it would take its parent's leftovers for its own.
std::string processTag() {
    static std::mutex guard;
    static std::uint64_t taggedProcess = 0;
    static std::string tag;
    const std::lock_guard<std::mutex> hold(guard);
    if (const std::uint64_t id = currentProcessId(); id != taggedProcess || tag.empty()) {
        std::random_device entropy;
        char text[48];
        std::snprintf(text, sizeof text, "%llx-%08x", static_cast<unsigned long long>(id),
                      entropy());
        tag = text;
        taggedProcess = id;
    }
    return tag;
}

}  // namespace

void removeLeftoverSiblings(FileIo& io, const std::filesystem::path& path) {
    const std::string prefix = path.filename().string() + kSiblingTag;
    const std::string own = temporarySibling(path).filename().string();
    for (const std::string& name : io.namesIn(FileIo::folderOf(path))) {
        if (name.rfind(prefix, 0) != 0 || name == own) continue;
        try {
            io.remove(FileIo::folderOf(path) / name);
        } catch (const FileIoError&) {
            // Clutter that stays.
        }
    }
}

std::filesystem::path temporarySibling(const std::filesystem::path& path) {
    std::filesystem::path temp = path;
    temp += kSiblingTag + processTag();
    return temp;
}

std::optional<std::filesystem::path> siblingOwner(const std::filesystem::path& path) {
    const std::string name = path.filename().string();
    const std::size_t at = name.rfind(kSiblingTag);
    if (at == std::string::npos || at == 0) return std::nullopt;
    return path.parent_path() / name.substr(0, at);
}

namespace {

// Reads a file back and compares it with what was written to it: a device or file system that
// drops a write without an error must not get the file renamed into place.
void requireContent(FileIo& io, const std::filesystem::path& path,
                    std::span<const std::uint8_t> content) {
    if (!sameContent(io, path, content)) {
        throw FileIoError(
            "Writing " + path.string() + " failed: the file does not read back as it was written.",
            "the file does not read back as it was written");
    }
}

// Writes the temporary file, reads it back, and renames it over `path` once `mayReplace` agrees
// (no function: at once); returns whether it did. The temporary file never stays behind.
bool replaceThroughTemporary(FileIo& io, const std::filesystem::path& path,
                             std::span<const std::uint8_t> content,
                             std::uint32_t newFilePermissions,
                             const std::function<bool()>& mayReplace) {
    const std::uint32_t permissions =
        io.kind(path) == FileKind::kRegularFile ? io.permissions(path) : newFilePermissions;
    const std::filesystem::path temp = temporarySibling(path);
    bool replace = false;
    try {
        {
            auto file = io.open(temp, OpenMode::kCreate, permissions);
            file->writeAt(0, content);
            file->sync();
        }
        requireContent(io, temp, content);
        replace = !mayReplace || mayReplace();
        if (replace) io.rename(temp, path);
    } catch (...) {
        try {
            io.remove(temp);
        } catch (const FileIoError&) {
            // The first failure is the one to report.
        }
        throw;
    }
    if (!replace) io.remove(temp);
    return replace;
}

}  // namespace

bool sameContent(FileIo& io, const std::filesystem::path& path,
                 std::span<const std::uint8_t> content) {
    if (io.kind(path) != FileKind::kRegularFile) return false;
    constexpr std::size_t kPiece = 1u << 20;
    auto file = io.open(path, OpenMode::kRead);
    bool same = file->size() == content.size();
    std::vector<std::uint8_t> piece(std::min(content.size(), kPiece));
    for (std::size_t done = 0; same && done < content.size(); done += piece.size()) {
        piece.resize(std::min(content.size() - done, kPiece));
        file->readAt(done, piece);
        same = std::equal(piece.begin(), piece.end(),
                          content.begin() + static_cast<std::ptrdiff_t>(done));
    }
    return same;
}

bool unchangedSince(FileIo& io, const std::filesystem::path& path, const ReadBefore& read) {
    if (read.missing) return io.kind(path) == FileKind::kMissing;
    return sameContent(io, path, read.content);
}

void writeFileAtomically(FileIo& io, const std::filesystem::path& path,
                         std::span<const std::uint8_t> content, std::uint32_t newFilePermissions) {
    replaceThroughTemporary(io, path, content, newFilePermissions, {});
}

std::optional<Failure> replaceFileIfUnchanged(FileIo& io, const std::filesystem::path& path,
                                              std::span<const std::uint8_t> content,
                                              const ReadBefore& read,
                                              std::uint32_t newFilePermissions) {
    try {
        if (replaceThroughTemporary(io, path, content, newFilePermissions,
                                    [&] { return unchangedSince(io, path, read); }))
            return std::nullopt;
    } catch (const FileIoError& error) {
        return Failure{Failure::Kind::kIo, path, error.what(), {}};
    }
    return Failure{Failure::Kind::kChangedOnDisk,
                   path,
                   path.string() +
                       " was changed by another program since Quenor read it, and Quenor did not "
                       "write over it; run Quenor again to start from what it holds now.",
                   {}};
}

namespace {

template <typename Bytes>
Bytes readWhole(FileIo& io, const std::filesystem::path& path, std::uint64_t maxBytes) {
    auto file = io.open(path, OpenMode::kRead);
    const std::uint64_t size = file->size();
    if (size > maxBytes) {
        throw FileIoError("Reading " + path.string() + " failed: the file has " +
                              std::to_string(size) + " bytes, more than the " +
                              std::to_string(maxBytes) + " this tool accepts.",
                          "the file has " + std::to_string(size) + " bytes, more than the " +
                              std::to_string(maxBytes) + " this tool accepts");
    }
    Bytes bytes(static_cast<std::size_t>(size), 0);
    file->readAt(0, std::span(reinterpret_cast<std::uint8_t*>(bytes.data()), bytes.size()));
    return bytes;
}

}  // namespace

std::vector<std::uint8_t> readWholeFile(FileIo& io, const std::filesystem::path& path,
                                        std::uint64_t maxBytes) {
    return readWhole<std::vector<std::uint8_t>>(io, path, maxBytes);
}

std::string readWholeText(FileIo& io, const std::filesystem::path& path, std::uint64_t maxBytes) {
    return readWhole<std::string>(io, path, maxBytes);
}

void FileIo::copyContent(const std::filesystem::path& from, const std::filesystem::path& to,
                         CopyEnd end) {
    copyInPieces(*this, from, to, end);
}

void createFoldersOnDisk(const std::filesystem::path& folder) {
    std::error_code error;
    std::filesystem::create_directories(folder, error);
    if (error) {
        throw FileIoError(
            "Making the folder " + folder.string() + " failed: " + error.message() + ".",
            error.message());
    }
}

void removeEmptyFolderOnDisk(const std::filesystem::path& folder) {
    std::error_code ignored;  // not empty, missing or not ours: it stays
    if (std::filesystem::is_directory(std::filesystem::symlink_status(folder, ignored)) &&
        std::filesystem::is_empty(folder, ignored))
        std::filesystem::remove(folder, ignored);
}

void copyFile(FileIo& io, const std::filesystem::path& from, const std::filesystem::path& to) {
    io.copyContent(from, to, CopyEnd::kCached);
}

namespace {

void copyPieces(FileIo& io, const std::filesystem::path& from, const std::filesystem::path& to,
                CopyEnd end, std::uint32_t permissions) {
    constexpr std::uint64_t kPiece = 1u << 20;
    auto source = io.open(from, OpenMode::kRead);
    auto target = io.open(to, OpenMode::kCreate, permissions);
    const std::uint64_t size = source->size();
    std::vector<std::uint8_t> buffer(static_cast<std::size_t>(std::min(size, kPiece)));
    for (std::uint64_t done = 0; done < size;) {
        const std::size_t piece = static_cast<std::size_t>(std::min(size - done, kPiece));
        std::span<std::uint8_t> chunk(buffer.data(), piece);
        source->readAt(done, chunk);
        target->writeAt(done, chunk);
        done += piece;
    }
    if (end == CopyEnd::kSynced) target->sync();
}

}  // namespace

void copyInPieces(FileIo& io, const std::filesystem::path& from, const std::filesystem::path& to,
                  CopyEnd end) {
    copyPieces(io, from, to, end, io.permissions(from));
}

void copyToNewFile(FileIo& io, const std::filesystem::path& from, const std::filesystem::path& to,
                   std::uint32_t permissions) {
    const auto refuseExisting = [&] {
        if (!io.exists(to)) return;
        throw FileIoError("Copying " + from.string() + " to " + to.string() +
                              " failed: something is there already.",
                          "something is there already");
    };
    refuseExisting();
    const std::filesystem::path temp = temporarySibling(to);
    try {
        copyPieces(io, from, temp, CopyEnd::kSynced, permissions);
        refuseExisting();  // looked at last: another copy made meanwhile is never replaced
        io.rename(temp, to);
    } catch (...) {
        try {
            io.remove(temp);
        } catch (const FileIoError&) {
            // The first failure is the one to report.
        }
        throw;
    }
}

}  // namespace quenor::files
