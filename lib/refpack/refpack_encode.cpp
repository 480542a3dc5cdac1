// Encodes data as a RefPack stream: LZ77 with hash chains and one step of lazy matching, then
// the commands written in their shortest form.
#include <string>

#include "lib/refpack/refpack.h"
#include "lib/refpack/refpack_commands.h"
#include "lib/refpack/refpack_match_finder.h"

namespace quenor::refpack {

namespace {

// Matches at least this long are taken at once instead of checking the next position.
constexpr unsigned kLazyCutoff = 32;

// Appends commands to the stream; literals between back-references are sent in the same call
// as the back-reference (or the stop command) that follows them.
class CommandWriter {
  public:
    CommandWriter(std::span<const std::uint8_t> plain, std::vector<std::uint8_t>& out)
        : plain_(plain), out_(out) {}

    void backReference(std::size_t pos, unsigned length, unsigned distance) {
        const unsigned carried = flushLiteralRuns(pos);
        const unsigned d = distance - 1;
        switch (commandBytes(length, distance)) {
            case 2:
                out_.push_back(
                    static_cast<std::uint8_t>(((d >> 3) & 0x60) | ((length - 3) << 2) | carried));
                out_.push_back(static_cast<std::uint8_t>(d));
                break;
            case 3:
                out_.push_back(static_cast<std::uint8_t>(0x80 | (length - 4)));
                out_.push_back(static_cast<std::uint8_t>((carried << 6) | (d >> 8)));
                out_.push_back(static_cast<std::uint8_t>(d));
                break;
            case 4:
                out_.push_back(static_cast<std::uint8_t>(0xC0 | ((d >> 12) & 0x10) |
                                                         (((length - 5) >> 6) & 0x0C) | carried));
                out_.push_back(static_cast<std::uint8_t>(d >> 8));
                out_.push_back(static_cast<std::uint8_t>(d));
                out_.push_back(static_cast<std::uint8_t>(length - 5));
                break;
            default:
                throw RefPackError("internal error: RefPack encoder chose an impossible match");
        }
        appendLiterals(carried);
        literalStart_ = pos + length;
    }

    void stop() {
        const unsigned carried = flushLiteralRuns(plain_.size());
        out_.push_back(static_cast<std::uint8_t>(0xFC | carried));
        appendLiterals(carried);
    }

  private:
    // Sends pending literals up to `end` in runs until at most 3 are left; returns how many.
    unsigned flushLiteralRuns(std::size_t end) {
        while (end - literalStart_ > kMaxCarriedLiterals) {
            const std::size_t run = std::min(end - literalStart_, kMaxLiteralRun) & ~std::size_t{3};
            out_.push_back(static_cast<std::uint8_t>(0xE0 | (run / 4 - 1)));
            appendLiterals(run);
        }
        return static_cast<unsigned>(end - literalStart_);
    }

    void appendLiterals(std::size_t count) {
        const auto* first = plain_.data() + literalStart_;
        out_.insert(out_.end(), first, first + count);
        literalStart_ += count;
    }

    std::span<const std::uint8_t> plain_;
    std::vector<std::uint8_t>& out_;
    std::size_t literalStart_ = 0;
};

void appendBigEndian(std::vector<std::uint8_t>& out, std::uint64_t value, std::size_t bytes) {
    for (std::size_t i = bytes; i-- > 0;)
        out.push_back(static_cast<std::uint8_t>(value >> (8 * i)));
}

void writeHeader(std::vector<std::uint8_t>& out, RefPackForm form, std::size_t plainSize) {
    const auto flags = static_cast<std::uint8_t>(form);
    const std::size_t fieldBytes = (flags & 0x80) ? 4 : 3;
    out.push_back(flags);
    out.push_back(0xFB);
    if (flags & 0x01) appendBigEndian(out, 0, fieldBytes);  // filled in once the length is known
    appendBigEndian(out, plainSize, fieldBytes);
}

void fillCompressedSize(std::vector<std::uint8_t>& out, RefPackForm form) {
    const auto flags = static_cast<std::uint8_t>(form);
    if (!(flags & 0x01)) return;
    const std::size_t fieldBytes = (flags & 0x80) ? 4 : 3;
    const std::uint64_t limit = std::uint64_t{1} << (8 * fieldBytes);
    if (out.size() >= limit) {
        throw RefPackError("RefPack: the compressed stream is " + std::to_string(out.size()) +
                           " bytes, too long for the " + std::to_string(fieldBytes) +
                           "-byte size field of this header form; use the 90FB or 91FB form");
    }
    for (std::size_t i = 0; i < fieldBytes; ++i)
        out[2 + i] = static_cast<std::uint8_t>(out.size() >> (8 * (fieldBytes - 1 - i)));
}

void checkEncodable(std::size_t plainSize, RefPackForm form) {
    const bool wide = static_cast<std::uint8_t>(form) & 0x80;
    const std::uint64_t limit = std::uint64_t{1} << (wide ? 32 : 24);
    if (plainSize >= limit) {
        throw RefPackError("RefPack: " + std::to_string(plainSize) + " bytes are too large for " +
                           (wide ? "RefPack (at most 4 GiB - 1)"
                                 : "the 3-byte size field of this header form (at most 16 MiB - "
                                   "1); use the 90FB or 91FB form"));
    }
}

}  // namespace

std::vector<std::uint8_t> refPackEncode(std::span<const std::uint8_t> plain, RefPackForm form) {
    checkEncodable(plain.size(), form);
    std::vector<std::uint8_t> out;
    out.reserve(refPackHeaderSize(form) + plain.size() + plain.size() / 64 + 2);
    writeHeader(out, form, plain.size());

    CommandWriter writer(plain, out);
    MatchFinder finder(plain);
    std::size_t pos = 0;
    Match match = finder.find(pos);
    while (pos < plain.size()) {
        finder.insert(pos);
        if (match.savings <= 0) {
            match = finder.find(++pos);
            continue;
        }
        if (match.length < kLazyCutoff) {
            // Lazy step: a better match starting one byte later wins over this one.
            const Match next = finder.find(pos + 1);
            if (next.savings > match.savings) {
                match = next;
                ++pos;
                continue;
            }
        }
        writer.backReference(pos, match.length, match.distance);
        for (std::size_t p = pos + 1; p < pos + match.length; ++p) finder.insert(p);
        pos += match.length;
        match = finder.find(pos);
    }
    writer.stop();
    fillCompressedSize(out, form);
    return out;
}

}  // namespace quenor::refpack
