#pragma once

#include <array>
#include <cstdint>
#include <string_view>

// The player's choices, each stated once: the game's resolution frames, the resolution
// options, the VSYNC values and the FPS Boost levels. The window's layout and handlers,
// quenorctl's options and help, the plans of Apply and Reset and quenorctl status read them
// from here.
namespace quenor::resolution {

// The codes the resolution patch takes: 0 to 4 are the window's resolution options (the
// option's index), 50, 60, 70 and 80 the retail sizes of the frames 1 to 4, which Reset writes.
inline constexpr std::int16_t kNoChange = 3;
inline constexpr std::int16_t kUserDefined = 4;  // the only option with size boxes and frame list
constexpr std::int16_t retailFrameCode(int frame) {
    return static_cast<std::int16_t>(40 + 10 * frame);
}

}  // namespace quenor::resolution

namespace quenor::choices {

// A resolution frame of the game. Frame n is the config file "sgsmN.cfg" in the archive and
// "GFX Mode" n; its size is the one the game was installed with, which Reset writes back.
struct Frame {
    int number;
    std::int32_t width;
    std::int32_t height;
};
inline constexpr std::array<Frame, 4> kFrames{{
    {1, 800, 600},
    {2, 1024, 768},
    {3, 1280, 1024},
    {4, 1600, 1200},
}};

// A resolution option button; its code is its index in the window and the code the
// resolution patch takes. A preset writes its size into its frame and sets "GFX Mode" to
// that frame; "No Change" writes nothing; "User Defined" writes the typed size into the frame
// picked in the list.
struct ResolutionOption {
    std::int16_t code;
    std::string_view caption;
    // The button's tag: a preset's config entry, "default" or "custom" (the click logs it).
    std::string_view tag;
    // quenorctl's --resolution value; empty for "User Defined", which takes WIDTHxHEIGHT.
    std::string_view ctlName;
    std::int32_t width = 0;  // a preset's size and frame; 0 for the other two
    std::int32_t height = 0;
    int frame = 0;
};

inline constexpr std::array<ResolutionOption, 5> kResolutionOptions{{
    {0, "1280x800", "sgsm3.cfg", "1280x800", 1280, 800, 3},
    {1, "1600x1000", "sgsm4.cfg", "1600x1000", 1600, 1000, 4},
    {2, "1024x768 (Default)", "sgsm2.cfg", "1024x768", 1024, 768, 2},
    {resolution::kNoChange, "No Change", "default", "nochange"},
    {resolution::kUserDefined, "User Defined", "custom", ""},
}};

// A VSYNC option button: its tag is the value of the "enablevsync" lines.
struct VsyncValue {
    std::string_view caption;
    std::string_view tag;
    std::string_view ctlName;
};
inline constexpr std::array<VsyncValue, 2> kVsyncValues{{
    {"ON", "true", "on"},
    {"OFF", "false", "off"},
}};

// An FPS Boost option button: its number is the "OnPlay Player" value Apply writes (the
// button's tag).
struct FpsLevel {
    std::string_view caption;
    std::string_view ctlName;
    std::int16_t number;
};
inline constexpr std::array<FpsLevel, 5> kFpsLevels{{
    {"OFF", "off", 250},
    {"Low", "low", 200},
    {"Med", "med", 150},
    {"High", "high", 100},
    {"Extreme", "extreme", 50},
}};

// What an index read from the stored settings falls back to when it names no option.
inline constexpr std::int16_t kDefaultVsync = 0;
inline constexpr std::int16_t kDefaultFps = 0;

// Each option's code is its index, and a preset's tag names its own frame's config file,
// so that "GFX Mode" selects the frame the option writes.
constexpr bool optionsAreConsistent() {
    for (std::size_t i = 0; i < kResolutionOptions.size(); ++i) {
        const ResolutionOption& option = kResolutionOptions[i];
        if (option.code != static_cast<std::int16_t>(i)) return false;
        if (option.frame == 0) continue;
        const std::string_view tag = option.tag;
        if (tag.size() != 9 || tag.substr(0, 4) != "sgsm" || tag.substr(5) != ".cfg" ||
            tag[4] != static_cast<char>('0' + option.frame))
            return false;
    }
    return true;
}
static_assert(optionsAreConsistent());

}  // namespace quenor::choices
