#include "lib/base/code_page.h"

#include <array>

namespace quenor::base {

namespace tables {
extern const char16_t kUpper874[128];
extern const char16_t kUpper1250[128];
extern const char16_t kUpper1251[128];
extern const char16_t kUpper1252[128];
extern const char16_t kUpper1253[128];
extern const char16_t kUpper1254[128];
extern const char16_t kUpper1255[128];
extern const char16_t kUpper1256[128];
extern const char16_t kUpper1257[128];
extern const char16_t kUpper1258[128];
}  // namespace tables

namespace {

// The length of the valid UTF-8 sequence at the start of `text` (well-formed, not overlong,
// no surrogate, at most U+10FFFF) and its code point; 0 when none starts there.
std::size_t utf8Sequence(std::string_view text, char32_t& cp) {
    const auto byte = [&](std::size_t i) { return static_cast<unsigned char>(text[i]); };
    if (text.empty()) return 0;
    const unsigned char lead = byte(0);
    std::size_t length = 0;
    char32_t min = 0;
    if (lead < 0x80) {
        cp = lead;
        return 1;
    }
    if ((lead & 0xE0) == 0xC0) {
        length = 2, cp = lead & 0x1F, min = 0x80;
    } else if ((lead & 0xF0) == 0xE0) {
        length = 3, cp = lead & 0x0F, min = 0x800;
    } else if ((lead & 0xF8) == 0xF0) {
        length = 4, cp = lead & 0x07, min = 0x10000;
    } else {
        return 0;
    }
    if (text.size() < length) return 0;
    for (std::size_t i = 1; i < length; ++i) {
        if ((byte(i) & 0xC0) != 0x80) return 0;
        cp = (cp << 6) | (byte(i) & 0x3F);
    }
    if (cp < min || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) return 0;
    return length;
}

void appendUtf8(std::string& out, char32_t cp) {
    if (cp < 0x80) {
        out += static_cast<char>(cp);
    } else if (cp < 0x800) {
        out += static_cast<char>(0xC0 | (cp >> 6));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else if (cp < 0x10000) {
        out += static_cast<char>(0xE0 | (cp >> 12));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (cp >> 18));
        out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    }
}

std::atomic<const CodePage*>& current() {
    static std::atomic<const CodePage*> page{&CodePage::windows1252()};
    return page;
}

std::atomic<int>& wanted() {
    static std::atomic<int> number{1252};
    return number;
}

}  // namespace

const CodePage& CodePage::windows1252() {
    return *byNumber(1252);
}

const CodePage* CodePage::byNumber(int number) {
    static const std::array<CodePage, 10> pages = {
        CodePage(874, tables::kUpper874),   CodePage(1250, tables::kUpper1250),
        CodePage(1251, tables::kUpper1251), CodePage(1252, tables::kUpper1252),
        CodePage(1253, tables::kUpper1253), CodePage(1254, tables::kUpper1254),
        CodePage(1255, tables::kUpper1255), CodePage(1256, tables::kUpper1256),
        CodePage(1257, tables::kUpper1257), CodePage(1258, tables::kUpper1258)};
    for (const CodePage& page : pages) {
        if (page.number_ == number) return &page;
    }
    return nullptr;
}

std::string CodePage::name() const {
    return "Windows-" + std::to_string(number_);
}

char16_t CodePage::toUnicode(char byte) const {
    const auto value = static_cast<unsigned char>(byte);
    return value < 0x80 ? value : upper_[value - 0x80];
}

std::optional<char> CodePage::fromUnicode(char16_t character) const {
    if (character < 0x80) return static_cast<char>(character);
    for (int i = 0; i < 128; ++i) {
        if (upper_[i] == character) return static_cast<char>(0x80 + i);
    }
    return std::nullopt;
}

std::string CodePage::toUtf8(std::string_view text) const {
    std::string out;
    for (char c : text) appendUtf8(out, toUnicode(c));
    return out;
}

std::optional<std::string> CodePage::fromUtf8(std::string_view text) const {
    std::string out;
    while (!text.empty()) {
        char32_t cp = 0;
        const std::size_t length = utf8Sequence(text, cp);
        if (length == 0 || cp > 0xFFFF) return std::nullopt;
        const std::optional<char> byte = fromUnicode(static_cast<char16_t>(cp));
        if (!byte) return std::nullopt;
        out += *byte;
        text.remove_prefix(length);
    }
    return out;
}

std::string CodePage::displayed(std::string_view text) const {
    std::string out;
    while (!text.empty()) {
        char32_t cp = 0;
        std::size_t length = utf8Sequence(text, cp);
        if (length == 0) {
            cp = toUnicode(text.front());
            length = 1;
        }
        appendUtf8(out, cp);
        text.remove_prefix(length);
    }
    return out;
}

const CodePage& ansiCodePage() {
    return *current().load();
}

int wantedAnsiCodePage() {
    return wanted().load();
}

void setAnsiCodePage(int number) {
    const CodePage* page = CodePage::byNumber(number);
    current().store(page ? page : &CodePage::windows1252());
    wanted().store(number);
}

}  // namespace quenor::base
