#pragma once

#include <filesystem>
#include <string>

#include "core/platform/clock.h"
#include "core/platform/environment.h"
#include "core/platform/host_file_system.h"
#include "core/platform/message_box.h"
#include "host/virtual_store.h"

// The platform services of a Windows build, each over the Windows call the tool's design
// names for it.
namespace quenor::host::windows {

// The process environment through GetEnvironmentVariableA; references are expanded by
// ExpandEnvironmentStringsA.
class WindowsEnvironment : public Environment {
  public:
    std::optional<std::string> variable(std::string_view name) const override;
    std::string expandReferences(std::string_view text) const override;
};

// The version numbers GetVersionExA reports, asked with a zeroed OSVERSIONINFOEXA whose size
// field holds 156. A failing call is not detected: the numbers then read 0.
class WindowsSystemInfo : public SystemInfo {
  public:
    SystemVersion version() const override;
};

// The local time (GetLocalTime).
class WindowsClock : public Clock {
  public:
    LocalDateTime now() const override;
};

// The user's general date format: the short date (GetDateFormatA), a blank and the time
// (GetTimeFormatA), and the user's decimal separator.
class WindowsRegionalFormat : public RegionalFormat {
  public:
    std::string generalDate(const LocalDateTime& when) const override;
    char decimalSeparator() const override;
};

// The files of Windows, through Win32 calls, for the VirtualStore choice.
class WindowsFileAccess : public FileAccess {
  public:
    // Folders are made through `io`.
    explicit WindowsFileAccess(files::FileIo& io) : io_(io) {}

    bool exists(const std::string& path) override;
    bool canWrite(const std::string& path) override;
    std::string copyMakingFolders(const std::string& from, const std::string& to) override;

  private:
    files::FileIo& io_;
};

// The folders Windows virtualizes for the game (Program Files in both views, Windows,
// ProgramData) and the user's VirtualStore, from the environment.
VirtualStoreFolders virtualStoreFoldersOf(const Environment& environment);

// The host file system with "\" between names; the tool's 8-bit path texts are in the
// system code page and converted to Windows' UTF-16 paths with it. A file in a folder Windows
// virtualizes for the game is the one the game reads (see fileTheGameReads): the tool's paths,
// and so its log, keep the game's own path.
//
// The lock of a change lies in `lockFolder`, a folder every account of the machine can write
// (ProgramData\Quenor\locks), named after the archive's real path, so that every process
// and every account that changes one archive meets on one lock file.
class WindowsFileSystem : public HostFileSystem {
  public:
    WindowsFileSystem(std::string programName, files::FileIo& io, VirtualStoreFolders folders,
                      std::filesystem::path lockFolder,
                      VirtualStoreCopies copies = VirtualStoreCopies::MakeWhenNeeded)
        : HostFileSystem(programName, io),
          programName_(std::move(programName)),
          folders_(std::move(folders)),
          lockFolder_(std::move(lockFolder)),
          copies_(copies),
          gameIo_(io, *this) {}
    // Each path leads to the file the game reads (fileTheGameReads), made when needed; a
    // temporary sibling lies beside the file it replaces. The lock folder is Quenor's own and
    // never redirected.
    files::MappedFileIo& io() const override { return gameIo_; }
    std::filesystem::path pathOf(const std::string& path) const override;
    // "<lock folder>\archive-<digest of the archive's real path>.lock"; the folder is made
    // when missing.
    std::filesystem::path changeLockFile(const std::string& archivePath) const override;
    // The final path Windows resolves (links, junctions, "..", short names, letter case), or
    // the full path of a file that does not exist yet.
    std::string identityPath(const std::string& path) const override;
    bool takesHostGameFolders() const override { return false; }

  private:
    class GameFileIo : public files::MappedFileIo {
      public:
        GameFileIo(files::FileIo& io, const WindowsFileSystem& files)
            : MappedFileIo(io), files_(files) {}
        std::filesystem::path hostPathOf(const std::filesystem::path& path) override;
        // A folder leads to its VirtualStore copy when that exists; none is ever made for it.
        std::filesystem::path hostFolderOf(const std::filesystem::path& folder) override;

      private:
        bool isQuenorsOwn(const std::filesystem::path& path) const;
        const WindowsFileSystem& files_;
    };

    std::string programName_;
    VirtualStoreFolders folders_;
    std::filesystem::path lockFolder_;
    VirtualStoreCopies copies_;
    mutable GameFileIo gameIo_;
};

// The folder of change locks: %ProgramData%\Quenor\locks, or the tool folder's "locks"
// when the variable is not set.
std::filesystem::path lockFolderOf(const Environment& environment, const std::string& toolFolder);

// Modal message boxes through MessageBoxA, owned by the tool's window once it exists.
class WindowsMessageBoxes : public MessageBoxes {
  public:
    MessageAnswer show(const MessageBoxRequest& request) override;
    void setOwner(void* window) { owner_ = window; }

    // The MessageBoxA style for a request: buttons, icon and default button.
    static unsigned style(const MessageBoxRequest& request);

  private:
    void* owner_ = nullptr;
};

// Where the originals of the machine's installations are kept before the tool first changes
// them: %LOCALAPPDATA%\Quenor\originals\machine, or the tool folder's "originals\machine"
// when the variable is not set.
std::filesystem::path originalsFolderOf(const Environment& environment,
                                        const std::string& toolFolder);

// The full path of the running executable (GetModuleFileNameA).
std::string executablePath();
// The folder part of a Windows path, without a final separator ("C:\Tools\q.exe" gives
// "C:\Tools"; a file at a drive's root gives "C:").
std::string folderOf(const std::string& path);
// The file name without folder and extension ("C:\Tools\quenor.exe" gives "quenor").
std::string programNameOf(const std::string& path);

}  // namespace quenor::host::windows
