#include <ostream>

#include "app/quenorctl/platform_access.h"
#include "host/finding/game_in_prefix.h"
#include "host/finding/installation_choice.h"
#include "host/finding/installation_search.h"
#include "host/user_folders_posix.h"
#include "lib/files/file_io.h"

namespace quenor::ctl {

std::optional<std::string> prefixNotSupported() {
    return std::nullopt;
}

std::unique_ptr<host::HostPlatform> openPlatform(const Context& context,
                                                 const Environment& environment,
                                                 host::HostPlatform::Use use) {
    return host::HostPlatform::open(context.executable, environment, context.io, use);
}

int listInstallations(const Context& context, const std::string& prefix) {
    if (!prefix.empty()) {
        std::string whyNot;
        const auto found = host::gameInPrefix(context.io, prefix, "--prefix", whyNot);
        if (!found) {
            context.out << "No NHL 09 in " << prefix << ": " << whyNot << ".\n";
            return kFailed;
        }
        context.out << "NHL 09 in " << found->prefix.string() << "\n  Install Dir "
                    << found->installDir << "\n  archive " << found->archive.string() << '\n';
        return kDone;
    }
    host::PrefixScanCache cache = host::PrefixScanCache::load(
        context.io, host::stateFolder(context.environment) / "prefix-cache");
    const host::SearchResult search =
        host::searchInstallations(context.io, host::homeFolder(context.environment), cache);
    const host::InstallationChoice choice = host::chooseInstallation(
        search, host::InstallationMemory::load(
                    context.io, host::stateFolder(context.environment) / "installations"));
    if (search.found.empty()) {
        context.out << "NHL 09 was not found in any Wine prefix.\n";
    } else {
        context.out << "NHL 09 found in " << search.found.size()
                    << (search.found.size() == 1 ? " place" : " places") << ":\n";
        for (const host::Installation& installation : search.found) {
            const bool opens = choice.chosen && choice.chosen->prefix == installation.prefix;
            context.out << "  " << installation.launcher << "  " << installation.prefix.string()
                        << (opens ? "  (opens)" : "") << "\n    Install Dir "
                        << installation.installDir << "\n";
        }
    }
    if (!search.leftOut.empty()) {
        context.out << "Left out:\n";
        for (const host::LeftOut& left : search.leftOut) {
            context.out << "  " << left.place.string() << ": " << left.reason << '\n';
        }
    }
    context.out << "Looked in:\n";
    for (const std::string& place : search.lookedIn) context.out << "  " << place << '\n';
    return search.found.empty() ? kFailed : kDone;
}

}  // namespace quenor::ctl
