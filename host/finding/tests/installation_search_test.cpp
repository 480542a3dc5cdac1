// Finding NHL 09 in the prefixes of every launcher, in fake home folders laid out as the
// launchers lay them out.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <functional>

#include "core/testing/temp_folder.h"
#include "host/finding/installation_choice.h"
#include "host/finding/installation_search.h"
#include "lib/files/file_error.h"
#include "lib/files/file_io.h"
#include "tool/testing/fake_installation.h"

namespace quenor::host {
namespace {

namespace fs = std::filesystem;
using quenor::testing::FakeInstallation;
using quenor::testing::FakeInstallationOptions;
using quenor::testing::kWindowsInstallDir;
using quenor::testing::TempFolder;
using quenor::testing::writeFileBytes;

FakeInstallationOptions withGame() {
    FakeInstallationOptions options;
    options.installDir = kWindowsInstallDir;
    return options;
}

void install(const fs::path& prefix) {
    FakeInstallation(prefix, withGame());
}

SearchResult search(const fs::path& home) {
    PrefixScanCache cache;
    return searchInstallations(files::systemFileIo(), home, cache);
}

std::string leftOutReasons(const SearchResult& result) {
    std::string text;
    for (const LeftOut& left : result.leftOut)
        text += left.place.string() + ": " + left.reason + "\n";
    return text;
}

TEST(InstallationSearch, FindsTheGameInEachLaunchersPrefixesOnce) {
    struct Case {
        const char* launcher;
        std::function<fs::path(const fs::path& home, const fs::path& elsewhere)> layOut;
    };
    const Case cases[] = {
        {"Wine",
         [](const fs::path& home, const fs::path&) {
             install(home / ".wine");
             return home / ".wine";
         }},
        // Lutris names its prefixes with "~"; they lie in ~/Games, which is searched too.
        {"Lutris",
         [](const fs::path& home, const fs::path&) {
             writeFileBytes(home / ".config/lutris/games/nhl-09-1733500000.yml",
                            "game:\n  exe: drive_c/Games/NHL 09/nhl09.exe\n  prefix: "
                            "~/Games/nhl-09\nsystem:\n  disable_runtime: true\nwine:\n  "
                            "version: lutris-7.2\n");
             install(home / "Games/nhl-09");
             return home / "Games/nhl-09";
         }},
        {"Lutris",
         [](const fs::path& home, const fs::path&) {
             writeFileBytes(home / ".var/app/net.lutris.Lutris/data/lutris/games/nhl.yml",
                            "game:\n  prefix: ../../prefixes/nhl\n");
             install(home / ".var/app/net.lutris.Lutris/data/prefixes/nhl");
             return home / ".var/app/net.lutris.Lutris/data/prefixes/nhl";
         }},
        // A second library listed in libraryfolders.vdf; ~/.steam/steam links to the Steam
        // folder, so the same prefixes are reached twice. A non-Steam shortcut's id.
        {"Steam",
         [](const fs::path& home, const fs::path& elsewhere) {
             const fs::path steam = home / ".local/share/Steam";
             writeFileBytes(steam / "steamapps/libraryfolders.vdf",
                            "\"libraryfolders\"\n{\n\t\"0\"\n\t{\n\t\t\"path\"\t\t\"" +
                                steam.string() +
                                "\"\n\t\t\"apps\"\n\t\t{\n\t\t\t\"228980\"\t\t\"1\"\n\t\t}\n\t}\n"
                                "\t\"1\"\n\t{\n\t\t\"path\"\t\t\"" +
                                elsewhere.string() + "\"\n\t}\n}\n");
             fs::create_directories(home / ".steam");
             fs::create_directory_symlink(steam, home / ".steam/steam");
             install(elsewhere / "steamapps/compatdata/3472832189/pfx");
             return elsewhere / "steamapps/compatdata/3472832189/pfx";
         }},
        {"Steam",
         [](const fs::path& home, const fs::path&) {
             const fs::path pfx = home /
                                  ".var/app/com.valvesoftware.Steam/.local/share/Steam/"
                                  "steamapps/compatdata/4000/pfx";
             install(pfx);
             return pfx;
         }},
        // Heroic: a game's config with a Wine prefix of its own, a Proton prefix (its "pfx") in
        // the Flatpak's config, and the default prefix folders old and new.
        {"Heroic",
         [](const fs::path& home, const fs::path& elsewhere) {
             writeFileBytes(home / ".config/heroic/GamesConfig/nhl09.json",
                            R"({"nhl09": {"winePrefix": ")" + elsewhere.string() +
                                R"(/nhl", "wineVersion": {"type": "wine", "name": "Wine-GE"}},
                                "version": "v0", "explicit": true})");
             install(elsewhere / "nhl");
             return elsewhere / "nhl";
         }},
        {"Heroic",
         [](const fs::path& home, const fs::path&) {
             writeFileBytes(home /
                                ".var/app/com.heroicgameslauncher.hgl/config/heroic/"
                                "GamesConfig/Xy12.json",
                            R"({"Xy12": {"winePrefix": "~/Prefixes/NHL 09",
                                "wineVersion": {"type": "proton"}}})");
             install(home / "Prefixes/NHL 09/pfx");
             return home / "Prefixes/NHL 09/pfx";
         }},
        {"Heroic",
         [](const fs::path& home, const fs::path&) {
             install(home / "Games/Heroic/Prefixes/default/NHL 09/pfx");
             return home / "Games/Heroic/Prefixes/default/NHL 09/pfx";
         }},
        {"Heroic",
         [](const fs::path& home, const fs::path&) {
             install(home / "Games/Heroic/Prefixes/NHL 09");
             return home / "Games/Heroic/Prefixes/NHL 09";
         }},
        {"Bottles",
         [](const fs::path& home, const fs::path&) {
             install(home / ".var/app/com.usebottles.bottles/data/bottles/bottles/NHL-09");
             return home / ".var/app/com.usebottles.bottles/data/bottles/bottles/NHL-09";
         }},
        {"PlayOnLinux",
         [](const fs::path& home, const fs::path&) {
             install(home / ".PlayOnLinux/wineprefix/NHL09");
             return home / ".PlayOnLinux/wineprefix/NHL09";
         }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.launcher);
        TempFolder home;
        TempFolder elsewhere;
        const fs::path prefix = c.layOut(home.path(), elsewhere.path());
        const SearchResult result = search(home.path());
        ASSERT_EQ(result.found.size(), 1u) << leftOutReasons(result);
        EXPECT_EQ(result.found[0].launcher, c.launcher);
        EXPECT_EQ(result.found[0].prefix, fs::canonical(prefix));
        EXPECT_TRUE(fs::is_regular_file(result.found[0].archive));
    }
}

