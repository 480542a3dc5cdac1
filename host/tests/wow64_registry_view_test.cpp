// The 32-bit view of a prefix's registry: where the game key is found and where the
// tool's keys are written, in win64 and win32 prefixes.
#include <gtest/gtest.h>

#include "core/testing/temp_folder.h"
#include "host/wow64_registry_view.h"
#include "tool/testing/fake_installation.h"

namespace quenor::host {
namespace {

using quenor::testing::FakeInstallation;
using quenor::testing::kWindowsInstallDir;
using quenor::testing::writeFileBytes;

std::string readText(reg::RegistryStore& store, reg::Handle root, const std::string& path,
                     const std::string& name) {
    reg::Handle key = 0;
    if (store.openKey(root, path, reg::kQueryValue, key) != reg::kSuccess) return "<no key>";
    std::uint8_t data[512];
    std::uint32_t size = sizeof data;
    const reg::Status status = store.queryValue(key, name, nullptr, data, &size);
    store.closeKey(key);
    if (status != reg::kSuccess) return "<no value>";
    std::string text(reinterpret_cast<char*>(data), size);
    if (!text.empty() && text.back() == '\0') text.pop_back();
    return text;
}

reg::Status writeText(reg::RegistryStore& store, reg::Handle root, const std::string& path,
                      const std::string& name, const std::string& text) {
    reg::Handle key = 0;
    if (reg::Status s = store.createKey(root, path, reg::kAllAccess, key, nullptr); s != 0)
        return s;
    const reg::Status status =
        store.setValue(key, name, reg::kSz, reinterpret_cast<const std::uint8_t*>(text.c_str()),
                       static_cast<std::uint32_t>(text.size() + 1));
    store.closeKey(key);
    return status;
}

TEST(Wow64RegistryView, FindsTheGameKeyWhereTheGameDoes) {
    for (bool win64 : {true, false}) {
        SCOPED_TRACE(win64 ? "win64" : "win32");
        FakeInstallation prefix({.win64 = win64, .installDir = kWindowsInstallDir});
        Wow64RegistryView store(prefix.prefix());
        EXPECT_EQ(store.isWin64(), win64);
        EXPECT_EQ(readText(store, reg::kLocalMachine, "Software\\EA Sports\\NHL 09", "Install Dir"),
                  "C:\\Games\\NHL 09\\");
        // Reached step by step from an opened "Software" key as well.
        reg::Handle software = 0;
        ASSERT_EQ(store.openKey(reg::kLocalMachine, "SOFTWARE", reg::kAllAccess, software), 0);
        EXPECT_EQ(readText(store, software, "ea sports\\nhl 09", "Install Dir"),
                  "C:\\Games\\NHL 09\\");
        store.closeKey(software);
    }
}

TEST(Wow64RegistryView, ThirtyTwoBitKeyWinsOverTheSixtyFourBitOne) {
    FakeInstallation prefix({.win64 = true, .installDir = kWindowsInstallDir});
    std::string text = prefix.systemReg();
    text += "\n[Software\\\\EA Sports\\\\NHL 09] 1733500000\n\"Install Dir\"=\"D:\\\\64\\\\\"\n";
    writeFileBytes(prefix.prefix() / "system.reg", text);
    Wow64RegistryView store(prefix.prefix());
    EXPECT_EQ(readText(store, reg::kLocalMachine, "Software\\EA Sports\\NHL 09", "Install Dir"),
              "C:\\Games\\NHL 09\\");
}

TEST(Wow64RegistryView, KeyOnlyInTheSixtyFourBitViewIsStillRead) {
    FakeInstallation prefix({.win64 = true, .installDir = kWindowsInstallDir});
    std::string text = prefix.systemReg();
    text += "\n[Software\\\\Other Game] 1733500000\n\"Path\"=\"C:\\\\Other\"\n";
    writeFileBytes(prefix.prefix() / "system.reg", text);
    Wow64RegistryView store(prefix.prefix());
    EXPECT_EQ(readText(store, reg::kLocalMachine, "Software\\Other Game", "Path"), "C:\\Other");
}

TEST(Wow64RegistryView, Win32PrefixIgnoresAStrayWow6432Node) {
    FakeInstallation prefix({.win64 = false, .installDir = kWindowsInstallDir});
    std::string text = prefix.systemReg();
    text +=
        "\n[Software\\\\Wow6432Node\\\\EA Sports\\\\NHL 09] 1733500000\n"
        "\"Install Dir\"=\"D:\\\\Stray\\\\\"\n";
    writeFileBytes(prefix.prefix() / "system.reg", text);
    Wow64RegistryView store(prefix.prefix());
    EXPECT_EQ(readText(store, reg::kLocalMachine, "Software\\EA Sports\\NHL 09", "Install Dir"),
              "C:\\Games\\NHL 09\\");
}

TEST(Wow64RegistryView, UserKeysGoToUserRegSharedOrRedirected) {
    struct Case {
        bool win64;
        bool userWowNode;  // HKEY_CURRENT_USER\Software\Wow6432Node exists
        const char* section;
    };
    const Case cases[] = {
        {true, false, "[Software\\\\Olm\\\\Quenor]"},
        {false, false, "[Software\\\\Olm\\\\Quenor]"},
        {true, true, "[Software\\\\Wow6432Node\\\\Olm\\\\Quenor]"},
        {false, true, "[Software\\\\Olm\\\\Quenor]"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.win64 ? "win64" : "win32") + (c.userWowNode ? " +node" : ""));
        FakeInstallation prefix({.win64 = c.win64, .installDir = kWindowsInstallDir});
        if (c.userWowNode) {
            writeFileBytes(
                prefix.prefix() / "user.reg",
                prefix.userReg() + "\n[Software\\\\Wow6432Node\\\\Placeholder] 1733500000\n");
        }
        const std::string systemBefore = prefix.systemReg();
        {
            Wow64RegistryView store(prefix.prefix());
            ASSERT_EQ(
                writeText(store, reg::kCurrentUser, "Software\\Olm\\Quenor", "Version", "1.0"),
                reg::kSuccess);
            EXPECT_EQ(readText(store, reg::kCurrentUser, "Software\\Olm\\Quenor", "Version"),
                      "1.0");
        }
        const std::string user = prefix.userReg();
        const auto at = user.find(c.section);
        ASSERT_NE(at, std::string::npos) << user;
        EXPECT_NE(user.find("\"Version\"=\"1.0\"", at), std::string::npos) << user;
        EXPECT_EQ(prefix.systemReg(), systemBefore);
        // A second run reads back what the first wrote.
        Wow64RegistryView again(prefix.prefix());
        EXPECT_EQ(readText(again, reg::kCurrentUser, "Software\\Olm\\Quenor", "Version"), "1.0");
    }
}

TEST(Wow64RegistryView, RefusedSaveWritesNothingAndChangesNothing) {
    FakeInstallation prefix({.win64 = true, .installDir = kWindowsInstallDir});
    const std::string before = prefix.userReg();
    std::string answer = "Wine started running";
    Wow64RegistryView store(prefix.prefix(), [&] { return answer; });
    EXPECT_EQ(writeText(store, reg::kCurrentUser, "Software\\EA Sports\\NHL 09", "x", "1"),
              reg::kRegistryIoFailed);
    EXPECT_EQ(store.lastSaveError(), "Wine started running");
    EXPECT_EQ(prefix.userReg(), before);
    EXPECT_EQ(readText(store, reg::kCurrentUser, "Software\\EA Sports\\NHL 09", "x"), "<no key>");
    answer.clear();
    EXPECT_EQ(writeText(store, reg::kCurrentUser, "Software\\EA Sports\\NHL 09", "x", "1"),
              reg::kSuccess);
    EXPECT_NE(prefix.userReg(), before);
}

}  // namespace
}  // namespace quenor::host
