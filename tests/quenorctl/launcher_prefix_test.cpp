// The prefix a launcher gives the game: --prefix, then Proton's STEAM_COMPAT_DATA_PATH/pfx, then
// WINEPREFIX (left to the platform), then the search.
#include <gtest/gtest.h>

#include <stdexcept>

#include "app/quenorctl/launcher_prefix.h"
#include "app/quenorctl/quenorctl.h"
#include "tests/quenorctl/machine.h"

namespace quenor::testing {
namespace {

TEST(LauncherPrefix, TakesTheOptionThenProtonsPrefixThenLeavesItToWineprefix) {
    TempFolder folder;
    const std::string compat = (folder.path() / "compatdata/22380").string();
    std::filesystem::create_directories(compat + "/pfx");
    struct Case {
        std::string option;
        std::map<std::string, std::string> variables;
        std::optional<std::string> chosen;
        const char* refused;  // the start of the reason, or null
    };
    const Case cases[] = {
        {"/opt/p", {{"STEAM_COMPAT_DATA_PATH", compat}, {"WINEPREFIX", "/w"}}, "/opt/p", nullptr},
        {"", {{"STEAM_COMPAT_DATA_PATH", compat}, {"WINEPREFIX", "/w"}}, compat + "/pfx", nullptr},
        {"", {{"WINEPREFIX", "/w"}}, std::nullopt, nullptr},
        {"", {{"STEAM_COMPAT_DATA_PATH", ""}}, std::nullopt, nullptr},
        {"", {}, std::nullopt, nullptr},
        {"",
         {{"STEAM_COMPAT_DATA_PATH", "compatdata/1"}},
         std::nullopt,
         "which is not an absolute"},
        {"",
         {{"STEAM_COMPAT_DATA_PATH", folder.path().string()}},
         std::nullopt,
         "which holds no Proton prefix"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.option + " " + (c.variables.empty() ? "" : c.variables.begin()->second));
        const MapEnvironment environment(c.variables);
        try {
            const auto chosen = ctl::launcherPrefix(c.option, environment);
            EXPECT_EQ(chosen ? std::optional(chosen->path) : std::nullopt, c.chosen);
            if (chosen) {
                EXPECT_EQ(chosen->source, c.option.empty() ? "STEAM_COMPAT_DATA_PATH" : "--prefix");
            }
            EXPECT_EQ(c.refused, nullptr);
        } catch (const std::invalid_argument& error) {
            ASSERT_NE(c.refused, nullptr) << error.what();
            EXPECT_NE(std::string(error.what()).find(c.refused), std::string::npos) << error.what();
        }
    }
}

// Under Steam the game's prefix is Proton's, whatever WINEPREFIX says.
TEST(LauncherPrefix, QuenorctlReadsTheGameInProtonsPrefix) {
    Machine machine;
    const std::filesystem::path compat = machine.root() / "compatdata" / "3141592653";
    std::filesystem::create_directories(compat);
    // Moved there: WINEPREFIX now names a folder that is gone.
    std::filesystem::rename(machine.installation().prefix(), compat / "pfx");
    machine.environment().set("STEAM_COMPAT_DATA_PATH", compat.string());
    std::string out;
    std::string err;
    EXPECT_EQ(machine.quenorctl({"status"}, &out, &err), ctl::kDone) << err;
    EXPECT_NE(out.find("3141592653/pfx (STEAM_COMPAT_DATA_PATH)"), std::string::npos) << out;
    // Named by --prefix, it says so.
    EXPECT_EQ(machine.quenorctl({"--prefix", (compat / "pfx").string(), "status"}, &out, &err),
              ctl::kDone)
        << err;
    EXPECT_NE(out.find("3141592653/pfx (--prefix)"), std::string::npos) << out;
}

}  // namespace
}  // namespace quenor::testing
