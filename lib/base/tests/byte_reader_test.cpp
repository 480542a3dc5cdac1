#include "lib/base/byte_reader.h"

#include <gtest/gtest.h>

#include <functional>
#include <vector>

namespace quenor::base {
namespace {

using Bytes = std::vector<std::uint8_t>;

TEST(ByteReader, ReadsFieldsInBothByteOrders) {
    const Bytes data{0x12, 0x34, 0x56, 0x78, 0x9A, 0xBC, 0xDE};
    ByteReader in(data);
    EXPECT_EQ(in.u8(), 0x12u);
    EXPECT_EQ(in.u24be(), 0x345678u);
    EXPECT_EQ(in.offset(), 4u);
    ByteReader again(data);
    EXPECT_EQ(again.u32le(), 0x78563412u);
    EXPECT_EQ(again.u16be(), 0x9ABCu);
    EXPECT_EQ(again.remaining(), 1u);
    EXPECT_TRUE(again.ok());
}

TEST(ByteReader, AReadPastTheEndReadsNothingAndIsRemembered) {
    const Bytes data{1, 2, 3};
    struct Case {
        const char* name;
        std::size_t readable;  // what a successful read before the failing one consumed
        std::function<bool(ByteReader&)> readFails;
    };
    const Case cases[] = {
        {"u32be", 0, [](ByteReader& in) { return in.u32be() == 0; }},
        {"u32le after u16be", 2,
         [](ByteReader& in) { return in.u16be() == 0x0102 && in.u32le() == 0; }},
        {"bytes", 1, [](ByteReader& in) { return in.u8() == 1 && in.bytes(3).empty(); }},
        {"skip", 0, [](ByteReader& in) { return !in.skip(4); }},
        {"u8 at the end", 3, [](ByteReader& in) { return in.skip(3) && in.u8() == 0; }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ByteReader in(data);
        EXPECT_TRUE(c.readFails(in));
        EXPECT_FALSE(in.ok());
        EXPECT_EQ(in.offset(), c.readable);
        // Every later read fails, however short, and nothing is read from where it stopped.
        EXPECT_FALSE(in.skip(0));
        EXPECT_EQ(in.u8(), 0);
        EXPECT_TRUE(in.bytes(0).empty());
        EXPECT_FALSE(in.upTo(3));
        EXPECT_FALSE(in.consume(""));
        EXPECT_EQ(in.peek(), 0);
        EXPECT_EQ(in.offset(), c.readable);
        EXPECT_FALSE(in.ok()) << "a later read does not clear the failure";
    }
}

TEST(ByteReader, FindsAStopByteOnlyInsideItsWindow) {
    ByteReader in(std::string_view("name\0rest", 9));
    EXPECT_FALSE(in.upTo(0, 4));  // the NUL is the fifth byte
    EXPECT_EQ(in.offset(), 0u);
    const auto name = in.upTo(0, 5);
    ASSERT_TRUE(name);
    EXPECT_EQ(name->size(), 4u);
    EXPECT_EQ(in.restText(), "rest");
    EXPECT_FALSE(in.upTo(0));
    EXPECT_TRUE(in.ok()) << "a failed search is not a read past the end";
}

TEST(ByteReader, LooksAheadAndConsumesPrefixes) {
    ByteReader in(std::string_view("dword:0000001f"));
    EXPECT_EQ(in.peek(), 'd');
    EXPECT_EQ(in.peek(100), 0);
    EXPECT_FALSE(in.consume("hex:"));
    EXPECT_TRUE(in.consume("dword:"));
    EXPECT_EQ(in.text(8), "0000001f");
    EXPECT_TRUE(in.atEnd());
    EXPECT_TRUE(in.ok());
}

}  // namespace
}  // namespace quenor::base
