// Changes that cannot happen as asked are failures, never "All done!": no game found, an entry
// without a line the change rewrites. An entry saved with line feeds keeps every line.
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>

#include "lib/files/file_io.h"
#include "lib/viv/archive_edit.h"
#include "tool/testing/fake_installation.h"
#include "window/quenor_layout.h"
#include "window/testing/headless_tool.h"

namespace quenor::testing {
namespace {

namespace fs = std::filesystem;
namespace names = ui::control_names;

std::vector<std::string> titles(const HeadlessTool& tool) {
    std::vector<std::string> shown;
    for (const MessageBoxRequest& box : tool.boxesShown()) shown.push_back(box.title);
    return shown;
}

void putEntry(HeadlessTool& tool, const std::string& name, const std::string& text) {
    viv::putEntry(files::systemFileIo(), tool.archivePath(), name,
                  std::vector<std::uint8_t>(text.begin(), text.end()));
}

// Run from an empty folder, so that a change written below the working folder would show.
class InEmptyFolder {
  public:
    InEmptyFolder() : before_(fs::current_path()) { fs::current_path(folder_.path()); }
    ~InEmptyFolder() { fs::current_path(before_); }
    bool empty() const { return fs::is_empty(folder_.path()); }

  private:
    TempFolder folder_;
    fs::path before_;
};

TEST(UnluckyChanges, WithoutTheGameApplyAndResetChangeNothing) {
    for (std::string_view button : {names::kBtnApplySettings, names::kBtnSetDefaults}) {
        SCOPED_TRACE(button);
        InEmptyFolder working;
        HeadlessTool tool({.gameInstalled = false});
        ASSERT_TRUE(tool.start());
        const std::string log = tool.log();
        tool.answer(MessageAnswer::Ok);
        tool.click(button);
        EXPECT_EQ(titles(tool), std::vector<std::string>{"NHL 09 not found"});
        EXPECT_EQ(tool.boxesShown().front().icon, MessageIcon::Exclamation);
        EXPECT_TRUE(working.empty());
        EXPECT_EQ(tool.registryValue(reg::kCurrentUser, "Software\\EA Sports\\NHL 09", "GFX Mode"),
                  std::nullopt);
        EXPECT_FALSE(fs::exists(tool.originalsFolder()));
        EXPECT_EQ(tool.log().substr(log.size()).find("MsgBox"), std::string::npos);
    }
}

TEST(UnluckyChanges, AnEntryWithoutALineTheChangeRewritesFailsBeforeAnyWrite) {
    struct Case {
        const char* what;
        const char* entry;
        std::string text;
        std::string_view button;
        const char* missingKey;
    };
    const Case cases[] = {
        {"Apply 1280x800, sgsm3 without deviceheight", "sgsm3.cfg", "devicewidth 800\r\n",
         names::kBtnApplySettings, "\"deviceheight\""},
        {"Apply, sgsm1 without enablevsync", "sgsm1.cfg", demoConfigWith(1, {}).substr(0, 20),
         names::kBtnApplySettings, "\"enablevsync\""},
        {"Reset, sgsm4 without devicewidth", "sgsm4.cfg", "deviceheight 1200\r\nenablevsync 1\r\n",
         names::kBtnSetDefaults, "\"devicewidth\""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        HeadlessTool tool;
        ASSERT_TRUE(tool.start());
        putEntry(tool, c.entry, c.text);
        const std::string archive = readFileOrMissing(tool.archivePath());
        tool.click(names::kOptResolution, 0);
        tool.answer(c.button == names::kBtnApplySettings ? MessageAnswer::Yes : MessageAnswer::Ok);
        tool.answer(MessageAnswer::Ok);
        tool.click(c.button);
        ASSERT_EQ(tool.boxesShown().size(), 2u);
        const MessageBoxRequest& failure = tool.boxesShown().back();
        EXPECT_EQ(failure.icon, MessageIcon::Critical);
        EXPECT_NE(failure.text.find(std::string(c.entry) + " in the game archive"),
                  std::string::npos)
            << failure.text;
        EXPECT_NE(failure.text.find(c.missingKey), std::string::npos) << failure.text;
        EXPECT_EQ(readFileOrMissing(tool.archivePath()), archive);
        EXPECT_EQ(tool.registryValue(reg::kCurrentUser, "Software\\EA Sports\\NHL 09", "GFX Mode"),
                  std::nullopt);
    }
}

TEST(UnluckyChanges, AnEntrySavedWithLineFeedsKeepsEveryLine) {
    HeadlessTool tool;
    ASSERT_TRUE(tool.start());
    putEntry(tool, "sgsm3.cfg",
             "; saved on Linux\ndevicewidth 1280\ndeviceheight 1024\nfov 55\nenablevsync true");
    tool.click(names::kOptResolution, 0);  // 1280x800, into sgsm3.cfg
    tool.answer(MessageAnswer::Yes);
    tool.answer(MessageAnswer::Ok);
    tool.click(names::kBtnApplySettings);
    EXPECT_EQ(titles(tool), (std::vector<std::string>{"Apply changes?", "All done!"}));
    EXPECT_EQ(tool.archiveEntry("sgsm3.cfg"),
              "; saved on Linux\r\ndevicewidth 1280\r\ndeviceheight 800\r\nfov 55\r\nenablevsync "
              "true\r\n");
}

}  // namespace
}  // namespace quenor::testing

namespace quenor::testing {
namespace {

// A size of the player's own goes into the frame chosen, and "GFX Mode" names that frame:
// each frame in turn, against fixed values, so that a patch always writing frame 4 fails.
TEST(UserDefined, TheChosenFrameGetsTheSizeAndGfxModeNamesIt) {
    for (int frame = 1; frame <= 4; ++frame) {
        SCOPED_TRACE("frame " + std::to_string(frame));
        HeadlessTool tool;
        ASSERT_TRUE(tool.start());
        tool.click(names::kOptResolution, 4);
        tool.type(names::kTxtResWidth, "1440");
        tool.type(names::kTxtResHeight, "900");
        tool.pick(names::kLstResFrame, frame);
        tool.answer(MessageAnswer::Yes);
        tool.answer(MessageAnswer::Ok);
        tool.click(names::kBtnApplySettings);
        EXPECT_EQ(tool.registryValue(reg::kCurrentUser, "Software\\EA Sports\\NHL 09", "GFX Mode"),
                  std::to_string(frame));
        for (int other = 1; other <= 4; ++other) {
            const std::string entry = tool.archiveEntry("sgsm" + std::to_string(other) + ".cfg");
            const bool sized =
                entry.find("devicewidth 1440\r\ndeviceheight 900\r\n") != std::string::npos;
            EXPECT_EQ(sized, other == frame) << "sgsm" << other << ".cfg";
        }
    }
}

}  // namespace
}  // namespace quenor::testing
