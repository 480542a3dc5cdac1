#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <stdexcept>
#include <vector>

namespace quenor::refpack {

// The four header forms of RefPack-compressed data (first byte; the second is 0xFB).
enum class RefPackForm : std::uint8_t {
    k10FB = 0x10,  // 3-byte plain size
    k11FB = 0x11,  // 3-byte compressed size, 3-byte plain size
    k90FB = 0x90,  // 4-byte plain size
    k91FB = 0x91,  // 4-byte compressed size, 4-byte plain size
};

struct RefPackHeader {
    RefPackForm form;
    std::uint32_t plainSize;  // size of the data once decoded
    std::size_t headerSize;   // bytes before the first command
};

// A RefPack stream that cannot be decoded or data that cannot be encoded.
class RefPackError : public std::runtime_error {
  public:
    using std::runtime_error::runtime_error;
};

// The header of stored data when it starts with one of the four forms, else nullopt (also when
// the data is too short to hold the whole header of its form). The compressed-size field of the
// 11FB/91FB forms is skipped: writers disagree on what it counts and decoders never need it.
std::optional<RefPackHeader> readRefPackHeader(std::span<const std::uint8_t> stored);

// Bytes before the first command in the given form: 5, 8, 6 or 10.
std::size_t refPackHeaderSize(RefPackForm form);

// Decodes a whole stream. Every read, write and back-reference is checked; the plain size
// the header declares must be reached exactly and may not exceed maxPlainSize (checked before
// anything is allocated). Decoding ends at the stop command (FC-FF); bytes after it, such as
// padding, are ignored. A stream that lacks the stop command is accepted only when it ends
// exactly where the declared plain size is reached. The compressed-size field of the
// 11FB/91FB forms is not checked against the stream length (writers disagree on what it counts).
// Throws RefPackError naming the defect and the input offset where it was found.
std::vector<std::uint8_t> refPackDecode(std::span<const std::uint8_t> stored,
                                        std::size_t maxPlainSize);

// Encodes plain data in the given header form, finding back-references (hash chains over a
// 128 KiB window, one step of lazy matching). Throws when the data is too large for the form
// (3-byte forms: below 16 MiB, 4-byte forms: below 4 GiB). The 11FB/91FB forms get the total
// stream length, header included, in their compressed-size field; the encoder throws when that
// length does not fit the field.
std::vector<std::uint8_t> refPackEncode(std::span<const std::uint8_t> plain, RefPackForm form);

}  // namespace quenor::refpack
