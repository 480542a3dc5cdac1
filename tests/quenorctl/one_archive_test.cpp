// One set of originals per archive: however "Install Dir" spells the way to it, whatever links
// lead to it, and whatever sets earlier versions left, a restore puts back the game as it was
// before Quenor, and an archive Quenor wrote is never kept as an original.
#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include "app/quenorctl/quenorctl.h"
#include "lib/digest/sha256.h"
#include "lib/files/file_io.h"
#include "lib/viv/archive_edit.h"
#include "tests/quenorctl/machine.h"
#include "tool/originals/kept_originals.h"

namespace quenor::testing {
namespace {

namespace fs = std::filesystem;

// "Install Dir" as the game's registry file holds it, rewritten as a launcher or a reinstall
// might write it.
void setInstallDir(const Machine& machine, const std::string& folder) {
    const fs::path file = machine.installation().prefix() / "system.reg";
    std::string text = readFileOrMissing(file);
    const std::string name = "\"Install Dir\"=\"";
    const std::size_t at = text.find(name);
    ASSERT_NE(at, std::string::npos);
    const std::size_t end = text.find('\n', at);
    std::string escaped;
    for (char c : folder) escaped += c == '\\' ? std::string("\\\\") : std::string(1, c);
    text.replace(at, end - at, name + escaped + "\"");
    writeFileBytes(file, text);
}

nlohmann::json statusOf(Machine& machine) {
    std::string out;
    std::string err;
    EXPECT_EQ(machine.quenorctl({"status", "--json"}, &out, &err), ctl::kDone) << err;
    return nlohmann::json::parse(out);
}

void done(Machine& machine, std::vector<std::string> arguments) {
    std::string err;
    ASSERT_EQ(machine.quenorctl(arguments, nullptr, &err), ctl::kDone) << err;
}

TEST(OneArchive, EverySpellingOfInstallDirReachesOneSetOfOriginals) {
    const auto windowsPath = [](const fs::path& host) {
        std::string text = "Z:" + host.string() + "\\";
        for (char& c : text) c = c == '/' ? '\\' : c;
        return text;
    };
    const std::vector<std::function<std::string(const Machine&)>> spellings = {
        [](const Machine&) { return std::string("C:/Games/NHL 09/"); },
        [](const Machine&) { return std::string("c:\\games\\\\NHL 09\\"); },
        [&](const Machine& m) { return windowsPath(m.installation().gameFolder()); },
    };
    for (const auto& spelling : spellings) {
        Machine machine;
        fs::create_directory_symlink("/", machine.installation().prefix() / "dosdevices/z:");
        const std::string pristine = machine.archive();
        const std::string values = machine.registryValues();
        done(machine, {"apply", "--yes", "--resolution", "1600x1000"});
        setInstallDir(machine, spelling(machine));
        SCOPED_TRACE(spelling(machine));
        done(machine, {"apply", "--yes", "--resolution", "1280x800"});
        const nlohmann::json originals = statusOf(machine)["originals"];
        EXPECT_EQ(originals["kept"], true) << originals;
        EXPECT_EQ(originals["otherSets"], nlohmann::json::array()) << originals;
        done(machine, {"restore"});
        EXPECT_EQ(machine.archive(), pristine);
        EXPECT_EQ(machine.registryValues().substr(0, values.find("Resolution=")),
                  values.substr(0, values.find("Resolution=")));
    }
}

// A set as an earlier version left it beside the first, named after another spelling of the
// archive's path, holding the archive as Quenor's first change left it: the bug that kept
// Quenor's own archive as the originals. Returns its folder.
fs::path plantSetOfQuenorsArchive(const Machine& machine, const fs::path& first,
                                  const std::string& taken) {
    const fs::path planted = first.parent_path() /
                             originals::installationFolderName("C:/Games/NHL 09/preload/fmisc.viv");
    fs::create_directories(planted);
    const std::string archive = machine.archive();
    writeFileBytes(planted / "fmisc.viv", archive);
    nlohmann::json record = nlohmann::json::parse(readFileOrMissing(first / "originals"));
    record["archive"]["path"] = "C:/Games/NHL 09/preload/fmisc.viv";
    record["archive"]["size"] = archive.size();
    digest::Sha256 sha;
    sha.update({reinterpret_cast<const std::uint8_t*>(archive.data()), archive.size()});
    record["archive"]["sha256"] = digest::hex(sha.finish());
    record["archive"]["taken"] = taken;
    writeFileBytes(planted / "originals", record.dump());
    return planted;
}

TEST(OneArchive, TheSetUsedIsTheOldestThatHoldsNoArchiveQuenorWrote) {
    for (const char* taken : {"2000-01-01 00:00:00", "2099-01-01 00:00:00"}) {
        SCOPED_TRACE(taken);
        Machine machine;
        const std::string pristine = machine.archive();
        done(machine, {"apply", "--yes", "--resolution", "1600x1000"});
        const fs::path first = statusOf(machine)["originals"]["folder"];
        const fs::path planted = plantSetOfQuenorsArchive(machine, first, taken);

        const nlohmann::json originals = statusOf(machine)["originals"];
        EXPECT_EQ(originals["folder"], first.string());
        ASSERT_EQ(originals["otherSets"].size(), 1u) << originals;
        const std::string other = originals["otherSets"][0];
        EXPECT_EQ(other.rfind(planted.string() + " (taken " + taken + ")", 0), 0u) << other;
        EXPECT_NE(other.find("its archive is one Quenor wrote"), std::string::npos) << other;

        done(machine, {"restore"});
        EXPECT_EQ(machine.archive(), pristine);
        EXPECT_TRUE(fs::exists(planted / "originals")) << "the other set is left alone";
    }
}

TEST(OneArchive, AnArchiveQuenorWroteIsNeverKeptAsTheOriginal) {
    Machine machine;
    done(machine, {"apply", "--yes", "--resolution", "1600x1000"});
    // The game folder copied elsewhere, changed archive and all, and "Install Dir" pointed at
    // the copy: it has no originals of its own.
    const fs::path copy = machine.installation().prefix() / "drive_c/Copy of NHL 09";
    fs::copy(machine.installation().gameFolder(), copy, fs::copy_options::recursive);
    setInstallDir(machine, "C:\\Copy of NHL 09\\");
    const std::string archive = readFileOrMissing(copy / "preload/fmisc.viv");
    const std::string values = machine.registryValues();
    const std::size_t sets = statusOf(machine)["originals"]["otherSets"].size();

    std::string err;
    EXPECT_EQ(machine.quenorctl({"apply", "--yes", "--resolution", "1280x800"}, nullptr, &err),
              ctl::kFailed);
    EXPECT_NE(err.find("is a version Quenor wrote"), std::string::npos) << err;
    EXPECT_NE(err.find("quenorctl restore --forget"), std::string::npos) << err;
    EXPECT_EQ(readFileOrMissing(copy / "preload/fmisc.viv"), archive);
    EXPECT_EQ(machine.registryValues(), values);
    const nlohmann::json originals = statusOf(machine)["originals"];
    EXPECT_EQ(originals["kept"], false) << originals;
    EXPECT_EQ(originals["otherSets"].size(), sets);
}

TEST(OneArchive, WritesLandWhereALinkToTheArchiveLeadsAndTheLinkStays) {
    // The archive lies elsewhere; the game folder holds a link to it: one from the root, and
    // one relative to the folder as the system reaches it (through the drive's link).
    const std::vector<std::pair<const char*, std::function<fs::path(const Machine&)>>> links = {
        {"absolute", [](const Machine& m) { return m.root() / "elsewhere" / "fmisc.viv"; }},
        {"relative, above the drive's folder",
         [](const Machine&) { return fs::path("../../../../shared/fmisc.viv"); }},
    };
    for (const auto& [name, target] : links) {
        SCOPED_TRACE(name);
        Machine machine;
        const fs::path archive = machine.installation().archive();
        const fs::path link = target(machine);
        const fs::path file =
            link.is_absolute() ? link : machine.installation().prefix() / "shared" / "fmisc.viv";
        fs::create_directories(file.parent_path());
        fs::rename(archive, file);
        fs::create_symlink(link, archive);
        const std::string pristine = readFileOrMissing(file);

        done(machine, {"apply", "--yes", "--resolution", "1600x1000"});
        EXPECT_NE(readFileOrMissing(file), pristine);
        done(machine, {"restore"});
        EXPECT_TRUE(fs::is_symlink(archive));
        EXPECT_EQ(readFileOrMissing(file), pristine);
        for (const fs::path& folder : {archive.parent_path(), file.parent_path()}) {
            for (const auto& entry : fs::directory_iterator(folder))
                EXPECT_EQ(entry.path().filename(), "fmisc.viv") << "left in " << folder;
        }
    }
}

TEST(OneArchive, AChangeThatCannotReadTheArchiveKeepsNothing) {
    const std::vector<std::pair<const char*, std::function<void(const fs::path&)>>> spoils = {
        {"missing", [](const fs::path& a) { fs::remove(a); }},
        {"empty", [](const fs::path& a) { writeFileBytes(a, ""); }},
        {"cut short",
         [](const fs::path& a) { writeFileBytes(a, readFileOrMissing(a).substr(0, 100)); }},
    };
    for (const auto& [name, spoil] : spoils) {
        SCOPED_TRACE(name);
        Machine machine;
        const std::string pristine = machine.archive();
        spoil(machine.installation().archive());
        EXPECT_EQ(machine.quenorctl({"apply", "--yes", "--resolution", "1280x800"}), ctl::kFailed);
        const fs::path folder = machine.installation().prefix() / ".quenor/originals";
        if (fs::exists(folder)) {
            for (const auto& entry : fs::recursive_directory_iterator(folder))
                EXPECT_FALSE(entry.is_regular_file()) << entry.path() << " was kept";
        }
        // Repaired, the game is changed and restored to what it is now.
        writeFileBytes(machine.installation().archive(), pristine);
        done(machine, {"apply", "--yes", "--resolution", "1600x1000"});
        done(machine, {"restore"});
        EXPECT_EQ(machine.archive(), pristine);
    }
}

TEST(OneArchive, TwoFoldersThatDifferInLetterCaseAreTwoInstallations) {
    Machine machine;
    const fs::path games = machine.installation().gameFolder().parent_path();
    fs::copy(games / "NHL 09", games / "nhl 09", fs::copy_options::recursive);
    std::string text = machine.installation().entry("sgsm4.cfg");
    text.replace(text.find("deviceheight 1200"), 17, "deviceheight 1199");
    viv::putEntry(files::systemFileIo(), games / "nhl 09/preload/fmisc.viv", "sgsm4.cfg",
                  std::vector<std::uint8_t>(text.begin(), text.end()));
    const std::string other = readFileOrMissing(games / "nhl 09/preload/fmisc.viv");
    done(machine, {"apply", "--yes", "--resolution", "1600x1000"});
    const std::string changed = machine.archive();
    setInstallDir(machine, "C:\\Games\\nhl 09\\");
    done(machine, {"apply", "--yes", "--resolution", "1600x1000"});
    done(machine, {"restore"});
    EXPECT_EQ(readFileOrMissing(games / "nhl 09/preload/fmisc.viv"), other);
    EXPECT_EQ(machine.archive(), changed) << "the other folder's game was touched";
}

TEST(OneArchive, AnInstallDirNoCommandCanUseIsRefusedByEvery) {
    const struct {
        const char* installDir;
        const char* why;
    } rows[] = {
        {"NHL 09\\", "it is not a full path"},
        {"..\\Games\\NHL 09\\", "it is not a full path"},
        {"\\\\server\\games\\NHL 09\\", "it is a network path"},
        {"\\Games\\NHL 09\\", "it names no drive"},
        {"C:Games\\NHL 09\\", "no separator after the drive"},
        {"/tmp/NHL 09/", "it names no drive"},  // a host path, in a prefix
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.installDir);
        Machine machine;
        done(machine, {"apply", "--yes", "--resolution", "1600x1000"});
        setInstallDir(machine, row.installDir);
        const std::string values = machine.registryValues();
        const std::string archive = machine.archive();
        std::string out;
        std::string err;
        EXPECT_EQ(machine.quenorctl({"status", "--json"}, &out, &err), ctl::kFailed);
        const nlohmann::json json = nlohmann::json::parse(out);
        EXPECT_NE(json["game"]["archiveError"].get<std::string>().find(row.why), std::string::npos)
            << json["game"];
        EXPECT_TRUE(json["game"]["frames"].empty());
        EXPECT_EQ(machine.quenorctl({"apply", "--yes", "--resolution", "1280x800"}, &out, &err),
                  ctl::kFailed);
        EXPECT_NE(err.find("names no whole folder"), std::string::npos) << err;
        EXPECT_EQ(machine.quenorctl({"restore"}, &out, &err), ctl::kFailed);
        EXPECT_NE(err.find(row.why), std::string::npos) << err;
        EXPECT_EQ(machine.registryValues(), values);
        EXPECT_EQ(machine.archive(), archive);
    }
}

TEST(OneArchive, StatusNotesAnInstallDirWithoutItsFinalSeparator) {
    Machine machine;
    setInstallDir(machine, "C:\\Games\\NHL 09");
    std::string out;
    machine.quenorctl({"status"}, &out);
    EXPECT_NE(out.find("Note: \"Install Dir\" does not end with \"\\\""), std::string::npos) << out;
}

}  // namespace
}  // namespace quenor::testing
