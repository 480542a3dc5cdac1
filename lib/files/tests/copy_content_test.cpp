// Copies through the real file system and through the fault wrapper.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <optional>
#include <random>
#ifndef _WIN32
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#endif

#include "lib/files/file_io.h"
#include "lib/files/testing/fault_file_io.h"

namespace quenor::files {
namespace {

using Bytes = std::vector<std::uint8_t>;

class CopyContentTest : public ::testing::Test {
  protected:
    void SetUp() override {
        folder = std::filesystem::temp_directory_path() /
                 ("quenor-copy-" + std::to_string(std::random_device{}()));
        std::filesystem::create_directories(folder);
    }
    void TearDown() override { std::filesystem::remove_all(folder); }

    void put(const std::filesystem::path& path, const Bytes& bytes) {
        writeFileAtomically(io, path, bytes, 0640);
    }

    std::filesystem::path folder;
    FileIo& io = systemFileIo();
};

TEST_F(CopyContentTest, CopiesAreExactOverEmptyAndLargerTargets) {
    Bytes large(3 * 1024 * 1024 + 17);
    std::mt19937 random(7);
    for (auto& byte : large) byte = static_cast<std::uint8_t>(random());
    for (const Bytes& content : {Bytes{}, Bytes{1, 2, 3}, large}) {
        put(folder / "from", content);
        put(folder / "to", Bytes(5 * 1024 * 1024, 0xEE));  // longer than any source
        io.copyContent(folder / "from", folder / "to", CopyEnd::kSynced);
        EXPECT_EQ(readWholeFile(io, folder / "to", 1u << 30), content) << content.size();
#ifndef _WIN32
        EXPECT_EQ(io.permissions(folder / "to"), 0640u);
#endif
    }
    EXPECT_THROW(io.copyContent(folder / "missing", folder / "to", CopyEnd::kCached), FileIoError);
}

TEST_F(CopyContentTest, ACopyOfAReadOnlyFileIsSynced) {
    writeFileAtomically(io, folder / "from", Bytes{4, 5, 6}, 0444);
    io.copyContent(folder / "from", folder / "to", CopyEnd::kSynced);
    EXPECT_EQ(readWholeFile(io, folder / "to", 100), (Bytes{4, 5, 6}));
    EXPECT_EQ(io.permissions(folder / "to"), 0444u);
    for (const char* name : {"from", "to"}) {  // so that Windows lets the folder go
        std::filesystem::permissions(folder / name, std::filesystem::perms::owner_write,
                                     std::filesystem::perm_options::add);
    }
}

TEST_F(CopyContentTest, FaultsOfTheWrapperReachCopies) {
    put(folder / "from", Bytes(20000, 0x5A));
    FaultInjectingFileIo::Faults faults;
    faults.writeBudget = 9000;
    FaultInjectingFileIo failing(io, faults);
    EXPECT_THROW(failing.copyContent(folder / "from", folder / "to", CopyEnd::kCached),
                 FileIoError);
    EXPECT_EQ(readWholeFile(io, folder / "to", 1u << 20).size(), 8192u);
}

// A copy to a new path is there whole or not at all, and never replaces what another process put
// there meanwhile; no temporary copy stays behind either way.
TEST_F(CopyContentTest, ACopyToANewPathIsWholeOrAbsent) {
    writeFileAtomically(io, folder / "from", Bytes(20000, 0x5A), 0444);
    struct Case {
        const char* name;
        bool targetThere;
        std::optional<std::uint64_t> writeBudget;
        bool crash;  // the process dies at the fault: the temporary copy stays, `to` is absent
        bool copied;
    };
    for (const Case& c :
         {Case{"copied", false, std::nullopt, false, true},
          Case{"target there", true, std::nullopt, false, false},
          Case{"disk full", false, 9000, false, false}, Case{"killed", false, 9000, true, false}}) {
        for (const auto& name : io.namesIn(folder)) {
            if (name != "from") io.remove(folder / name);
        }
        if (c.targetThere) put(folder / "to", Bytes{7});
        FaultInjectingFileIo::Faults faults;
        faults.writeBudget = c.writeBudget;
        faults.transient = !c.crash;
        FaultInjectingFileIo wrapped(io, faults);
        if (c.copied) {
            copyToNewFile(wrapped, folder / "from", folder / "to", 0644);
            EXPECT_EQ(readWholeFile(io, folder / "to", 1u << 20), Bytes(20000, 0x5A));
            EXPECT_EQ(io.permissions(folder / "to"), 0644u);
        } else {
            EXPECT_THROW(copyToNewFile(wrapped, folder / "from", folder / "to", 0644), FileIoError)
                << c.name;
            EXPECT_EQ(io.exists(folder / "to"), c.targetThere) << c.name;
            if (c.targetThere) {
                EXPECT_EQ(readWholeFile(io, folder / "to", 100), Bytes{7});
            }
        }
        if (c.crash) continue;
        auto names = io.namesIn(folder);
        std::sort(names.begin(), names.end());
        EXPECT_EQ(names, (c.copied || c.targetThere ? std::vector<std::string>{"from", "to"}
                                                    : std::vector<std::string>{"from"}))
            << c.name;
    }
    std::filesystem::permissions(folder / "from", std::filesystem::perms::owner_write,
                                 std::filesystem::perm_options::add);
}

#ifndef _WIN32
// A file made or emptied for new content never gets more than the user's umask allows,
// whatever it is asked for: records that a restore acts on must not become writable by all.
TEST_F(CopyContentTest, NewAndEmptiedFilesKeepWithinTheUmask) {
    const mode_t before = ::umask(027);
    put(folder / "emptied", Bytes{1});
    writeFileAtomically(io, folder / "new", Bytes{2}, 0666);
    io.open(folder / "emptied", OpenMode::kCreate, 0666);
    ::umask(before);
    EXPECT_EQ(io.permissions(folder / "new"), 0640u);
    EXPECT_EQ(io.permissions(folder / "emptied"), 0640u);
}

// Temporary copies other processes left beside a file go; this process's own and every other
// name stay.
TEST_F(CopyContentTest, LeftoverTemporaryCopiesOfOthersAreRemoved) {
    const auto target = folder / "user.reg";
    for (const char* name : {"user.reg", "user.reg.quenor-new-1f-00aa", "user.reg.quenor-new-2-b",
                             "system.reg.quenor-new-1f-00aa", "user.reg.bak"})
        put(folder / name, Bytes{1});
    put(temporarySibling(target), Bytes{1});
    removeLeftoverSiblings(io, target);
    std::vector<std::string> left;
    for (const auto& entry : std::filesystem::directory_iterator(folder))
        left.push_back(entry.path().filename().string());
    std::sort(left.begin(), left.end());
    EXPECT_EQ(left,
              (std::vector<std::string>{"system.reg.quenor-new-1f-00aa", "user.reg", "user.reg.bak",
                                        temporarySibling(target).filename().string()}));
}

// A child made by fork() is another process: the copy its parent left when it was killed is
// a leftover to it, not its own.
TEST_F(CopyContentTest, AForkedChildTakesItsOwnTemporaryName) {
    const auto target = folder / "user.reg";
    put(temporarySibling(target), Bytes{1});  // the parent's
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        removeLeftoverSiblings(io, target);
        _exit(0);
    }
    int status = -1;
    waitpid(child, &status, 0);
    EXPECT_TRUE(WIFEXITED(status));
    EXPECT_FALSE(std::filesystem::exists(temporarySibling(target)));
}
#endif

}  // namespace
}  // namespace quenor::files
