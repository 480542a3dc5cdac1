#include "lib/registry/key_tree.h"

#include <algorithm>

#include "lib/base/ascii.h"

namespace quenor::reg {

bool namesEqual(std::string_view a, std::string_view b) {
    return base::equalsIgnoringAsciiCase(a, b);
}

bool nameLess(std::string_view a, std::string_view b) {
    return base::lessIgnoringAsciiCase(a, b);
}

namespace {

// Where a sub-key of that name is or would be: the sub-keys are kept sorted by nameLess, so a
// key with thousands of sub-keys (a prefix's CLSID) is searched in steps of halving.
template <typename Keys>
auto placeOf(Keys& keys, std::string_view name) {
    return std::lower_bound(keys.begin(), keys.end(), name,
                            [](const std::unique_ptr<RegKey>& key, std::string_view n) {
                                return nameLess(key->name(), n);
                            });
}

}  // namespace

void RegKey::attach(KeySource& source, std::uint32_t keyNumber) {
    values_.clear();
    subKeys_.clear();
    source_ = &source;
    numberInSource_ = keyNumber;
    pending_ = true;
    edited_ = false;
}

void RegKey::loadFromSource() {
    pending_ = false;
    source_->loadKey(*this, numberInSource_);
    edited_ = false;  // what the source put in is what the file holds
}

void RegKey::addSubKeysFrom(KeySource& source,
                            std::vector<std::pair<std::string, std::uint32_t>>&& namesAndNumbers) {
    load();
    subKeys_.reserve(subKeys_.size() + namesAndNumbers.size());
    for (auto& [name, keyNumber] : namesAndNumbers) {
        auto key = std::make_unique<RegKey>(std::move(name));
        key->attach(source, keyNumber);
        subKeys_.push_back(std::move(key));
    }
    std::stable_sort(subKeys_.begin(), subKeys_.end(),
                     [](const std::unique_ptr<RegKey>& a, const std::unique_ptr<RegKey>& b) {
                         return nameLess(a->name(), b->name());
                     });
}

RegKey* RegKey::findSubKey(std::string_view name) const {
    load();
    const auto place = placeOf(subKeys_, name);
    return place != subKeys_.end() && namesEqual((*place)->name(), name) ? place->get() : nullptr;
}

RegKey& RegKey::addSubKey(std::string_view name, bool* created) {
    load();
    const auto place = placeOf(subKeys_, name);
    if (place != subKeys_.end() && namesEqual((*place)->name(), name)) {
        if (created) *created = false;
        return **place;
    }
    auto inserted = subKeys_.insert(place, std::make_unique<RegKey>(std::string(name)));
    edited_ = true;
    if (created) *created = true;
    return **inserted;
}

bool RegKey::removeSubKey(std::string_view name) {
    load();
    const auto place = placeOf(subKeys_, name);
    if (place == subKeys_.end() || !namesEqual((*place)->name(), name)) return false;
    subKeys_.erase(place);
    edited_ = true;
    return true;
}

const RegValue* RegKey::findValue(std::string_view name) const {
    load();
    for (const auto& value : values_) {
        if (namesEqual(value.name, name)) return &value;
    }
    return nullptr;
}

void RegKey::setValue(RegValue value) {
    load();
    for (auto& existing : values_) {
        if (namesEqual(existing.name, value.name)) {
            existing.type = value.type;
            existing.data = std::move(value.data);
            edited_ = true;
            return;
        }
    }
    values_.push_back(std::move(value));
    edited_ = true;
}

bool RegKey::removeValue(std::string_view name) {
    load();
    auto it = std::find_if(values_.begin(), values_.end(),
                           [&](const RegValue& v) { return namesEqual(v.name, name); });
    if (it == values_.end()) return false;
    values_.erase(it);
    edited_ = true;
    return true;
}

RegKey* RegKey::find(const std::vector<std::string>& path) {
    RegKey* key = this;
    for (const auto& name : path) {
        key = key->findSubKey(name);
        if (!key) return nullptr;
    }
    return key;
}

bool splitKeyPath(std::string_view path, std::vector<std::string>& names) {
    names.clear();
    if (path.empty()) return true;
    if (path.back() == '\\') path.remove_suffix(1);
    std::size_t start = 0;
    while (true) {
        std::size_t end = path.find('\\', start);
        std::string_view name =
            path.substr(start, end == std::string_view::npos ? path.size() - start : end - start);
        if (name.empty() || name.size() > 255) return false;
        names.emplace_back(name);
        if (end == std::string_view::npos) break;
        start = end + 1;
    }
    return true;
}

}  // namespace quenor::reg
