#pragma once

#include <chrono>
#include <cstdint>
#include <optional>
#include <string>

namespace quenor::host {

// A screen's size in pixels.
struct ScreenSize {
    std::int32_t width = 0;
    std::int32_t height = 0;
    bool operator==(const ScreenSize&) const = default;
};

// The screen the game will be shown on: its size and where that was read ("DISPLAY :1"), or,
// without a size, why there is none ("DISPLAY is not set").
struct Screen {
    std::optional<ScreenSize> size;
    std::string source;
};

// The longest a look at the screen waits for an answer: a stuck X server must not hold up a
// launch or quenorctl status.
inline constexpr std::chrono::milliseconds kScreenWait{1000};

}  // namespace quenor::host
