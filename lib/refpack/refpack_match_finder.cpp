#include "lib/refpack/refpack_match_finder.h"

#include <algorithm>
#include <bit>
#include <cstring>

#include "lib/refpack/refpack_commands.h"

namespace quenor::refpack {

namespace {

// The hash table has 2^16 heads for inputs of 32 KiB and more, fewer for smaller inputs: a
// table much larger than its input costs more to clear than the whole search.
constexpr unsigned kMaxHashBits = 16;
constexpr unsigned kMinHashBits = 8;
// How many older positions with the same hash are tried. Bounds the time spent on very
// repetitive data; 32 costs about 2% of compression on text against 64 and runs twice as fast.
constexpr unsigned kMaxChainSteps = 32;
constexpr unsigned kMinMatch = kShortMinLength;
// A match this long is good enough: the chain walk stops there instead of looking further.
constexpr std::size_t kNiceLength = 256;

// How many leading bytes of a and b agree, at most `limit`; compares 8 bytes at a time.
std::size_t commonPrefix(const std::uint8_t* a, const std::uint8_t* b, std::size_t limit) {
    std::size_t n = 0;
    while (limit - n >= 8) {
        std::uint64_t wa;
        std::uint64_t wb;
        std::memcpy(&wa, a + n, 8);
        std::memcpy(&wb, b + n, 8);
        if (const std::uint64_t diff = wa ^ wb; diff != 0) {
            const int bits = std::endian::native == std::endian::little ? std::countr_zero(diff)
                                                                        : std::countl_zero(diff);
            return n + static_cast<std::size_t>(bits / 8);
        }
        n += 8;
    }
    while (n < limit && a[n] == b[n]) ++n;
    return n;
}

}  // namespace

MatchFinder::MatchFinder(std::span<const std::uint8_t> data)
    : data_(data),
      hashBits_(std::clamp<unsigned>(static_cast<unsigned>(std::bit_width(data.size())),
                                     kMinHashBits, kMaxHashBits)),
      head_(std::size_t{1} << hashBits_, 0) {
    // Small inputs never wrap, so they need no more chain slots than bytes.
    const std::size_t slots = std::min<std::size_t>(
        kLongMaxDistance, std::bit_ceil(std::max<std::size_t>(data.size(), 1)));
    prev_.assign(slots, 0);
    prevMask_ = slots - 1;
}

std::uint32_t MatchFinder::hashAt(std::size_t pos) const {
    const std::uint32_t key =
        (std::uint32_t{data_[pos]} << 16) | (std::uint32_t{data_[pos + 1]} << 8) | data_[pos + 2];
    return (key * 2654435761u) >> (32 - hashBits_);
}

void MatchFinder::insert(std::size_t pos) {
    if (data_.size() - pos < kMinMatch) return;
    const std::uint32_t hash = hashAt(pos);
    prev_[pos & prevMask_] = head_[hash];
    head_[hash] = static_cast<std::uint32_t>(pos + 1);
}

Match MatchFinder::find(std::size_t pos) const {
    Match best;
    const std::size_t available = data_.size() - pos;
    if (available < kMinMatch) return best;
    const std::size_t maxLength = std::min<std::size_t>(available, kLongMaxLength);
    const std::uint8_t* here = data_.data() + pos;

    std::uint32_t entry = head_[hashAt(pos)];
    for (unsigned step = 0; entry != 0 && step < kMaxChainSteps; ++step) {
        const std::size_t candidate = entry - 1;
        const std::size_t distance = pos - candidate;
        if (distance > kLongMaxDistance) break;
        const std::uint8_t* there = data_.data() + candidate;
        // Only a longer match can beat the best one, so check the byte that would extend it.
        if (best.length == 0 || there[best.length] == here[best.length]) {
            const std::size_t length = commonPrefix(there, here, maxLength);
            const unsigned cost =
                commandBytes(static_cast<unsigned>(length), static_cast<unsigned>(distance));
            const int savings = static_cast<int>(length) - static_cast<int>(cost);
            if (cost != 0 && savings > best.savings) {
                best = {static_cast<unsigned>(length), static_cast<unsigned>(distance), savings};
                if (length >= std::min(maxLength, kNiceLength)) break;
            }
        }
        const std::uint32_t older = prev_[candidate & prevMask_];
        // A slot reused by a newer position ends the chain.
        if (older >= entry) break;
        entry = older;
    }
    return best;
}

}  // namespace quenor::refpack
