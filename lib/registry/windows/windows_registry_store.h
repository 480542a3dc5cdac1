#pragma once

#include <cstdint>
#include <map>
#include <string_view>

#include "lib/registry/registry_store.h"

namespace quenor::reg::windows {

// The registry of the running Windows system, through advapi32's Reg*A functions. Every key
// is opened in the 32-bit view of the registry (KEY_WOW64_32KEY), the view the 32-bit game
// uses, so a 64-bit build reads and writes HKLM\Software through Wow6432Node as the game
// does. Opened keys get small handle numbers of their own; the predefined roots keep their
// values. Keys still open when the store is destroyed are closed then.
class WindowsRegistryStore : public RegistryStore {
  public:
    WindowsRegistryStore() = default;
    ~WindowsRegistryStore() override;
    WindowsRegistryStore(const WindowsRegistryStore&) = delete;
    WindowsRegistryStore& operator=(const WindowsRegistryStore&) = delete;

    Status openKey(Handle parent, std::string_view path, std::uint32_t access,
                   Handle& key) override;
    Status createKey(Handle parent, std::string_view path, std::uint32_t access, Handle& key,
                     bool* created) override;
    Status queryValue(Handle key, std::string_view name, std::uint32_t* type, std::uint8_t* data,
                      std::uint32_t* size) override;
    Status setValue(Handle key, std::string_view name, std::uint32_t type, const std::uint8_t* data,
                    std::uint32_t size) override;
    Status deleteKey(Handle parent, std::string_view path) override;
    Status deleteValue(Handle key, std::string_view name) override;
    Status enumKey(Handle key, std::uint32_t index, char* name, std::uint32_t nameSize) override;
    Status enumValue(Handle key, std::uint32_t index, char* name,
                     std::uint32_t* nameLength) override;
    Status queryInfoKey(Handle key, KeyInfo& info) override;
    Status connectRegistry(std::string_view machine, Handle root, Handle& key) override;
    Status closeKey(Handle key) override;

    // The number of keys this store holds open (for leak checks).
    std::size_t openKeyCount() const { return open_.size(); }

  private:
    // The Windows key behind a handle, or null for a handle this store does not know.
    void* native(Handle handle) const;
    Handle remember(void* key);

    std::map<Handle, void*> open_;
    Handle next_ = 1;
};

}  // namespace quenor::reg::windows
