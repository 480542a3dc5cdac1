#include "app/quenorctl/restore_command.h"

#include <ostream>

#include "app/quenorctl/no_boxes.h"
#include "app/quenorctl/platform_access.h"
#include "app/quenorctl/status.h"
#include "tool/originals/kept_originals.h"
#include "tool/originals/restore_originals.h"
#include "window/terminal/terminal_message_boxes.h"

namespace quenor::ctl {

int restoreCommand(const Context& context, const Environment& environment, bool force,
                   const std::optional<std::string>& forget) {
    // No box is ever shown here; notes go to standard error.
    NoBoxes noBoxes(&context.err);
    std::string archive;
    {
        auto platform = openPlatform(context.executable, environment, host::HostPlatform::Use::Run);
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
        try {
            if (forget) {
                if (const auto folder = originals::forgetOriginals(services, archive, *forget)) {
                    context.out << "Dropped the originals kept in " << *folder
                                << "; Quenor's next change keeps new ones.\n";
                } else {
                    context.out << "No originals were kept; nothing was dropped.\n";
                }
                return kDone;
            }
            for (const std::string& line : originals::restoreOriginals(services, archive, force))
                context.out << line << '\n';
        } catch (const originals::OriginalsError& error) {
            context.err << "quenorctl: " << error.what() << '\n';
            return kFailed;
        }
    }
    // Read back from the files themselves: a platform opened afresh loads the registry again.
    auto fresh = openPlatform(context.executable, environment, host::HostPlatform::Use::Inspect);
    PlatformServices services = fresh->services(noBoxes);
    const auto differences = originals::differencesFromOriginals(services, archive);
    if (!differences.empty()) {
        context.err << "quenorctl: read back after the restore, the installation differs from "
                       "its originals:\n";
        for (const std::string& difference : differences) context.err << "  " << difference << '\n';
        context.err << "Run the restore again.\n";
        return kFailed;
    }
    context.out << "Read back: the archive and the registry values are as they were before "
                   "Quenor's first change.\n";
    return kDone;
}

}  // namespace quenor::ctl
