#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "lib/registry/wine/tests/wine_test_support.h"
#include "lib/registry/wine/wine_reg_file.h"
#include "lib/registry/wine/wine_text.h"

namespace quenor::reg::wine {
namespace {

using Bytes = std::vector<std::uint8_t>;

Bytes utf16z(std::u16string_view text) {
    std::u16string withNul(text);
    withNul.push_back(0);
    return toUtf16Bytes(withNul);
}

const std::string kHeader = "WINE REGISTRY Version 2\n";

WineLine onlyValue(const std::string& body) {
    const auto doc = parseWineRegistry(kHeader + "[K] 1\n" + body, "test.reg");
    EXPECT_EQ(doc.sections.size(), 1u);
    for (const auto& line : doc.sections.at(0).lines) {
        if (line.kind == LineKind::Value) return line;
    }
    ADD_FAILURE() << "no value in " << body;
    return {};
}

TEST(WineRegFile, ReadsEveryValueForm) {
    struct Case {
        std::string line;
        std::u16string name;
        std::uint32_t type;
        Bytes data;
    };
    const Case cases[] = {
        {"\"A\"=\"text\"\n", u"A", 1, utf16z(u"text")},
        {"@=\"default\"\n", u"", 1, utf16z(u"default")},
        {"\"A\"=str:\"text\"\n", u"A", 1, utf16z(u"text")},
        {"\"A\"=str(2):\"%X%\"\n", u"A", 2, utf16z(u"%X%")},
        {"\"A\"=str(7):\"a\\0b\\0\"\n", u"A", 7, utf16z(std::u16string(u"a\0b\0", 4))},
        {"\"A\"=dword:0000abCD\n", u"A", 4, {0xcd, 0xab, 0, 0}},
        {"\"A\"=dword:FFFFFFFF\r\n", u"A", 4, {0xff, 0xff, 0xff, 0xff}},
        {"\"A\"=hex:01,02,ff\n", u"A", 3, {1, 2, 0xff}},
        {"\"A\"=hex:\n", u"A", 3, {}},
        {"\"A\"=hex(b):01,02,\\\n  03,04\n", u"A", 0xb, {1, 2, 3, 4}},
        {"\"A\"=hex(1):41,00\r\n", u"A", 1, {0x41, 0}},  // unterminated REG_SZ
        {"\"A\"=hex(100000):\n", u"A", 0x100000, {}},
        {"  \"A\" = \"spaced\"\n", u"A", 1, utf16z(u"spaced")},
        {"\"q\\\"\\\\\"=\"end\\\\\"\n", u"q\"\\", 1, utf16z(u"end\\")},
        {"\"caf\xc3\xa9\"=\"\\xe9\"\n", u"caf\u00e9", 1, utf16z(u"\u00e9")},
    };
    for (const auto& c : cases) {
        const WineLine value = onlyValue(c.line);
        EXPECT_EQ(value.name, c.name) << c.line;
        EXPECT_EQ(value.type, c.type) << c.line;
        EXPECT_EQ(value.data, c.data) << c.line;
        EXPECT_EQ(value.raw, c.line);
    }
}

TEST(WineRegFile, ReadsKeyLinesAndKeepsOtherLines) {
    const std::string text = kHeader +
                             ";; comment\n"
                             "#arch=win64\n"
                             "\n"
                             "[Software\\\\A\\[1\\]\\\\\\xe9t\\xe9] 1796627307\n"
                             "#time=1dd8619c1c5769c\n"
                             "#class=\"x\"\n"
                             "unknown line\n"
                             "[NoTime]\n"
                             "[] 5\n"
                             "@=\"root\"\n";
    const auto doc = parseWineRegistry(text, "t.reg");
    EXPECT_EQ(doc.arch, "win64");
    ASSERT_EQ(doc.sections.size(), 3u);
    EXPECT_EQ(doc.sections[0].path,
              (std::vector<std::u16string>{u"Software", u"A[1]", u"\u00e9t\u00e9"}));
    EXPECT_EQ(doc.sections[0].lines.size(), 3u);
    EXPECT_EQ(doc.sections[1].path, std::vector<std::u16string>{u"NoTime"});
    EXPECT_TRUE(doc.sections[2].path.empty());
    EXPECT_EQ(renderUnchanged(doc), text);
}

TEST(WineRegFile, RefusesWhatCannotBeRead) {
    struct Case {
        std::string text;
        std::size_t line;
        std::string defect;
    };
    const Case cases[] = {
        {"", 0, "empty"},
        {"WINE REGISTRY Version 1\n", 1, "first line"},
        {"\xef\xbb\xbfWINE REGISTRY Version 2\n", 1, "first line"},
        {"REGEDIT4\n[A]\n", 1, "first line"},
        {kHeader + "[A] 1\n\"x\"=\"a\n", 3, "no closing quote"},
        {kHeader + "[A] 1\n\"x=\"a\"\n", 3, "not followed by"},
        {kHeader + "[A 1\n", 2, "closing \"]\""},
        {kHeader + "[A]\n\"x\"=weird:1\n", 3, "unknown form"},
        {kHeader + "[A]\n\"x\"=dword:123456789\n", 3, "more than 8"},
        {kHeader + "[A]\n\"x\"=dword:xyz\n", 3, "1 to 8 hex"},
        {kHeader + "[A]\n\"x\"=hex:100\n", 3, "larger than ff"},
        {kHeader + "[A]\n\"x\"=hex:01,zz\n", 3, "unexpected character"},
        {kHeader + "[A]\n\"x\"=hex:01,\\\n  zz\n", 4, "unexpected character"},
        {kHeader + "[A]\n\"x\"=hex:01,\\", 3, "past the end"},
        {kHeader + "[A]\n\"x\"=hex(zz):01\n", 3, "malformed"},
        {kHeader + "[A]\n\"x\"=hex(100000000):01\n", 3, "too large"},
        {kHeader + "[A]\n" + std::string("\"x\"=\"a\0\"\n", 9), 3, "NUL bytes"},
    };
    for (const auto& c : cases) {
        try {
            parseWineRegistry(c.text, "/p/system.reg");
            ADD_FAILURE() << "accepted: " << c.text;
        } catch (const WineRegistryError& e) {
            EXPECT_EQ(e.file(), "/p/system.reg");
            EXPECT_EQ(e.line(), c.line) << e.what();
            EXPECT_NE(std::string(e.what()).find(c.defect), std::string::npos) << e.what();
            EXPECT_NE(std::string(e.what()).find("/p/system.reg"), std::string::npos);
        }
    }
}

TEST(WineRegFile, FormatsValuesAsWineDoes) {
    struct Case {
        std::u16string name;
        std::uint32_t type;
        Bytes data;
        std::string line;
    };
    const Case cases[] = {
        {u"A", 1, utf16z(u"C:\\x\"y\""), "\"A\"=\"C:\\\\x\\\"y\\\"\"\n"},
        {u"", 1, utf16z(u""), "@=\"\"\n"},
        {u"A", 2, utf16z(u"%P%"), "\"A\"=str(2):\"%P%\"\n"},
        {u"A", 7, utf16z(std::u16string(u"a\0b\0", 4)), "\"A\"=str(7):\"a\\0b\\0\"\n"},
        {u"A", 1, {0x41, 0}, "\"A\"=hex(1):41,00\n"},        // no terminating NUL
        {u"A", 1, {0x41, 0, 0}, "\"A\"=hex(1):41,00,00\n"},  // odd length
        {u"A", 4, {0x80, 7, 0, 0}, "\"A\"=dword:00000780\n"},
        {u"A", 4, {1, 2}, "\"A\"=hex(4):01,02\n"},
        {u"A", 3, {}, "\"A\"=hex:\n"},
        {u"A", 0xb, {1, 2}, "\"A\"=hex(b):01,02\n"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(formatValueLine(c.name, c.type, c.data, "\n"), c.line);
    }
    EXPECT_EQ(formatKeyLines({u"Software", u"A]"}, 1796627307, "\r\n"),
              "[Software\\\\A\\]] 1796627307\r\n#time=1dd8619c184e780\r\n");
}

// Every value line Wine wrote (wrapped hex data included) comes out of the formatter
// byte for byte as Wine wrote it.
TEST(WineRegFile, FormatterMatchesEveryLineOfWineWrittenFiles) {
    for (const char* name : {"system.reg", "user.reg"}) {
        const auto doc = parseWineRegistry(testing::readFile(testing::dataFile(name)), name);
        std::size_t values = 0;
        for (const auto& section : doc.sections) {
            for (const auto& line : section.lines) {
                if (line.kind != LineKind::Value) continue;
                ++values;
                EXPECT_EQ(formatValueLine(line.name, line.type, line.data, "\n"), line.raw)
                    << name << " line " << line.lineNumber;
            }
        }
        EXPECT_GT(values, 20u) << name;
    }
}

}  // namespace
}  // namespace quenor::reg::wine
