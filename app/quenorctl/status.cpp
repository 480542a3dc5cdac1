#include "app/quenorctl/status.h"

#include "app/quenorctl/no_boxes.h"

#include <algorithm>
#include <cctype>

#include "core/game_installation.h"
#include "core/player_choices.h"
#include "core/tool_error.h"
#include "lib/base/code_page.h"
#include "lib/files/file_error.h"
#include "lib/registry/key_tree.h"
#include "lib/registry/registry_store.h"
#include "lib/registry/store_values.h"
#include "lib/viv/archive_error.h"
#include "lib/viv/archive_reader.h"
#include "tool/patching/keyed_lines.h"
#include "tool/registry/registry_values.h"
#include "tool/startup/settings_store.h"

namespace quenor::ctl {

namespace {

// Values as the tool reads them, through its own value routine without its log lines.
TaggedValue valueOf(const PlatformServices& services, reg::Handle root, const std::string& path,
                    const std::string& name) {
    return readRegistryValue(services, root, path, name);
}

// A text value; nothing when it is missing.
std::optional<std::string> textOf(const TaggedValue& value) {
    if (value.isEmpty()) return std::nullopt;
    return value.text();
}

// A DWORD value; nothing when it is missing or not a number.
std::optional<std::int32_t> dwordOf(const TaggedValue& value) {
    if (!value.isInteger()) return std::nullopt;
    return value.integer();
}

// An entry's values of one key as the frame table shows them: the one value its lines hold,
// or every value where duplicate lines disagree ("1280 or 1600"), as the drift names them.
std::optional<std::string> shown(const std::vector<std::string>& values) {
    if (values.empty()) return std::nullopt;
    std::vector<std::string> distinct;
    for (const std::string& value : values) {
        if (std::find(distinct.begin(), distinct.end(), value) == distinct.end())
            distinct.push_back(value);
    }
    std::string text;
    for (const std::string& value : distinct) text += (text.empty() ? "" : " or ") + value;
    return text;
}

// A size the game reads from a keyed line: one to nine decimal digits, not 0.
std::optional<std::int32_t> pixelsIn(const std::string& value) {
    if (value.empty() || value.size() > 9 ||
        value.find_first_not_of("0123456789") != std::string::npos)
        return std::nullopt;
    const std::int32_t number = std::stoi(value);
    return number > 0 ? std::optional<std::int32_t>(number) : std::nullopt;
}

// The one size an entry's lines of `key` agree on; otherwise `why` says what is wrong.
std::optional<std::int32_t> agreedSize(const FrameStatus& frame, const char* key,
                                       const std::vector<std::string>& values, std::string& why) {
    for (const std::string& value : values) {
        if (value != values.front()) {
            std::string listed;
            for (const std::string& v : values) listed += (listed.empty() ? "" : ", ") + v;
            why = frame.entry + "'s " + key + " lines disagree (" + listed + ")";
            return std::nullopt;
        }
    }
    const std::optional<std::int32_t> size = values.empty() ? std::nullopt : pixelsIn(values[0]);
    if (!size) why = frame.entry + " has no numeric " + key;
    return size;
}

// The size the game starts at: "GFX Mode" selects the frame, whose entry holds the size.
void readStartingSize(Status& status) {
    const std::string unknown = "the size the game starts at is not known: ";
    if (!status.gfxModeNotDword.empty()) {
        status.startsAtUnknown =
            unknown + "GFX Mode is " + status.gfxModeNotDword + ", not a DWORD";
        return;
    }
    if (!status.gfxMode) {
        status.startsAtUnknown = "the game picks its own size: GFX Mode is not set";
        return;
    }
    const std::int32_t mode = *status.gfxMode;
    if (mode < 1 || mode > game::kFrameCount) {
        status.startsAtUnknown = unknown + "GFX Mode is " + std::to_string(mode) +
                                 ", which names no frame (1 to " +
                                 std::to_string(game::kFrameCount) + ")";
        return;
    }
    if (static_cast<std::size_t>(mode) > status.frames.size()) {
        status.startsAtUnknown = unknown + "the archive cannot be read";
        return;
    }
    const FrameStatus& frame = status.frames[static_cast<std::size_t>(mode) - 1];
    if (!frame.error.empty()) {
        status.startsAtUnknown = unknown + frame.entry + " cannot be read";
        return;
    }
    std::string why;
    const auto width = agreedSize(frame, "devicewidth", frame.deviceWidth, why);
    const auto height =
        width ? agreedSize(frame, "deviceheight", frame.deviceHeight, why) : std::nullopt;
    if (!width || !height) {
        status.startsAtUnknown = unknown + why;
        return;
    }
    status.startsAt = StartingSize{*width, *height, mode};
}

void readArchive(Status& status, FileSystem& files) {
    status.archive = status.installDir + game::kArchiveBelowGameFolder;
    try {
        const std::filesystem::path archive = files.pathOf(status.archive);
        status.archiveHost = files.io().hostPathOf(archive).string();
        viv::ArchiveReader reader(files.io(), archive);
        for (int frame = 1; frame <= game::kFrameCount; ++frame) {
            FrameStatus entry;
            entry.frame = frame;
            entry.entry = game::configEntryName(frame);
            try {
                const std::vector<std::uint8_t> plain =
                    reader.readPlain(reader.require(entry.entry));
                const std::string text(plain.begin(), plain.end());
                entry.deviceWidth = patching::keyedValues(text, "devicewidth");
                entry.deviceHeight = patching::keyedValues(text, "deviceheight");
                entry.enableVsync = patching::keyedValues(text, "enablevsync");
            } catch (const viv::ArchiveError& error) {
                entry.error = files.namingHostFile(status.archive, error.what());
            } catch (const files::FileIoError& error) {
                entry.error = files.namingHostFile(status.archive, error.what());
            }
            status.frames.push_back(std::move(entry));
        }
    } catch (const viv::ArchiveError& error) {
        status.archiveError = files.namingHostFile(status.archive, error.what());
    } catch (const files::FileIoError& error) {
        status.archiveError = files.namingHostFile(status.archive, error.what());
    } catch (const ToolError& error) {
        status.archiveError = error.description();
    }
}

const char* archiveNowText(originals::ArchiveNow now) {
    switch (now) {
        case originals::ArchiveNow::NotKept:
            return "not kept";
        case originals::ArchiveNow::Missing:
            return "missing";
        case originals::ArchiveNow::Original:
            return "original";
        case originals::ArchiveNow::LastWritten:
            return "as Quenor last wrote it";
        case originals::ArchiveNow::ChangeCutOff:
            return "changed by Quenor, whose last change was cut off";
        case originals::ArchiveNow::ChangedByOthers:
            return "changed by something other than Quenor";
    }
    return "";
}

nlohmann::ordered_json originalsJson(const originals::OriginalsState& state) {
    if (state.folder.empty()) return nullptr;  // the game is not installed
    nlohmann::ordered_json json;
    json["kept"] = state.record.has_value();
    json["folder"] = state.folder;
    json["error"] =
        state.error.empty() ? nlohmann::ordered_json(nullptr) : nlohmann::ordered_json(state.error);
    json["otherSets"] = state.otherSets;
    if (!state.record) return json;
    json["archiveTaken"] = state.record->archive
                               ? nlohmann::ordered_json(state.record->archive->taken)
                               : nlohmann::ordered_json(nullptr);
    json["registryTaken"] = state.record->registry
                                ? nlohmann::ordered_json(state.record->registry->taken)
                                : nlohmann::ordered_json(nullptr);
    json["archive"] = archiveNowText(state.archive);
    json["registryDifferences"] = state.registryDifferences;
    return json;
}

std::string originalsText(const originals::OriginalsState& state) {
    if (state.folder.empty()) return {};
    if (!state.error.empty()) return "Originals: cannot be read: " + state.error + "\n";
    if (!state.record) {
        return "Originals: none kept yet (Quenor keeps them before its first change)\n";
    }
    std::string text = "Originals: kept in " + state.folder + "\n";
    for (const std::string& other : state.otherSets) {
        text +=
            "  another set of this archive, left alone (\"quenorctl restore --forget "
            "FOLDER\" drops it): " +
            other + "\n";
    }
    if (state.record->archive) {
        text += "  archive taken " + state.record->archive->taken + "; the archive now is " +
                archiveNowText(state.archive) + "\n";
    }
    if (state.record->registry) {
        text += "  registry values taken " + state.record->registry->taken + "; ";
        if (state.registryDifferences.empty()) {
            text += "they are as they were\n";
        } else {
            text += "changed since:";
            for (const std::string& difference : state.registryDifferences)
                text += "\n    " + difference;
            text += "\n";
        }
    }
    return text;
}

std::string screenText(const host::Screen& screen) {
    if (!screen.size) return "Screen: none (" + screen.source + ")\n";
    return "Screen: " + std::to_string(screen.size->width) + " x " +
           std::to_string(screen.size->height) + " (" + screen.source + ")\n";
}

std::string startsAtText(const Status& status) {
    if (!status.startsAt) {
        std::string why = status.startsAtUnknown;
        if (!why.empty())
            why[0] = static_cast<char>(std::toupper(static_cast<unsigned char>(why[0])));
        return why + "\n";
    }
    const StartingSize& size = *status.startsAt;
    return "The game starts at " + std::to_string(size.width) + " x " +
           std::to_string(size.height) + " (GFX Mode " + std::to_string(size.frame) + ": frame " +
           std::to_string(size.frame) + ", " + game::configEntryName(size.frame) + ")\n";
}

template <typename T>
nlohmann::ordered_json orNull(const std::optional<T>& value) {
    return value ? nlohmann::ordered_json(*value) : nlohmann::ordered_json(nullptr);
}

}  // namespace

namespace {

// What Apply of the stored settings would write, compared with the game: the settings as the
// window shows them after start-up, read by a tool whose log is off, so that the look writes
// nothing.
std::vector<patching::Difference> driftFromStoredSettings(const PlatformServices& services,
                                                          const std::string& installDir) {
    Tool tool(services);
    loadStoredSettings(services, tool.settings);
    tool.settings.intLog = 1;  // off
    tool.settings.strGamePath = installDir;
    tool.settings.strFMISCpath = installDir + game::kArchiveBelowGameFolder;
    return patching::differencesFromApply(tool, choicesFromSettings(tool.settings));
}

}  // namespace

Status readStatus(host::HostPlatform& platform) {
    // A look shows no box; one that is asked for is a fault of this program.
    NoBoxes noBoxes;
    PlatformServices services = platform.services(noBoxes);
    Status status;
    status.registry = platform.registryDescription();
    status.prefix = platform.prefix();
    status.wineRunning = platform.wineRunning();
    status.installDir =
        textOf(valueOf(services, reg::kLocalMachine, game::kKeyPath, game::kInstallDirValue))
            .value_or("");
    const TaggedValue gfxMode =
        valueOf(services, reg::kCurrentUser, game::kKeyPath, game::kGfxModeValue);
    status.gfxMode = dwordOf(gfxMode);
    if (!gfxMode.isInteger() && !gfxMode.isEmpty())
        status.gfxModeNotDword = "\"" + gfxMode.text() + "\"";
    status.onPlayPlayer = dwordOf(
        valueOf(services, reg::kCurrentUser, game::kDetailsKeyPath, game::kOnPlayPlayerValue));
    status.screen = platform.screen();
    if (textOf(valueOf(services, reg::kCurrentUser, kSettingsKeyPath, "Version"))) {
        for (const char* name : {"Version", "Resolution", "DeviceWidth", "DeviceHeight", "ResFrame",
                                 "VSYNC", "FPSboost", "Log"}) {
            status.settings.emplace_back(
                name,
                textOf(valueOf(services, reg::kCurrentUser, kSettingsKeyPath, name)).value_or(""));
        }
    }
    if (!status.installDir.empty()) {
        // A folder no command can use is read by none: never against the current folder.
        if (const std::string why = unusableGameFolder(services.files, status.installDir);
            !why.empty()) {
            status.archive = status.installDir + game::kArchiveBelowGameFolder;
            status.archiveError = why;
            return status;
        }
        const char last = status.installDir.back();
        if (last != '\\' && last != '/') {
            status.installDirHint =
                "\"Install Dir\" does not end with \"\\\", so the archive's path "
                "runs on from the folder's last name";
        }
        readArchive(status, services.files);
        readStartingSize(status);
        status.originals = originals::originalsState(services, status.archive);
        if (!status.settings.empty())
            status.drift = driftFromStoredSettings(services, status.installDir);
    }
    return status;
}

std::string unusableGameFolder(const FileSystem& files, const std::string& installDir) {
    std::string why = files.whyNotAGameFolder(installDir);
    if (why.empty()) return why;
    // A name of letters the code page lacks says what to do itself; a path of another form
    // is the installation's to put right.
    const bool ofLetters = why.find("code page") != std::string::npos;
    return "Quenor cannot use the game's folder \"" + installDir + "\" (its \"Install Dir\" in " +
           "HKEY_LOCAL_MACHINE\\" + game::kKeyPath + "): " + why +
           (ofLetters ? std::string(". Nothing was read or changed.")
                      : ". Repair or reinstall NHL 09 so that it names the full path of its "
                        "folder, such as C:\\Games\\NHL 09\\; nothing was read or changed.");
}

std::optional<std::string> archiveToolPath(const PlatformServices& services) {
    const std::string installDir =
        textOf(valueOf(services, reg::kLocalMachine, game::kKeyPath, game::kInstallDirValue))
            .value_or("");
    if (installDir.empty()) return std::nullopt;
    return installDir + game::kArchiveBelowGameFolder;
}

namespace {

// JSON text is UTF-8: every text of the tool's (Windows paths in the game's code page, host
// paths in UTF-8) as a person reads it.
void makeTextsUtf8(nlohmann::ordered_json& json) {
    if (json.is_string()) {
        json = base::ansiCodePage().displayed(json.get<std::string>());
    } else if (json.is_structured()) {
        for (auto& element : json) makeTextsUtf8(element);
    }
}

nlohmann::ordered_json statusJsonIn8Bit(const Status& status);

}  // namespace

nlohmann::ordered_json statusJson(const Status& status) {
    nlohmann::ordered_json json = statusJsonIn8Bit(status);
    makeTextsUtf8(json);
    return json;
}

namespace {

nlohmann::ordered_json statusJsonIn8Bit(const Status& status) {
    nlohmann::ordered_json json;
    json["registry"] = status.registry;
    json["prefix"] = status.prefix ? nlohmann::ordered_json(status.prefix->folder.string())
                                   : nlohmann::ordered_json(nullptr);
    json["launcher"] = status.prefix ? nlohmann::ordered_json(status.prefix->launcher)
                                     : nlohmann::ordered_json(nullptr);
    json["wineRunning"] = status.wineRunning;
    json["screen"] = nullptr;
    if (status.screen.size) {
        json["screen"] = {{"width", status.screen.size->width},
                          {"height", status.screen.size->height}};
    }
    nlohmann::ordered_json game = nullptr;
    if (!status.installDir.empty()) {
        game = {{"installDir", status.installDir},
                {"archive", status.archive},
                {"archiveOnThisMachine", status.archiveHost},
                {"archiveError", status.archiveError.empty()
                                     ? nlohmann::ordered_json(nullptr)
                                     : nlohmann::ordered_json(status.archiveError)}};
        nlohmann::ordered_json frames = nlohmann::ordered_json::array();
        for (const FrameStatus& frame : status.frames) {
            frames.push_back(
                {{"frame", frame.frame},
                 {"entry", frame.entry},
                 {"devicewidth", orNull(shown(frame.deviceWidth))},
                 {"deviceheight", orNull(shown(frame.deviceHeight))},
                 {"enablevsync", orNull(shown(frame.enableVsync))},
                 {"error", frame.error.empty() ? nlohmann::ordered_json(nullptr)
                                               : nlohmann::ordered_json(frame.error)}});
        }
        game["frames"] = frames;
        game["gfxMode"] = orNull(status.gfxMode);
        game["onPlayPlayer"] = orNull(status.onPlayPlayer);
        game["startsAt"] = nullptr;
        if (status.startsAt) {
            game["startsAt"] = {{"width", status.startsAt->width},
                                {"height", status.startsAt->height},
                                {"frame", status.startsAt->frame}};
        }
    }
    json["game"] = game;
    nlohmann::ordered_json settings = nullptr;
    if (!status.settings.empty()) {
        settings = nlohmann::ordered_json::object();
        for (const auto& [name, value] : status.settings) settings[name] = value;
    }
    json["quenorSettings"] = settings;
    nlohmann::ordered_json drift = nullptr;
    if (status.drift) {
        drift = nlohmann::ordered_json::array();
        for (const patching::Difference& d : *status.drift)
            drift.push_back({{"place", d.place}, {"found", d.found}, {"expected", d.expected}});
    }
    json["differsFromSettings"] = drift;
    json["originals"] = originalsJson(status.originals);
    return json;
}

}  // namespace

std::string statusText(const Status& status) {
    std::string text = "Registry: " + status.registry + "\n";
    if (status.prefix)
        text +=
            "Prefix: " + status.prefix->folder.string() + " (" + status.prefix->launcher + ")\n";
    if (status.wineRunning)
        text += "Wine is running for this prefix: what Wine holds in memory may differ.\n";
    text += screenText(status.screen);
    if (status.installDir.empty()) return text + "NHL 09 is not installed here.\n";
    text += "Game folder: " + status.installDir + "\nArchive: " + status.archive +
            (status.archiveHost.empty() ? "" : " (" + status.archiveHost + ")") + "\n";
    if (!status.installDirHint.empty()) text += "Note: " + status.installDirHint + ".\n";
    if (!status.archiveError.empty())
        text += "The archive cannot be read: " + status.archiveError + "\n";
    for (const FrameStatus& frame : status.frames) {
        text += "  frame " + std::to_string(frame.frame) + " (" + frame.entry + "): ";
        if (!frame.error.empty()) {
            text += frame.error + "\n";
            continue;
        }
        text += shown(frame.deviceWidth).value_or("?") + " x " +
                shown(frame.deviceHeight).value_or("?") + ", enablevsync " +
                shown(frame.enableVsync).value_or("?") + "\n";
    }
    auto number = [](const std::optional<std::int32_t>& v) {
        return v ? std::to_string(*v) : std::string("not set");
    };
    text += "GFX Mode: " +
            (status.gfxModeNotDword.empty() ? number(status.gfxMode)
                                            : status.gfxModeNotDword + " (not a DWORD)") +
            "\nOnPlay Player: " + number(status.onPlayPlayer) + "\n";
    text += startsAtText(status);
    if (status.settings.empty()) {
        text += "Quenor's settings: none stored\n";
    } else {
        text += "Quenor's settings:";
        for (const auto& [name, value] : status.settings) text += " " + name + "=" + value;
        text += "\n";
    }
    if (status.drift && status.drift->empty())
        text += "The game holds what Quenor's settings ask for.\n";
    if (status.drift && !status.drift->empty()) {
        text +=
            "The game differs from Quenor's settings (\"quenorctl run\" or Apply puts them "
            "back):\n";
        for (const patching::Difference& d : *status.drift)
            text += "  " + d.place + ": " + d.found + ", Quenor's settings ask for " + d.expected +
                    "\n";
    }
    return text + originalsText(status.originals);
}

}  // namespace quenor::ctl
