#include <gtest/gtest.h>

#include "app/quenor_viv/command_line.h"
#include "app/quenor_viv/tests/viv_cli_test_support.h"
#include "app/version/quenor_version.h"

namespace quenor::vivtool {
namespace {

using testing::runVivCommand;

struct UsageCase {
    std::vector<std::string> args;
    std::string message;
};

TEST(VivCommandLine, WrongUsageFailsWithStatusTwoAndSaysWhy) {
    // The wording of most of these is CLI11's.
    const std::vector<UsageCase> cases = {
        {{}, "no command given"},
        {{"frob", "a.viv"}, "unknown command \"frob\""},
        {{"help", "frob"}, "unknown command \"frob\""},
        {{"list"}, "ARCHIVE is required"},
        {{"list", "a.viv", "b.viv"}, "not expected: b.viv"},
        {{"verify", "a.viv", "x"}, "not expected: x"},
        {{"add", "a.viv"}, "FILE is required"},
        {{"create", "a.viv"}, "FILE is required"},
        {{"add", "a.viv", "x", "y", "--name", "n"}, "--name gives the entry name of one FILE"},
        {{"create", "a.viv", "x", "--format", "zip"}, "unknown archive format \"zip\""},
        {{"create", "a.viv", "x", "--format"}, "--format: 1 required"},
        {{"create", "a.viv", "x", "--compress=yes"},
         "compress was given a disallowed flag override"},
        {{"extract", "a.viv", "-o"}, "--output: 1 required"},
        {{"extract", "a.viv", "--output="}, "--output"},
        {{"extract", "a.viv", "-o", "d", "--output", "e"}, "--output: At Most 1"},
        {{"extract", "a.viv", "--name", "x"}, "not expected: --name"},
        {{"list", "a.viv", "--compress"}, "not expected: --compress"},
        {{"add", "a.viv", ""}, "an empty name was given"},
    };
    for (const UsageCase& c : cases) {
        SCOPED_TRACE(::testing::PrintToString(c.args));
        auto run = runVivCommand(c.args);
        EXPECT_EQ(run.status, 2);
        EXPECT_NE(run.err.find(c.message), std::string::npos) << run.err;
        EXPECT_EQ(run.out, "");
    }
}

TEST(VivCommandLine, HelpOfEveryCommandGoesToOutput) {
    const std::vector<std::pair<std::vector<std::string>, std::string>> cases = {
        {{"--help"}, "Usage: quenor-viv COMMAND"},
        {{"help", "add"}, "Usage: quenor-viv add"},
        {{"list", "--help"}, "Usage: quenor-viv list"},
        {{"extract", "-h"}, "Usage: quenor-viv extract"},
        {{"add", "--help", "--bogus-after-help"}, "Usage: quenor-viv add"},
        {{"verify", "--help"}, "Usage: quenor-viv verify"},
        {{"create", "x.viv", "--help"}, "Usage: quenor-viv create"},
        {{"--version"}, "quenor-viv " QUENOR_VERSION "\n"},
    };
    for (const auto& [args, start] : cases) {
        SCOPED_TRACE(::testing::PrintToString(args));
        auto run = runVivCommand(args);
        EXPECT_EQ(run.status, 0) << run.err;
        EXPECT_EQ(run.out.rfind(start, 0), 0u) << run.out;
    }
}

TEST(VivCommandLine, OptionsMayComeAnywhereAndDashDashEndsThem) {
    CommandLine line = parseCommandLine(
        {"create", "--compress", "out.viv", "--format=c0fb", "a.txt", "--", "--odd-name"});
    EXPECT_EQ(line.command, Command::kCreate);
    EXPECT_EQ(line.archive, "out.viv");
    EXPECT_EQ(line.operands, (std::vector<std::string>{"a.txt", "--odd-name"}));
    EXPECT_EQ(line.format, viv::ArchiveFormat::kC0FB);
    EXPECT_TRUE(line.compress);
    EXPECT_FALSE(line.force);

    line = parseCommandLine({"extract", "a.viv", "-o", "dest", "x.ini", "-"});
    EXPECT_EQ(line.outputDir, "dest");
    EXPECT_EQ(line.operands, (std::vector<std::string>{"x.ini", "-"}));
    EXPECT_EQ(parseCommandLine({"extract", "a.viv"}).outputDir, ".");

    line = parseCommandLine({"add", "a.viv", "--name", "fe.ini", "local.ini"});
    EXPECT_EQ(line.entryName, "fe.ini");
    EXPECT_EQ(line.format, viv::ArchiveFormat::kBigF);
}

}  // namespace
}  // namespace quenor::vivtool
