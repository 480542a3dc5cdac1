// Writes values with WineFileStore into a fresh Wine prefix and reads them back with Wine's
// own "reg query". Needs Debian's wine64; skipped when it is not installed.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "lib/registry/wine/testing/wine_programs.h"
#include "lib/registry/wine/tests/wine_test_support.h"
#include "lib/registry/wine/wine_file_store.h"

namespace quenor::reg::wine {
namespace {

using testing::kWine64;

std::vector<std::uint8_t> sz(std::string_view text) {
    std::vector<std::uint8_t> out(text.begin(), text.end());
    out.push_back(0);
    return out;
}

TEST(WineInterop, WineReadsWhatTheStoreWrote) {
    if (!testing::wineInstalled()) {
        GTEST_SKIP() << "wine64 (" << kWine64 << ") or wineserver is not installed";
    }
    testing::TempFolder folder;
    const auto prefix = folder.path() / "prefix";
    testing::runInPrefix(prefix, std::string(kWine64) + " wineboot --init");
    testing::stopWineServer(prefix);
    ASSERT_TRUE(std::filesystem::exists(prefix / "system.reg")) << "wineboot made no prefix";

    {
        WineFileStore store(prefix);
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

}  // namespace
}  // namespace quenor::reg::wine
