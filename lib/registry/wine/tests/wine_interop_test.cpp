// Writes values with WineFileStore into a fresh Wine prefix and reads them back with Wine's
// own "reg query". Needs Debian's wine64; skipped when it is not installed.
#include <gtest/gtest.h>

#include <fstream>
#include <map>
#include <string>
#include <vector>

#include "lib/registry/wine/testing/disk_store.h"
#include "lib/registry/wine/testing/wine_programs.h"
#include "lib/registry/wine/tests/wine_test_support.h"
#include "lib/registry/wine/wine_file_store.h"
#include "lib/registry/wine/wine_reg_file.h"

namespace quenor::reg::wine {
namespace {

using testing::kWine64;

std::vector<std::uint8_t> sz(std::string_view text) {
    std::vector<std::uint8_t> out(text.begin(), text.end());
    out.push_back(0);
    return out;
}

// A fresh prefix made by wineboot, its server stopped; skipped without Wine.
class WineInterop : public ::testing::Test {
  protected:
    void SetUp() override {
        if (!testing::wineInstalled()) {
            GTEST_SKIP() << "wine64 (" << kWine64 << ") or wineserver is not installed";
        }
        testing::runInPrefix(prefix, std::string(kWine64) + " wineboot --init");
        testing::stopWineServer(prefix);
        ASSERT_TRUE(std::filesystem::exists(prefix / "system.reg")) << "wineboot made no prefix";
        ASSERT_TRUE(std::filesystem::exists(prefix / "user.reg")) << "wineboot made no prefix";
    }

    testing::TempFolder folder;
    const std::filesystem::path prefix = folder.path() / "prefix";
};

TEST_F(WineInterop, WineReadsWhatTheStoreWrote) {
    {
        testing::DiskStore store(prefix);
        struct Value {
            Handle root;
            const char* path;
            const char* name;
            std::uint32_t type;
            std::vector<std::uint8_t> data;
        };
        const Value values[] = {
            {kLocalMachine, "Software\\Wow6432Node\\EA Sports\\NHL 09", "Install Dir", kSz,
             sz("C:\\Games\\NHL 09\\")},
            {kCurrentUser, "Software\\EA Sports\\NHL 09", "Res \"1\" [caf\xe9]", kSz,
             sz("1280x720 \xe9t\xe9")},
            {kCurrentUser, "Software\\EA Sports\\NHL 09", "Mode", kDword, {0x80, 7, 0, 0}},
            {kCurrentUser, "Software\\EA Sports\\NHL 09", "Blob", kBinary,
             std::vector<std::uint8_t>(60, 0xab)},
        };
        for (const auto& v : values) {
            Handle key = 0;
            ASSERT_EQ(store.createKey(v.root, v.path, kAllAccess, key, nullptr), kSuccess);
            ASSERT_EQ(store.setValue(key, v.name, v.type, v.data.data(),
                                     static_cast<std::uint32_t>(v.data.size())),
                      kSuccess);
            store.closeKey(key);
        }
        ASSERT_EQ(testing::committed(store), "");
    }

    const std::string machine = testing::runInPrefix(
        prefix, std::string(kWine64) + " reg query 'HKLM\\Software\\EA Sports\\NHL 09' /reg:32");
    const std::string user = testing::runInPrefix(
        prefix, std::string(kWine64) + " reg query 'HKCU\\Software\\EA Sports\\NHL 09'");
    testing::stopWineServer(prefix);
    EXPECT_NE(machine.find("Install Dir    REG_SZ    C:\\Games\\NHL 09\\"), std::string::npos)
        << machine;
    // reg prints to a pipe in the OEM code page 437, where e-acute is 0x82.
    EXPECT_NE(user.find("Res \"1\" [caf\x82]    REG_SZ    1280x720 \x82t\x82"), std::string::npos)
        << user;
    EXPECT_NE(user.find("Mode    REG_DWORD    0x780"), std::string::npos) << user;
    std::string blob = "Blob    REG_BINARY    ";
    for (int i = 0; i < 60; ++i) blob += "AB";
    EXPECT_NE(user.find(blob + "\r\n"), std::string::npos) << user;
}

// The values of the keys below Software\Shapes as a file holds them, exactly: per key path,
// per value name (ASCII letters folded, as Windows compares names), the value in Wine's
// output syntax. Repeated sections merge; a repeated value: the last one wins.
std::map<std::u16string, std::map<std::u16string, std::string>> shapesIn(const std::string& text) {
    std::map<std::u16string, std::map<std::u16string, std::string>> keys;
    for (const auto& section : parseWineRegistry(text, "user.reg").sections) {
        if (section.path.size() < 2 || section.path[1] != u"Shapes") continue;
        std::u16string path;
        for (const auto& name : section.path) path += u"[" + name + u"]";
        auto& values = keys[path];
        for (const auto& line : section.lines) {
            if (line.kind != LineKind::Value) continue;
            std::u16string folded = line.name;
            for (char16_t& c : folded) c = c >= u'A' && c <= u'Z' ? c + 32 : c;
            values[folded] = formatValueLine(line.name, line.type, line.data, "\n");
        }
    }
    return keys;
}

// Lines Wine itself never writes but reads: lone CRs, raw and malformed UTF-8, escapes
// it does not write. Wine reads them when its server starts and writes what it read in its
// own syntax when it saves; the store must read the same keys and values from both files.
TEST_F(WineInterop, TheStoreReadsOddShapesAsWineReadsThem) {
    const std::string shapes =
        "\n[Software\\\\Shapes\\\\cr] 1700000000\n"
        "\"a\rb\"=\"x\ry\"\n"             // a lone CR inside a name and a string
        "\"e\"=\"5\"\n\r\"f\"=\"6\"\n"    // a line that starts with a lone CR
        "\"h\"=hex:01,02,\\\r\n  03\r\n"  // a continued hex line in CR LF
        "\"d\"=dword:0000000a\r\r\n"      // CRs before the line end
        "[Software\\\\Shapes\\\\a\rb]\r1700000000\n\"v\"=\"1\"\n"
        "[Software\\\\Shapes\\\\a\\/b\\)c\\\\\\\\d\\\\] 1700000000\n\"v\"=\"2\"\n"
        "[Software\\\\Shapes\\\\\\x41\\102\\e\\q\\\"u\\]z] 1700000000\n\"v\"=\"3\"\n"
        "[Software\\\\Shapes\\\\caf\xe9\xc3\xa9] 1700000000\n"
        "\"n\xe9\xc3\xa9\"=\"\xc3\xc3\xa9\xe2\x82\xe2\x82\xac\xf0\x9f\x98\x80\xed\xa0\x80\"\n"
        "\"o\xc0\x80\xe0\x80\xaf\xf4\x90\x80\x80\"=\"\\\xe9\\x12345\\400\\8\\xg\"\n"
        "\"m\"=str(7):\"a\\0b\\0\"\n"
        "[Software\\\\Shapes\\\\last] 1700000000\n\"z\"=\"end\"\r";
    {
        std::ofstream out(prefix / "user.reg", std::ios::binary | std::ios::app);
        out << shapes;
    }
    const auto before = shapesIn(testing::readFile(prefix / "user.reg"));
    // A change makes Wine's server save the registry as it holds it when it stops.
    testing::runInPrefix(prefix, std::string(kWine64) + " reg add 'HKCU\\Quenor' /f");
    testing::stopWineServer(prefix);
    const auto after = shapesIn(testing::readFile(prefix / "user.reg"));
    ASSERT_EQ(before.size(), 6u);
    EXPECT_EQ(before, after);
}

}  // namespace
}  // namespace quenor::reg::wine
