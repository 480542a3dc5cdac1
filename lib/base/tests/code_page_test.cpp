// Windows' single-byte code pages against characters whose bytes are known, and the display
// of texts that hold a Windows path and a host path at once.
#include <gtest/gtest.h>

#include "lib/base/code_page.h"

namespace quenor::base {
namespace {

TEST(CodePage, KnownCharactersHaveTheirBytesInEachPage) {
    const struct {
        int page;
        char16_t character;
        char byte;
    } rows[] = {
        {1252, u'\u00DC', '\xDC'},  // Ü
        {1252, u'\u20AC', '\x80'},  // €
        {1252, u'\u0081', '\x81'},  // undefined: kept as its own code point
        {1251, u'\u0418', '\xC8'},  // И
        {1251, u'\u0433', '\xE3'},  // г
        {1250, u'\u0141', '\xA3'},  // Ł
        {1253, u'\u03A9', '\xD9'},  // Ω
        {1254, u'\u011F', '\xF0'},  // ğ
        {874, u'\u0E01', '\xA1'},   // ก
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.page);
        const CodePage& page = *CodePage::byNumber(row.page);
        EXPECT_EQ(page.toUnicode(row.byte), row.character);
        EXPECT_EQ(page.fromUnicode(row.character), row.byte);
    }
    EXPECT_EQ(CodePage::windows1252().fromUnicode(u'\u0418'), std::nullopt);
    EXPECT_EQ(CodePage::byNumber(932), nullptr);
    // Every byte survives a round trip through Unicode.
    for (int page : {874, 1250, 1251, 1252, 1253, 1254, 1255, 1256, 1257, 1258}) {
        for (int byte = 0; byte < 256; ++byte) {
            const CodePage& p = *CodePage::byNumber(page);
            ASSERT_EQ(p.fromUnicode(p.toUnicode(static_cast<char>(byte))), static_cast<char>(byte))
                << page << " " << byte;
        }
    }
}

TEST(CodePage, TextsChangeFormBetweenTheCodePageAndUtf8) {
    const CodePage& cyrillic = *CodePage::byNumber(1251);
    EXPECT_EQ(cyrillic.toUtf8("C:\\\xC8\xE3\xF0\xFB\\"), "C:\\Игры\\");
    EXPECT_EQ(cyrillic.fromUtf8("C:\\Игры\\"), "C:\\\xC8\xE3\xF0\xFB\\");
    EXPECT_EQ(CodePage::windows1252().fromUtf8("C:\\Игры\\"), std::nullopt);
    EXPECT_EQ(CodePage::windows1252().fromUtf8("\xC3"), std::nullopt);  // cut off
    // A message with a Windows path in the code page and the host path in UTF-8.
    EXPECT_EQ(CodePage::windows1252().displayed("C:\\NHL 09 \xDC\\ (/home/a/NHL 09 Ü/)"),
              "C:\\NHL 09 Ü\\ (/home/a/NHL 09 Ü/)");
}

}  // namespace
}  // namespace quenor::base
