#include <gtest/gtest.h>

#include "core/testing/fake_platform.h"
#include "core/tool_error.h"
#include "lib/registry/testing/memory_store.h"
#include "tool/registry/c_registry.h"

namespace quenor {
namespace {

using reg::MemoryStore;

class AssociationsTest : public ::testing::Test {
  protected:
    cRegistry make() { return cRegistry(store, environment, "quenor"); }

    // The default value of a key under a root, or "<none>".
    std::string defaultOf(std::uint32_t root, const std::string& key) {
        cRegistry r = make();
        r.Default(TaggedValue("<none>"));
        return r.ValueEx(root, key, "", reg::kSz, TaggedValue("<none>")).text();
    }

    std::size_t setValueCalls() {
        std::size_t n = 0;
        for (const auto& c : store.calls()) n += c.op == reg::RegistryOp::SetValue ? 1 : 0;
        return n;
    }

    void TearDown() override { EXPECT_EQ(store.openHandleCount(), 0u); }

    MemoryStore store;
    testing::MapEnvironment environment;
};

TEST_F(AssociationsTest, EnumerateValuesOfEmptyOrMissingKey) {
    cRegistry r = make();
    r.ClassKey(reg::kCurrentUser);
    r.SectionKey("Missing");
    std::vector<std::string> names{"stale"};
    std::int32_t count = 7;
    EXPECT_TRUE(r.EnumerateValues(names, count));
    EXPECT_TRUE(names.empty());
    EXPECT_EQ(count, 0);
    r.CreateKey();
    EXPECT_TRUE(r.EnumerateValues(names, count));
    EXPECT_EQ(count, 0);
}

TEST_F(AssociationsTest, EnumerateValuesAndSectionsInStoreOrder) {
    cRegistry r = make();
    for (const char* name : {"Zeta", "alpha", "Mid"}) {
        r.ValueEx(reg::kCurrentUser, "K", name, reg::kSz, TaggedValue(), TaggedValue("x"));
    }
    for (const char* sub : {"K\\beta", "K\\Alpha", "K\\gamma"}) {
        r.SectionKey(sub);
        r.CreateKey();
    }
    r.SectionKey("K");
    std::vector<std::string> names;
    std::int32_t count = 0;
    EXPECT_TRUE(r.EnumerateValues(names, count));
    EXPECT_EQ(count, 3);
    EXPECT_EQ(names, (std::vector<std::string>{"Zeta", "alpha", "Mid"}));
    EXPECT_TRUE(r.EnumerateSections(names, count));
    EXPECT_EQ(count, 3);
    EXPECT_EQ(names, (std::vector<std::string>{"Alpha", "beta", "gamma"}));
}

TEST_F(AssociationsTest, EnumerateSectionsListsFullLengthNames) {
    cRegistry r = make();
    const std::string longName(255, 'k');
    r.ClassKey(reg::kCurrentUser);
    for (const std::string& sub : {longName, std::string("zz")}) {
        r.SectionKey("P\\" + sub);
        r.CreateKey();
    }
    r.SectionKey("P");
    std::vector<std::string> names;
    std::int32_t count = 0;
    r.EnumerateSections(names, count);
    EXPECT_EQ(count, 2);
    EXPECT_EQ(names.front(), longName);
}

TEST_F(AssociationsTest, CreateExeAssociationWritesUnderBothRoots) {
    cRegistry r = make();
    r.CreateEXEAssociation("  C:\\Tools\\viewer.exe ", "Quenor.Log", "Quenor log", "qlog", "", true,
                           "", true, "", true, "", 0);
    const std::string path = "\"C:\\Tools\\viewer.exe\"";
    struct Row {
        std::string key;
        std::string value;
    };
    const Row rows[] = {
        {".qlog", "Quenor.Log"},
        {"Quenor.Log", "Quenor log"},
        {"Quenor.Log\\shell\\open", "&Open"},
        {"Quenor.Log\\shell\\open\\command", path + " \"%1\""},
        {"Quenor.Log\\shell\\print", "&Print"},
        {"Quenor.Log\\shell\\print\\command", path + " /p \"%1\""},
        {"Quenor.Log\\shell\\add", "&Install qlog"},
        {"Quenor.Log\\shell\\add\\command", path + " /a \"%1\""},
        {"Quenor.Log\\shell\\new", "&New"},
        {"Quenor.Log\\shell\\new\\command", path + " /n \"%1\""},
        {"Quenor.Log\\DefaultIcon", path + ",0"},
    };
    for (const auto& row : rows) {
        EXPECT_EQ(defaultOf(reg::kClassesRoot, row.key), row.value) << row.key;
        EXPECT_EQ(defaultOf(reg::kLocalMachine, "SOFTWARE\\Classes\\" + row.key), row.value);
    }
    // every row is written twice, once per root
    EXPECT_EQ(setValueCalls(), 2 * std::size(rows));
    EXPECT_EQ(r.ClassKey(), reg::kLocalMachine);
    EXPECT_EQ(r.ValueType(), reg::kSz);
    EXPECT_EQ(r.ValueKey(), "");
    EXPECT_EQ(r.SectionKey(), "Quenor.Log\\DefaultIcon");
}

TEST_F(AssociationsTest, OptionalVerbsOrderAndNoIcon) {
    cRegistry r = make();
    r.CreateEXEAssociation("\"C:\\a b\\x.exe\"", "Cls", "d", "ext", "Go", true, "Out", true, "Make",
                           true, "Setup", -1);
    EXPECT_EQ(defaultOf(reg::kClassesRoot, "Cls\\DefaultIcon"), "<none>");
    EXPECT_EQ(defaultOf(reg::kClassesRoot, "Cls\\shell\\open\\command"),
              "\"C:\\a b\\x.exe\" \"%1\"");
    std::vector<std::string> keysWritten;
    for (const auto& c : store.calls()) {
        if (c.op == reg::RegistryOp::CreateKey && c.name.rfind("SOFTWARE", 0) != 0) {
            keysWritten.push_back(c.name);
        }
    }
    const std::vector<std::string> expected = {".ext",
                                               "Cls",
                                               "Cls\\shell\\open",
                                               "Cls\\shell\\open\\command",
                                               "Cls\\shell\\print",
                                               "Cls\\shell\\print\\command",
                                               "Cls\\shell\\add",
                                               "Cls\\shell\\add\\command",
                                               "Cls\\shell\\new",
                                               "Cls\\shell\\new\\command"};
    EXPECT_EQ(keysWritten, expected);
    EXPECT_EQ(defaultOf(reg::kClassesRoot, "Cls\\shell\\add"), "Setup");
}

TEST_F(AssociationsTest, AdditionalAssociations) {
    cRegistry r = make();
    for (std::size_t n : {1u, 2u, 4u, 5u}) {
        std::vector<TaggedValue> items(n, TaggedValue("x"));
        try {
            r.CreateAdditionalEXEAssociations("Cls", items);
            ADD_FAILURE() << n << " items accepted";
        } catch (const ToolError& e) {
            EXPECT_EQ(e.number(), -2147194452);
            EXPECT_EQ(e.description(),
                      "Invalid parameter list passed to CreateAdditionalEXEAssociations - "
                      "expected Name/Text/Command");
        }
    }
    EXPECT_EQ(setValueCalls(), 0u);
    r.ClassKey(reg::kLocalMachine);
    try {
        r.CreateAdditionalEXEAssociations("Cls",
                                          {TaggedValue("v"), TaggedValue("t"), TaggedValue("c")});
        ADD_FAILURE() << "class check missing";
    } catch (const ToolError& e) {
        EXPECT_EQ(e.number(), -2147194451);
        EXPECT_EQ(e.description(),
                  "Error - attempt to create additional associations before class defined.");
        EXPECT_EQ(e.source(), "quenor.cRegistry");
    }
    r.CreateEXEAssociation("x.exe", "Cls", "d", "ext", "", false, "", false, "", false, "", -1);
    r.CreateAdditionalEXEAssociations(
        "Cls", {TaggedValue("edit"), TaggedValue("&Edit"), TaggedValue("x.exe /e"),
                TaggedValue("view"), TaggedValue("&View"), TaggedValue(std::int32_t{42})});
    EXPECT_EQ(defaultOf(reg::kClassesRoot, "Cls\\shell\\edit"), "&Edit");
    EXPECT_EQ(defaultOf(reg::kClassesRoot, "Cls\\shell\\edit\\command"), "x.exe /e");
    EXPECT_EQ(defaultOf(reg::kLocalMachine, "SOFTWARE\\Classes\\Cls\\shell\\view\\command"), "42");
}

TEST_F(AssociationsTest, AdditionalAssociationsReportAFailedWriteAfterTryingTheRest) {
    cRegistry r = make();
    r.CreateEXEAssociation("x.exe", "Cls", "d", "ext", "", false, "", false, "", false, "", -1);
    store.failCalls(reg::RegistryOp::CreateKey, reg::kAccessDenied, 0, 1, "Cls\\shell\\a");
    EXPECT_THROW(r.CreateAdditionalEXEAssociations(
                     "Cls", {TaggedValue("a"), TaggedValue("A"), TaggedValue("ca"),
                             TaggedValue("b"), TaggedValue("B"), TaggedValue("cb")}),
                 ToolError);
    EXPECT_EQ(defaultOf(reg::kClassesRoot, "Cls\\shell\\a\\command"), "ca");
    EXPECT_EQ(defaultOf(reg::kClassesRoot, "Cls\\shell\\b"), "B");
}

}  // namespace
}  // namespace quenor
