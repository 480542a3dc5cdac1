// The Win32 file layer of the archive library, against Windows' file system (Wine in CI).
#define WIN32_LEAN_AND_MEAN
#include <windows.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "lib/files/file_error.h"
#include "lib/files/file_io.h"

namespace quenor::files {
namespace {

using Bytes = std::vector<std::uint8_t>;

class WindowsFileIoTest : public ::testing::Test {
  protected:
    void SetUp() override {
        folder = std::filesystem::temp_directory_path() /
                 ("quenor-winio-" + std::to_string(GetCurrentProcessId()));
        std::filesystem::remove_all(folder);
        std::filesystem::create_directories(folder);
    }
    void TearDown() override { std::filesystem::remove_all(folder); }

    std::filesystem::path folder;
    FileIo& io = systemFileIo();
};

TEST_F(WindowsFileIoTest, PositionedWritesGrowAndReadsRefuseToPassTheEnd) {
    const auto path = folder / "a.viv";
    auto file = io.open(path, OpenMode::kCreate);
    file->writeAt(4, Bytes{1, 2, 3});
    EXPECT_EQ(file->size(), 7u);
    Bytes head(7);
    file->readAt(0, head);
    EXPECT_EQ(head, (Bytes{0, 0, 0, 0, 1, 2, 3}));
    file->truncate(5);
    EXPECT_EQ(file->size(), 5u);
    file->sync();
    Bytes past(3);
    try {
        file->readAt(4, past);
        FAIL() << "a read past the end succeeded";
    } catch (const FileIoError& error) {
        const std::string message = error.what();
        EXPECT_NE(message.find("a.viv"), std::string::npos) << message;
        EXPECT_NE(message.find("ended at byte 5"), std::string::npos) << message;
    }
}

TEST_F(WindowsFileIoTest, OpenFailuresNameTheFile) {
    EXPECT_THROW(io.open(folder / "missing.viv", OpenMode::kRead), FileIoError);
    std::filesystem::create_directories(folder / "sub");
    EXPECT_THROW(io.open(folder / "sub", OpenMode::kRead), FileIoError);
    EXPECT_FALSE(io.exists(folder / "missing.viv"));
    io.remove(folder / "missing.viv");  // a missing file is not an error
}

TEST_F(WindowsFileIoTest, AtomicReplacementSwapsTheContentAndLeavesNoTemporaryFile) {
    const auto path = folder / "sgsm1.cfg";
    writeFileAtomically(io, path, Bytes{'o', 'l', 'd'});
    // The target is replaced while nothing holds it open.
    writeFileAtomically(io, path, Bytes{'n', 'e', 'w', '!'});
    EXPECT_EQ(readWholeFile(io, path, 100), (Bytes{'n', 'e', 'w', '!'}));
    EXPECT_FALSE(io.exists(temporarySibling(path)));
    EXPECT_THROW(readWholeFile(io, path, 3), FileIoError);
    EXPECT_EQ(io.permissions(path), 0644u);
}

// Windows refuses to replace a read-only file, Wine replaces it: either way the file holds the
// old or the new content whole, stays read-only, and no temporary file is left.
TEST_F(WindowsFileIoTest, AReadOnlyFileKeepsItsAttributeAndOneWholeVersion) {
    const auto path = folder / "locked.cfg";
    writeFileAtomically(io, path, Bytes{'x'});
    ASSERT_TRUE(SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_READONLY));
    EXPECT_EQ(io.permissions(path), 0444u);
    Bytes expected{'y', 'y'};
    try {
        writeFileAtomically(io, path, expected);
    } catch (const FileIoError& error) {
        EXPECT_NE(std::string(error.what()).find("locked.cfg"), std::string::npos);
        expected = Bytes{'x'};
    }
    EXPECT_EQ(readWholeFile(io, path, 10), expected);
    EXPECT_EQ(io.permissions(path), 0444u);
    EXPECT_FALSE(io.exists(temporarySibling(path)));
    SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_NORMAL);
}

}  // namespace
}  // namespace quenor::files
