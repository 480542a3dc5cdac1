#include "lib/registry/wine/wine_reg_file.h"

#include <cstdio>
#include <optional>

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

// One physical line: with its line end (raw) and without it (text).
struct PhysicalLine {
    std::string_view raw;
    std::string_view text;
};

// Reads a text line by line (a line ends after its LF; a CR before the LF is not text).
class LineCursor {
  public:
    LineCursor(std::string_view text, std::size_t firstLineNumber)
        : in_(text), all_(text), number_(firstLineNumber - 1) {}

    std::optional<PhysicalLine> next() {
        if (in_.atEnd()) return std::nullopt;
        const std::string_view rest = in_.restText();
        const auto text = in_.upTo('\n');
        if (!text) in_.skip(in_.remaining());  // a last line without a line end
        const std::string_view line = rest.substr(0, rest.size() - in_.remaining());
        std::string_view content = text ? line.substr(0, text->size()) : line;
        if (!content.empty() && content.back() == '\r') content.remove_suffix(1);
        ++number_;
        return PhysicalLine{line, content};
    }
    // Where the next line starts in the text, and the number of the line read last.
    std::size_t offset() const { return in_.offset(); }
    std::size_t lineNumber() const { return number_; }
    std::string_view textFrom(std::size_t offset) const {
        return all_.substr(offset, in_.offset() - offset);
    }

  private:
    base::ByteReader in_;
    std::string_view all_;
    std::size_t number_;
};

class Parser {
  public:
    Parser(std::string_view text, const std::string& fileName, std::size_t firstLine,
           WineRegSink& sink)
        : lines_(text, firstLine), file_(fileName), sink_(sink) {}

    WineFileFacts parseFile() {
        WineFileFacts facts;
        const auto first = lines_.next();
        if (!first)
            fail(0, "the file is empty; a registry file starts with the line \"" +
                        std::string(kWineHeader) + "\"");
        if (first->text != kWineHeader) {
            fail(1, "the first line is not \"" + std::string(kWineHeader) +
                        "\", so this is not a registry file Wine can read");
        }
        if (first->raw.substr(first->text.size()) == "\r\n") facts.newline = "\r\n";
        sink_.otherLine(0, first->raw, 1);
        parseLines(&facts);
        return facts;
    }

    void parseSections() {
        inSection_ = true;
        parseLines(nullptr);
    }

  private:
    void parseLines(WineFileFacts* facts) {
        for (;;) {
            const std::size_t offset = lines_.offset();
            const auto line = lines_.next();
            if (!line) return;
            const std::string_view content = skipBlanks(line->text);
            const char first = content.empty() ? '\0' : content.front();
            if (first == '[') {
                sink_.keyLine(offset, line->raw, lines_.lineNumber(), keyPath(content.substr(1)));
                inSection_ = true;
            } else if ((first == '"' || first == '@') && inSection_) {
                const std::size_t number = lines_.lineNumber();
                valueLine(content, value_);
                value_.lineNumber = number;
                // A sink that keeps the line takes it; one that does not leaves its buffers to
                // the next line.
                sink_.valueLine(offset, lines_.textFrom(offset), std::move(value_));
            } else {
                if (!inSection_ && facts && content.starts_with("#arch=")) {
                    facts->arch = std::string(skipBlanks(content.substr(6)));
                }
                sink_.otherLine(offset, line->raw, lines_.lineNumber());
            }
        }
    }

    [[noreturn]] void fail(std::size_t line, const std::string& defect) const {
        throw WineRegistryError(file_, line, defect);
    }
    [[noreturn]] void fail(const std::string& defect) const { fail(lines_.lineNumber(), defect); }

    // The names of a key line's path (empty names skipped), into path_; its strings' room is
    // used again from line to line.
    std::vector<std::u16string>& keyPath(std::string_view afterBracket) {
        joined_.clear();
        if (parseEscaped(afterBracket, ']', joined_) == std::string_view::npos) {
            fail("the key line has no closing \"]\"");
        }
        std::size_t count = 0;
        std::size_t start = 0;
        while (start <= joined_.size()) {
            std::size_t end = joined_.find(u'\\', start);
            if (end == std::u16string::npos) end = joined_.size();
            if (end > start) {
                if (count == path_.size()) path_.emplace_back();
                path_[count++].assign(joined_, start, end - start);
            }
            start = end + 1;
        }
        path_.resize(count);
        return path_;
    }

    // Reads a value line (and its continuation lines, which the cursor passes over).
    void valueLine(std::string_view content, WineLine& line) {
        line.kind = LineKind::Value;
        line.name.clear();
        line.data.clear();
        base::ByteReader in(content);
        if (!in.consume("@")) {
            in.skip(1);  // the opening quote
            const std::size_t used = parseEscaped(in.restText(), '"', line.name);
            if (used == std::string_view::npos) fail("the value name has no closing quote");
            in.skip(used);
        }
        skipBlanks(in);
        if (!in.consume("=")) fail("the value name is not followed by \"=\"");
        skipBlanks(in);

        if (in.consume("\"") || in.consume("str:\"")) {
            readString(in, kSz, line);
        } else if (in.consume("str(2):\"")) {
            readString(in, kExpandSz, line);
        } else if (in.consume("str(7):\"")) {
            readString(in, kMultiSz, line);
        } else if (in.consume("dword:")) {
            readDword(in, line);
        } else if (in.consume("hex:")) {
            line.type = kBinary;
            readHex(in, line);
        } else if (in.consume("hex(")) {
            std::uint64_t type = 0;
            std::size_t digits = 0;
            while (base::isAsciiHexDigit(static_cast<char>(in.peek()))) {
                type = type * 16 + base::hexDigitValue(static_cast<char>(in.u8()));
                if (type > 0xFFFFFFFFu) fail("the value type in \"hex(...)\" is too large");
                ++digits;
            }
            if (digits == 0 || !in.consume("):")) fail("the value type \"hex(...):\" is malformed");
            line.type = static_cast<std::uint32_t>(type);
            readHex(in, line);
        } else {
            fail(
                "the value data has an unknown form (expected \"...\", str:, str(2):, "
                "str(7):, dword:, hex: or hex(N):)");
        }
    }

