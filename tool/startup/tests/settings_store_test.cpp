#include "tool/startup/settings_store.h"

#include <gtest/gtest.h>

#include "core/testing/tool_fixture.h"
#include "core/tool_error.h"
#include "lib/registry/testing/memory_store.h"
#include "tool/registry/c_registry.h"

namespace quenor {
namespace {

class SettingsStoreTest : public ::testing::Test {
  protected:
    std::string stored(const std::string& name) {
        cRegistry r(store, fx.environment, "quenor");
        return r.ValueEx(reg::kCurrentUser, kSettingsKeyPath, name, 1, TaggedValue("<none>"))
            .text();
    }
    void put(const std::string& name, const TaggedValue& value) {
        cRegistry r(store, fx.environment, "quenor");
        r.ValueEx(reg::kCurrentUser, kSettingsKeyPath, name, 1, TaggedValue(), value);
    }

    reg::MemoryStore store;
    testing::ToolFixture fx{store};
};

TEST_F(SettingsStoreTest, FirstSaveAfterDefaults) {
    setDefaultValues(fx.tool());
    createQuenorRegistry(fx.tool());
    const std::pair<const char*, const char*> expected[] = {
        {"Version", "1.0"}, {"Resolution", "3"}, {"DeviceWidth", "0"}, {"DeviceHeight", "0"},
        {"ResFrame", "0"},  {"VSYNC", "0"},      {"FPSboost", "0"},    {"Log", "0"}};
    for (auto [name, value] : expected) EXPECT_EQ(stored(name), value) << name;

    const auto log = fx.logMessages();
    ASSERT_EQ(log.size(), 26u);
    EXPECT_EQ(log.front(), "createQuenorRegistry start");
    EXPECT_EQ(log[1], "setRegistryValue start");
    EXPECT_EQ(log[2], "-2147483647_Software\\Olm\\Quenor_Version_1_1.0");
    EXPECT_EQ(log[3], "setRegistryValue done - OK");
    EXPECT_EQ(log[5], "-2147483647_Software\\Olm\\Quenor_Resolution_1_3");
    EXPECT_EQ(log[23], "-2147483647_Software\\Olm\\Quenor_Log_1_0");
    EXPECT_EQ(log.back(), "createQuenorRegistry done - OK");
}

TEST_F(SettingsStoreTest, DefaultsLeaveSizeAndPathsAlone) {
    auto& s = fx.tool().settings;
    s = SettingsModel{4, 1440, 900, 4, 1, 3, 1, "C:\\G\\", "C:\\G\\preload\\fmisc.viv", "C:\\t"};
    setDefaultValues(fx.tool());
    EXPECT_EQ(s.intResolution, 3);
    EXPECT_EQ(s.intResFrame, 0);
    EXPECT_EQ(s.intVSYNC, 0);
    EXPECT_EQ(s.intFPSboost, 0);
    EXPECT_EQ(s.intLog, 0);
    EXPECT_EQ(s.lngDeviceWidth, 1440);
    EXPECT_EQ(s.lngDeviceHeight, 900);
    EXPECT_EQ(s.strTempFolder, "C:\\t");
    EXPECT_TRUE(fx.logMessages().empty());
    createQuenorRegistry(fx.tool());
    EXPECT_EQ(stored("DeviceWidth"), "1440");
    EXPECT_EQ(stored("DeviceHeight"), "900");
}

TEST_F(SettingsStoreTest, LoadConvertsEachFieldAndMissingOnesAreZero) {
    put("Version", TaggedValue("1.0"));
    put("DeviceWidth", TaggedValue("1440"));
    put("DeviceHeight", TaggedValue("900.5"));  // half to even
    put("ResFrame", TaggedValue(" 4 "));
    put("FPSboost", TaggedValue("2.5"));
    put("VSYNC", TaggedValue("abc"));  // not a number: default
    put("Log", TaggedValue("70000"));  // out of range: default
    fx.tool().settings.intResolution = 9;
    getQuenorRegistry(fx.tool());
    const auto& s = fx.tool().settings;
    EXPECT_EQ(s.intResolution, 0);  // missing: "1280x800"
    EXPECT_EQ(s.lngDeviceWidth, 1440);
    EXPECT_EQ(s.lngDeviceHeight, 900);
    EXPECT_EQ(s.intResFrame, 4);
    EXPECT_EQ(s.intFPSboost, 2);
    EXPECT_EQ(s.intVSYNC, 0);
    EXPECT_EQ(s.intLog, 0);
}

TEST_F(SettingsStoreTest, LoadAsksForDeviceheightAndFindsDeviceHeight) {
    put("DeviceHeight", TaggedValue("768"));
    getQuenorRegistry(fx.tool());
    EXPECT_EQ(fx.tool().settings.lngDeviceHeight, 768);
    const auto log = fx.logMessages();
    ASSERT_EQ(log.size(), 23u);
    EXPECT_EQ(log[8], " -2147483647_Software\\Olm\\Quenor_Deviceheight");
}

TEST_F(SettingsStoreTest, StoredLogOffStopsLoggingAtTheLastLine) {
    put("Log", TaggedValue("1"));
    getQuenorRegistry(fx.tool());
    const auto log = fx.logMessages();
    ASSERT_EQ(log.size(), 22u);  // start line and seven reads of three lines
    EXPECT_EQ(log.back(), "getRegistryValue done");
    EXPECT_EQ(fx.tool().settings.intLog, 1);
}

TEST_F(SettingsStoreTest, FailedWriteStopsTheSaveAtThatValue) {
    store.failCalls(reg::RegistryOp::SetValue, reg::kAccessDenied, 0, -1, "DeviceWidth");
    EXPECT_THROW(createQuenorRegistry(fx.tool()), ToolError);
    EXPECT_EQ(stored("Resolution"), "0");
    EXPECT_EQ(stored("DeviceHeight"), "<none>");
    const auto log = fx.logMessages();
    EXPECT_EQ(log.back(), "-2147483647_Software\\Olm\\Quenor_DeviceWidth_1_0");
}

}  // namespace
}  // namespace quenor
