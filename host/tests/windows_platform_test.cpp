// The Windows platform services, run against Windows (Wine in CI).
#include "host/windows_platform.h"

#define WIN32_LEAN_AND_MEAN
#include <windows.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "core/testing/tool_fixture.h"
#include "host/host_platform.h"
#include "lib/registry/windows/windows_registry_store.h"
#include "tool/registry/c_registry.h"

namespace quenor::host::windows {
namespace {

class EnvironmentTest : public ::testing::Test {
  protected:
    void SetUp() override {
        SetEnvironmentVariableA("QUENOR_T", "abc");
        SetEnvironmentVariableA("QUENOR_EMPTY", "");
        SetEnvironmentVariableA("QUENOR_UNSET", nullptr);
        SetEnvironmentVariableA("QUENOR_LONG", std::string(1000, 'L').c_str());
    }
    void TearDown() override {
        for (const char* name : {"QUENOR_T", "QUENOR_EMPTY", "QUENOR_LONG"})
            SetEnvironmentVariableA(name, nullptr);
    }
    WindowsEnvironment environment;
};

TEST_F(EnvironmentTest, LooksUpVariablesWithoutRegardToCase) {
    EXPECT_EQ(environment.variable("QUENOR_T"), "abc");
    EXPECT_EQ(environment.variable("quenor_t"), "abc");
    EXPECT_EQ(environment.variable("QUENOR_UNSET"), std::nullopt);
    EXPECT_EQ(environment.variable("QUENOR_LONG"), std::string(1000, 'L'));
    EXPECT_EQ(environment.variable(""), std::nullopt);
    EXPECT_EQ(environment.variable(std::string_view("QUENOR_T\0X", 10)), std::nullopt);
    const auto empty = environment.variable("QUENOR_EMPTY");
    EXPECT_TRUE(!empty || empty->empty());
}

TEST_F(EnvironmentTest, ExpandsReferencesAsWindowsDoes) {
    const struct {
        std::string in;
        std::string out;
    } cases[] = {
        {"%QUENOR_T%\\x", "abc\\x"},
        {"%quenor_t%%QUENOR_T%", "abcabc"},
        {"%QUENOR_UNSET%\\x", "%QUENOR_UNSET%\\x"},
        {"100%", "100%"},
        {"", ""},
        {"%QUENOR_LONG%", std::string(1000, 'L')},
    };
    for (const auto& c : cases) EXPECT_EQ(environment.expandReferences(c.in), c.out) << c.in;
}

TEST_F(EnvironmentTest, RegistryClassExpandsStoredReferencesThroughWindows) {
    reg::windows::WindowsRegistryStore store;
    const std::string key = "Software\\QuenorTest\\Expand" + std::to_string(GetCurrentProcessId());
    const std::string text = "%QUENOR_T%\\y";
    HKEY h = nullptr;
    ASSERT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, key.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS,
                              nullptr, &h, nullptr),
              ERROR_SUCCESS);
    RegSetValueExA(h, "Folder", 0, REG_EXPAND_SZ, reinterpret_cast<const BYTE*>(text.c_str()),
                   static_cast<DWORD>(text.size() + 1));
    RegCloseKey(h);
    cRegistry r(store, environment, "quenor");
    EXPECT_EQ(r.ValueEx(reg::kCurrentUser, key, "Folder", reg::kSz, TaggedValue()).text(),
              "abc\\y");
    RegDeleteKeyA(HKEY_CURRENT_USER, key.c_str());
}

