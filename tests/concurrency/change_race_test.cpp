// Two Quenors at once, as real processes: quenorctl beside quenorctl (one home or two), two
// prefixes changed by one program copy (one temporary folder), a change beside a restore, and
// the window (quenor-script) beside quenorctl. After every pair the installation must be what
// one of the two orders gives, every archive must read whole, no process may report success
// for a change that is not there, and a restore must bring back the originals.
//
// QUENOR_RACE_PAIRS sets the pairs per scenario (CTest runs a few; scripts/race.sh many);
// QUENOR_RACE_QUENORCTL and QUENOR_RACE_SCRIPT race other builds of the two programs.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <functional>
#include <map>
#include <optional>
#include <sstream>

#include "core/testing/temp_folder.h"
#include "lib/files/file_io.h"
#include "lib/registry/store_values.h"
#include "lib/registry/wine/testing/disk_store.h"
#include "lib/registry/wine/wine_file_store.h"
#include "lib/viv/archive_reader.h"
#include "tool/testing/fake_installation.h"

namespace quenor::testing {
namespace {

namespace fs = std::filesystem;

// What a change leaves in the game: the three keyed lines of each frame's entry, "GFX Mode",
// "OnPlay Player" and Quenor's stored resolution option.
struct GameState {
    std::map<std::string, std::string> lines;  // "sgsm2.cfg devicewidth" -> "1440"
    std::string gfxMode, onPlayPlayer, storedResolution;
    friend bool operator==(const GameState&, const GameState&) = default;
};

std::string describe(const GameState& s) {
    std::string text;
    for (const auto& [key, value] : s.lines) text += key + "=" + value + " ";
    return text + "GFX=" + s.gfxMode + " OnPlay=" + s.onPlayPlayer +
           " Resolution=" + s.storedResolution;
}

// The two changes of every pair, and the state each leaves on top of another, by the rules
// of the tool: a preset or size of one's own rewrites its frame's size, VSYNC every frame.
struct Change {
    std::vector<std::string> arguments;  // quenorctl's
    std::string entry, width, height, vsync, gfxMode, onPlayPlayer, resolution;

