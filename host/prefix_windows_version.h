#pragma once

#include "core/platform/environment.h"
#include "lib/registry/key_tree.h"

namespace quenor::host {

// The Windows version a Wine prefix is set to, from its HKEY_LOCAL_MACHINE tree:
// Software\Microsoft\Windows NT\CurrentVersion, the DWORDs CurrentMajorVersionNumber and
// CurrentMinorVersionNumber (Windows 10 and later), else the text "CurrentVersion" ("6.1"),
// else Wine's default for a new prefix, 10.0. The 64-bit key is read first, then the
// 32-bit one (below Wow6432Node).
SystemVersion prefixWindowsVersion(reg::RegKey& machine);

// Wine's default for a new prefix: Windows 10.
inline constexpr SystemVersion kWineDefaultVersion{10, 0};

// The version GetVersionExA gives a program whose manifest does not declare support for
// Windows 8.1 or later, as the tool's Windows build and the game's programs: Windows 8.1
// and later (Wine included) answer 6.2, Windows 8. Earlier versions answer themselves.
SystemVersion versionToldToPrograms(SystemVersion configured);

}  // namespace quenor::host
