#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "lib/registry/wine/wine_reg_file.h"

namespace quenor::reg::wine {

// Where each key of a registry file is, without holding its lines: the file is read and checked
// whole (a file that does not parse throws WineRegistryError, as parseWineRegistry does), and
// what is kept is a few numbers per key and per section, and the keys' names. A file of many
// megabytes costs a small part of its size here; its values are read from the text again when
// a key is reached.
//
// Keys are numbered; 0 is the file's root. A key's sections are the "[path]" lines that name it
// (repeated sections of one key merge when read), each with its lines up to the next key line.
// Names are in Windows-1252 (the store's 8-bit names) and match without regard to ASCII case:
// two spellings of one key are one key, named as first written.
class HiveIndex {
  public:
    static constexpr std::uint32_t kNone = 0xFFFFFFFFu;

    struct Key {
        std::uint32_t parent = kNone;  // kNone for the root and for keys deleted since
        std::uint32_t nameAt = 0;      // the name is names_[nameAt, nameAt + nameSize)
        std::uint32_t nameSize = 0;
        std::uint32_t firstSection = kNone;  // its own sections, chained in file order
        std::uint32_t firstChild = kNone;    // its sub-keys, chained
        std::uint32_t nextSibling = kNone;
    };
    struct Section {
        std::uint32_t start = 0;  // the offset of its key line
        std::uint32_t key = 0;
        std::uint32_t nextOfKey = kNone;
    };

    // How a text rendered from an indexed file is made, piece after piece: whole lines of the
    // file copied as they were, sections of it written anew, and sections of new keys.
    struct Piece {
        enum class Kind : std::uint8_t { Copied, Rewritten, Added };
        Kind kind = Kind::Copied;
        std::size_t start = 0;  // in the new text
        std::size_t end = 0;
        std::size_t oldStart = 0;  // Copied: where the lines were in the file
        // Copied: the file's sections it holds whole (none for the lines before the first
        // key); Rewritten: the file's section written anew (its key line as it was).
        std::uint32_t firstSection = 0;
        std::uint32_t sections = 0;
    };
    struct Layout {
        std::vector<Piece> pieces;
        std::vector<std::uint32_t> deletedKeys;  // keys of the file the text leaves out
    };

    HiveIndex(std::string_view text, const std::string& fileName);
    // The index of `text`, rendered from the file that `old` indexes as `layout` says: the parts
    // written anew are read and checked (throwing WineRegistryError as a whole file would, with
    // `old` left as it was), the copied sections keep their keys unread, and `old`'s content is
    // taken over (it is left empty).
    HiveIndex(HiveIndex&& old, std::string_view text, const std::string& fileName,
              const Layout& layout);
    HiveIndex(HiveIndex&&) = default;
    HiveIndex& operator=(HiveIndex&&) = default;

    // Whether the index was taken over by another.
    bool empty() const { return keys_.empty(); }
    const WineFileFacts& facts() const { return facts_; }
    std::size_t keyCount() const { return keys_.size(); }
    const Key& key(std::uint32_t k) const { return keys_[k]; }
    std::string_view name(std::uint32_t k) const {
        return std::string_view(names_).substr(keys_[k].nameAt, keys_[k].nameSize);
    }
    const std::vector<Section>& sections() const { return sections_; }
    // Where the lines before the first key end, and where a section's lines end.
    std::size_t preambleEnd() const { return sections_.empty() ? textSize_ : sections_[0].start; }
    std::size_t sectionEnd(std::uint32_t s) const {
        return s + 1 < sections_.size() ? sections_[s + 1].start : textSize_;
    }
    // The sub-keys of a key with their names.
    std::vector<std::pair<std::string, std::uint32_t>> children(std::uint32_t k) const;
    // The last of a key's sections; the number of names from the root to a key; a section
    // whose path passes the key (its own, or one of a key below it).
    std::uint32_t lastSection(std::uint32_t k) const;
    std::size_t depth(std::uint32_t k) const;
    std::uint32_t sectionThrough(std::uint32_t k) const;

  private:
    class Builder;
    // The key of that name below `parent`, made when missing.
    std::uint32_t childOrNew(std::uint32_t parent, const std::string& name);
    void grow();
    void chainSections();
    void dropKey(std::uint32_t k);

    std::vector<Key> keys_;
    std::vector<Section> sections_;
    std::string names_;
    std::vector<std::uint32_t> slots_;  // open addressing: key numbers by (parent, name)
    std::size_t textSize_ = 0;
    WineFileFacts facts_;
};

}  // namespace quenor::reg::wine