    GameState after(GameState state) const {
        state.lines[entry + " devicewidth"] = width;
        state.lines[entry + " deviceheight"] = height;
        for (int frame = 1; frame <= 4; ++frame)
            state.lines["sgsm" + std::to_string(frame) + ".cfg enablevsync"] = vsync;
        state.gfxMode = gfxMode;
        state.onPlayPlayer = onPlayPlayer;
        state.storedResolution = resolution;
        return state;
    }
};
const Change kPreset{{"apply", "--resolution", "1280x800", "--vsync", "off", "--fps", "high"},
                     "sgsm3.cfg",
                     "1280",
                     "800",
                     "false",
                     "3",
                     "100",
                     "0"};
const Change kOwnSize{
    {"apply", "--resolution", "1440x900", "--frame", "2", "--vsync", "on", "--fps", "low"},
    "sgsm2.cfg",
    "1440",
    "900",
    "true",
    "2",
    "200",
    "4"};
// quenor-script clicks what kPreset names.
const char* const kPresetScript =
    "start\nclick optResolution 0\nclick optVSYNC 1\nclick optFPSboost 3\n"
    "answer Yes\nanswer Ok\nclick btnApplySettings\nclose\n";

std::string keyedValue(const std::string& text, const std::string& key) {
    std::istringstream in(text);
    for (std::string line; std::getline(in, line, '\n');) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (line.rfind(key + " ", 0) == 0) return line.substr(key.size() + 1);
    }
    return "<none>";
}

std::string dword(const std::optional<reg::RegValue>& value) {
    if (!value) return "<absent>";
    if (value->data.size() != 4) return "<not a dword>";
    return std::to_string(value->data[0] | value->data[1] << 8 | value->data[2] << 16 |
                          value->data[3] << 24);
}

std::string text(const std::optional<reg::RegValue>& value) {
    if (!value) return "<absent>";
    std::string result(value->data.begin(), value->data.end());
    if (!result.empty() && result.back() == '\0') result.pop_back();
    return result;
}

// Reads the state, checking on the way that the archive reads whole (as quenor-viv verify).
GameState stateOf(const FakeInstallation& game) {
    GameState state;
    viv::ArchiveReader reader(files::systemFileIo(), game.archive());
    std::map<std::string, std::string> entries;
    for (std::size_t i = 0; i < reader.directory().entries.size(); ++i) {
        const auto bytes = reader.readPlain(i);
        entries[reader.directory().entries[i].name] = std::string(bytes.begin(), bytes.end());
    }
    for (int frame = 1; frame <= 4; ++frame) {
        const std::string entry = "sgsm" + std::to_string(frame) + ".cfg";
        for (const char* key : {"devicewidth", "deviceheight", "enablevsync"})
            state.lines[entry + " " + key] = keyedValue(entries[entry], key);
    }
    reg::wine::testing::DiskStore store(game.prefix());
    const char* gameKey = "Software\\EA Sports\\NHL 09";
    state.gfxMode = dword(reg::readStoreValue(store, reg::kCurrentUser, gameKey, "GFX Mode"));
    state.onPlayPlayer = dword(reg::readStoreValue(
        store, reg::kCurrentUser, std::string(gameKey) + "\\Details Settings", "OnPlay Player"));
    state.storedResolution =
        text(reg::readStoreValue(store, reg::kCurrentUser, "Software\\Olm\\Quenor", "Resolution"));
    return state;
}

// One started program, its output kept in files.
struct Process {
    pid_t pid = -1;
    fs::path output;
    int status = -1;
    std::string err;
};

Process start(const fs::path& program, const std::vector<std::string>& arguments,
              const std::map<std::string, std::string>& environment, const fs::path& output) {
    std::vector<std::string> words{program.string()};
    words.insert(words.end(), arguments.begin(), arguments.end());
    std::vector<char*> argv;
    for (std::string& word : words) argv.push_back(word.data());
    argv.push_back(nullptr);
    std::vector<std::string> pairs;
    for (const auto& [name, value] : environment) pairs.push_back(name + "=" + value);
    std::vector<char*> envp;
    for (std::string& pair : pairs) envp.push_back(pair.data());
    envp.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 2, output.c_str(), O_WRONLY | O_CREAT | O_TRUNC,
                                     0644);
    Process run;
    run.output = output;
    if (posix_spawn(&run.pid, argv[0], &actions, nullptr, argv.data(), envp.data()) != 0)
        run.pid = -1;
    posix_spawn_file_actions_destroy(&actions);
    return run;
}

void finish(Process& run) {
    int status = 0;
    if (run.pid > 0 && waitpid(run.pid, &status, 0) == run.pid && WIFEXITED(status))
        run.status = WEXITSTATUS(status);
    run.err = readFileOrMissing(run.output);
}

struct Figures {
    int pairs = 0, waits = 0, refusals = 0, anomalies = 0;
};

fs::path programOf(const char* variable, const char* built) {
    const char* other = std::getenv(variable);
    return other && *other ? fs::path(other) : fs::path(built);
}

// The whole world of a pair: two prefixes, two homes and a copy of each program in one folder,
// reset from a snapshot before every pair (the same paths, so the originals' keys still hold).
class RaceWorld {
  public:
    RaceWorld() {
        fs::create_directories(bin());
        fs::copy_file(programOf("QUENOR_RACE_QUENORCTL", QUENORCTL_PROGRAM), bin() / "quenorctl");
        fs::copy_file(programOf("QUENOR_RACE_SCRIPT", SCRIPT_PROGRAM), bin() / "quenor-script");
        writeFileBytes(bin() / "preset.script", kPresetScript);
        for (int i = 1; i <= 2; ++i) {
            FakeInstallationOptions options;
            options.installDir = kWindowsInstallDir;
            games_.push_back(std::make_unique<FakeInstallation>(
                run() / ("prefix" + std::to_string(i)), options));
            fs::create_directories(home(i));
        }
        pristine_ = readFileOrMissing(games_[0]->archive());
        // The originals are kept before the race, in both homes, as after a first change.
        for (int home = 1; home <= 2; ++home) {
            for (int game = 1; game <= 2; ++game) {
                Process prepare =
                    start(bin() / "quenorctl", {"apply", "--resolution", "nochange", "--yes"},
                          environment(home, game, true), folder_.path() / "prepare.err");
                finish(prepare);
                if (prepare.status != 0) throw std::runtime_error("prepare: " + prepare.err);
            }
        }
        initial_ = stateOf(*games_[0]);
        fs::copy(run(), snapshot(), fs::copy_options::recursive | fs::copy_options::copy_symlinks);
    }

