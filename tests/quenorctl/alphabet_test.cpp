// A game folder of letters outside ASCII, as Wine stores it (Unicode escapes in system.reg,
// UTF-8 names on disk): read in the code page the game gets under the locale, shown as UTF-8,
// logged 8-bit, and refused before anything is written where that code page cannot hold it.
#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include "app/quenorctl/quenorctl.h"
#include "lib/base/code_page.h"
#include "tests/quenorctl/machine.h"

namespace quenor::testing {
namespace {

namespace fs = std::filesystem;

// Moves the game to `folder` below drive C: (UTF-8, as Wine names it on disk) and points
// "Install Dir" at it, with the escapes Wine writes (`escaped`).
void moveGame(const Machine& machine, const std::string& folder, const std::string& escaped) {
    const fs::path target = machine.installation().prefix() / "drive_c" / folder;
    fs::create_directories(target.parent_path());
    fs::rename(machine.installation().gameFolder(), target);
    const fs::path file = machine.installation().prefix() / "system.reg";
    std::string text = readFileOrMissing(file);
    const std::string was = "\"Install Dir\"=\"C:\\\\Games\\\\NHL 09\\\\\"";
    ASSERT_NE(text.find(was), std::string::npos) << text;
    text.replace(text.find(was), was.size(), "\"Install Dir\"=\"C:\\\\" + escaped + "\\\\\"");
    writeFileBytes(file, text);
}

struct Row {
    const char* name;
    const char* locale;   // LANG; nullptr: none
    const char* folder;   // below C:, in UTF-8
    const char* escaped;  // as system.reg holds it
    const char* shown;    // Install Dir as status shows it; nullptr: refused
    const char* logged;   // the game's folder in the log's 8-bit form; when refused, why
};

TEST(Alphabets, AGameFolderTheCodePageHoldsWorksEndToEndAndOneItCannotIsRefused) {
    const Row rows[] = {
        {"Latin-1 without a locale", nullptr, "Games/NHL 09 Ü", "Games\\\\NHL 09 \\x00dc",
         "C:\\Games\\NHL 09 Ü\\", "C:\\Games\\NHL 09 \xDC\\"},
        {"Latin-1 under C", "C", "Games/NHL 09 Ü", "Games\\\\NHL 09 \\x00dc",
         "C:\\Games\\NHL 09 Ü\\", "C:\\Games\\NHL 09 \xDC\\"},
        {"Cyrillic under Russian", "ru_RU.UTF-8", "Игры/NHL 09",
         "\\x0418\\x0433\\x0440\\x044b\\\\NHL 09", "C:\\Игры\\NHL 09\\",
         "C:\\\xC8\xE3\xF0\xFB\\NHL 09\\"},
        {"Cyrillic of another letter case", "ru_RU.UTF-8", "Игры/NHL 09",
         "\\x0438\\x0433\\x0440\\x044b\\\\NHL 09", "C:\\игры\\NHL 09\\",
         "C:\\\xE8\xE3\xF0\xFB\\NHL 09\\"},
        {"Cyrillic under English", "en_US.UTF-8", "Игры/NHL 09",
         "\\x0418\\x0433\\x0440\\x044b\\\\NHL 09", nullptr,
         "Windows-1252, the code page the game gets under this locale, cannot hold"},
        {"Latin-1 under a double-byte code page", "ja_JP.UTF-8", "Games/NHL 09 Ü",
         "Games\\\\NHL 09 \\x00dc", nullptr, "this locale's code page is 932"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        Machine machine;
        if (row.locale) machine.environment().set("LANG", row.locale);
        moveGame(machine, row.folder, row.escaped);
        const fs::path archive =
            machine.installation().prefix() / "drive_c" / row.folder / "preload/fmisc.viv";
        const std::string pristine = readFileOrMissing(archive);
        const std::string values = machine.registryValues();

        std::string out;
        std::string err;
        const int looked = machine.quenorctl({"status", "--json"}, &out, &err);
        const nlohmann::json status = nlohmann::json::parse(out);  // UTF-8, whatever it holds
        const int applied =
            machine.quenorctl({"apply", "--yes", "--resolution", "1600x1000"}, nullptr, &err);
        if (!row.shown) {
            EXPECT_EQ(looked, ctl::kFailed);
            EXPECT_NE(status["game"]["archiveError"].get<std::string>().find(row.logged),
                      std::string::npos)
                << status;
            EXPECT_EQ(applied, ctl::kFailed);
            EXPECT_EQ(machine.quenorctl({"restore"}, nullptr, &err), ctl::kFailed);
            EXPECT_NE(err.find(row.logged), std::string::npos) << err;
            // The game is untouched (a first start still stores Quenor's own settings).
            EXPECT_EQ(readFileOrMissing(archive), pristine);
            EXPECT_EQ(machine.registryValues().substr(0, values.find("Resolution=")),
                      values.substr(0, values.find("Resolution=")));
            EXPECT_FALSE(fs::exists(machine.installation().prefix() / ".quenor/originals"));
            continue;
        }
        EXPECT_EQ(looked, ctl::kDone) << err;
        EXPECT_EQ(status["game"]["installDir"], row.shown);
        EXPECT_EQ(applied, ctl::kDone) << err;
        ASSERT_EQ(machine.quenorctl({"status"}, &out), ctl::kDone);
        EXPECT_NE(out.find(std::string("Game folder: ") + row.shown + "\n"), std::string::npos)
            << out;
        EXPECT_NE(out.find("The game starts at 1600 x 1000"), std::string::npos) << out;
        std::string log;
        for (const std::string& line : machine.log()) log += line + "\n";
        EXPECT_NE(log.find(std::string("strGamePath: ") + row.logged + "\r"), std::string::npos)
            << log;
        EXPECT_EQ(machine.quenorctl({"restore"}, &out, &err), ctl::kDone) << err;
        EXPECT_EQ(readFileOrMissing(archive), pristine);
    }
    base::setAnsiCodePage(1252);
}

}  // namespace
}  // namespace quenor::testing
