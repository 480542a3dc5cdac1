#pragma once

#include <filesystem>
#include <memory>
#include <optional>
#include <string>

#include "core/platform/environment.h"
#include "core/platform/message_box.h"
#include "core/tool.h"
#include "host/screen.h"
#include "lib/files/file_io.h"

namespace quenor::host {

// The real platform of one run of the tool on this machine: the clock and regional formats
// of the user's locale, the process environment, the file system, the registry store and
// the tool folder. The message boxes come from the front end.
class HostPlatform {
  public:
    // What the platform is opened for: a run of the tool, or a look at the installation
    // (quenorctl status), which never writes anything and also works while Wine runs.
    enum class Use { Run, Inspect };

    // Finds everything the run needs; `executable` is the program's own path. Throws
    // ToolError when the registry cannot be opened (naming the file and the defect).
    // Opening writes nothing.
    // Every file of the run is reached through `io`, which must outlive the platform.
    static std::unique_ptr<HostPlatform> open(const std::filesystem::path& executable,
                                              files::FileIo& io, Use use = Use::Run);
    // The same, with every variable (the tool's "Temp" included) looked up in
    // `environment`, which must outlive the platform. Defined by the hosts that look names
    // up themselves (Linux); others need not define it.
    static std::unique_ptr<HostPlatform> open(const std::filesystem::path& executable,
                                              const Environment& environment, files::FileIo& io,
                                              Use use = Use::Run);
    virtual ~HostPlatform() = default;

    // The services for Tool, with the front end's message boxes. Throws ToolError when the
    // run was refused (see refusal()).
    virtual PlatformServices services(MessageBoxes& messageBoxes) = 0;

    // When the tool must not run now (and must write nothing), the one box that says why;
    // the program shows it and ends.
    virtual std::optional<MessageBoxRequest> refusal() const = 0;
    // The refusal's reason alone, in a sentence ("Wine is running for the prefix ...").
    virtual std::string refusalReason() const { return {}; }

    // An information box the program shows before start-up: which installation of the game
    // opens, when that needs saying. Empty on most starts.
    virtual std::optional<MessageBoxRequest> notice() const { return std::nullopt; }

    // Where the registry of the run lives, for the user: for example
    // "Wine prefix /home/ann/.wine" or "registry files in /home/ann/.config/quenor"; empty
    // where the system's own registry is used.
    virtual std::string registryDescription() const { return {}; }

    // The Wine prefix of the run and the launcher that keeps it ("Steam", or "WINEPREFIX"
    // when named); nothing where the system's own registry is used or no prefix holds the game.
    struct Prefix {
        std::filesystem::path folder;
        std::string launcher;
    };
    virtual std::optional<Prefix> prefix() const { return std::nullopt; }
    // Whether Wine runs for the prefix now (found at opening).
    virtual bool wineRunning() const { return false; }
    // The screen the game will be shown on, asked now; waits at most kScreenWait.
    virtual Screen screen() const = 0;
};

}  // namespace quenor::host