    void reset() {
        fs::remove_all(run());
        fs::copy(snapshot(), run(), fs::copy_options::recursive | fs::copy_options::copy_symlinks);
    }

    std::map<std::string, std::string> environment(int home, int game, bool ownTemp) const {
        std::map<std::string, std::string> env{{"HOME", this->home(home).string()},
                                               {"WINEPREFIX", games_[game - 1]->prefix().string()},
                                               {"PATH", "/usr/bin:/bin"}};
        // Without TEMP a program copy extracts into its own folder, shared by every run of it.
        if (ownTemp) env["TEMP"] = (folder_.path() / ("temp" + std::to_string(home))).string();
        if (ownTemp) fs::create_directories(env["TEMP"]);
        return env;
    }

    const FakeInstallation& game(int i) const { return *games_[i - 1]; }
    const GameState& initial() const { return initial_; }
    const std::string& pristine() const { return pristine_; }
    fs::path bin() const { return folder_.path() / "bin"; }
    fs::path err(const char* name) const { return folder_.path() / name; }

  private:
    fs::path run() const { return folder_.path() / "run"; }
    fs::path snapshot() const { return folder_.path() / "snapshot"; }
    fs::path home(int i) const { return run() / ("home" + std::to_string(i)); }

    TempFolder folder_;
    std::vector<std::unique_ptr<FakeInstallation>> games_;
    GameState initial_;
    std::string pristine_;
};

int pairsToRun() {
    const char* text = std::getenv("QUENOR_RACE_PAIRS");
    const int pairs = text ? std::atoi(text) : 0;
    return pairs > 0 ? pairs : 4;
}

// Counts what the runs said, and checks that a run reporting success left its change.
void count(Figures& figures, const std::vector<Process>& runs) {
    for (const Process& run : runs) {
        if (run.err.find("waiting up to") != std::string::npos) ++figures.waits;
        if (run.err.find("Another Quenor") != std::string::npos && run.status != 0)
            ++figures.refusals;
    }
}

void expectOneOf(Figures& figures, const GameState& now, const std::vector<GameState>& allowed,
                 const std::vector<Process>& runs) {
    for (const GameState& state : allowed)
        if (now == state) return;
    ++figures.anomalies;
    std::string told;
    for (const Process& run : runs)
        told += "\n  exit " + std::to_string(run.status) + ": " + run.err;
    ADD_FAILURE() << "no order of the two gives " << describe(now) << told;
}

// The states a pair may leave: both orders when both succeeded, the one that succeeded alone,
// or nothing changed.
std::vector<GameState> allowedStates(const GameState& initial, const Change& a, bool aDone,
                                     const Change& b, bool bDone) {
    if (aDone && bDone) return {b.after(a.after(initial)), a.after(b.after(initial))};
    if (aDone) return {a.after(initial)};
    if (bDone) return {b.after(initial)};
    return {initial};
}

void expectRestoreBringsBackTheOriginals(RaceWorld& world, Figures& figures) {
    Process restore = start(world.bin() / "quenorctl", {"restore"}, world.environment(1, 1, true),
                            world.err("restore.err"));
    finish(restore);
    EXPECT_EQ(restore.status, 0) << restore.err;
    if (readFileOrMissing(world.game(1).archive()) != world.pristine()) {
        ++figures.anomalies;
        ADD_FAILURE() << "the restore did not bring back the original archive";
    }
}

// One scenario: the two programs a pair starts, and what their ends must leave.
struct Scenario {
    const char* name;
    std::function<std::vector<Process>(RaceWorld&)> start;
    std::function<void(RaceWorld&, Figures&, const std::vector<Process>&)> check;
};

// Both orders of two changes of the first prefix, then a restore.
void expectEitherOrder(RaceWorld& world, Figures& f, const std::vector<Process>& runs) {
    expectOneOf(
        f, stateOf(world.game(1)),
        allowedStates(world.initial(), kPreset, runs[0].status == 0, kOwnSize, runs[1].status == 0),
        runs);
    expectRestoreBringsBackTheOriginals(world, f);
}

