#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace quenor::reg::wine {

// Texts in Wine's registry files are Unicode (UTF-16 code units, as Windows holds them);
// the store's API is 8-bit. The 8-bit side uses the ANSI code page of the run
// (base::ansiCodePage(): the one Wine gives the game for the locale, Windows-1252 for English
// and "C"). Characters without a form in it become '?', as Wine's RegQueryValueExA does. Bytes
// a code page leaves undefined map to U+0081 etc. so that every byte survives a round trip.
// This is the one place where the registry's text changes form.
std::string toCodePage(std::u16string_view text);
std::u16string fromCodePage(std::string_view text);

// UTF-16LE bytes, as registry data holds them, and back. An odd final byte is dropped.
std::vector<std::uint8_t> toUtf16Bytes(std::u16string_view text);
std::u16string fromUtf16Bytes(const std::vector<std::uint8_t>& bytes);

// Reads an escaped string as Wine's reader does, from the start of `src` up to the
// unescaped `endChar`: \a \b \e \f \n \r \t \v, \x with up to 4 hex digits, octal with up
// to 3 digits, any other escaped character stands for itself; raw UTF-8 is decoded, and a
// byte that is not part of a well-formed sequence is left out, as Wine leaves it out.
// Returns the number of bytes read, the end character included, or std::string_view::npos
// when the end character is missing.
std::size_t parseEscaped(std::string_view src, char endChar, std::u16string& out);

// Writes text in Wine's escaped form: pure ASCII; `\` and the two characters of
// `escaped` get a backslash; characters above 127 become \x escapes (4 digits when an
// ASCII hex digit follows); control characters become C or octal escapes. A final NUL
// is left out when dropFinalNul is set (the quoted string forms imply it).
std::string writeEscaped(std::u16string_view text, std::string_view escaped, bool dropFinalNul);

}  // namespace quenor::reg::wine
