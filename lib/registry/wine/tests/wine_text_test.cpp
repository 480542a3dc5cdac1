#include <gtest/gtest.h>

#include <string>

#include "lib/registry/wine/wine_text.h"

namespace quenor::reg::wine {
namespace {

TEST(WineText, CodePageMapsWindows1252AndReplacesTheRest) {
    struct Case {
        std::u16string unicode;
        std::string bytes;
    };
    const Case cases[] = {
        {u"plain", "plain"},
        {u"caf\u00e9 \u00fc\u00ff", "caf\xe9 \xfc\xff"},
        {u"\u20ac \u2122 \u0178", "\x80 \x99 \x9f"},
        {u"\u0081\u008d\u008f\u0090\u009d", "\x81\x8d\x8f\x90\x9d"},  // kept byte for byte
    };
    for (const auto& c : cases) {
        EXPECT_EQ(toCodePage(c.unicode), c.bytes);
        EXPECT_EQ(fromCodePage(c.bytes), c.unicode);
    }
    // No Windows-1252 form: '?' (a surrogate pair gives two).
    EXPECT_EQ(toCodePage(u"\u0100x\u4e2d\U0001F30E"), "?x???");
}

TEST(WineText, ParsesEveryEscapeWineReads) {
    struct Case {
        std::string input;  // up to and including the end character '"'
        std::u16string expected;
    };
    const Case cases[] = {
        {R"(a\\b\"c")", u"a\\b\"c"},
        {R"(\x41")", u"A"},
        {R"(\x00e9e")", u"\u00e9e"},                       // greedy: 4 digits, then the plain 'e'
        {R"(\xe9e")", u"\u0e9e"},                          // greedy up to 4 hex digits
        {R"(\xzz")", u"xzz"},                              // \x without a digit is 'x'
        {R"(\0\12\1234")", std::u16string(u"\0\nS4", 4)},  // octal, at most 3 digits
        {R"(\a\b\t\n\v\f\r\e")", u"\a\b\t\n\v\f\r\x1b"},
        {R"(\[\]\q")", u"[]q"},
        {"caf\xc3\xa9 \xf0\x9f\x8c\x8e\"", u"caf\u00e9 \U0001F30E"},  // raw UTF-8
        // Bytes that are not well-formed UTF-8 are left out, as wine64 8.0 reads them; the
        // 3-byte form of a surrogate is kept (cross-checked on a prefix made by wineboot).
        {"a\x80\xc3-\xe2\x82-\xfe\xff-\xf8\x88\x80\x80\x80"
         "b\"",
         u"a---b"},
        {"o\xc0\x80\xe0\x80\xaf\xf0\x80\x80\xaf\xf4\x90\x80\x80\xf5\x80\x80\x80k\"", u"ok"},
        {"\xc3\xc3\xa9\xe2\x82\xe2\x82\xac\xf0\x9f\x98z\"", u"\u00e9\u20acz"},
        {"\xed\xa0\x80\xed\xbf\xbf\xef\xbf\xbf\xf4\x8f\xbf\xbf\"", u"\xd800\xdfff\uffff\U0010FFFF"},
        {"\\\xe9\\\xed\xa0\x80\\\xc3\xa9\"", u"\xd800\u00e9"},  // escaped bytes alike
        {R"(\xd83c\xdf0e")", u"\U0001F30E"},                    // surrogate escapes
    };
    for (const auto& c : cases) {
        std::u16string out;
        EXPECT_EQ(parseEscaped(c.input, '"', out), c.input.size()) << c.input;
        EXPECT_EQ(out, c.expected) << c.input;
    }
    for (std::string bad : {"no end", "ends in \\", "escaped end \\\""}) {
        std::u16string out;
        EXPECT_EQ(parseEscaped(bad, '"', out), std::string_view::npos) << bad;
    }
}

TEST(WineText, WritesAsWineDoesAndReadsBack) {
    struct Case {
        std::u16string text;
        std::string escaped;
        std::string written;
    };
    const Case cases[] = {
        {u"C:\\Games\\", "\"", R"(C:\\Games\\)"},
        {u"say \"hi\"", "\"", R"(say \"hi\")"},
        {u"[x]", "[]", R"(\[x\])"},
        {u"caf\u00e9", "\"", R"(caf\xe9)"},
        {u"\u00e9a", "\"", R"(\x00e9a)"},  // a hex digit follows: 4 digits
        {u"\u00e9g", "\"", R"(\xe9g)"},
        {u"\U0001F30E", "\"", R"(\xd83c\xdf0e)"},
        {u"t\tn\n\x1b", "\"", R"(t\tn\n\e)"},
        {std::u16string(u"a\0b\0", 4), "\"", R"(a\0b)"},  // final NUL left out
        {std::u16string(u"\x01"
                        u"7",
                        2),
         "\"", R"(\0017)"},  // octal before a digit
    };
    for (const auto& c : cases) {
        const std::string written = writeEscaped(c.text, c.escaped, true);
        EXPECT_EQ(written, c.written);
        std::u16string back;
        const std::string withEnd = written + (c.escaped == "[]" ? "]" : "\"");
        ASSERT_NE(parseEscaped(withEnd, withEnd.back(), back), std::string_view::npos);
        std::u16string expected = c.text;
        if (!expected.empty() && expected.back() == 0) expected.pop_back();
        EXPECT_EQ(back, expected) << written;
    }
}

}  // namespace
}  // namespace quenor::reg::wine
