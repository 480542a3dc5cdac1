// Two Quenors meet on one installation: the same prefix reached through a symbolic link, the
// originals an earlier version kept under that path, a holder of the change lock killed or
// still at work, and a window whose registry another Quenor changed while it was open.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <nlohmann/json.hpp>

#include "app/quenorctl/quenorctl.h"
#include "core/testing/fake_platform.h"
#include "host/user_folders_posix.h"
#include "lib/registry/store_values.h"
#include "lib/registry/wine/testing/disk_store.h"
#include "lib/registry/wine/wine_file_store.h"
#include "tests/quenorctl/machine.h"
#include "window/quenor_layout.h"
#include "window/testing/scripted_input.h"

namespace quenor::testing {
namespace {

namespace fs = std::filesystem;
namespace names = ui::control_names;

// The machine's prefix reached through a link to the folder that holds it, as ~/Games is a
// link to another disk on many machines.
fs::path linkedPrefix(const Machine& machine) {
    const fs::path link = machine.root() / "games-link";
    if (!fs::exists(link)) fs::create_directory_symlink(machine.root(), link);
    return link / machine.installation().prefix().filename();
}

std::string originalsFolderOf(Machine& machine, const fs::path& prefix) {
    std::string out;
    machine.quenorctl({"--prefix", prefix.string(), "status", "--json"}, &out);
    return nlohmann::json::parse(out)["originals"]["folder"].get<std::string>();
}

// Where an earlier version kept the originals of the prefix reached through the link: below
// the home, named by that path.
fs::path earlierFolderOf(Machine& machine, const fs::path& link, const fs::path& current) {
    const MapEnvironment environment({{"HOME", machine.home().string()}});
    const auto folders =
        host::earlierOriginalsFolders(environment, machine.installation().prefix(), link);
    return folders.back() / current.filename();
}

// The game's two values of Machine::registryValues(), without Quenor's settings.
std::string gameValues(const std::string& values) {
    return values.substr(0, values.find("Resolution="));
}

void done(Machine& machine, std::vector<std::string> arguments) {
    std::string err;
    ASSERT_EQ(machine.quenorctl(arguments, nullptr, &err), ctl::kDone) << err;
}

TEST(TwoQuenors, APrefixReachedThroughALinkIsTheSameInstallation) {
    Machine machine;
    const std::string pristine = machine.archive();
    const std::string values = machine.registryValues();
    const fs::path real = machine.installation().prefix();
    const fs::path link = linkedPrefix(machine);
    done(machine, {"--prefix", real.string(), "apply", "--resolution", "1280x800", "--yes"});
    done(machine, {"--prefix", link.string(), "apply", "--resolution", "1600x1000", "--yes"});
    EXPECT_EQ(originalsFolderOf(machine, link), originalsFolderOf(machine, real));
    done(machine, {"--prefix", link.string() + "/", "restore"});
    EXPECT_EQ(machine.archive(), pristine);
    EXPECT_EQ(gameValues(machine.registryValues()), gameValues(values));
}

TEST(TwoQuenors, OriginalsAnEarlierVersionKeptUnderTheLinkAreFound) {
    for (const bool bothKept : {false, true}) {
        SCOPED_TRACE(bothKept ? "kept in the prefix and under the link" : "kept under the link");
        Machine machine;
        const std::string pristine = machine.archive();
        const fs::path link = linkedPrefix(machine);
        done(machine, {"--prefix", link.string(), "apply", "--resolution", "1280x800", "--yes"});
        const fs::path current = originalsFolderOf(machine, link);
        ASSERT_EQ(current.parent_path(), machine.installation().prefix() / ".quenor/originals");
        const fs::path earlier = earlierFolderOf(machine, link, current);
        fs::create_directories(earlier.parent_path());
        fs::copy(current, earlier, fs::copy_options::recursive);
        if (!bothKept) fs::remove_all(current);

        std::string out;
        std::string err;
        machine.quenorctl({"--prefix", link.string(), "status"}, &out);
        if (bothKept) {
            // The set this version keeps is used; the other is shown and left alone.
            EXPECT_NE(out.find("another set of this archive, left alone"), std::string::npos)
                << out;
            EXPECT_NE(out.find(earlier.string() + " ("), std::string::npos) << out;
            done(machine, {"--prefix", link.string(), "restore"});
            EXPECT_EQ(machine.archive(), pristine);
            EXPECT_TRUE(fs::exists(earlier / "originals"));
            EXPECT_EQ(
                machine.quenorctl({"--prefix", link.string(), "restore", "--forget"}, &out, &err),
                ctl::kFailed);
            done(machine, {"--prefix", link.string(), "restore", "--forget", earlier.string()});
            EXPECT_FALSE(fs::exists(earlier));
        } else {
            EXPECT_NE(out.find("Originals: kept in " + earlier.string()), std::string::npos) << out;
            done(machine, {"--prefix", link.string(), "restore"});
            EXPECT_EQ(machine.archive(), pristine);
            EXPECT_TRUE(fs::exists(current / "originals"));
            EXPECT_FALSE(fs::exists(earlier));
        }
    }
}

// A child process that holds the installation's change lock, as another Quenor mid-change does.
class LockHolder {
  public:
    explicit LockHolder(const fs::path& lockFile) {
        int ready[2];
        if (::pipe(ready) != 0) return;
        pid_ = ::fork();
        if (pid_ == 0) {
            const auto lock = files::systemFileIo().tryLock(lockFile);
            const char held = lock ? 'y' : 'n';
            if (::write(ready[1], &held, 1) != 1) ::_exit(2);
            ::pause();
            ::_exit(0);
        }
        char held = 'n';
        held_ = ::read(ready[0], &held, 1) == 1 && held == 'y';
        ::close(ready[0]);
        ::close(ready[1]);
    }
    ~LockHolder() { kill(); }
    void kill() {
        if (pid_ <= 0) return;
        ::kill(pid_, SIGKILL);
        ::waitpid(pid_, nullptr, 0);
        pid_ = -1;
    }
    bool held() const { return held_; }

