#pragma once

// Shared inputs and helpers for the RefPack tests.

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "lib/refpack/refpack.h"

namespace quenor::refpack::test {

using Bytes = std::vector<std::uint8_t>;

inline constexpr RefPackForm kAllForms[] = {RefPackForm::k10FB, RefPackForm::k11FB,
                                            RefPackForm::k90FB, RefPackForm::k91FB};

Bytes randomBytes(std::size_t size, std::uint32_t seed);

// Text in the style of a game's settings file: sections, repeated keys, varying numbers.
Bytes configText(std::size_t size, std::uint32_t seed = 1);

Bytes fromHex(const std::string& hex);

// A back-reference command found in a valid stream.
struct BackReference {
    std::size_t commandBytes;
    std::size_t length;
    std::size_t distance;
};

// Walks the commands of a valid stream and lists its back-references in order.
std::vector<BackReference> backReferences(std::span<const std::uint8_t> stream);

}  // namespace quenor::refpack::test
