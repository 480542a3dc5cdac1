// Recognises the four RefPack header forms and reads the declared plain size.
#include "lib/refpack/refpack.h"

namespace quenor::refpack {

namespace {

constexpr std::uint8_t kMagicSecondByte = 0xFB;
constexpr std::uint8_t kFourByteSizesFlag = 0x80;
constexpr std::uint8_t kCompressedSizeFlag = 0x01;

std::optional<RefPackForm> formOf(std::uint8_t first) {
    switch (first) {
        case 0x10:
            return RefPackForm::k10FB;
        case 0x11:
            return RefPackForm::k11FB;
        case 0x90:
            return RefPackForm::k90FB;
        case 0x91:
            return RefPackForm::k91FB;
        default:
            return std::nullopt;
    }
}

}  // namespace

std::size_t refPackHeaderSize(RefPackForm form) {
    const auto flags = static_cast<std::uint8_t>(form);
    const std::size_t fieldBytes = (flags & kFourByteSizesFlag) ? 4 : 3;
    const std::size_t fields = (flags & kCompressedSizeFlag) ? 2 : 1;
    return 2 + fieldBytes * fields;
}

std::optional<RefPackHeader> readRefPackHeader(std::span<const std::uint8_t> stored) {
    if (stored.size() < 2 || stored[1] != kMagicSecondByte) return std::nullopt;
    const auto form = formOf(stored[0]);
    if (!form) return std::nullopt;
    const std::size_t headerSize = refPackHeaderSize(*form);
    if (stored.size() < headerSize) return std::nullopt;

    // The plain size is the last field of the header, big-endian.
    const std::size_t fieldBytes = (stored[0] & kFourByteSizesFlag) ? 4 : 3;
    std::uint32_t plainSize = 0;
    for (std::size_t i = headerSize - fieldBytes; i < headerSize; ++i)
        plainSize = (plainSize << 8) | stored[i];
    return RefPackHeader{*form, plainSize, headerSize};
}

}  // namespace quenor::refpack
