// quenorctl run as a launcher runs it, a real process before a stand-in game (a script that
// records its arguments, its environment, the "GFX Mode" it found and whether it could take the
// change lock): the game starts exactly once, as it was given, after the stored settings were
// put back; with nothing to put right nothing is written; and whatever fails before, the game
// starts all the same, within the 3 s wait for another change and the start-up.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <signal.h>

#include <chrono>
#include <fstream>
#include <functional>
#include <map>

#include <nlohmann/json.hpp>

#include "core/testing/temp_folder.h"
#include "lib/files/file_io.h"
#include "lib/viv/archive_edit.h"
#include "lib/viv/archive_reader.h"
#include "tool/testing/fake_installation.h"

namespace quenor::testing {
namespace {

namespace fs = std::filesystem;

constexpr const char* kGame = R"(#!/bin/sh
{ echo "$#"; for a in "$@"; do echo "[$a]"; done
  echo "mark=$QUENOR_TEST_MARK"
  grep -c '"GFX Mode"=dword:00000003' "$GAME_PREFIX/user.reg"
  flock -n "$GAME_PREFIX/.quenor-change.lock" true && echo unlocked || echo locked
} >> "$GAME_RECORD"
# Listed into a file first: a pipeline's pipes are the shell's own descriptors for a moment.
ls /proc/$$/fd > "$GAME_RECORD.ls"
tr '\n' ' ' < "$GAME_RECORD.ls" > "$GAME_RECORD.fds"
exit 7
)";

struct Ran {
    int status = -1;
    std::string out;
    std::string err;
    double seconds = 0;
};

class RunMachine {
  public:
    RunMachine() : game_(folder_.path() / "prefix", withGame()) {
        fs::create_directories(folder_.path() / "bin");
        fs::create_directories(folder_.path() / "home");
        fs::copy_file(QUENORCTL_PROGRAM, folder_.path() / "bin/quenorctl");
        writeFileBytes(game(), kGame);
        fs::permissions(game(), fs::perms::owner_all);
        environment_ = {
            {"HOME", (folder_.path() / "home").string()}, {"PATH", "/usr/bin:/bin"},
            {"WINEPREFIX", game_.prefix().string()},      {"QUENOR_TEST_MARK", "a b\tc"},
            {"GAME_RECORD", record().string()},           {"GAME_PREFIX", game_.prefix().string()}};
    }

    static FakeInstallationOptions withGame() {
        FakeInstallationOptions options;
        options.installDir = kWindowsInstallDir;
        return options;
    }

    Ran quenorctl(std::vector<std::string> arguments) {
        arguments.insert(arguments.begin(), (folder_.path() / "bin/quenorctl").string());
        return start(std::move(arguments));
    }

