#include "lib/registry/wine/wine_reg_file.h"

#include <cstdio>

#include "lib/base/ascii.h"
#include "lib/base/byte_reader.h"
#include "lib/registry/registry_store.h"
#include "lib/registry/wine/wine_text.h"

namespace quenor::reg::wine {

namespace {

std::string describe(const std::string& file, std::size_t line, const std::string& defect) {
    std::string where = file;
    if (line > 0) where += ", line " + std::to_string(line);
    return where + ": " + defect;
}

bool isBlank(char c) {
    return c == ' ' || c == '\t' || c == '\v' || c == '\f' || c == '\r';
}

std::string_view skipBlanks(std::string_view s) {
    while (!s.empty() && isBlank(s.front())) s.remove_prefix(1);
    return s;
}

void skipBlanks(base::ByteReader& in) {
    while (!in.atEnd() && isBlank(static_cast<char>(in.peek()))) in.skip(1);
}

// The file cut into physical lines: each with its line end (raw) and without it (text).
struct PhysicalLine {
    std::string_view raw;
    std::string_view text;
};

std::vector<PhysicalLine> splitLines(std::string_view all) {
    std::vector<PhysicalLine> lines;
    base::ByteReader in(all);
    while (!in.atEnd()) {
        const std::string_view rest = in.restText();
        const auto text = in.upTo('\n');
        if (!text) in.skip(in.remaining());  // a last line without a line end
        std::string_view line = rest.substr(0, rest.size() - in.remaining());
        std::string_view content = text ? line.substr(0, text->size()) : line;
        if (!content.empty() && content.back() == '\r') content.remove_suffix(1);
        lines.push_back({line, content});
    }
    return lines;
}

class Parser {
  public:
    Parser(std::string_view text, const std::string& fileName)
        : lines_(splitLines(text)), file_(fileName) {}

    WineRegDocument parse() {
        WineRegDocument document;
        if (lines_.empty())
            fail(0, "the file is empty; a registry file starts with the line \"" +
                        std::string(kWineHeader) + "\"");
        if (lines_[0].text != kWineHeader) {
            fail(1, "the first line is not \"" + std::string(kWineHeader) +
                        "\", so this is not a registry file Wine can read");
        }
        std::string_view firstEnd = lines_[0].raw.substr(lines_[0].text.size());
        if (firstEnd == "\r\n") document.newline = "\r\n";
        document.preamble.push_back(otherLine(0));

        for (std::size_t i = 1; i < lines_.size(); ++i) {
            std::string_view content = skipBlanks(lines_[i].text);
            const char first = content.empty() ? '\0' : content.front();
            if (first == '[') {
                document.sections.push_back(keySection(i, content.substr(1)));
            } else if ((first == '"' || first == '@') && !document.sections.empty()) {
                document.sections.back().lines.push_back(valueLine(i, content));
            } else {
                if (document.sections.empty() && content.starts_with("#arch=")) {
                    document.arch = std::string(skipBlanks(content.substr(6)));
                }
                auto& target =
                    document.sections.empty() ? document.preamble : document.sections.back().lines;
                target.push_back(otherLine(i));
            }
        }
        return document;
    }

  private:
    [[noreturn]] void fail(std::size_t index, const std::string& defect) const {
        throw WineRegistryError(file_, index, defect);
    }

    WineLine otherLine(std::size_t index) const {
        WineLine line;
        line.raw = std::string(lines_[index].raw);
        line.lineNumber = index + 1;
        return line;
    }

    WineSection keySection(std::size_t index, std::string_view afterBracket) const {
        std::u16string path;
        if (parseEscaped(afterBracket, ']', path) == std::string_view::npos) {
            fail(index + 1, "the key line has no closing \"]\"");
        }
        WineSection section;
        std::size_t start = 0;
        while (start <= path.size()) {
            std::size_t end = path.find(u'\\', start);
            if (end == std::u16string::npos) end = path.size();
            if (end > start) section.path.push_back(path.substr(start, end - start));
            start = end + 1;
        }
        section.keyLine = std::string(lines_[index].raw);
        section.lineNumber = index + 1;
        return section;
    }