TEST(WindowsPathsTest, SplitsFolderAndProgramName) {
    const struct {
        std::string path;
        std::string folder;
        std::string name;
    } cases[] = {
        {"C:\\Tools\\Quenor\\quenor.exe", "C:\\Tools\\Quenor", "quenor"},
        {"C:\\quenor.exe", "C:", "quenor"},
        {"\\\\server\\share\\q.v2.exe", "\\\\server\\share", "q.v2"},
        {"quenor", "", "quenor"},
        {"C:\\Tools\\.hidden", "C:\\Tools", ".hidden"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(folderOf(c.path), c.folder) << c.path;
        EXPECT_EQ(programNameOf(c.path), c.name) << c.path;
    }
}

TEST(WindowsHostTest, ToolFolderIsTheExecutablesFolder) {
    const std::string exe = executablePath();
    ASSERT_FALSE(exe.empty());
    EXPECT_TRUE(std::filesystem::exists(exe)) << exe;
    quenor::testing::ScriptedMessageBoxes boxes;
    auto platform = HostPlatform::open("ignored", files::systemFileIo());
    PlatformServices services = platform->services(boxes);
    EXPECT_EQ(services.programName, "host_windows_tests");
    EXPECT_EQ(services.toolFolder + "\\host_windows_tests.exe", exe);
    EXPECT_EQ(services.files.separator(), '\\');
    EXPECT_EQ(services.files.join(services.toolFolder, "quenor.log"),
              services.toolFolder + "\\quenor.log");
    EXPECT_FALSE(platform->refusal().has_value());
}

TEST(WindowsHostTest, VersionComesFromGetVersionEx) {
    // GetVersion packs the same numbers the extended record gives.
    const DWORD packed = GetVersion();
    const SystemVersion version = WindowsSystemInfo().version();
    EXPECT_EQ(version.major, LOBYTE(LOWORD(packed)));
    EXPECT_EQ(version.minor, HIBYTE(LOWORD(packed)));
}

TEST(WindowsHostTest, GeneralDateHoldsTheDateBeforeTheTime) {
    WindowsRegionalFormat format;
    const std::string text = format.generalDate({2026, 12, 7, 21, 30, 5});
    const std::size_t year = text.find("2026");
    const std::size_t minutes = text.find("30");
    ASSERT_NE(year, std::string::npos) << text;
    ASSERT_NE(minutes, std::string::npos) << text;
    EXPECT_LT(year, minutes) << text;
    EXPECT_NE(text.find("05"), std::string::npos) << text;
    const char separator = format.decimalSeparator();
    EXPECT_TRUE(separator == '.' || separator == ',') << separator;
}

// Path texts are 8-bit in the system code page: "\xE9" is e-acute in code page 1252.
TEST(WindowsFileSystemTest, PathsUseTheSystemCodePage) {
    if (GetACP() != 1252) GTEST_SKIP() << "needs code page 1252, have " << GetACP();
    const auto folder = std::filesystem::temp_directory_path() /
                        ("quenor-cp-" + std::to_string(GetCurrentProcessId()));
    std::filesystem::create_directories(folder);
    WindowsFileSystem files("quenor", quenor::files::systemFileIo(), {},
                            std::filesystem::temp_directory_path());
    std::string narrowFolder;
    for (wchar_t c : folder.wstring()) narrowFolder += static_cast<char>(c);  // ASCII temp path
    const std::string path = narrowFolder + "\\caf\xE9.cfg";
    files.writeFile(path, "devicewidth 1600\r\n");
    EXPECT_TRUE(std::filesystem::exists(folder / L"caf\u00e9.cfg"));
    EXPECT_EQ(files.readFile(path, 100), "devicewidth 1600\r\n");
    files.removeFile(path);
    EXPECT_FALSE(files.isRegularFile(path));
    std::filesystem::remove_all(folder);
}

// The game's archive in a folder Windows protects: a file another handle keeps from being
// written stands in for one the tool may not write (tests run as root, for whom Wine ignores
// read-only files); the tool then patches a VirtualStore copy, and goes on with that copy.
TEST(WindowsFileSystemTest, AFileTheToolMayNotWriteIsPatchedInTheVirtualStore) {
    const auto root = std::filesystem::temp_directory_path() /
                      ("quenor-vs-" + std::to_string(GetCurrentProcessId()));
    std::filesystem::remove_all(root);
    std::filesystem::create_directories(root / "Program Files" / "NHL 09");
    const auto original = root / "Program Files" / "NHL 09" / "fmisc.viv";
    std::ofstream(original) << "game";
    std::string narrowRoot;
    for (wchar_t c : root.wstring()) narrowRoot += static_cast<char>(c);  // ASCII temp path
    const std::string store = narrowRoot + "\\Local\\VirtualStore";
    WindowsFileSystem files("quenor", quenor::files::systemFileIo(),
                            {{narrowRoot + "\\Program Files"}, store},
                            std::filesystem::temp_directory_path());

    const std::string toolPath = narrowRoot + "\\Program Files\\NHL 09\\fmisc.viv";
    const std::string copy = store + toolPath.substr(2);  // the path without its drive
    {
        HANDLE reader = CreateFileW(original.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                    OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
        ASSERT_NE(reader, INVALID_HANDLE_VALUE);
        EXPECT_EQ(files.io().hostPathOf(files.pathOf(toolPath)), std::filesystem::path(copy));
        CloseHandle(reader);
    }
    // The copy exists now, so it is the file from then on, writable or not.
    EXPECT_EQ(files.io().hostPathOf(files.pathOf(toolPath)), std::filesystem::path(copy));
    files.writeFile(toolPath, "patched");
    EXPECT_EQ(files.readFile(toolPath, 100), "patched");
    // A replacement through the file layer (as the archive library makes one) writes its
    // temporary file beside the copy and leaves none behind.
    const std::string replaced = "replaced";
    quenor::files::writeFileAtomically(
        files.io(), files.pathOf(toolPath),
        {reinterpret_cast<const std::uint8_t*>(replaced.data()), replaced.size()});
    EXPECT_EQ(files.readFile(toolPath, 100), "replaced");
    for (const auto& folder : {original.parent_path(), std::filesystem::path(copy).parent_path()})
        EXPECT_EQ(quenor::files::systemFileIo().namesIn(folder),
                  std::vector<std::string>{"fmisc.viv"});
    std::string game;
    std::ifstream(original) >> game;
    EXPECT_EQ(game, "game");
    std::filesystem::remove_all(root);
}

TEST(WindowsMessageBoxesTest, StyleCarriesButtonsIconAndDefault) {
    const struct {
        MessageBoxRequest request;
        unsigned style;
    } cases[] = {
        {{"t", "x", MessageButtons::YesNo, MessageIcon::None, 0}, MB_YESNO},
        {{"t", "x", MessageButtons::YesNo, MessageIcon::None, 1}, MB_YESNO | MB_DEFBUTTON2},
        {{"t", "x", MessageButtons::OkCancel, MessageIcon::None, 0}, MB_OKCANCEL},
        {{"t", "x", MessageButtons::RetryCancel, MessageIcon::Exclamation, 0},
         MB_RETRYCANCEL | MB_ICONEXCLAMATION},
        {{"t", "x", MessageButtons::Ok, MessageIcon::Information, 0}, MB_OK | MB_ICONINFORMATION},
        {{"t", "x", MessageButtons::Ok, MessageIcon::Exclamation, 0}, MB_OK | MB_ICONEXCLAMATION},
        {{"t", "x", MessageButtons::Ok, MessageIcon::Critical, 1}, MB_OK | MB_ICONERROR},
    };
    for (const auto& c : cases) EXPECT_EQ(WindowsMessageBoxes::style(c.request), c.style);
}

}  // namespace
}  // namespace quenor::host::windows
