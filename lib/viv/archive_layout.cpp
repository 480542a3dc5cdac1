#include "lib/viv/archive_layout.h"

#include <algorithm>

#include "lib/viv/free_space.h"

namespace quenor::viv {

namespace {

std::string entryName(const ArchiveDirectory& directory, std::size_t index) {
    return "entry " + std::to_string(index + 1) + " (" + directory.entries[index].name + ")";
}

}  // namespace

std::vector<std::string> layoutNotes(const ArchiveDirectory& directory, std::uint64_t fileSize) {
    std::vector<std::string> notes;
    const auto& entries = directory.entries;
    for (std::size_t i = 0; i < entries.size(); ++i) {
        const ArchiveEntry& a = entries[i];
        if (a.dataSize() == 0) {
            if (!a.isEmptyMarker() && a.offset < directory.directoryEnd) {
                notes.push_back(entryName(directory, i) +
                                " is empty and points into the header "
                                "or the directory (byte " +
                                std::to_string(a.offset) + ").");
            }
            continue;
        }
        for (std::size_t j = i + 1; j < entries.size(); ++j) {
            const ArchiveEntry& b = entries[j];
            if (b.dataSize() == 0 || b.offset >= a.dataEnd() || a.offset >= b.dataEnd()) continue;
            const bool same = a.offset == b.offset && a.storedSize == b.storedSize;
            notes.push_back(entryName(directory, i) + " and " + entryName(directory, j) +
                            (same ? " share their data" : " overlap") + " (bytes " +
                            std::to_string(std::max(a.offset, b.offset)) + " to " +
                            std::to_string(std::min(a.dataEnd(), b.dataEnd())) + ").");
        }
    }
    const std::vector<ByteRange> used = usedRanges(directory);
    const std::uint64_t dataEnd = used.empty() ? directory.reservedEnd() : used.back().end;
    if (fileSize > dataEnd) {
        notes.push_back("the last " + std::to_string(fileSize - dataEnd) +
                        " bytes of the file belong to no entry.");
    }
    return notes;
}

}  // namespace quenor::viv