    // Reads a value line (index is advanced over its continuation lines).
    WineLine valueLine(std::size_t& index, std::string_view content) const {
        WineLine line;
        line.kind = LineKind::Value;
        line.lineNumber = index + 1;
        const std::size_t firstIndex = index;
        base::ByteReader in(content);
        if (!in.consume("@")) {
            in.skip(1);  // the opening quote
            const std::size_t used = parseEscaped(in.restText(), '"', line.name);
            if (used == std::string_view::npos) {
                fail(index + 1, "the value name has no closing quote");
            }
            in.skip(used);
        }
        skipBlanks(in);
        if (!in.consume("=")) fail(index + 1, "the value name is not followed by \"=\"");
        skipBlanks(in);

        if (in.consume("\"") || in.consume("str:\"")) {
            readString(index, in, kSz, line);
        } else if (in.consume("str(2):\"")) {
            readString(index, in, kExpandSz, line);
        } else if (in.consume("str(7):\"")) {
            readString(index, in, kMultiSz, line);
        } else if (in.consume("dword:")) {
            readDword(index, in, line);
        } else if (in.consume("hex:")) {
            line.type = kBinary;
            readHex(index, in, line);
        } else if (in.consume("hex(")) {
            std::uint64_t type = 0;
            std::size_t digits = 0;
            while (base::isAsciiHexDigit(static_cast<char>(in.peek()))) {
                type = type * 16 + base::hexDigitValue(static_cast<char>(in.u8()));
                if (type > 0xFFFFFFFFu)
                    fail(index + 1, "the value type in \"hex(...)\" is too large");
                ++digits;
            }
            if (digits == 0 || !in.consume("):")) {
                fail(index + 1, "the value type \"hex(...):\" is malformed");
            }
            line.type = static_cast<std::uint32_t>(type);
            readHex(index, in, line);
        } else {
            fail(index + 1,
                 "the value data has an unknown form (expected \"...\", str:, str(2):, "
                 "str(7):, dword:, hex: or hex(N):)");
        }
        for (std::size_t i = firstIndex; i <= index; ++i) line.raw += lines_[i].raw;
        return line;
    }

    void readString(std::size_t index, base::ByteReader& in, std::uint32_t type,
                    WineLine& line) const {
        std::u16string text;
        if (parseEscaped(in.restText(), '"', text) == std::string_view::npos) {
            fail(index + 1, "the string data has no closing quote");
        }
        text.push_back(u'\0');
        line.type = type;
        line.data = toUtf16Bytes(text);
    }

    void readDword(std::size_t index, base::ByteReader& in, WineLine& line) const {
        skipBlanks(in);
        std::uint32_t value = 0;
        std::size_t digits = 0;
        while (base::isAsciiHexDigit(static_cast<char>(in.peek()))) {
            if (digits == 8) fail(index + 1, "the dword has more than 8 hex digits");
            value = value * 16 + base::hexDigitValue(static_cast<char>(in.u8()));
            ++digits;
        }
        skipBlanks(in);
        if (digits == 0 || !in.atEnd()) {
            fail(index + 1, "the dword is not 1 to 8 hex digits");
        }
        line.type = kDword;
        line.data = {static_cast<std::uint8_t>(value), static_cast<std::uint8_t>(value >> 8),
                     static_cast<std::uint8_t>(value >> 16),
                     static_cast<std::uint8_t>(value >> 24)};
    }

    // Hex bytes separated by commas; a trailing "\" continues the data on the next line.
    void readHex(std::size_t& index, base::ByteReader& first, WineLine& line) const {
        base::ByteReader in = first;
        while (true) {
            skipBlanks(in);
            while (base::isAsciiHexDigit(static_cast<char>(in.peek()))) {
                unsigned value = 0;
                while (base::isAsciiHexDigit(static_cast<char>(in.peek()))) {
                    value = value * 16 + base::hexDigitValue(static_cast<char>(in.u8()));
                    if (value > 0xFF) fail(index + 1, "a hex byte is larger than ff");
                }
                line.data.push_back(static_cast<std::uint8_t>(value));
                skipBlanks(in);
                if (in.consume(",")) skipBlanks(in);
            }
            if (in.atEnd()) return;
            if (!in.consume("\\")) {
                fail(index + 1, "unexpected character '" +
                                    std::string(1, static_cast<char>(in.peek())) + "' in hex data");
            }
            if (index + 1 >= lines_.size()) {
                fail(index + 1, "the hex data continues past the end of the file");
            }
            ++index;
            in = base::ByteReader(lines_[index].text);
        }
    }

