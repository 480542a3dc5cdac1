#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace quenor::reg {

// Compares two 8-bit names without regard to ASCII letter case.
bool namesEqual(std::string_view a, std::string_view b);
// Orders names the way the registry lists sub-keys: case-insensitively.
bool nameLess(std::string_view a, std::string_view b);

struct RegValue {
    std::string name;  // empty: the key's default value
    std::uint32_t type = 0;
    std::vector<std::uint8_t> data;

    friend bool operator==(const RegValue&, const RegValue&) = default;
};

// One registry key with its values (in insertion order) and sub-keys (sorted by name,
// without regard to letter case).
class RegKey {
  public:
    explicit RegKey(std::string name) : name_(std::move(name)) {}

    const std::string& name() const { return name_; }
    const std::vector<RegValue>& values() const { return values_; }
    const std::vector<std::unique_ptr<RegKey>>& subKeys() const { return subKeys_; }

    RegKey* findSubKey(std::string_view name) const;
    // Returns the existing sub-key of that name or a new one.
    RegKey& addSubKey(std::string_view name, bool* created = nullptr);
    bool removeSubKey(std::string_view name);

    const RegValue* findValue(std::string_view name) const;
    // Replaces the value of that name (keeping its place and its stored name's spelling)
    // or appends a new one.
    void setValue(RegValue value);
    bool removeValue(std::string_view name);

    // Follows a path of names; nullptr when a key on the way is missing.
    RegKey* find(const std::vector<std::string>& path);

  private:
    std::string name_;
    std::vector<RegValue> values_;
    std::vector<std::unique_ptr<RegKey>> subKeys_;
};

// Splits a key path at "\" into its names. A single trailing "\" is allowed; an empty
// name elsewhere (leading "\", "\\" inside) makes the path invalid: returns false.
bool splitKeyPath(std::string_view path, std::vector<std::string>& names);

}  // namespace quenor::reg
