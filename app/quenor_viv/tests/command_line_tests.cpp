#include <gtest/gtest.h>

#include "app/quenor_viv/command_line.h"
#include "app/quenor_viv/tests/viv_cli_test_support.h"

namespace quenor::vivtool {
namespace {

using testing::runVivCommand;

struct UsageCase {
    std::vector<std::string> args;
    std::string message;
};

TEST(VivCommandLine, WrongUsageFailsWithStatusTwoAndSaysWhy) {
    const std::vector<UsageCase> cases = {
        {{}, "no command given"},
        {{"frob", "a.viv"}, "unknown command \"frob\""},
        {{"help", "frob"}, "unknown command \"frob\""},
        {{"list"}, "list needs an ARCHIVE"},
        {{"list", "a.viv", "b.viv"}, "takes only ARCHIVE"},
        {{"verify", "a.viv", "x"}, "takes only ARCHIVE"},
        {{"add", "a.viv"}, "needs at least one FILE"},
        {{"create", "a.viv"}, "needs at least one FILE"},
        {{"add", "a.viv", "x", "y", "--name", "n"}, "--name gives the entry name of one FILE"},
        {{"create", "a.viv", "x", "--format", "zip"}, "unknown archive format \"zip\""},
        {{"create", "a.viv", "x", "--format"}, "option --format needs a value"},
        {{"create", "a.viv", "x", "--compress=yes"}, "option --compress takes no value"},
        {{"extract", "a.viv", "-o"}, "option -o needs a value"},
        {{"extract", "a.viv", "--output="}, "needs a non-empty value"},
        {{"extract", "a.viv", "-o", "d", "--output", "e"}, "option --output is given twice"},
        {{"extract", "a.viv", "--name", "x"}, "unknown option --name for extract"},
        {{"list", "a.viv", "--compress"}, "unknown option --compress for list"},
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
