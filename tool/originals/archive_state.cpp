#include "tool/originals/archive_state.h"

#include "core/tool_error.h"
#include "lib/base/ascii.h"
#include "lib/digest/sha256.h"
#include "lib/viv/archive_reader.h"
#include "tool/originals/kept_originals.h"

namespace quenor::originals {

std::string ReachedArchive::sha256() const {
    return digest::fileSha256(*io, path);
}

namespace {

void addEntry(digest::Sha256& all, const std::string& name, std::span<const std::uint8_t> plain) {
    digest::Sha256 one;
    one.update(plain);
    const std::string line = base::asciiLowered(name) + '\0' + digest::hex(one.finish()) + '\n';
    all.update({reinterpret_cast<const std::uint8_t*>(line.data()), line.size()});
}

}  // namespace

std::string ReachedArchive::contentDigest(
    const std::optional<std::pair<std::string, std::vector<std::uint8_t>>>& replacing) const {
    viv::ArchiveReader reader(*io, path);
    const auto& entries = reader.directory().entries;
    // The entry a loader uses for the name is the one replaced; a new one goes at the end.
    std::optional<std::size_t> replaced;
    if (replacing) {
        for (std::size_t i = 0; i < entries.size(); ++i)
            if (base::equalsIgnoringAsciiCase(entries[i].name, replacing->first)) replaced = i;
    }
    digest::Sha256 all;
    for (std::size_t i = 0; i < entries.size(); ++i) {
        if (replaced == i) {
            addEntry(all, entries[i].name, replacing->second);
        } else {
            addEntry(all, entries[i].name, reader.readPlain(i));
        }
    }
    if (replacing && !replaced) addEntry(all, replacing->first, replacing->second);
    return digest::hex(all.finish());
}

std::optional<ReachedArchive> reachArchive(FileSystem& files, const std::string& toolPath) {
    if (toolPath.empty()) return std::nullopt;
    try {
        std::filesystem::path path = files.pathOf(toolPath);
        std::filesystem::path host = files.io().hostPathOf(path);
        return ReachedArchive{toolPath, std::move(path), std::move(host), &files.io()};
    } catch (const ToolError&) {
        return std::nullopt;
    } catch (const files::FileIoError&) {
        return std::nullopt;
    }
}

std::uint64_t putCheckedCopy(
    files::FileIo& io, const std::filesystem::path& from, const std::filesystem::path& to,
    const std::string& sha256,
    const std::function<std::string(const std::filesystem::path&)>& mismatch) {
    const std::filesystem::path partial = files::temporarySibling(to);
    // A copy left by a run that was stopped may be read-only, as the archive may be: it goes
    // first, since a read-only file cannot be emptied for the new copy.
    io.remove(partial);
    io.copyContent(from, partial, files::CopyEnd::kSynced);
    const std::uint64_t size = io.open(partial, files::OpenMode::kRead)->size();
    if (digest::fileSha256(io, partial) != sha256) {
        io.remove(partial);
        throw OriginalsError(mismatch(partial));
    }
    io.rename(partial, to);
    return size;
}

}  // namespace quenor::originals