    void readString(base::ByteReader& in, std::uint32_t type, WineLine& line) {
        text_.clear();
        if (parseEscaped(in.restText(), '"', text_) == std::string_view::npos) {
            fail("the string data has no closing quote");
        }
        text_.push_back(u'\0');
        line.type = type;
        for (const char16_t c : text_) {
            line.data.push_back(static_cast<std::uint8_t>(c & 0xFF));
            line.data.push_back(static_cast<std::uint8_t>(c >> 8));
        }
    }

    void readDword(base::ByteReader& in, WineLine& line) const {
        skipBlanks(in);
        std::uint32_t value = 0;
        std::size_t digits = 0;
        while (base::isAsciiHexDigit(static_cast<char>(in.peek()))) {
            if (digits == 8) fail("the dword has more than 8 hex digits");
            value = value * 16 + base::hexDigitValue(static_cast<char>(in.u8()));
            ++digits;
        }
        skipBlanks(in);
        if (digits == 0 || !in.atEnd()) {
            fail("the dword is not 1 to 8 hex digits");
        }
        line.type = kDword;
        line.data = {static_cast<std::uint8_t>(value), static_cast<std::uint8_t>(value >> 8),
                     static_cast<std::uint8_t>(value >> 16),
                     static_cast<std::uint8_t>(value >> 24)};
    }

    // Hex bytes separated by commas; a trailing "\\" continues the data on the next line.
    void readHex(base::ByteReader& first, WineLine& line) {
        base::ByteReader in = first;
        while (true) {
            skipBlanks(in);
            while (base::isAsciiHexDigit(static_cast<char>(in.peek()))) {
                unsigned value = 0;
                while (base::isAsciiHexDigit(static_cast<char>(in.peek()))) {
                    value = value * 16 + base::hexDigitValue(static_cast<char>(in.u8()));
                    if (value > 0xFF) fail("a hex byte is larger than ff");
                }
                line.data.push_back(static_cast<std::uint8_t>(value));
                skipBlanks(in);
                if (in.consume(",")) skipBlanks(in);
            }
            if (in.atEnd()) return;
            if (!in.consume("\\")) {
                fail("unexpected character '" + std::string(1, static_cast<char>(in.peek())) +
                     "' in hex data");
            }
            const auto next = lines_.next();
            if (!next) fail("the hex data continues past the end of the file");
            in = base::ByteReader(next->text);
        }
    }

    LineCursor lines_;
    const std::string& file_;
    WineRegSink& sink_;
    WineLine value_;
    std::u16string text_;
    std::u16string joined_;
    std::vector<std::u16string> path_;
    bool inSection_ = false;
};

// Keeps every line of a file, for a document.
class DocumentBuilder : public WineRegSink {
  public:
    explicit DocumentBuilder(WineRegDocument& document) : doc_(document) {}

    void keyLine(std::size_t, std::string_view raw, std::size_t lineNumber,
                 std::vector<std::u16string>& path) override {
        WineSection& section = doc_.sections.emplace_back();
        section.path = path;
        section.keyLine = std::string(raw);
        section.lineNumber = lineNumber;
    }
    void valueLine(std::size_t, std::string_view raw, WineLine&& line) override {
        line.raw = std::string(raw);
        doc_.sections.back().lines.push_back(std::move(line));
    }
    void otherLine(std::size_t, std::string_view raw, std::size_t lineNumber) override {
        WineLine line;
        line.raw = std::string(raw);
        line.lineNumber = lineNumber;
        (doc_.sections.empty() ? doc_.preamble : doc_.sections.back().lines)
            .push_back(std::move(line));
    }

  private:
    WineRegDocument& doc_;
};

void refuseNul(std::string_view text, const std::string& fileName, std::size_t firstLine) {
    const std::size_t nul = text.find('\0');
    if (nul == std::string_view::npos) return;
    std::size_t line = firstLine;
    for (std::size_t i = 0; i < nul; ++i) line += text[i] == '\n' ? 1 : 0;
    throw WineRegistryError(fileName, line,
                            "the file holds NUL bytes; it is not a text registry file");
}

}  // namespace

WineRegistryError::WineRegistryError(std::string file, std::size_t line, const std::string& defect)
    : std::runtime_error(describe(file, line, defect)), file_(std::move(file)), line_(line) {}

WineFileFacts readWineRegistry(std::string_view text, const std::string& fileName,
                               WineRegSink& sink) {
    refuseNul(text, fileName, 1);
    return Parser(text, fileName, 1, sink).parseFile();
}

void readWineSections(std::string_view text, const std::string& fileName, std::size_t firstLine,
                      WineRegSink& sink) {
    refuseNul(text, fileName, firstLine);
    Parser(text, fileName, firstLine, sink).parseSections();
}

WineRegDocument parseWineRegistry(std::string_view text, const std::string& fileName) {
    WineRegDocument document;
    DocumentBuilder builder(document);
    const WineFileFacts facts = readWineRegistry(text, fileName, builder);
    document.newline = facts.newline;
    document.arch = facts.arch;
    return document;
}

std::vector<WineSection> parseWineSections(std::string_view text, const std::string& fileName) {
    WineRegDocument document;
    DocumentBuilder builder(document);
    readWineSections(text, fileName, 1, builder);
    return std::move(document.sections);
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
