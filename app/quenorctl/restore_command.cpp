#include "app/quenorctl/restore_command.h"

#include "core/game_installation.h"

#include <ostream>

#include "app/quenorctl/no_boxes.h"
#include "app/quenorctl/platform_access.h"
#include "app/quenorctl/status.h"
#include "core/operation_log.h"
#include "tool/originals/kept_originals.h"
#include "tool/originals/restore_originals.h"
#include "tool/startup/settings_store.h"
#include "window/terminal/terminal_message_boxes.h"

namespace quenor::ctl {

namespace {

// The steps of a restore or a forget, in quenor.log while the stored "Log" setting is on, as
// the window logs its changes. A log that cannot be written does not stop the change.
class RestoreLog {
  public:
    explicit RestoreLog(const PlatformServices& services) : tool_(services) {
        tool_.settings.intLog = storedLogSetting(services);
    }
    void line(const std::string& text) { writeFailureLog(tool_, text); }

  private:
    Tool tool_;
};

}  // namespace

int restoreCommand(const Context& context, const Environment& environment, bool force,
                   const std::optional<std::string>& forget) {
    // No box is ever shown here; notes go to standard error.
    NoBoxes noBoxes(&context.err);
    std::string archive;
    {
        auto platform = openPlatform(context, environment, host::HostPlatform::Use::Run);
        if (const auto refusal = platform->refusal()) {
            context.err << "quenorctl: " << ui::terminal::terminalLines(refusal->text)
                        << "\nNothing was changed.\n";
            return kFailed;
        }
        PlatformServices services = platform->services(noBoxes);
        const auto path = archiveToolPath(services);
        if (!path) {
            context.err << "quenorctl: NHL 09 is not installed here ("
                        << platform->registryDescription() << "); there is nothing to restore.\n";
            return kFailed;
        }
        archive = *path;
        const std::string installDir =
            archive.substr(0, archive.size() - std::string(game::kArchiveBelowGameFolder).size());
        if (const std::string why = unusableGameFolder(services.files, installDir); !why.empty()) {
            context.err << "quenorctl: " << why << "\n";
            return kFailed;
        }
        RestoreLog log(services);
        const std::string step = forget ? "forgetOriginals" : "restoreOriginals";
        log.line(step + " start: " + archive);
        try {
            if (forget) {
                if (const auto folder = originals::forgetOriginals(services, archive, *forget)) {
                    log.line(" Dropped the originals kept in " + *folder);
                    context.out << "Dropped the originals kept in " << *folder
                                << "; Quenor's next change keeps new ones.\n";
                } else {
                    log.line(" No originals were kept; nothing was dropped");
                    context.out << "No originals were kept; nothing was dropped.\n";
                }
                log.line(step + " done - OK");
                return kDone;
            }
            for (const std::string& line : originals::restoreOriginals(services, archive, force)) {
                log.line(" " + line);
                context.out << line << '\n';
            }
            log.line(step + " done - OK");
        } catch (const originals::OriginalsError& error) {
            log.line(step + " failed - " + error.what());
            context.err << "quenorctl: " << error.what() << '\n';
            return kFailed;
        }
    }
    // Read back from the files themselves: a platform opened afresh loads the registry again.
    auto fresh = openPlatform(context, environment, host::HostPlatform::Use::Inspect);
    PlatformServices services = fresh->services(noBoxes);
    const auto differences = originals::differencesFromOriginals(services, archive);
    RestoreLog log(services);
    if (!differences.empty()) {
        log.line("restoreOriginals read back - the installation differs from its originals");
        context.err << "quenorctl: read back after the restore, the installation differs from "
                       "its originals:\n";
        for (const std::string& difference : differences) context.err << "  " << difference << '\n';
        context.err << "Run the restore again.\n";
        return kFailed;
    }
    log.line("restoreOriginals read back - OK");
    context.out << "Read back: the archive and the registry values are as they were before "
                   "Quenor's first change.\n";
    return kDone;
}

}  // namespace quenor::ctl
