// Wine starts for the prefix just after a change's last look before it writes the game: the
// archive is rewritten, the registry save refuses to write over Wine, and the window's box, the
// log and quenorctl's message name what was changed and the way back; quenorctl exits 1.
#include <gtest/gtest.h>
#include <unistd.h>

#include <memory>
#include <sstream>

#include "app/quenorctl/change_report.h"
#include "core/testing/scripted_message_boxes.h"
#include "host/host_platform.h"
#include "host/tests/lock_holder.h"
#include "host/wineserver_detection_linux.h"
#include "tests/quenorctl/machine.h"
#include "window/quenor_window.h"
#include "window/testing/scripted_input.h"

namespace quenor::testing {
namespace {

namespace fs = std::filesystem;

// The lock a running wineserver of the prefix holds, in upstream Wine's place.
fs::path serverLockOf(const fs::path& prefix) {
    const fs::path root = fs::path("/tmp") / (".wine-" + std::to_string(::getuid()));
    if (!fs::exists(root)) {
        fs::create_directory(root);
        fs::permissions(root, fs::perms::owner_all);
    }
    return root / host::serverFolderName(prefix) / "lock";
}

TEST(WineStartedDuringAChange, ItsReportNamesTheArchivesChangeAndTheWayBack) {
    Machine machine;
    ScriptedMessageBoxes boxes;
    auto platform = host::HostPlatform::open(machine.root() / "bin" / "quenorctl",
                                             machine.environment(), files::systemFileIo());
    ASSERT_FALSE(platform->refusal());
    Tool tool(platform->services(boxes));
    const auto lastLook = tool.services.whyGameMustNotBeWritten;
    ASSERT_TRUE(lastLook);
    std::unique_ptr<host::testing::LockHolder> wine;
    tool.services.whyGameMustNotBeWritten = [&] {
        const auto why = lastLook();
        wine = std::make_unique<host::testing::LockHolder>(
            serverLockOf(machine.installation().prefix()));
        return why;
    };
    ui::Quenor window(tool);
    ASSERT_TRUE(window.Form_Load());
    const std::string archiveBefore = machine.archive();
    boxes.expect(MessageAnswer::Yes);
    boxes.expect(MessageAnswer::Ok);  // the failure
    ui::testing::clickControl(window.form(), "optResolution", 1);
    ui::testing::clickControl(window.form(), "btnApplySettings");
    ASSERT_TRUE(wine && wine->locked());

    EXPECT_NE(machine.archive(), archiveBefore);
    const std::string box = boxes.shown().back().text;
    EXPECT_NE(box.find("Wine started running"), std::string::npos) << box;
    EXPECT_NE(box.find("Quenor had changed, before it stopped: the game archive C:\\Games\\NHL 09\\"
                       "preload\\fmisc.viv (sgsm4.cfg, sgsm1.cfg, sgsm2.cfg, sgsm3.cfg)."),
              std::string::npos)
        << box;
    EXPECT_NE(box.find("\"quenorctl restore\""), std::string::npos) << box;
    bool logged = false;
    for (const std::string& line : machine.log())
        logged = logged || line.rfind("Changed before the failure: the game archive", 0) == 0;
    EXPECT_TRUE(logged);

    std::ostringstream err;
    EXPECT_EQ(ctl::reportChange(window.lastChange(), window.refusedChange(), err,
                                window.lastChangeReport()),
              1);
    EXPECT_NE(err.str().find("Not saved: "), std::string::npos) << err.str();
    EXPECT_NE(err.str().find("quenorctl: Quenor had changed, before it stopped: the game archive"),
              std::string::npos)
        << err.str();
    EXPECT_NE(err.str().find("\"quenorctl restore\""), std::string::npos) << err.str();
    window.Form_Unload();
}

// Wine started after start-up, before the change's last look: the game is not written at all.
TEST(WineStartedDuringAChange, BeforeTheLastLookNothingOfTheGameIsWritten) {
    Machine machine;
    ScriptedMessageBoxes boxes;
    auto platform = host::HostPlatform::open(machine.root() / "bin" / "quenorctl",
                                             machine.environment(), files::systemFileIo());
    Tool tool(platform->services(boxes));
    ui::Quenor window(tool);
    ASSERT_TRUE(window.Form_Load());
    const std::string archiveBefore = machine.archive();
    const std::string registryBefore = machine.registryValues();
    host::testing::LockHolder wine(serverLockOf(machine.installation().prefix()));
    ASSERT_TRUE(wine.locked());
    boxes.expect(MessageAnswer::Yes);
    boxes.expect(MessageAnswer::Ok);
    ui::testing::clickControl(window.form(), "optResolution", 1);
    ui::testing::clickControl(window.form(), "btnApplySettings");
    EXPECT_EQ(machine.archive(), archiveBefore);
    EXPECT_EQ(machine.registryValues(), registryBefore);
    const std::string box = boxes.shown().back().text;
    EXPECT_EQ(box.rfind("The game was not changed: Wine started running for the prefix", 0), 0u)
        << box;
    EXPECT_TRUE(window.lastChangeReport().written.empty());
    window.Form_Unload();
}

}  // namespace
}  // namespace quenor::testing
