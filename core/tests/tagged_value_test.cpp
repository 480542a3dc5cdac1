#include "core/tagged_value.h"

#include <gtest/gtest.h>

namespace quenor {
namespace {

TEST(TaggedValue, TextForms) {
    EXPECT_EQ(TaggedValue().text(), "");
    EXPECT_EQ(TaggedValue(std::int16_t{-1}).text(), "-1");
    EXPECT_EQ(TaggedValue(std::int32_t{-2147483647}).text(), "-2147483647");
    EXPECT_EQ(TaggedValue("1.0").text(), "1.0");
    EXPECT_EQ(TaggedValue(TaggedValue::Bytes{0x01, 0xA0, 0xFF}).text(), "01 A0 FF");
    EXPECT_EQ(TaggedValue(TaggedValue::Bytes{}).text(), "");
}

TEST(TaggedValue, EqualsEmptyCoversTheThreeNothingForms) {
    EXPECT_TRUE(TaggedValue().equalsEmpty());
    EXPECT_TRUE(TaggedValue("").equalsEmpty());
    EXPECT_TRUE(TaggedValue(std::int32_t{0}).equalsEmpty());
    EXPECT_TRUE(TaggedValue(std::int16_t{0}).equalsEmpty());
    EXPECT_FALSE(TaggedValue("0").equalsEmpty());
    EXPECT_FALSE(TaggedValue(" ").equalsEmpty());
    EXPECT_FALSE(TaggedValue(TaggedValue::Bytes{}).equalsEmpty());
}

struct FieldCase {
    TaggedValue value;
    int bits;
    char separator;
    std::optional<std::int32_t> expected;
};

TEST(TaggedValue, ConversionToSettingsField) {
    const FieldCase cases[] = {
        {TaggedValue(), 16, '.', 0},
        {TaggedValue("3"), 16, '.', 3},
        {TaggedValue("-7"), 16, '.', -7},
        {TaggedValue("  12  "), 16, '.', 12},
        {TaggedValue("+5"), 16, '.', 5},
        {TaggedValue(std::int32_t{1440}), 32, '.', 1440},
        // fractions round half to even
        {TaggedValue("2.5"), 16, '.', 2},
        {TaggedValue("3.5"), 16, '.', 4},
        {TaggedValue("2.51"), 16, '.', 3},
        {TaggedValue("2.4999"), 16, '.', 2},
        {TaggedValue("-2.5"), 16, '.', -2},
        {TaggedValue("-3.5"), 16, '.', -4},
        {TaggedValue(".5"), 16, '.', 0},
        {TaggedValue("1."), 16, '.', 1},
        // the user's decimal separator decides
        {TaggedValue("2,5"), 16, ',', 2},
        {TaggedValue("2,5"), 16, '.', std::nullopt},
        // range of the field
        {TaggedValue("32767"), 16, '.', 32767},
        {TaggedValue("32768"), 16, '.', std::nullopt},
        {TaggedValue("-32768"), 16, '.', -32768},
        {TaggedValue("32767.5"), 16, '.', std::nullopt},
        {TaggedValue(std::int32_t{40000}), 16, '.', std::nullopt},
        {TaggedValue("2147483647"), 32, '.', 2147483647},
        {TaggedValue("2147483648"), 32, '.', std::nullopt},
        {TaggedValue("99999999999999999999999"), 32, '.', std::nullopt},
        // not numbers
        {TaggedValue(""), 16, '.', std::nullopt},
        {TaggedValue("abc"), 16, '.', std::nullopt},
        {TaggedValue("12abc"), 16, '.', std::nullopt},
        {TaggedValue("-"), 16, '.', std::nullopt},
        {TaggedValue("."), 16, '.', std::nullopt},
        {TaggedValue("1 2"), 16, '.', std::nullopt},
        {TaggedValue(TaggedValue::Bytes{1}), 16, '.', std::nullopt},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(toSettingsField(c.value, c.bits, c.separator), c.expected)
            << "value '" << c.value.text() << "' bits " << c.bits;
    }
}

}  // namespace
}  // namespace quenor
