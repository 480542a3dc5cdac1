#include "core/player_choices.h"

#include <algorithm>
#include <charconv>

#include "core/game_installation.h"

namespace quenor {

namespace {

// The index when it names a member of a group of `count`, else the group's default.
std::int16_t memberOr(std::int16_t index, std::size_t count, std::int16_t fallback) {
    return index >= 0 && static_cast<std::size_t>(index) < count ? index : fallback;
}

// A typed size: plain decimal digits that fit 32 bits, not 0 and without a leading 0.
std::optional<std::int32_t> typedNumber(const std::string& text) {
    if (text.empty() || text.front() == '0' ||
        !std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; }))
        return std::nullopt;
    std::int32_t number = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), number);
    if (error != std::errc() || end != text.data() + text.size()) return std::nullopt;
    return number;
}

FramePatch frameWrite(int frame, std::int32_t width, std::int32_t height) {
    return {game::configEntryName(frame), width, height, static_cast<std::int16_t>(frame)};
}

}  // namespace

PlayerChoices choicesFromSettings(const SettingsModel& settings) {
    PlayerChoices chosen;
    chosen.resolution =
        memberOr(settings.intResolution, choices::kResolutionOptions.size(), resolution::kNoChange);
    if (chosen.resolution == resolution::kUserDefined) {
        chosen.width = std::to_string(settings.lngDeviceWidth);
        chosen.height = std::to_string(settings.lngDeviceHeight);
        const std::int16_t frame = settings.intResFrame;
        chosen.frame = frame >= -1 && frame <= game::kFrameCount ? frame : 0;
    }
    chosen.vsync =
        memberOr(settings.intVSYNC, choices::kVsyncValues.size(), choices::kDefaultVsync);
    chosen.fps = memberOr(settings.intFPSboost, choices::kFpsLevels.size(), choices::kDefaultFps);
    return chosen;
}

bool sizeOfOwnValid(const std::string& width, const std::string& height, int frame) {
    return typedNumber(width) && typedNumber(height) && frame >= 1;
}

bool sizeOfOwnRefused(const PlayerChoices& chosen) {
    return chosen.resolution == resolution::kUserDefined &&
           !sizeOfOwnValid(chosen.width, chosen.height, chosen.frame);
}

std::optional<FramePatch> fixedFramePatch(std::int16_t code) {
    for (const choices::ResolutionOption& option : choices::kResolutionOptions) {
        if (option.code == code && option.frame != 0)
            return frameWrite(option.frame, option.width, option.height);
    }
    for (const choices::Frame& frame : choices::kFrames) {
        if (resolution::retailFrameCode(frame.number) == code)
            return frameWrite(frame.number, frame.width, frame.height);
    }
    return std::nullopt;
}

std::optional<FramePatch> framePatchOf(const PlayerChoices& chosen) {
    if (chosen.resolution != resolution::kUserDefined) return fixedFramePatch(chosen.resolution);
    return frameWrite(chosen.frame, typedNumber(chosen.width).value_or(0),
                      typedNumber(chosen.height).value_or(0));
}

int frameHolding(std::int32_t width, std::int32_t height) {
    for (const choices::Frame& frame : choices::kFrames) {
        if (width <= frame.width && height <= frame.height) return frame.number;
    }
    return choices::kFrames.back().number;
}

}  // namespace quenor
