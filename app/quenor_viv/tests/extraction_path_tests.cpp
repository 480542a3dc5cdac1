#include <gtest/gtest.h>

#include "app/quenor_viv/extraction_path.h"

namespace quenor::vivtool {
namespace {

TEST(ExtractionPath, SeparatorsMakeSubfoldersBelowTheOutputFolder) {
    const std::vector<std::pair<std::string, std::string>> cases = {
        {"fe.ini", "fe.ini"},     {"data\\fe.ini", "data/fe.ini"}, {"a/b\\c.txt", "a/b/c.txt"},
        {"a\\\\b", "a/b"},        {".\\a\\.\\b", "a/b"},           {"..hidden", "..hidden"},
        {"a..b\\c", "a..b/c"},    {"console.cfg", "console.cfg"},  {"com10", "com10"},
        {"lpt0.txt", "lpt0.txt"}, {"nulls\\x", "nulls/x"},
    };
    for (const auto& [name, expected] : cases) {
        SCOPED_TRACE(name);
        EXPECT_EQ(extractionPath(name).generic_string(), expected);
    }
}

TEST(ExtractionPath, NamesThatWouldLeaveTheFolderAreRefused) {
    const std::vector<std::pair<std::string, std::string>> cases = {
        {"", "empty"},
        {"..\\evil.dll", "\"..\""},
        {"a\\..\\..\\evil", "\"..\""},
        {"a/..", "\"..\""},
        {"..", "\"..\""},
        {"\\windows\\evil", "absolute"},
        {"/etc/passwd", "absolute"},
        {"\\\\server\\share\\x", "absolute"},
        {"C:\\evil", "drive letter"},
        {"c:evil", "drive letter"},
        {"z:", "drive letter"},
        {"dir\\d:evil", "contains a ':'"},
        {"a\\file.txt:stream", "contains a ':'"},
        {"folder\\", "ends with a separator"},
        {".", "names no file"},
        {".\\.", "names no file"},
        {"NUL", "Windows device"},
        {"con.cfg", "Windows device"},
        {"data\\Aux", "Windows device"},
        {"com1.txt", "Windows device"},
        {"LPT9", "Windows device"},
        {"prn .ini", "Windows device"},
    };
    for (const auto& [name, reason] : cases) {
        SCOPED_TRACE(name);
        try {
            extractionPath(name);
            ADD_FAILURE() << "accepted";
        } catch (const UnsafeEntryName& error) {
            EXPECT_NE(std::string(error.what()).find(reason), std::string::npos) << error.what();
        }
    }
}

}  // namespace
}  // namespace quenor::vivtool
