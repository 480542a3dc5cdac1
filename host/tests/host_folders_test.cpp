// Where a run finds its registry, its tool folder and its Windows version, and how the
// process environment answers names.
#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>

#include "core/testing/fake_platform.h"
#include "core/testing/temp_folder.h"
#include "core/tool_error.h"
#include "host/prefix_windows_version.h"
#include "host/process_environment_posix.h"
#include "host/user_folders_posix.h"
#include "host/wine_prefix_linux.h"
#include "lib/registry/registry_store.h"
#include "tool/testing/fake_installation.h"

namespace quenor::host {
namespace {

using quenor::testing::FakeInstallation;
using quenor::testing::kWindowsInstallDir;
using quenor::testing::MapEnvironment;
using quenor::testing::TempFolder;
using quenor::testing::writeFileBytes;

TEST(RegistryLocation, ChosenFromWineprefixTheGameFoundOrTheToolsOwnStore) {
    using Kind = RegistryLocation::Kind;
    FakeInstallation named({.win64 = true, .installDir = kWindowsInstallDir});
    TempFolder withGame;
    FakeInstallation homeWine(withGame.path() / ".wine", {.installDir = kWindowsInstallDir});
    TempFolder withoutGame;
    quenor::testing::FakeInstallationOptions noGame;
    noGame.gameInstalled = false;
    FakeInstallation emptyWine(withoutGame.path() / ".wine", noGame);

    struct Case {
        const char* name;
        std::map<std::string, std::string> variables;
        Kind kind;
        std::filesystem::path folder;
        bool notice;  // an information box before start-up
    };
    const std::string gameHome = withGame.str();
    const std::string emptyHome = withoutGame.str();
    const Case cases[] = {
        {"WINEPREFIX wins",
         {{"WINEPREFIX", named.prefix().string()}, {"HOME", gameHome}},
         Kind::WinePrefix,
         named.prefix(),
         false},
        {"trailing slashes dropped",
         {{"WINEPREFIX", named.prefix().string() + "//"}, {"HOME", gameHome}},
         Kind::WinePrefix,
         named.prefix(),
         false},
        {"the game in ~/.wine", {{"HOME", gameHome}}, Kind::WinePrefix, homeWine.prefix(), false},
        {"empty WINEPREFIX is unset",
         {{"WINEPREFIX", ""}, {"HOME", gameHome}},
         Kind::WinePrefix,
         homeWine.prefix(),
         false},
        {"~/.wine without the game",
         {{"HOME", emptyHome}},
         Kind::ToolStore,
         withoutGame.path() / ".config" / "quenor",
         true},
        {"XDG_CONFIG_HOME",
         {{"HOME", emptyHome}, {"XDG_CONFIG_HOME", "/cfg"}},
         Kind::ToolStore,
         "/cfg/quenor",
         true},
        {"relative XDG_CONFIG_HOME ignored",
         {{"HOME", emptyHome}, {"XDG_CONFIG_HOME", "cfg"}},
         Kind::ToolStore,
         withoutGame.path() / ".config" / "quenor",
         true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const RegistryLocation location =
            findRegistryLocation(files::systemFileIo(), MapEnvironment(c.variables), "quenor");
        EXPECT_EQ(location.kind, c.kind);
        EXPECT_EQ(location.folder, c.folder);
        EXPECT_EQ(location.notice.has_value(), c.notice);
    }
}

TEST(RegistryLocation, RefusesAWineprefixThatIsNoPrefix) {
    TempFolder folder;
    std::filesystem::create_directories(folder.path() / "empty");
    const std::pair<std::string, std::string> cases[] = {
        {"relative/prefix", "not an absolute path"},
        {folder.file("missing"), "which is not a folder"},
        {folder.file("empty"), "it has no system.reg"},
    };
    for (const auto& [value, reason] : cases) {
        SCOPED_TRACE(value);
        try {
            requireRegistryFiles(
                findRegistryLocation(files::systemFileIo(),
                                     MapEnvironment(std::map<std::string, std::string>{
                                         {"WINEPREFIX", value}, {"HOME", folder.str()}}),
                                     "quenor"),
                "quenor");
            ADD_FAILURE() << "accepted";
        } catch (const ToolError& e) {
            EXPECT_NE(e.description().find(reason), std::string::npos) << e.description();
            EXPECT_NE(e.description().find(value), std::string::npos) << e.description();
        }
        EXPECT_FALSE(std::filesystem::exists(folder.path() / "missing"));
        EXPECT_TRUE(std::filesystem::is_empty(folder.path() / "empty"));
    }
}

TEST(ToolFolder, PortableCopyKeepsItsFolderInstalledCopyUsesTheStateFolder) {
    TempFolder folder;
    EXPECT_FALSE(isInstalledFolder(folder.path()));
    EXPECT_TRUE(isInstalledFolder("/usr/bin"));
    EXPECT_TRUE(isInstalledFolder("/usr/local/games/"));
    EXPECT_TRUE(isInstalledFolder(folder.path() / "missing"));  // cannot be written into
    std::filesystem::create_directory(folder.path() / "installed");
    std::ofstream(folder.path() / "installed" / kInstalledMarker) << "install.sh\n";
    EXPECT_TRUE(isInstalledFolder(folder.path() / "installed"));  // what install.sh leaves

    MapEnvironment env(std::map<std::string, std::string>{{"HOME", "/home/ann"}});
    EXPECT_EQ(chooseToolFolder(folder.path(), env, false), folder.path());
    EXPECT_EQ(chooseToolFolder("/usr/bin", env, true), "/home/ann/.local/state/quenor");
    env.set("XDG_STATE_HOME", "/var/state");
    EXPECT_EQ(chooseToolFolder("/usr/bin", env, true), "/var/state/quenor");
    env.set("XDG_STATE_HOME", "state");
    EXPECT_EQ(chooseToolFolder("/usr/bin", env, true), "/home/ann/.local/state/quenor");
}

TEST(PrefixWindowsVersion, ReadFromTheCurrentVersionKey) {
    auto dword = [](std::uint32_t v) {
        return std::vector<std::uint8_t>{static_cast<std::uint8_t>(v), 0, 0, 0};
    };
    auto text = [](std::string t) {
        std::vector<std::uint8_t> out(t.begin(), t.end());
        out.push_back(0);
        return out;
    };
    struct Case {
        const char* name;
        bool wow;  // below Software\Wow6432Node instead
        std::vector<reg::RegValue> values;
        SystemVersion expected;
    };
    const Case cases[] = {
        {"major and minor numbers",
         false,
         {{"CurrentMajorVersionNumber", reg::kDword, dword(10)},
          {"CurrentMinorVersionNumber", reg::kDword, dword(0)},
          {"CurrentVersion", reg::kSz, text("6.3")}},
         {10, 0}},
        {"dotted text (Windows 7)", false, {{"CurrentVersion", reg::kSz, text("6.1")}}, {6, 1}},
        {"dotted text (XP)", true, {{"CurrentVersion", reg::kSz, text("5.1")}}, {5, 1}},
        {"major alone falls back to the text",
         false,
         {{"CurrentMajorVersionNumber", reg::kDword, dword(10)},
          {"CurrentVersion", reg::kSz, text("6.2")}},
         {6, 2}},
        {"garbage text", false, {{"CurrentVersion", reg::kSz, text("six")}}, {10, 0}},
        {"trailing junk", false, {{"CurrentVersion", reg::kSz, text("6.1b")}}, {10, 0}},
        {"wrong type", false, {{"CurrentVersion", reg::kDword, dword(6)}}, {10, 0}},
        {"nothing", false, {}, {10, 0}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        reg::RegKey machine("");
        reg::RegKey* key = &machine.addSubKey("Software");
        if (c.wow) key = &key->addSubKey("Wow6432Node");
        key = &key->addSubKey("Microsoft").addSubKey("Windows NT").addSubKey("CurrentVersion");
        for (const auto& value : c.values) key->setValue(value);
        const SystemVersion version = prefixWindowsVersion(machine);
        EXPECT_EQ(version.major, c.expected.major);
        EXPECT_EQ(version.minor, c.expected.minor);
    }
}

TEST(PrefixWindowsVersion, ProgramsAreToldWindows8AtMost) {
    const struct {
        SystemVersion configured;
        SystemVersion told;
    } cases[] = {
        {{10, 0}, {6, 2}}, {{6, 3}, {6, 2}}, {{6, 2}, {6, 2}}, {{7, 0}, {6, 2}},
        {{6, 1}, {6, 1}},  {{6, 0}, {6, 0}}, {{5, 1}, {5, 1}}, {{5, 2}, {5, 2}},
    };
    for (const auto& c : cases) {
        const SystemVersion told = versionToldToPrograms(c.configured);
        EXPECT_EQ(told.major, c.told.major) << c.configured.major << "." << c.configured.minor;
        EXPECT_EQ(told.minor, c.told.minor) << c.configured.major << "." << c.configured.minor;
    }
}

TEST(ProcessEnvironment, NamesMatchWithoutRegardToCaseExactFirst) {
    ::setenv("QUENOR_TEST_Temp", "/mixed", 1);
    ProcessEnvironment env;
    EXPECT_EQ(env.variable("QUENOR_TEST_TEMP").value_or("<unset>"), "/mixed");
    EXPECT_EQ(env.variable("quenor_test_temp").value_or("<unset>"), "/mixed");
    ::setenv("QUENOR_TEST_TEMP", "/upper", 1);
    EXPECT_EQ(env.variable("QUENOR_TEST_TEMP").value_or("<unset>"), "/upper");
    EXPECT_EQ(env.variable("QUENOR_TEST_Temp").value_or("<unset>"), "/mixed");
    ::unsetenv("QUENOR_TEST_Temp");
    ::unsetenv("QUENOR_TEST_TEMP");
    EXPECT_FALSE(env.variable("QUENOR_TEST_TEMP"));
    EXPECT_FALSE(env.variable("A=B"));
    EXPECT_FALSE(env.variable(""));
}

}  // namespace
}  // namespace quenor::host
