#include "lib/registry/testing/memory_store.h"

namespace quenor::reg {

void MemoryStore::failCalls(RegistryOp op, Status status, int skip, int times, std::string name) {
    failures_.push_back(Failure{op, status, skip, times, std::move(name)});
}

Status MemoryStore::injected(RegistryOp op, std::string_view name) {
    for (auto& failure : failures_) {
        if (failure.op != op || failure.times == 0) continue;
        if (!failure.name.empty() && !namesEqual(failure.name, name)) continue;
        if (failure.skip > 0) {
            --failure.skip;
            continue;
        }
        if (failure.times > 0) --failure.times;
        return failure.status;
    }
    return kSuccess;
}

Status MemoryStore::record(RegistryOp op, std::string_view name, std::uint32_t access,
                           Status status) {
    calls_.push_back(Call{op, std::string(name), access, status});
    return status;
}

#define QUENOR_INJECT(op, name, access)                           \
    if (Status forced = injected(op, name); forced != kSuccess) { \
        return record(op, name, access, forced);                  \
    }

Status MemoryStore::openKey(Handle parent, std::string_view path, std::uint32_t access,
                            Handle& key) {
    QUENOR_INJECT(RegistryOp::OpenKey, path, access)
    return record(RegistryOp::OpenKey, path, access, TreeStore::openKey(parent, path, access, key));
}

Status MemoryStore::createKey(Handle parent, std::string_view path, std::uint32_t access,
                              Handle& key, bool* created) {
    QUENOR_INJECT(RegistryOp::CreateKey, path, access)
    return record(RegistryOp::CreateKey, path, access,
                  TreeStore::createKey(parent, path, access, key, created));
}

Status MemoryStore::queryValue(Handle key, std::string_view name, std::uint32_t* type,
                               std::uint8_t* data, std::uint32_t* size) {
    QUENOR_INJECT(RegistryOp::QueryValue, name, 0)
    return record(RegistryOp::QueryValue, name, 0,
                  TreeStore::queryValue(key, name, type, data, size));
}

Status MemoryStore::setValue(Handle key, std::string_view name, std::uint32_t type,
                             const std::uint8_t* data, std::uint32_t size) {
    QUENOR_INJECT(RegistryOp::SetValue, name, 0)
    return record(RegistryOp::SetValue, name, 0, TreeStore::setValue(key, name, type, data, size));
}

Status MemoryStore::deleteKey(Handle parent, std::string_view path) {
    QUENOR_INJECT(RegistryOp::DeleteKey, path, 0)
    return record(RegistryOp::DeleteKey, path, 0, TreeStore::deleteKey(parent, path));
}

Status MemoryStore::deleteValue(Handle key, std::string_view name) {
    QUENOR_INJECT(RegistryOp::DeleteValue, name, 0)
    return record(RegistryOp::DeleteValue, name, 0, TreeStore::deleteValue(key, name));
}

Status MemoryStore::enumKey(Handle key, std::uint32_t index, char* name, std::uint32_t nameSize) {
    QUENOR_INJECT(RegistryOp::EnumKey, "", 0)
    return record(RegistryOp::EnumKey, "", 0, TreeStore::enumKey(key, index, name, nameSize));
}

Status MemoryStore::enumValue(Handle key, std::uint32_t index, char* name,
                              std::uint32_t* nameLength) {
    QUENOR_INJECT(RegistryOp::EnumValue, "", 0)
    return record(RegistryOp::EnumValue, "", 0, TreeStore::enumValue(key, index, name, nameLength));
}

Status MemoryStore::queryInfoKey(Handle key, KeyInfo& info) {
    QUENOR_INJECT(RegistryOp::QueryInfoKey, "", 0)
    return record(RegistryOp::QueryInfoKey, "", 0, TreeStore::queryInfoKey(key, info));
}

Status MemoryStore::connectRegistry(std::string_view machine, Handle root, Handle& key) {
    QUENOR_INJECT(RegistryOp::ConnectRegistry, machine, 0)
    return record(RegistryOp::ConnectRegistry, machine, 0,
                  TreeStore::connectRegistry(machine, root, key));
}

Status MemoryStore::closeKey(Handle key) {
    QUENOR_INJECT(RegistryOp::CloseKey, "", 0)
    return record(RegistryOp::CloseKey, "", 0, TreeStore::closeKey(key));
}

#undef QUENOR_INJECT

}  // namespace quenor::reg
