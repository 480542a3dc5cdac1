#pragma once

#include <cstdint>

// The codes the resolution patch takes: 0 to 4 are the window's resolution options (the index
// of the option), 50, 60, 70 and 80 the retail sizes of the frames 1 to 4, which Reset writes.
namespace quenor::resolution {

inline constexpr std::int16_t k1280x800 = 0;
inline constexpr std::int16_t k1600x1000 = 1;
inline constexpr std::int16_t k1024x768 = 2;
inline constexpr std::int16_t kNoChange = 3;
inline constexpr std::int16_t kUserDefined = 4;  // the only option with size boxes and frame list

// The code of a frame's retail size: 50 for frame 1 ... 80 for frame 4.
constexpr std::int16_t retailFrameCode(int frame) {
    return static_cast<std::int16_t>(40 + 10 * frame);
}

}  // namespace quenor::resolution