TEST(InstallationSearch, LeavesOutDamagedFilesAndPrefixesWithoutTheGameSayingWhy) {
    TempFolder home;
    install(home.path() / ".wine");
    writeFileBytes(home.path() / ".config/lutris/games/broken.yml", "game: [prefix: {\n");
    writeFileBytes(home.path() / ".config/heroic/GamesConfig/cut.json", R"({"a": {"winePref)");
    writeFileBytes(home.path() / ".local/share/Steam/steamapps/libraryfolders.vdf",
                   "\"libraryfolders\" { \"0\" { \"path\" ");
    FakeInstallationOptions noGame;
    noGame.gameInstalled = false;
    FakeInstallation(home.path() / ".PlayOnLinux/wineprefix/Empty", noGame);
    FakeInstallationOptions otherDrive = withGame();
    otherDrive.installDir = "D:\\Games\\NHL 09\\";
    FakeInstallation(home.path() / ".local/share/bottles/bottles/Elsewhere", otherDrive);
    writeFileBytes(home.path() / "Games/not-a-prefix/readme.txt", "x");

    const SearchResult result = search(home.path());
    ASSERT_EQ(result.found.size(), 1u);
    EXPECT_EQ(result.found[0].launcher, "Wine");
    const std::string reasons = leftOutReasons(result);
    for (const char* expected :
         {"broken.yml: cannot be read: it is not valid YAML",
          "cut.json: cannot be read: it is not valid JSON",
          "libraryfolders.vdf: cannot be read: line 1: the key \"path\" has no value",
          "Empty: NHL 09 is not installed in it", "Elsewhere: its \"Install Dir\" D:\\Games",
          "not-a-prefix: no system.reg"}) {
        EXPECT_NE(reasons.find(expected), std::string::npos) << expected << "\n" << reasons;
    }
}

