#pragma once

// Limits of the RefPack commands, shared by the encoder's match finder and stream writer.

#include <cstddef>
#include <cstdint>

namespace quenor::refpack {

// Two-byte command: length 3..10, distance 1..1024.
inline constexpr unsigned kShortMinLength = 3;
inline constexpr unsigned kShortMaxLength = 10;
inline constexpr unsigned kShortMaxDistance = 1024;

// Three-byte command: length 4..67, distance 1..16384.
inline constexpr unsigned kMediumMinLength = 4;
inline constexpr unsigned kMediumMaxLength = 67;
inline constexpr unsigned kMediumMaxDistance = 16384;

// Four-byte command: length 5..1028, distance 1..131072.
inline constexpr unsigned kLongMinLength = 5;
inline constexpr unsigned kLongMaxLength = 1028;
inline constexpr unsigned kLongMaxDistance = 131072;

// Literal runs (E0-FB) carry 4..112 bytes in steps of 4; 0-3 leftover literals ride along with
// the next back-reference or with the stop command.
inline constexpr std::size_t kMaxLiteralRun = 112;
inline constexpr std::size_t kMaxCarriedLiterals = 3;

// Bytes of the cheapest command that copies `length` bytes from `distance` back, or 0 when no
// command can express that pair.
constexpr unsigned commandBytes(unsigned length, unsigned distance) {
    if (distance == 0) return 0;
    if (length >= kShortMinLength && length <= kShortMaxLength && distance <= kShortMaxDistance)
        return 2;
    if (length >= kMediumMinLength && length <= kMediumMaxLength && distance <= kMediumMaxDistance)
        return 3;
    if (length >= kLongMinLength && length <= kLongMaxLength && distance <= kLongMaxDistance)
        return 4;
    return 0;
}

}  // namespace quenor::refpack
