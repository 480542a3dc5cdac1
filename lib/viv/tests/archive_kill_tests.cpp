// A process killed at random moments while it updates an archive leaves it readable, holding
// one of the versions it was writing.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <random>
#include <set>
#include <thread>

#include "lib/files/file_io.h"
#include "lib/viv/archive_create.h"
#include "lib/viv/archive_edit.h"
#include "lib/viv/tests/archive_test_support.h"

namespace quenor::viv {
namespace {

using testing::Bytes;
using testing::noise;
using testing::readAllEntries;

// The versions the writer cycles through: small, across a page, larger than a page.
std::vector<Bytes> versions() {
    return {noise(100, 1), noise(4096 + 300, 2), noise(9000, 3)};
}

std::vector<NewEntry> initialEntries() {
    // 16 header bytes + 15 records of 259 bytes + one of 191 bytes put the record of
    // "straddle.cfg" across the page boundary at 4096: it is always replaced by a rewrite.
    std::vector<NewEntry> entries;
    for (int i = 0; i < 15; ++i) {
        entries.push_back({std::to_string(i + 10) + std::string(248, 'n'), noise(50, i)});
    }
    entries.push_back({std::string(182, 'm'), noise(50, 15)});
    entries.push_back({"straddle.cfg", versions()[0]});
    entries.push_back({"sgsm3.cfg", versions()[0]});
    return entries;
}

// Writes versions without end; after each finished update one byte goes down `progress`,
// so the parent can let a chosen number of updates finish whatever the machine's load.
[[noreturn]] void writeForever(const std::filesystem::path& archive, int progress) {
    try {
        const auto all = versions();
        for (std::size_t round = 1;; ++round) {
            const Bytes& content = all[round % all.size()];
            putEntry(files::systemFileIo(), archive, round % 4 == 0 ? "straddle.cfg" : "sgsm3.cfg",
                     content);
            const char done = 1;
            if (write(progress, &done, 1) != 1) _exit(4);
        }
    } catch (...) {
        _exit(3);
    }
}

TEST(ArchiveKill, AKilledWriterLeavesOneOfTheVersions) {
    const auto folder = testing::freshTempFolder("kill");
    const auto archive = folder / "fmisc.viv";
    const auto entries = initialEntries();
    createArchive(files::systemFileIo(), archive, {}, entries);
    const auto allowed = versions();

    std::mt19937 random(12345);
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
    int rounds = 0;
    std::set<std::size_t> seen;  // versions found in the last two entries
    for (; rounds < 50 && std::chrono::steady_clock::now() < deadline; ++rounds) {
        int progress[2];
        ASSERT_EQ(pipe(progress), 0);
        pid_t child = fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            close(progress[0]);
            writeForever(archive, progress[1]);
        }
        close(progress[1]);
        // Let 0 to 4 updates finish, then kill at a random moment of the next ones.
        for (unsigned finished = random() % 5; finished > 0; --finished) {
            char done = 0;
            ASSERT_EQ(read(progress[0], &done, 1), 1) << "the writer died in round " << rounds;
        }
        std::this_thread::sleep_for(std::chrono::microseconds(random() % 20000));
        kill(child, SIGKILL);
        close(progress[0]);
        int status = 0;
        waitpid(child, &status, 0);
        ASSERT_TRUE(WIFSIGNALED(status)) << "the writer stopped by itself in round " << rounds;

        auto now = readAllEntries(files::systemFileIo(), archive);
        ASSERT_EQ(now.size(), entries.size());
        for (std::size_t i = 0; i < entries.size(); ++i) {
            ASSERT_EQ(now[i].first, entries[i].name);
            if (i + 2 < entries.size()) {
                ASSERT_EQ(now[i].second, entries[i].plain) << "round " << rounds;
            } else {
                auto found = std::find(allowed.begin(), allowed.end(), now[i].second);
                ASSERT_NE(found, allowed.end())
                    << entries[i].name << " holds a torn version in round " << rounds;
                seen.insert(static_cast<std::size_t>(found - allowed.begin()) + 10 * i);
            }
        }
    }
    EXPECT_GE(rounds, 10);
    EXPECT_GE(seen.size(), 4u) << "the writer made too little progress to test anything";
    // Dead space is reused: a few versions of 9000 bytes at most, not one per round.
    EXPECT_LT(std::filesystem::file_size(archive), 80000u);
    std::filesystem::remove_all(folder);
}

}  // namespace
}  // namespace quenor::viv
