#include "lib/registry/wine/wine_text.h"

#include "lib/base/ascii.h"
#include "lib/base/byte_reader.h"
#include "lib/base/code_page.h"

#include <array>
#include <cstdio>

namespace quenor::reg::wine {

namespace {

void appendCodePoint(std::u16string& out, char32_t cp) {
    if (cp >= 0x10000) {
        cp -= 0x10000;
        out.push_back(static_cast<char16_t>(0xD800 + (cp >> 10)));
        out.push_back(static_cast<char16_t>(0xDC00 + (cp & 0x3FF)));
    } else {
        out.push_back(static_cast<char16_t>(cp));
    }
}

// Reads one UTF-8 sequence as Wine's registry reader does: a well-formed sequence of up to 4
// bytes gives its code point, a surrogate's 3-byte form included; any other byte (a
// continuation byte on its own, a cut-off or overlong sequence, a code point beyond U+10FFFF,
// 0xF5..0xFF) gives nothing and is skipped alone, so that reading goes on at the next byte.
void appendUtf8(base::ByteReader& in, std::u16string& out) {
    const std::uint8_t lead = in.u8();
    if (lead < 0x80) {
        out.push_back(lead);
        return;
    }
    std::size_t length = 0;
    char32_t cp = 0;
    char32_t min = 0;
    if ((lead & 0xE0) == 0xC0) {
        length = 2, cp = lead & 0x1F, min = 0x80;
    } else if ((lead & 0xF0) == 0xE0) {
        length = 3, cp = lead & 0x0F, min = 0x800;
    } else if ((lead & 0xF8) == 0xF0) {
        length = 4, cp = lead & 0x07, min = 0x10000;
    }
    bool valid = length > 0 && in.remaining() >= length - 1;
    for (std::size_t k = 0; valid && k + 1 < length; ++k) {
        const std::uint8_t next = in.peek(k);
        valid = (next & 0xC0) == 0x80;
        cp = (cp << 6) | (next & 0x3F);
    }
    if (!valid || cp < min || cp > 0x10FFFF) return;
    in.skip(length - 1);
    appendCodePoint(out, cp);
}

// The character of a one-letter escape (\a \b \e \f \n \r \t \v), or 0 for any other letter.
char16_t letterEscape(char c) {
    static constexpr std::string_view kLetters = "abefnrtv";
    static constexpr char16_t kCharacters[] = {u'\a', u'\b', 0x1B,  u'\f',
                                               u'\n', u'\r', u'\t', u'\v'};
    const std::size_t at = kLetters.find(c);
    return at == std::string_view::npos ? 0 : kCharacters[at];
}

bool isOctalDigit(char c) {
    return c >= '0' && c <= '7';
}

// Up to `most` digits of a base (16 or 8) read greedily, as one UTF-16 unit.
char16_t readDigits(base::ByteReader& in, unsigned base, int most) {
    unsigned value = 0;
    for (int digits = 0; digits < most; ++digits) {
        const char c = static_cast<char>(in.peek());
        if (base == 16 ? !base::isAsciiHexDigit(c) : !isOctalDigit(c)) break;
        value = value * base + base::hexDigitValue(static_cast<char>(in.u8()));
    }
    return static_cast<char16_t>(value);
}

// Reads what follows a backslash.
void appendEscaped(base::ByteReader& in, std::u16string& out) {
    const char c = static_cast<char>(in.peek());
    if (const char16_t letter = letterEscape(c)) {
        in.skip(1);
        out.push_back(letter);
    } else if (c == 'x') {
        in.skip(1);
        // \x without a hex digit is the letter x.
        out.push_back(base::isAsciiHexDigit(static_cast<char>(in.peek())) ? readDigits(in, 16, 4)
                                                                          : u'x');
    } else if (isOctalDigit(c)) {
        out.push_back(readDigits(in, 8, 3));
    } else {
        appendUtf8(in, out);  // any other character stands for itself, a UTF-8 one too
    }
}

}  // namespace

std::string toCodePage(std::u16string_view text) {
    const base::CodePage& page = base::ansiCodePage();
    std::string out;
    out.reserve(text.size());
    for (char16_t c : text) out.push_back(page.fromUnicode(c).value_or('?'));
    return out;
}

std::u16string fromCodePage(std::string_view text) {
    const base::CodePage& page = base::ansiCodePage();
    std::u16string out;
    out.reserve(text.size());
    for (char c : text) out.push_back(page.toUnicode(c));
    return out;
}

std::vector<std::uint8_t> toUtf16Bytes(std::u16string_view text) {
    std::vector<std::uint8_t> out;
    out.reserve(text.size() * 2);
    for (char16_t c : text) {
        out.push_back(static_cast<std::uint8_t>(c & 0xFF));
        out.push_back(static_cast<std::uint8_t>(c >> 8));
    }
    return out;
}

std::u16string fromUtf16Bytes(const std::vector<std::uint8_t>& bytes) {
    std::u16string out;
    out.reserve(bytes.size() / 2);
    for (std::size_t i = 0; i + 1 < bytes.size(); i += 2) {
        out.push_back(static_cast<char16_t>(bytes[i] | (bytes[i + 1] << 8)));
    }
    return out;
}

std::size_t parseEscaped(std::string_view src, char endChar, std::u16string& out) {
    base::ByteReader in(src);
    while (!in.atEnd() && in.peek() != static_cast<std::uint8_t>(endChar)) {
        // A run of plain ASCII characters (most of any file) is taken in one step.
        const std::string_view rest = in.restText();
        std::size_t plain = 0;
        while (plain < rest.size() && static_cast<unsigned char>(rest[plain]) < 0x80 &&
               rest[plain] != '\\' && rest[plain] != endChar)
            ++plain;
        if (plain > 0) {
            out.append(rest.begin(), rest.begin() + static_cast<std::ptrdiff_t>(plain));
            in.skip(plain);
        } else if (!in.consume("\\")) {
            appendUtf8(in, out);
        } else if (in.atEnd()) {
            return std::string_view::npos;  // a backslash ends the line
        } else {
            appendEscaped(in, out);
        }
    }
    if (in.atEnd()) return std::string_view::npos;
    return in.offset() + 1;
}

std::string writeEscaped(std::u16string_view text, std::string_view escaped, bool dropFinalNul) {
    static constexpr std::string_view kControlEscapes = ".......abtnvfr.............e....";
    std::string out;
    out.reserve(text.size() + 8);
    char buffer[16];
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char16_t c = text[i];
        const bool hasNext = i + 1 < text.size();
        const char16_t next = hasNext ? text[i + 1] : 0;
        if (c > 127) {
            const bool hexFollows =
                hasNext && next < 128 && base::isAsciiHexDigit(static_cast<char>(next));
            std::snprintf(buffer, sizeof buffer, hexFollows ? "\\x%04x" : "\\x%x",
                          static_cast<unsigned>(c));
            out += buffer;
        } else if (c < 32) {
            if (c == 0 && !hasNext && dropFinalNul) continue;
            if (kControlEscapes[c] != '.') {
                out += '\\';
                out += kControlEscapes[c];
            } else {
                const bool octalFollows = hasNext && next >= '0' && next <= '7';
                std::snprintf(buffer, sizeof buffer, octalFollows ? "\\%03o" : "\\%o",
                              static_cast<unsigned>(c));
                out += buffer;
            }
        } else {
            const char ascii = static_cast<char>(c);
            if (ascii == '\\' || escaped.find(ascii) != std::string_view::npos) out += '\\';
            out += ascii;
        }
    }
    return out;
}

}  // namespace quenor::reg::wine
