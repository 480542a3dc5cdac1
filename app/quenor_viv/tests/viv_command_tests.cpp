#include <gtest/gtest.h>

#include "app/quenor_viv/tests/viv_cli_test_support.h"
#include "core/testing/temp_folder.h"
#include "lib/viv/archive_create.h"
#include "lib/viv/archive_reader.h"

namespace quenor::vivtool {
namespace {

// "A.TXT" written next to "a.txt": two files where names keep their case, the same file
// (under its first name) on Windows.
#ifdef _WIN32
constexpr const char* kCaseVariants = "a.txt\n";
#else
constexpr const char* kCaseVariants = "A.TXT\na.txt\n";
#endif

using quenor::testing::readFileOrMissing;
using quenor::testing::TempFolder;
using quenor::testing::writeFileBytes;
using testing::folderListing;
using testing::runVivCommand;

std::vector<std::uint8_t> bytes(const std::string& text) {
    return {text.begin(), text.end()};
}

class VivCommands : public ::testing::Test {
  protected:
    std::string file(const std::string& name, const std::string& content) {
        writeFileBytes(temp_.path() / name, content);
        return temp_.file(name);
    }
    // An archive built directly, for names the create command cannot produce.
    std::string archiveOf(const std::vector<std::pair<std::string, std::string>>& entries,
                          bool compress = false) {
        std::vector<viv::NewEntry> list;
        for (const auto& [name, content] : entries) list.push_back({name, bytes(content)});
        viv::CreateOptions options;
        options.compress = compress;
        viv::createArchive(files::systemFileIo(), temp_.path() / "made.viv", options, list);
        return temp_.file("made.viv");
    }
    std::string out() {
        std::filesystem::create_directories(temp_.path() / "out");
        return temp_.file("out");
    }