  private:
    pid_t pid_ = -1;
    bool held_ = false;
};

TEST(TwoQuenors, AKilledHolderOfTheLockBlocksNothing) {
    Machine machine;
    LockHolder holder(machine.installation().prefix() / ".quenor-change.lock");
    ASSERT_TRUE(holder.held());
    holder.kill();
    std::string err;
    EXPECT_EQ(machine.quenorctl({"apply", "--resolution", "1280x800", "--yes"}, nullptr, &err),
              ctl::kDone)
        << err;
    EXPECT_EQ(err.find("waiting"), std::string::npos) << "it waited: " << err;
}

TEST(TwoQuenors, AChangeWhileAnotherHoldsTheLockWaitsThenChangesNothing) {
    Machine machine;
    const std::string archive = machine.archive();
    const std::string values = machine.registryValues();
    LockHolder holder(machine.installation().prefix() / ".quenor-change.lock");
    ASSERT_TRUE(holder.held());
    std::string out;
    std::string err;
    EXPECT_EQ(machine.quenorctl({"apply", "--resolution", "1280x800", "--yes"}, &out, &err),
              ctl::kFailed);
    EXPECT_NE(err.find("waiting up to 10 seconds"), std::string::npos) << err;
    EXPECT_NE(err.find("Another Quenor is changing this installation"), std::string::npos) << err;
    EXPECT_EQ(out.find("All done!"), std::string::npos) << out;
    EXPECT_EQ(machine.archive(), archive);
    // The first start wrote the settings key before the change was refused; the game's values
    // stayed as they were.
    EXPECT_EQ(gameValues(machine.registryValues()), gameValues(values));
}

TEST(TwoQuenors, AWindowKeepsWhatAnotherQuenorWroteWhileItWasOpen) {
    Machine machine;
    done(machine, {"apply", "--resolution", "nochange", "--yes"});  // the settings key exists
    machine.window([&](ui::FormModel& form, ScriptedMessageBoxes& boxes) {
        done(machine, {"apply", "--resolution", "1024x768", "--fps", "high", "--yes"});
        ASSERT_EQ(form.control(names::kOptResolution, 3).selected, true);  // No Change
        boxes.expect(MessageAnswer::Yes);
        boxes.expect(MessageAnswer::Ok);
        ui::testing::clickControl(form, names::kBtnApplySettings);
    });
    // quenorctl's GFX Mode stays; the window's FPS boost (OFF, as it loaded it) is the last.
    reg::wine::testing::DiskStore store(machine.installation().prefix());
    const auto gfx =
        reg::readStoreValue(store, reg::kCurrentUser, "Software\\EA Sports\\NHL 09", "GFX Mode");
    const auto fps = reg::readStoreValue(
        store, reg::kCurrentUser, "Software\\EA Sports\\NHL 09\\Details Settings", "OnPlay Player");
    ASSERT_TRUE(gfx && fps);
    EXPECT_EQ(gfx->data, (std::vector<std::uint8_t>{2, 0, 0, 0}));
    EXPECT_EQ(fps->data, (std::vector<std::uint8_t>{250, 0, 0, 0}));
}

}  // namespace
}  // namespace quenor::testing
