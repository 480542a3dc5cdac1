#pragma once

#include "lib/registry/registry_store.h"

namespace quenor::reg {

// A RegistryStore that passes every call to another one. A store that changes some calls (a
// view that maps key paths, a double that fails on purpose) derives from it and overrides only
// those; it then works over any store, in memory or on files.
class RegistryStoreWrapper : public RegistryStore {
  public:
    explicit RegistryStoreWrapper(RegistryStore& target) : target_(target) {}

    Status openKey(Handle parent, std::string_view path, std::uint32_t access,
                   Handle& key) override {
        return target_.openKey(parent, path, access, key);
    }
    Status createKey(Handle parent, std::string_view path, std::uint32_t access, Handle& key,
                     bool* created) override {
        return target_.createKey(parent, path, access, key, created);
    }
    Status queryValue(Handle key, std::string_view name, std::uint32_t* type, std::uint8_t* data,
                      std::uint32_t* size) override {
        return target_.queryValue(key, name, type, data, size);
    }
    Status setValue(Handle key, std::string_view name, std::uint32_t type, const std::uint8_t* data,
                    std::uint32_t size) override {
        return target_.setValue(key, name, type, data, size);
    }
    Status deleteKey(Handle parent, std::string_view path) override {
        return target_.deleteKey(parent, path);
    }
    Status deleteValue(Handle key, std::string_view name) override {
        return target_.deleteValue(key, name);
    }
    Status enumKey(Handle key, std::uint32_t index, char* name, std::uint32_t nameSize) override {
        return target_.enumKey(key, index, name, nameSize);
    }
    Status enumValue(Handle key, std::uint32_t index, char* name,
                     std::uint32_t* nameLength) override {
        return target_.enumValue(key, index, name, nameLength);
    }
    Status queryInfoKey(Handle key, KeyInfo& info) override {
        return target_.queryInfoKey(key, info);
    }
    Status connectRegistry(std::string_view machine, Handle root, Handle& key) override {
        return target_.connectRegistry(machine, root, key);
    }
    Status closeKey(Handle key) override { return target_.closeKey(key); }

    RegistryStore& target() { return target_; }

  private:
    RegistryStore& target_;
};

}  // namespace quenor::reg
