#include "lib/registry/wine/wine_text.h"

#include "lib/base/ascii.h"

#include <array>
#include <cstdio>

namespace quenor::reg::wine {

namespace {

// Unicode of the bytes 0x80..0x9F in Windows-1252; the rest match Latin-1.
constexpr std::array<char16_t, 32> kHighControls = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

char toCodePageChar(char16_t c) {
    if (c < 0x80 || (c >= 0xA0 && c <= 0xFF)) return static_cast<char>(c);
    for (std::size_t i = 0; i < kHighControls.size(); ++i) {
        if (kHighControls[i] == c) return static_cast<char>(0x80 + i);
    }
    return '?';
}

void appendCodePoint(std::u16string& out, char32_t cp) {
    if (cp >= 0x10000) {
        cp -= 0x10000;
        out.push_back(static_cast<char16_t>(0xD800 + (cp >> 10)));
        out.push_back(static_cast<char16_t>(0xDC00 + (cp & 0x3FF)));
    } else {
        out.push_back(static_cast<char16_t>(cp));
    }
}

// Decodes one UTF-8 sequence at src[i] as Wine's registry reader does: a well-formed
// sequence of up to 4 bytes gives its code point, a surrogate's 3-byte form included; any
// other byte (a continuation byte on its own, a cut-off or overlong sequence, a code point
// beyond U+10FFFF, 0xF5..0xFF) gives nothing and is skipped alone, so that reading goes on
// at the next byte. Returns the bytes read, and whether `cp` holds a character.
std::size_t decodeUtf8(std::string_view src, std::size_t i, char32_t& cp, bool& valid) {
    const auto b0 = static_cast<unsigned char>(src[i]);
    valid = true;
    if (b0 < 0x80) {
        cp = b0;
        return 1;
    }
    std::size_t length = 0;
    char32_t min = 0;
    if ((b0 & 0xE0) == 0xC0) {
        length = 2, cp = b0 & 0x1F, min = 0x80;
    } else if ((b0 & 0xF0) == 0xE0) {
        length = 3, cp = b0 & 0x0F, min = 0x800;
    } else if ((b0 & 0xF8) == 0xF0) {
        length = 4, cp = b0 & 0x07, min = 0x10000;
    }
    valid = length > 0 && i + length <= src.size();
    for (std::size_t k = 1; valid && k < length; ++k) {
        const auto b = static_cast<unsigned char>(src[i + k]);
        valid = (b & 0xC0) == 0x80;
        cp = (cp << 6) | (b & 0x3F);
    }
    valid = valid && cp >= min && cp <= 0x10FFFF;
    return valid ? length : 1;
}

// Appends the character of the UTF-8 sequence at src[i], if it is one; returns its length.
std::size_t appendUtf8(std::string_view src, std::size_t i, std::u16string& out) {
    char32_t cp = 0;
    bool valid = false;
    const std::size_t length = decodeUtf8(src, i, cp, valid);
    if (valid) appendCodePoint(out, cp);
    return length;
}

}  // namespace

std::string toCodePage(std::u16string_view text) {
    std::string out;
    out.reserve(text.size());
    for (char16_t c : text) out.push_back(toCodePageChar(c));
    return out;
}

std::u16string fromCodePage(std::string_view text) {
    std::u16string out;
    out.reserve(text.size());
    for (char c : text) {
        const auto b = static_cast<unsigned char>(c);
        out.push_back(b >= 0x80 && b < 0xA0 ? kHighControls[b - 0x80] : static_cast<char16_t>(b));
    }
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
    std::size_t i = 0;
    while (i < src.size() && src[i] != endChar) {
        if (src[i] != '\\') {
            i += appendUtf8(src, i, out);
            continue;
        }
        ++i;
        if (i >= src.size()) return std::string_view::npos;  // a backslash ends the line
        const char c = src[i++];
        switch (c) {
            case 'a':
                out.push_back(u'\a');
                break;
            case 'b':
                out.push_back(u'\b');
                break;
            case 'e':
                out.push_back(char16_t{0x1B});
                break;
            case 'f':
                out.push_back(u'\f');
                break;
            case 'n':
                out.push_back(u'\n');
                break;
            case 'r':
                out.push_back(u'\r');
                break;
            case 't':
                out.push_back(u'\t');
                break;
            case 'v':
                out.push_back(u'\v');
                break;
            case 'x': {
                if (i >= src.size() || !base::isAsciiHexDigit(src[i])) {
                    out.push_back(u'x');
                    break;
                }
                unsigned value = 0;
                for (int digits = 0; digits < 4 && i < src.size() && base::isAsciiHexDigit(src[i]);
                     ++digits) {
                    value = value * 16 + base::hexDigitValue(src[i++]);
                }
                out.push_back(static_cast<char16_t>(value));
                break;
            }
            default:
                if (c >= '0' && c <= '7') {
                    unsigned value = static_cast<unsigned>(c - '0');
                    for (int digits = 1;
                         digits < 3 && i < src.size() && src[i] >= '0' && src[i] <= '7'; ++digits) {
                        value = value * 8 + static_cast<unsigned>(src[i++] - '0');
                    }
                    out.push_back(static_cast<char16_t>(value));
                } else {
                    // Any other escaped character stands for itself (a UTF-8 one too).
                    i += appendUtf8(src, i - 1, out) - 1;
                }
                break;
        }
    }
    if (i >= src.size()) return std::string_view::npos;
    return i + 1;
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
