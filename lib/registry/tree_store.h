#pragma once

#include <map>
#include <memory>
#include <string>
#include <vector>

#include "lib/registry/key_tree.h"
#include "lib/registry/registry_store.h"

namespace quenor::reg {

// A registry store over key trees held in memory: HKEY_LOCAL_MACHINE, HKEY_CURRENT_USER
// and HKEY_USERS as hives, HKEY_CLASSES_ROOT seen as HKEY_LOCAL_MACHINE\Software\Classes.
// Subclasses decide where the hives come from and what a change does (see changed()).
class TreeStore : public RegistryStore {
  public:
    TreeStore();

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

    // The top key of a hive (kLocalMachine, kCurrentUser, kUsers) of the local machine.
    RegKey& hive(Handle hiveRoot);
    // Number of handles opened and not yet closed (for tests of handle hygiene).
    std::size_t openHandleCount() const { return handles_.size(); }

  protected:
    // Called after a change of a hive of the local machine; a non-zero result (for
    // example a file that could not be saved) is what the changing call returns.
    virtual Status changed(Handle hiveRoot) {
        (void)hiveRoot;
        return kSuccess;
    }
    // Adds a remote machine that connectRegistry can reach, with empty hives.
    void addMachine(const std::string& name);

  private:
    struct Machine {
        std::map<Handle, std::unique_ptr<RegKey>> hives;
    };
    struct OpenKey {
        std::string machine;  // empty: the local machine
        Handle hive = 0;
        std::vector<std::string> path;  // below the hive
        std::uint32_t access = 0;
    };

    // Resolves a handle (predefined root or opened key) to its location; false when the
    // handle is unknown.
    bool locate(Handle handle, OpenKey& where) const;
    RegKey* resolve(const OpenKey& where);
    Status keyFor(Handle handle, std::uint32_t needed, OpenKey& where, RegKey*& key);
    Status open(Handle parent, std::string_view path, std::uint32_t access, bool create,
                Handle& key, bool* created);
    Status notify(const OpenKey& where);

    std::map<std::string, Machine> machines_;
    std::map<Handle, OpenKey> handles_;
    Handle nextHandle_ = 0x100;
};

}  // namespace quenor::reg
