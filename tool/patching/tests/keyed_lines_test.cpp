// The one rule of keyed lines: which lines hold a key, the value they hold, and that what the
// rewrite writes reads back as the value it was given.
#include "tool/patching/keyed_lines.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>

namespace quenor::patching {
namespace {

TEST(KeyedLines, ValueOfEachSpellingAndWhatTheRewriteMakesOfIt) {
    struct Case {
        const char* line;
        std::optional<std::string> value;  // nothing: the line holds no devicewidth
    };
    const Case cases[] = {
        {"devicewidth 1600", "1600"},
        {"devicewidth  1600", "1600"},
        {"devicewidth\t1600", "1600"},
        {"devicewidth = 1600", "1600"},
        {"devicewidth=1600", "1600"},
        {"devicewidth 1600 ", "1600"},
        {"devicewidth 1600\t ", "1600"},
        {"DeviceWidth 1600", "1600"},
        {"devicewidth", ""},
        {"devicewidth = ", ""},
        {"devicewidth 16 00", "16 00"},
        {"devicewidthmax 5", "max 5"},
        {"  devicewidth 1600", std::nullopt},
        {"\tdevicewidth 1600", std::nullopt},
        {"devicewidt 1600", std::nullopt},
        {"", std::nullopt},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.line);
        EXPECT_EQ(keyedLineValue(c.line, "devicewidth"), c.value);
        const std::string rewritten = rewriteKeyedLine(c.line, "devicewidth", "1280");
        if (c.value) {
            EXPECT_EQ(keyedLineValue(rewritten, "devicewidth"), "1280") << rewritten;
        } else {
            EXPECT_EQ(rewritten, c.line);
        }
    }
}

TEST(KeyedLines, EveryLineOfATextAndTheIndentedOneThatHoldsNone) {
    const std::string text = "DEVICEWIDTH 800\n  devicewidth 1024\r\ndevicewidth = 1600 \r";
    EXPECT_EQ(keyedValues(text, "devicewidth"), (std::vector<std::string>{"800", "1600"}));
    EXPECT_EQ(indentedKeyedLine(text, "devicewidth"), "  devicewidth 1024");
    EXPECT_EQ(indentedKeyedLine(text, "deviceheight"), std::nullopt);
    EXPECT_EQ(indentedKeyedLine("devicewidth 1\n", "devicewidth"), std::nullopt);
    EXPECT_TRUE(keyedValues("", "devicewidth").empty());
}

}  // namespace
}  // namespace quenor::patching
