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

}  // namespace

// Takes the key lines of a file as the parser meets them; the other lines are checked by the
// parser and not kept.
class HiveIndex::Builder : public WineRegSink {
  public:
    explicit Builder(HiveIndex& index) : index_(index) {}

    void keyLine(std::size_t offset, std::string_view, std::size_t,
                 std::vector<std::u16string>&& path) override {
        auto section = static_cast<std::uint32_t>(index_.sections_.size());
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
            if (index_.keys_[key].firstPathSection == kNone)
                index_.keys_[key].firstPathSection = section;
            lastKeys_[i] = key;
        }
        lastPath_ = std::move(path);
        Key& owner = index_.keys_[key];
        if (owner.lastSection == kNone) {
            owner.firstSection = section;
        } else {
            index_.sections_[owner.lastSection].nextOfKey = section;
        }
        owner.lastSection = section;
        index_.sections_.push_back({static_cast<std::uint32_t>(offset), key, kNone});
    }
    void valueLine(std::size_t, std::string_view, WineLine&&) override {}
    void otherLine(std::size_t, std::string_view, std::size_t) override {}

  private:
    HiveIndex& index_;
    std::vector<std::u16string> lastPath_;
    std::vector<std::uint32_t> lastKeys_;
};

HiveIndex::HiveIndex(std::string_view text, const std::string& fileName, const KnownLines& known)
    : textSize_(text.size()) {
    if (text.size() >= std::numeric_limits<std::uint32_t>::max()) {
        throw WineRegistryError(fileName, 0, "the file is too large to be a registry file");
    }
    keys_.push_back(Key{});
    slots_.assign(1024, kNone);
    Builder builder(*this);
    facts_ = readWineRegistry(text, fileName, builder, known);
    keys_.shrink_to_fit();
    sections_.shrink_to_fit();
    names_.shrink_to_fit();
}

std::uint32_t HiveIndex::child(std::uint32_t parent, std::string_view name) const {
    const std::size_t mask = slots_.size() - 1;
    for (std::size_t at = slotHash(parent, name) & mask;; at = (at + 1) & mask) {
        const std::uint32_t k = slots_[at];
        if (k == kNone) return kNone;
        if (keys_[k].parent == parent && namesEqual(this->name(k), name)) return k;
    }
}

std::uint32_t HiveIndex::childOrNew(std::uint32_t parent, const std::string& name) {
    if (const std::uint32_t found = child(parent, name); found != kNone) return found;
    if ((keys_.size() + 1) * 2 > slots_.size()) grow();
    const auto k = static_cast<std::uint32_t>(keys_.size());
    Key key;
    key.parent = parent;
    key.nameAt = static_cast<std::uint32_t>(names_.size());
    key.nameSize = static_cast<std::uint32_t>(name.size());
    key.nextSibling = keys_[parent].firstChild;
    key.depth = keys_[parent].depth + 1;
    keys_[parent].firstChild = k;
    names_ += name;
    keys_.push_back(key);
    const std::size_t mask = slots_.size() - 1;
    std::size_t at = slotHash(parent, name) & mask;
    while (slots_[at] != kNone) at = (at + 1) & mask;
    slots_[at] = k;
    return k;
}

void HiveIndex::grow() {
    slots_.assign(slots_.size() * 2, kNone);
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
