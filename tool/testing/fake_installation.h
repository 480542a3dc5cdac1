#pragma once

#include <filesystem>
#include <memory>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "core/testing/temp_folder.h"

namespace quenor::testing {

// The config file of resolution frame n (1 to 4) as the demo installation holds it: the
// bytes of demo/sgsmN.cfg, CR LF lines.
std::string demoConfig(int frame);
// Its number of lines.
int demoConfigLineCount(int frame);
// The same file as the patches leave it: the line of each key given ("devicewidth 800")
// holding the new value instead ("devicewidth 1280").
std::string demoConfigWith(int frame,
                           const std::vector<std::pair<std::string, std::string>>& values);

// Writes the game's archive as the fake installation holds it: the demo config files of the
// given frames and a decoy entry "sgsm.cfg"; big-endian size field.
void writeDemoArchive(const std::filesystem::path& archive,
                      const std::vector<int>& frames = {1, 2, 3, 4});
// The plain content of an archive entry.
std::string archiveEntry(const std::filesystem::path& archive, std::string_view name);

// The "Install Dir" of a game installed under C:\Games\NHL 09 of a prefix.
inline constexpr const char* kWindowsInstallDir = "C:\\Games\\NHL 09\\";

struct FakeInstallationOptions {
    bool win64 = false;         // "#arch=win64", the game's key below Software\Wow6432Node
    bool gameInstalled = true;  // the game's key and archive; else an empty prefix
    // The game's "Install Dir". Empty: the game folder's host path followed by "/" (for runs
    // that use host paths as they are); else this text, for example "C:\Games\NHL 09\", which
    // the prefix maps through dosdevices/c: to drive_c.
    std::string installDir;
    std::string gameFolderBelowDriveC = "Games/NHL 09";
    // The frames whose config file the archive holds.
    std::vector<int> framesInArchive{1, 2, 3, 4};
};

// An NHL 09 installation in a Wine prefix as wineboot and the game's installer leave it,
// reduced to what the tool touches: system.reg with the game's key ("Install Dir", and a
// Windows version "6.1"), user.reg, dosdevices/c: -> ../drive_c, and the game's archive
// preload/fmisc.viv (see writeDemoArchive).
class FakeInstallation {
  public:
    // Makes the prefix in `prefix` (created when missing).
    FakeInstallation(std::filesystem::path prefix, FakeInstallationOptions options = {});
    // Makes the prefix in a temporary folder of its own, removed with the installation.
    explicit FakeInstallation(FakeInstallationOptions options = {});
    ~FakeInstallation();

    const std::filesystem::path& prefix() const { return prefix_; }
    // The folder that holds the prefix.
    std::filesystem::path base() const { return prefix_.parent_path(); }
    std::filesystem::path gameFolder() const;
    std::filesystem::path archive() const;
    // The "Install Dir" the registry holds.
    const std::string& installDir() const { return installDir_; }

    // The plain content of an archive entry.
    std::string entry(std::string_view name) const;
    std::string systemReg() const;
    std::string userReg() const;

  private:
    void make();

    std::unique_ptr<TempFolder> ownFolder_;
    std::filesystem::path prefix_;
    FakeInstallationOptions options_;
    std::string installDir_;
};

}  // namespace quenor::testing
