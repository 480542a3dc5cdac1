#pragma once

#include <atomic>
#include <optional>
#include <string>
#include <string_view>

namespace quenor::base {

// A Windows single-byte ANSI code page: the 8-bit form of text that programs of the "A" API
// (such as the game) use, one byte a character. Bytes 0x00..0x7F are ASCII in each; the upper
// half comes from the code page's table.
class CodePage {
  public:
    // Windows-1252, the code page of English and of the "C" locale.
    static const CodePage& windows1252();
    // The single-byte code page of that number (874, 1250 ... 1258); nothing for another
    // number (the double-byte pages of Chinese, Japanese and Korean among them).
    static const CodePage* byNumber(int number);

    int number() const { return number_; }
    // "Windows-1251", for messages.
    std::string name() const;

    char16_t toUnicode(char byte) const;
    // The byte of a character; nothing when the code page cannot hold it.
    std::optional<char> fromUnicode(char16_t character) const;

    // Bytes in this code page as UTF-8.
    std::string toUtf8(std::string_view text) const;
    // UTF-8 in this code page; nothing when a character has no byte in it (or the text is no
    // valid UTF-8).
    std::optional<std::string> fromUtf8(std::string_view text) const;
    // Text for a person's screen: a valid UTF-8 sequence is kept as it is (a host path), every
    // other byte is read in this code page (a Windows path), so that a message that holds both
    // reads right.
    std::string displayed(std::string_view text) const;

  private:
    CodePage(int number, const char16_t* upper) : number_(number), upper_(upper) {}
    int number_;
    const char16_t* upper_;  // 128 characters, of bytes 0x80..0xFF
};

// The ANSI code page of this run, the one the game gets: set by the platform when it opens
// (from the locale Wine takes it from, or from Windows); Windows-1252 until then. A code page
// the tool has no table of (the double-byte ones) is noted by its number, and Windows-1252
// stands in for it: the texts it would give characters above ASCII are refused.
const CodePage& ansiCodePage();
// The number of the code page the game gets; differs from ansiCodePage().number() where the
// tool has no table of it.
int wantedAnsiCodePage();
void setAnsiCodePage(int number);

}  // namespace quenor::base
