#pragma once

#include <memory>
#include <optional>
#include <string>

#include "app/quenorctl/quenorctl.h"
#include "host/host_platform.h"

namespace quenor::ctl {

// The parts of quenorctl that differ by system: how the platform is opened (a Wine prefix
// named by --prefix on Linux; the system's own registry on Windows) and the list of
// installations.

// Why --prefix cannot be used here, or nothing when it can.
std::optional<std::string> prefixNotSupported();

// `environment` is the process's with --prefix as WINEPREFIX; it must outlive the platform.
std::unique_ptr<host::HostPlatform> openPlatform(const Context& context,
                                                 const Environment& environment,
                                                 host::HostPlatform::Use use);

// Prints the installations found and why others were left out; returns the exit status.
int listInstallations(const Context& context, const std::string& prefix);

}  // namespace quenor::ctl
