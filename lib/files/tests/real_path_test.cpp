// The real path of a file through the links that lead to it, on the real file system.
#include <gtest/gtest.h>

#include <filesystem>
#include <random>

#include "lib/files/file_io.h"

namespace quenor::files {
namespace {

namespace fs = std::filesystem;

TEST(RealPath, FollowsEveryLinkAsFarAsThePathExists) {
    const fs::path root = fs::canonical(fs::temp_directory_path()) /
                          ("quenor-real-" + std::to_string(std::random_device{}()));
    fs::create_directories(root / "disk/game/preload");
    fs::create_directories(root / "prefix/dosdevices");
    fs::create_directory_symlink("../../disk", root / "prefix/dosdevices/c:");  // relative
    fs::create_directory_symlink(root / "disk/game", root / "shortcut");        // absolute
    fs::create_symlink("../../elsewhere.viv", root / "disk/game/preload/fmisc.viv");
    fs::create_symlink("loop-b", root / "loop-a");
    fs::create_symlink("loop-a", root / "loop-b");
    FileIo& io = systemFileIo();
    const struct {
        const char* path;
        fs::path expected;
    } rows[] = {
        {"prefix/dosdevices/c:/game/preload", root / "disk/game/preload"},
        {"prefix/dosdevices/c:/game/../game/./preload", root / "disk/game/preload"},
        {"shortcut/preload/fmisc.viv", root / "disk/elsewhere.viv"},  // to a missing file
        {"shortcut/missing/deeper", root / "disk/game/missing/deeper"},
        {"loop-a/x", root / "loop-a/x"},  // a loop stops where it began
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.path);
        const fs::path real = io.realPath(root / row.path);
        if (std::string(row.path).rfind("loop", 0) == 0) {
            EXPECT_EQ(real.filename(), "x");  // no hang, no crash
            continue;
        }
        EXPECT_EQ(real, row.expected);
    }
    EXPECT_EQ(io.linkTarget(root / "shortcut"), root / "disk/game");
    EXPECT_EQ(io.linkTarget(root / "disk/game"), std::nullopt);
    EXPECT_EQ(io.linkTarget(root / "nothing"), std::nullopt);
    fs::remove_all(root);
}

}  // namespace
}  // namespace quenor::files
