#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

#include "lib/registry/registry_store.h"
#include "lib/registry/testing/tree_copy.h"
#include "lib/registry/wine/wine_hive.h"
#include "lib/registry/wine/wine_reg_file.h"

namespace quenor::reg::wine {
namespace {

using reg::testing::cloneTree;
using reg::testing::sameTree;

// How often each line of a text occurs, without its line end (LF or CR LF): a last line
// completed with its line end on saving is still the same line.
std::map<std::string, int> lineCounts(std::string_view text) {
    std::map<std::string, int> counts;
    while (!text.empty()) {
        const std::size_t end = std::min(text.find('\n'), text.size());
        std::string_view line = text.substr(0, end);
        if (line.ends_with('\r')) line.remove_suffix(1);
        ++counts[std::string(line)];
        text.remove_prefix(std::min(end + 1, text.size()));
    }
    return counts;
}

// The tree a file holds, every key loaded.
std::unique_ptr<RegKey> load(const std::string& text) {
    WineHive hive(text, "user.reg");
    RegKey tree("");
    hive.loadOnDemandInto(tree);
    return cloneTree(tree);
}

// Files of shapes Wine reads but never writes, saved with changes: one value changed (its line
// replaced by Wine's form of it), one value and one key added. Every other line stays byte for
// byte, and the saved file reads back as the changed tree.
TEST(WineHiveSync, SavingOddShapesKeepsEveryLineItDoesNotChange) {
    struct Case {
        const char* what;
        std::string body;
        std::vector<std::string> key;  // in the store's Windows-1252 form
        std::string value;
        std::string changedLine;
        std::string newLine;
    };
    const Case cases[] = {
        {"a lone CR inside a name and a string",
         "[Software\\\\S] 1\n\"a\rb\"=\"x\ry\"\n\"c\"=\"1\"\n",
         {"Software", "S"},
         "c",
         "\"c\"=\"1\"",
         "\"c\"=dword:00000007"},
        {"a value named with a lone CR",
         "[Software\\\\S] 1\n\"a\rb\"=\"x\ry\"\n\"c\"=\"1\"\n",
         {"Software", "S"},
         "a\rb",
         "\"a\rb\"=\"x\ry\"",
         "\"a\\rb\"=dword:00000007"},
        {"a line that starts with a lone CR",
         "[Software\\\\S] 1\n\"e\"=\"5\"\n\r\"f\"=\"6\"\n",
         {"Software", "S"},
         "f",
         "\r\"f\"=\"6\"",
         "\"f\"=dword:00000007"},
        {"a last line ending in a lone CR",
         "[Software\\\\S] 1\n\"y\"=\"0\"\n\"z\"=\"1\"\r",
         {"Software", "S"},
         "y",
         "\"y\"=\"0\"",
         "\"y\"=dword:00000007"},
        {"a key line with a lone CR",
         "[Software\\\\K]\r1\n\"v\"=\"1\"\n",
         {"Software", "K"},
         "v",
         "\"v\"=\"1\"",
         "\"v\"=dword:00000007"},
        {"escapes Wine does not write in a key name",
         "[Software\\\\a\\/b\\)c\\\\\\\\d] 1\n\"v\"=\"1\"\n",
         {"Software", "a/b)c", "d"},
         "v",
         "\"v\"=\"1\"",
         "\"v\"=dword:00000007"},
        {"raw UTF-8 names",
         "[Software\\\\caf\xc3\xa9] 1\n\"n\xc3\xa9\"=\"v\xc3\xa9\"\n\"k\"=\"1\"\n",
         {"Software", "caf\xe9"},
         "n\xe9",
         "\"n\xc3\xa9\"=\"v\xc3\xa9\"",
         "\"n\\xe9\"=dword:00000007"},
        {"bytes that are not UTF-8",
         "[Software\\\\caf\xe9\xc3\xa9] 1\n\"\xff\xc3\xa9\"=\"1\"\n\"k\"=\"\x80\"\n",
         {"Software", "caf\xe9"},
         "\xe9",
         "\"\xff\xc3\xa9\"=\"1\"",
         "\"\\xe9\"=dword:00000007"},
        {"names without a Windows-1252 form",
         "[Software\\\\x\\x4e2d] 1\n\"\\x4e2d\"=\"1\"\n\"w\"=\"2\"\n",
         {"Software", "x?"},
         "w",
         "\"w\"=\"2\"",
         "\"w\"=dword:00000007"},
    };
    for (const auto& c : cases)
        for (const bool crlf : {false, true}) {
            SCOPED_TRACE(std::string(c.what) + (crlf ? " (CR LF file)" : " (LF file)"));
            std::string text;
            for (const char ch : "WINE REGISTRY Version 2\n\n#arch=win32\n\n" + c.body) {
                text += ch == '\n' && crlf ? std::string("\r\n") : std::string(1, ch);
            }
            WineHive hive(text, "user.reg");
            RegKey changed("");
            hive.loadOnDemandInto(changed);
            RegKey* key = changed.find(c.key);
            ASSERT_TRUE(key);
            ASSERT_TRUE(key->findValue(c.value));
            key->setValue({c.value, kDword, {7, 0, 0, 0}});
            key->setValue({"Quenor", kSz, {'1', 0}});
            changed.addSubKey("Software").addSubKey("Quenor New").setValue({"v", kSz, {'x', 0}});

            const std::string written = hive.render(changed, 0);
            auto before = lineCounts(text);
            const auto after = lineCounts(written);
            --before[c.changedLine];
            for (const auto& [line, count] : before) {
                EXPECT_GE(after.count(line) ? after.at(line) : 0, count) << "lost: " << line;
            }
            EXPECT_EQ(after.count(c.changedLine), 0u) << written;
            EXPECT_EQ(after.count(c.newLine), 1u) << written;
            EXPECT_TRUE(sameTree(*load(written), changed)) << written;
        }
}

// New sections below keys of the file keep the file's Unicode names: the 8-bit names the store
// holds would write "?" for a character without a Windows-1252 form, and make other keys.
TEST(WineHiveSync, NewSectionsBelowFileKeysKeepTheirUnicodeNames) {
    const std::string text =
        "WINE REGISTRY Version 2\n\n[Software\\\\x\\x4e2d\\\\Deep] 1\n\"v\"=\"1\"\n";
    WineHive hive(text, "user.reg");
    RegKey changed("");
    hive.loadOnDemandInto(changed);
    RegKey* implicit = changed.find({"Software", "x?"});  // a key without a section of its own
    ASSERT_TRUE(implicit);
    implicit->setValue({"own", kSz, {'1', 0}});
    implicit->addSubKey("New").setValue({"n", kSz, {'2', 0}});
    const std::string written = hive.render(changed, 0);
    for (const char* keyLine :
         {"\n[Software\\\\x\\x4e2d] 0\n", "\n[Software\\\\x\\x4e2d\\\\New] 0\n"})
        EXPECT_NE(written.find(keyLine), std::string::npos) << keyLine << "\n" << written;
    EXPECT_TRUE(sameTree(*load(written), changed)) << written;
}

}  // namespace
}  // namespace quenor::reg::wine
