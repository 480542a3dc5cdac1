#include "host/wine_prefix_linux.h"

#include <system_error>

#include "core/tool_error.h"
#include "host/finding/installation_choice.h"
#include "host/finding/installation_search.h"
#include "host/user_folders_posix.h"
#include "lib/files/file_io.h"

namespace quenor::host {

namespace {

bool isRegularFile(const std::filesystem::path& file) {
    std::error_code ignored;
    return std::filesystem::is_regular_file(file, ignored);
}

std::filesystem::path withoutTrailingSlashes(std::string text) {
    while (text.size() > 1 && text.back() == '/') text.pop_back();
    return text;
}

}  // namespace

RegistryLocation findRegistryLocation(files::FileIo& io, const Environment& environment,
                                      const std::string& programName) {
    const std::filesystem::path state = stateFolder(environment);
    const std::filesystem::path memoryFile = state / "installations";
    const std::string named = environment.variable("WINEPREFIX").value_or("");
    if (!named.empty()) {
        const std::string advice =
            " Set WINEPREFIX to the folder of the Wine prefix the game is installed in, or unset "
            "it to let Quenor look for the game.";
        if (named[0] != '/') {
            throw ToolError(
                error_number::kPathAccess, programName,
                "WINEPREFIX is \"" + named + "\", which is not an absolute path." + advice);
        }
        const std::filesystem::path prefix = withoutTrailingSlashes(named);
        std::error_code ignored;
        if (!std::filesystem::is_directory(prefix, ignored)) {
            throw ToolError(
                error_number::kPathAccess, programName,
                "WINEPREFIX names " + prefix.string() + ", which is not a folder." + advice);
        }
        RegistryLocation location{RegistryLocation::Kind::WinePrefix, prefix, {}, {}, {}};
        location.remember = [&io, memoryFile, prefix] {
            InstallationMemory memory = InstallationMemory::load(io, memoryFile);
            std::error_code error;
            const auto chosen = std::filesystem::weakly_canonical(prefix, error);
            memory.opened = error ? prefix : chosen;
            memory.save(io, memoryFile);
        };
        return location;
    }

    const std::filesystem::path cacheFile = state / "prefix-cache";
    auto cache = std::make_shared<PrefixScanCache>(PrefixScanCache::load(io, cacheFile));
    const SearchResult search = searchInstallations(io, homeFolder(environment), *cache);
    InstallationChoice choice =
        chooseInstallation(search, InstallationMemory::load(io, memoryFile));
    RegistryLocation location;
    if (choice.chosen) {
        location.kind = RegistryLocation::Kind::WinePrefix;
        location.folder = choice.chosen->prefix;
        location.installation = choice.chosen;
    } else {
        location.kind = RegistryLocation::Kind::ToolStore;
        location.folder = configFolder(environment);
    }
    location.notice = choice.notice;
    location.remember = [&io, memoryFile, cacheFile, cache, memory = choice.memory] {
        memory.save(io, memoryFile);
        if (cache->changed()) cache->save(io, cacheFile);
    };
    return location;
}

void requireRegistryFiles(const RegistryLocation& location, const std::string& programName) {
    if (location.kind != RegistryLocation::Kind::WinePrefix) return;
    if (isRegularFile(location.folder / "system.reg")) return;
    throw ToolError(error_number::kPathAccess, programName,
                    "The folder " + location.folder.string() +
                        " is not a Wine prefix: it has no system.reg. Run \"wineboot\" with "
                        "WINEPREFIX set to it once to make it one, or unset WINEPREFIX to use "
                        "~/.wine.");
}

}  // namespace quenor::host
