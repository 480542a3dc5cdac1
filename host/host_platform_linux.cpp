// The platform of a Linux machine. The registry is that of the Wine prefix the game is
// installed in (seen as the 32-bit game sees it, its drives reached through the prefix's
// links), or, on a machine without Wine, the tool's own registry files in the same format
// under $XDG_CONFIG_HOME/quenor. While the prefix's wineserver runs the tool refuses to
// start, and every later save checks again.

#include <unistd.h>

#include <cctype>

#include "core/tool_error.h"
#include "host/ansi_code_page_posix.h"
#include "host/finding/game_in_prefix.h"
#include "host/host_platform.h"
#include "host/local_time_posix.h"
#include "host/prefix_windows_version.h"
#include "host/process_environment_posix.h"
#include "host/user_folders_posix.h"
#include "host/wine_path_file_system_posix.h"
#include "host/wine_prefix_linux.h"
#include "host/wine_processes_linux.h"
#include "host/wine_virtual_desktop.h"
#include "host/wineserver_detection_linux.h"
#include "host/wow64_registry_view.h"
#include "host/x_screen.h"
#include "lib/base/code_page.h"
#include "lib/files/file_io.h"
#include "lib/registry/wine/wine_file_store.h"

namespace quenor::host {
namespace {

// The guard of a look at the installation (quenorctl status): it writes nothing.
std::optional<quenor::Failure> lookWritesNothing() {
    return quenor::Failure{
        quenor::Failure::Kind::kRefused, {}, "a look at the installation writes nothing", {}};
}

// The real path of a folder, or the path as it is when it cannot be resolved.
std::filesystem::path realPathOf(const std::filesystem::path& folder) {
    std::error_code error;
    std::filesystem::path real = std::filesystem::canonical(folder, error);
    if (error) real = std::filesystem::weakly_canonical(folder, error);
    return error ? folder : real;
}

class FixedSystemVersion : public SystemInfo {
  public:
    explicit FixedSystemVersion(SystemVersion version) : version_(version) {}
    SystemVersion version() const override { return version_; }

  private:
    SystemVersion version_;
};

// A registry file Wine would not load either is never written: the run ends, naming it.
template <typename Store>
std::unique_ptr<Store> openStore(const std::string& programName, auto&&... arguments) {
    try {
        return std::make_unique<Store>(std::forward<decltype(arguments)>(arguments)...);
    } catch (const reg::wine::WineRegistryError& e) {
        throw ToolError(error_number::kBadFileFormat, programName,
                        std::string("The registry file cannot be read: ") + e.what() +
                            ". Nothing was changed; repair or restore the file, then start the "
                            "tool again.");
    }
}

// The game gets the ANSI code page of the locale Wine runs it under; the registry's texts take
// that form.
int useLocalesCodePage(const Environment& environment) {
    const int page = ansiCodePageOfLocale(environment);
    base::setAnsiCodePage(page);
    return page;
}

class LinuxPlatform : public HostPlatform {
  public:
    LinuxPlatform(const std::filesystem::path& executable,
                  std::unique_ptr<Environment> ownEnvironment, const Environment& environment,
                  files::FileIo& io, Use use)
        : programName_(executable.stem().string()),
          ownEnvironment_(std::move(ownEnvironment)),
          environment_(environment),
          io_(io),
          use_(use),
          codePage_(useLocalesCodePage(environment_)),
          location_(findRegistryLocation(io_, environment_, programName_)),
          reachedFolder_(location_.folder) {
        // One installation, one identity: the prefix by its real path, however it was reached
        // (a symbolic link to another disk, "..", a trailing "/"). It keys the originals and
        // holds the lock of every change.
        location_.folder = realPathOf(location_.folder);
        const bool inPrefix = location_.kind == RegistryLocation::Kind::WinePrefix;
        if (inPrefix) {
            search_ = wineserverSearchFor(environment_);
            processes_ = processSearchFor(io_, location_);
            wineRunning_ = wineRuns();
            if (wineRunning_ && use_ == Use::Run) {
                refusal_ = wineRunningRefusal(location_.folder);
                return;  // nothing is loaded or created
            }
        }
        requireRegistryFiles(location_, programName_);
        const std::filesystem::path executableFolder =
            std::filesystem::absolute(executable).parent_path();
        toolFolder_ =
            chooseToolFolder(executableFolder, environment_, isInstalledFolder(executableFolder))
                .string();
        store_ = openStore<reg::wine::WineFileStore>(programName_, location_.folder,
                                                     reg::wine::WineArch::Win32, io_);
        if (use_ == Use::Inspect) {
            store_->setSaveGuard(lookWritesNothing);
        } else if (inPrefix) {
            store_->setSaveGuard([this] { return whyWineStopsTheChange(); });
        }
        if (inPrefix) {
            prefix_ = location_.folder;
            view_ = std::make_unique<Wow64RegistryView>(*store_, store_->systemArch() == "win64");
            system_ = std::make_unique<FixedSystemVersion>(
                versionToldToPrograms(prefixWindowsVersion(store_->hive(reg::kLocalMachine))));
        } else {
            system_ =
                std::make_unique<FixedSystemVersion>(versionToldToPrograms(kWineDefaultVersion));
        }
        files_ = std::make_unique<WinePathFileSystem>(programName_, prefix_, location_.folder, io_);
    }

