#include "lib/registry/wine/wine_hive_index.h"

#include <limits>

#include "lib/base/ascii.h"
#include "lib/registry/key_tree.h"
#include "lib/registry/wine/wine_text.h"

namespace quenor::reg::wine {

namespace {

// FNV-1a over the parent's number and the name's lowered bytes.
std::uint64_t slotHash(std::uint32_t parent, std::string_view name) {
    std::uint64_t hash = 14695981039346656037u;
    const auto mix = [&hash](std::uint8_t byte) {
        hash ^= byte;
        hash *= 1099511628211u;
    };
    for (int shift = 0; shift < 32; shift += 8) mix(static_cast<std::uint8_t>(parent >> shift));
    for (const char c : name) mix(static_cast<std::uint8_t>(base::asciiLower(c)));
    return hash;
}

void refuseHugeText(std::string_view text, const std::string& fileName) {
    if (text.size() >= std::numeric_limits<std::uint32_t>::max()) {
        throw WineRegistryError(fileName, 0, "the file is too large to be a registry file");
    }
}

// The key lines of a part of a text, each with its offset in the whole text and its names.
struct KeyLines : public WineRegSink {
    void keyLine(std::size_t offset, std::string_view, std::size_t,
                 std::vector<std::u16string>& path) override {
        lines.emplace_back(base + offset, std::move(path));
    }
    void valueLine(std::size_t, std::string_view, WineLine&&) override {}
    void otherLine(std::size_t, std::string_view, std::size_t) override {}

    std::size_t base = 0;  // where the part read starts
    std::vector<std::pair<std::size_t, std::vector<std::u16string>>> lines;
};

}  // namespace

// Takes the key lines of a file as the parser meets them; the other lines are checked by the
// parser and not kept.
class HiveIndex::Builder : public WineRegSink {
  public:
    explicit Builder(HiveIndex& index) : index_(index) {}

    void keyLine(std::size_t offset, std::string_view, std::size_t,
                 std::vector<std::u16string>& path) override {
        // Sections follow their neighbours (a key's sub-keys come after it): the names this path
        // shares with the last one lead to the same keys, without a look-up.
        std::size_t shared = 0;
        while (shared < path.size() && shared < lastPath_.size() &&
               path[shared] == lastPath_[shared])
            ++shared;
        lastKeys_.resize(path.size());
        std::uint32_t key = shared == 0 ? 0 : lastKeys_[shared - 1];
        for (std::size_t i = shared; i < path.size(); ++i) {
            key = index_.childOrNew(key, toCodePage(path[i]));
            lastKeys_[i] = key;
        }
        std::swap(lastPath_, path);  // the reader gets the room of the last path back
        index_.sections_.push_back({static_cast<std::uint32_t>(offset), key, kNone});
    }
    void valueLine(std::size_t, std::string_view, WineLine&&) override {}
    void otherLine(std::size_t, std::string_view, std::size_t) override {}

