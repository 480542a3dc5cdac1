#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "lib/registry/testing/memory_store.h"

namespace quenor::reg {
namespace {

std::vector<std::uint8_t> bytes(std::string_view s) {
    return {s.begin(), s.end()};
}

std::string enumSubKeys(RegistryStore& store, Handle key) {
    std::string out;
    char name[256];
    for (std::uint32_t i = 0; store.enumKey(key, i, name, sizeof name) == kSuccess; ++i) {
        out += name;
        out += ';';
    }
    return out;
}

TEST(TreeStore, CreateOpensEveryMissingKeyAndNamesIgnoreCase) {
    MemoryStore store;
    Handle key = 0;
    bool created = false;
    ASSERT_EQ(store.createKey(kCurrentUser, "Software\\Olm\\Quenor", kAllAccess, key, &created),
              kSuccess);
    EXPECT_TRUE(created);
    auto data = bytes("1.0");
    data.push_back(0);
    ASSERT_EQ(store.setValue(key, "Version", kSz, data.data(), 4), kSuccess);
    ASSERT_EQ(store.closeKey(key), kSuccess);

    ASSERT_EQ(store.openKey(kCurrentUser, "SOFTWARE\\olm\\QUENOR", kQueryValue, key), kSuccess);
    std::uint32_t type = 0, size = 0;
    EXPECT_EQ(store.queryValue(key, "version", &type, nullptr, &size), kSuccess);
    EXPECT_EQ(type, kSz);
    EXPECT_EQ(size, 4u);
    std::uint8_t small[2];
    size = sizeof small;
    EXPECT_EQ(store.queryValue(key, "VERSION", &type, small, &size), kMoreData);
    EXPECT_EQ(size, 4u);
    EXPECT_EQ(store.closeKey(key), kSuccess);
    EXPECT_EQ(store.openHandleCount(), 0u);
}

TEST(TreeStore, ResultCodesAreWindowsOwn) {
    MemoryStore store;
    Handle key = 0;
    EXPECT_EQ(store.openKey(kCurrentUser, "Missing", kQueryValue, key), kFileNotFound);
    EXPECT_EQ(store.openKey(kCurrentUser, "\\Lead", kQueryValue, key), kBadPathName);
    EXPECT_EQ(store.closeKey(0x1234), kInvalidHandle);
    ASSERT_EQ(store.createKey(kCurrentUser, "A", kAllAccess, key, nullptr), kSuccess);
    std::uint32_t size = 0;
    EXPECT_EQ(store.queryValue(key, "nope", nullptr, nullptr, &size), kFileNotFound);
    char name[8];
    EXPECT_EQ(store.enumKey(key, 0, name, sizeof name), kNoMoreItems);
    std::uint32_t length = sizeof name;
    EXPECT_EQ(store.enumValue(key, 0, name, &length), kNoMoreItems);
    store.closeKey(key);

    // A handle opened for reading may not write.
    ASSERT_EQ(store.openKey(kCurrentUser, "A", kQueryValue, key), kSuccess);
    std::uint8_t one = 1;
    EXPECT_EQ(store.setValue(key, "x", kBinary, &one, 1), kAccessDenied);
    EXPECT_EQ(store.enumKey(key, 0, name, sizeof name), kAccessDenied);
    store.closeKey(key);
}

TEST(TreeStore, SubKeysListSortedWithoutRegardToCase) {
    MemoryStore store;
    Handle key = 0;
    for (const char* path : {"Root\\beta", "Root\\Alpha", "Root\\gamma"}) {
        ASSERT_EQ(store.createKey(kLocalMachine, path, kAllAccess, key, nullptr), kSuccess);
        store.closeKey(key);
    }
    ASSERT_EQ(store.openKey(kLocalMachine, "Root", kEnumerateSubKeys, key), kSuccess);
    EXPECT_EQ(enumSubKeys(store, key), "Alpha;beta;gamma;");
    store.closeKey(key);
}

TEST(TreeStore, ClassesRootIsMachineSoftwareClasses) {
    MemoryStore store;
    Handle key = 0;
    ASSERT_EQ(store.createKey(kClassesRoot, ".qnr", kAllAccess, key, nullptr), kSuccess);
    store.closeKey(key);
    EXPECT_EQ(store.openKey(kLocalMachine, "SOFTWARE\\Classes\\.qnr", kQueryValue, key), kSuccess);
    store.closeKey(key);
}

TEST(TreeStore, DeletedKeyAndNonEmptyKey) {
    MemoryStore store;
    Handle key = 0, child = 0;
    ASSERT_EQ(store.createKey(kCurrentUser, "P\\C", kAllAccess, child, nullptr), kSuccess);
    EXPECT_EQ(store.deleteKey(kCurrentUser, "P"), kAccessDenied);  // has a sub-key
    ASSERT_EQ(store.deleteKey(kCurrentUser, "p\\c"), kSuccess);
    std::uint8_t one = 1;
    EXPECT_EQ(store.setValue(child, "x", kBinary, &one, 1), kKeyDeleted);
    store.closeKey(child);
    EXPECT_EQ(store.deleteKey(kCurrentUser, "P\\C"), kFileNotFound);
    ASSERT_EQ(store.openKey(kCurrentUser, "P", kAllAccess, key), kSuccess);
    store.closeKey(key);
}

TEST(TreeStore, RemoteMachinesAreSeparateRegistries) {
    MemoryStore store;
    store.addRemoteMachine("pc1");
    Handle remote = 0, key = 0;
    EXPECT_EQ(store.connectRegistry("\\\\nobody", kLocalMachine, remote), kBadNetPath);
    ASSERT_EQ(store.connectRegistry("\\\\PC1", kLocalMachine, remote), kSuccess);
    ASSERT_EQ(store.createKey(remote, "Software\\X", kAllAccess, key, nullptr), kSuccess);
    store.closeKey(key);
    store.closeKey(remote);
    EXPECT_EQ(store.openKey(kLocalMachine, "Software\\X", kQueryValue, key), kFileNotFound);
}

TEST(MemoryStore, InjectedFailuresHitChosenCalls) {
    MemoryStore store;
    store.failCalls(RegistryOp::SetValue, kAccessDenied, /*skip=*/1, /*times=*/1);
    Handle key = 0;
    ASSERT_EQ(store.createKey(kCurrentUser, "K", kAllAccess, key, nullptr), kSuccess);
    std::uint8_t one = 1;
    EXPECT_EQ(store.setValue(key, "a", kBinary, &one, 1), kSuccess);
    EXPECT_EQ(store.setValue(key, "b", kBinary, &one, 1), kAccessDenied);
    EXPECT_EQ(store.setValue(key, "c", kBinary, &one, 1), kSuccess);
    store.closeKey(key);
    ASSERT_EQ(store.calls().size(), 5u);
    EXPECT_EQ(store.calls()[0].access, kAllAccess);
    EXPECT_EQ(store.calls()[2].status, kAccessDenied);
}

}  // namespace
}  // namespace quenor::reg
