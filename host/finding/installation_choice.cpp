#include "host/finding/installation_choice.h"

#include "host/finding/state_file.h"

#include <algorithm>
#include <sstream>

#include "lib/files/file_io.h"

namespace quenor::host {

namespace {

namespace fs = std::filesystem;

constexpr std::uint64_t kMaxMemoryFile = 1u << 20;

std::string describe(const Installation& installation) {
    return installation.launcher + ": " + installation.prefix.string();
}

MessageBoxRequest information(std::string title, std::string text) {
    MessageBoxRequest box;
    box.title = std::move(title);
    box.text = std::move(text);
    box.buttons = MessageButtons::Ok;
    box.icon = MessageIcon::Information;
    return box;
}

MessageBoxRequest severalFound(const std::vector<Installation>& found, const Installation& chosen,
                               const std::string& why) {
    std::string text = "Quenor found NHL 09 in " + std::to_string(found.size()) + " places:\r";
    for (const Installation& installation : found) text += "\r" + describe(installation);
    text += "\r\rIt opens " + describe(chosen) + ", " + why + ".";
    const auto other = std::find_if(found.begin(), found.end(), [&](const Installation& i) {
        return i.prefix != chosen.prefix;
    });
    text +=
        "\r\rTo open another one, start Quenor with WINEPREFIX set to its folder, for example"
        "\r  WINEPREFIX=\"" +
        other->prefix.string() + "\" quenor\rQuenor remembers it and opens it from then on.";
    return information("Quenor - NHL 09 found in several places", text);
}

MessageBoxRequest noneFound(const SearchResult& search) {
    std::string text = "Quenor did not find NHL 09 in any Wine prefix. It looked in:\r";
    for (const std::string& place : search.lookedIn) text += "\r" + place;
    text +=
        "\r\rIf the game is installed in another Wine prefix, start Quenor with WINEPREFIX set to "
        "that prefix's folder:\r  WINEPREFIX=\"/path/to/prefix\" quenor\r\rUntil then Quenor opens "
        "on its own settings, and Apply has no game to change.";
    return information("Quenor - NHL 09 not found", text);
}

}  // namespace

InstallationMemory InstallationMemory::load(files::FileIo& io, const fs::path& file) {
    InstallationMemory memory;
    const std::optional<std::string> text = readStateFile(io, file, kMaxMemoryFile);
    if (!text) return memory;
    memory.remembered = true;
    std::istringstream in(*text);
    std::string line;
    while (std::getline(in, line)) {
        if (line.rfind("opened ", 0) == 0) memory.opened = line.substr(7);
        if (line.rfind("found ", 0) == 0) memory.found.emplace_back(line.substr(6));
    }
    return memory;
}

void InstallationMemory::save(files::FileIo& io, const fs::path& file) const {
    std::string text;
    if (opened) text += "opened " + opened->string() + "\n";
    for (const fs::path& prefix : found) text += "found " + prefix.string() + "\n";
    writeStateFile(io, file, text);  // forgotten: the next start chooses and tells again
}

InstallationChoice chooseInstallation(const SearchResult& search, const InstallationMemory& last) {
    InstallationChoice choice;
    choice.memory.remembered = true;
    for (const Installation& installation : search.found) {
        choice.memory.found.push_back(installation.prefix);
    }
    std::vector<fs::path> before = last.found;
    std::vector<fs::path> now = choice.memory.found;
    std::sort(before.begin(), before.end());
    std::sort(now.begin(), now.end());
    const bool changed = before != now;

    if (search.found.empty()) {
        choice.memory.opened = last.opened;
        // Told at the first start, and again whenever what is found changes.
        if (changed || !last.remembered) choice.notice = noneFound(search);
        return choice;
    }
    const auto remembered = std::find_if(search.found.begin(), search.found.end(), [&](auto& i) {
        return last.opened && i.prefix == *last.opened;
    });
    std::string why;
    if (search.found.size() == 1) {
        choice.chosen = search.found.front();
    } else if (remembered != search.found.end()) {
        choice.chosen = *remembered;
        why = "the one opened last";
    } else {
        choice.chosen = *std::max_element(search.found.begin(), search.found.end(),
                                          [](const Installation& a, const Installation& b) {
                                              return a.lastPlayed < b.lastPlayed;
                                          });
        why = "the one played most recently";
    }
    choice.memory.opened = choice.chosen->prefix;
    if (search.found.size() > 1 && changed) {
        choice.notice = severalFound(search.found, *choice.chosen, why);
    }
    return choice;
}

}  // namespace quenor::host
