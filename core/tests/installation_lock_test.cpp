// Two changes of one installation never overlap: the second waits, then asks, and gives up
// without holding anything while the player decides. A change reads the registry again first.
#include "core/installation_lock.h"

#include <gtest/gtest.h>

#include <functional>

#include "core/platform/host_file_system.h"
#include "core/registry_change.h"
#include "core/testing/fake_platform.h"
#include "core/tool_error.h"
#include "lib/files/testing/memory_file_io.h"
#include "lib/registry/testing/memory_store.h"

namespace quenor {
namespace {

using namespace std::chrono_literals;

// A registry's saving that counts how often it was brought up to date, and can fail to be.
struct CountingTransaction : reg::RegistryTransaction {
    std::optional<quenor::Failure> refresh() override {
        ++refreshes;
        return failure;
    }
    std::vector<quenor::Failure> commit() override { return {}; }
    int refreshes = 0;
    std::optional<quenor::Failure> failure;
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

class InstallationLockTest : public ::testing::Test {
  protected:
    PlatformServices services() {
        PlatformServices s{files, clock, format,      environment, system,
                           boxes, store, transaction, "/tool",     "quenor"};
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
    reg::MemoryStore store;
    CountingTransaction transaction;
};

TEST_F(InstallationLockTest, HoldsBothLocksInOrderAndReadsTheRegistryAgain) {
    PlatformServices s = services();
    {
        const InstallationLock lock(s, "C:\\Games\\NHL 09\\preload\\fmisc.viv", "/temp");
        EXPECT_EQ(holdInstallation(), nullptr);
        EXPECT_EQ(holdScratch(), nullptr);
        EXPECT_EQ(transaction.refreshes, 0) << "the lock only locks";
        const RegistryChange registry(s);
        EXPECT_EQ(transaction.refreshes, 1);
    }
    EXPECT_NE(holdInstallation(), nullptr);
    EXPECT_NE(holdScratch(), nullptr);
    EXPECT_TRUE(boxes.shown.empty());
    EXPECT_TRUE(boxes.notes.empty());
}

TEST_F(InstallationLockTest, ABusyInstallationOrFolderIsWaitedForThenAskedAbout) {
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
            const InstallationLock lock(s, "", "/temp");
            EXPECT_EQ(holdInstallation(), nullptr);
        } else {
            try {
                const InstallationLock lock(s, "", "/temp");
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

// A registry that cannot be read again stops the change before it writes, with nothing held; an
// I/O error says so and gives the system's words, a file broken by another program says that.
TEST_F(InstallationLockTest, ARegistryThatCannotBeReadAgainStopsTheChangeUnlocked) {
    using Kind = quenor::Failure::Kind;
    struct Case {
        Kind kind;
        const char* cause;
        std::int32_t number;
        const char* said;
    };
    const Case cases[] = {
        {Kind::kUnreadable, "user.reg, line 3: a broken value", error_number::kBadFileFormat,
         "The registry was changed by another program and cannot be read again: user.reg, line "
         "3: a broken value. Nothing was changed."},
        {Kind::kIo, "Reading /prefix/user.reg failed: Input/output error.",
         error_number::kPathAccess,
         "Quenor could not read the registry again: Reading /prefix/user.reg failed: "
         "Input/output error. Nothing was changed; correct the cause and try again."},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.cause);
        transaction.failure = quenor::Failure{c.kind, "/prefix/user.reg", c.cause, {}};
        PlatformServices s = services();
        try {
            const InstallationLock lock(s, "", "/temp");
            const RegistryChange registry(s);
            ADD_FAILURE() << "the change went ahead";
        } catch (const ToolError& error) {
            EXPECT_EQ(error.number(), c.number);
            EXPECT_EQ(error.description(), c.said);
        }
        EXPECT_NE(holdInstallation(), nullptr);
        EXPECT_NE(holdScratch(), nullptr);
    }
}

}  // namespace
}  // namespace quenor
