#include "lib/registry/store_values.h"

#include "lib/registry/opened_key.h"

#include <string>
#include <vector>

namespace quenor::reg {

std::optional<RegValue> readStoreValue(RegistryStore& store, Handle root, std::string_view path,
                                       std::string_view name) {
    const OpenedKey key = OpenedKey::open(store, root, path);
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
    return OpenedKey::open(store, root, path).opened();
}

bool storeKeyIsEmpty(RegistryStore& store, Handle root, std::string_view path) {
    const OpenedKey key = OpenedKey::open(store, root, path, kQueryValue | kEnumerateSubKeys);
    KeyInfo info;
    return key.opened() && store.queryInfoKey(key.handle(), info) == kSuccess &&
           info.subKeys == 0 && info.values == 0;
}

}  // namespace quenor::reg
