#include "tool/startup/startup.h"

#include "core/game_installation.h"
#include "core/installation_lock.h"
#include "core/operation_log.h"
#include "core/registry_change.h"
#include "tool/registry/c_registry.h"
#include "tool/registry/registry_values.h"
#include "tool/startup/settings_store.h"

namespace quenor {

std::string getWindowsVersion(const SystemInfo& system) {
    switch (system.version().minor) {
        case 0:
            return "Windows Vista";
        case 1:
            return "Windows XP";
        default:
            return "";
    }
}

namespace {

// "Version" read again, without log lines: the settings key as the lock's holder sees it.
bool settingsKeyAbsent(Tool& tool) {
    cRegistry registry(tool.services.registry, tool.services.environment,
                       tool.services.programName);
    registry.ClassKey(reg::kCurrentUser);
    registry.SectionKey(kSettingsKeyPath);
    registry.ValueKey("Version");
    registry.ValueType(reg::kSz);
    return registry.Value().equalsEmpty();
}

}  // namespace

void runStartUp(Tool& tool, StartUpWindow& window) {
    SettingsModel& s = tool.settings;
    TaggedValue version = getRegistryValue(tool, kHkeyCurrentUser, TaggedValue(kSettingsKeyPath),
                                           TaggedValue("Version"));
    if (version.equalsEmpty()) {
        // The first start writes the settings key, as a change does. Another Quenor may have
        // written it meanwhile: then it is loaded, as on any later start.
        const InstallationLock lock(tool.services, "", "");
        RegistryChange registry(tool.services);
        if (settingsKeyAbsent(tool)) {
            setDefaultValues(tool);
            createQuenorRegistry(tool);
            saveRegistryValues(tool, registry);
        } else {
            getQuenorRegistry(tool);
        }
    } else {
        getQuenorRegistry(tool);
    }
    const std::string now = tool.services.regionalFormat.generalDate(tool.services.clock.now());
    writeLog(tool, "\r\n");
    writeLog(tool, "********** NEW LOG - " + now + " **********");
    writeLog(tool, std::string("Quenor version: ") + kToolVersion);
    writeLog(tool, "Quenor Running under: " + getWindowsVersion(tool.services.system));
    writeLog(tool, "Quenor Load Start...");
    window.setVersionCaption(std::string("v") + kToolVersion);

    s.strGamePath = getRegistryValue(tool, kHkeyLocalMachine, TaggedValue(game::kKeyPath),
                                     TaggedValue(game::kInstallDirValue))
                        .text();
    writeLog(tool, "  strGamePath: " + s.strGamePath);
    s.strFMISCpath = s.strGamePath + game::kArchiveBelowGameFolder;
    writeLog(tool, "  strFMISCpath: " + s.strFMISCpath);
    s.strTempFolder = tool.services.environment.variable("Temp").value_or("");
    if (s.strTempFolder.empty()) s.strTempFolder = tool.services.toolFolder;
    writeLog(tool, "  strTempFolder: " + s.strTempFolder);

    window.reflectResolution();
    writeLog(tool, "  optResolution Set Value - OK");
    window.reflectVsync();
    writeLog(tool, "  optVSYNC Set Value - OK");
    window.reflectFpsBoost();
    writeLog(tool, "  optFPSboost Set Value - OK");
    window.reflectLogging();
    writeLog(tool, "  Quenor Logging Set Value - OK");
    writeLog(tool, "Quenor Loaded - OK");
}

void runShutDown(Tool& tool) {
    writeLog(tool, "Quenor Unload - OK");
    writeLog(tool, "******************************************************");
}

}  // namespace quenor
