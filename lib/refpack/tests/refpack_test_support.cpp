#include "lib/refpack/tests/refpack_test_support.h"

#include <random>
#include <stdexcept>

namespace quenor::refpack::test {

Bytes randomBytes(std::size_t size, std::uint32_t seed) {
    std::mt19937 rng(seed);
    Bytes out(size);
    for (auto& b : out) b = static_cast<std::uint8_t>(rng());
    return out;
}

Bytes configText(std::size_t size, std::uint32_t seed) {
    static const char* const kKeys[] = {"ResolutionWidth", "ResolutionHeight", "RefreshRate",
                                        "Windowed",        "AspectRatio",      "TextureQuality",
                                        "ShadowDetail",    "CrowdDetail",      "VSync"};
    std::mt19937 rng(seed);
    std::string text;
    while (text.size() < size) {
        if (rng() % 8 == 0) text += "\n[Section" + std::to_string(rng() % 5) + "]\n";
        text += std::string(kKeys[rng() % std::size(kKeys)]) + " = " +
                std::to_string(rng() % 2000) + "\n";
    }
    text.resize(size);
    return Bytes(text.begin(), text.end());
}

Bytes fromHex(const std::string& hex) {
    Bytes out;
    std::string digits;
    for (char c : hex) {
        if (c == ' ') continue;
        digits += c;
        if (digits.size() == 2) {
            out.push_back(static_cast<std::uint8_t>(std::stoul(digits, nullptr, 16)));
            digits.clear();
        }
    }
    return out;
}

std::vector<BackReference> backReferences(std::span<const std::uint8_t> stream) {
    const auto header = readRefPackHeader(stream);
    if (!header) throw std::invalid_argument("not a RefPack stream");
    std::vector<BackReference> refs;
    std::size_t pos = header->headerSize;
    while (pos < stream.size()) {
        const std::size_t b0 = stream[pos];
        std::size_t literals = b0 & 3;
        if (b0 < 0x80) {
            refs.push_back({2, ((b0 >> 2) & 7) + 3, ((b0 & 0x60) << 3) + stream[pos + 1] + 1});
        } else if (b0 < 0xC0) {
            literals = stream[pos + 1] >> 6;
            refs.push_back(
                {3, (b0 & 0x3F) + 4, ((stream[pos + 1] & 0x3FU) << 8) + stream[pos + 2] + 1});
        } else if (b0 < 0xE0) {
            refs.push_back({4, ((b0 & 0x0C) << 6) + stream[pos + 3] + 5,
                            ((b0 & 0x10) << 12) + (stream[pos + 1] << 8) + stream[pos + 2] + 1});
        } else if (b0 < 0xFC) {
            literals = ((b0 & 0x1F) + 1) * 4;
        } else {
            break;
        }
        pos += (b0 < 0x80 ? 2 : b0 < 0xC0 ? 3 : b0 < 0xE0 ? 4 : 1) + literals;
    }
    return refs;
}

}  // namespace quenor::refpack::test
