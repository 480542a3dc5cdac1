// The plan of a change states what the change writes: for every choice of the window (each
// resolution option and frame, both VSYNC values, every FPS level) and for Reset, the routines
// run for real (the window's handlers, the archive, the registry files), and afterwards each
// config line and registry value holds what the plan says, and every one the plan leaves out
// holds what it held before.
#include <gtest/gtest.h>

#include <functional>
#include <optional>

#include "core/change_plan.h"
#include "core/game_installation.h"
#include "lib/base/ascii.h"
#include "tool/patching/keyed_lines.h"
#include "tool/patching/planned_change.h"
#include "window/testing/headless_tool.h"

namespace quenor::testing {
namespace {

constexpr const char* kKeys[] = {"devicewidth", "deviceheight", "enablevsync"};
constexpr const char* kOnPlayKey = "Software\\EA Sports\\NHL 09\\Details Settings";

// What the game holds after a change: each frame's keyed lines, "GFX Mode", "OnPlay Player".
struct GameNow {
    std::map<std::string, std::map<std::string, std::vector<std::string>>> lines;
    std::optional<std::string> gfxMode;
    std::optional<std::string> onPlayPlayer;
};

GameNow readGame(const HeadlessTool& tool) {
    GameNow now;
    for (int frame = 1; frame <= game::kFrameCount; ++frame) {
        const std::string entry = game::configEntryName(frame);
        const std::string text = tool.archiveEntry(entry);
        for (const char* key : kKeys) now.lines[entry][key] = patching::keyedValues(text, key);
    }
    now.gfxMode = tool.registryValue(reg::kCurrentUser, game::kKeyPath, game::kGfxModeValue);
    now.onPlayPlayer = tool.registryValue(reg::kCurrentUser, kOnPlayKey, game::kOnPlayPlayerValue);
    return now;
}

// The plan against the game after the change, `before` for what the plan leaves out.
void expectPlanHolds(const ChangePlan& plan, const GameNow& before, const GameNow& after) {
    for (const auto& [entry, keys] : after.lines) {
        for (const auto& [key, values] : keys) {
            const auto planned = plan.entries.find(entry);
            if (planned != plan.entries.end() && planned->second.count(key)) {
                EXPECT_EQ(values, std::vector<std::string>{planned->second.at(key)})
                    << entry << " " << key;
            } else {
                EXPECT_EQ(values, before.lines.at(entry).at(key)) << entry << " " << key;
            }
        }
    }
    for (const auto& [name, now, was] :
         {std::tuple{game::kGfxModeValue, after.gfxMode, before.gfxMode},
          std::tuple{game::kOnPlayPlayerValue, after.onPlayPlayer, before.onPlayPlayer}}) {
        std::optional<std::string> planned;
        for (const PlannedDword& value : plan.registry) {
            // Apply writes "EA SPorts", Reset "EA Sports": one key.
            const bool sameKey = base::equalsIgnoringAsciiCase(
                value.keyPath,
                name == std::string(game::kGfxModeValue) ? game::kKeyPath : kOnPlayKey);
            if (sameKey && value.name == name) planned = std::to_string(value.value);
        }
        EXPECT_EQ(now, planned ? planned : was) << name;
    }
}

// Clicks an option button unless it is the one selected after a first start (the window
// refuses a click on the selected one): Resolution "No Change", VSYNC ON, FPS Boost OFF.
void choose(HeadlessTool& tool, const char* options, int index) {
    const int selected = std::string(options) == "optResolution" ? 3 : 0;
    if (index != selected) tool.click(options, index);
}

struct Choice {
    int resolution;  // the option's index
    int frame;       // the frame list's entry for "User Defined", else 0
    int vsync;
    int fps;
};

TEST(ChangePlan, ApplyWritesWhatItsPlanSaysForEveryChoice) {
    std::vector<Choice> choices;
    for (int vsync = 0; vsync <= 1; ++vsync) {
        for (int fps = 0; fps <= 4; ++fps) {
            for (int resolution = 0; resolution <= 3; ++resolution)
                choices.push_back({resolution, 0, vsync, fps});
            for (int frame = 1; frame <= game::kFrameCount; ++frame)
                choices.push_back({4, frame, vsync, fps});
        }
    }
    for (const Choice& c : choices) {
        SCOPED_TRACE("resolution " + std::to_string(c.resolution) + " frame " +
                     std::to_string(c.frame) + " vsync " + std::to_string(c.vsync) + " fps " +
                     std::to_string(c.fps));
        HeadlessTool tool;
        ASSERT_TRUE(tool.start());
        choose(tool, "optResolution", c.resolution);
        if (c.resolution == 4) {
            tool.type("txtResWidth", "1920");
            tool.type("txtResHeight", "1080");
            tool.pick("lstResFrame", c.frame);
        }
        choose(tool, "optVSYNC", c.vsync);
        choose(tool, "optFPSboost", c.fps);
        const ChangePlan plan = plannedApply(tool.window().choices());
        const GameNow before = readGame(tool);
        tool.answer(MessageAnswer::Yes);
        tool.answer(MessageAnswer::Ok);
        tool.click("btnApplySettings");
        ASSERT_EQ(tool.pendingAnswers(), 0u);
        expectPlanHolds(plan, before, readGame(tool));
    }
}

TEST(ChangePlan, ResetWritesWhatItsPlanSaysAfterAnyApply) {
    for (const int resolution : {0, 1, 3}) {
        SCOPED_TRACE(resolution);
        HeadlessTool tool;
        ASSERT_TRUE(tool.start());
        choose(tool, "optResolution", resolution);
        choose(tool, "optVSYNC", 1);
        tool.answer(MessageAnswer::Yes);
        tool.answer(MessageAnswer::Ok);
        tool.click("btnApplySettings");
        const GameNow before = readGame(tool);
        tool.answer(MessageAnswer::Ok);
        tool.answer(MessageAnswer::Ok);
        tool.click("btnSetDefaults");
        ASSERT_EQ(tool.pendingAnswers(), 0u);
        expectPlanHolds(plannedReset(), before, readGame(tool));
    }
}

// A few plans with their values written out.
TEST(ChangePlan, FixedRows) {
    HeadlessTool tool;
    ASSERT_TRUE(tool.start());
    tool.click("optResolution", 1);  // 1600 x 1000, frame 4
    tool.click("optVSYNC", 1);
    tool.click("optFPSboost", 3);  // High
    const ChangePlan apply = plannedApply(tool.window().choices());
    EXPECT_EQ(apply.entries.at("sgsm4.cfg"),
              (std::map<std::string, std::string>{
                  {"devicewidth", "1600"}, {"deviceheight", "1000"}, {"enablevsync", "false"}}));
    EXPECT_EQ(apply.entries.at("sgsm1.cfg"),
              (std::map<std::string, std::string>{{"enablevsync", "false"}}));
    ASSERT_EQ(apply.registry.size(), 2u);
    EXPECT_EQ(apply.registry[0].keyPath, "Software\\EA Sports\\NHL 09");
    EXPECT_EQ(apply.registry[0].value, 4);
    EXPECT_EQ(apply.registry[1].keyPath, "Software\\EA SPorts\\NHL 09\\Details Settings");
    EXPECT_EQ(apply.registry[1].value, 100);

    tool.click("optResolution", 3);  // No Change: no frame, no "GFX Mode"
    const ChangePlan unchanged = plannedApply(tool.window().choices());
    ASSERT_EQ(unchanged.registry.size(), 1u);
    EXPECT_EQ(unchanged.registry[0].name, "OnPlay Player");

    const ChangePlan reset = plannedReset();
    EXPECT_EQ(reset.entries.at("sgsm2.cfg"),
              (std::map<std::string, std::string>{
                  {"devicewidth", "1024"}, {"deviceheight", "768"}, {"enablevsync", "true"}}));
    EXPECT_EQ(reset.entries.at("sgsm4.cfg").at("devicewidth"), "1600");
    ASSERT_EQ(reset.registry.size(), 2u);
    EXPECT_EQ(reset.registry[0].value, 2);
    EXPECT_EQ(reset.registry[1].value, 250);
}

}  // namespace
}  // namespace quenor::testing
