#include "tool/startup/settings_store.h"

#include <functional>

#include "core/operation_log.h"
#include "tool/registry/registry_values.h"

namespace quenor {

namespace {

void saveField(Tool& tool, const char* name, const TaggedValue& value) {
    setRegistryValue(tool, kHkeyCurrentUser, TaggedValue(kSettingsKeyPath), TaggedValue(name),
                     kRegSzType, value);
}

std::int32_t loadField(Tool& tool, const char* name, int bits) {
    TaggedValue stored =
        getRegistryValue(tool, kHkeyCurrentUser, TaggedValue(kSettingsKeyPath), TaggedValue(name));
    return toSettingsField(stored, bits, tool.services.regionalFormat.decimalSeparator())
        .value_or(0);
}

// The seven stored fields, in the order they are loaded, each read by `field` (its name and
// its size in bits).
void loadFields(SettingsModel& s, const std::function<std::int32_t(const char*, int)>& field) {
    const auto field16 = [&](const char* name) {
        return static_cast<std::int16_t>(field(name, 16));
    };
    s.intResolution = field16("Resolution");
    s.lngDeviceWidth = field("DeviceWidth", 32);
    s.lngDeviceHeight = field("Deviceheight", 32);
    s.intResFrame = field16("ResFrame");
    s.intVSYNC = field16("VSYNC");
    s.intFPSboost = field16("FPSboost");
    s.intLog = field16("Log");
}

}  // namespace

void setDefaultValues(Tool& tool) {
    SettingsModel& s = tool.settings;
    s.intResolution = 3;
    s.intResFrame = 0;
    s.intVSYNC = 0;
    s.intFPSboost = 0;
    s.intLog = 0;
}

void createQuenorRegistry(Tool& tool) {
    const SettingsModel& s = tool.settings;
    writeLog(tool, "createQuenorRegistry start");
    saveField(tool, "Version", TaggedValue(kToolVersion));
    saveField(tool, "Resolution", TaggedValue(s.intResolution));
    saveField(tool, "DeviceWidth", TaggedValue(s.lngDeviceWidth));
    saveField(tool, "DeviceHeight", TaggedValue(s.lngDeviceHeight));
    saveField(tool, "ResFrame", TaggedValue(s.intResFrame));
    saveField(tool, "VSYNC", TaggedValue(s.intVSYNC));
    saveField(tool, "FPSboost", TaggedValue(s.intFPSboost));
    saveField(tool, "Log", TaggedValue(s.intLog));
    writeLog(tool, "createQuenorRegistry done - OK");
}

void getQuenorRegistry(Tool& tool) {
    writeLog(tool, "getQuenorRegistry start");
    loadFields(tool.settings,
               [&](const char* name, int bits) { return loadField(tool, name, bits); });
    writeLog(tool, "getQuenorRegistry done - OK");
}

namespace {

std::int32_t storedField(const PlatformServices& services, const char* name, int bits) {
    const TaggedValue stored =
        readRegistryValue(services, reg::kCurrentUser, kSettingsKeyPath, name);
    return toSettingsField(stored, bits, services.regionalFormat.decimalSeparator()).value_or(0);
}

}  // namespace

std::int16_t storedLogSetting(const PlatformServices& services) {
    return static_cast<std::int16_t>(storedField(services, "Log", 16));
}

void loadStoredSettings(const PlatformServices& services, SettingsModel& settings) {
    loadFields(settings,
               [&](const char* name, int bits) { return storedField(services, name, bits); });
}

}  // namespace quenor
