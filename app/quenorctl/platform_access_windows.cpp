#include <ostream>

#include "app/quenorctl/platform_access.h"

namespace quenor::ctl {

std::optional<std::string> prefixNotSupported() {
    return "--prefix names a Wine prefix; on Windows the game is where its registry says";
}

std::unique_ptr<host::HostPlatform> openPlatform(const Context& context, const Environment&,
                                                 host::HostPlatform::Use use) {
    return host::HostPlatform::open(context.executable, context.io, use);
}

int listInstallations(const Context& context, const std::string&) {
    context.out << "On Windows NHL 09 is where its registry says; quenorctl status shows it.\n";
    return kDone;
}

}  // namespace quenor::ctl
