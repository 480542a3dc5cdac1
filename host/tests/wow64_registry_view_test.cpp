// The 32-bit view of a prefix's registry: where the game key is found and where the
// tool's keys are written, in win64 and win32 prefixes.
#include <gtest/gtest.h>

#include "core/testing/temp_folder.h"
#include "host/wow64_registry_view.h"
#include "lib/registry/testing/memory_store.h"
#include "lib/registry/wine/testing/disk_store.h"
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

// The 32-bit view of a prefix's registry files.
struct PrefixView {
    explicit PrefixView(const std::filesystem::path& prefix)
        : files(prefix), view(files, files.systemArch() == "win64") {}
    reg::wine::testing::DiskStore files;
    Wow64RegistryView view;
};

TEST(Wow64RegistryView, FindsTheGameKeyWhereTheGameDoes) {
    for (bool win64 : {true, false}) {
        SCOPED_TRACE(win64 ? "win64" : "win32");
        FakeInstallation prefix({.win64 = win64, .installDir = kWindowsInstallDir});
        PrefixView storeFiles(prefix.prefix());
        Wow64RegistryView& store = storeFiles.view;
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
    PrefixView storeFiles(prefix.prefix());
    Wow64RegistryView& store = storeFiles.view;
    EXPECT_EQ(readText(store, reg::kLocalMachine, "Software\\EA Sports\\NHL 09", "Install Dir"),
              "C:\\Games\\NHL 09\\");
}

TEST(Wow64RegistryView, KeyOnlyInTheSixtyFourBitViewIsStillRead) {
    FakeInstallation prefix({.win64 = true, .installDir = kWindowsInstallDir});
    std::string text = prefix.systemReg();
    text += "\n[Software\\\\Other Game] 1733500000\n\"Path\"=\"C:\\\\Other\"\n";
    writeFileBytes(prefix.prefix() / "system.reg", text);
    PrefixView storeFiles(prefix.prefix());
    Wow64RegistryView& store = storeFiles.view;
    EXPECT_EQ(readText(store, reg::kLocalMachine, "Software\\Other Game", "Path"), "C:\\Other");
}

TEST(Wow64RegistryView, Win32PrefixIgnoresAStrayWow6432Node) {
    FakeInstallation prefix({.win64 = false, .installDir = kWindowsInstallDir});
    std::string text = prefix.systemReg();
    text +=
        "\n[Software\\\\Wow6432Node\\\\EA Sports\\\\NHL 09] 1733500000\n"
        "\"Install Dir\"=\"D:\\\\Stray\\\\\"\n";
    writeFileBytes(prefix.prefix() / "system.reg", text);
    PrefixView storeFiles(prefix.prefix());
    Wow64RegistryView& store = storeFiles.view;
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
            PrefixView storeFiles(prefix.prefix());
            Wow64RegistryView& store = storeFiles.view;
            ASSERT_EQ(
                writeText(store, reg::kCurrentUser, "Software\\Olm\\Quenor", "Version", "1.0"),
                reg::kSuccess);
            ASSERT_EQ(reg::wine::testing::committed(storeFiles.files), "");
            EXPECT_EQ(readText(store, reg::kCurrentUser, "Software\\Olm\\Quenor", "Version"),
                      "1.0");
        }
        const std::string user = prefix.userReg();
        const auto at = user.find(c.section);
        ASSERT_NE(at, std::string::npos) << user;
        EXPECT_NE(user.find("\"Version\"=\"1.0\"", at), std::string::npos) << user;
        EXPECT_EQ(prefix.systemReg(), systemBefore);
        // A second run reads back what the first wrote.
        PrefixView againFiles(prefix.prefix());
        Wow64RegistryView& again = againFiles.view;
        EXPECT_EQ(readText(again, reg::kCurrentUser, "Software\\Olm\\Quenor", "Version"), "1.0");
    }
}

