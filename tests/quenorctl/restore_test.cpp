// quenorctl restore after changes made through quenorctl and the window: the archive byte for
// byte as a pristine copy, the game's registry values and keys as they were (absent ones
// absent again); refusals, --force, --forget, and a change stopped when its originals cannot
// be kept.
#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include <optional>

#include "app/quenorctl/quenorctl.h"
#include "lib/registry/store_values.h"
#include "lib/registry/wine/testing/disk_store.h"
#include "lib/registry/wine/wine_file_store.h"
#include "tests/quenorctl/machine.h"
#include "window/quenor_layout.h"
#include "window/testing/scripted_input.h"

namespace quenor::testing {
namespace {

namespace names = ui::control_names;
constexpr const char* kGameKey = "Software\\EA Sports\\NHL 09";
constexpr const char* kDetailsKey = "Software\\EA Sports\\NHL 09\\Details Settings";

// What the game's part of the user's registry holds: the values the tool writes, one value of
// the player's beside them, and whether each key exists.
struct GameRegistry {
    std::optional<reg::RegValue> gfxMode, onPlayPlayer, shadows;
    bool eaSports = false, game = false, details = false;

    static GameRegistry of(const Machine& machine) {
        reg::wine::testing::DiskStore store(machine.installation().prefix());
        auto value = [&](const char* key, const char* name) {
            return reg::readStoreValue(store, reg::kCurrentUser, key, name);
        };
        auto exists = [&](const char* key) {
            return reg::storeKeyExists(store, reg::kCurrentUser, key);
        };
        return {value(kGameKey, "GFX Mode"),
                value(kDetailsKey, "OnPlay Player"),
                value(kDetailsKey, "Shadows"),
                exists("Software\\EA Sports"),
                exists(kGameKey),
                exists(kDetailsKey)};
    }
    friend bool operator==(const GameRegistry&, const GameRegistry&) = default;
};

struct Scenario {
    const char* name;
    std::function<void(Machine&)> before;  // the player's own state, before Quenor
    std::function<void(Machine&)> change;  // what Quenor is made to do
    std::function<void(Machine&)> after;   // what the game or the player does later
};

void quenorctlDone(Machine& m, std::vector<std::string> arguments) {
    std::string err;
    ASSERT_EQ(m.quenorctl(arguments, nullptr, &err), ctl::kDone) << err;
}

TEST(Restore, PutsBackTheArchiveByteForByteAndTheRegistryAsItWas) {
    auto nothing = [](Machine&) {};
    const Scenario scenarios[] = {
        {"preset, VSYNC off, FPS boost high", nothing,
         [](Machine& m) {
             quenorctlDone(m, {"apply", "--resolution", "1280x800", "--vsync", "off", "--fps",
                               "high", "--yes"});
         },
         nothing},
        {"a size of the player's own, then Reset", nothing,
         [](Machine& m) {
             quenorctlDone(m, {"apply", "--resolution", "1440x900", "--frame", "4", "--fps",
                               "extreme", "--yes"});
             quenorctlDone(m, {"reset", "--yes"});
         },
         nothing},
        {"the window: a preset, then a size of the player's own", nothing,
         [](Machine& m) {
             applyInWindow(m, [](ui::FormModel& form) {
                 ui::testing::clickControl(form, names::kOptResolution, 1);
                 ui::testing::clickControl(form, names::kOptFpsBoost, 2);
             });
             applyInWindow(m, [](ui::FormModel& form) {
                 ui::testing::clickControl(form, names::kOptResolution, 4);
                 ui::testing::typeInto(form, names::kTxtResWidth, "2560");
                 ui::testing::typeInto(form, names::kTxtResHeight, "1080");
                 ui::testing::pickEntry(form, names::kLstResFrame, 2);
             });
         },
         nothing},
        {"values the player had, and one of the game's beside them",
         [](Machine& m) {
             setUserValue(m, kGameKey, "GFX Mode", reg::kDword, {3, 0, 0, 0});
             setUserValue(m, kDetailsKey, "OnPlay Player", reg::kSz, {'7', '5', 0});
             setUserValue(m, kDetailsKey, "Shadows", reg::kDword, {1, 0, 0, 0});
         },
         [](Machine& m) {
             quenorctlDone(m, {"apply", "--resolution", "1024x768", "--yes"});
         },
         nothing},
        {"a key Quenor made that the game used later stays, without Quenor's value", nothing,
         [](Machine& m) {
             quenorctlDone(m, {"reset", "--yes"});
         },
         [](Machine& m) {
             setUserValue(m, kDetailsKey, "Shadows", reg::kDword, {0, 0, 0, 0});
         }},
    };
    for (const Scenario& s : scenarios) {
        SCOPED_TRACE(s.name);
        Machine machine;
        s.before(machine);
        const std::string pristine = machine.archive();
        GameRegistry expected = GameRegistry::of(machine);
        s.change(machine);
        ASSERT_NE(machine.archive(), pristine);
        s.after(machine);
        expected.shadows = GameRegistry::of(machine).shadows;
        std::string out;
        std::string err;
        ASSERT_EQ(machine.quenorctl({"restore"}, &out, &err), ctl::kDone) << out << err;
        EXPECT_NE(out.find("Read back:"), std::string::npos) << out;
        EXPECT_EQ(machine.archive(), pristine);
        GameRegistry now = GameRegistry::of(machine);
        if (expected.shadows && !expected.details) {
            // The key held a value of the game's: it is kept, and so are its parents.
            expected.eaSports = expected.game = expected.details = true;
            EXPECT_NE(out.find("Kept the key"), std::string::npos) << out;
        }
        EXPECT_EQ(now, expected);
        // A second restore finds nothing left to do.
        ASSERT_EQ(machine.quenorctl({"restore"}, &out, &err), ctl::kDone) << err;
        EXPECT_EQ(machine.archive(), pristine);
    }
}

TEST(Restore, RefusesAnArchiveChangedByOthersUnlessForcedAndForgetsOnRequest) {
    Machine machine;
    const std::string pristine = machine.archive();
    std::string out;
    std::string err;
    EXPECT_EQ(machine.quenorctl({"restore"}, &out, &err), ctl::kFailed);
    EXPECT_NE(err.find("keeps no originals"), std::string::npos) << err;

    quenorctlDone(machine, {"apply", "--resolution", "1600x1000", "--yes"});
    ASSERT_EQ(machine.quenorctl({"status", "--json"}, &out), ctl::kDone);
    auto originals = nlohmann::json::parse(out)["originals"];
    EXPECT_EQ(originals["kept"], true);
    EXPECT_EQ(originals["archive"], "as Quenor last wrote it");
    EXPECT_EQ(originals["registryDifferences"].size(), 2u) << originals;

    // A game update (here: one byte more) since Quenor wrote the archive.
    const std::string updated = machine.archive() + "x";
    writeFileBytes(machine.installation().archive(), updated);
    ASSERT_EQ(machine.quenorctl({"status", "--json"}, &out), ctl::kDone);
    EXPECT_EQ(nlohmann::json::parse(out)["originals"]["archive"],
              "changed by something other than Quenor");
    EXPECT_EQ(machine.quenorctl({"restore"}, &out, &err), ctl::kFailed);
    EXPECT_NE(err.find("changed by something other than Quenor"), std::string::npos) << err;
    EXPECT_NE(err.find("--force"), std::string::npos) << err;
    EXPECT_EQ(machine.archive(), updated);
    EXPECT_TRUE(GameRegistry::of(machine).gfxMode) << "a refused restore changed the registry";

    ASSERT_EQ(machine.quenorctl({"restore", "--force"}, &out, &err), ctl::kDone) << err;
    EXPECT_EQ(machine.archive(), pristine);
    ASSERT_EQ(machine.quenorctl({"status", "--json"}, &out), ctl::kDone);
    originals = nlohmann::json::parse(out)["originals"];
    EXPECT_EQ(originals["archive"], "original");
    EXPECT_TRUE(originals["registryDifferences"].empty()) << originals;

    // After a reinstall the player drops the originals; the next change keeps new ones.
    quenorctlDone(machine, {"apply", "--resolution", "1280x800", "--yes"});
    const std::string patched = machine.archive();
    ASSERT_EQ(machine.quenorctl({"restore", "--forget"}, &out, &err), ctl::kDone) << err;
    EXPECT_EQ(machine.archive(), patched) << "--forget restored";
    ASSERT_EQ(machine.quenorctl({"status", "--json"}, &out), ctl::kDone);
    EXPECT_EQ(nlohmann::json::parse(out)["originals"]["kept"], false);
    quenorctlDone(machine, {"apply", "--resolution", "1024x768", "--yes"});
    quenorctlDone(machine, {"restore"});
    EXPECT_EQ(machine.archive(), patched);
    EXPECT_EQ(machine.quenorctl({"restore", "--force", "--forget"}, &out, &err), ctl::kUsage);
}

TEST(Restore, AChangeWhoseOriginalsCannotBeKeptDoesNotHappen) {
    Machine machine;
    const std::string pristine = machine.archive();
    // Where the originals go, a file: no folder can be made there.
    writeFileBytes(machine.installation().prefix() / ".quenor", "in the way");
    std::string err;
    EXPECT_EQ(machine.quenorctl({"apply", "--resolution", "1280x800", "--yes"}, nullptr, &err),
              ctl::kFailed);
    EXPECT_NE(err.find("Nothing was changed"), std::string::npos) << err;
    EXPECT_NE(err.find(".quenor/originals"), std::string::npos) << err;
    EXPECT_EQ(machine.archive(), pristine);
    EXPECT_EQ(GameRegistry::of(machine), GameRegistry{});
}

}  // namespace
}  // namespace quenor::testing

