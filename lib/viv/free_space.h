#pragma once

#include <cstdint>
#include <vector>

#include "lib/viv/big_archive.h"

namespace quenor::viv {

// A half-open byte range [begin, end) of an archive.
struct ByteRange {
    std::uint64_t begin = 0;
    std::uint64_t end = 0;
};

// The byte ranges entries use, sorted and merged. Entries that share data count once; the
// entry at `excluded` (if any) is left out.
std::vector<ByteRange> usedRanges(const ArchiveDirectory& directory,
                                  std::optional<std::size_t> excluded = std::nullopt);

// Where `size` bytes of new data can go without touching any used byte or anything below
// `floor`: the first gap large enough once its start is rounded up to `alignment`, else
// past the last used byte (which may be inside or past the end of the file).
std::uint64_t findPlace(const std::vector<ByteRange>& used, std::uint64_t floor, std::uint64_t size,
                        std::uint32_t alignment);

// True when a write of `length` bytes at `offset` stays inside one 4096-byte page.
bool withinOnePage(std::uint64_t offset, std::uint64_t length);

}  // namespace quenor::viv
