// The resolution the game gets from quenorctl: the frame a size of the player's own takes,
// what status says the game starts at after every option and Reset, and that status compares
// the game with the stored settings as the window reads them.
#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include "app/quenorctl/form_choices.h"
#include "app/quenorctl/quenorctl.h"
#include "lib/registry/registry_store.h"
#include "lib/viv/archive_edit.h"
#include "tests/quenorctl/machine.h"

namespace quenor::testing {
namespace {

constexpr const char* kGameKey = "Software\\EA Sports\\NHL 09";
constexpr const char* kSettingsKey = "Software\\Olm\\Quenor";

TEST(QuenorctlFrames, ASizeOfOnesOwnTakesTheSmallestFrameThatHoldsItWhateverIsStored) {
    SettingsModel stored;  // "User Defined" 1024 x 768 in frame 1
    stored.intResolution = resolution::kUserDefined;
    stored.lngDeviceWidth = 1024;
    stored.lngDeviceHeight = 768;
    stored.intResFrame = 1;
    // The rule on the sizes of screens: "screen" is a size of one's own whatever its size.
    struct Row {
        host::ScreenSize screen;
        std::int16_t frame;
    };
    const Row rows[] = {
        {{800, 600}, 1},  {{1024, 768}, 2},  {{1280, 800}, 3},  {{1280, 1024}, 3}, {{1281, 800}, 4},
        {{1440, 900}, 4}, {{1600, 1200}, 4}, {{1920, 1080}, 4}, {{3840, 2160}, 4},
    };
    const ctl::Choices screen{"screen", std::nullopt, std::nullopt, std::nullopt};
    for (const Row& row : rows) {
        SCOPED_TRACE(std::to_string(row.screen.width) + "x" + std::to_string(row.screen.height));
        const PlayerChoices made =
            ctl::madeOver(choicesFromSettings(stored), ctl::resolveChoices(screen, row.screen));
        EXPECT_EQ(made, (PlayerChoices{resolution::kUserDefined, std::to_string(row.screen.width),
                                       std::to_string(row.screen.height), row.frame, 0, 0}));
    }
    const auto size = [](const char* wxh, std::optional<int> frame = std::nullopt) {
        return ctl::Choices{wxh, frame, std::nullopt, std::nullopt};
    };
    // WIDTHxHEIGHT takes the same rule; --frame wins.
    for (const auto& [given, frame] :
         {std::pair{size("1440x900"), 4}, std::pair{size("1152x864"), 3},
          std::pair{size("1920x1080", 2), 2}, std::pair{size("1280x800", 1), 1},
          std::pair{size("screen", 1), 1}}) {
        SCOPED_TRACE(*given.resolution);
        const PlayerChoices made = ctl::madeOver(
            choicesFromSettings(stored), ctl::resolveChoices(given, host::ScreenSize{1920, 1080}));
        EXPECT_EQ(made.resolution, resolution::kUserDefined);
        EXPECT_EQ(made.frame, frame);
    }
    // A preset's name alone is the preset, which leaves the frame list at its prompt.
    const PlayerChoices preset = ctl::madeOver(choicesFromSettings(stored),
                                               ctl::resolveChoices(size("1280x800"), std::nullopt));
    EXPECT_EQ(preset, (PlayerChoices{0, "", "", 0, 0, 0}));
}

// status --json's game.startsAt after the commands.
nlohmann::json startsAtAfter(Machine& machine, std::string* text = nullptr) {
    std::string out;
    EXPECT_EQ(machine.quenorctl({"status", "--json"}, &out), ctl::kDone);
    if (text) {
        EXPECT_EQ(machine.quenorctl({"status"}, text), ctl::kDone);
    }
    return nlohmann::json::parse(out)["game"]["startsAt"];
}

// Frame 3's config file with its devicewidth line written as `line`.
void writeFrame3Width(Machine& machine, const std::string& line) {
    std::string text = machine.installation().entry("sgsm3.cfg");
    const std::size_t at = text.find("devicewidth 1280");
    ASSERT_NE(at, std::string::npos);
    text.replace(at, 16, line);
    viv::putEntry(files::systemFileIo(), machine.installation().archive(), "sgsm3.cfg",
                  std::vector<std::uint8_t>(text.begin(), text.end()));
}

TEST(QuenorctlStatus, TellsTheSizeTheGameStartsAtAfterEveryOptionAndReset) {
    const auto gfxMode = [](std::uint8_t mode) {
        return [mode](Machine& m) {
            setUserValue(m, kGameKey, "GFX Mode", reg::kDword, {mode, 0, 0, 0});
        };
    };
    struct Row {
        const char* name;
        std::vector<std::vector<std::string>> commands;
        std::function<void(Machine&)> after;
        nlohmann::json expected;
        const char* line;
    };
    const auto at = [](int w, int h, int frame) {
        return nlohmann::json{{"width", w}, {"height", h}, {"frame", frame}};
    };
    const Row rows[] = {
        {"1280x800",
         {{"apply", "--resolution", "1280x800", "--yes"}},
         nullptr,
         at(1280, 800, 3),
         "The game starts at 1280 x 800 (GFX Mode 3: frame 3, sgsm3.cfg)"},
        {"1600x1000",
         {{"apply", "--resolution", "1600x1000", "--yes"}},
         nullptr,
         at(1600, 1000, 4),
         nullptr},
        {"1024x768",
         {{"apply", "--resolution", "1024x768", "--yes"}},
         nullptr,
         at(1024, 768, 2),
         nullptr},
        {"nochange",
         {{"apply", "--resolution", "nochange", "--yes"}},
         nullptr,
         nullptr,
         "The game picks its own size: GFX Mode is not set"},
        {"a size of one's own",
         {{"apply", "--resolution", "1440x900", "--yes"}},
         nullptr,
         at(1440, 900, 4),
         nullptr},
        {"a size of one's own in frame 2",
         {{"apply", "--resolution", "1440x900", "--frame", "2", "--yes"}},
         nullptr,
         at(1440, 900, 2),
         nullptr},
        {"reset",
         {{"apply", "--resolution", "1600x1000", "--yes"}, {"reset", "--yes"}},
         nullptr,
         at(1024, 768, 2),
         nullptr},
        {"a GFX Mode that names no frame",
         {},
         gfxMode(7),
         nullptr,
         "The size the game starts at is not known: GFX Mode is 7, which names no frame (1 to "
         "4)"},
        {"lines that disagree",
         {},
         [&](Machine& m) {
             gfxMode(3)(m);
             writeFrame3Width(m, "devicewidth 1280\r\ndevicewidth 1600");
         },
         nullptr,
         "The size the game starts at is not known: sgsm3.cfg's devicewidth lines disagree "
         "(1280, 1600)"},
        {"a GFX Mode that is no DWORD",
         {},
         [](Machine& m) {
             setUserValue(m, kGameKey, "GFX Mode", reg::kSz, {'3', 0});
         },
         nullptr,
         "The size the game starts at is not known: GFX Mode is \"3\", not a DWORD"},
        {"a width that is no number",
         {},
         [&](Machine& m) {
             gfxMode(3)(m);
             writeFrame3Width(m, "devicewidth wide");
         },
         nullptr,
         "The size the game starts at is not known: sgsm3.cfg has no numeric devicewidth"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        Machine machine;
        for (const auto& command : row.commands) ASSERT_EQ(machine.quenorctl(command), ctl::kDone);
        if (row.after) row.after(machine);
        std::string text;
        EXPECT_EQ(startsAtAfter(machine, &text), row.expected);
        if (row.line) {
            EXPECT_NE(text.find(std::string(row.line) + "\n"), std::string::npos) << text;
        }
    }
}

TEST(QuenorctlStatus, TheFrameTableShowsEveryValueOfLinesThatDisagree) {
    Machine machine;
    writeFrame3Width(machine, "devicewidth 1280\r\ndevicewidth 1600\r\ndevicewidth 1280");
    std::string out;
    machine.quenorctl({"status"}, &out);
    EXPECT_NE(out.find("  frame 3 (sgsm3.cfg): 1280 or 1600 x 1024, enablevsync true\n"),
              std::string::npos)
        << out;
}

TEST(QuenorctlStatus, ComparesTheGameWithTheStoredSettingsAsTheWindowReadsThem) {
    // Stored values the window shows otherwise than they read: each applied by the window's
    // Apply, after which status finds nothing that differs.
    const std::vector<std::pair<const char*, std::vector<std::pair<const char*, const char*>>>>
        rows = {
            {"no option", {{"Resolution", "9"}}},
            {"a preset with a frame", {{"Resolution", "0"}, {"ResFrame", "3"}}},
            {"no VSYNC or FPS level", {{"VSYNC", "5"}, {"FPSboost", "-1"}}},
            {"a size of one's own",
             {{"Resolution", "4"},
              {"DeviceWidth", "1440"},
              {"DeviceHeight", "900"},
              {"ResFrame", "2"}}},
        };
    for (const auto& [name, values] : rows) {
        SCOPED_TRACE(name);
        Machine machine;
        ASSERT_EQ(machine.quenorctl({"apply", "--resolution", "1600x1000", "--vsync", "off",
                                     "--fps", "high", "--yes"}),
                  ctl::kDone);
        for (const auto& [field, text] : values) {
            std::vector<std::uint8_t> data(text, text + std::char_traits<char>::length(text) + 1);
            setUserValue(machine, kSettingsKey, field, reg::kSz, data);
        }
        std::string out;
        ASSERT_EQ(machine.quenorctl({"apply", "--yes"}), ctl::kDone);
        ASSERT_EQ(machine.quenorctl({"status", "--json"}, &out), ctl::kDone);
        const auto json = nlohmann::json::parse(out);
        EXPECT_EQ(json["differsFromSettings"], nlohmann::json::array()) << out;
        EXPECT_TRUE(json["screen"].is_null()) << "no DISPLAY here";
    }
}

}  // namespace
}  // namespace quenor::testing
