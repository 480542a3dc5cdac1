// Recognises the four RefPack header forms and reads the declared plain size.
#include "lib/refpack/refpack.h"

#include "lib/base/byte_reader.h"

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
    base::ByteReader in(stored);
    const auto form = formOf(in.u8());
    if (in.u8() != kMagicSecondByte || !form) return std::nullopt;
    const auto flags = static_cast<std::uint8_t>(*form);
    const std::size_t fieldBytes = (flags & kFourByteSizesFlag) ? 4 : 3;
    if (flags & kCompressedSizeFlag) in.skip(fieldBytes);
    const std::uint32_t plainSize = in.bigEndian(fieldBytes);
    if (!in.ok()) return std::nullopt;
    return RefPackHeader{*form, plainSize, in.offset()};
}

}  // namespace quenor::refpack
