#include "lib/registry/windows/windows_registry_store.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "lib/registry/windows/testing/registry_test_support.h"

namespace quenor::reg::windows {
namespace {

using testing::keyExistsInView;
using testing::regQueryLine;
using Bytes = std::vector<std::uint8_t>;

Bytes textBytes(const std::string& text) {
    Bytes bytes(text.begin(), text.end());
    bytes.push_back(0);
    return bytes;
}

class WindowsRegistryStoreTest : public testing::ScratchKeyTest {
  protected:
    Handle create(Handle root = kCurrentUser, const std::string& sub = "") {
        Handle key = 0;
        const std::string full = sub.empty() ? path : path + "\\" + sub;
        EXPECT_EQ(store.createKey(root, full, kAllAccess, key, nullptr), kSuccess) << full;
        return key;
    }

    WindowsRegistryStore store;
};

TEST_F(WindowsRegistryStoreTest, ValuesReadBackThroughTheStoreAndRegExe) {
    struct Case {
        std::string name;
        std::uint32_t type;
        Bytes data;
        std::string regLine;  // what reg.exe shows for the value
    };
    const std::vector<Case> cases = {
        {"Install Dir", kSz, textBytes("C:\\Games\\NHL 09\\"),
         "Install Dir REG_SZ C:\\Games\\NHL 09\\"},
        {"Path", kExpandSz, textBytes("%TEMP%\\quenor"), "Path REG_EXPAND_SZ %TEMP%\\quenor"},
        {"GFX Mode", kDword, {4, 0, 0, 0}, "GFX Mode REG_DWORD 0x4"},
        {"OnPlay Player", kDword, {0x78, 0x56, 0x34, 0x12}, "OnPlay Player REG_DWORD 0x12345678"},
        {"Blob", kBinary, {0x00, 0xFF, 0x10}, "Blob REG_BINARY 00FF10"},
        {"", kSz, textBytes("unnamed"), "(Default) REG_SZ unnamed"},
    };
    Handle key = create();
    for (const Case& c : cases) {
        ASSERT_EQ(store.setValue(key, c.name, c.type, c.data.data(),
                                 static_cast<std::uint32_t>(c.data.size())),
                  kSuccess)
            << c.name;
    }
    store.closeKey(key);

    ASSERT_EQ(store.openKey(kCurrentUser, path, kQueryValue, key), kSuccess);
    for (const Case& c : cases) {
        std::uint32_t type = 0;
        std::uint32_t size = 0;
        ASSERT_EQ(store.queryValue(key, c.name, &type, nullptr, &size), kSuccess) << c.name;
        EXPECT_EQ(type, c.type) << c.name;
        ASSERT_EQ(size, c.data.size()) << c.name;
        Bytes read(size);
        ASSERT_EQ(store.queryValue(key, c.name, nullptr, read.data(), &size), kSuccess);
        EXPECT_EQ(read, c.data) << c.name;
        EXPECT_EQ(regQueryLine("HKCU\\" + path, c.name), c.regLine);
    }
    EXPECT_EQ(store.closeKey(key), kSuccess);
    EXPECT_EQ(store.openKeyCount(), 0u);
}

TEST_F(WindowsRegistryStoreTest, NamesMatchWithoutRegardToCase) {
    Handle key = create();
    const Bytes data = textBytes("1.0");
    ASSERT_EQ(store.setValue(key, "Version", kSz, data.data(), 4), kSuccess);
    store.closeKey(key);
    std::string upper = path;
    std::transform(upper.begin(), upper.end(), upper.begin(), ::toupper);
    ASSERT_EQ(store.openKey(kCurrentUser, upper, kQueryValue, key), kSuccess);
    std::uint32_t size = 0;
    EXPECT_EQ(store.queryValue(key, "VERSION", nullptr, nullptr, &size), kSuccess);
    EXPECT_EQ(size, 4u);
    store.closeKey(key);
}

TEST_F(WindowsRegistryStoreTest, ShortBufferReportsMoreDataAndTheSizeNeeded) {
    Handle key = create();
    const Bytes data = textBytes("a longer text");
    ASSERT_EQ(
        store.setValue(key, "Text", kSz, data.data(), static_cast<std::uint32_t>(data.size())),
        kSuccess);
    std::uint8_t small[4] = {};
    std::uint32_t size = sizeof small;
    std::uint32_t type = 0;
    EXPECT_EQ(store.queryValue(key, "Text", &type, small, &size), kMoreData);
    EXPECT_EQ(size, data.size());
    store.closeKey(key);
}

TEST_F(WindowsRegistryStoreTest, FailuresComeBackAsWindowsCodes) {
    Handle key = 0;
    EXPECT_EQ(store.openKey(kCurrentUser, path + "\\Missing", kQueryValue, key), kFileNotFound);
    key = create();
    std::uint32_t size = 0;
    EXPECT_EQ(store.queryValue(key, "Missing", nullptr, nullptr, &size), kFileNotFound);
    EXPECT_EQ(store.deleteValue(key, "Missing"), kFileNotFound);
    // A zero inside a name would make Windows address a shorter name.
    EXPECT_EQ(store.setValue(key, std::string_view("A\0B", 3), kSz, nullptr, 0), kInvalidParameter);
    EXPECT_EQ(store.openKey(kCurrentUser, std::string_view("Software\0X", 10), kQueryValue, key),
              kInvalidParameter);
    EXPECT_EQ(store.closeKey(key), kSuccess);
    EXPECT_EQ(store.closeKey(key), kInvalidHandle);
    EXPECT_EQ(store.queryValue(key, "Version", nullptr, nullptr, &size), kInvalidHandle);
    EXPECT_EQ(store.openKey(12345, "Software", kQueryValue, key), kInvalidHandle);
    EXPECT_EQ(store.openKeyCount(), 0u);
}

TEST_F(WindowsRegistryStoreTest, CreateReportsWhetherTheKeyIsNew) {
    Handle key = 0;
    bool created = false;
    ASSERT_EQ(store.createKey(kCurrentUser, path + "\\A\\B", kAllAccess, key, &created), kSuccess);
    EXPECT_TRUE(created);
    store.closeKey(key);
    ASSERT_EQ(store.createKey(kCurrentUser, path + "\\a\\b", kAllAccess, key, &created), kSuccess);
    EXPECT_FALSE(created);
    store.closeKey(key);
}

TEST_F(WindowsRegistryStoreTest, EnumeratesSubKeysAndValuesToTheEnd) {
    Handle key = create();
    const std::vector<std::string> subKeys = {"Details Settings", "Empty", "Z"};
    for (const auto& sub : subKeys) store.closeKey(create(kCurrentUser, sub));
    const std::vector<std::string> values = {"DeviceHeight", "DeviceWidth", "ResFrame"};
    const Bytes data = textBytes("0");
    for (const auto& name : values) {
        ASSERT_EQ(store.setValue(key, name, kSz, data.data(), 2), kSuccess);
    }

    KeyInfo info;
    ASSERT_EQ(store.queryInfoKey(key, info), kSuccess);
    EXPECT_EQ(info.subKeys, 3u);
    EXPECT_EQ(info.values, 3u);
    EXPECT_EQ(info.maxSubKeyLength, std::string("Details Settings").size());
    EXPECT_EQ(info.maxValueNameLength, std::string("DeviceHeight").size());
    EXPECT_GE(info.maxValueDataLength, 2u);  // Wine counts the UTF-16 size

    std::vector<std::string> seenKeys;
    char name[256];
    std::uint32_t index = 0;
    while (store.enumKey(key, index, name, sizeof name) == kSuccess) {
        seenKeys.emplace_back(name);
        ++index;
    }
    EXPECT_EQ(store.enumKey(key, index, name, sizeof name), kNoMoreItems);
    std::sort(seenKeys.begin(), seenKeys.end());
    EXPECT_EQ(seenKeys, subKeys);

    std::vector<std::string> seenValues;
    for (index = 0;; ++index) {
        std::uint32_t length = sizeof name;
        const Status status = store.enumValue(key, index, name, &length);
        if (status != kSuccess) {
            EXPECT_EQ(status, kNoMoreItems);
            break;
        }
        seenValues.emplace_back(name, length);
    }
    std::sort(seenValues.begin(), seenValues.end());
    EXPECT_EQ(seenValues, values);

    // A buffer too small for the name is reported, not cut short.
    std::uint32_t length = 4;
    EXPECT_EQ(store.enumValue(key, 0, name, &length), kMoreData);
    store.closeKey(key);
}

TEST_F(WindowsRegistryStoreTest, DeletesOnlyKeysWithoutSubKeys) {
    store.closeKey(create(kCurrentUser, "Child"));
    EXPECT_NE(store.deleteKey(kCurrentUser, path), kSuccess);
    EXPECT_TRUE(keyExistsInView(HKEY_CURRENT_USER, path, KEY_WOW64_32KEY));
    EXPECT_EQ(store.deleteKey(kCurrentUser, path + "\\Child"), kSuccess);
    EXPECT_EQ(store.deleteKey(kCurrentUser, path), kSuccess);
    Handle key = 0;
    EXPECT_EQ(store.openKey(kCurrentUser, path, kQueryValue, key), kFileNotFound);
}

// The 32-bit game finds its keys under HKLM\Software in the 32-bit view, which a 64-bit
// program sees as HKLM\Software\Wow6432Node. HKCU\Software is the same in both views.
TEST_F(WindowsRegistryStoreTest, UsesThe32BitViewOfTheMachineSoftwareKey) {
    Handle key = create(kLocalMachine);
    const Bytes data = textBytes("C:\\Games\\");
    ASSERT_EQ(store.setValue(key, "Install Dir", kSz, data.data(),
                             static_cast<std::uint32_t>(data.size())),
              kSuccess);
    store.closeKey(key);

    const std::string wow = "Software\\Wow6432Node" + path.substr(std::string("Software").size());
    EXPECT_TRUE(keyExistsInView(HKEY_LOCAL_MACHINE, wow, KEY_WOW64_64KEY));
    EXPECT_FALSE(keyExistsInView(HKEY_LOCAL_MACHINE, path, KEY_WOW64_64KEY));
    EXPECT_EQ(regQueryLine("HKLM\\" + wow, "Install Dir", "64"), "Install Dir REG_SZ C:\\Games\\");
    EXPECT_EQ(regQueryLine("HKLM\\" + path, "Install Dir", "32"), "Install Dir REG_SZ C:\\Games\\");
    EXPECT_EQ(regQueryLine("HKLM\\" + path, "Install Dir", "64"), "");

    // Deleting works in the same view.
    EXPECT_EQ(store.deleteKey(kLocalMachine, path), kSuccess);
    EXPECT_FALSE(keyExistsInView(HKEY_LOCAL_MACHINE, wow, KEY_WOW64_64KEY));

    store.closeKey(create(kCurrentUser));
    EXPECT_TRUE(keyExistsInView(HKEY_CURRENT_USER, path, KEY_WOW64_64KEY));
}

TEST_F(WindowsRegistryStoreTest, ConnectsToTheLocalMachineOnly) {
    char computer[MAX_COMPUTERNAME_LENGTH + 1] = {};
    DWORD length = sizeof computer;
    ASSERT_TRUE(GetComputerNameA(computer, &length));
    store.closeKey(create());

    for (const std::string& machine : {std::string(), "\\\\" + std::string(computer)}) {
        Handle root = 0;
        ASSERT_EQ(store.connectRegistry(machine, kCurrentUser, root), kSuccess) << machine;
        Handle key = 0;
        EXPECT_EQ(store.openKey(root, path, kQueryValue, key), kSuccess) << machine;
        store.closeKey(key);
        EXPECT_EQ(store.closeKey(root), kSuccess);
    }
    Handle root = 0;
    EXPECT_NE(store.connectRegistry("\\\\quenor-no-such-host", kCurrentUser, root), kSuccess);
    EXPECT_EQ(store.connectRegistry("", 77, root), kInvalidHandle);
    EXPECT_EQ(store.openKeyCount(), 0u);
}

}  // namespace
}  // namespace quenor::reg::windows
