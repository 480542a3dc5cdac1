// The change lock on Windows (Wine in CI): one lock file for one archive however its path is
// spelled, held against another process, and dropped when its holder is killed.
#define WIN32_LEAN_AND_MEAN
#include <windows.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "host/windows_platform.h"
#include "lib/files/file_io.h"

namespace quenor::host::windows {
namespace {

namespace fs = std::filesystem;

class WindowsLockTest : public ::testing::Test {
  protected:
    void SetUp() override {
        folder =
            fs::temp_directory_path() / ("quenor-lock-" + std::to_string(GetCurrentProcessId()));
        fs::remove_all(folder);
        fs::create_directories(folder / "Game" / "preload");
        std::ofstream(folder / "Game" / "preload" / "fmisc.viv") << "BIGF";
    }
    void TearDown() override { fs::remove_all(folder); }
    std::string game() const { return folder.string() + "\\Game"; }

    fs::path folder;
};

TEST_F(WindowsLockTest, OneLockFileForOneArchiveHoweverItIsSpelled) {
    WindowsFileSystem files("quenor", quenor::files::systemFileIo(), {}, folder / "locks");
    const fs::path lock = files.changeLockFile(game() + "\\preload\\fmisc.viv");
    EXPECT_EQ(lock.parent_path(), folder / "locks");
    for (const std::string& spelling :
         {game() + "\\PRELOAD\\FMISC.VIV", game() + "\\preload\\..\\preload\\fmisc.viv",
          game() + "/preload/fmisc.viv"}) {
        SCOPED_TRACE(spelling);
        EXPECT_EQ(files.changeLockFile(spelling), lock);
    }
    EXPECT_NE(files.changeLockFile(game() + "\\preload\\other.viv"), lock);
}

TEST_F(WindowsLockTest, AnotherProcessHoldsItUntilItIsKilled) {
    WindowsFileSystem files("quenor", quenor::files::systemFileIo(), {}, folder / "locks");
    const fs::path lock = files.changeLockFile(game() + "\\preload\\fmisc.viv");
    wchar_t own[MAX_PATH];
    GetModuleFileNameW(nullptr, own, MAX_PATH);
    std::wstring command = L"\"" +
                           (fs::path(own).parent_path() / L"quenor-lock-holder.exe").wstring() +
                           L"\" \"" + lock.wstring() + L"\"";

    SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
    HANDLE readEnd = nullptr;
    HANDLE writeEnd = nullptr;
    ASSERT_TRUE(CreatePipe(&readEnd, &writeEnd, &inherit, 0));
    SetHandleInformation(readEnd, HANDLE_FLAG_INHERIT, 0);
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdOutput = writeEnd;
    startup.hStdError = GetStdHandle(STD_ERROR_HANDLE);
    PROCESS_INFORMATION holder{};
    ASSERT_TRUE(CreateProcessW(nullptr, command.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr,
                               &startup, &holder));
    CloseHandle(writeEnd);
    char said[8] = {};
    DWORD got = 0;
    ReadFile(readEnd, said, 4, &got, nullptr);
    CloseHandle(readEnd);
    EXPECT_EQ(std::string(said, got), "held");

    EXPECT_EQ(files::systemFileIo().tryLock(lock), nullptr) << "two holders at once";
    TerminateProcess(holder.hProcess, 9);
    WaitForSingleObject(holder.hProcess, INFINITE);
    CloseHandle(holder.hProcess);
    CloseHandle(holder.hThread);
    EXPECT_NE(files::systemFileIo().tryLock(lock), nullptr) << "the killed holder kept it";
}

}  // namespace
}  // namespace quenor::host::windows
