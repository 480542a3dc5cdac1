// The registry class over Windows' own registry: what it writes, reg.exe reads back, and
// what the game's installer writes (in the 32-bit view), it reads.
#include <gtest/gtest.h>

#include <algorithm>

#include "core/testing/fake_platform.h"
#include "lib/registry/windows/testing/registry_test_support.h"
#include "lib/registry/windows/windows_registry_store.h"
#include "tool/registry/c_registry.h"

namespace quenor::reg::windows {
namespace {

using testing::regQueryLine;
using testing::runCommand;

class WindowsCRegistryTest : public testing::ScratchKeyTest {
  protected:
    cRegistry at(std::uint32_t root, const std::string& name, std::uint32_t type) {
        cRegistry r(store, environment, "quenor");
        r.ClassKey(root);
        r.SectionKey(path);
        r.ValueKey(name);
        r.ValueType(type);
        return r;
    }

    WindowsRegistryStore store;
    quenor::testing::MapEnvironment environment{{{"QUENORDIR", "C:\\Quenor"}}};
};

TEST_F(WindowsCRegistryTest, SettingsWrittenByTheClassReadBackWithRegExe) {
    struct Case {
        std::string name;
        std::uint32_t type;
        TaggedValue value;
        std::string regLine;
    };
    const std::vector<Case> cases = {
        {"Version", kSz, TaggedValue("1.0"), "Version REG_SZ 1.0"},
        {"Resolution", kSz, TaggedValue(std::int16_t{3}), "Resolution REG_SZ 3"},
        {"DeviceWidth", kSz, TaggedValue(std::int32_t{1600}), "DeviceWidth REG_SZ 1600"},
        {"GFX Mode", kDword, TaggedValue(std::int32_t{4}), "GFX Mode REG_DWORD 0x4"},
        {"OnPlay Player", kDword, TaggedValue(std::int32_t{-1}),
         "OnPlay Player REG_DWORD 0xffffffff"},
        // A text with a %NAME% reference is stored as REG_EXPAND_SZ, unexpanded.
        {"Folder", kSz, TaggedValue("%QUENORDIR%\\logs"), "Folder REG_EXPAND_SZ %QUENORDIR%\\logs"},
    };
    for (const Case& c : cases) at(kCurrentUser, c.name, c.type).Value(c.value);
    for (const Case& c : cases) {
        std::string line = regQueryLine("HKCU\\" + path, c.name);
        // reg.exe prints hexadecimal digits in either case.
        std::string expected = c.regLine;
        std::transform(line.begin(), line.end(), line.begin(), ::tolower);
        std::transform(expected.begin(), expected.end(), expected.begin(), ::tolower);
        EXPECT_EQ(line, expected) << c.name;
    }
    EXPECT_EQ(at(kCurrentUser, "Resolution", kSz).Value().text(), "3");
    EXPECT_EQ(at(kCurrentUser, "GFX Mode", kDword).Value().integer(), 4);
    EXPECT_EQ(at(kCurrentUser, "OnPlay Player", kDword).Value().integer(), -1);
    // Reading expands the reference.
    EXPECT_EQ(at(kCurrentUser, "Folder", kSz).Value().text(), "C:\\Quenor\\logs");
    EXPECT_EQ(store.openKeyCount(), 0u);
}

TEST_F(WindowsCRegistryTest, ReadsValuesThatRegExeWroteIncludingExpandableText) {
    const std::string key = "HKCU\\" + path;
    runCommand("reg add \"" + key + "\" /v Plain /t REG_SZ /d \"C:\\Games\\\\\" /f");
    runCommand("reg add \"" + key + "\" /v Expand /t REG_EXPAND_SZ /d \"%QUENORDIR%\\x\" /f");
    runCommand("reg add \"" + key + "\" /v Number /t REG_DWORD /d 100 /f");
    EXPECT_EQ(at(kCurrentUser, "Plain", kSz).Value().text(), "C:\\Games\\");
    EXPECT_EQ(at(kCurrentUser, "Expand", kSz).Value().text(), "C:\\Quenor\\x");
    EXPECT_EQ(at(kCurrentUser, "Number", kSz).Value().integer(), 100);
    // A missing value reads as the default.
    cRegistry missing = at(kCurrentUser, "Missing", kSz);
    missing.Default(TaggedValue("fallback"));
    EXPECT_EQ(missing.Value().text(), "fallback");
}

// The game's installer is a 32-bit program: its key lands in HKLM\Software\Wow6432Node as a
// 64-bit program sees it. The class must find it under "Software\...".
TEST_F(WindowsCRegistryTest, FindsTheGameFolderWrittenInThe32BitView) {
    runCommand("reg add \"HKLM\\" + path +
               "\" /v \"Install Dir\" /t REG_SZ /d \"C:\\NHL 09\\\\\" /reg:32 /f");
    ASSERT_EQ(regQueryLine("HKLM\\Software\\Wow6432Node" + path.substr(8), "Install Dir", "64"),
              "Install Dir REG_SZ C:\\NHL 09\\");
    EXPECT_EQ(at(kLocalMachine, "Install Dir", kSz).Value().text(), "C:\\NHL 09\\");
}

TEST_F(WindowsCRegistryTest, EnumeratesValuesAndSectionsAndDeletes) {
    for (const char* name : {"A", "B", "C"}) at(kCurrentUser, name, kSz).Value(TaggedValue("x"));
    for (const char* sub : {"One", "Two"}) {
        cRegistry r = at(kCurrentUser, "", kSz);
        r.SectionKey(path + "\\" + sub);
        EXPECT_TRUE(r.CreateKey());
    }
    cRegistry r = at(kCurrentUser, "", kSz);
    std::vector<std::string> names;
    std::int32_t count = 0;
    EXPECT_TRUE(r.EnumerateValues(names, count));
    std::sort(names.begin(), names.end());
    EXPECT_EQ(count, 3);
    EXPECT_EQ(names, (std::vector<std::string>{"A", "B", "C"}));
    EXPECT_TRUE(r.EnumerateSections(names, count));
    std::sort(names.begin(), names.end());
    EXPECT_EQ(count, 2);
    EXPECT_EQ(names, (std::vector<std::string>{"One", "Two"}));

    cRegistry value = at(kCurrentUser, "B", kSz);
    EXPECT_TRUE(value.DeleteValue());
    EXPECT_EQ(regQueryLine("HKCU\\" + path, "B"), "");
    cRegistry section = at(kCurrentUser, "", kSz);
    section.SectionKey(path + "\\One");
    EXPECT_TRUE(section.DeleteKey());
    EXPECT_FALSE(section.KeyExists());
    EXPECT_EQ(store.openKeyCount(), 0u);
}

}  // namespace
}  // namespace quenor::reg::windows
