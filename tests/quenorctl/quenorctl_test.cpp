// quenorctl against the window: on copies of one installation, the same choices made with
// quenorctl and clicked in the window (on the same real platform) leave the same log (time
// stamps aside), the same registry values and the same archive. Then status, read back.
#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include <functional>
#include <sstream>

#include "app/quenorctl/quenorctl.h"
#include "core/testing/fake_platform.h"
#include "core/testing/scripted_message_boxes.h"
#include "host/start_quenor.h"
#include "lib/registry/wine/wine_file_store.h"
#include "tool/testing/fake_installation.h"
#include "window/quenor_layout.h"
#include "window/testing/scripted_input.h"

namespace quenor::testing {
namespace {

namespace fs = std::filesystem;
namespace names = ui::control_names;

// A machine with the game installed: its own home, temporary folder and a folder the program
// runs from (so its quenor.log lies there).
class Machine {
  public:
    Machine()
        : installation_(folder_.path() / "prefix", options()),
          environment_({{"HOME", (folder_.path() / "home").string()},
                        {"WINEPREFIX", installation_.prefix().string()},
                        {"TEMP", (folder_.path() / "temp").string()},
                        {"TMPDIR", (folder_.path() / "temp").string()}}) {
        fs::create_directories(folder_.path() / "home");
        fs::create_directories(folder_.path() / "temp");
        fs::create_directories(folder_.path() / "bin");
    }

    // quenorctl with these arguments; returns the exit status.
    int quenorctl(std::vector<std::string> arguments, std::string* out = nullptr,
                  std::string* err = nullptr) {
        std::istringstream in;
        std::ostringstream output;
        std::ostringstream errors;
        const ctl::Context context{
            folder_.path() / "bin" / "quenorctl", environment_, in, output, errors, false};
        const int status = ctl::runQuenorctl(arguments, context);
        if (out) *out = output.str();
        if (err) *err = errors.str();
        return status;
    }

    // The window on the same platform: started, `act` clicks, closed.
    void window(const std::function<void(ui::FormModel&, ScriptedMessageBoxes&)>& act) {
        ScriptedMessageBoxes boxes;
        auto started = host::StartedQuenor::start(
            [&] {
                return host::HostPlatform::open(folder_.path() / "bin" / "quenor", environment_);
            },
            boxes);
        ASSERT_TRUE(started);
        act(started->window().form(), boxes);
        if (!started->window().unloaded()) started->window().Form_Unload();
        EXPECT_EQ(boxes.pendingAnswers(), 0u);
    }

    // The log without its time stamps (each line's and the header's), this machine's folder
    // written as "<machine>".
    std::vector<std::string> log() const {
        std::vector<std::string> lines;
        std::istringstream in(readFileOrMissing(folder_.path() / "bin" / "quenor.log"));
        for (std::string line; std::getline(in, line);) {
            const std::size_t message = line.find("     ");
            line = message == std::string::npos ? line : line.substr(message + 5);
            if (line.rfind("********** NEW LOG - ", 0) == 0) line = "********** NEW LOG - <now>";
            for (std::size_t at; (at = line.find(folder_.str())) != std::string::npos;)
                line.replace(at, folder_.str().size(), "<machine>");
            lines.push_back(line);
        }
        return lines;
    }

    // The values Apply and Reset write, as the registry files hold them.
    std::string registryValues() const {
        reg::wine::WineFileStore store(installation_.prefix());
        std::string values;
        const std::pair<const char*, const char*> wanted[] = {
            {"Software\\EA Sports\\NHL 09", "GFX Mode"},
            {"Software\\EA Sports\\NHL 09\\Details Settings", "OnPlay Player"},
            {"Software\\Olm\\Quenor", "Resolution"},
            {"Software\\Olm\\Quenor", "DeviceWidth"},
            {"Software\\Olm\\Quenor", "DeviceHeight"},
            {"Software\\Olm\\Quenor", "ResFrame"},
            {"Software\\Olm\\Quenor", "VSYNC"},
            {"Software\\Olm\\Quenor", "FPSboost"}};
        for (const auto& [path, name] : wanted) {
            reg::Handle key = 0;
            std::uint8_t data[64] = {};
            std::uint32_t size = sizeof data;
            std::uint32_t type = 0;
            if (store.openKey(reg::kCurrentUser, path, reg::kQueryValue, key) == reg::kSuccess) {
                if (store.queryValue(key, name, &type, data, &size) != reg::kSuccess) size = 0;
                store.closeKey(key);
            } else {
                size = 0;
            }
            values += std::string(name) + "=" + std::to_string(type) + ":" +
                      std::string(reinterpret_cast<char*>(data), size) + "\n";
        }
        return values;
    }

