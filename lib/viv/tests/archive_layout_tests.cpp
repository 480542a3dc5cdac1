// Archives laid out in ways the writer did not make itself: empty entries pointing into the
// header or past the data, bytes no entry names. An update keeps every other entry as it was
// and reads back, or is refused before anything is written; a disk that loses a write is
// caught by the read-back.
#include <gtest/gtest.h>

#include "lib/files/testing/fault_file_io.h"
#include "lib/files/testing/memory_file_io.h"
#include "lib/viv/archive_edit.h"
#include "lib/viv/archive_error.h"
#include "lib/viv/archive_reader.h"
#include "lib/viv/tests/archive_test_support.h"

namespace quenor::viv {
namespace {

using testing::Bytes;
using testing::bytesOf;
using testing::noise;
using testing::readAllEntries;

const std::filesystem::path kPath = "/game/preload/fmisc.viv";

struct RawEntry {
    std::uint32_t offset;
    std::uint32_t size;
    std::string name;
};

void putBig(Bytes& out, std::uint32_t value) {
    for (int shift = 24; shift >= 0; shift -= 8)
        out.push_back(static_cast<std::uint8_t>(value >> shift));
}

// A BIGH archive of `fileSize` bytes with the given records, header-size field and data (each
// entry's data at its offset; the rest zero).
Bytes rawArchive(const std::vector<RawEntry>& entries, std::uint32_t headerField,
                 std::uint32_t fileSize, const std::vector<std::pair<std::uint32_t, Bytes>>& data) {
    Bytes out{'B', 'I', 'G', 'H'};
    putBig(out, fileSize);
    putBig(out, static_cast<std::uint32_t>(entries.size()));
    putBig(out, headerField);
    for (const RawEntry& entry : entries) {
        putBig(out, entry.offset);
        putBig(out, entry.size);
        out.insert(out.end(), entry.name.begin(), entry.name.end());
        out.push_back(0);
    }
    out.resize(fileSize, 0);
    for (const auto& [at, bytes] : data) std::copy(bytes.begin(), bytes.end(), out.begin() + at);
    return out;
}

TEST(ArchiveLayout, EmptyEntriesStayReadableWhereverTheyPoint) {
    const Bytes config = bytesOf("devicewidth 800\r\n");
    struct Case {
        const char* label;
        Bytes archive;
        const char* name;  // the entry to store: existing (replaced) or new (added)
    };
    const Case cases[] = {
        // Found by the fuzz target: the update cut the file below the second empty entry.
        {"empty entries at 64 and 0, ten stray bytes at the end",
         rawArchive({{64, 0, ""}, {0, 0, ""}}, 51, 148, {}), "sgsm3.cfg"},
        {"an empty entry at the very end of the file, behind the data",
         rawArchive({{100, 17, "sgsm1.cfg"}, {200, 0, "empty.cfg"}}, 60, 200, {{100, config}}),
         "sgsm3.cfg"},
        {"an empty entry inside the directory, data replaced in place",
         rawArchive({{64, 17, "sgsm1.cfg"}, {20, 0, "empty.cfg"}}, 50, 81, {{64, config}}),
         "sgsm1.cfg"},
        {"an entry marked empty at the end of the archive",
         rawArchive({{64, 17, "sgsm1.cfg"}, {81, 0xFFFFFFFFu, "marker"}}, 50, 81, {{64, config}}),
         "sgsm2.cfg"},
    };
    for (const Case& c : cases) {
        for (const Bytes& content : {Bytes{}, bytesOf("VSYNC = 1"), noise(3000, 7)}) {
            SCOPED_TRACE(std::string(c.label) + ", " + std::to_string(content.size()) + " bytes");
            files::MemoryFileIo io;
            io.put(kPath, c.archive);
            auto expected = readAllEntries(io, kPath);
            putEntry(io, kPath, c.name, content);

            auto changed = std::find_if(expected.begin(), expected.end(),
                                        [&](const auto& entry) { return entry.first == c.name; });
            if (changed == expected.end()) {
                expected.emplace_back(c.name, content);
            } else {
                changed->second = content;
            }
            EXPECT_EQ(readAllEntries(io, kPath), expected);
        }
    }
}

TEST(ArchiveLayout, AWriteTheDiskLosesIsReportedAndNotClaimed) {
    const Bytes config = bytesOf("devicewidth 800\r\n");
    const Bytes archive =
        rawArchive({{64, 17, "sgsm1.cfg"}, {81, 0, "sgsm2.cfg"}}, 50, 81, {{64, config}});
    // Replacing in place, and adding (a rewrite through a temporary file).
    for (const char* name : {"sgsm1.cfg", "sgsm3.cfg"}) {
        SCOPED_TRACE(name);
        files::MemoryFileIo disk;
        disk.put(kPath, archive);
        files::FaultInjectingFileIo::Faults faults;
        faults.lostWritesAfter = 40;
        files::FaultInjectingFileIo lying(disk, faults);
        try {
            putEntry(lying, kPath, name, noise(500, 3));
            ADD_FAILURE() << "the lost write was claimed as done";
        } catch (const ArchiveError& error) {
            EXPECT_NE(std::string(error.what()).find("does not read back"), std::string::npos)
                << error.what();
        }
    }
}

}  // namespace
}  // namespace quenor::viv
