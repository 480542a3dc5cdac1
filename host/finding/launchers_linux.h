#pragma once

#include <filesystem>
#include <string>
#include <vector>

#include "host/finding/installation.h"

namespace quenor::files {
class FileIo;
}

namespace quenor::host {

// A folder that may be a Wine prefix, and the launcher that keeps it there.
struct PrefixCandidate {
    std::filesystem::path folder;
    std::string launcher;
};

// The folders where players keep Wine prefixes, below the home folder, read-only:
// - ~/.wine;
// - Lutris: the "game: prefix:" of each game config (~/.config/lutris/games/*.yml,
//   ~/.local/share/lutris/games/*.yml, and the Flatpak's ~/.var/app/net.lutris.Lutris/...),
//   and every folder directly under ~/Games;
// - Heroic, native and Flatpak: the "winePrefix" of each game config
//   (~/.config/heroic/GamesConfig/*.json; its "pfx" under Proton), and every folder in
//   ~/Games/Heroic/Prefixes and ~/Games/Heroic/Prefixes/default;
// - Steam, native and Flatpak: steamapps/compatdata/*/pfx of every library that
//   steamapps/libraryfolders.vdf lists, and of the Steam folder itself;
// - Bottles, native and Flatpak: every bottle;
// - PlayOnLinux: every prefix in ~/.PlayOnLinux/wineprefix.
// A path in a launcher's file may start with "~" or be relative to the file's folder. A file
// that cannot be read is left out, with the reason, and the search goes on. The same folder may
// come more than once.
std::vector<PrefixCandidate> candidatePrefixes(files::FileIo& io, const std::filesystem::path& home,
                                               std::vector<LeftOut>& leftOut,
                                               std::vector<std::string>& lookedIn);

// The prefix a Lutris game config names ("game:" then "prefix:"), or empty when it names none.
// Throws std::runtime_error with the reason for a file that cannot be read as YAML.
std::string lutrisPrefix(std::string_view configText);

// The prefix each game of a Heroic GamesConfig file names ({"<app>": {"winePrefix": ...,
// "wineVersion": {"type": "proton" | "wine" ...}}}), in the file's order; games without one
// are left out. Throws std::runtime_error with the reason for a file that is not JSON.
struct HeroicPrefix {
    std::string folder;
    bool proton = false;  // Wine's files are in its "pfx" folder
};
std::vector<HeroicPrefix> heroicPrefixes(std::string_view configText);

// The library folders a Steam libraryfolders.vdf lists, in both of its forms. Throws
// vdf::VdfError for a file that cannot be read.
std::vector<std::string> steamLibraries(std::string_view libraryFoldersText);

}  // namespace quenor::host
