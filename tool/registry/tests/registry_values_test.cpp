#include "tool/registry/registry_values.h"

#include <gtest/gtest.h>

#include "core/testing/tool_fixture.h"
#include "core/tool_error.h"
#include "lib/registry/testing/memory_store.h"

namespace quenor {
namespace {

class RegistryValuesTest : public ::testing::Test {
  protected:
    reg::MemoryStore store;
    testing::ToolFixture fx{store};
};

TEST_F(RegistryValuesTest, SetAndGetLogTheirLines) {
    setRegistryValue(fx.tool(), kHkeyCurrentUser, TaggedValue("Software\\EA Sports\\NHL 09"),
                     TaggedValue("GFX Mode"), TaggedValue(std::int32_t{4}),
                     TaggedValue(std::int16_t{2}));
    TaggedValue read =
        getRegistryValue(fx.tool(), kHkeyCurrentUser, TaggedValue("software\\ea sports\\nhl 09"),
                         TaggedValue("gfx mode"));
    EXPECT_EQ(read, TaggedValue(std::int32_t{2}));
    const std::vector<std::string> expected = {
        "setRegistryValue start",
        "-2147483647_Software\\EA Sports\\NHL 09_GFX Mode_4_2",
        "setRegistryValue done - OK",
        "getRegistryValue start...",
        " -2147483647_software\\ea sports\\nhl 09_gfx mode",
        "getRegistryValue done",
    };
    EXPECT_EQ(fx.logMessages(), expected);
}

TEST_F(RegistryValuesTest, MissingValueReadsEmpty) {
    EXPECT_EQ(
        getRegistryValue(fx.tool(), kHkeyLocalMachine, TaggedValue("Software\\EA Sports\\NHL 09"),
                         TaggedValue("Install Dir")),
        TaggedValue());
    EXPECT_EQ(fx.logMessages()[1], " -2147483646_Software\\EA Sports\\NHL 09_Install Dir");
}

TEST_F(RegistryValuesTest, FailedWriteSkipsTheDoneLine) {
    store.failCalls(reg::RegistryOp::CreateKey, reg::kAccessDenied);
    EXPECT_THROW(setRegistryValue(fx.tool(), kHkeyCurrentUser, TaggedValue("K"), TaggedValue("v"),
                                  TaggedValue(std::int32_t{1}), TaggedValue("x")),
                 ToolError);
    EXPECT_EQ(fx.logMessages(),
              (std::vector<std::string>{"setRegistryValue start", "-2147483647_K_v_1_x"}));
}

}  // namespace
}  // namespace quenor
