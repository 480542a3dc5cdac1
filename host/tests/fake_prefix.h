#pragma once

#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <string>
#include <vector>

#include "core/testing/temp_folder.h"
#include "lib/viv/archive_create.h"
#include "lib/viv/viv_operations.h"

namespace quenor::host::testing {

using quenor::testing::readFileOrMissing;
using quenor::testing::TempFolder;
using quenor::testing::writeFileBytes;

// A config file of the game as the archive holds it (CR LF lines).
inline std::string sampleConfig(int frame) {
    static const char* const sizes[][2] = {
        {"800", "600"}, {"1024", "768"}, {"1280", "1024"}, {"1600", "1200"}};
    return std::string("// display settings\r\n") + "devicewidth " + sizes[frame - 1][0] +
           "\r\ndeviceheight " + sizes[frame - 1][1] + "\r\nenablevsync true\r\nfullscreen 1\r\n";
}

// A game archive holding the four config files sgsm1.cfg ... sgsm4.cfg.
inline void writeSampleArchive(const std::filesystem::path& archive) {
    std::vector<viv::NewEntry> entries;
    for (int n = 1; n <= 4; ++n) {
        const std::string text = sampleConfig(n);
        entries.push_back({"sgsm" + std::to_string(n) + ".cfg", {text.begin(), text.end()}});
    }
    std::filesystem::create_directories(archive.parent_path());
    viv::createArchive(files::systemFileIo(), archive, viv::CreateOptions{}, entries);
}

// The content of an archive entry, through a scratch file beside the archive.
inline std::string archiveEntry(const std::filesystem::path& archive, const std::string& name) {
    const auto out = archive.parent_path() / ("entry-" + name);
    viv::exportEntry(archive, name, out);
    std::string text = readFileOrMissing(out);
    std::filesystem::remove(out);
    return text;
}

// A Wine prefix as wineboot leaves it, reduced to what the tool touches: system.reg with the
// game's key (under Software\Wow6432Node in a win64 prefix), user.reg, dosdevices/c: ->
// ../drive_c and the game's archive at drive_c/<gameFolder>/preload/fmisc.viv.
class FakePrefix {
  public:
    explicit FakePrefix(bool win64, std::string installDir = "C:\\Games\\NHL 09\\",
                        std::string gameFolder = "Games/NHL 09")
        : prefix_(folder_.path() / "prefix") {
        std::filesystem::create_directories(prefix_ / "dosdevices");
        std::filesystem::create_directories(prefix_ / "drive_c");
        std::filesystem::create_directory_symlink("../drive_c", prefix_ / "dosdevices" / "c:");
        const std::string arch = win64 ? "win64" : "win32";
        const std::string gameKey = win64 ? "Software\\\\Wow6432Node\\\\EA Sports\\\\NHL 09"
                                          : "Software\\\\EA Sports\\\\NHL 09";
        std::string escapedDir;
        for (char c : installDir) escapedDir += c == '\\' ? std::string("\\\\") : std::string(1, c);
        writeFileBytes(prefix_ / "system.reg",
                       "WINE REGISTRY Version 2\n;; All keys relative to REGISTRY\\\\Machine\n\n"
                       "#arch=" +
                           arch + "\n\n[" + gameKey +
                           "] 1733500000\n#time=1db48a1c0000000\n"
                           "\"Install Dir\"=\"" +
                           escapedDir +
                           "\"\n\"Language\"=\"en\"\n\n"
                           "[Software\\\\Microsoft\\\\Windows NT\\\\CurrentVersion] 1733500000\n"
                           "\"CurrentVersion\"=\"6.1\"\n" +
                           (win64 ? "\n[Software\\\\Wow6432Node\\\\Microsoft] 1733500000\n" : ""));
        writeFileBytes(prefix_ / "user.reg",
                       "WINE REGISTRY Version 2\n;; All keys relative to "
                       "REGISTRY\\\\User\\\\S-1-5-21-0-0-0-1000\n\n#arch=" +
                           arch +
                           "\n\n[Control Panel\\\\Desktop] 1733500000\n\"Wallpaper\"=\"\"\n");
        gameFolder_ = prefix_ / "drive_c" / gameFolder;
        std::filesystem::create_directories(gameFolder_ / "preload");
        writeSampleArchive(archive());
    }

    const std::filesystem::path& path() const { return prefix_; }
    const std::filesystem::path& base() const { return folder_.path(); }
    std::filesystem::path archive() const { return gameFolder_ / "preload" / "fmisc.viv"; }
    std::string systemReg() const { return readFileOrMissing(prefix_ / "system.reg"); }
    std::string userReg() const { return readFileOrMissing(prefix_ / "user.reg"); }

    std::string entry(const std::string& name) const { return archiveEntry(archive(), name); }

  private:
    TempFolder folder_;
    std::filesystem::path prefix_;
    std::filesystem::path gameFolder_;
};

// A child process that holds a write lock on a file (creating it) until destroyed, the way
// a running wineserver holds its lock file.
class LockHolder {
  public:
    explicit LockHolder(const std::filesystem::path& lockFile) {
        std::filesystem::create_directories(lockFile.parent_path());
        int ready[2];
        if (::pipe(ready) != 0) return;
        pid_ = ::fork();
        if (pid_ == 0) {
            ::close(ready[0]);
            const int fd = ::open(lockFile.c_str(), O_RDWR | O_CREAT, 0600);
            struct flock lock {};
            lock.l_type = F_WRLCK;
            lock.l_whence = SEEK_SET;
            const char status = fd >= 0 && ::fcntl(fd, F_SETLK, &lock) == 0 ? 'y' : 'n';
            (void)!::write(ready[1], &status, 1);
            ::pause();
            ::_exit(0);
        }
        ::close(ready[1]);
        char status = 'n';
        if (pid_ > 0 && ::read(ready[0], &status, 1) == 1) locked_ = status == 'y';
        ::close(ready[0]);
    }
    ~LockHolder() {
        if (pid_ > 0) {
            ::kill(pid_, SIGKILL);
            ::waitpid(pid_, nullptr, 0);
        }
    }
    LockHolder(const LockHolder&) = delete;
    LockHolder& operator=(const LockHolder&) = delete;
    bool locked() const { return locked_; }

  private:
    pid_t pid_ = -1;
    bool locked_ = false;
};

}  // namespace quenor::host::testing
