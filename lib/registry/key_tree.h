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

class RegKey;

// Where the content of keys that are not in memory yet comes from: a registry file of many
// megabytes is read into a tree one key at a time, as far as callers reach into it.
class KeySource {
  public:
    virtual ~KeySource() = default;
    // Puts the values and the sub-keys of the key the source numbers `keyNumber` into `key`
    // (through addSubKeysFrom, so that each sub-key is loaded in its turn when it is reached).
    virtual void loadKey(RegKey& key, std::uint32_t keyNumber) = 0;
};

// One registry key with its values (in insertion order) and sub-keys (sorted by name,
// without regard to letter case). A key that comes from a KeySource loads its content from it
// the first time anything of it but its name is asked for.
class RegKey {
  public:
    explicit RegKey(std::string name) : name_(std::move(name)) {}

    const std::string& name() const { return name_; }
    const std::vector<RegValue>& values() const {
        load();
        return values_;
    }
    const std::vector<std::unique_ptr<RegKey>>& subKeys() const {
        load();
        return subKeys_;
    }

    // Empties the key and makes its content that of key `keyNumber` of `source`, loaded when
    // reached.
    void attach(KeySource& source, std::uint32_t keyNumber);
    // The source the key came from (null for a key made in memory) and the number it has
    // there, and whether its content was loaded (a key made in memory always is).
    const KeySource* source() const { return source_; }
    std::uint32_t numberInSource() const { return numberInSource_; }
    bool isLoaded() const { return !pending_; }
    // Whether its values or its list of sub-keys were changed since it was loaded (a key made
    // in memory: since it was made). A key only read is not: a save copies its lines as the
    // file holds them, without reading them again.
    bool isEdited() const { return edited_; }
    // Adds sub-keys not loaded yet, each of them once, by a source filling a key.
    void addSubKeysFrom(KeySource& source,
                        std::vector<std::pair<std::string, std::uint32_t>>&& namesAndNumbers);

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
    // Fills a key that is still to be loaded from its source. A const key may load: loading
    // changes what is in memory, not what the key holds.
    void load() const {
        if (pending_) const_cast<RegKey*>(this)->loadFromSource();
    }
    void loadFromSource();

    std::string name_;
    std::vector<RegValue> values_;
    std::vector<std::unique_ptr<RegKey>> subKeys_;
    KeySource* source_ = nullptr;
    std::uint32_t numberInSource_ = 0;
    bool pending_ = false;
    bool edited_ = false;
};

// Splits a key path at "\" into its names. A single trailing "\" is allowed; an empty
// name elsewhere (leading "\", "\\" inside) makes the path invalid: returns false.
bool splitKeyPath(std::string_view path, std::vector<std::string>& names);

}  // namespace quenor::reg
