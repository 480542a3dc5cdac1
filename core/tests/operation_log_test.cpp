#include "core/operation_log.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "core/testing/tool_fixture.h"
#include "core/tool_error.h"
#include "lib/registry/testing/memory_store.h"

namespace quenor {
namespace {

class OperationLogTest : public ::testing::Test {
  protected:
    reg::MemoryStore store;
    testing::ToolFixture fx{store};
};

TEST_F(OperationLogTest, LineFormatIsStampFiveBlanksMessageCrLf) {
    writeLog(fx.tool(), "setResolution start...");
    writeLog(fx.tool(), " Call ExportFile");
    EXPECT_EQ(fx.log(),
              "12/7/2026 9:30:05 AM     setResolution start...\r\n"
              "12/7/2026 9:30:05 AM      Call ExportFile\r\n");
}

TEST_F(OperationLogTest, MessagesKeepTheirLineBreaks) {
    writeLog(fx.tool(), "\r\n");
    writeLog(fx.tool(), "a\r\nb");
    EXPECT_EQ(fx.log(),
              "12/7/2026 9:30:05 AM     \r\n\r\n"
              "12/7/2026 9:30:05 AM     a\r\nb\r\n");
}

TEST_F(OperationLogTest, LoggingOffCreatesNoFile) {
    for (std::int16_t off : {std::int16_t{1}, std::int16_t{5}, std::int16_t{-1}}) {
        fx.tool().settings.intLog = off;
        writeLog(fx.tool(), "hidden");
        EXPECT_FALSE(std::filesystem::exists(fx.logPath())) << off;
    }
    fx.tool().settings.intLog = 0;
    writeLog(fx.tool(), "shown");
    EXPECT_EQ(fx.logMessages(), std::vector<std::string>{"shown"});
}

TEST_F(OperationLogTest, AppendsToAnExistingLog) {
    testing::writeFileBytes(fx.logPath(), "old line\r\n");
    writeLog(fx.tool(), "new");
    EXPECT_EQ(fx.log(), "old line\r\n12/7/2026 9:30:05 AM     new\r\n");
}

TEST_F(OperationLogTest, UnwritableLogRaisesNamingTheFile) {
    std::filesystem::create_directory(fx.logPath());  // a folder where the file should be
    try {
        writeLog(fx.tool(), "x");
        FAIL() << "no error";
    } catch (const ToolError& e) {
        EXPECT_EQ(e.source(), "quenor");
        EXPECT_NE(e.description().find(fx.logPath()), std::string::npos) << e.description();
    }
}

}  // namespace
}  // namespace quenor
