#include <gtest/gtest.h>

#include "core/testing/fake_platform.h"

namespace quenor {
namespace {

TEST(Environment, ExpandsSetReferencesOnly) {
    testing::MapEnvironment env{{{"SystemRoot", "C:\\windows"}, {"A", "1"}, {"EMPTY", ""}}};
    struct Case {
        const char* in;
        const char* out;
    };
    const Case cases[] = {
        {"%SystemRoot%\\x", "C:\\windows\\x"},
        {"%systemroot%", "C:\\windows"},
        {"%A%%A%", "11"},
        {"100%", "100%"},
        {"a%%b", "a%%b"},
        {"%UNSET%\\%A%", "%UNSET%\\1"},
        {"%UNSET%A%", "%UNSET1"},
        {"x%EMPTY%y", "xy"},
        {"%", "%"},
        {"", ""},
    };
    for (const auto& c : cases) EXPECT_EQ(env.expandReferences(c.in), c.out) << c.in;
}

}  // namespace
}  // namespace quenor
