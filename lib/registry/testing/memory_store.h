#pragma once

#include <string>
#include <vector>

#include "lib/registry/tree_store.h"

namespace quenor::reg {

// The registry operations, by name, for failure injection and call records.
enum class RegistryOp {
    OpenKey,
    CreateKey,
    QueryValue,
    SetValue,
    DeleteKey,
    DeleteValue,
    EnumKey,
    EnumValue,
    QueryInfoKey,
    ConnectRegistry,
    CloseKey,
};

// A registry held in memory, for tests. Chosen calls can be made to fail with chosen
// codes, and every call is recorded with its key path or value name and access mask.
class MemoryStore : public TreeStore {
  public:
    struct Call {
        RegistryOp op;
        std::string name;  // key path, value name or machine name
        std::uint32_t access = 0;
        Status status = 0;
    };

    // Makes calls of op fail with status: the calls after the first `skip` ones, `times`
    // of them (negative: all). Only calls whose name matches `name` (ignoring case) count
    // when `name` is not empty.
    void failCalls(RegistryOp op, Status status, int skip = 0, int times = -1,
                   std::string name = {});
    // Adds a remote machine, reachable as "\\" + name, with empty hives.
    void addRemoteMachine(const std::string& name) { addMachine(name); }

    const std::vector<Call>& calls() const { return calls_; }
    void clearCalls() { calls_.clear(); }

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

  private:
    struct Failure {
        RegistryOp op;
        Status status;
        int skip;
        int times;
        std::string name;
    };
    // The injected status for this call, or kSuccess to go on with the real call.
    Status injected(RegistryOp op, std::string_view name);
    Status record(RegistryOp op, std::string_view name, std::uint32_t access, Status status);

    std::vector<Failure> failures_;
    std::vector<Call> calls_;
};

}  // namespace quenor::reg
