#include "lib/vdf/vdf_text.h"

#include <gtest/gtest.h>

namespace quenor::vdf {
namespace {

TEST(VdfText, ReadsStreamsLibraryListsOldAndNew) {
    const std::string current =
        "\"libraryfolders\"\n{\n\t\"0\"\n\t{\n\t\t\"path\"\t\t\"/home/ann/.local/share/Steam\"\n"
        "\t\t\"apps\"\n\t\t{\n\t\t\t\"228980\"\t\t\"404262992\"\n\t\t}\n\t}\n"
        "\t\"1\"\n\t{\n\t\t\"path\"\t\t\"/mnt/games/Steam \\\"Library\\\"\"\n\t}\n}\n";
    const Node root = parseVdf(current);
    const Node* folders = member(root, "LibraryFolders");
    ASSERT_TRUE(folders && folders->isObject);
    ASSERT_EQ(folders->children.size(), 2u);
    EXPECT_EQ(member(folders->children[0], "path")->value, "/home/ann/.local/share/Steam");
    EXPECT_EQ(member(folders->children[1], "path")->value, "/mnt/games/Steam \"Library\"");
    EXPECT_EQ(member(*member(folders->children[0], "apps"), "228980")->value, "404262992");

    // Before 2021 a library was a bare number and its path; comments and conditions occur.
    const Node old = parseVdf(
        "// written by hand\nLibraryFolders {\n  \"TimeNextStatsReport\" \"1\"\n"
        "  1 \"C:\\\\Games\\\\Steam\" [$WIN32]\n}\n");
    EXPECT_EQ(member(*member(old, "libraryfolders"), "1")->value, "C:\\Games\\Steam");
}

TEST(VdfText, DamagedFilesAreRefusedWithTheirLine) {
    const std::pair<std::string, std::string> damaged[] = {
        {"\"a\"\n{\n\"b\" \"c\"\n", "line 4: an object is not closed"},
        {"\"a\" \"b\"\n}\n", "closes an object that was never opened"},
        {"\"a\" \"unterminated\n", "no closing quote"},
        {"\"a\"\n", "has no value"},
        {"{ \"a\" \"b\" }", "an object has no key"},
        {"\"a\" { \"b\" }", "has no value"},
        {std::string(65, '{'), "an object has no key"},
        {[] {
             std::string deep;
             for (int i = 0; i < 70; ++i) deep += "k {";
             return deep;
         }(),
         "nest more than 64 deep"},
    };
    for (const auto& [text, message] : damaged) {
        SCOPED_TRACE(text.substr(0, 40));
        try {
            parseVdf(text);
            ADD_FAILURE() << "accepted";
        } catch (const VdfError& error) {
            EXPECT_NE(std::string(error.what()).find(message), std::string::npos) << error.what();
        }
    }
}

TEST(VdfText, WrittenTextReadsBackAsTheSameTree) {
    const Node root = parseVdf("a { b \"x\\ty\\\\z\" c { } \"\" \"\\n\" }\nd e");
    const std::string written = writeVdf(root);
    const Node again = parseVdf(written);
    EXPECT_EQ(writeVdf(again), written);
    EXPECT_EQ(member(*member(again, "a"), "b")->value, "x\ty\\z");
}

}  // namespace
}  // namespace quenor::vdf
