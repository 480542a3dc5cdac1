// Each crafted damaged archive of the fuzz corpus is refused with the message that names its
// defect; the valid ones open and read.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <set>

#include "lib/viv/archive_error.h"
#include "lib/viv/archive_reader.h"

namespace quenor::viv {
namespace {

std::filesystem::path corpusFolder() {
    const char* root = std::getenv("QUENOR_SOURCE_DIR");
    return std::filesystem::path(root ? root : ".") / "lib/viv/fuzz/corpus";
}

struct Damage {
    const char* file;
    const char* message;  // empty: the archive is valid
};

const Damage kCorpus[] = {
    {"valid_bigf_l231.viv", ""},
    {"valid_big4_stale_size_field.viv", ""},
    {"valid_bigh_big_endian.viv", ""},
    {"valid_c0fb.viv", ""},
    // Two empty entries, one inside the header; stray bytes at the end (an update cut it).
    {"valid_empty_entries_in_header_and_past_data.viv", ""},
    // An entry marked empty (size FFFFFFFF) whose offset lies past the end: it reads as empty.
    {"valid_empty_marker_past_the_end.viv", ""},
    {"empty.viv", "does not start with a known archive signature"},
    {"bad_signature.viv", "does not start with a known archive signature"},
    {"truncated_header.viv", "is truncated: it has 10 bytes, fewer than the 16 of a BIGF header"},
    {"count_absurd.viv", "claims 268435456 entries"},
    {"offset_past_end.viv", "entry 1 (sgsm3.cfg) ends at byte 5022, past the end of the file"},
    {"size_past_end.viv",
     "entry 1 (sgsm3.cfg) ends at byte 4294967092, past the end of the file (86 bytes)"},
    {"overlaps_header.viv",
     "entry 1 (sgsm3.cfg) starts at byte 8, inside the header and directory"},
    {"name_unterminated.viv", "entry 1 has a name without a terminating NUL byte"},
    {"name_too_long.viv", "entry 1 has a name longer than 260 bytes"},
    {"record_cut.viv", "the record of entry 2 is cut off by the end of the file"},
    {"corrupt_refpack.viv", "entry 1 (sgsm3.cfg) is stored compressed but cannot be decoded"},
    {"refpack_truncated.viv", "entry 1 (a.cfg) is stored compressed but cannot be decoded"},
    {"whole_archive_compressed.viv", "is RefPack-compressed as a whole"},
    {"c0fb_truncated.viv", "fewer than the 6 of a C0FB header"},
    {"c0fb_count_absurd.viv", "claims 65535 entries"},
    {"c0fb_offset_past_end.viv", "entry 1 (sgsm3.cfg) ends at byte 1048598, past the end"},
    {"c0fb_name_unterminated.viv", "entry 1 has a name without a terminating NUL byte"},
};

// Opens the archive and decodes every entry; returns the first error's message.
std::string readFully(const std::filesystem::path& path) {
    try {
        ArchiveReader reader(files::systemFileIo(), path);
        for (std::size_t i = 0; i < reader.directory().entries.size(); ++i) reader.readPlain(i);
    } catch (const ArchiveError& error) {
        return error.what();
    }
    return {};
}

TEST(ArchiveDamage, EachCorpusFileGivesItsMessage) {
    for (const Damage& damage : kCorpus) {
        SCOPED_TRACE(damage.file);
        const auto path = corpusFolder() / damage.file;
        ASSERT_TRUE(std::filesystem::exists(path));
        const std::string message = readFully(path);
        if (std::string(damage.message).empty()) {
            EXPECT_EQ(message, "");
            continue;
        }
        EXPECT_NE(message.find(damage.message), std::string::npos) << message;
        EXPECT_EQ(message.rfind("Archive " + path.string(), 0), 0u) << message;
        EXPECT_EQ(message.back(), '.') << message;
    }
}

TEST(ArchiveDamage, EveryCorpusFileIsPinned) {
    std::set<std::string> pinned;
    for (const Damage& damage : kCorpus) pinned.insert(damage.file);
    for (const auto& entry : std::filesystem::directory_iterator(corpusFolder())) {
        EXPECT_TRUE(pinned.count(entry.path().filename().string()))
            << entry.path() << " has no expected message";
    }
}

}  // namespace
}  // namespace quenor::viv