    std::vector<PhysicalLine> lines_;
    const std::string& file_;
};

}  // namespace

WineRegistryError::WineRegistryError(std::string file, std::size_t line, const std::string& defect)
    : std::runtime_error(describe(file, line, defect)), file_(std::move(file)), line_(line) {}

WineRegDocument parseWineRegistry(std::string_view text, const std::string& fileName) {
    if (std::size_t nul = text.find('\0'); nul != std::string_view::npos) {
        std::size_t line = 1;
        for (std::size_t i = 0; i < nul; ++i) line += text[i] == '\n' ? 1 : 0;
        throw WineRegistryError(fileName, line,
                                "the file holds NUL bytes; it is not a text registry file");
    }
    return Parser(text, fileName).parse();
}

std::string renderUnchanged(const WineRegDocument& document) {
    std::string out;
    for (const auto& line : document.preamble) out += line.raw;
    for (const auto& section : document.sections) {
        out += section.keyLine;
        for (const auto& line : section.lines) out += line.raw;
    }
    return out;
}

std::string formatValueLine(std::u16string_view name, std::uint32_t type,
                            const std::vector<std::uint8_t>& data, std::string_view newline) {
    std::string out;
    if (name.empty()) {
        out = "@=";
    } else {
        out = "\"" + writeEscaped(name, "\"", false) + "\"=";
    }
    const bool stringType = isStringType(type);
    if (stringType && data.size() >= 2 && data.size() % 2 == 0 && data[data.size() - 1] == 0 &&
        data[data.size() - 2] == 0) {
        if (type != kSz) out += "str(" + std::to_string(type) + "):";
        out += '"' + writeEscaped(fromUtf16Bytes(data), "\"", true) + '"';
        out += newline;
        return out;
    }
    char buffer[32];
    if (type == kDword && data.size() == 4) {
        const std::uint32_t value =
            static_cast<std::uint32_t>(data[0]) | static_cast<std::uint32_t>(data[1]) << 8 |
            static_cast<std::uint32_t>(data[2]) << 16 | static_cast<std::uint32_t>(data[3]) << 24;
        std::snprintf(buffer, sizeof buffer, "dword:%08x", static_cast<unsigned>(value));
        out += buffer;
        out += newline;
        return out;
    }
    if (type == kBinary) {
        out += "hex:";
    } else {
        std::snprintf(buffer, sizeof buffer, "hex(%x):", type);
        out += buffer;
    }
    // Wine counts the columns of the line and wraps after a comma past column 76.
    std::size_t column = out.size();
    for (std::size_t i = 0; i < data.size(); ++i) {
        std::snprintf(buffer, sizeof buffer, "%02x", static_cast<unsigned>(data[i]));
        out += buffer;
        column += 2;
        if (i + 1 < data.size()) {
            out += ',';
            if (++column > 76) {
                out += "\\";
                out += newline;
                out += "  ";
                column = 2;
            }
        }
    }
    out += newline;
    return out;
}

std::string formatKeyLines(const std::vector<std::u16string>& path, std::int64_t unixSeconds,
                           std::string_view newline) {
    std::string out = "[";
    for (std::size_t i = 0; i < path.size(); ++i) {
        if (i > 0) out += "\\\\";
        out += writeEscaped(path[i], "[]", false);
    }
    // Wine's key time: 100 ns ticks since 1601, printed as two 32-bit halves.
    const auto ticks = static_cast<std::uint64_t>(unixSeconds) * 10000000u + 116444736000000000u;
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, "] %u", static_cast<unsigned>(unixSeconds));
    out += buffer;
    out += newline;
    std::snprintf(buffer, sizeof buffer, "#time=%x%08x", static_cast<unsigned>(ticks >> 32),
                  static_cast<unsigned>(ticks & 0xFFFFFFFFu));
    out += buffer;
    out += newline;
    return out;
}

}  // namespace quenor::reg::wine
