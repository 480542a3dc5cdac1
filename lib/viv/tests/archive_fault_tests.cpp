// Every way an update can be cut short leaves the archive holding exactly the old or exactly
// the new content, and a later update still works.
#include <gtest/gtest.h>

#include <functional>

#include "lib/files/file_error.h"
#include "lib/files/testing/fault_file_io.h"
#include "lib/files/testing/memory_file_io.h"
#include "lib/viv/archive_create.h"
#include "lib/viv/archive_edit.h"
#include "lib/viv/archive_error.h"
#include "lib/viv/tests/archive_test_support.h"

namespace quenor::viv {
namespace {

using testing::Bytes;
using testing::noise;
using testing::readAllEntries;
using Contents = std::vector<std::pair<std::string, Bytes>>;

const std::filesystem::path kPath = "/game/preload/fmisc.viv";

struct Scenario {
    const char* label;
    CreateOptions options;
    std::string name;
    Bytes content;
};

std::vector<NewEntry> archiveEntries() {
    return {{"sgsm3.cfg", noise(4200, 1)},
            {"rndr.cfg", noise(300, 2)},
            {"fe.cfg", noise(900, 3)},
            {"last.cfg", noise(40, 4)}};
}

std::vector<Scenario> scenarios() {
    CreateOptions aligned;
    aligned.alignment = 64;
    aligned.sizeFieldOrder = ByteOrder::kBig;
    aligned.footerKind = FooterKind::kVersionTag;
    aligned.footer = {'L', '2', '3', '1', 0, 0, 0, 1};
    CreateOptions c0fb;
    c0fb.format = ArchiveFormat::kC0FB;
    return {
        {"replace, grows the file", {}, "rndr.cfg", noise(4400, 10)},
        {"replace, fits a gap", {}, "fe.cfg", noise(200, 11)},
        {"replace, aligned big-endian", aligned, "SGSM3.cfg", noise(4300, 12)},
        {"replace, C0FB", c0fb, "last.cfg", noise(4100, 13)},
        {"add a new entry", aligned, "new.cfg", noise(600, 14)},
        {"add a new entry, C0FB", c0fb, "new.cfg", noise(100, 15)},
    };
}

// The content the archive must hold after the scenario succeeds.
Contents expectedAfter(const Contents& before, const Scenario& s) {
    Contents after = before;
    for (auto it = after.rbegin(); it != after.rend(); ++it) {
        if (it->first.size() == s.name.size() &&
            std::equal(it->first.begin(), it->first.end(), s.name.begin(),
                       [](char a, char b) { return std::tolower(a) == std::tolower(b); })) {
            it->second = s.content;
            return after;
        }
    }
    after.emplace_back(s.name, s.content);
    return after;
}

// One scenario's archive before the update, and its content before and after.
struct Prepared {
    Bytes archive;
    Contents before;
    Contents after;
};

Prepared prepare(const Scenario& s) {
    files::MemoryFileIo disk;
    disk.put(kPath, buildArchive(s.options, archiveEntries()));
    Contents before = readAllEntries(disk, kPath);
    Contents after = expectedAfter(before, s);
    return {disk.content(kPath), before, after};
}

// Runs one scenario against `faults` and checks the archive afterwards.
void runWithFaults(const Scenario& s, const Prepared& p,
                   const files::FaultInjectingFileIo::Faults& faults,
                   std::uint64_t* bytesWritten = nullptr) {
    files::MemoryFileIo disk;
    disk.put(kPath, p.archive);
    files::FaultInjectingFileIo faulty(disk, faults);
    bool threw = false;
    try {
        putEntry(faulty, kPath, s.name, s.content);
    } catch (const ArchiveError& error) {
        threw = true;
        EXPECT_NE(std::string(error.what()).find(kPath.string()), std::string::npos)
            << error.what();
    }
    if (bytesWritten) *bytesWritten = faulty.bytesWritten();
    EXPECT_EQ(threw, faulty.fired());

    Contents now = readAllEntries(disk, kPath);
    if (!threw) {
        ASSERT_EQ(now, p.after);
    } else {
        ASSERT_TRUE(now == p.before || now == p.after) << "neither old nor new";
    }
    // A fresh update on a healthy disk works on whatever was left.
    putEntry(disk, kPath, s.name, s.content);
    ASSERT_EQ(readAllEntries(disk, kPath), p.after);
}

TEST(ArchiveFaults, AWriteCutShortAtAnyByteLeavesOldOrNew) {
    for (const Scenario& s : scenarios()) {
        SCOPED_TRACE(s.label);
        const Prepared p = prepare(s);
        std::uint64_t total = 0;
        runWithFaults(s, p, {}, &total);
        ASSERT_GT(total, s.content.size());
        for (std::uint64_t budget = 0; budget < total; ++budget) {
            SCOPED_TRACE(budget);
            files::FaultInjectingFileIo::Faults faults;
            faults.writeBudget = budget;
            runWithFaults(s, p, faults);
            if (HasFatalFailure()) return;
        }
    }
}

TEST(ArchiveFaults, AFailingSyncRenameTruncateOrFolderSyncLeavesOldOrNew) {
    for (const Scenario& s : scenarios()) {
        SCOPED_TRACE(s.label);
        const Prepared p = prepare(s);
        for (int at = 0; at < 4; ++at) {
            SCOPED_TRACE(at);
            files::FaultInjectingFileIo::Faults sync;
            sync.failingSync = at;
            runWithFaults(s, p, sync);
            files::FaultInjectingFileIo::Faults rename;
            rename.failingRename = at;
            runWithFaults(s, p, rename);
            files::FaultInjectingFileIo::Faults truncate;
            truncate.failingTruncate = at;
            runWithFaults(s, p, truncate);
            files::FaultInjectingFileIo::Faults folderSync;
            folderSync.failingFolderSync = at;
            runWithFaults(s, p, folderSync);
            if (HasFatalFailure()) return;
        }
    }
}

TEST(ArchiveFaults, AFailedReplacementDoesNotGrowTheFile) {
    // An I/O error (not a crash) before the commit: the library truncates what it appended.
    files::MemoryFileIo disk;
    disk.put(kPath, buildArchive({}, archiveEntries()));
    const Bytes original = disk.content(kPath);

    // The first sync fails as a device error does; the editor then cuts the file back.
    files::FaultInjectingFileIo::Faults firstSync;
    firstSync.failingSync = 0;
    firstSync.transient = true;
    files::FaultInjectingFileIo failing(disk, firstSync);

    try {
        putEntry(failing, kPath, "rndr.cfg", noise(20000, 5));
        FAIL() << "the failed sync was not reported";
    } catch (const ArchiveError& error) {
        EXPECT_NE(std::string(error.what()).find("still holds the old content"), std::string::npos)
            << error.what();
        EXPECT_NE(std::string(error.what()).find("rndr.cfg"), std::string::npos);
    }
    EXPECT_EQ(disk.content(kPath), original);
}

}  // namespace
}  // namespace quenor::viv
