// A running wineserver is recognised by the lock its server folder's "lock" file carries,
// in upstream Wine's layout and in Debian's.
#include <gtest/gtest.h>

#include "host/tests/lock_holder.h"
#include "host/wineserver_detection_linux.h"
#include "tool/testing/fake_installation.h"

namespace quenor::host {
namespace {

using quenor::testing::FakeInstallation;
using quenor::testing::kWindowsInstallDir;
using quenor::testing::TempFolder;
using quenor::testing::writeFileBytes;
using testing::LockHolder;

// The lock file of the prefix's server folder in each layout, below `root`.
enum class Layout { Upstream, Debian };

std::filesystem::path lockFileFor(Layout layout, const FakeInstallation& prefix,
                                  const std::filesystem::path& root) {
    const std::string server = serverFolderName(prefix.prefix());
    if (layout == Layout::Upstream)
        return root / (".wine-" + std::to_string(::getuid())) / server / "lock";
    writeFileBytes(prefix.prefix() / "wineserver", "wine-Ab3xYz");
    return root / "wine-Ab3xYz" / server / "lock";
}

WineserverSearch searchBelow(const std::filesystem::path& root) {
    WineserverSearch search;
    search.upstreamRoot = root;
    search.debianBases = {root / "wine", root};
    search.scanProcesses = false;
    return search;
}

TEST(WineserverDetection, ServerFolderNameIsDeviceAndInodeInHex) {
    TempFolder folder;
    struct stat info {};
    ASSERT_EQ(::stat(folder.path().c_str(), &info), 0);
    char expected[64];
    std::snprintf(expected, sizeof expected, "server-%lx-%lx", info.st_dev, info.st_ino);
    EXPECT_EQ(serverFolderName(folder.path()), expected);
    EXPECT_EQ(serverFolderName(folder.path() / "missing"), "");
}

TEST(WineserverDetection, HeldLockIsFoundInBothLayouts) {
    for (Layout layout : {Layout::Upstream, Layout::Debian}) {
        SCOPED_TRACE(layout == Layout::Upstream ? "upstream" : "debian");
        FakeInstallation prefix({.win64 = true, .installDir = kWindowsInstallDir});
        TempFolder runtime;
        const auto lock = lockFileFor(layout, prefix, runtime.path());
        const WineserverSearch search = searchBelow(runtime.path());
        EXPECT_FALSE(findRunningWineserver(files::systemFileIo(), prefix.prefix(),
                                           search));  // no server folder yet
        {
            LockHolder server(lock);
            ASSERT_TRUE(server.locked());
            const auto found =
                findRunningWineserver(files::systemFileIo(), prefix.prefix(), search);
            ASSERT_TRUE(found);
            EXPECT_EQ(*found, lock.parent_path());
        }
        // The server ended: its folder and lock file stay, unlocked.
        EXPECT_TRUE(std::filesystem::exists(lock));
        EXPECT_FALSE(findRunningWineserver(files::systemFileIo(), prefix.prefix(), search));
    }
}

TEST(WineserverDetection, LockOfAnotherPrefixOrAForgedNameDoesNotCount) {
    FakeInstallation prefix({.win64 = true, .installDir = kWindowsInstallDir});
    FakeInstallation other({.win64 = true, .installDir = kWindowsInstallDir});
    TempFolder runtime;
    LockHolder otherServer(lockFileFor(Layout::Upstream, other, runtime.path()));
    ASSERT_TRUE(otherServer.locked());
    EXPECT_FALSE(
        findRunningWineserver(files::systemFileIo(), prefix.prefix(), searchBelow(runtime.path())));

    // A recorded name that would lead out of the base folder is ignored: with ".." the
    // lock below would be reached.
    const std::string server = serverFolderName(prefix.prefix());
    TempFolder base;
    std::filesystem::create_directories(base.path() / "inner");
    LockHolder outside(base.path() / server / "lock");
    ASSERT_TRUE(outside.locked());
    WineserverSearch search = searchBelow(runtime.path());
    search.debianBases = {base.path() / "inner"};
    for (const char* forged : {"..", "../", "/abs", ""}) {
        writeFileBytes(prefix.prefix() / "wineserver", forged);
        EXPECT_FALSE(findRunningWineserver(files::systemFileIo(), prefix.prefix(), search))
            << forged;
    }
    writeFileBytes(prefix.prefix() / "wineserver", "inner");
    search.debianBases = {base.path()};
    std::filesystem::create_directories(base.path() / "inner" / server);
    LockHolder inner(base.path() / "inner" / server / "lock");
    EXPECT_TRUE(findRunningWineserver(files::systemFileIo(), prefix.prefix(), search));
}

TEST(WineserverDetection, LockHeldByThisProcessCounts) {
    TempFolder folder;
    const auto lock = folder.path() / "lock";
    const int fd = ::open(lock.c_str(), O_RDWR | O_CREAT, 0600);
    ASSERT_GE(fd, 0);
    EXPECT_FALSE(isLockHeld(lock));
    struct flock hold {};
    hold.l_type = F_WRLCK;
    hold.l_whence = SEEK_SET;
    ASSERT_EQ(::fcntl(fd, F_SETLK, &hold), 0);
    EXPECT_TRUE(isLockHeld(lock));
    ::close(fd);
    EXPECT_FALSE(isLockHeld(lock));
    EXPECT_FALSE(isLockHeld(folder.path() / "missing"));
    EXPECT_FALSE(std::filesystem::exists(folder.path() / "missing"));
}

TEST(WineserverDetection, RefusalNamesThePrefixAndTheWayOut) {
    const MessageBoxRequest box = wineRunningRefusal("/home/ann/.wine");
    EXPECT_NE(box.text.find("/home/ann/.wine"), std::string::npos);
    EXPECT_NE(box.text.find("WINEPREFIX=\"/home/ann/.wine\" wineserver -k"), std::string::npos);
    EXPECT_NE(box.text.find("Close NHL 09"), std::string::npos);
    EXPECT_EQ(box.buttons, MessageButtons::Ok);
    EXPECT_EQ(box.icon, MessageIcon::Exclamation);
    EXPECT_EQ(box.text.find('\n'), std::string::npos);  // lines joined by CR alone
}

}  // namespace
}  // namespace quenor::host
