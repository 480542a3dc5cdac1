#pragma once

#include <cstdint>
#include <string>

namespace quenor {

// The tool's settings for the run: the option indexes, the size last applied and the paths
// that start-up derives. Stored under the settings key (all but the paths).
struct SettingsModel {
    std::int16_t intResolution =
        0;  // 0 "1280x800", 1 "1600x1000", 2 "1024x768", 3 "No Change", 4 "User Defined"
    std::int32_t lngDeviceWidth = 0;
    std::int32_t lngDeviceHeight = 0;
    std::int16_t intResFrame = 0;  // 0 prompt, 1..4 the resolution frames
    std::int16_t intVSYNC = 0;     // 0 "ON", 1 "OFF"
    std::int16_t intFPSboost = 0;  // 0 "OFF" .. 4 "Extreme"
    std::int16_t intLog = 0;       // 0 logging on; anything else: off
    std::string strGamePath;
    std::string strFMISCpath;
    std::string strTempFolder;
};

// Values the window's handlers keep for the patches.
struct PatchValues {
    std::int16_t resolutionToApply = 0;  // index of the resolution option last selected
    std::int16_t fpsNumber = 0;          // tag of the FPS boost option last selected
    std::string configFileName;          // archive entry the resolution patch works on
    std::string vsyncValueText;          // "true" or "false"
};

}  // namespace quenor
