#pragma once

// Finds back-references for the RefPack encoder with hash chains over the format's window.

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

namespace quenor::refpack {

struct Match {
    unsigned length = 0;  // 0: no usable match
    unsigned distance = 0;
    int savings = 0;  // bytes saved over sending the same bytes as literals
};

class MatchFinder {
  public:
    explicit MatchFinder(std::span<const std::uint8_t> data);

    // The match at `pos` that saves the most bytes, among those a command can express. Every
    // position before `pos` that is to be referenced must have been inserted; `pos` must not.
    Match find(std::size_t pos) const;

    // Makes `pos` available as a source for later positions. Positions must come in order.
    void insert(std::size_t pos);

  private:
    std::uint32_t hashAt(std::size_t pos) const;

    std::span<const std::uint8_t> data_;
    unsigned hashBits_;
    std::vector<std::uint32_t> head_;  // per hash: newest position + 1, 0 when empty
    std::vector<std::uint32_t> prev_;  // per position (mod window): older position + 1
    std::size_t prevMask_;
};

}  // namespace quenor::refpack