    TempFolder temp_;
};

TEST_F(VivCommands, CreateWritesBigfWithBigEndianSizeAndListShowsEachEntry) {
    const std::string archive = temp_.file("demo.viv");
    auto run = runVivCommand({"create", archive, file("a.txt", "hello"), file("b.txt", "")});
    ASSERT_EQ(run.status, 0) << run.err;
    const std::string content = readFileOrMissing(archive);
    ASSERT_GE(content.size(), 8u);
    EXPECT_EQ(content.substr(0, 4), "BIGF");
    const std::size_t size = content.size();
    EXPECT_EQ(content.substr(4, 4),
              std::string({static_cast<char>(size >> 24), static_cast<char>(size >> 16),
                           static_cast<char>(size >> 8), static_cast<char>(size)}));
    run = runVivCommand({"list", archive});
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.out, "a.txt\t5\t5\tuncompressed\nb.txt\t0\t0\tuncompressed\n");
}

TEST_F(VivCommands, EveryFormatRoundTripsThroughCreateAndExtract) {
    const std::string text(3000, 'q');
    const std::string input = file("fe.ini", "[fe]\n" + text);
    for (const char* format : {"bigf", "big4", "bigh", "c0fb"}) {
        for (bool compress : {false, true}) {
            SCOPED_TRACE(std::string(format) + (compress ? " compressed" : ""));
            const std::string archive = temp_.file(std::string(format) + ".viv");
            std::vector<std::string> args = {"create",   archive, input,
                                             "--format", format,  "--force"};
            if (compress) args.push_back("--compress");
            ASSERT_EQ(runVivCommand(args).status, 0);
            auto list = runVivCommand({"list", archive});
            EXPECT_NE(list.out.find(compress ? "compressed 10FB" : "uncompressed"),
                      std::string::npos)
                << list.out;
            EXPECT_EQ(runVivCommand({"verify", archive}).status, 0);
            ASSERT_EQ(runVivCommand({"extract", archive, "FE.INI", "-o", out()}).status, 0);
            EXPECT_EQ(readFileOrMissing(temp_.path() / "out" / "fe.ini"), "[fe]\n" + text);
        }
    }
}

TEST_F(VivCommands, ExtractWritesEveryReachableEntryWithSubfolders) {
    const std::string archive =
        archiveOf({{"data\\fe.ini", "old"}, {"top.txt", "t"}, {"DATA\\FE.INI", "new"}}, true);
    auto run = runVivCommand({"extract", archive, "-o", out()});
    ASSERT_EQ(run.status, 0) << run.err;
    // The first entry is shadowed by the last (loaders use the last of a name).
    EXPECT_EQ(folderListing(temp_.path() / "out"), "DATA\nDATA/FE.INI\ntop.txt\n");
    EXPECT_EQ(readFileOrMissing(temp_.path() / "out" / "DATA" / "FE.INI"), "new");
    EXPECT_NE(run.out.find("skipped"), std::string::npos);
}

TEST_F(VivCommands, ExtractRefusesNamesOutsideTheFolderAndWritesNothing) {
    for (const std::string bad : {"..\\escape.txt", "sub\\..\\..\\escape.txt", "/tmp/escape.txt",
                                  "\\escape.txt", "C:\\escape.txt", "c:escape.txt"}) {
        SCOPED_TRACE(bad);
        const std::string archive = archiveOf({{"fine\\first.txt", "1"}, {bad, "evil"}});
        auto run = runVivCommand({"extract", archive, "-o", out()});
        EXPECT_EQ(run.status, 1);
        EXPECT_NE(run.err.find("would write outside"), std::string::npos) << run.err;
        EXPECT_EQ(folderListing(temp_.path() / "out"), "");
        EXPECT_FALSE(std::filesystem::exists(temp_.path() / "escape.txt"));
    }
}

TEST_F(VivCommands, ExtractOfAMissingNameWritesNothing) {
    const std::string archive = archiveOf({{"a.txt", "a"}});
    auto run = runVivCommand({"extract", archive, "a.txt", "b.txt", "-o", out()});
    EXPECT_EQ(run.status, 1);
    EXPECT_NE(run.err.find("no entry named b.txt"), std::string::npos) << run.err;
    EXPECT_EQ(folderListing(temp_.path() / "out"), "");
}

TEST_F(VivCommands, ExtractRefusesToOverwriteTheArchive) {
    const std::string archive = archiveOf({{"made.viv", "not an archive"}});
    const std::string before = readFileOrMissing(archive);
    auto run = runVivCommand({"extract", archive, "-o", temp_.str()});
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(readFileOrMissing(archive), before);
}

TEST_F(VivCommands, AddKeepsACompressedEntryCompressedAndAppendsNewOnes) {
    const std::string archive = archiveOf({{"fe.ini", "old old old old"}, {"x.txt", "x"}}, true);
    const std::string fresh = std::string(500, 'n') + "end";
    auto run = runVivCommand({"add", archive, file("FE.ini", fresh), file("new.txt", "added")});
    ASSERT_EQ(run.status, 0) << run.err;

    viv::ArchiveReader reader(files::systemFileIo(), archive);
    ASSERT_EQ(reader.directory().entries.size(), 3u);
    EXPECT_EQ(reader.directory().entries[0].name, "fe.ini");
    EXPECT_EQ(reader.info(0).compression, refpack::RefPackForm::k10FB);
    EXPECT_LT(reader.info(0).storedSize, fresh.size());
    EXPECT_EQ(reader.readPlain(0), bytes(fresh));
    EXPECT_EQ(reader.directory().entries[2].name, "new.txt");
    EXPECT_EQ(reader.readPlain(2), bytes("added"));
}

TEST_F(VivCommands, AddWithNameReplacesThatEntry) {
    const std::string archive = archiveOf({{"fe.ini", "old"}});
    ASSERT_EQ(runVivCommand({"add", archive, file("local.ini", "mine"), "--name", "fe.ini"}).status,
              0);
    viv::ArchiveReader reader(files::systemFileIo(), archive);
    ASSERT_EQ(reader.directory().entries.size(), 1u);
    EXPECT_EQ(reader.readPlain(0), bytes("mine"));
}

TEST_F(VivCommands, FailedAddLeavesTheArchiveByteForByte) {
    const std::string archive = archiveOf({{"a.txt", "a"}, {"b.txt", "b"}}, true);
    const std::string before = readFileOrMissing(archive);
    const std::string good = file("a.txt", "new a");
    const std::vector<std::vector<std::string>> cases = {
        {"add", archive, good, temp_.file("missing.txt")},
        {"add", archive, temp_.file("missing.txt")},
        {"add", archive, good, file("A.TXT", "clash")},
        {"add", archive, good, "--name", std::string(300, 'n')},
    };
    for (const auto& args : cases) {
        SCOPED_TRACE(::testing::PrintToString(args));
        auto run = runVivCommand(args);
        EXPECT_EQ(run.status, 1);
        EXPECT_NE(run.err.find(archive), std::string::npos) << run.err;
        EXPECT_EQ(readFileOrMissing(archive), before);
    }
    // No temporary copies are left behind either.
    EXPECT_EQ(folderListing(temp_.path()), std::string(kCaseVariants) + "made.viv\n");
}

TEST_F(VivCommands, AddToADamagedArchiveChangesNothing) {
    const std::string archive = file("bad.viv", std::string("BIGF\0\0\0\x20\0\0\0\x09", 12));
    const std::string before = readFileOrMissing(archive);
    auto run = runVivCommand({"add", archive, file("a.txt", "a"), file("b.txt", "b")});
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(readFileOrMissing(archive), before);
}

TEST_F(VivCommands, FailedCreateLeavesNoFile) {
    const std::string archive = temp_.file("new.viv");
    const std::string a = file("a.txt", "a");
    const std::vector<std::vector<std::string>> cases = {
        {"create", archive, a, temp_.file("missing.txt")},
        {"create", archive, a, file("A.TXT", "same name, other case")},
        {"create", archive, temp_.str()},
    };
    for (const auto& args : cases) {
        SCOPED_TRACE(::testing::PrintToString(args));
        auto run = runVivCommand(args);
        EXPECT_EQ(run.status, 1);
        EXPECT_NE(run.err.find("new.viv was not created"), std::string::npos) << run.err;
        EXPECT_FALSE(std::filesystem::exists(archive));
    }
    EXPECT_EQ(folderListing(temp_.path()), kCaseVariants);
}

TEST_F(VivCommands, CreateReplacesAnExistingFileOnlyWithForce) {
    const std::string archive = file("keep.viv", "precious");
    const std::string a = file("a.txt", "a");
    auto run = runVivCommand({"create", archive, a});
    EXPECT_EQ(run.status, 1);
    EXPECT_NE(run.err.find("--force"), std::string::npos);
    EXPECT_EQ(readFileOrMissing(archive), "precious");
    EXPECT_EQ(runVivCommand({"create", archive, a, "--force"}).status, 0);
    EXPECT_EQ(readFileOrMissing(archive).substr(0, 4), "BIGF");
}

TEST_F(VivCommands, VerifyReportsEachDamagedEntry) {
    const std::string archive =
        archiveOf({{"good.txt", std::string(200, 'g')}, {"bad.txt", std::string(200, 'b')}}, true);
    auto run = runVivCommand({"verify", archive});
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_NE(run.out.find("2 entries (2 compressed)"), std::string::npos) << run.out;

    // Cut the stop command off the second entry's stream: it ends early.
    std::string content = readFileOrMissing(archive);
    viv::ArchiveReader reader(files::systemFileIo(), archive);
    const viv::ArchiveEntry bad = reader.directory().entries[1];
    content[bad.offset + 2] = '\x7f';  // declares a plain size the stream cannot reach
    writeFileBytes(archive, content);
    run = runVivCommand({"verify", archive});
    EXPECT_EQ(run.status, 1);
    EXPECT_NE(run.err.find("entry 2 (bad.txt)"), std::string::npos) << run.err;
    EXPECT_EQ(run.err.find("good.txt"), std::string::npos) << run.err;
}

TEST_F(VivCommands, VerifyNotesOddLayoutsButPassesThemAndAddKeepsThem) {
    // Two empty entries, one pointing at byte 0, and bytes that belong to no entry.
    std::string odd("BIGH\0\0\0\x94\0\0\0\2\0\0\0\x33", 16);
    odd += std::string("\0\0\0\x40\0\0\0\0\0", 9) + std::string(9, '\0');
    odd.resize(148, '\0');
    const std::string archive = file("odd.viv", odd);
    auto run = runVivCommand({"verify", archive});
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_NE(run.out.find("Note: entry 2 () is empty and points into the header"),
              std::string::npos)
        << run.out;
    EXPECT_NE(run.out.find("is sound"), std::string::npos) << run.out;

    EXPECT_EQ(runVivCommand({"add", archive, file("sgsm3.cfg", "VSYNC = 1")}).status, 0);
    run = runVivCommand({"verify", archive});
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_NE(run.out.find("3 entries"), std::string::npos) << run.out;
}

TEST_F(VivCommands, ErrorsNameTheArchive) {
    auto run = runVivCommand({"list", temp_.file("absent.viv")});
    EXPECT_EQ(run.status, 1);
    EXPECT_NE(run.err.find("absent.viv"), std::string::npos) << run.err;
    run = runVivCommand({"verify", file("text.viv", "just some text")});
    EXPECT_EQ(run.status, 1);
    EXPECT_NE(run.err.find("does not start with a known archive signature"), std::string::npos);
}

}  // namespace
}  // namespace quenor::vivtool
