// Decodes RefPack streams with every read, write and back-reference bounds-checked. The data
// comes from archives the user picked, so nothing in the stream is trusted.
#include <algorithm>
#include <cstring>
#include <string>

#include "lib/refpack/refpack.h"

#include "lib/base/byte_reader.h"

namespace quenor::refpack {

namespace {

std::string hexByte(std::uint8_t value) {
    static constexpr char kDigits[] = "0123456789ABCDEF";
    return {kDigits[value >> 4], kDigits[value & 0xF]};
}

[[noreturn]] void fail(std::size_t offset, const std::string& what) {
    throw RefPackError("RefPack stream corrupt at byte " + std::to_string(offset) + ": " + what);
}

[[noreturn]] void truncated(std::size_t offset, const std::string& what, std::size_t missing) {
    throw RefPackError("RefPack stream truncated at byte " + std::to_string(offset) + ": " + what +
                       " needs " + std::to_string(missing) + " more byte" +
                       (missing == 1 ? "" : "s"));
}

// One decoded command: literals to copy from the input, then a back-reference (length 0 for
// literal runs and the stop command).
// The most plain bytes one stream byte can give: a 4-byte command copies up to 1028 bytes and
// carries 3 literals.
constexpr std::size_t kMaxExpansion = (1028 + 3) / 4 + 1;

struct Command {
    std::size_t bytes;
    std::size_t literals;
    std::size_t length;
    std::size_t distance;
    bool stop;
};

const char* commandName(std::uint8_t b0) {
    if (b0 < 0x80) return "2-byte back-reference";
    if (b0 < 0xC0) return "3-byte back-reference";
    if (b0 < 0xE0) return "4-byte back-reference";
    if (b0 < 0xFC) return "literal run";
    return "stop command";
}

// The command whose bytes are `c` (as many as commandBytesFor says).
Command parseCommand(std::span<const std::uint8_t> c) {
    const std::size_t b0 = c[0];
    if (b0 < 0x80) {
        return {2, b0 & 3, ((b0 >> 2) & 7) + 3, ((b0 & 0x60) << 3) + c[1] + 1, false};
    }
    if (b0 < 0xC0) {
        return {3, std::size_t{c[1]} >> 6, (b0 & 0x3F) + 4,
                ((std::size_t{c[1]} & 0x3F) << 8) + c[2] + 1, false};
    }
    if (b0 < 0xE0) {
        return {4, b0 & 3, ((b0 & 0x0C) << 6) + c[3] + 5,
                ((b0 & 0x10) << 12) + (std::size_t{c[1]} << 8) + c[2] + 1, false};
    }
    if (b0 < 0xFC) return {1, ((b0 & 0x1F) + 1) * 4, 0, 0, false};
    return {1, b0 & 3, 0, 0, true};
}

std::size_t commandBytesFor(std::uint8_t b0) {
    if (b0 < 0x80) return 2;
    if (b0 < 0xC0) return 3;
    if (b0 < 0xE0) return 4;
    return 1;
}

RefPackHeader checkedHeader(std::span<const std::uint8_t> stored, std::size_t maxPlainSize) {
    if (stored.size() < 2) truncated(stored.size(), "the RefPack magic", 2 - stored.size());
    const auto header = readRefPackHeader(stored);
    if (!header) {
        if (stored[1] == 0xFB &&
            (stored[0] == 0x10 || stored[0] == 0x11 || stored[0] == 0x90 || stored[0] == 0x91)) {
            const std::size_t needed = refPackHeaderSize(static_cast<RefPackForm>(stored[0]));
            truncated(stored.size(), "the " + hexByte(stored[0]) + "FB header",
                      needed - stored.size());
        }
        throw RefPackError("Not a RefPack stream: it starts with " + hexByte(stored[0]) + " " +
                           hexByte(stored[1]) + " instead of 10 FB, 11 FB, 90 FB or 91 FB");
    }
    if (header->plainSize > maxPlainSize) {
        throw RefPackError("RefPack stream declares " + std::to_string(header->plainSize) +
                           " plain bytes, more than the allowed " + std::to_string(maxPlainSize));
    }
    return *header;
}

// A command as the stream holds it: its first byte (which names it), what it does, and the
// literal bytes that follow it.
struct StoredCommand {
    std::uint8_t b0 = 0;
    Command cmd;
    std::span<const std::uint8_t> literals;
};

// Reads the command at `pos`, the reader's position, with its literal bytes.
StoredCommand readCommand(base::ByteReader& in, std::size_t pos) {
    StoredCommand read;
    read.b0 = in.peek();
    const std::size_t bytes = commandBytesFor(read.b0);
    const std::span<const std::uint8_t> commandBytes = in.bytes(bytes);
    if (commandBytes.empty()) truncated(pos, commandName(read.b0), bytes - in.remaining());
    read.cmd = parseCommand(commandBytes);
    read.literals = in.bytes(read.cmd.literals);
    if (read.literals.size() != read.cmd.literals) {
        truncated(pos,
                  "the " + std::string(commandName(read.b0)) + " with " +
                      std::to_string(read.cmd.literals) + " literal bytes",
                  read.cmd.literals - in.remaining());
    }
    return read;
}

// Appends what a command writes (its literals, then its back-reference) to the `written`
// bytes decoded so far, within the declared plain size.
void runCommand(const StoredCommand& read, std::size_t pos, std::size_t plainSize,
                std::vector<std::uint8_t>& plain, std::size_t& written) {
    const Command& cmd = read.cmd;
    if (plainSize - written < cmd.literals + cmd.length) {
        fail(pos, "the " + std::string(commandName(read.b0)) + " writes " +
                      std::to_string(cmd.literals + cmd.length - (plainSize - written)) +
                      " bytes past the declared plain size of " + std::to_string(plainSize));
    }
    if (plain.capacity() < written + cmd.literals + cmd.length) {
        plain.reserve(std::min(
            plainSize, std::max(written + cmd.literals + cmd.length, 2 * plain.capacity())));
    }
    plain.resize(written + cmd.literals + cmd.length);
    std::uint8_t* out = plain.data();
    // memcpy must not see the null data pointer of an empty output, even for 0 bytes.
    if (cmd.literals > 0) std::memcpy(out + written, read.literals.data(), cmd.literals);
    written += cmd.literals;
    if (cmd.length == 0) return;
    if (cmd.distance > written) {
        fail(pos, "back-reference reaches " + std::to_string(cmd.distance) +
                      " bytes back but only " + std::to_string(written) + " bytes are decoded");
    }
    std::uint8_t* dst = out + written;
    const std::uint8_t* src = dst - cmd.distance;
    if (cmd.distance >= cmd.length) {
        std::memcpy(dst, src, cmd.length);
    } else {
        // Overlapping copy: each byte may be one this command just wrote.
        for (std::size_t i = 0; i < cmd.length; ++i) dst[i] = src[i];
    }
    written += cmd.length;
}

}  // namespace

std::vector<std::uint8_t> refPackDecode(std::span<const std::uint8_t> stored,
                                        std::size_t maxPlainSize) {
    const RefPackHeader header = checkedHeader(stored, maxPlainSize);
    const std::size_t plainSize = header.plainSize;
    // The output grows as the commands write it, so a short or damaged stream that declares
    // a large size costs what it really decodes. A stream can expand at most kMaxExpansion
    // times, which bounds the first reservation.
    std::vector<std::uint8_t> plain;
    plain.reserve(std::min(plainSize, (stored.size() - header.headerSize) * kMaxExpansion));
    std::size_t written = 0;
    base::ByteReader in(stored);
    in.skip(header.headerSize);

    for (;;) {
        const std::size_t pos = in.offset();
        if (in.atEnd()) {
            // Real encoders always end with a stop command, but the stream is unambiguous
            // without one when it ends exactly at the declared size.
            if (written == plainSize) return plain;
            truncated(pos,
                      "the plain data (" + std::to_string(written) + " of " +
                          std::to_string(plainSize) + " bytes decoded)",
                      plainSize - written);
        }
        const StoredCommand read = readCommand(in, pos);
        runCommand(read, pos, plainSize, plain, written);
        if (read.cmd.stop) {
            if (written != plainSize) {
                fail(pos, "stop command after " + std::to_string(written) +
                              " bytes but the header declares " + std::to_string(plainSize));
            }
            return plain;
        }
    }
}

}  // namespace quenor::refpack
