#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <stdexcept>
#include <vector>

namespace quenor::viv {

// The four header forms of RefPack-compressed data (first byte; the second is 0xFB).
enum class RefPackForm : std::uint8_t {
    k10FB = 0x10,  // 3-byte plain size
    k11FB = 0x11,  // 3-byte compressed size, 3-byte plain size
    k90FB = 0x90,  // 4-byte plain size
    k91FB = 0x91,  // 4-byte compressed size, 4-byte plain size
};

struct RefPackHeader {
    RefPackForm form;
    std::uint32_t plainSize;   // size of the data once decoded
    std::size_t headerSize;    // bytes before the first command
};

// A RefPack stream that cannot be decoded or data that cannot be encoded.
class RefPackError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// The header of stored data when it starts with one of the four forms, else nullopt.
std::optional<RefPackHeader> readRefPackHeader(std::span<const std::uint8_t> stored);

// Decodes a whole stream. Every read, write and back-reference is checked; the plain size
// the header declares must be reached exactly and may not exceed maxPlainSize.
std::vector<std::uint8_t> refPackDecode(std::span<const std::uint8_t> stored,
                                        std::size_t maxPlainSize);

// Encodes plain data in the given header form, finding back-references. Throws when the
// data is too large for the form (3-byte forms: below 16 MiB).
std::vector<std::uint8_t> refPackEncode(std::span<const std::uint8_t> plain, RefPackForm form);

}  // namespace quenor::viv
