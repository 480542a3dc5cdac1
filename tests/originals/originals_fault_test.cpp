// Faults at every point of keeping the originals and of restoring them (a failing rename, sync
// or write, a full disk, a disk that drops writes): no file is ever torn, a change whose
// originals could not be kept does not happen, and a second restore finishes what the first
// began.
#include <gtest/gtest.h>

#include <functional>
#include <map>
#include <utility>

#include "core/testing/temp_folder.h"
#include "lib/digest/sha256.h"
#include "lib/viv/archive_reader.h"
#include "tests/originals/originals_test_support.h"
#include "tool/originals/kept_originals.h"
#include "tool/originals/originals_places.h"
#include "tool/originals/restore_originals.h"
#include "window/quenor_layout.h"

namespace quenor::testing {
namespace {

constexpr const char* kUntouched = "GFX Mode=<absent> OnPlay Player=<absent> no EA Sports key";

// The archive opens and every entry reads: it is whole, whichever version it holds.
void expectWholeArchive(const std::filesystem::path& archive) {
    viv::ArchiveReader reader(files::systemFileIo(), archive);
    for (std::size_t i = 0; i < reader.directory().entries.size(); ++i) reader.readPlain(i);
}

std::string restore(HeadlessTool& tool) {
    const auto done =
        originals::restoreOriginals(tool.tool().services, tool.tool().settings.strFMISCpath, false);
    return done.empty() ? "" : done.front();
}

// Runs `step` on a fresh installation with each fault of each kind in turn; `step` tells
// whether the fault was met, and a kind ends at its first fault that is not.
void atEveryFault(
    const std::function<bool(HeadlessTool&, ChosenFileIo&, files::FaultInjectingFileIo&)>& step) {
    for (FaultKind kind : kFaultKinds) {
        for (int n = 0;; ++n) {
            SCOPED_TRACE("fault kind " + std::to_string(static_cast<int>(kind)) + " at " +
                         std::to_string(n));
            ChosenFileIo io;
            HeadlessTool tool({.fileIo = &io});
            files::FaultInjectingFileIo failing(files::systemFileIo(), faultAt(kind, n));
            if (!step(tool, io, failing)) break;
        }
    }
}

TEST(OriginalsFaults, AChangeWhoseOriginalsCannotBeKeptChangesNothing) {
    int failedWhileKeeping = 0;
    atEveryFault([&](HeadlessTool& tool, ChosenFileIo& io, files::FaultInjectingFileIo& failing) {
        const std::string pristine = readFileOrMissing(tool.archivePath());
        EXPECT_TRUE(tool.start());
        io.current = &failing;
        applyPreset(tool);
        io.current = &files::systemFileIo();
        const bool failed = tool.boxesShown().back().title != "All done!";
        if (!failing.fired() && !failed) return false;

        // Started again on what the files hold, as after a crash.
        EXPECT_TRUE(tool.start());
        expectWholeArchive(tool.archivePath());
        if (tool.boxesShown()[1].text.find("Quenor keeps what it changes") != std::string::npos) {
            ++failedWhileKeeping;
            EXPECT_EQ(readFileOrMissing(tool.archivePath()), pristine);
            EXPECT_EQ(gameValues(tool), kUntouched);
        }
        const originals::KeptOriginals kept =
            originals::findOriginals(tool.tool().services, tool.tool().settings.strFMISCpath).kept;
        if (kept.record()) restore(tool);
        EXPECT_EQ(readFileOrMissing(tool.archivePath()), pristine);
        EXPECT_EQ(gameValues(tool), kUntouched);
        return true;
    });
    EXPECT_GE(failedWhileKeeping, 5) << "the faults missed the keeping of originals";
}

TEST(OriginalsFaults, AFolderThatCannotBeMadeStopsTheChangeAndIsNamed) {
    ChosenFileIo io;
    HeadlessTool tool({.fileIo = &io});
    files::FaultInjectingFileIo failing(files::systemFileIo(), faultAt(FaultKind::FolderCreate, 0));
    const std::string pristine = readFileOrMissing(tool.archivePath());
    ASSERT_TRUE(tool.start());
    io.current = &failing;
    applyPreset(tool);
    io.current = &files::systemFileIo();
    ASSERT_TRUE(failing.fired());
    const std::string said = tool.boxesShown().back().text;
    EXPECT_NE(said.find("The folder " + tool.originalsFolder().string()), std::string::npos)
        << said;
    EXPECT_NE(said.find("cannot be made: injected fault."), std::string::npos) << said;
    EXPECT_EQ(readFileOrMissing(tool.archivePath()), pristine);
    EXPECT_EQ(gameValues(tool), kUntouched);
}

TEST(OriginalsFaults, AFailedRestoreLeavesWholeFilesAndASecondOneFinishes) {
    atEveryFault([](HeadlessTool& tool, ChosenFileIo& io, files::FaultInjectingFileIo& failing) {
        const std::string pristine = readFileOrMissing(tool.archivePath());
        EXPECT_TRUE(tool.start());
        applyPreset(tool);
        EXPECT_EQ(tool.boxesShown().back().title, "All done!");
        const std::string patched = readFileOrMissing(tool.archivePath());

        io.current = &failing;
        bool failed = false;
        try {
            restore(tool);
        } catch (const originals::OriginalsError&) {
            failed = true;
        }
        io.current = &files::systemFileIo();
        if (!failing.fired() && !failed) return false;

        const std::string archive = readFileOrMissing(tool.archivePath());
        EXPECT_TRUE(archive == pristine || archive == patched) << "a torn archive";
        EXPECT_TRUE(tool.start()) << "the registry files no longer load";
        restore(tool);
        EXPECT_EQ(readFileOrMissing(tool.archivePath()), pristine);
        EXPECT_EQ(gameValues(tool), kUntouched);
        return true;
    });
}

// Counts, per file name, the files replaced through it.
class ReplacementCount : public files::FileIoWrapper {
  public:
    ReplacementCount() : files::FileIoWrapper(files::systemFileIo()) {}
    void renameFile(const std::filesystem::path& from, const std::filesystem::path& to) override {
        ++replaced[to.filename().string()];
        files::FileIoWrapper::renameFile(from, to);
    }
    std::map<std::string, int> replaced;
};

// However many values an operation writes (Apply and Reset ten, a first start eight, a restore
// two and a key), the registry file that holds them is written once for it.
TEST(RegistrySaves, EachOperationWritesTheRegistryFileOnce) {
    ChosenFileIo io;
    ReplacementCount counting;
    io.current = &counting;
    HeadlessTool tool({.fileIo = &io});
    const auto userRegWrites = [&] { return std::exchange(counting.replaced["user.reg"], 0); };
    ASSERT_TRUE(tool.start());  // the first start writes the settings
    EXPECT_EQ(userRegWrites(), 1);
    applyPreset(tool);
    EXPECT_EQ(userRegWrites(), 1);
    tool.answer(MessageAnswer::Ok);
    tool.answer(MessageAnswer::Ok);
    tool.click(ui::control_names::kBtnSetDefaults);
    EXPECT_EQ(userRegWrites(), 1);
    EXPECT_NE(restore(tool), "");
    EXPECT_EQ(userRegWrites(), 1);
    EXPECT_EQ(gameValues(tool), kUntouched);
}

// The disk refuses to put a new user.reg in place: Apply's values are not saved, and the one
// box that says so names the file, the cause and the values; the game's values stay as they
// were in the file and in memory.
TEST(RegistrySaves, ASaveThatFailsIsReportedOnceWithTheValuesNotSaved) {
    class RefusingUserReg : public files::FileIoWrapper {
      public:
        RefusingUserReg() : files::FileIoWrapper(files::systemFileIo()) {}
        void renameFile(const std::filesystem::path& from,
                        const std::filesystem::path& to) override {
            if (to.filename() == "user.reg") throw files::FileIoError("Renaming failed: no way.");
            files::FileIoWrapper::renameFile(from, to);
        }
    } refusing;
    ChosenFileIo io;
    HeadlessTool tool({.fileIo = &io});
    ASSERT_TRUE(tool.start());
    io.current = &refusing;
    const std::size_t boxesBefore = tool.boxesShown().size();
    applyPreset(tool);
    std::vector<std::string> failures;
    for (std::size_t i = boxesBefore; i < tool.boxesShown().size(); ++i) {
        if (tool.boxesShown()[i].icon == MessageIcon::Critical)
            failures.push_back(tool.boxesShown()[i].text);
    }
    ASSERT_EQ(failures.size(), 1u);
    for (const std::string& part :
         {(tool.prefixFolder() / "user.reg").string(), std::string("Renaming failed: no way."),
          std::string("Not saved: HKEY_CURRENT_USER\\Software\\EA Sports\\NHL 09\\GFX Mode"),
          std::string("HKEY_CURRENT_USER\\Software\\EA Sports\\NHL 09\\Details "
                      "Settings\\OnPlay Player")}) {
        EXPECT_NE(failures[0].find(part), std::string::npos) << part << "\n" << failures[0];
    }
    const std::string log = tool.log();
    EXPECT_NE(log.find("Saving the registry failed - "), std::string::npos) << log;
    io.current = &files::systemFileIo();
    EXPECT_EQ(gameValues(tool), kUntouched);
}

}  // namespace
}  // namespace quenor::testing
