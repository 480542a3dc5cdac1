// Finding room for new entry data between and after the data already in an archive.
#include "lib/viv/free_space.h"

#include <algorithm>

namespace quenor::viv {
namespace {
std::uint64_t roundUp(std::uint64_t value, std::uint64_t step) {
    return (value + step - 1) / step * step;
}
}  // namespace

std::vector<ByteRange> usedRanges(const ArchiveDirectory& directory,
                                  std::optional<std::size_t> excluded) {
    std::vector<ByteRange> ranges;
    for (std::size_t i = 0; i < directory.entries.size(); ++i) {
        const ArchiveEntry& entry = directory.entries[i];
        if (excluded && *excluded == i) continue;
        if (entry.dataSize() == 0) continue;
        ranges.push_back({entry.offset, entry.dataEnd()});
    }
    std::sort(ranges.begin(), ranges.end(),
              [](const ByteRange& a, const ByteRange& b) { return a.begin < b.begin; });
    std::vector<ByteRange> merged;
    for (const ByteRange& range : ranges) {
        if (!merged.empty() && range.begin <= merged.back().end) {
            merged.back().end = std::max(merged.back().end, range.end);
        } else {
            merged.push_back(range);
        }
    }
    return merged;
}

std::uint64_t findPlace(const std::vector<ByteRange>& used, std::uint64_t floor, std::uint64_t size,
                        std::uint32_t alignment) {
    std::uint64_t cursor = roundUp(floor, alignment);
    for (const ByteRange& range : used) {
        if (range.end <= cursor) continue;
        if (range.begin >= cursor && range.begin - cursor >= size) return cursor;
        cursor = roundUp(std::max(cursor, range.end), alignment);
    }
    return cursor;
}

bool withinOnePage(std::uint64_t offset, std::uint64_t length) {
    constexpr std::uint64_t kPage = 4096;
    return length == 0 || offset / kPage == (offset + length - 1) / kPage;
}

}  // namespace quenor::viv
