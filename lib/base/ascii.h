#pragma once

#include <string>
#include <string_view>

// Letter case of ASCII text. Registry names, archive entry names, environment names and the
// keys of the game's config files all match without regard to case, but only for the 26
// ASCII letters: bytes above 127 are compared as they are, whatever the locale.
namespace quenor::base {

constexpr char asciiLower(char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

constexpr char asciiUpper(char c) {
    return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
}

std::string asciiLowered(std::string_view text);
std::string asciiUppered(std::string_view text);

bool equalsIgnoringAsciiCase(std::string_view a, std::string_view b);
bool startsWithIgnoringAsciiCase(std::string_view text, std::string_view prefix);
// Orders texts byte by byte (unsigned) after lowering ASCII letters.
bool lessIgnoringAsciiCase(std::string_view a, std::string_view b);

constexpr bool isAsciiHexDigit(char c) {
    return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F');
}

// The value of a hexadecimal digit (isAsciiHexDigit must hold).
constexpr unsigned hexDigitValue(char c) {
    if (c >= '0' && c <= '9') return static_cast<unsigned>(c - '0');
    return static_cast<unsigned>(asciiLower(c) - 'a' + 10);
}

}  // namespace quenor::base