namespace quenor::testing {
namespace {

// The record of the originals of the machine's installation, as a JSON document to edit.
std::filesystem::path recordOf(const Machine& machine) {
    for (const auto& entry : std::filesystem::recursive_directory_iterator(
             machine.installation().prefix() / ".quenor")) {
        if (entry.path().filename() == "originals" && entry.is_regular_file()) return entry.path();
    }
    return {};
}

TEST(Restore, ARecordNamingWhatQuenorNeverWritesIsRefused) {
    struct Case {
        const char* what;
        std::function<void(nlohmann::json&)> edit;
    };
    const Case cases[] = {
        {"another archive",
         [](nlohmann::json& r) { r["archive"]["path"] = "C:\\Games\\NHL 09\\precious.dat"; }},
        {"a value of another key",
         [](nlohmann::json& r) {
             r["registry"]["values"].push_back(
                 {{"key", "Software\\Microsoft\\Windows\\CurrentVersion\\Run"},
                  {"name", "evil"},
                  {"type", 1},
                  {"data", "6300"}});
         }},
        {"a key of its own",
         [](nlohmann::json& r) {
             r["registry"]["keys"].push_back({{"path", "Software\\Evil"}, {"existed", false}});
         }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Machine machine;
        quenorctlDone(machine, {"apply", "--resolution", "1280x800", "--yes"});
        const std::filesystem::path game =
            machine.installation().archive().parent_path().parent_path();
        writeFileBytes(game / "precious.dat", "the player's");
        const std::filesystem::path record = recordOf(machine);
        nlohmann::json json = nlohmann::json::parse(readFileOrMissing(record));
        c.edit(json);
        writeFileBytes(record, json.dump(2));
        const std::string archive = machine.archive();
        const GameRegistry before = GameRegistry::of(machine);
        std::string err;
        EXPECT_EQ(machine.quenorctl({"restore", "--force"}, nullptr, &err), ctl::kFailed);
        EXPECT_NE(err.find("damaged or was not made for this installation"), std::string::npos)
            << err;
        EXPECT_EQ(readFileOrMissing(game / "precious.dat"), "the player's");
        EXPECT_EQ(machine.archive(), archive);
        EXPECT_TRUE(GameRegistry::of(machine) == before);
        EXPECT_EQ(machine.registryValues().find("evil"), std::string::npos);
    }
}

}  // namespace
}  // namespace quenor::testing

namespace quenor::testing {
namespace {

// A restore and a forget change the game outside the window: their steps go to quenor.log in
// its format while the stored "Log" setting is on, and nothing does once the player turned it
// off in the window.
TEST(Restore, ItsStepsAreLoggedWhileLoggingIsOn) {
    for (const bool loggingOn : {true, false}) {
        SCOPED_TRACE(loggingOn ? "logging on" : "logging off");
        Machine machine;
        applyInWindow(machine, [loggingOn](ui::FormModel& form) {
            ui::testing::clickControl(form, names::kOptResolution, 1);
            if (!loggingOn) ui::testing::clickControl(form, names::kOptLogging, 1);
        });
        const std::size_t before = machine.log().size();
        quenorctlDone(machine, {"restore"});
        quenorctlDone(machine, {"restore", "--forget"});
        const std::vector<std::string> log = machine.log();
        std::vector<std::string> added;
        for (std::size_t i = before; i < log.size(); ++i)
            added.push_back(log[i].substr(0, log[i].find_last_not_of('\r') + 1));
        if (!loggingOn) {
            EXPECT_TRUE(added.empty()) << added.front();
            continue;
        }
        ASSERT_GE(added.size(), 7u);
        EXPECT_EQ(added.front().rfind("restoreOriginals start: ", 0), 0u) << added.front();
        const auto has = [&](const std::string& line) {
            return std::find(added.begin(), added.end(), line) != added.end();
        };
        EXPECT_TRUE(has("restoreOriginals done - OK"));
        EXPECT_TRUE(has("restoreOriginals read back - OK"));
        EXPECT_TRUE(std::any_of(added.begin(), added.end(), [](const std::string& line) {
            return line.rfind(" Dropped the originals kept in <machine>", 0) == 0;
        }));
        EXPECT_EQ(added.back(), "forgetOriginals done - OK");
    }
}

}  // namespace
}  // namespace quenor::testing
