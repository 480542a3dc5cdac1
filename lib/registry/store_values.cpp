#include "lib/registry/store_values.h"

#include <string>
#include <vector>

namespace quenor::reg {

namespace {

// An open key, closed at the end of its scope.
class OpenedKey {
  public:
    // A value is read with query access alone, so that a key the user may only read works.
    OpenedKey(RegistryStore& store, Handle root, std::string_view path,
              std::uint32_t access = kQueryValue)
        : store_(store) {
        opened_ = store.openKey(root, path, access, key_) == kSuccess;
    }
    ~OpenedKey() {
        if (opened_) store_.closeKey(key_);
    }
    OpenedKey(const OpenedKey&) = delete;
    OpenedKey& operator=(const OpenedKey&) = delete;

    bool opened() const { return opened_; }
    Handle handle() const { return key_; }

  private:
    RegistryStore& store_;
    Handle key_ = 0;
    bool opened_ = false;
};

}  // namespace

std::optional<RegValue> readStoreValue(RegistryStore& store, Handle root, std::string_view path,
                                       std::string_view name) {
    OpenedKey key(store, root, path);
    if (!key.opened()) return std::nullopt;
    std::uint32_t type = 0;
    std::uint32_t size = 0;
    // A store may answer a query for the size alone with "more data"; both give the size.
    if (const Status probe = store.queryValue(key.handle(), name, &type, nullptr, &size);
        probe != kSuccess && probe != kMoreData)
        return std::nullopt;
    std::vector<std::uint8_t> data(size);
    if (store.queryValue(key.handle(), name, &type, data.data(), &size) != kSuccess)
        return std::nullopt;
    data.resize(size);
    return RegValue{std::string(name), type, std::move(data)};
}

bool storeKeyExists(RegistryStore& store, Handle root, std::string_view path) {
    return OpenedKey(store, root, path).opened();
}

bool storeKeyIsEmpty(RegistryStore& store, Handle root, std::string_view path) {
    OpenedKey key(store, root, path, kQueryValue | kEnumerateSubKeys);
    KeyInfo info;
    return key.opened() && store.queryInfoKey(key.handle(), info) == kSuccess &&
           info.subKeys == 0 && info.values == 0;
}

}  // namespace quenor::reg