    PlatformServices services(MessageBoxes& messageBoxes) override {
        if (refusal_) {
            throw ToolError(error_number::kPathAccess, programName_,
                            "The tool cannot run now: " + refusal_->text);
        }
        // The folders are made only now: a refused run, and a look, write nothing.
        if (use_ == Use::Run) {
            makeFolder(toolFolder_);
            if (location_.kind == RegistryLocation::Kind::ToolStore) makeFolder(location_.folder);
            if (location_.remember) location_.remember();
        }
        reg::RegistryStore& registry = view_ ? static_cast<reg::RegistryStore&>(*view_) : *store_;
        PlatformServices services{*files_,
                                  clock_,
                                  format_,
                                  environment_,
                                  *system_,
                                  messageBoxes,
                                  registry,
                                  *store_,
                                  toolFolder_,
                                  programName_,
                                  originalsFolder(environment_, prefix_)};
        // Earlier versions kept a prefix's originals below the home, named by the path the
        // prefix was reached through.
        if (prefix_) {
            services.earlierOriginalsFolders =
                earlierOriginalsFolders(environment_, *prefix_, reachedFolder_);
            services.whyGameMustNotBeWritten = [this] { return whyWineStopsTheChange(); };
        }
        return services;
    }
    std::optional<MessageBoxRequest> refusal() const override { return refusal_; }
    std::string refusalReason() const override {
        return refusal_ ? wineRunningReason(location_.folder) : std::string();
    }
    std::optional<MessageBoxRequest> notice() const override { return location_.notice; }
    std::optional<Prefix> prefix() const override {
        if (location_.kind != RegistryLocation::Kind::WinePrefix) return std::nullopt;
        return Prefix{location_.folder,
                      location_.installation ? location_.installation->launcher : "WINEPREFIX"};
    }
    bool wineRunning() const override { return wineRunning_; }
    // Wine draws through X (Xwayland on a Wayland desktop), inside the prefix's virtual
    // desktop when it has one.
    Screen screen() const override {
        if (prefix_ && store_) {
            if (std::optional<Screen> desktop = wineVirtualDesktop(*store_)) return *desktop;
        }
        return xScreen(environment_.variable("DISPLAY"), kScreenWait);
    }
    std::string registryDescription() const override {
        return location_.kind == RegistryLocation::Kind::WinePrefix
                   ? "Wine prefix " + location_.folder.string()
                   : "registry files in " + location_.folder.string();
    }

  private:
    // The game's folder and "Install Dir", so that the game itself counts as Wine running.
    static PrefixProcessSearch processSearchFor(files::FileIo& io,
                                                const RegistryLocation& location) {
        PrefixProcessSearch search;
        search.prefix = location.folder;
        std::optional<std::string> installDir;
        if (location.installation) {
            installDir = location.installation->installDir;
        } else {
            try {
                installDir = installDirInSystemReg(io, location.folder / "system.reg");
            } catch (const std::exception&) {
                // The store reports the file when it loads it.
            }
        }
        if (installDir) {
            search.installDir = *installDir;
            // Only a full path on a drive names the game's folder: any other is never read
            // against the current folder.
            const std::string& dir = *installDir;
            const bool onADrive = dir.size() >= 3 &&
                                  std::isalpha(static_cast<unsigned char>(dir[0])) &&
                                  dir[1] == ':' && (dir[2] == '\\' || dir[2] == '/');
            const MappedPath folder =
                onADrive ? mapToolPath(io, location.folder, dir) : MappedPath{{}, "no drive"};
            if (folder.error.empty()) search.gameFolder = folder.host;
        }
        return search;
    }

    // Wine, started for the prefix during the run, holds its registry and would write over
    // a change: the change stops, saying so. Nothing when no Wine runs.
    std::optional<quenor::Failure> whyWineStopsTheChange() const {
        if (!wineRuns()) return std::nullopt;
        return quenor::Failure{quenor::Failure::Kind::kWineRunning,
                               location_.folder,
                               "Wine started running for the prefix " + location_.folder.string() +
                                   "; close every Wine program of it, then try again",
                               {}};
    }

    // A folder the run needs; one that cannot be made shows as the first write into it fails.
    void makeFolder(const std::filesystem::path& folder) {
        try {
            io_.createFolders(folder);
        } catch (const files::FileIoError&) {
        }
    }

    bool wineRuns() const {
        return findRunningWineserver(io_, location_.folder, search_) ||
               findProcessOfPrefix(processes_).has_value();
    }

    std::string programName_;
    std::unique_ptr<Environment> ownEnvironment_;
    const Environment& environment_;
    files::FileIo& io_;
    Use use_;
    bool wineRunning_ = false;
    int codePage_;  // set before the registry is read: its texts take the form of the game's
    RegistryLocation location_;
    std::filesystem::path reachedFolder_;  // the registry's folder as it was named or found
    WineserverSearch search_;
    PrefixProcessSearch processes_;
    std::optional<MessageBoxRequest> refusal_;
    std::string toolFolder_;
    std::optional<std::filesystem::path> prefix_;
    std::unique_ptr<WinePathFileSystem> files_;
    SystemClock clock_;
    LocaleRegionalFormat format_;
    std::unique_ptr<SystemInfo> system_;
    std::unique_ptr<reg::wine::WineFileStore> store_;
    std::unique_ptr<Wow64RegistryView> view_;  // over store_, in a Wine prefix
};

}  // namespace

std::unique_ptr<HostPlatform> HostPlatform::open(const std::filesystem::path& executable,
                                                 files::FileIo& io, Use use) {
    auto environment = std::make_unique<ProcessEnvironment>();
    const Environment& view = *environment;
    return std::make_unique<LinuxPlatform>(executable, std::move(environment), view, io, use);
}

std::unique_ptr<HostPlatform> HostPlatform::open(const std::filesystem::path& executable,
                                                 const Environment& environment, files::FileIo& io,
                                                 Use use) {
    return std::make_unique<LinuxPlatform>(executable, nullptr, environment, io, use);
}

}  // namespace quenor::host
