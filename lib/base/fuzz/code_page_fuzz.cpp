// Fuzz target over the changes of form of a text: the first byte picks a code page, the rest is
// the text. Whatever the bytes, the text shown to a person is valid UTF-8 that keeps every valid
// UTF-8 sequence of the input; a text of the code page turned into UTF-8 comes back as it was.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "lib/base/code_page.h"

namespace {

constexpr int kPages[] = {874, 1250, 1251, 1252, 1253, 1254, 1255, 1256, 1257, 1258};

// Whether `text` is well-formed UTF-8 (no surrogate, nothing above U+10FFFF, no overlong form).
bool validUtf8(std::string_view text) {
    for (std::size_t i = 0; i < text.size();) {
        const auto lead = static_cast<unsigned char>(text[i]);
        std::size_t length = lead < 0x80             ? 1
                             : (lead & 0xE0) == 0xC0 ? 2
                             : (lead & 0xF0) == 0xE0 ? 3
                             : (lead & 0xF8) == 0xF0 ? 4
                                                     : 0;
        if (length == 0 || i + length > text.size()) return false;
        char32_t cp = length == 1 ? lead : lead & (0x7F >> length);
        for (std::size_t k = 1; k < length; ++k) {
            const auto next = static_cast<unsigned char>(text[i + k]);
            if ((next & 0xC0) != 0x80) return false;
            cp = (cp << 6) | (next & 0x3F);
        }
        const char32_t min[] = {0, 0, 0x80, 0x800, 0x10000};
        if (cp < min[length] || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) return false;
        i += length;
    }
    return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0) return 0;
    const quenor::base::CodePage& page =
        *quenor::base::CodePage::byNumber(kPages[data[0] % std::size(kPages)]);
    const std::string_view text(reinterpret_cast<const char*>(data + 1), size - 1);
    const std::string shown = page.displayed(text);
    if (!validUtf8(shown)) std::abort();
    if (validUtf8(text) && shown != text) std::abort();
    const std::optional<std::string> back = page.fromUtf8(page.toUtf8(text));
    if (!back || *back != text) std::abort();
    if (const std::optional<std::string> bytes = page.fromUtf8(text)) {
        if (page.toUtf8(*bytes) != text) std::abort();
    }
    return 0;
}