    std::string archive() const { return readFileOrMissing(installation_.archive()); }
    const FakeInstallation& installation() const { return installation_; }

  private:
    static FakeInstallationOptions options() {
        FakeInstallationOptions o;
        o.win64 = true;
        o.installDir = kWindowsInstallDir;
        return o;
    }

    TempFolder folder_;
    FakeInstallation installation_;
    MapEnvironment environment_;
};

struct Comparison {
    const char* name;
    std::vector<std::vector<std::string>> commands;  // quenorctl runs, in turn
    std::function<void(Machine&)> window;            // the same, clicked
    int lastStatus;
};

void apply(Machine& machine, const std::function<void(ui::FormModel&)>& choose) {
    machine.window([&](ui::FormModel& form, ScriptedMessageBoxes& boxes) {
        choose(form);
        boxes.expect(MessageAnswer::Yes);
        boxes.expect(MessageAnswer::Ok);
        ui::testing::clickControl(form, names::kBtnApplySettings);
    });
}

TEST(Quenorctl, DoesWhatTheWindowDoes) {
    const Comparison comparisons[] = {
        {"preset",
         {{"apply", "--resolution", "1280x800", "--vsync", "off", "--fps", "high", "--yes"}},
         [](Machine& m) {
             apply(m, [](ui::FormModel& form) {
                 ui::testing::clickControl(form, names::kOptResolution, 0);
                 ui::testing::clickControl(form, names::kOptVsync, 1);
                 ui::testing::clickControl(form, names::kOptFpsBoost, 3);
             });
         },
         ctl::kDone},
        {"a size of the player's own, equal to a preset",
         {{"apply", "--resolution", "1600x1000", "--frame", "3", "--yes"}},
         [](Machine& m) {
             apply(m, [](ui::FormModel& form) {
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
             apply(m, [](ui::FormModel& form) {
                 ui::testing::clickControl(form, names::kOptResolution, 4);
                 ui::testing::typeInto(form, names::kTxtResWidth, "1440");
                 ui::testing::typeInto(form, names::kTxtResHeight, "900");
                 ui::testing::pickEntry(form, names::kLstResFrame, 4);
             });
             apply(m, [](ui::FormModel& form) {
                 ui::testing::clickControl(form, names::kOptFpsBoost, 1);
             });
         },
         ctl::kDone},
        {"reset",
         {{"apply", "--resolution", "1024x768", "--yes"}, {"reset", "--yes"}},
         [](Machine& m) {
             apply(m, [](ui::FormModel& form) {
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

TEST(Quenorctl, WithoutATerminalOrYesItChangesNothingAndSaysWhy) {
    Machine machine;
    const std::string archive = machine.archive();
    std::string out;
    std::string err;
    EXPECT_EQ(machine.quenorctl({"apply", "--resolution", "1280x800"}, &out, &err), ctl::kFailed);
    EXPECT_NE(err.find("no terminal to answer \"Apply changes?\""), std::string::npos) << err;
    EXPECT_EQ(machine.archive(), archive);
    EXPECT_EQ(machine.quenorctl({"apply", "--resolution", "12345x800", "--frame", "1"}, &out, &err),
              ctl::kUsage);
    EXPECT_EQ(machine.quenorctl({"apply", "--frame", "1"}, &out, &err), ctl::kUsage);
    EXPECT_EQ(machine.quenorctl({"fly"}, &out, &err), ctl::kUsage);
    EXPECT_EQ(machine.quenorctl({"apply", "--help"}, &out, &err), ctl::kDone);
    EXPECT_NE(out.find("--resolution"), std::string::npos);
}

}  // namespace
}  // namespace quenor::testing
