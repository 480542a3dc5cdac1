// Writing new archives.
#include "lib/viv/archive_create.h"

#include <algorithm>

#include "lib/files/file_error.h"
#include "lib/refpack/refpack.h"
#include "lib/viv/archive_edit.h"
#include "lib/viv/archive_error.h"

namespace quenor::viv {
namespace {
constexpr std::size_t kThreeByteFormLimit = 1u << 24;

std::uint64_t roundUp(std::uint64_t value, std::uint64_t step) {
    return (value + step - 1) / step * step;
}
}  // namespace

std::vector<std::uint8_t> buildArchive(const CreateOptions& options,
                                       const std::vector<NewEntry>& entries) {
    if (options.alignment == 0 || options.alignment > 4096) {
        throw ArchiveError("A new archive needs a data alignment from 1 to 4096 bytes.");
    }
    ArchiveDirectory dir;
    dir.format = options.format;
    dir.sizeFieldOrder = options.sizeFieldOrder;
    dir.headerFieldDelta = options.headerFieldDelta;
    dir.footerKind = options.footerKind;
    dir.footer = options.footer;
    dir.alignment = options.alignment;

    std::vector<std::vector<std::uint8_t>> stored;
    for (const NewEntry& entry : entries) {
        checkEntryName("(new)", entry.name);
        if (options.compress) {
            refpack::RefPackForm form = entry.plain.size() < kThreeByteFormLimit
                                            ? refpack::RefPackForm::k10FB
                                            : refpack::RefPackForm::k90FB;
            stored.push_back(refpack::refPackEncode(entry.plain, form));
        } else {
            stored.push_back(entry.plain);
        }
        dir.entries.push_back(ArchiveEntry{entry.name, 0, 0, 0});
    }
    layOutRecords(dir);
    const std::uint64_t dataStart = roundUp(dir.reservedEnd(), options.alignment);
    std::uint64_t pos = dataStart;
    for (std::size_t i = 0; i < stored.size(); ++i) {
        pos = roundUp(pos, options.alignment);
        dir.entries[i].offset = static_cast<std::uint32_t>(pos);
        dir.entries[i].storedSize = static_cast<std::uint32_t>(stored[i].size());
        pos += stored[i].size();
        if (pos > addressLimit(options.format)) {
            throw ArchiveError("A new " + std::string(formatName(options.format)) +
                               " archive cannot hold these files: entry " + entries[i].name +
                               " would end at byte " + std::to_string(pos) + ", past the " +
                               std::to_string(addressLimit(options.format)) +
                               " bytes the format can address.");
        }
    }
    std::vector<std::uint8_t> bytes = serializeDirectory(dir, pos, dataStart);
    bytes.resize(pos, 0);
    for (std::size_t i = 0; i < stored.size(); ++i) {
        std::copy(stored[i].begin(), stored[i].end(), bytes.begin() + dir.entries[i].offset);
    }
    return bytes;
}

void createArchive(files::FileIo& io, const std::filesystem::path& path,
                   const CreateOptions& options, const std::vector<NewEntry>& entries) {
    std::vector<std::uint8_t> bytes;
    try {
        bytes = buildArchive(options, entries);
    } catch (const ArchiveError& error) {
        throw ArchiveError("Archive " + path.string() + " cannot be created: " + error.what());
    }
    try {
        files::writeFileAtomically(io, path, bytes);
    } catch (const files::FileIoError& error) {
        throw ArchiveError("Archive " + path.string() + " cannot be created: " + error.what());
    }
}

}  // namespace quenor::viv
