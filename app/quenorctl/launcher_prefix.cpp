#include "app/quenorctl/launcher_prefix.h"

#include <filesystem>
#include <stdexcept>
#include <system_error>

namespace quenor::ctl {

std::optional<LauncherPrefix> launcherPrefix(const std::string& prefixOption,
                                             const Environment& environment) {
    if (!prefixOption.empty()) return LauncherPrefix{prefixOption, "--prefix"};
    const std::string compatData = environment.variable("STEAM_COMPAT_DATA_PATH").value_or("");
    if (compatData.empty()) return std::nullopt;
    std::filesystem::path prefix(compatData);
    if (!prefix.is_absolute()) {
        throw std::invalid_argument("STEAM_COMPAT_DATA_PATH is \"" + compatData +
                                    "\", which is not an absolute path");
    }
    prefix /= "pfx";
    std::error_code error;
    if (!std::filesystem::is_directory(prefix, error)) {
        throw std::invalid_argument("STEAM_COMPAT_DATA_PATH is " + compatData +
                                    ", which holds no Proton prefix (no folder " + prefix.string() +
                                    "); start the game once from Steam first");
    }
    return LauncherPrefix{prefix.string(), "STEAM_COMPAT_DATA_PATH"};
}

}  // namespace quenor::ctl
