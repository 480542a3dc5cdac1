// Windows paths of the game reached through a prefix's drive links, as Wine resolves them.
#include <gtest/gtest.h>

#include "core/testing/temp_folder.h"
#include "core/tool_error.h"
#include "host/wine_path_file_system_posix.h"

namespace quenor::host {
namespace {

using quenor::testing::readFileOrMissing;
using quenor::testing::TempFolder;
using quenor::testing::writeFileBytes;

class WinePathTest : public ::testing::Test {
  protected:
    WinePathTest()
        : prefix_(folder_.path() / "prefix"),
          driveC_(prefix_ / "drive_c"),
          linkC_(prefix_ / "dosdevices" / "c:") {
        std::filesystem::create_directories(prefix_ / "dosdevices");
        std::filesystem::create_directories(driveC_ / "games" / "nhl 09" / "Preload");
        std::filesystem::create_directory_symlink("../drive_c", prefix_ / "dosdevices" / "c:");
        writeFileBytes(driveC_ / "games" / "nhl 09" / "Preload" / "FMISC.VIV", "archive");
    }
    TempFolder folder_;
    std::filesystem::path prefix_;
    std::filesystem::path driveC_;
    std::filesystem::path linkC_;  // paths are resolved through the drive's link
};

TEST_F(WinePathTest, ResolvesNamesWithoutRegardToCase) {
    const std::filesystem::path game = linkC_ / "games" / "nhl 09";
    struct Case {
        const char* windows;
        std::filesystem::path host;
    };
    const Case cases[] = {
        {"C:\\Games\\NHL 09\\preload\\fmisc.viv", game / "Preload" / "FMISC.VIV"},
        {"c:/GAMES/nhl 09/PRELOAD/Fmisc.Viv", game / "Preload" / "FMISC.VIV"},
        {"C:\\Games\\\\NHL 09\\preload\\fmisc.viv", game / "Preload" / "FMISC.VIV"},
        {"C:\\Games\\NHL 09\\", game / ""},
        // Names not there yet are kept as given (a file about to be made).
        {"C:\\Games\\NHL 09\\preload\\New Dir\\Sgsm4.cfg",
         game / "Preload" / "New Dir" / "Sgsm4.cfg"},
        // Host paths stay host paths; "\" separates.
        {"/tmp/some\\file.txt", "/tmp/some/file.txt"},
        {"preload\\fmisc.viv", "preload/fmisc.viv"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.windows);
        const MappedPath mapped = mapToolPath(files::systemFileIo(), prefix_, c.windows);
        EXPECT_EQ(mapped.error, "");
        EXPECT_EQ(mapped.host, c.host);
    }
}

// What works on files itself (the archive library) reaches them through io() with the tool's
// path: a replacement's temporary file and its rename are mapped as the file is.
TEST_F(WinePathTest, TheFileLayerTakesToolPathsAndMapsWhatItDerives) {
    WinePathFileSystem files("quenor", prefix_, prefix_, files::systemFileIo());
    const std::filesystem::path archive = files.pathOf("C:\\Games\\NHL 09\\preload\\fmisc.viv");
    const std::filesystem::path preload = driveC_ / "games" / "nhl 09" / "Preload";
    EXPECT_EQ(files.io().hostPathOf(archive),
              linkC_ / "games" / "nhl 09" / "Preload" / "FMISC.VIV");
    const std::string text = "new archive";
    files::writeFileAtomically(files.io(), archive,
                               {reinterpret_cast<const std::uint8_t*>(text.data()), text.size()});
    EXPECT_EQ(readFileOrMissing(preload / "FMISC.VIV"), "new archive");
    EXPECT_EQ(files::systemFileIo().namesIn(preload), std::vector<std::string>{"FMISC.VIV"});
    // A path of this machine is taken as it is.
    const std::filesystem::path own = folder_.path() / "own";
    EXPECT_EQ(files.io().hostPathOf(own), own);
    // What the archive library says of the file names it as this machine knows it.
    EXPECT_EQ(files.namingHostFile("C:\\Games\\NHL 09\\preload\\fmisc.viv",
                                   "Archive " + archive.string() + " is damaged."),
              "Archive " + (linkC_ / "games" / "nhl 09" / "Preload" / "FMISC.VIV").string() +
                  " is damaged.");
}

TEST_F(WinePathTest, ExactNameWinsOverCaseVariants) {
    std::filesystem::create_directories(driveC_ / "Data");
    std::filesystem::create_directories(driveC_ / "data");
    std::filesystem::create_directories(driveC_ / "DATA2");
    EXPECT_EQ(mapToolPath(files::systemFileIo(), prefix_, "C:\\data").host, linkC_ / "data");
    EXPECT_EQ(mapToolPath(files::systemFileIo(), prefix_, "C:\\Data").host, linkC_ / "Data");
    EXPECT_EQ(mapToolPath(files::systemFileIo(), prefix_, "C:\\dAtA").host,
              linkC_ / "Data");  // first in order
    EXPECT_EQ(mapToolPath(files::systemFileIo(), prefix_, "C:\\data2").host, linkC_ / "DATA2");
}

TEST_F(WinePathTest, Windows1252NamesMatchUtf8FileNames) {
    std::filesystem::create_directories(driveC_ / "CAF\xc3\x89");  // "CAFÉ" in UTF-8
    EXPECT_EQ(mapToolPath(files::systemFileIo(), prefix_, "C:\\caf\xe9").host,
              linkC_ / "CAF\xc3\x89");
    // Not there: the name is made in UTF-8.
    EXPECT_EQ(mapToolPath(files::systemFileIo(), prefix_, "C:\\na\xefve").host,
              linkC_ / "na\xc3\xafve");
}

TEST_F(WinePathTest, FollowsARepointedDriveLink) {
    TempFolder other;
    std::filesystem::create_directories(other.path() / "Games" / "NHL 09" / "preload");
    writeFileBytes(other.path() / "Games" / "NHL 09" / "preload" / "fmisc.viv", "elsewhere");
    std::filesystem::remove(prefix_ / "dosdevices" / "c:");
    std::filesystem::create_directory_symlink(other.path(), prefix_ / "dosdevices" / "c:");
    WinePathFileSystem files("quenor", prefix_, prefix_, files::systemFileIo());
    EXPECT_EQ(files.readFile("C:\\games\\nhl 09\\PRELOAD\\FMISC.viv", 100), "elsewhere");
    // A second drive letter, lowercase link name.
    std::filesystem::create_directory_symlink(driveC_, prefix_ / "dosdevices" / "e:");
    EXPECT_EQ(files.readFile("E:\\Games\\NHL 09\\preload\\fmisc.viv", 100), "archive");
}

TEST_F(WinePathTest, RefusesPathsItCannotMapNamingPathAndPrefix) {
    std::filesystem::create_directory_symlink(folder_.path() / "gone",
                                              prefix_ / "dosdevices" / "d:");
    struct Case {
        std::string path;
        const char* reason;
    };
    const Case cases[] = {
        {"D:\\Games\\fmisc.viv", "drive D: has no folder"},  // link to a missing folder
        {"F:\\Games\\fmisc.viv", "drive F: has no folder"},  // no link at all
        {"C:", "not a full path"},
        {"C:Games\\fmisc.viv", "not a full path"},
        {"\\\\server\\share\\fmisc.viv", "names no drive"},
        {"\\Games\\fmisc.viv", "names no drive"},
        {"C:\\Games\\..\\..\\etc\\passwd", "\"..\""},
        {"C:\\Games\\.\\fmisc.viv", "\".\""},
        // A NUL byte would cut the host path short and name another file.
        {std::string("C:\\Games\\fmisc.viv\0.txt", 23), "does not allow"},
        {"C:\\Games\\fmisc?.viv", "does not allow"},
        {"C:\\Games\\fmisc\x01.viv", "does not allow"},
    };
    WinePathFileSystem files("quenor", prefix_, prefix_, files::systemFileIo());
    for (const auto& c : cases) {
        SCOPED_TRACE(c.path);
        EXPECT_NE(mapToolPath(files::systemFileIo(), prefix_, c.path).error.find(c.reason),
                  std::string::npos)
            << mapToolPath(files::systemFileIo(), prefix_, c.path).error;
        EXPECT_FALSE(files.isRegularFile(c.path));
        try {
            files.readFile(c.path, 100);
            ADD_FAILURE() << "no error";
        } catch (const ToolError& e) {
            EXPECT_NE(e.description().find(std::string("The Windows path ") + c.path),
                      std::string::npos)
                << e.description();
            EXPECT_NE(e.description().find(prefix_.string()), std::string::npos);
            EXPECT_EQ(e.source(), "quenor");
        }
        EXPECT_THROW(files.pathOf(c.path), ToolError);
        EXPECT_THROW(files.writeFile(c.path, "x"), ToolError);
    }
}

TEST(WinePathNoPrefix, DrivePathsNeedAPrefixHostPathsWork) {
    TempFolder folder;
    WinePathFileSystem files("quenor", std::nullopt, folder.path(), files::systemFileIo());
    try {
        files.readFile("C:\\Games\\NHL 09\\preload\\fmisc.viv", 10);
        ADD_FAILURE() << "no error";
    } catch (const ToolError& e) {
        EXPECT_NE(e.description().find("no Wine prefix is in use"), std::string::npos);
    }
    files.writeFile(folder.file("a.txt"), "hello");
    files.appendToFile(folder.file("a.txt"), " world");
    files.copyFile(folder.file("a.txt"), folder.file("b.txt"));
    EXPECT_EQ(files.readFile(folder.file("b.txt"), 100), "hello world");
    files.removeFile(folder.file("a.txt"));
    EXPECT_FALSE(files.isRegularFile(folder.file("a.txt")));
}

TEST_F(WinePathTest, FileStepErrorsNameTheWindowsPath) {
    WinePathFileSystem files("quenor", prefix_, prefix_, files::systemFileIo());
    try {
        files.copyFile("C:\\Games\\NHL 09\\preload\\missing.cfg", "C:\\Games\\copy.cfg");
        ADD_FAILURE() << "no error";
    } catch (const ToolError& e) {
        const std::string host = (linkC_ / "games" / "nhl 09" / "Preload" / "missing.cfg").string();
        EXPECT_NE(e.description().find("C:\\Games\\NHL 09\\preload\\missing.cfg (" + host + ")"),
                  std::string::npos)
            << e.description();
    }
    // Writing through a Windows path lands in the resolved folder.
    files.writeFile("C:\\GAMES\\Nhl 09\\preload\\quenor.tmp", "scratch");
    EXPECT_EQ(readFileOrMissing(driveC_ / "games" / "nhl 09" / "Preload" / "quenor.tmp"),
              "scratch");
}

}  // namespace
}  // namespace quenor::host
