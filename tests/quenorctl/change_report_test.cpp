// quenorctl says why a change was not done from how it ended and what it recorded, never from
// what its boxes say: with every box's title and text replaced by nonsense, each outcome gives
// the same exit status and the same reasons.
#include <gtest/gtest.h>

#include <sstream>

#include "app/quenorctl/change_report.h"
#include "app/quenorctl/quenorctl.h"
#include "lib/files/testing/fault_file_io.h"
#include "window/testing/headless_tool.h"

namespace quenor::ctl {
namespace {

using quenor::testing::HeadlessSetup;
using quenor::testing::HeadlessTool;
using quenor::testing::ScriptedMessageBoxes;

// Shows every box with nonsense for its title and text, answered from the script.
class NonsenseBoxes : public MessageBoxes {
  public:
    MessageAnswer show(const MessageBoxRequest& request) override {
        MessageBoxRequest nonsense = request;
        nonsense.title = "Zq";
        nonsense.text = "xyzzy\r\rplugh";
        return script.show(nonsense);
    }
    ScriptedMessageBoxes script;
};

struct Case {
    const char* what;
    bool gameInstalled;
    std::vector<MessageAnswer> answers;
    // Puts the machine in the state the case needs, once the tool has started.
    std::function<void(HeadlessTool&, files::FaultInjectingFileIo&)> before;
    int status;
    std::vector<std::string> reasons;  // a part of each reason, in order
};

TEST(ChangeReport, ReasonsComeFromTheOutcomeNotFromTheBoxes) {
    std::unique_ptr<files::FileLock> otherChange;
    const Case cases[] = {
        {"done", true, {MessageAnswer::Yes, MessageAnswer::Ok}, {}, kDone, {}},
        {"declined",
         true,
         {MessageAnswer::No},
         {},
         kFailed,
         {"the answer was no; nothing was changed."}},
        {"values refused",
         true,
         {MessageAnswer::Yes, MessageAnswer::Ok},
         [](HeadlessTool& tool, files::FaultInjectingFileIo&) { tool.click("optResolution", 4); },
         kFailed,
         {"Invalid resolution specified: Invalid Width or Height or missing Resolution Frame. "
          "Nothing was changed."}},
        {"no game",
         false,
         {MessageAnswer::Ok},
         {},
         kFailed,
         {"NHL 09 not found: Quenor does not know where NHL 09 is installed"}},
        {"another change",
         true,
         {MessageAnswer::Yes, MessageAnswer::Cancel},
         [&](HeadlessTool& tool, files::FaultInjectingFileIo& io) {
             tool.tool().services.changeLockWait = std::chrono::milliseconds(1);
             otherChange = io.tryLock(
                 tool.tool().services.files.changeLockFile(tool.tool().settings.strFMISCpath));
         },
         kFailed,
         {"Another Quenor was changing this installation of NHL 09"}},
        {"a full disk",
         true,
         {MessageAnswer::Ok},
         [](HeadlessTool&, files::FaultInjectingFileIo& io) { io.setAlive(false); },
         kFailed,
         {"quenor.log for appending: injected fault."}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        files::FaultInjectingFileIo io(files::systemFileIo());
        NonsenseBoxes boxes;
        HeadlessSetup setup;
        setup.gameInstalled = c.gameInstalled;
        setup.messageBoxes = &boxes;
        setup.fileIo = &io;
        HeadlessTool tool(setup);
        ASSERT_TRUE(tool.start());
        if (c.before) c.before(tool, io);
        for (const MessageAnswer answer : c.answers) boxes.script.expect(answer);
        tool.click("btnApplySettings");
        otherChange.reset();
        ui::Quenor& window = tool.window();
        const std::vector<std::string> reasons =
            changeReasons(window.lastChange(), window.refusedChange(), window.lastChangeReport());
        ASSERT_EQ(reasons.size(), c.reasons.size()) << ::testing::PrintToString(reasons);
        for (std::size_t i = 0; i < reasons.size(); ++i)
            EXPECT_NE(reasons[i].find(c.reasons[i]), std::string::npos) << reasons[i];
        std::ostringstream err;
        EXPECT_EQ(reportChange(window.lastChange(), window.refusedChange(), err,
                               window.lastChangeReport()),
                  c.status);
        EXPECT_EQ(err.str().find("xyzzy"), std::string::npos) << err.str();
        EXPECT_EQ(boxes.script.pendingAnswers(), 0u);
    }
}

// A change that did not end as the window records it is never reported as done.
TEST(ChangeReport, AChangeWithoutARecordedOutcomeFailed) {
    std::ostringstream err;
    EXPECT_EQ(reportChange(std::nullopt, "", err), kFailed);
    EXPECT_EQ(err.str(), "quenorctl: the change did not finish; quenor.log has its steps.\n");
}

}  // namespace
}  // namespace quenor::ctl