  private:
    HiveIndex& index_;
    std::vector<std::u16string> lastPath_;
    std::vector<std::uint32_t> lastKeys_;
};

HiveIndex::HiveIndex(std::string_view text, const std::string& fileName) : textSize_(text.size()) {
    refuseHugeText(text, fileName);
    keys_.push_back(Key{});
    // Sized for a file of small keys (a key every hundred bytes or so), so that a large file is
    // not hashed again and again as it is read.
    std::size_t slots = 1024;
    while (slots < text.size() / 64) slots *= 2;
    slots_.assign(slots, kNone);
    Builder builder(*this);
    facts_ = readWineRegistry(text, fileName, builder);
    chainSections();
    keys_.shrink_to_fit();
    sections_.shrink_to_fit();
    names_.shrink_to_fit();
}

HiveIndex::HiveIndex(HiveIndex&& old, std::string_view text, const std::string& fileName,
                     const Layout& layout)
    : textSize_(text.size()) {
    refuseHugeText(text, fileName);
    // Everything written anew is read first: a part that does not read leaves `old` whole.
    KeyLines added;
    KeyLines rewritten;
    for (const Piece& piece : layout.pieces) {
        if (piece.kind == Piece::Kind::Copied) continue;
        KeyLines& lines = piece.kind == Piece::Kind::Added ? added : rewritten;
        lines.base = piece.start;
        readWineSections(text.substr(piece.start, piece.end - piece.start), fileName, 1, lines);
    }
    keys_ = std::move(old.keys_);
    names_ = std::move(old.names_);
    slots_ = std::move(old.slots_);
    facts_ = old.facts_;
    const std::vector<Section> oldSections = std::move(old.sections_);
    old.keys_.clear();
    old.names_.clear();
    old.slots_.clear();
    old.sections_.clear();
    for (Key& key : keys_) key.firstSection = kNone;
    for (const std::uint32_t k : layout.deletedKeys) dropKey(k);

    sections_.reserve(oldSections.size() + added.lines.size());
    for (const Piece& piece : layout.pieces) {
        if (piece.kind == Piece::Kind::Copied) {
            for (std::uint32_t s = piece.firstSection; s < piece.firstSection + piece.sections;
                 ++s) {
                const std::size_t start = oldSections[s].start - piece.oldStart + piece.start;
                sections_.push_back({static_cast<std::uint32_t>(start), oldSections[s].key, kNone});
            }
        } else if (piece.kind == Piece::Kind::Rewritten) {
            sections_.push_back({static_cast<std::uint32_t>(piece.start),
                                 oldSections[piece.firstSection].key, kNone});
        }
    }
    for (const auto& [offset, path] : added.lines) {
        std::uint32_t key = 0;
        for (const auto& name : path) key = childOrNew(key, toCodePage(name));
        sections_.push_back({static_cast<std::uint32_t>(offset), key, kNone});
    }
    chainSections();
}

// Takes a key deleted since out of its parent's sub-keys; its number stays unused.
void HiveIndex::dropKey(std::uint32_t k) {
    const std::uint32_t parent = keys_[k].parent;
    if (parent == kNone) return;
    for (std::uint32_t* link = &keys_[parent].firstChild; *link != kNone;
         link = &keys_[*link].nextSibling) {
        if (*link == k) {
            *link = keys_[k].nextSibling;
            break;
        }
    }
    keys_[k].parent = kNone;  // no look-up by name finds it again
    keys_[k].nextSibling = kNone;
}

// Chains each key's sections in file order, from the last section back.
void HiveIndex::chainSections() {
    for (auto s = static_cast<std::uint32_t>(sections_.size()); s-- > 0;) {
        Key& key = keys_[sections_[s].key];
        sections_[s].nextOfKey = key.firstSection;
        key.firstSection = s;
    }
}

std::uint32_t HiveIndex::lastSection(std::uint32_t k) const {
    std::uint32_t last = keys_[k].firstSection;
    while (last != kNone && sections_[last].nextOfKey != kNone) last = sections_[last].nextOfKey;
    return last;
}

std::size_t HiveIndex::depth(std::uint32_t k) const {
    std::size_t names = 0;
    for (; k != 0; k = keys_[k].parent) ++names;
    return names;
}

std::uint32_t HiveIndex::sectionThrough(std::uint32_t k) const {
    // A key without a section of its own has sub-keys: it exists because a path passes it.
    while (keys_[k].firstSection == kNone && keys_[k].firstChild != kNone) k = keys_[k].firstChild;
    return keys_[k].firstSection;
}

std::uint32_t HiveIndex::childOrNew(std::uint32_t parent, const std::string& name) {
    if ((keys_.size() + 1) * 2 > slots_.size()) grow();
    const std::size_t mask = slots_.size() - 1;
    std::size_t at = slotHash(parent, name) & mask;
    for (; slots_[at] != kNone; at = (at + 1) & mask) {
        const std::uint32_t found = slots_[at];
        if (keys_[found].parent == parent && namesEqual(this->name(found), name)) return found;
    }
    const auto k = static_cast<std::uint32_t>(keys_.size());
    Key key;
    key.parent = parent;
    key.nameAt = static_cast<std::uint32_t>(names_.size());
    key.nameSize = static_cast<std::uint32_t>(name.size());
    key.nextSibling = keys_[parent].firstChild;
    keys_[parent].firstChild = k;
    names_ += name;
    keys_.push_back(key);
    slots_[at] = k;
    return k;
}

void HiveIndex::grow() {
    slots_.assign(std::max<std::size_t>(slots_.size() * 2, 1024), kNone);
    const std::size_t mask = slots_.size() - 1;
    for (std::uint32_t k = 1; k < keys_.size(); ++k) {
        std::size_t at = slotHash(keys_[k].parent, name(k)) & mask;
        while (slots_[at] != kNone) at = (at + 1) & mask;
        slots_[at] = k;
    }
}

std::vector<std::pair<std::string, std::uint32_t>> HiveIndex::children(std::uint32_t k) const {
    std::vector<std::pair<std::string, std::uint32_t>> out;
    for (std::uint32_t c = keys_[k].firstChild; c != kNone; c = keys_[c].nextSibling)
        out.emplace_back(std::string(name(c)), c);
    return out;
}

}  // namespace quenor::reg::wine
