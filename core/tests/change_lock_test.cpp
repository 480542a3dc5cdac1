// Two changes of one installation never overlap: the second waits, then asks, and gives up
// without holding anything while the player decides.
#include "core/change_lock.h"

#include <gtest/gtest.h>

#include <functional>

#include "core/platform/host_file_system.h"
#include "core/testing/fake_platform.h"
#include "core/tool_error.h"
#include "lib/files/testing/memory_file_io.h"
#include "lib/registry/testing/memory_store.h"

namespace quenor {
namespace {

using namespace std::chrono_literals;

// A registry that counts how often it was brought up to date, and can fail to be.
struct CountingStore : reg::MemoryStore {
    std::string refresh() override {
        ++refreshes;
        return failure;
    }
    int refreshes = 0;
    std::string failure;
};

// Answers each box from a list, running `duringBox` while the box is up.
struct AnsweringBoxes : MessageBoxes {
    MessageAnswer show(const MessageBoxRequest& request) override {
        shown.push_back(request);
        if (duringBox) duringBox();
        if (answers.empty()) return MessageAnswer::Closed;
        const MessageAnswer answer = answers.front();
        answers.erase(answers.begin());
        return answer;
    }
    void note(std::string_view text) override { notes.emplace_back(text); }

    std::vector<MessageAnswer> answers;
    std::function<void()> duringBox;
    std::vector<MessageBoxRequest> shown;
    std::vector<std::string> notes;
};

class ChangeLockTest : public ::testing::Test {
  protected:
    PlatformServices services() {
        PlatformServices s{files, clock, format,  environment, system,
                           boxes, store, "/tool", "quenor"};
        s.changeLockWait = 20ms;
        return s;
    }
    // The lock files, joined as the system joins paths.
    std::unique_ptr<files::FileLock> holdInstallation() {
        return io.tryLock(std::filesystem::path("/prefix") / ".quenor-change.lock");
    }
    std::unique_ptr<files::FileLock> holdScratch() {
        return io.tryLock(std::filesystem::path("/temp") / ".quenor-temp.lock");
    }

    files::MemoryFileIo io;
    HostFileSystem files{"quenor", io, "/prefix"};
    testing::FixedClock clock;
    testing::UsRegionalFormat format;
    testing::MapEnvironment environment;
    testing::FixedSystemInfo system;
    AnsweringBoxes boxes;
    CountingStore store;
};

TEST_F(ChangeLockTest, HoldsBothLocksInOrderAndReadsTheRegistryAgain) {
    PlatformServices s = services();
    {
        const ChangeLock lock(s, "C:\\Games\\NHL 09\\preload\\fmisc.viv", "/temp");
        EXPECT_EQ(holdInstallation(), nullptr);
        EXPECT_EQ(holdScratch(), nullptr);
        EXPECT_EQ(store.refreshes, 1);
    }
    EXPECT_NE(holdInstallation(), nullptr);
    EXPECT_NE(holdScratch(), nullptr);
    EXPECT_TRUE(boxes.shown.empty());
    EXPECT_TRUE(boxes.notes.empty());
}

TEST_F(ChangeLockTest, ABusyInstallationOrFolderIsWaitedForThenAskedAbout) {
    struct Case {
        const char* what;
        bool holdInstallation;  // else the scratch folder is held
        std::vector<MessageAnswer> answers;
        bool proceeds;
    };
    const Case cases[] = {
        {"installation busy, Cancel", true, {MessageAnswer::Cancel}, false},
        {"installation busy, box closed", true, {MessageAnswer::Closed}, false},
        {"folder busy, Cancel", false, {MessageAnswer::Cancel}, false},
        {"installation busy, Retry after it was let go", true, {MessageAnswer::Retry}, true},
        {"folder busy, Retry twice", false, {MessageAnswer::Retry, MessageAnswer::Retry}, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        boxes = AnsweringBoxes{};
        boxes.answers = c.answers;
        std::unique_ptr<files::FileLock> other =
            c.holdInstallation ? holdInstallation() : holdScratch();
        ASSERT_NE(other, nullptr);
        int boxesUp = 0;
        boxes.duringBox = [&] {
            // Neither lock of this change is held while the player decides.
            if (c.holdInstallation) {
                EXPECT_NE(holdScratch(), nullptr);
            } else {
                EXPECT_NE(holdInstallation(), nullptr);
            }
            // The other change finishes while the last box is up.
            if (++boxesUp == static_cast<int>(c.answers.size())) other.reset();
        };
        PlatformServices s = services();
        if (c.proceeds) {
            const ChangeLock lock(s, "", "/temp");
            EXPECT_EQ(holdInstallation(), nullptr);
        } else {
            try {
                const ChangeLock lock(s, "", "/temp");
                ADD_FAILURE() << "the change went ahead";
            } catch (const ChangeRefused& refused) {
                EXPECT_EQ(refused.number(), error_number::kInUse);
                EXPECT_NE(refused.description().find("Nothing was changed"), std::string::npos);
            }
        }
        ASSERT_EQ(boxes.shown.size(), c.answers.size());
        EXPECT_EQ(boxes.shown[0].buttons, MessageButtons::RetryCancel);
        EXPECT_EQ(boxes.notes.size(), 1u) << "the wait is told once";
        other.reset();
    }
}

TEST_F(ChangeLockTest, ARegistryThatCannotBeReadAgainStopsTheChangeUnlocked) {
    store.failure = "user.reg: line 3: a broken value";
    PlatformServices s = services();
    try {
        const ChangeLock lock(s, "", "/temp");
        ADD_FAILURE() << "the change went ahead";
    } catch (const ToolError& error) {
        EXPECT_NE(error.description().find("a broken value"), std::string::npos);
    }
    EXPECT_NE(holdInstallation(), nullptr);
    EXPECT_NE(holdScratch(), nullptr);
}

}  // namespace
}  // namespace quenor
