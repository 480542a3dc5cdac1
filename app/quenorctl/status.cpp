#include "app/quenorctl/status.h"

#include "app/quenorctl/no_boxes.h"

#include "core/game_installation.h"
#include "core/tool_error.h"
#include "lib/files/file_error.h"
#include "lib/registry/key_tree.h"
#include "lib/registry/registry_store.h"
#include "lib/registry/store_values.h"
#include "lib/viv/archive_error.h"
#include "lib/viv/archive_reader.h"
#include "tool/patching/keyed_lines.h"
#include "tool/registry/registry_values.h"
#include "tool/startup/settings_store.h"
#include "window/quenor_window.h"

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

// The value of the first line that holds `key`, read as the rewrite reads it.
std::optional<std::string> keyedValue(const std::vector<std::string>& lines, std::string_view key) {
    for (const std::string& line : lines) {
        if (auto value = patching::keyedLineValue(line, key)) return value;
    }
    return std::nullopt;
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
                const auto lines = patching::splitConfigLines(
                    std::string_view(reinterpret_cast<const char*>(plain.data()), plain.size()));
                entry.deviceWidth = keyedValue(lines, "devicewidth");
                entry.deviceHeight = keyedValue(lines, "deviceheight");
                entry.enableVsync = keyedValue(lines, "enablevsync");
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
        text += "  and another set in " + other +
                ", kept by an earlier version; restore refuses until all but one are dropped "
                "with \"quenorctl restore --forget FOLDER\"\n";
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

template <typename T>
nlohmann::ordered_json orNull(const std::optional<T>& value) {
    return value ? nlohmann::ordered_json(*value) : nlohmann::ordered_json(nullptr);
}

}  // namespace

namespace {

// What Apply of the stored settings would write, compared with the game: the settings are
// loaded into a tool whose log is off and reflected in a window that is never shown, as
// start-up reflects them, so that the look writes nothing.
std::vector<patching::Difference> driftFromStoredSettings(const PlatformServices& services,
                                                          const std::string& installDir) {
    Tool tool(services);
    loadStoredSettings(services, tool.settings);
    tool.settings.intLog = 1;  // off
    tool.settings.strGamePath = installDir;
    tool.settings.strFMISCpath = installDir + game::kArchiveBelowGameFolder;
    ui::Quenor window(tool);
    window.reflectResolution();
    window.reflectVsync();
    window.reflectFpsBoost();
    return patching::differencesFromApply(tool, window);
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
    status.gfxMode =
        dwordOf(valueOf(services, reg::kCurrentUser, game::kKeyPath, game::kGfxModeValue));
    status.onPlayPlayer = dwordOf(
        valueOf(services, reg::kCurrentUser, game::kDetailsKeyPath, game::kOnPlayPlayerValue));
    if (textOf(valueOf(services, reg::kCurrentUser, kSettingsKeyPath, "Version"))) {
        for (const char* name : {"Version", "Resolution", "DeviceWidth", "DeviceHeight", "ResFrame",
                                 "VSYNC", "FPSboost", "Log"}) {
            status.settings.emplace_back(
                name,
                textOf(valueOf(services, reg::kCurrentUser, kSettingsKeyPath, name)).value_or(""));
        }
    }
    if (!status.installDir.empty()) {
        readArchive(status, services.files);
        status.originals = originals::originalsState(services, status.archive);
        if (!status.settings.empty())
            status.drift = driftFromStoredSettings(services, status.installDir);
    }
    return status;
}

std::optional<std::string> archiveToolPath(const PlatformServices& services) {
    const std::string installDir =
        textOf(valueOf(services, reg::kLocalMachine, game::kKeyPath, game::kInstallDirValue))
            .value_or("");
    if (installDir.empty()) return std::nullopt;
    return installDir + game::kArchiveBelowGameFolder;
}

nlohmann::ordered_json statusJson(const Status& status) {
    nlohmann::ordered_json json;
    json["registry"] = status.registry;
    json["prefix"] = status.prefix ? nlohmann::ordered_json(status.prefix->folder.string())
                                   : nlohmann::ordered_json(nullptr);
    json["launcher"] = status.prefix ? nlohmann::ordered_json(status.prefix->launcher)
                                     : nlohmann::ordered_json(nullptr);
    json["wineRunning"] = status.wineRunning;
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
                 {"devicewidth", orNull(frame.deviceWidth)},
                 {"deviceheight", orNull(frame.deviceHeight)},
                 {"enablevsync", orNull(frame.enableVsync)},
                 {"error", frame.error.empty() ? nlohmann::ordered_json(nullptr)
                                               : nlohmann::ordered_json(frame.error)}});
        }
        game["frames"] = frames;
        game["gfxMode"] = orNull(status.gfxMode);
        game["onPlayPlayer"] = orNull(status.onPlayPlayer);
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

std::string statusText(const Status& status) {
    std::string text = "Registry: " + status.registry + "\n";
    if (status.prefix)
        text +=
            "Prefix: " + status.prefix->folder.string() + " (" + status.prefix->launcher + ")\n";
    if (status.wineRunning)
        text += "Wine is running for this prefix: what Wine holds in memory may differ.\n";
    if (status.installDir.empty()) return text + "NHL 09 is not installed here.\n";
    text += "Game folder: " + status.installDir + "\nArchive: " + status.archive +
            (status.archiveHost.empty() ? "" : " (" + status.archiveHost + ")") + "\n";
    if (!status.archiveError.empty())
        text += "The archive cannot be read: " + status.archiveError + "\n";
    for (const FrameStatus& frame : status.frames) {
        text += "  frame " + std::to_string(frame.frame) + " (" + frame.entry + "): ";
        if (!frame.error.empty()) {
            text += frame.error + "\n";
            continue;
        }
        text += frame.deviceWidth.value_or("?") + " x " + frame.deviceHeight.value_or("?") +
                ", enablevsync " + frame.enableVsync.value_or("?") + "\n";
    }
    auto number = [](const std::optional<std::int32_t>& v) {
        return v ? std::to_string(*v) : std::string("not set");
    };
    text += "GFX Mode: " + number(status.gfxMode) +
            "\nOnPlay Player: " + number(status.onPlayPlayer) + "\n";
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
