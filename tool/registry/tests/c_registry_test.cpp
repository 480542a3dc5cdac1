#include "tool/registry/c_registry.h"

#include <gtest/gtest.h>

#include "core/testing/fake_platform.h"
#include "core/tool_error.h"
#include "lib/registry/testing/memory_store.h"

namespace quenor {
namespace {

using reg::MemoryStore;
using reg::RegistryOp;
using Bytes = std::vector<std::uint8_t>;

constexpr std::uint32_t kHkcu = reg::kCurrentUser;
constexpr const char* kKey = "Software\\Olm\\Quenor";

struct Stored {
    std::uint32_t type = 0;
    Bytes data;
    bool found = false;
};

class CRegistryTest : public ::testing::Test {
  protected:
    cRegistry make() { return cRegistry(store, environment, "quenor"); }

    cRegistry at(const std::string& name, std::uint32_t type) {
        cRegistry r = make();
        r.ClassKey(kHkcu);
        r.SectionKey(kKey);
        r.ValueKey(name);
        r.ValueType(type);
        return r;
    }

    Stored stored(const std::string& name, std::uint32_t root = kHkcu,
                  const std::string& key = kKey) {
        Stored out;
        reg::Handle h = 0;
        if (store.openKey(root, key, reg::kQueryValue, h) != reg::kSuccess) return out;
        std::uint32_t size = 0;
        if (store.queryValue(h, name, &out.type, nullptr, &size) == reg::kSuccess) {
            out.data.resize(size);
            store.queryValue(h, name, nullptr, out.data.data(), &size);
            out.found = true;
        }
        store.closeKey(h);
        return out;
    }

    void put(const std::string& name, std::uint32_t type, const Bytes& data) {
        reg::Handle h = 0;
        ASSERT_EQ(store.createKey(kHkcu, kKey, reg::kAllAccess, h, nullptr), reg::kSuccess);
        ASSERT_EQ(
            store.setValue(h, name, type, data.data(), static_cast<std::uint32_t>(data.size())),
            reg::kSuccess);
        store.closeKey(h);
    }

    void TearDown() override { EXPECT_EQ(store.openHandleCount(), 0u) << "a key was left open"; }