// Files that exist but fail to open (a device error, a permission): each is left out with the
// system's reason, and the search goes on to the next.
TEST(InstallationSearch, FilesThatFailToReadAreLeftOutWithTheReason) {
    struct FailingReads final : files::FileIoWrapper {
        FailingReads() : FileIoWrapper(files::systemFileIo()) {}
        std::unique_ptr<files::FileHandle> open(const fs::path& path, files::OpenMode mode,
                                                std::uint32_t permissions) override {
            if (path.filename() == "nhl.yml" || path.parent_path().filename() == "Broken")
                throw files::FileIoError("Opening " + path.string() + " failed: I/O error.",
                                         "I/O error");
            return FileIoWrapper::open(path, mode, permissions);
        }
    } io;
    TempFolder home;
    install(home.path() / ".wine");
    writeFileBytes(home.path() / ".config/lutris/games/nhl.yml", "game:\n  prefix: ~/x\n");
    install(home.path() / ".local/share/bottles/bottles/Broken");
    PrefixScanCache cache;
    const SearchResult result = searchInstallations(io, home.path(), cache);
    ASSERT_EQ(result.found.size(), 1u);
    EXPECT_EQ(result.found[0].launcher, "Wine");
    const std::string reasons = leftOutReasons(result);
    for (const char* expected :
         {"nhl.yml: cannot be read: Opening", "I/O error", "Broken: its registry cannot be read"})
        EXPECT_NE(reasons.find(expected), std::string::npos) << expected << "\n" << reasons;
}

TEST(InstallationSearch, ARegistryFileUnchangedSinceTheLastSearchIsNotReadAgain) {
    TempFolder home;
    install(home.path() / ".wine");
    const fs::path systemReg = home.path() / ".wine/system.reg";
    PrefixScanCache cache;
    ASSERT_EQ(searchInstallations(files::systemFileIo(), home.path(), cache).found.size(), 1u);
    const fs::path cacheFile = home.path() / "state/prefix-cache";
    cache.save(files::systemFileIo(), cacheFile);

    // The same size and time, other bytes: the cached answer stands.
    struct stat before {};
    ASSERT_EQ(::stat(systemReg.c_str(), &before), 0);
    writeFileBytes(systemReg, std::string(static_cast<std::size_t>(before.st_size), '#'));
    const struct timespec times[2] = {before.st_atim, before.st_mtim};
    ASSERT_EQ(::utimensat(AT_FDCWD, systemReg.c_str(), times, 0), 0);
    PrefixScanCache loaded = PrefixScanCache::load(files::systemFileIo(), cacheFile);
    EXPECT_EQ(searchInstallations(files::systemFileIo(), home.path(), loaded).found.size(), 1u);

    // A newer file is read again.
    const struct timespec later[2] = {before.st_atim, {before.st_mtim.tv_sec + 5, 0}};
    ASSERT_EQ(::utimensat(AT_FDCWD, systemReg.c_str(), later, 0), 0);
    const SearchResult again = searchInstallations(files::systemFileIo(), home.path(), loaded);
    EXPECT_TRUE(again.found.empty());
    EXPECT_NE(leftOutReasons(again).find("its registry cannot be read"), std::string::npos);
}

TEST(InstallationChoice, RemembersOrTakesTheNewestAndTellsWhenTheSetChanges) {
    auto installation = [](const char* prefix, std::int64_t played) {
        return Installation{"Steam", prefix, kWindowsInstallDir, "/x", played};
    };
    SearchResult two;
    two.found = {installation("/a", 10), installation("/b", 20)};

    InstallationMemory fresh;
    InstallationChoice choice = chooseInstallation(two, fresh);
    EXPECT_EQ(choice.chosen->prefix, "/b");  // played most recently
    ASSERT_TRUE(choice.notice);
    EXPECT_NE(choice.notice->text.find("It opens Steam: /b, the one played most recently"),
              std::string::npos)
        << choice.notice->text;
    EXPECT_NE(choice.notice->text.find("WINEPREFIX=\"/a\""), std::string::npos);

    choice = chooseInstallation(two, choice.memory);  // the next start: nothing new to tell
    EXPECT_EQ(choice.chosen->prefix, "/b");
    EXPECT_FALSE(choice.notice);

    InstallationMemory picked = choice.memory;
    picked.opened = "/a";  // opened once with WINEPREFIX
    choice = chooseInstallation(two, picked);
    EXPECT_EQ(choice.chosen->prefix, "/a");
    EXPECT_FALSE(choice.notice);

    SearchResult none;
    none.lookedIn = {"~/.wine"};
    choice = chooseInstallation(none, picked);
    EXPECT_FALSE(choice.chosen);
    ASSERT_TRUE(choice.notice);
    EXPECT_NE(choice.notice->text.find("did not find NHL 09"), std::string::npos);
    EXPECT_NE(choice.notice->text.find("\r~/.wine"), std::string::npos);
    EXPECT_EQ(choice.notice->text.find('\n'), std::string::npos);
    EXPECT_FALSE(chooseInstallation(none, choice.memory).notice);  // told once
}

}  // namespace
}  // namespace quenor::host
