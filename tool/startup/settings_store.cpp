#include "tool/startup/settings_store.h"

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

std::int16_t loadField16(Tool& tool, const char* name) {
    return static_cast<std::int16_t>(loadField(tool, name, 16));
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
    SettingsModel& s = tool.settings;
    writeLog(tool, "getQuenorRegistry start");
    s.intResolution = loadField16(tool, "Resolution");
    s.lngDeviceWidth = loadField(tool, "DeviceWidth", 32);
    s.lngDeviceHeight = loadField(tool, "Deviceheight", 32);
    s.intResFrame = loadField16(tool, "ResFrame");
    s.intVSYNC = loadField16(tool, "VSYNC");
    s.intFPSboost = loadField16(tool, "FPSboost");
    s.intLog = loadField16(tool, "Log");
    writeLog(tool, "getQuenorRegistry done - OK");
}

namespace {

std::int32_t storedField(const PlatformServices& services, const char* name, int bits) {
    const TaggedValue stored =
        readRegistryValue(services, reg::kCurrentUser, kSettingsKeyPath, name);
    return toSettingsField(stored, bits, services.regionalFormat.decimalSeparator()).value_or(0);
}

std::int16_t storedField16(const PlatformServices& services, const char* name) {
    return static_cast<std::int16_t>(storedField(services, name, 16));
}

}  // namespace

std::int16_t storedLogSetting(const PlatformServices& services) {
    return storedField16(services, "Log");
}

void loadStoredSettings(const PlatformServices& services, SettingsModel& s) {
    s.intResolution = storedField16(services, "Resolution");
    s.lngDeviceWidth = storedField(services, "DeviceWidth", 32);
    s.lngDeviceHeight = storedField(services, "Deviceheight", 32);
    s.intResFrame = storedField16(services, "ResFrame");
    s.intVSYNC = storedField16(services, "VSYNC");
    s.intFPSboost = storedField16(services, "FPSboost");
    s.intLog = storedField16(services, "Log");
}

}  // namespace quenor
