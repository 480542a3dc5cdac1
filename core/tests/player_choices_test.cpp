// The stored settings read as the window shows them after start-up: the one reading the
// window, quenorctl status and run share.
#include <gtest/gtest.h>

#include "core/player_choices.h"

namespace quenor {
namespace {

TEST(PlayerChoices, StoredSettingsReadAsTheWindowShowsThem) {
    struct Row {
        std::int16_t resolution, frame, vsync, fps;
        PlayerChoices shown;
    };
    const Row rows[] = {
        {9, 0, 0, 0, {3, "", "", 0, 0, 0}},   // no such option: "No Change"
        {-1, 0, 0, 0, {3, "", "", 0, 0, 0}},  //
        {0, 3, 1, 4, {0, "", "", 0, 1, 4}},   // a preset leaves the list at its prompt
        {4, 2, 0, 0, {4, "1440", "900", 2, 0, 0}},
        {4, 7, 0, 0, {4, "1440", "900", 0, 0, 0}},    // no such entry: the prompt
        {4, -1, 0, 0, {4, "1440", "900", -1, 0, 0}},  // nothing selected
        {4, -2, 0, 0, {4, "1440", "900", 0, 0, 0}},
        {3, 0, 2, 5, {3, "", "", 0, 0, 0}},  // VSYNC ON and FPS OFF by default
        {3, 0, -1, -1, {3, "", "", 0, 0, 0}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(std::to_string(row.resolution) + " " + std::to_string(row.frame) + " " +
                     std::to_string(row.vsync) + " " + std::to_string(row.fps));
        SettingsModel stored;
        stored.intResolution = row.resolution;
        stored.lngDeviceWidth = 1440;
        stored.lngDeviceHeight = 900;
        stored.intResFrame = row.frame;
        stored.intVSYNC = row.vsync;
        stored.intFPSboost = row.fps;
        EXPECT_EQ(choicesFromSettings(stored), row.shown);
    }
}

}  // namespace
}  // namespace quenor
