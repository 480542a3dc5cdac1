#include "tool/patching/planned_change.h"

#include <algorithm>
#include <optional>

#include "core/game_installation.h"
#include "core/tool_error.h"
#include "lib/files/file_error.h"
#include "lib/viv/archive_error.h"
#include "lib/viv/archive_reader.h"
#include "tool/patching/insert_in_file.h"
#include "tool/patching/keyed_lines.h"

namespace quenor::patching {

std::optional<std::string> plainEntryText(Tool& tool, const std::string& entry) {
    FileSystem& files = tool.services.files;
    try {
        viv::ArchiveReader reader(files.io(), files.pathOf(tool.settings.strFMISCpath));
        const auto bytes = reader.readPlain(reader.require(entry));
        if (bytes.size() > kMaxConfigFileBytes) return std::nullopt;
        return std::string(bytes.begin(), bytes.end());
    } catch (const viv::ArchiveError&) {
    } catch (const files::FileIoError&) {
    } catch (const ToolError&) {
    }
    return std::nullopt;
}

namespace {

[[noreturn]] void fail(const Tool& tool, const std::string& description) {
    throw ToolError(error_number::kBadFileFormat, tool.services.programName, description);
}

}  // namespace

bool gameFolderKnown(const Tool& tool) {
    return tool.services.files.whyNotAGameFolder(tool.settings.strGamePath).empty();
}

void showGameNotFound(Tool& tool) {
    const std::string& folder = tool.settings.strGamePath;
    const MessageBoxRequest box{
        "NHL 09 not found",
        "Quenor does not know where NHL 09 is installed: " +
            (folder.empty() ? std::string("the registry holds no \"Install Dir\" for it")
                            : "its \"Install Dir\", \"" + folder + "\", names no whole folder (" +
                                  tool.services.files.whyNotAGameFolder(folder) + ")") +
            " (HKEY_LOCAL_MACHINE\\" + game::kKeyPath +
            "). Nothing was changed.\r\r"
            "Start Quenor for the Wine prefix the game is installed in: "
            "WINEPREFIX=\"/path/to/prefix\" quenor, or quenorctl --prefix /path/to/prefix. On "
            "Windows, install or repair NHL 09, then start Quenor again.",
        MessageButtons::Ok, MessageIcon::Exclamation, 0};
    tool.changeReport.stopped = ChangeReport::Stop{box.title, box.text};
    tool.services.messageBoxes.show(box);
}

void requireKeyedLines(Tool& tool, const ChangePlan& plan) {
    for (const auto& [entry, values] : plan.entries) {
        const std::optional<std::string> text = plainEntryText(tool, entry);
        if (!text) continue;
        for (const auto& [key, value] : values) {
            if (!keyedValues(*text, key).empty()) continue;
            const std::optional<std::string> indented = indentedKeyedLine(*text, key);
            fail(tool, "The config file " + entry + " in the game archive " +
                           tool.settings.strFMISCpath + " has no \"" + key +
                           "\" line, so Quenor cannot set it to " + value +
                           (indented ? " (its line \"" + *indented +
                                           "\" starts with blanks: the game's lines start with "
                                           "their key)"
                                     : std::string()) +
                           ". Nothing was changed. Repair or reinstall NHL 09 (or run "
                           "\"quenorctl restore\") to get the game's own file back.");
        }
    }
}

void requireWritten(Tool& tool, const ChangePlan& plan) {
    for (const auto& [entry, values] : plan.entries) {
        const std::optional<std::string> text = plainEntryText(tool, entry);
        for (const auto& [key, value] : values) {
            const std::vector<std::string> found =
                text ? keyedValues(*text, key) : std::vector<std::string>{};
            const bool written = !found.empty() && std::count(found.begin(), found.end(), value) ==
                                                       static_cast<std::ptrdiff_t>(found.size());
            if (written) continue;
            fail(tool, "Read back from the game archive " + tool.settings.strFMISCpath + ", " +
                           entry + " does not hold \"" + key + " " + value + "\"" +
                           (found.empty() ? std::string(": the line is gone")
                                          : ": it holds \"" + key + " " + found.front() + "\"") +
                           ". The change did not take; check the disk, then apply again.");
        }
    }
}

}  // namespace quenor::patching
