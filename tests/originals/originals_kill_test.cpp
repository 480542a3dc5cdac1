// A process killed at random moments while it applies and restores: every file stays whole
// (the archive, the registry files, the kept originals), and a restore run afterwards puts
// the installation back as it was before Quenor.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <random>

#include "lib/viv/archive_edit.h"
#include "lib/viv/archive_reader.h"
#include "tests/originals/originals_test_support.h"
#include "tool/originals/kept_originals.h"
#include "tool/originals/originals_places.h"
#include "tool/originals/restore_originals.h"
#include "tool/testing/fake_installation.h"

namespace quenor::testing {
namespace {

constexpr const char* kUntouched = "GFX Mode=<absent> OnPlay Player=<absent> no EA Sports key";

// Applies and restores without end; a byte goes down `progress` after each step, so that the
// parent can kill it a chosen number of steps in, whatever the machine's load.
[[noreturn]] void applyAndRestoreForever(HeadlessTool& tool, int progress) {
    try {
        for (int round = 0;; ++round) {
            tool.start();
            applyPreset(tool, round % 3);
            const char step = 1;
            if (write(progress, &step, 1) != 1) _exit(4);
            originals::restoreOriginals(tool.tool().services, tool.tool().settings.strFMISCpath,
                                        false);
            if (write(progress, &step, 1) != 1) _exit(4);
        }
    } catch (const std::exception& error) {
        std::fprintf(stderr, "the child failed: %s\n", error.what());
        _exit(3);
    }
}

TEST(OriginalsKill, AKilledApplyOrRestoreLeavesWholeFilesAndTheNextRestoreFinishes) {
    std::mt19937 random(2026);
    for (int round = 0; round < 6; ++round) {
        SCOPED_TRACE("round " + std::to_string(round));
        HeadlessTool tool;
        // A large entry, so that copies and checksums take long enough to be cut.
        std::vector<std::uint8_t> filler(4 << 20);
        for (auto& byte : filler) byte = static_cast<std::uint8_t>(random());
        viv::putEntry(files::systemFileIo(), tool.archivePath(), "filler.bin", filler);
        const std::string pristine = readFileOrMissing(tool.archivePath());

        int pipeEnds[2];
        ASSERT_EQ(pipe(pipeEnds), 0);
        const pid_t child = fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            close(pipeEnds[0]);
            applyAndRestoreForever(tool, pipeEnds[1]);
        }
        close(pipeEnds[1]);
        // Round r lets r steps finish, then kills at a random moment of the next one.
        char step = 0;
        for (int done = 0; done < round % 4; ++done) ASSERT_EQ(read(pipeEnds[0], &step, 1), 1);
        usleep(std::uniform_int_distribution<useconds_t>(0, 150000)(random));
        kill(child, SIGKILL);
        int status = 0;
        waitpid(child, &status, 0);
        close(pipeEnds[0]);
        ASSERT_TRUE(WIFSIGNALED(status)) << "the child ended by itself: " << status;

        // Whole files: the archive reads, the registry files load, the record reads.
        {
            viv::ArchiveReader reader(files::systemFileIo(), tool.archivePath());
            for (std::size_t i = 0; i < reader.directory().entries.size(); ++i) reader.readPlain(i);
        }
        ASSERT_TRUE(tool.start()) << "the registry files no longer load";
        const originals::KeptOriginals kept =
            originals::findOriginals(tool.tool().services, tool.tool().settings.strFMISCpath).kept;
        const bool restored = kept.record().has_value();
        if (restored) {
            originals::restoreOriginals(tool.tool().services, tool.tool().settings.strFMISCpath,
                                        false);
        }
        EXPECT_EQ(readFileOrMissing(tool.archivePath()), pristine);
        EXPECT_EQ(gameValues(tool), kUntouched);
        // The killed child's temporary copies went with the restore, which held the lock.
        for (const std::filesystem::path& folder : {tool.prefixFolder(), tool.originalsFolder()}) {
            if (!restored || !std::filesystem::exists(folder)) continue;
            for (const auto& entry : std::filesystem::recursive_directory_iterator(folder)) {
                EXPECT_EQ(entry.path().filename().string().find(".quenor-new-"), std::string::npos)
                    << "left behind: " << entry.path();
            }
        }
    }
}

// A file layer that kills its process at the n-th sync of one file: a change cut off between
// two writes of the archive, whether they commit in place or by a rename.
class KillAtSync final : public files::FileIoWrapper {
  public:
    KillAtSync(files::FileIo& target, std::filesystem::path file, int n)
        : FileIoWrapper(target), file_(std::move(file)), left_(n) {}

    std::unique_ptr<files::FileHandle> open(const std::filesystem::path& path, files::OpenMode mode,
                                            std::uint32_t permissions) override {
        auto handle = FileIoWrapper::open(path, mode, permissions);
        const bool watched =
            path == file_ ||
            path.filename().string().rfind(file_.filename().string() + ".quenor-new", 0) == 0;
        if (!watched || mode == files::OpenMode::kRead) return handle;
        return std::make_unique<Handle>(std::move(handle), left_);
    }

  private:
    struct Handle final : files::FileHandle {
        Handle(std::unique_ptr<files::FileHandle> inner, int& left)
            : inner_(std::move(inner)), left_(left) {}
        std::uint64_t size() override { return inner_->size(); }
        void readAt(std::uint64_t at, std::span<std::uint8_t> out) override {
            inner_->readAt(at, out);
        }
        void writeAt(std::uint64_t at, std::span<const std::uint8_t> data) override {
            inner_->writeAt(at, data);
        }
        void truncate(std::uint64_t size) override { inner_->truncate(size); }
        void sync() override {
            inner_->sync();
            if (--left_ == 0) raise(SIGKILL);
        }
        std::unique_ptr<files::FileHandle> inner_;
        int& left_;
    };
    std::filesystem::path file_;
    int left_;
};

TEST(OriginalsKill, ACutOffChangeIsQuenorsAReplacementAfterItIsNot) {
    for (const bool replaced : {false, true}) {
        SCOPED_TRACE(replaced ? "the game updated after the cut" : "nothing else after the cut");
        ChosenFileIo io;
        HeadlessTool tool({.fileIo = &io});
        const std::string pristine = readFileOrMissing(tool.archivePath());
        ASSERT_TRUE(tool.start());
        const pid_t child = fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            KillAtSync killer(files::systemFileIo(), tool.archivePath(), 3);
            io.current = &killer;
            applyPreset(tool);
            _exit(0);  // not cut off: the test below fails
        }
        int status = 0;
        waitpid(child, &status, 0);
        ASSERT_TRUE(WIFSIGNALED(status)) << "the change was not cut off";
        if (replaced) writeDemoArchive(tool.archivePath(), {1, 2, 3});
        const std::string before = readFileOrMissing(tool.archivePath());

        ASSERT_TRUE(tool.start());
        auto& services = tool.tool().services;
        const std::string archive = tool.tool().settings.strFMISCpath;
        if (replaced) {
            EXPECT_THROW(originals::restoreOriginals(services, archive, false),
                         originals::OriginalsError);
            EXPECT_EQ(readFileOrMissing(tool.archivePath()), before);
            originals::restoreOriginals(services, archive, true);
        } else {
            EXPECT_NE(before, pristine) << "the cut came before the first write";
            originals::restoreOriginals(services, archive, false);
        }
        EXPECT_EQ(readFileOrMissing(tool.archivePath()), pristine);
        EXPECT_EQ(gameValues(tool), kUntouched);
    }
}

}  // namespace
}  // namespace quenor::testing