TEST(Wow64RegistryView, RefusedSaveWritesNothingAndChangesNothing) {
    FakeInstallation prefix({.win64 = true, .installDir = kWindowsInstallDir});
    const std::string before = prefix.userReg();
    std::optional<quenor::Failure> answer = quenor::Failure{
        quenor::Failure::Kind::kWineRunning, prefix.prefix(), "Wine started running", {}};
    PrefixView store(prefix.prefix());
    store.files.setSaveGuard([&] { return answer; });
    EXPECT_EQ(writeText(store.view, reg::kCurrentUser, "Software\\EA Sports\\NHL 09", "x", "1"),
              reg::kSuccess);
    const std::vector<quenor::Failure> refused = store.files.commit();
    ASSERT_EQ(refused.size(), 1u);
    EXPECT_EQ(refused[0].kind, quenor::Failure::Kind::kWineRunning);
    EXPECT_NE(refused[0].describe().find("Wine started running."), std::string::npos);
    EXPECT_EQ(prefix.userReg(), before);
    EXPECT_EQ(readText(store.view, reg::kCurrentUser, "Software\\EA Sports\\NHL 09", "x"),
              "<no key>");
    answer.reset();
    EXPECT_EQ(writeText(store.view, reg::kCurrentUser, "Software\\EA Sports\\NHL 09", "x", "1"),
              reg::kSuccess);
    EXPECT_EQ(reg::wine::testing::committed(store.files), "");
    EXPECT_NE(prefix.userReg(), before);
}

// The view maps paths over any store: here one in memory, in both kinds of prefix.
TEST(Wow64RegistryView, WorksOverAStoreInMemory) {
    for (const bool win64 : {true, false}) {
        SCOPED_TRACE(win64 ? "win64" : "win32");
        reg::MemoryStore memory;
        ASSERT_EQ(writeText(memory, reg::kLocalMachine, "Software\\Wow6432Node\\EA Sports\\NHL 09",
                            "Install Dir", "C:\\32\\"),
                  reg::kSuccess);
        ASSERT_EQ(writeText(memory, reg::kLocalMachine, "Software\\EA Sports\\NHL 09",
                            "Install Dir", "C:\\64\\"),
                  reg::kSuccess);
        ASSERT_EQ(writeText(memory, reg::kLocalMachine, "Software\\Only64", "v", "64"),
                  reg::kSuccess);
        Wow64RegistryView view(memory, win64);
        EXPECT_EQ(readText(view, reg::kLocalMachine, "Software\\EA Sports\\NHL 09", "Install Dir"),
                  win64 ? "C:\\32\\" : "C:\\64\\");
        // Step by step from an opened key.
        reg::Handle software = 0;
        ASSERT_EQ(view.openKey(reg::kLocalMachine, "software", reg::kAllAccess, software),
                  reg::kSuccess);
        EXPECT_EQ(readText(view, software, "EA Sports\\NHL 09", "Install Dir"),
                  win64 ? "C:\\32\\" : "C:\\64\\");
        EXPECT_EQ(readText(view, software, "Only64", "v"), "64");
        // A new key goes where a 32-bit program's goes, and is deleted from there.
        ASSERT_EQ(writeText(view, software, "Olm\\Quenor", "Version", "1.0"), reg::kSuccess);
        const char* const landed =
            win64 ? "Software\\Wow6432Node\\Olm\\Quenor" : "Software\\Olm\\Quenor";
        EXPECT_EQ(readText(memory, reg::kLocalMachine, landed, "Version"), "1.0");
        EXPECT_EQ(view.deleteKey(software, "Olm\\Quenor"), reg::kSuccess);
        EXPECT_EQ(readText(memory, reg::kLocalMachine, landed, "Version"), "<no key>");
        // A key opened for reading makes no sub-keys, as the store's own keys do not.
        reg::Handle readOnly = 0;
        ASSERT_EQ(view.openKey(reg::kLocalMachine, "Software", reg::kQueryValue, readOnly),
                  reg::kSuccess);
        reg::Handle made = 0;
        EXPECT_EQ(view.createKey(readOnly, "New", reg::kAllAccess, made, nullptr),
                  reg::kAccessDenied);
        view.closeKey(readOnly);
        view.closeKey(software);
        EXPECT_EQ(memory.openHandleCount(), 0u);
    }
}

}  // namespace
}  // namespace quenor::host
