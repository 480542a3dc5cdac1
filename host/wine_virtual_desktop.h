#pragma once

#include <optional>

#include "host/screen.h"
#include "lib/registry/registry_store.h"

namespace quenor::host {

// The Wine virtual desktop a prefix runs its programs in, as its registry sets it: "Desktop" of
// HKEY_CURRENT_USER\Software\Wine\Explorer names an entry of ...\Explorer\Desktops, which holds
// its size as "WIDTHxHEIGHT". The game is shown on that desktop, whatever the X screen's size.
// Nothing when the prefix sets none, names "root" (Wine's name for the X screen itself), or
// names no entry with a size.
std::optional<Screen> wineVirtualDesktop(reg::RegistryStore& store);

}  // namespace quenor::host
