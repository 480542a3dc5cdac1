#include "lib/registry/tree_store.h"

#include "lib/base/ascii.h"

#include <algorithm>
#include <cstring>

namespace quenor::reg {

namespace {

bool isHive(Handle h) {
    return h == kLocalMachine || h == kCurrentUser || h == kUsers;
}

bool isPredefinedRoot(Handle h) {
    return h == kClassesRoot || isHive(h);
}

}  // namespace

TreeStore::TreeStore() {
    addMachine("");
}

void TreeStore::addMachine(const std::string& name) {
    Machine machine;
    for (Handle h : {kLocalMachine, kCurrentUser, kUsers}) {
        machine.hives[h] = std::make_unique<RegKey>("");
    }
    machines_[base::asciiLowered(name)] = std::move(machine);
}

RegKey& TreeStore::hive(Handle hiveRoot) {
    return *machines_.at("").hives.at(hiveRoot);
}

bool TreeStore::locate(Handle handle, OpenKey& where) const {
    if (isPredefinedRoot(handle)) {
        where = OpenKey{};
        where.access = kAllAccess;
        if (handle == kClassesRoot) {
            where.hive = kLocalMachine;
            where.path = {"Software", "Classes"};
        } else {
            where.hive = handle;
        }
        return true;
    }
    auto it = handles_.find(handle);
    if (it == handles_.end()) return false;
    where = it->second;
    return true;
}

RegKey* TreeStore::resolve(const OpenKey& where) {
    auto machine = machines_.find(where.machine);
    if (machine == machines_.end()) return nullptr;
    auto hive = machine->second.hives.find(where.hive);
    if (hive == machine->second.hives.end()) return nullptr;
    return hive->second->find(where.path);
}

Status TreeStore::keyFor(Handle handle, std::uint32_t needed, OpenKey& where, RegKey*& key) {
    if (!locate(handle, where)) return kInvalidHandle;
    if ((where.access & needed) != needed) return kAccessDenied;
    key = resolve(where);
    if (!key) return isPredefinedRoot(handle) ? kFileNotFound : kKeyDeleted;
    return kSuccess;
}

Status TreeStore::notify(const OpenKey& where) {
    if (!where.machine.empty()) return kSuccess;
    return changed(where.hive);
}

Status TreeStore::open(Handle parent, std::string_view path, std::uint32_t access, bool create,
                       Handle& key, bool* created) {
    if (created) *created = false;
    OpenKey where;
    if (!locate(parent, where)) return kInvalidHandle;
    std::vector<std::string> names;
    if (!splitKeyPath(path, names)) return kBadPathName;
    if (create && !names.empty() && (where.access & kCreateSubKey) == 0) return kAccessDenied;
    where.path.insert(where.path.end(), names.begin(), names.end());

    auto machine = machines_.find(where.machine);
    if (machine == machines_.end()) return kInvalidHandle;
    RegKey* node = machine->second.hives.at(where.hive).get();
    bool madeAny = false;
    for (const auto& name : where.path) {
        RegKey* next = node->findSubKey(name);
        if (!next) {
            if (!create) return kFileNotFound;
            bool made = false;
            next = &node->addSubKey(name, &made);
            madeAny = madeAny || made;
        }
        node = next;
    }
    where.access = access;
    if (madeAny) {
        if (Status s = notify(where); s != kSuccess) return s;
    }
    if (created) *created = madeAny;
    key = nextHandle_++;
    handles_[key] = std::move(where);
    return kSuccess;
}

Status TreeStore::openKey(Handle parent, std::string_view path, std::uint32_t access, Handle& key) {
    return open(parent, path, access, false, key, nullptr);
}

Status TreeStore::createKey(Handle parent, std::string_view path, std::uint32_t access, Handle& key,
                            bool* created) {
    return open(parent, path, access, true, key, created);
}

Status TreeStore::queryValue(Handle key, std::string_view name, std::uint32_t* type,
                             std::uint8_t* data, std::uint32_t* size) {
    OpenKey where;
    RegKey* node = nullptr;
    if (Status s = keyFor(key, kQueryValue, where, node); s != kSuccess) return s;
    const RegValue* value = node->findValue(name);
    if (!value) return kFileNotFound;
    if (data && !size) return kInvalidParameter;
    if (type) *type = value->type;
    const auto length = static_cast<std::uint32_t>(value->data.size());
    if (data) {
        if (*size < length) {
            *size = length;
            return kMoreData;
        }
        std::copy(value->data.begin(), value->data.end(), data);
    }
    if (size) *size = length;
    return kSuccess;
}

Status TreeStore::setValue(Handle key, std::string_view name, std::uint32_t type,
                           const std::uint8_t* data, std::uint32_t size) {
    OpenKey where;
    RegKey* node = nullptr;
    if (Status s = keyFor(key, kSetValue, where, node); s != kSuccess) return s;
    if (size > 0 && !data) return kInvalidParameter;
    RegValue value{std::string(name), type, std::vector<std::uint8_t>(data, data + size)};
    node->setValue(std::move(value));
    return notify(where);
}

Status TreeStore::deleteKey(Handle parent, std::string_view path) {
    OpenKey where;
    if (!locate(parent, where)) return kInvalidHandle;
    std::vector<std::string> names;
    if (!splitKeyPath(path, names) || names.empty()) return kBadPathName;
    where.path.insert(where.path.end(), names.begin(), names.end());
    RegKey* node = resolve(where);
    if (!node) return kFileNotFound;
    if (!node->subKeys().empty()) return kAccessDenied;
    std::string leaf = where.path.back();
    where.path.pop_back();
    RegKey* parentNode = resolve(where);
    if (!parentNode || !parentNode->removeSubKey(leaf)) return kFileNotFound;
    return notify(where);
}

Status TreeStore::deleteValue(Handle key, std::string_view name) {
    OpenKey where;
    RegKey* node = nullptr;
    if (Status s = keyFor(key, kSetValue, where, node); s != kSuccess) return s;
    if (!node->removeValue(name)) return kFileNotFound;
    return notify(where);
}

Status TreeStore::enumKey(Handle key, std::uint32_t index, char* name, std::uint32_t nameSize) {
    OpenKey where;
    RegKey* node = nullptr;
    if (Status s = keyFor(key, kEnumerateSubKeys, where, node); s != kSuccess) return s;
    if (index >= node->subKeys().size()) return kNoMoreItems;
    const std::string& found = node->subKeys()[index]->name();
    if (!name || nameSize < found.size() + 1) return kMoreData;
    std::memcpy(name, found.c_str(), found.size() + 1);
    return kSuccess;
}

Status TreeStore::enumValue(Handle key, std::uint32_t index, char* name,
                            std::uint32_t* nameLength) {
    OpenKey where;
    RegKey* node = nullptr;
    if (Status s = keyFor(key, kQueryValue, where, node); s != kSuccess) return s;
    if (index >= node->values().size()) return kNoMoreItems;
    if (!nameLength) return kInvalidParameter;
    const std::string& found = node->values()[index].name;
    if (!name || *nameLength < found.size() + 1) return kMoreData;
    std::memcpy(name, found.c_str(), found.size() + 1);
    *nameLength = static_cast<std::uint32_t>(found.size());
    return kSuccess;
}

Status TreeStore::queryInfoKey(Handle key, KeyInfo& info) {
    OpenKey where;
    RegKey* node = nullptr;
    if (Status s = keyFor(key, 0, where, node); s != kSuccess) return s;
    info = KeyInfo{};
    info.subKeys = static_cast<std::uint32_t>(node->subKeys().size());
    for (const auto& sub : node->subKeys()) {
        info.maxSubKeyLength = std::max<std::uint32_t>(
            info.maxSubKeyLength, static_cast<std::uint32_t>(sub->name().size()));
    }
    info.values = static_cast<std::uint32_t>(node->values().size());
    for (const auto& value : node->values()) {
        info.maxValueNameLength = std::max<std::uint32_t>(
            info.maxValueNameLength, static_cast<std::uint32_t>(value.name.size()));
        info.maxValueDataLength = std::max<std::uint32_t>(
            info.maxValueDataLength, static_cast<std::uint32_t>(value.data.size()));
    }
    return kSuccess;
}

Status TreeStore::connectRegistry(std::string_view machine, Handle root, Handle& key) {
    if (machine.size() < 3 || machine.substr(0, 2) != "\\\\") return kBadNetPath;
    auto found = machines_.find(base::asciiLowered(machine.substr(2)));
    if (found == machines_.end() || found->first.empty()) return kBadNetPath;
    if (root != kLocalMachine && root != kUsers) return kInvalidHandle;
    OpenKey where;
    where.machine = found->first;
    where.hive = root;
    where.access = kAllAccess;
    key = nextHandle_++;
    handles_[key] = std::move(where);
    return kSuccess;
}

Status TreeStore::closeKey(Handle key) {
    if (isPredefinedRoot(key)) return kSuccess;
    return handles_.erase(key) == 1 ? kSuccess : kInvalidHandle;
}

}  // namespace quenor::reg
