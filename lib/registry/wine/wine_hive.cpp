#include "lib/registry/wine/wine_hive.h"

#include <stdexcept>

#include "lib/registry/wine/hive_renderer.h"
#include "lib/registry/wine/stored_value.h"
#include "lib/registry/wine/wine_text.h"

namespace quenor::reg::wine {

namespace {

std::string valueLabel(const std::string& keyPath, const std::string& name) {
    return (keyPath.empty() ? "" : keyPath + "\\") + (name.empty() ? "(default value)" : name);
}

}  // namespace

WineHive::WineHive(std::string text, std::string fileName)
    : text_(std::move(text)), fileName_(std::move(fileName)), index_(text_, fileName_) {}

WineHive::WineHive(std::string text, WineHive& from, const HiveIndex::Layout& layout)
    : text_(std::move(text)),
      fileName_(from.fileName_),
      index_(std::move(from.index_), text_, fileName_, layout) {}

void WineHive::rebuildIndexIfTaken() {
    if (index_.empty()) index_ = HiveIndex(text_, fileName_);
}

namespace {

// Puts the values of the lines read into a key, as the store holds them; a repeated value: the
// last one wins.
class ValuesInto : public WineRegSink {
  public:
    explicit ValuesInto(RegKey& key) : key_(key) {}
    void keyLine(std::size_t, std::string_view, std::size_t,
                 std::vector<std::u16string>&) override {}
    void valueLine(std::size_t, std::string_view, WineLine&& line) override {
        key_.setValue(storedValue(line));
    }
    void otherLine(std::size_t, std::string_view, std::size_t) override {}

  private:
    RegKey& key_;
};

}  // namespace

void WineHive::readValues(std::uint32_t keyNumber, RegKey& into) const {
    ValuesInto sink(into);
    for (std::uint32_t s = index_.key(keyNumber).firstSection; s != HiveIndex::kNone;
         s = index_.sections()[s].nextOfKey) {
        const std::size_t start = index_.sections()[s].start;
        readWineSections(std::string_view(text_).substr(start, index_.sectionEnd(s) - start),
                         fileName_, 1, sink);
    }
}

void WineHive::loadKey(RegKey& key, std::uint32_t keyNumber) {
    readValues(keyNumber, key);
    key.addSubKeysFrom(*this, index_.children(keyNumber));
}

std::vector<std::u16string> WineHive::unicodePath(std::uint32_t keyNumber) const {
    const std::uint32_t through = index_.sectionThrough(keyNumber);
    if (keyNumber == 0 || through == HiveIndex::kNone) return {};
    const std::size_t start = index_.sections()[through].start;
    const std::size_t end = text_.find('\n', start);
    auto parts = parseWineSections(
        std::string_view(text_).substr(start, end == std::string::npos ? end : end + 1 - start),
        fileName_);
    std::vector<std::u16string> path = std::move(parts.front().path);
    const std::size_t depth = index_.depth(keyNumber);
    if (depth > path.size()) throw std::logic_error("a key line is shorter than its key's path");
    path.resize(depth);
    return path;
}

std::string WineHive::render(const RegKey& current, std::int64_t nowSeconds,
                             HiveIndex::Layout* layout) const {
    return renderHive(*this, current, nowSeconds, layout);
}

namespace {

// The changes of one key itself: its values, and the file's sub-keys it no longer holds.
void listKeyChanges(const WineHive& hive, const RegKey& key, bool fromFile, std::uint32_t keyNumber,
                    const std::string& path, std::vector<std::string>& out) {
    RegKey saved("");
    if (fromFile) hive.readValues(keyNumber, saved);
    for (const auto& value : key.values()) {
        const RegValue* before = saved.findValue(value.name);
        if (!before || !sameValue(*before, value)) out.push_back(valueLabel(path, value.name));
    }
    for (const auto& value : saved.values()) {
        if (!key.findValue(value.name)) out.push_back(valueLabel(path, value.name) + " (deleted)");
    }
    if (!fromFile && key.values().empty() && key.subKeys().empty())
        out.push_back("the key " + path);
    if (!fromFile) return;
    for (const auto& [name, number] : hive.index().children(keyNumber)) {
        if (!key.findSubKey(name))
            out.push_back("the key " + valueLabel(path, name) + " (deleted)");
    }
}

void listChanges(const WineHive& hive, const RegKey& key, bool isRoot, const std::string& path,
                 std::vector<std::string>& out) {
    const bool fromFile = isRoot || key.source() == &hive;
    if (fromFile && !key.isLoaded()) return;
    // A key of the file that was only read holds what the file holds; its sub-keys may not.
    if (!fromFile || key.isEdited()) {
        listKeyChanges(hive, key, fromFile, isRoot ? 0 : key.numberInSource(), path, out);
    }
    for (const auto& sub : key.subKeys()) {
        listChanges(hive, *sub, false, (path.empty() ? "" : path + "\\") + sub->name(), out);
    }
}

}  // namespace

std::vector<std::string> WineHive::changes(const RegKey& current,
                                           const std::string& rootName) const {
    std::vector<std::string> out;
    listChanges(*this, current, true, rootName, out);
    return out;
}

}  // namespace quenor::reg::wine
