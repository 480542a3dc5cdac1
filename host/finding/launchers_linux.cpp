#include "host/finding/launchers_linux.h"

#include <yaml-cpp/yaml.h>

#include <nlohmann/json.hpp>

#include <algorithm>
#include <functional>
#include <initializer_list>
#include <stdexcept>

#include "lib/files/file_io.h"
#include "lib/vdf/vdf_text.h"

namespace quenor::host {

namespace {

namespace fs = std::filesystem;

// Launchers' own files are small; anything larger is not one of them.
constexpr std::uint64_t kMaxLauncherFile = 1u << 20;

std::string readSmallFile(files::FileIo& io, const fs::path& file) {
    return files::readWholeText(io, file, kMaxLauncherFile);
}

// A path from a launcher's file: "~" is the home folder, a relative path starts at the file's
// folder.
fs::path resolved(const std::string& text, const fs::path& home, const fs::path& fileFolder) {
    if (text == "~") return home;
    if (text.rfind("~/", 0) == 0) return home / text.substr(2);
    const fs::path path(text);
    return path.is_absolute() ? path : fileFolder / path;
}

// The folders directly below `folder` (or links to folders), sorted; none when it is missing.
std::vector<fs::path> subfolders(files::FileIo& io, const fs::path& folder) {
    std::vector<fs::path> out;
    for (const std::string& name : io.namesIn(folder)) {
        if (io.kind(folder / name) == files::FileKind::kFolder) out.push_back(folder / name);
    }
    std::sort(out.begin(), out.end());
    return out;
}

std::vector<fs::path> filesEndingWith(files::FileIo& io, const fs::path& folder,
                                      const std::string& ending) {
    std::vector<fs::path> out;
    for (const std::string& name : io.namesIn(folder)) {
        if (name.size() > ending.size() && name.ends_with(ending)) out.push_back(folder / name);
    }
    std::sort(out.begin(), out.end());
    return out;
}

// Gives `read` the text of each launcher file ending with `ending` in the folders, with the
// folder it is in; a file that cannot be read or understood is left out, saying why.
void readLauncherFiles(files::FileIo& io, std::initializer_list<fs::path> folders,
                       const std::string& ending, std::vector<LeftOut>& leftOut,
                       const std::function<void(const std::string&, const fs::path&)>& read) {
    for (const fs::path& folder : folders) {
        for (const fs::path& config : filesEndingWith(io, folder, ending)) {
            try {
                read(readSmallFile(io, config), folder);
            } catch (const std::exception& error) {
                leftOut.push_back({config, std::string("cannot be read: ") + error.what()});
            }
        }
    }
}

void addLutris(files::FileIo& io, const fs::path& home, std::vector<PrefixCandidate>& out,
               std::vector<LeftOut>& leftOut) {
    const fs::path flatpak = home / ".var/app/net.lutris.Lutris";
    readLauncherFiles(io,
                      {home / ".config/lutris/games", home / ".local/share/lutris/games",
                       flatpak / "config/lutris/games", flatpak / "data/lutris/games"},
                      ".yml", leftOut, [&](const std::string& text, const fs::path& folder) {
                          const std::string prefix = lutrisPrefix(text);
                          if (!prefix.empty())
                              out.push_back({resolved(prefix, home, folder), "Lutris"});
                      });
    for (const fs::path& folder : subfolders(io, home / "Games")) out.push_back({folder, "Lutris"});
}

// Heroic: the prefix of each game's config (GamesConfig/*.json, native and Flatpak), and the
// prefix folders Heroic makes by default, ~/Games/Heroic/Prefixes/NAME and (since 2.9)
// Prefixes/default/NAME. A Proton prefix keeps Wine's files in its "pfx" folder.
void addHeroic(files::FileIo& io, const fs::path& home, std::vector<PrefixCandidate>& out,
               std::vector<LeftOut>& leftOut) {
    readLauncherFiles(io,
                      {home / ".config/heroic/GamesConfig",
                       home / ".var/app/com.heroicgameslauncher.hgl/config/heroic/GamesConfig"},
                      ".json", leftOut, [&](const std::string& text, const fs::path& folder) {
                          for (const HeroicPrefix& prefix : heroicPrefixes(text)) {
                              const fs::path named = resolved(prefix.folder, home, folder);
                              out.push_back({prefix.proton ? named / "pfx" : named, "Heroic"});
                          }
                      });
    const fs::path prefixes = home / "Games/Heroic/Prefixes";
    std::vector<fs::path> folders = subfolders(io, prefixes / "default");
    for (const fs::path& folder : subfolders(io, prefixes)) {
        if (folder.filename() != "default") folders.push_back(folder);
    }
    for (const fs::path& folder : folders) {
        const bool proton = io.kind(folder / "pfx") == files::FileKind::kFolder;
        out.push_back({proton ? folder / "pfx" : folder, "Heroic"});
    }
}

void addSteam(files::FileIo& io, const fs::path& home, std::vector<PrefixCandidate>& out,
              std::vector<LeftOut>& leftOut) {
    for (const fs::path& root : {home / ".steam/steam", home / ".local/share/Steam",
                                 home / ".var/app/com.valvesoftware.Steam/.local/share/Steam"}) {
        std::vector<fs::path> libraries{root};
        const fs::path list = root / "steamapps" / "libraryfolders.vdf";
        if (io.kind(list) == files::FileKind::kRegularFile) {
            try {
                for (const std::string& library : steamLibraries(readSmallFile(io, list))) {
                    libraries.push_back(resolved(library, home, list.parent_path()));
                }
            } catch (const std::exception& e) {
                leftOut.push_back({list, std::string("cannot be read: ") + e.what()});
            }
        }
        for (const fs::path& library : libraries) {
            for (const fs::path& game : subfolders(io, library / "steamapps" / "compatdata")) {
                out.push_back({game / "pfx", "Steam"});
            }
        }
    }
}

}  // namespace

std::string lutrisPrefix(std::string_view configText) {
    YAML::Node root;
    try {
        root = YAML::Load(std::string(configText));
    } catch (const YAML::Exception& error) {
        throw std::runtime_error(std::string("it is not valid YAML: ") + error.what());
    }
    if (!root.IsMap()) return {};
    const YAML::Node gameSection = root["game"];
    if (!gameSection.IsMap()) return {};
    const YAML::Node prefix = gameSection["prefix"];
    if (!prefix.IsScalar()) return {};
    return prefix.Scalar();
}

std::vector<HeroicPrefix> heroicPrefixes(std::string_view configText) {
    nlohmann::json root;
    try {
        root = nlohmann::json::parse(configText);
    } catch (const nlohmann::json::exception& error) {
        throw std::runtime_error(std::string("it is not valid JSON: ") + error.what());
    }
    std::vector<HeroicPrefix> out;
    if (!root.is_object()) return out;
    for (const auto& [game, settings] : root.items()) {
        if (!settings.is_object()) continue;
        const auto prefix = settings.find("winePrefix");
        if (prefix == settings.end() || !prefix->is_string()) continue;
        const std::string folder = prefix->get<std::string>();
        if (folder.empty()) continue;
        bool proton = false;
        if (const auto version = settings.find("wineVersion");
            version != settings.end() && version->is_object()) {
            const auto type = version->find("type");
            proton = type != version->end() && type->is_string() && *type == "proton";
        }
        out.push_back({folder, proton});
    }
    return out;
}

std::vector<std::string> steamLibraries(std::string_view libraryFoldersText) {
    const vdf::Node root = vdf::parseVdf(libraryFoldersText);
    const vdf::Node* folders = vdf::member(root, "libraryfolders");
    std::vector<std::string> out;
    if (!folders || !folders->isObject) return out;
    for (const vdf::Node& library : folders->children) {
        // Since 2021: "0" { "path" "..." ... }; before: "1" "..." (numbered keys only).
        if (library.isObject) {
            if (const vdf::Node* path = vdf::member(library, "path"); path && !path->isObject) {
                if (!path->value.empty()) out.push_back(path->value);
            }
        } else if (!library.key.empty() &&
                   std::all_of(library.key.begin(), library.key.end(),
                               [](char c) { return c >= '0' && c <= '9'; }) &&
                   !library.value.empty()) {
            out.push_back(library.value);
        }
    }
    return out;
}

std::vector<PrefixCandidate> candidatePrefixes(files::FileIo& io, const fs::path& home,
                                               std::vector<LeftOut>& leftOut,
                                               std::vector<std::string>& lookedIn) {
    std::vector<PrefixCandidate> out;
    out.push_back({home / ".wine", "Wine"});
    addLutris(io, home, out, leftOut);
    addHeroic(io, home, out, leftOut);
    addSteam(io, home, out, leftOut);
    for (const fs::path& bottles :
         {home / ".local/share/bottles/bottles",
          home / ".var/app/com.usebottles.bottles/data/bottles/bottles"}) {
        for (const fs::path& bottle : subfolders(io, bottles)) out.push_back({bottle, "Bottles"});
    }
    for (const fs::path& prefix : subfolders(io, home / ".PlayOnLinux/wineprefix")) {
        out.push_back({prefix, "PlayOnLinux"});
    }
    lookedIn = {"~/.wine",
                "Lutris: its game configs (~/.config/lutris/games, ~/.local/share/lutris/games, "
                "and the Flatpak's) and ~/Games",
                "Heroic: its game configs (~/.config/heroic/GamesConfig and the Flatpak's) and "
                "~/Games/Heroic/Prefixes",
                "Steam: the compatdata prefixes of every Steam library (native and Flatpak)",
                "Bottles: every bottle (native and Flatpak)",
                "PlayOnLinux: ~/.PlayOnLinux/wineprefix"};
    return out;
}

}  // namespace quenor::host
