#include "host/wow64_registry_view.h"

#include "lib/registry/key_tree.h"

namespace quenor::host {

namespace {

constexpr std::string_view kWowNode = "Wow6432Node";

std::string joined(const std::vector<std::string>& names) {
    std::string path;
    for (const std::string& name : names) path += (path.empty() ? "" : "\\") + name;
    return path;
}

}  // namespace

Wow64RegistryView::Wow64RegistryView(reg::RegistryStore& target, bool win64)
    : RegistryStoreWrapper(target), win64_(win64) {}

bool Wow64RegistryView::exists(reg::Handle hive, const std::vector<std::string>& names) {
    reg::Handle key = 0;
    if (target().openKey(hive, joined(names), reg::kQueryValue, key) != reg::kSuccess) return false;
    target().closeKey(key);
    return true;
}

std::vector<std::string> Wow64RegistryView::redirected(reg::Handle hive,
                                                       const std::vector<std::string>& names) {
    std::vector<std::string> out;
    bool complete = true;  // every key on the path so far exists
    for (const std::string& name : names) {
        if (complete && !reg::namesEqual(name, kWowNode)) {
            out.emplace_back(kWowNode);
            if (!exists(hive, out)) out.pop_back();
        }
        out.push_back(name);
        complete = complete && exists(hive, out);
    }
    // Only in the 64-bit view: read from there.
    if (!complete && exists(hive, names)) return names;
    return out;
}

bool Wow64RegistryView::placeBelow(reg::Handle parent, std::string_view path, Place& place) {
    if (parent == reg::kLocalMachine || parent == reg::kCurrentUser) {
        place = Place{parent, {}, reg::kAllAccess};
    } else if (parent == reg::kClassesRoot) {
        place = Place{reg::kLocalMachine, {"Software", "Classes"}, reg::kAllAccess};
    } else if (const auto known = places_.find(parent); known != places_.end()) {
        place = known->second;
    } else {
        return false;
    }
    std::vector<std::string> names;
    if (!reg::splitKeyPath(path, names)) return false;
    place.path.insert(place.path.end(), names.begin(), names.end());
    if (win64_) place.path = redirected(place.hive, place.path);
    return true;
}

reg::Status Wow64RegistryView::opened(reg::Status status, const reg::Handle& key, Place place) {
    if (status == reg::kSuccess) places_[key] = std::move(place);
    return status;
}

reg::Status Wow64RegistryView::openKey(reg::Handle parent, std::string_view path,
                                       std::uint32_t access, reg::Handle& key) {
    Place place;
    if (!placeBelow(parent, path, place)) return target().openKey(parent, path, access, key);
    place.access = access;
    return opened(target().openKey(place.hive, joined(place.path), access, key), key, place);
}

reg::Status Wow64RegistryView::createKey(reg::Handle parent, std::string_view path,
                                         std::uint32_t access, reg::Handle& key, bool* created) {
    Place place;
    if (!placeBelow(parent, path, place))
        return target().createKey(parent, path, access, key, created);
    // The parent's rights hold as they would for the key itself.
    if (const auto known = places_.find(parent); known != places_.end() &&
                                                 (known->second.access & reg::kCreateSubKey) == 0 &&
                                                 !path.empty()) {
        if (created) *created = false;
        return reg::kAccessDenied;
    }
    place.access = access;
    return opened(target().createKey(place.hive, joined(place.path), access, key, created), key,
                  place);
}

reg::Status Wow64RegistryView::deleteKey(reg::Handle parent, std::string_view path) {
    Place place;
    if (path.empty() || !placeBelow(parent, path, place)) return target().deleteKey(parent, path);
    return target().deleteKey(place.hive, joined(place.path));
}

reg::Status Wow64RegistryView::closeKey(reg::Handle key) {
    places_.erase(key);
    return target().closeKey(key);
}

}  // namespace quenor::host
