// Directories longer than one read piece: the parser reads them in growing pieces, so records
// and names that straddle a piece boundary, and damage deep inside, must read as if whole.
#include <gtest/gtest.h>

#include "lib/files/testing/memory_file_io.h"
#include "lib/viv/archive_create.h"
#include "lib/viv/archive_error.h"
#include "lib/viv/archive_reader.h"

namespace quenor::viv {
namespace {

// Names of every length from 1 to 260, repeated, so that records end at every offset of a piece.
std::vector<NewEntry> manyEntries(std::size_t count) {
    std::vector<NewEntry> entries;
    for (std::size_t i = 0; i < count; ++i) {
        std::string name = std::to_string(i) + "_";
        name.resize(std::max<std::size_t>(name.size(), i * 7 % kMaxNameLength + 1), 'n');
        entries.push_back(
            {name, {static_cast<std::uint8_t>(i), static_cast<std::uint8_t>(i >> 8)}});
    }
    return entries;
}

std::string openError(files::MemoryFileIo& io, const files::MemoryFileIo::Bytes& bytes) {
    io.put("cut.viv", bytes);
    try {
        ArchiveReader reader(io, "cut.viv");
    } catch (const ArchiveError& error) {
        return error.what();
    }
    return "<opened>";
}

TEST(ArchiveDirectoryRead, ALongDirectoryReadsWhole) {
    for (ArchiveFormat format : {ArchiveFormat::kBigF, ArchiveFormat::kC0FB}) {
        SCOPED_TRACE(std::string(formatName(format)));
        const auto entries = manyEntries(format == ArchiveFormat::kC0FB ? 400 : 1500);
        CreateOptions options;
        options.format = format;
        files::MemoryFileIo io;
        io.put("long.viv", buildArchive(options, entries));
        ArchiveReader reader(io, "long.viv");
        ASSERT_GT(reader.directory().directoryEnd, 2u * 16384);
        ASSERT_EQ(reader.directory().entries.size(), entries.size());
        for (std::size_t i = 0; i < entries.size(); ++i) {
            ASSERT_EQ(reader.directory().entries[i].name, entries[i].name) << i;
            ASSERT_EQ(reader.readPlain(i), entries[i].plain) << i;
        }
    }
}

TEST(ArchiveDirectoryRead, DamageDeepInALongDirectoryIsFoundAtItsRecord) {
    const auto entries = manyEntries(1500);
    const files::MemoryFileIo::Bytes whole = buildArchive(CreateOptions{}, entries);
    files::MemoryFileIo io;
    io.put("long.viv", whole);
    const ArchiveDirectory dir = ArchiveReader(io, "long.viv").directory();
    const std::size_t deep = 1400;  // far past the first pieces
    const std::size_t record = static_cast<std::size_t>(dir.entries[deep].recordOffset);
    const std::string at = "the record of entry " + std::to_string(deep + 1);

    struct Case {
        std::size_t cutAt;
        std::string message;
    };
    const std::vector<Case> cuts = {
        {record + 5, at + " is cut off by the end of the file"},
        {record + 8 + 3, at + " has a name without a terminating NUL byte"},
    };
    for (const Case& c : cuts) {
        SCOPED_TRACE(c.cutAt);
        files::MemoryFileIo::Bytes bytes(whole.begin(), whole.begin() + static_cast<long>(c.cutAt));
        EXPECT_NE(openError(io, bytes).find(c.message), std::string::npos) << openError(io, bytes);
    }

    // A 260-byte name whose NUL is overwritten runs past the longest name allowed.
    std::size_t longest = 0;
    while (dir.entries[longest].name.size() != kMaxNameLength || longest < 1000) ++longest;
    files::MemoryFileIo::Bytes bytes = whole;
    bytes[dir.entries[longest].recordOffset + 8 + kMaxNameLength] = 'x';
    EXPECT_NE(openError(io, bytes).find("the record of entry " + std::to_string(longest + 1) +
                                        " has a name longer than 260 bytes"),
              std::string::npos)
        << openError(io, bytes);
}

}  // namespace
}  // namespace quenor::viv
