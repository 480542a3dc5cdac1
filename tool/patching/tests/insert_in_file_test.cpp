#include "tool/patching/insert_in_file.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "core/testing/tool_fixture.h"
#include "core/tool_error.h"
#include "lib/registry/testing/memory_store.h"

namespace quenor::patching {
namespace {

class InsertInFileTest : public ::testing::Test {
  protected:
    std::string run(const std::string& content, const std::string& key, const TaggedValue& value) {
        testing::writeFileBytes(source(), content);
        insertInFile(fx.tool(), source(), scratch(), key, value);
        return testing::readFileOrMissing(source());
    }
    std::string source() const { return fx.folder_.file("sgsm3.cfg"); }
    std::string scratch() const { return fx.folder_.file("quenor.tmp"); }

    reg::MemoryStore store;
    testing::ToolFixture fx{store};
};

TEST_F(InsertInFileTest, RewritesKeyedLines) {
    struct Case {
        const char* name;
        std::string in;
        const char* key;
        TaggedValue value;
        std::string out;
    };
    const Case cases[] = {
        {"separator and old value dropped", "DeviceWidth = 1024\r\nother 1\r\n", "devicewidth",
         TaggedValue(std::int32_t{1280}), "DeviceWidth 1280\r\nother 1\r\n"},
        {"prefix match", "devicewidthmax 5\r\n", "devicewidth", TaggedValue(std::int32_t{1280}),
         "devicewidth 1280\r\n"},
        {"every matching line", "enablevsync 1\r\nx\r\nENABLEVSYNC 0 ; c\r\n", "enablevsync",
         TaggedValue("false"), "enablevsync false\r\nx\r\nENABLEVSYNC false\r\n"},
        {"leading blanks or tab do not match", "  devicewidth 5\r\n\tdevicewidth 6\r\n",
         "devicewidth", TaggedValue(std::int32_t{1}), "  devicewidth 5\r\n\tdevicewidth 6\r\n"},
        {"short and empty lines copied", "dev\r\n\r\ndevicewidt\r\n", "devicewidth",
         TaggedValue(std::int32_t{1}), "dev\r\n\r\ndevicewidt\r\n"},
        {"exact key alone", "deviceheight\r\n", "deviceheight", TaggedValue(std::int32_t{800}),
         "deviceheight 800\r\n"},
        {"last line gets an end", "a 1\r\ndeviceheight 2", "deviceheight",
         TaggedValue(std::int32_t{900}), "a 1\r\ndeviceheight 900\r\n"},
        {"CR-only lines become CR LF", "a\rb\r", "x", TaggedValue("y"), "a\r\nb\r\n"},
        {"LF-only lines become CR LF", "a 1\nb 2\n", "x", TaggedValue("y"), "a 1\r\nb 2\r\n"},
        {"an LF-only file keeps every line", "devicewidth 1\nother 2\ndeviceheight 3",
         "devicewidth", TaggedValue(std::int32_t{5}),
         "devicewidth 5\r\nother 2\r\ndeviceheight 3\r\n"},
        {"LF then CR: an empty line between", "a\n\rb", "x", TaggedValue("y"), "a\r\n\r\nb\r\n"},
        {"no key: lines unchanged but CR LF", "a\r\nb", "zzz", TaggedValue("v"), "a\r\nb\r\n"},
        {"negative number", "devicewidth 1\r\n", "devicewidth", TaggedValue(std::int32_t{-3}),
         "devicewidth -3\r\n"},
        {"8-bit bytes kept", "caf\xe9 \xff\r\n", "devicewidth", TaggedValue(std::int32_t{1}),
         "caf\xe9 \xff\r\n"},
        {"empty file stays empty", "", "devicewidth", TaggedValue(std::int32_t{1}), ""},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(run(c.in, c.key, c.value), c.out) << c.name;
        EXPECT_FALSE(std::filesystem::exists(scratch())) << c.name;
    }
}

TEST_F(InsertInFileTest, LogsSevenPlusTwoLinesPerLine) {
    run("a\r\nb\r\nc\r\n", "devicewidth", TaggedValue(std::int32_t{1}));
    const std::string src = source(), tmp = scratch();
    const std::vector<std::string> expected = {
        "insertInFile start...",
        " FileCopy " + src + " " + tmp + " - OK",
        " Open " + src + " - OK",
        " Open " + tmp + " - OK",
        " Line Input - OK",
        " Print #outputFile - OK",
        " Line Input - OK",
        " Print #outputFile - OK",
        " Line Input - OK",
        " Print #outputFile - OK",
        " EOF - OK",
        " FileCopy " + tmp + " " + src + " - OK",
        "Kill " + tmp + " - OK",
    };
    EXPECT_EQ(fx.logMessages(), expected);
}

TEST_F(InsertInFileTest, MissingSourceFailsAtTheFirstCopy) {
    try {
        insertInFile(fx.tool(), source(), scratch(), "devicewidth", TaggedValue(std::int32_t{1}));
        FAIL() << "no error";
    } catch (const ToolError& e) {
        EXPECT_NE(e.description().find(source()), std::string::npos) << e.description();
    }
    EXPECT_EQ(fx.logMessages(), std::vector<std::string>{"insertInFile start..."});
    EXPECT_FALSE(std::filesystem::exists(scratch()));
}

}  // namespace
}  // namespace quenor::patching