// The change alone, or the restore after it: the originals, with both game values absent.
void expectChangeOrRestoreLast(RaceWorld& world, Figures& f, const std::vector<Process>& runs) {
    const GameState now = stateOf(world.game(1));
    const bool changeLast =
        now == kPreset.after(world.initial()) || (runs[0].status != 0 && now == world.initial());
    const bool restoreLast = runs[1].status == 0 &&
                             readFileOrMissing(world.game(1).archive()) == world.pristine() &&
                             now.gfxMode == "<absent>" && now.onPlayPlayer == "<absent>";
    if (changeLast || restoreLast) return;
    ++f.anomalies;
    ADD_FAILURE() << "neither order gives " << describe(now) << "\n  " << runs[0].err << "\n  "
                  << runs[1].err;
}

std::vector<Scenario> scenarios() {
    const auto yes = [](std::vector<std::string> arguments) {
        arguments.push_back("--yes");
        return arguments;
    };
    const auto ctl = [](RaceWorld& w, std::vector<std::string> arguments, int home, int game,
                        bool ownTemp, const char* err) {
        return start(w.bin() / "quenorctl", arguments, w.environment(home, game, ownTemp),
                     w.err(err));
    };
    return {
        {"same prefix, one home",
         [=](RaceWorld& w) {
             return std::vector{ctl(w, yes(kPreset.arguments), 1, 1, true, "a"),
                                ctl(w, yes(kOwnSize.arguments), 1, 1, true, "b")};
         },
         expectEitherOrder},
        {"same prefix, two homes",
         [=](RaceWorld& w) {
             return std::vector{ctl(w, yes(kPreset.arguments), 1, 1, true, "a"),
                                ctl(w, yes(kOwnSize.arguments), 2, 1, true, "b")};
         },
         expectEitherOrder},
        {"two prefixes, one temporary folder",
         [=](RaceWorld& w) {
             return std::vector{ctl(w, yes(kPreset.arguments), 1, 1, false, "a"),
                                ctl(w, yes(kOwnSize.arguments), 1, 2, false, "b")};
         },
         [](RaceWorld& w, Figures& f, const std::vector<Process>& runs) {
             expectOneOf(f, stateOf(w.game(1)),
                         allowedStates(w.initial(), kPreset, runs[0].status == 0, kPreset, false),
                         runs);
             expectOneOf(f, stateOf(w.game(2)),
                         allowedStates(w.initial(), kOwnSize, runs[1].status == 0, kOwnSize, false),
                         runs);
         }},
        {"a change and a restore",
         [=](RaceWorld& w) {
             return std::vector{ctl(w, yes(kPreset.arguments), 1, 1, true, "a"),
                                ctl(w, {"restore"}, 1, 1, true, "b")};
         },
         expectChangeOrRestoreLast},
        {"the window and quenorctl",
         [=](RaceWorld& w) {
             return std::vector{
                 start(w.bin() / "quenor-script", {(w.bin() / "preset.script").string()},
                       w.environment(1, 1, true), w.err("a")),
                 ctl(w, yes(kOwnSize.arguments), 1, 1, true, "b")};
         },
         expectEitherOrder},
    };
}

TEST(ChangeRace, TwoQuenorsAtOnceLeaveWhatOneOrderGives) {
    RaceWorld world;
    const int pairs = pairsToRun();
    const std::vector<Scenario> all = scenarios();
    std::vector<Figures> figures(all.size());
    for (int pair = 0; pair < pairs; ++pair) {
        for (std::size_t i = 0; i < all.size(); ++i) {
            SCOPED_TRACE(std::string(all[i].name) + ", pair " + std::to_string(pair));
            world.reset();
            std::vector<Process> runs = all[i].start(world);
            for (Process& run : runs) finish(run);
            count(figures[i], runs);
            all[i].check(world, figures[i], runs);
            ++figures[i].pairs;
        }
    }
    for (std::size_t i = 0; i < all.size(); ++i) {
        std::printf("%-36s pairs %d  waits %d  refusals %d  anomalies %d\n", all[i].name,
                    figures[i].pairs, figures[i].waits, figures[i].refusals, figures[i].anomalies);
    }
}

}  // namespace
}  // namespace quenor::testing
