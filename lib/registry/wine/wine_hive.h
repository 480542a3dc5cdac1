#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "lib/registry/key_tree.h"
#include "lib/registry/wine/wine_hive_index.h"

namespace quenor::reg::wine {

// One registry file as a store holds it: its text as read (or last written) and its index.
// A tree attached to it loads each key from the text when the key is first reached, in the
// 8-bit form of the store's API: names and the data of string types (REG_SZ, REG_EXPAND_SZ,
// REG_MULTI_SZ) in Windows-1252, other data as raw bytes. Repeated sections merge; a
// repeated value: the last one wins. Only the keys reached take memory of their own.
class WineHive : public KeySource {
  public:
    // Reads and checks the whole text; throws WineRegistryError for a file that does not parse.
    WineHive(std::string text, std::string fileName);
    // The hive of a text rendered from `from` (render's layout): what was written anew is read
    // and checked (throwing WineRegistryError with `from` as it was); then `from`'s index is
    // taken over, and `from` is left without one until rebuildIndexIfTaken().
    WineHive(std::string text, WineHive& from, const HiveIndex::Layout& layout);
    // Reads the text again into an index, after another hive took this one's.
    void rebuildIndexIfTaken();

    const std::string& text() const { return text_; }
    const std::string& fileName() const { return fileName_; }
    const WineFileFacts& facts() const { return index_.facts(); }

    // Makes `root` the file's root key, emptied, its content loaded when reached.
    void loadOnDemandInto(RegKey& root) { root.attach(*this, 0); }
    void loadKey(RegKey& key, std::uint32_t keyNumber) override;

    // The file text for `current`, a tree attached to this hive and changed since. Only the
    // keys edited in the tree (RegKey::isEdited) are looked at: every line of any other key, and
    // every line that did not change, is written exactly as it was read; changed values are written
    // in Wine's syntax in place of their line, new values at the end of their key's section, new
    // keys as new sections at the end (stamped with nowSeconds), deleted keys and values are left
    // out. `layout`, when given, gets how the text was made from this hive's (for the constructor
    // above).
    std::string render(const RegKey& current, std::int64_t nowSeconds,
                       HiveIndex::Layout* layout = nullptr) const;

    // What a save of `current` would change (in the keys edited, as render), named for a person
    // below `rootName`
    // ("HKEY_CURRENT_USER\Software\Game\Value", "the key HKEY_CURRENT_USER\Software\Old"), in
    // tree order.
    std::vector<std::string> changes(const RegKey& current, const std::string& rootName) const;

    // The values of a key as the file holds them (every section of it, merged): the one way a
    // key's values are read, for loading, for naming changes and for the renderer.
    void readValues(std::uint32_t keyNumber, RegKey& into) const;
    // The names of the path to a key as the file writes them, in Unicode.
    std::vector<std::u16string> unicodePath(std::uint32_t keyNumber) const;
    const HiveIndex& index() const { return index_; }

  private:
    std::string text_;
    std::string fileName_;
    HiveIndex index_;
};

}  // namespace quenor::reg::wine
