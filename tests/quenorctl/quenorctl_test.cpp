// quenorctl against the window: on copies of one installation, the same choices made with
// quenorctl and clicked in the window (on the same real platform) leave the same log (time
// stamps aside), the same registry values and the same archive. Then status, read back.
#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include <map>

#include "app/quenorctl/quenorctl.h"
#include "tests/quenorctl/machine.h"
#include "tool/testing/fake_installation.h"
#include "window/quenor_layout.h"
#include "window/testing/scripted_input.h"

namespace quenor::testing {
namespace {

namespace names = ui::control_names;

struct Comparison {
    const char* name;
    std::vector<std::vector<std::string>> commands;  // quenorctl runs, in turn
    std::function<void(Machine&)> window;            // the same, clicked
    int lastStatus;
};

TEST(Quenorctl, DoesWhatTheWindowDoes) {
    const Comparison comparisons[] = {
        {"preset",
         {{"apply", "--resolution", "1280x800", "--vsync", "off", "--fps", "high", "--yes"}},
         [](Machine& m) {
             applyInWindow(m, [](ui::FormModel& form) {
                 ui::testing::clickControl(form, names::kOptResolution, 0);
                 ui::testing::clickControl(form, names::kOptVsync, 1);
                 ui::testing::clickControl(form, names::kOptFpsBoost, 3);
             });
         },
         ctl::kDone},
        {"a size of the player's own, equal to a preset",
         {{"apply", "--resolution", "1600x1000", "--frame", "3", "--yes"}},
         [](Machine& m) {
             applyInWindow(m, [](ui::FormModel& form) {
                 ui::testing::clickControl(form, names::kOptResolution, 4);
                 ui::testing::typeInto(form, names::kTxtResWidth, "1600");
                 ui::testing::typeInto(form, names::kTxtResHeight, "1000");
                 ui::testing::pickEntry(form, names::kLstResFrame, 3);
             });
         },
         ctl::kDone},
        {"a stored User Defined size applied again",
         {{"apply", "--resolution", "1440x900", "--frame", "4", "--yes"},
          {"apply", "--fps", "low", "--yes"}},
         [](Machine& m) {
             applyInWindow(m, [](ui::FormModel& form) {
                 ui::testing::clickControl(form, names::kOptResolution, 4);
                 ui::testing::typeInto(form, names::kTxtResWidth, "1440");
                 ui::testing::typeInto(form, names::kTxtResHeight, "900");
                 ui::testing::pickEntry(form, names::kLstResFrame, 4);
             });
             applyInWindow(m, [](ui::FormModel& form) {
                 ui::testing::clickControl(form, names::kOptFpsBoost, 1);
             });
         },
         ctl::kDone},
        {"reset",
         {{"apply", "--resolution", "1024x768", "--yes"}, {"reset", "--yes"}},
         [](Machine& m) {
             applyInWindow(m, [](ui::FormModel& form) {
                 ui::testing::clickControl(form, names::kOptResolution, 2);
             });
             m.window([](ui::FormModel& form, ScriptedMessageBoxes& boxes) {
                 boxes.expect(MessageAnswer::Ok);
                 boxes.expect(MessageAnswer::Ok);
                 ui::testing::clickControl(form, names::kBtnSetDefaults);
             });
         },
         ctl::kDone},
        {"a width the game refuses",
         {{"apply", "--resolution", "0800x600", "--frame", "2", "--yes"}},
         [](Machine& m) {
             m.window([](ui::FormModel& form, ScriptedMessageBoxes& boxes) {
                 ui::testing::clickControl(form, names::kOptResolution, 4);
                 ui::testing::typeInto(form, names::kTxtResWidth, "0800");
                 ui::testing::typeInto(form, names::kTxtResHeight, "600");
                 ui::testing::pickEntry(form, names::kLstResFrame, 2);
                 boxes.expect(MessageAnswer::Yes);
                 boxes.expect(MessageAnswer::Ok);
                 ui::testing::clickControl(form, names::kBtnApplySettings);
             });
         },
         ctl::kFailed},
    };
    for (const Comparison& c : comparisons) {
        SCOPED_TRACE(c.name);
        Machine byCommand;
        Machine byWindow;
        int status = -1;
        std::string err;
        for (const auto& command : c.commands) status = byCommand.quenorctl(command, nullptr, &err);
        EXPECT_EQ(status, c.lastStatus) << err;
        c.window(byWindow);
        ASSERT_GT(byWindow.log().size(), 40u) << "the window's run logged nothing";
        EXPECT_EQ(byCommand.log(), byWindow.log());
        EXPECT_NE(byWindow.registryValues().find("Resolution=1:"), std::string::npos);
        EXPECT_EQ(byCommand.registryValues(), byWindow.registryValues());
        EXPECT_EQ(byCommand.archive(), byWindow.archive());
    }
}

TEST(Quenorctl, StatusReadsWhatTheGameIsSetToWithoutWriting) {
    Machine machine;
    ASSERT_EQ(machine.quenorctl({"apply", "--resolution", "1440x900", "--frame", "4", "--vsync",
                                 "off", "--fps", "extreme", "--yes"}),
              ctl::kDone);
    const std::vector<std::string> logBefore = machine.log();
    std::string out;
    ASSERT_EQ(machine.quenorctl({"status", "--json"}, &out), ctl::kDone);
    const auto json = nlohmann::json::parse(out);
    EXPECT_EQ(json["prefix"], machine.installation().prefix().string());
    EXPECT_EQ(json["game"]["installDir"], kWindowsInstallDir);
    EXPECT_EQ(json["game"]["gfxMode"], 4);
    EXPECT_EQ(json["game"]["onPlayPlayer"], 50);
    EXPECT_EQ(json["game"]["frames"][3]["devicewidth"], "1440");
    EXPECT_EQ(json["game"]["frames"][3]["deviceheight"], "900");
    EXPECT_EQ(json["game"]["frames"][0]["devicewidth"], "800");
    EXPECT_EQ(json["game"]["frames"][2]["enablevsync"], "false");
    EXPECT_EQ(json["quenorSettings"]["Resolution"], "4");
    EXPECT_EQ(json["quenorSettings"]["ResFrame"], "4");
    EXPECT_EQ(machine.log(), logBefore) << "status wrote to the log";

    // A damaged archive: a clear error, and exit status 1.
    writeFileBytes(machine.installation().archive(), "BIGF damaged");
    std::string err;
    EXPECT_EQ(machine.quenorctl({"status"}, &out, &err), ctl::kFailed);
    EXPECT_NE(err.find("the game's archive cannot be read"), std::string::npos) << err;
}

// Every file below a folder with its content.
std::map<std::string, std::string> filesBelow(const std::filesystem::path& folder) {
    std::map<std::string, std::string> found;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(folder)) {
        if (entry.is_regular_file()) found[entry.path().string()] = readFileOrMissing(entry.path());
    }
    return found;
}

TEST(Quenorctl, WithoutATerminalOrYesItChangesNothingAndSaysWhy) {
    Machine machine;
    const auto before = filesBelow(machine.root());
    std::string out;
    std::string err;
    EXPECT_EQ(machine.quenorctl({"apply", "--resolution", "1280x800"}, &out, &err), ctl::kFailed);
    EXPECT_NE(err.find("no terminal to answer \"Apply changes?\""), std::string::npos) << err;
    EXPECT_EQ(machine.quenorctl({"reset"}, &out, &err), ctl::kFailed);
    EXPECT_NE(err.find("no terminal to answer \"Reset all changes?\""), std::string::npos) << err;
    // Not even the first start's settings: every file of the machine byte for byte.
    EXPECT_EQ(filesBelow(machine.root()), before);
    EXPECT_EQ(machine.quenorctl({"apply", "--resolution", "12345x800", "--frame", "1"}, &out, &err),
              ctl::kUsage);
    EXPECT_EQ(machine.quenorctl({"apply", "--frame", "1"}, &out, &err), ctl::kUsage);
    EXPECT_EQ(machine.quenorctl({"fly"}, &out, &err), ctl::kUsage);
    EXPECT_EQ(machine.quenorctl({"apply", "--help"}, &out, &err), ctl::kDone);
    EXPECT_NE(out.find("--resolution"), std::string::npos);
}

}  // namespace
}  // namespace quenor::testing
