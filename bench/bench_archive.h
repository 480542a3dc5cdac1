#pragma once

#include <cstdint>
#include <filesystem>
#include <string>

namespace quenor::bench {

// The shape of a test archive: `entries` entries filling about `totalBytes`, one of which is
// the 4 KiB entry the benchmark exports and adds back.
struct ArchiveShape {
    std::uint64_t totalBytes = 0;
    std::size_t entries = 0;
    bool compressedTarget = false;  // the 4 KiB entry is stored RefPack-compressed
    // The target's location field crosses a 4 KiB page boundary, which makes every
    // replacement of it a rewrite of the whole archive.
    bool targetAcrossPage = false;
};

struct BenchArchive {
    std::filesystem::path path;
    std::string targetName;
    std::uint64_t fileSize = 0;
};

// Writes a BIGF archive of that shape to `folder`. Every entry has a real record and data
// range; the filler entries' data is mostly sparse (a short tag at their start) so that a
// large archive is written quickly and without holding it in memory. Unless asked otherwise,
// the target entry's record lies inside one page, so replacing it commits in place. The file
// is synced before returning so its writing does not weigh on the measured operations.
BenchArchive writeBenchArchive(const std::filesystem::path& folder, const ArchiveShape& shape);

}  // namespace quenor::bench
