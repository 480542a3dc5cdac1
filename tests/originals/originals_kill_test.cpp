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
#include "tool/originals/restore_originals.h"

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
        originals::KeptOriginals kept(files::systemFileIo(), tool.originalsFolder(),
                                      tool.tool().settings.strFMISCpath);
        if (kept.record()) {
            originals::restoreOriginals(tool.tool().services, tool.tool().settings.strFMISCpath,
                                        false);
        }
        EXPECT_EQ(readFileOrMissing(tool.archivePath()), pristine);
        EXPECT_EQ(gameValues(tool), kUntouched);
        // The killed child's temporary copies went with the restore, which held the lock.
        for (const std::filesystem::path& folder : {tool.prefixFolder(), tool.originalsFolder()}) {
            if (!std::filesystem::exists(folder)) continue;
            for (const auto& entry : std::filesystem::recursive_directory_iterator(folder)) {
                EXPECT_EQ(entry.path().filename().string().find(".quenor-new-"), std::string::npos)
                    << "left behind: " << entry.path();
            }
        }
    }
}

}  // namespace
}  // namespace quenor::testing