    // A program with its arguments, in the machine's environment.
    Ran start(std::vector<std::string> arguments) {
        const fs::path errFile = folder_.path() / "stderr";
        const fs::path outFile = folder_.path() / "stdout";
        const auto started = std::chrono::steady_clock::now();
        const pid_t child = fork();
        if (child == 0) {
            std::vector<char*> argv;
            for (std::string& word : arguments) argv.push_back(word.data());
            argv.push_back(nullptr);
            std::vector<std::string> pairs;
            for (const auto& [name, value] : environment_) pairs.push_back(name + "=" + value);
            std::vector<char*> envp;
            for (std::string& pair : pairs) envp.push_back(pair.data());
            envp.push_back(nullptr);
            const int err = ::open(errFile.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
            ::dup2(err, 2);
            const int out = ::open(outFile.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
            ::dup2(out, 1);
            const int null = ::open("/dev/null", O_RDWR);
            ::dup2(null, 0);
            ::execve(argv[0], argv.data(), envp.data());
            _exit(99);
        }
        int status = 0;
        waitpid(child, &status, 0);
        Ran ran;
        ran.seconds =
            std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
        ran.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
        ran.err = readFileOrMissing(errFile);
        ran.out = readFileOrMissing(outFile);
        return ran;
    }

    // Changes "GFX Mode" behind Quenor's back, as the game's own display settings do.
    void changeGfxModeTo1() {
        std::string text = readFileOrMissing(userReg());
        const std::string from = "\"GFX Mode\"=dword:00000003";
        const auto at = text.find(from);
        ASSERT_NE(at, std::string::npos);
        text.replace(at, from.size(), "\"GFX Mode\"=dword:00000001");
        writeFileBytes(userReg(), text);
    }

    // Rewrites the width of frame 3 behind Quenor's back.
    void changeFrame3WidthTo1024() {
        viv::ArchiveReader reader(files::systemFileIo(), game_.archive());
        const auto bytes = reader.readPlain(reader.require("sgsm3.cfg"));
        std::string text(bytes.begin(), bytes.end());
        const auto at = text.find("devicewidth 1440");
        ASSERT_NE(at, std::string::npos) << text;
        text.replace(at, 16, "devicewidth 1024");
        viv::putEntry(files::systemFileIo(), game_.archive(), "sgsm3.cfg",
                      std::vector<std::uint8_t>(text.begin(), text.end()));
    }

    // Writes frame 3's width line as `line` (it may hold more than one line), behind Quenor's
    // back, as a player's editor would; `lfOnly`: the whole file with LF line ends.
    void spellFrame3Width(const std::string& line, bool lfOnly) {
        viv::ArchiveReader reader(files::systemFileIo(), game_.archive());
        const auto bytes = reader.readPlain(reader.require("sgsm3.cfg"));
        std::string text(bytes.begin(), bytes.end());
        const auto at = text.find("devicewidth 1440");
        ASSERT_NE(at, std::string::npos) << text;
        text.replace(at, 16, line);
        if (lfOnly) {
            for (auto cr = text.find("\r\n"); cr != std::string::npos; cr = text.find("\r\n", cr))
                text.erase(cr, 1);
        }
        viv::putEntry(files::systemFileIo(), game_.archive(), "sgsm3.cfg",
                      std::vector<std::uint8_t>(text.begin(), text.end()));
    }

    fs::path game() const { return folder_.path() / "game.sh"; }
    fs::path home() const { return folder_.path() / "home"; }
    fs::path record() const { return folder_.path() / "record"; }
    fs::path userReg() const { return game_.prefix() / "user.reg"; }
    fs::path log() const { return folder_.path() / "bin/quenor.log"; }
    const FakeInstallation& installation() const { return game_; }
    std::map<std::string, std::string>& environment() { return environment_; }

  private:
    TempFolder folder_;
    FakeInstallation game_;
    std::map<std::string, std::string> environment_;
};

const std::vector<std::string> kStoreSettings = {"apply", "--resolution", "1440x900", "--frame",
                                                 "3",     "--fps",        "high",     "--yes"};

std::string recordOf(const std::string& gfxModes, const char* lock = "unlocked") {
    return "2\n[a]\n[b  c]\nmark=a b\tc\n" + gfxModes + "\n" + lock + "\n";
}

TEST(QuenorctlRun, PutsTheStoredSettingsBackThenStartsTheGameAsGiven) {
    RunMachine machine;
    ASSERT_EQ(machine.quenorctl(kStoreSettings).status, 0);
    machine.changeGfxModeTo1();
    const Ran first = machine.quenorctl({"run", "--", machine.game().string(), "a", "b  c"});
    EXPECT_EQ(first.status, 7) << first.err;
    EXPECT_EQ(readFileOrMissing(machine.record()), recordOf("1")) << first.err;
    // Nothing of Quenor's stays open in the game: it has the files a direct start has.
    const std::string fds = readFileOrMissing(machine.record().string() + ".fds");
    EXPECT_EQ(machine.start({machine.game().string()}).status, 7);
    EXPECT_EQ(readFileOrMissing(machine.record().string() + ".fds"), fds);
    EXPECT_NE(readFileOrMissing(machine.log())
                  .find("differs from Quenor's settings: GFX Mode is "
                        "1, not 3"),
              std::string::npos);

    // Nothing differs now: the archive keeps its bytes and its time.
    const std::string archive = readFileOrMissing(machine.installation().archive());
    const auto modified = fs::last_write_time(machine.installation().archive());
    fs::remove(machine.record());
    const Ran second = machine.quenorctl({"run", "--", machine.game().string(), "a", "b  c"});
    EXPECT_EQ(second.status, 7) << second.err;
    EXPECT_EQ(readFileOrMissing(machine.record()), recordOf("1"));
    EXPECT_EQ(readFileOrMissing(machine.installation().archive()), archive);
    EXPECT_EQ(fs::last_write_time(machine.installation().archive()), modified);
    EXPECT_NE(readFileOrMissing(machine.log()).find("holds Quenor's settings; nothing was changed"),
              std::string::npos);
}

// A game folder of letters outside ASCII ("NHL 09 Ü", as Wine keeps it: a Unicode escape in
// system.reg, UTF-8 on disk) is put right at launch like any other.
TEST(QuenorctlRun, PutsAGameFolderOfLatinLettersRight) {
    RunMachine machine;
    const fs::path moved = machine.installation().gameFolder().parent_path() / "NHL 09 Ü";
    fs::rename(machine.installation().gameFolder(), moved);
    const fs::path systemReg = machine.installation().prefix() / "system.reg";
    std::string text = readFileOrMissing(systemReg);
    const std::string was = "NHL 09\\\\\"";
    ASSERT_NE(text.find(was), std::string::npos) << text;
    text.replace(text.find(was), was.size(), "NHL 09 \\x00dc\\\\\"");
    writeFileBytes(systemReg, text);
    ASSERT_EQ(machine.quenorctl(kStoreSettings).status, 0);
    machine.changeGfxModeTo1();
    const Ran ran = machine.quenorctl({"run", "--", machine.game().string(), "a", "b  c"});
    EXPECT_EQ(ran.status, 7) << ran.err;
    EXPECT_EQ(readFileOrMissing(machine.record()), recordOf("1")) << ran.err;
    EXPECT_NE(readFileOrMissing(machine.userReg()).find("\"GFX Mode\"=dword:00000003"),
              std::string::npos);
}

// What each kind of launcher gives the game: Proton's variables (Steam), WINEPREFIX (Lutris,
// Heroic, Bottles, plain Wine), or nothing (the search finds ~/.wine).
TEST(QuenorctlRun, FindsThePrefixEachLauncherGives) {
    struct Case {
        const char* launcher;
        std::function<void(RunMachine&)> setUp;
    };
    const Case cases[] = {
        {"WINEPREFIX", [](RunMachine&) {}},
        {"Proton",
         [](RunMachine& m) {
             const fs::path compat = m.home() / ".local/share/Steam/steamapps/compatdata/3001";
             fs::create_directories(compat);
             fs::create_directory_symlink(m.installation().prefix(), compat / "pfx");
             m.environment().erase("WINEPREFIX");
             m.environment()["STEAM_COMPAT_DATA_PATH"] = compat.string();
             m.environment()["STEAM_COMPAT_CLIENT_INSTALL_PATH"] = m.home() / ".local/share/Steam";
         }},
        {"none",
         [](RunMachine& m) {
             fs::create_directory_symlink(m.installation().prefix(), m.home() / ".wine");
             m.environment().erase("WINEPREFIX");
         }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.launcher);
        RunMachine machine;
        c.setUp(machine);
        ASSERT_EQ(machine.quenorctl(kStoreSettings).status, 0);
        machine.changeGfxModeTo1();
        const Ran ran = machine.quenorctl({"run", "--", machine.game().string(), "a", "b  c"});
        EXPECT_EQ(ran.status, 7) << ran.err;
        EXPECT_EQ(readFileOrMissing(machine.record()), recordOf("1")) << ran.err;
    }
}

TEST(QuenorctlRun, TheGameStartsWhateverFailsBefore) {
    struct Case {
        const char* name;
        std::function<void(RunMachine&)> spoil;
        const char* said;
        bool logged = true;  // false where no platform opens to find the log
    };
    int held = -1;
    pid_t wine = -1;
    const Case cases[] = {
        // A process that shows itself as the prefix's wineserver, as Wine's does.
        {"Wine runs for the prefix",
         [&wine](RunMachine& m) {
             const std::string prefix = "WINEPREFIX=" + m.installation().prefix().string();
             wine = fork();
             if (wine == 0) {
                 std::string name = "wineserver";
                 std::string seconds = "30";
                 char* argv[] = {name.data(), seconds.data(), nullptr};
                 char* envp[] = {const_cast<char*>(prefix.c_str()), nullptr};
                 ::execve("/bin/sleep", argv, envp);
                 _exit(127);
             }
             for (int i = 0; i < 200; ++i) {
                 std::ifstream cmdline("/proc/" + std::to_string(wine) + "/cmdline");
                 std::string first;
                 std::getline(cmdline, first, '\0');
                 if (first == "wineserver") break;
                 usleep(10000);
             }
         },
         "Wine is running for the prefix"},
        {"a damaged system.reg",
         [](RunMachine& m) {
             writeFileBytes(m.installation().prefix() / "system.reg", "WINE REGISTRY Version 2\n[");
         },
         "not put right", false},
        {"the archive is a FIFO",
         [](RunMachine& m) {
             fs::remove(m.installation().archive());
             ASSERT_EQ(mkfifo(m.installation().archive().c_str(), 0644), 0);
         },
         "not put right"},
        {"another change holds the lock",
         [&held](RunMachine& m) {
             held = ::open((m.installation().prefix() / ".quenor-change.lock").c_str(),
                           O_RDWR | O_CREAT, 0644);
             ASSERT_EQ(flock(held, LOCK_EX | LOCK_NB), 0);
         },
         "not put right"},
        {"no installation",
         [](RunMachine& m) {
             fs::create_directories(m.installation().prefix().parent_path() / "empty");
             m.environment()["WINEPREFIX"] =
                 (m.installation().prefix().parent_path() / "empty").string();
         },
         "not put right", false},
        {"a relative Install Dir",
         [](RunMachine& m) {
             const fs::path file = m.installation().prefix() / "system.reg";
             std::string text = readFileOrMissing(file);
             const std::string dir = "\"C:\\\\Games\\\\NHL 09\\\\\"";
             ASSERT_NE(text.find(dir), std::string::npos) << text;
             text.replace(text.find(dir), dir.size(), "\"NHL 09\\\\\"");
             writeFileBytes(file, text);
         },
         "names no whole folder"},
        {"Proton's prefix is missing",
         [](RunMachine& m) { m.environment()["STEAM_COMPAT_DATA_PATH"] = "/nonexistent"; },
         "holds no Proton prefix", false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        RunMachine machine;
        ASSERT_EQ(machine.quenorctl(kStoreSettings).status, 0);
        machine.changeGfxModeTo1();
        c.spoil(machine);
        const Ran ran = machine.quenorctl({"run", "--", machine.game().string(), "a", "b  c"});
        if (held >= 0) ::close(held), held = -1;
        if (wine > 0) ::kill(wine, SIGKILL), ::waitpid(wine, nullptr, 0), wine = -1;
        EXPECT_EQ(ran.status, 7) << ran.err;
        EXPECT_NE(ran.err.find(c.said), std::string::npos) << ran.err;
        EXPECT_LT(ran.seconds, 3 + 5) << "the game waited too long";
        const std::string record = readFileOrMissing(machine.record());
        EXPECT_EQ(record.substr(0, record.find("mark=")), "2\n[a]\n[b  c]\n") << record;
        EXPECT_NE(record.find("mark=a b\tc\n"), std::string::npos) << record;
        EXPECT_EQ(readFileOrMissing(machine.log()).find("; the game starts all the same") !=
                      std::string::npos,
                  c.logged);
    }
}

// A launcher that gives an empty command (an empty %command%) starts nothing and changes
// nothing, and is told why.
TEST(QuenorctlRun, AnEmptyCommandStartsAndChangesNothing) {
    RunMachine machine;
    ASSERT_EQ(machine.quenorctl(kStoreSettings).status, 0);
    machine.changeGfxModeTo1();
    const std::string userReg = readFileOrMissing(machine.userReg());
    const Ran ran = machine.quenorctl({"run", "--", ""});
    EXPECT_EQ(ran.status, 127);
    EXPECT_NE(ran.err.find("the command to start is empty"), std::string::npos) << ran.err;
    EXPECT_EQ(readFileOrMissing(machine.userReg()), userReg);
}

// However a player spaced frame 3's width line, status's frame table, its JSON and its drift
// read it alike, run writes only where a line does not hold the stored width, and a second run
// writes nothing. An indented line holds no key: run says which line stands in the way, writes
// nothing, and the game starts all the same.
TEST(QuenorctlRun, ReadsAKeyedLineHoweverItIsSpaced) {
    struct Case {
        const char* name;
        const char* line;
        bool lfOnly;
        const char* tableShows;  // nullptr: no line
        bool holdsTheSettings;
    };
    const Case cases[] = {
        {"two blanks", "devicewidth  1440", false, "1440", true},
        {"a tab", "devicewidth\t1440", false, "1440", true},
        {"blanks around =", "devicewidth = 1440", false, "1440", true},
        {"=", "devicewidth=1440", false, "1440", true},
        {"a trailing blank", "devicewidth 1440 ", false, "1440", true},
        {"upper case", "DEVICEWIDTH 1440", false, "1440", true},
        {"LF-only file", "devicewidth 1440", true, "1440", true},
        {"a duplicate line of another width", "devicewidth 1440\r\ndevicewidth 1024", false,
         "1440 or 1024", false},
        {"indented", "  devicewidth 1440", false, nullptr, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        RunMachine machine;
        ASSERT_EQ(machine.quenorctl(kStoreSettings).status, 0);
        machine.spellFrame3Width(c.line, c.lfOnly);

        const auto json = nlohmann::json::parse(machine.quenorctl({"status", "--json"}).out);
        const auto& width = json["game"]["frames"][2]["devicewidth"];
        EXPECT_EQ(width, c.tableShows ? nlohmann::json(c.tableShows) : nlohmann::json(nullptr));
        bool drifted = false;
        for (const auto& difference : json["differsFromSettings"])
            drifted = drifted || difference["place"] == "sgsm3.cfg devicewidth";
        EXPECT_EQ(drifted, !c.holdsTheSettings);
        EXPECT_NE(machine.quenorctl({"status"})
                      .out.find(std::string("frame 3 (sgsm3.cfg): ") +
                                (c.tableShows ? c.tableShows : "?") + " x 900"),
                  std::string::npos);

        const std::string before = readFileOrMissing(machine.installation().archive());
        const Ran first = machine.quenorctl({"run", "--", machine.game().string()});
        EXPECT_EQ(first.status, 7) << first.err;
        const std::string after = readFileOrMissing(machine.installation().archive());
        const bool rewritten = after != before;
        EXPECT_EQ(rewritten, !c.holdsTheSettings && c.tableShows != nullptr);
        if (!c.tableShows) {
            EXPECT_NE(first.err.find(std::string("\"") + c.line + "\" starts with blanks"),
                      std::string::npos)
                << first.err;
        }
        EXPECT_EQ(machine.quenorctl({"run", "--", machine.game().string()}).status, 7);
        EXPECT_EQ(readFileOrMissing(machine.installation().archive()), after);
        if (rewritten) {
            const auto again = nlohmann::json::parse(machine.quenorctl({"status", "--json"}).out);
            EXPECT_EQ(again["differsFromSettings"], nlohmann::json::array());
        }
    }
}

}  // namespace
}  // namespace quenor::testing