    MemoryStore store;
    testing::MapEnvironment environment{{{"SystemRoot", "C:\\windows"}, {"TEMP", "C:\\tmp"}}};
};

Bytes text0(const std::string& s) {
    Bytes b(s.begin(), s.end());
    b.push_back(0);
    return b;
}

TEST_F(CRegistryTest, WritesConvertByType) {
    struct Case {
        TaggedValue value;
        std::uint32_t valueType;
        std::uint32_t storedType;
        Bytes storedData;
    };
    const Case cases[] = {
        {TaggedValue("1.0"), reg::kSz, reg::kSz, text0("1.0")},
        {TaggedValue(std::int16_t{3}), reg::kSz, reg::kSz, text0("3")},
        {TaggedValue(std::int32_t{-5}), reg::kSz, reg::kSz, text0("-5")},
        {TaggedValue(), reg::kSz, reg::kSz, text0("")},
        // the text alone decides between REG_SZ and REG_EXPAND_SZ
        {TaggedValue("%TEMP%\\x"), reg::kSz, reg::kExpandSz, text0("%TEMP%\\x")},
        {TaggedValue("100%"), reg::kExpandSz, reg::kSz, text0("100%")},
        {TaggedValue("a%%b"), reg::kExpandSz, reg::kSz, text0("a%%b")},
        {TaggedValue("%a%"), reg::kSz, reg::kExpandSz, text0("%a%")},
        {TaggedValue("%%a%"), reg::kSz, reg::kExpandSz, text0("%%a%")},
        {TaggedValue(std::int16_t{-1}), reg::kDword, reg::kDword, {0xFF, 0xFF, 0xFF, 0xFF}},
        {TaggedValue(std::int32_t{0x01020304}), reg::kDword, reg::kDword, {4, 3, 2, 1}},
        // big-endian requested: stored little-endian as REG_DWORD, not reversed
        {TaggedValue(std::int32_t{0x01020304}), reg::kDwordBigEndian, reg::kDword, {4, 3, 2, 1}},
        {TaggedValue(Bytes{1, 2, 255}), reg::kBinary, reg::kBinary, {1, 2, 255}},
        {TaggedValue(Bytes{}), reg::kBinary, reg::kBinary, {}},
    };
    for (const auto& c : cases) {
        at("v", c.valueType).Value(c.value);
        Stored s = stored("v");
        ASSERT_TRUE(s.found);
        EXPECT_EQ(s.type, c.storedType) << c.value.text();
        EXPECT_EQ(s.data, c.storedData) << c.value.text();
    }
}

TEST_F(CRegistryTest, ReadsConvertByStoredType) {
    struct Case {
        std::uint32_t type;
        Bytes data;
        TaggedValue expected;
    };
    const Case cases[] = {
        {reg::kSz, text0("1.0"), TaggedValue("1.0")},
        {reg::kSz, {}, TaggedValue("")},
        {reg::kSz, {'a', 'b'}, TaggedValue("ab")},  // stored without terminator: nothing lost
        {reg::kExpandSz, text0("%SystemRoot%\\x"), TaggedValue("C:\\windows\\x")},
        {reg::kExpandSz, text0("%UNSET%\\x"), TaggedValue("%UNSET%\\x")},
        {reg::kMultiSz, {'a', 0, 'b', 0, 0}, TaggedValue(std::string("a\0b\0", 4))},
        {reg::kDword, {4, 3, 2, 1}, TaggedValue(std::int32_t{0x01020304})},
        {reg::kDword, {0xFF, 0xFF, 0xFF, 0xFF}, TaggedValue(std::int32_t{-1})},
        {reg::kDword, {7, 0}, TaggedValue(std::int32_t{7})},
        {reg::kDword, {1, 0, 0, 0, 9, 9, 9, 9}, TaggedValue(std::int32_t{1})},
        {reg::kDwordBigEndian, {0, 0, 0, 1}, TaggedValue(std::int32_t{1})},
        {reg::kBinary, {1, 2, 3}, TaggedValue(Bytes{1, 2, 3})},
        {reg::kNone, {9}, TaggedValue(Bytes{9})},
        {reg::kLink, {1, 0}, TaggedValue(Bytes{1, 0})},
        {11, {1, 2, 3, 4, 5, 6, 7, 8}, TaggedValue(Bytes{1, 2, 3, 4, 5, 6, 7, 8})},
    };
    for (const auto& c : cases) {
        put("v", c.type, c.data);
        cRegistry r = at("V", reg::kSz);
        EXPECT_EQ(r.Value(), c.expected) << "type " << c.type;
        EXPECT_EQ(r.ValueType(), c.type);
    }
}

TEST_F(CRegistryTest, BigEndianRoundTripReadsBackTheSameInteger) {
    cRegistry r = at("v", reg::kDwordBigEndian);
    r.Value(TaggedValue(std::int32_t{0x01020304}));
    EXPECT_EQ(r.Value(), TaggedValue(std::int32_t{0x01020304}));
    EXPECT_EQ(r.ValueType(), reg::kDword);
}

TEST_F(CRegistryTest, MissingKeyOrValueGivesDefaultAndKeepsValueType) {
    cRegistry r = at("nothing", 99);
    EXPECT_EQ(r.Value(), TaggedValue());
    EXPECT_EQ(r.ValueType(), 99u);
    r.Default(TaggedValue("fallback"));
    EXPECT_EQ(r.Value(), TaggedValue("fallback"));
    put("other", reg::kSz, text0("x"));
    EXPECT_EQ(r.Value(), TaggedValue("fallback"));
    EXPECT_EQ(r.ValueType(), 99u);
}

TEST_F(CRegistryTest, EmptyNameIsTheDefaultValue) {
    at("", reg::kSz).Value(TaggedValue("unnamed"));
    EXPECT_EQ(stored("").data, text0("unnamed"));
    EXPECT_EQ(at("", reg::kSz).Value(), TaggedValue("unnamed"));
}

TEST_F(CRegistryTest, ReadsOpenForQueryAndWritesForFullAccess) {
    at("v", reg::kSz).Value(TaggedValue("x"));
    at("v", reg::kSz).Value();
    ASSERT_GE(store.calls().size(), 2u);
    EXPECT_EQ(store.calls().front().op, RegistryOp::CreateKey);
    EXPECT_EQ(store.calls().front().access, 0x3Fu);
    bool sawOpen = false;
    for (const auto& call : store.calls()) {
        if (call.op == RegistryOp::OpenKey) {
            EXPECT_EQ(call.access, reg::kQueryValue);
            sawOpen = true;
        }
    }
    EXPECT_TRUE(sawOpen);
}

void expectError(const std::function<void()>& action, std::int32_t number,
                 const std::string& source, const std::string& description) {
    try {
        action();
        ADD_FAILURE() << "no error raised; expected " << number;
    } catch (const ToolError& e) {
        EXPECT_EQ(e.number(), number);
        EXPECT_EQ(e.source(), source);
        EXPECT_EQ(e.description(), description);
    }
}

TEST_F(CRegistryTest, SetValueErrors) {
    const std::string prefix =
        "Failed to set registry value Key: '-2147483647',Section: 'Software\\Olm\\Quenor',Key: 'v' "
        "to value: '";
    // unsupported types
    for (std::uint32_t type : {reg::kNone, reg::kMultiSz, reg::kLink, 11u}) {
        expectError([&] { at("v", type).Value(TaggedValue("x")); }, -2147194455, "quenor.cRegistry",
                    prefix + "x'");
    }
    // only integers become numbers: a text is refused openly rather than skipped
    expectError([&] { at("v", reg::kDword).Value(TaggedValue("5")); }, -2147194455,
                "quenor.cRegistry", prefix + "5'");
    EXPECT_FALSE(stored("v").found);
    // REG_BINARY needs a list of bytes
    expectError([&] { at("v", reg::kBinary).Value(TaggedValue("x")); }, 26001, "", "");
    // the key cannot be created
    store.failCalls(RegistryOp::CreateKey, reg::kAccessDenied, 0, 1);
    expectError([&] { at("v", reg::kSz).Value(TaggedValue(std::int16_t{3})); }, 26001,
                "quenor.cRegistry", prefix + "3'");
    // the store refuses the write
    store.failCalls(RegistryOp::SetValue, reg::kAccessDenied, 0, 1);
    expectError(
        [&] {
            at("v", reg::kSz).Value(TaggedValue(Bytes{1, 255}));
        },
        -2147194455, "quenor.cRegistry", prefix + "01 FF'");
}

TEST_F(CRegistryTest, KeyMembers) {
    cRegistry r = at("v", reg::kSz);
    EXPECT_FALSE(r.KeyExists());
    EXPECT_TRUE(r.CreateKey());
    EXPECT_TRUE(r.KeyExists());
    r.Value(TaggedValue("x"));
    EXPECT_TRUE(r.DeleteValue());
    EXPECT_FALSE(stored("v").found);
    expectError(
        [&] { r.DeleteValue(); }, 26001, "quenor.cRegistry",
        "Failed to delete registry Key: '-2147483647',Section: 'Software\\Olm\\Quenor',Key: 'v");
    EXPECT_TRUE(r.DeleteKey());
    EXPECT_FALSE(r.KeyExists());
    expectError([&] { r.DeleteKey(); }, 26001, "quenor.cRegistry",
                "Failed to delete registry Key: '-2147483647',Section: 'Software\\Olm\\Quenor");
    expectError(
        [&] { r.DeleteValue(); }, 26001, "quenor.cRegistry",
        "Failed to open key '-2147483647',Section: 'Software\\Olm\\Quenor' for delete access");
    store.failCalls(RegistryOp::CreateKey, reg::kAccessDenied);
    expectError([&] { r.CreateKey(); }, 26001, "quenor.cRegistry",
                "Failed to create registry Key: 'Software\\Olm\\Quenor");
}

TEST_F(CRegistryTest, MachineText) {
    struct Case {
        const char* in;
        const char* stored;
    };
    const Case cases[] = {{"", ""},           {"ab", ""},
                          {"pc1", "\\\\pc1"}, {"\\\\pc1", "\\\\pc1"},
                          {"\\\\", ""},       {"\\pc", "\\\\\\pc"}};
    for (const auto& c : cases) {
        cRegistry r = make();
        r.Machine(c.in);
        EXPECT_EQ(r.Machine(), c.stored) << c.in;
    }
}

TEST_F(CRegistryTest, RemoteMachineIsReadAndWrittenThroughItsConnection) {
    store.addRemoteMachine("pc1");
    cRegistry r = make();
    r.Machine("pc1");
    r.ClassKey(reg::kLocalMachine);
    r.SectionKey("Software\\X");
    r.ValueKey("v");
    r.ValueType(reg::kSz);
    r.Value(TaggedValue("remote"));
    EXPECT_EQ(r.Value(), TaggedValue("remote"));
    EXPECT_FALSE(stored("v", reg::kLocalMachine, "Software\\X").found);  // not local

    r.Machine("nobody");
    r.Default(TaggedValue("d"));
    EXPECT_EQ(r.Value(), TaggedValue("d"));
    // A write that cannot reach its machine is a failure, not a silent skip.
    expectError(
        [&] { r.Value(TaggedValue("x")); }, 26001, "quenor.cRegistry",
        "Failed to set registry value Key: '-2147483646',Section: 'Software\\X',Key: 'v' to "
        "value: 'x'");
}

TEST_F(CRegistryTest, ValueExSetsTheFiveSettingsAndEmptyTextTakesDefault) {
    cRegistry r = make();
    r.ValueEx(kHkcu, kKey, "v", reg::kSz, TaggedValue("x"), TaggedValue(""));
    EXPECT_EQ(stored("v").data, text0("x"));
    EXPECT_EQ(r.ClassKey(), kHkcu);
    EXPECT_EQ(r.SectionKey(), kKey);
    EXPECT_EQ(r.ValueKey(), "v");
    EXPECT_EQ(r.Default(), TaggedValue("x"));
    EXPECT_EQ(r.ValueEx(kHkcu, kKey, "missing", reg::kSz, TaggedValue("dflt")),
              TaggedValue("dflt"));
    EXPECT_EQ(r.ValueEx(kHkcu, kKey, "V", reg::kSz, TaggedValue()), TaggedValue("x"));
}

TEST(CRegistryStatic, ReverseByteOrder) {
    EXPECT_EQ(cRegistry::ReverseByteOrder(0x01020304), 0x04030201);
    EXPECT_EQ(cRegistry::ReverseByteOrder(static_cast<std::int32_t>(0xFF000000u)), 0xFF);
    EXPECT_EQ(cRegistry::ReverseByteOrder(-1), -1);
}

}  // namespace
}  // namespace quenor
