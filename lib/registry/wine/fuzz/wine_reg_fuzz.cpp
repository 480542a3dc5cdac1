// Parses the input as a Wine registry file. When it parses:
// - the tree loaded key by key from the file's index is the tree its parsed lines make;
// - saving it unchanged gives the input back byte for byte, with no key loaded and with every
//   key loaded;
// - a save that adds a value to its last key and a new key reads back as the changed tree, read
//   whole or indexed from the file's index and the parts written anew, and every line of the
//   input is still a line of the saved file; so does a second save that deletes a key;
// - writing its tree anew in Wine's syntax reads back as the same tree.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <set>
#include <string_view>

#include "lib/registry/key_tree.h"
#include "lib/registry/registry_store.h"
#include "lib/registry/testing/tree_copy.h"
#include "lib/registry/wine/stored_value.h"
#include "lib/registry/wine/wine_hive.h"
#include "lib/registry/wine/wine_reg_file.h"
#include "lib/registry/wine/wine_text.h"

using namespace quenor::reg;

namespace {

// The tree a file holds, every key loaded, or a trap when it does not parse.
std::unique_ptr<RegKey> reload(const std::string& text) {
    try {
        wine::WineHive hive(text, "saved.reg");
        RegKey tree("");
        hive.loadOnDemandInto(tree);
        return testing::cloneTree(tree);
    } catch (const wine::WineRegistryError&) {
        std::abort();
    }
}

// The tree of a document's lines, merged section by section in file order.
RegKey treeOfLines(const wine::WineRegDocument& document) {
    RegKey root("");
    for (const auto& section : document.sections) {
        RegKey* key = &root;
        for (const auto& name : section.path) key = &key->addSubKey(wine::toCodePage(name));
        for (const auto& line : section.lines) {
            if (line.kind != wine::LineKind::Value) continue;
            key->setValue(RegValue{wine::toCodePage(line.name), line.type,
                                   wine::dataToCodePage(line.type, line.data)});
        }
    }
    return root;
}

// Two trees alike but for the letter case of names: the spelling of a key is that of its first
// section, which a deletion can take away.
bool sameTreeAnyCase(const RegKey& a, const RegKey& b) {
    if (!namesEqual(a.name(), b.name()) || a.values().size() != b.values().size() ||
        a.subKeys().size() != b.subKeys().size())
        return false;
    for (std::size_t i = 0; i < a.values().size(); ++i) {
        const RegValue& x = a.values()[i];
        const RegValue& y = b.values()[i];
        if (!namesEqual(x.name, y.name) || x.type != y.type || x.data != y.data) return false;
    }
    for (std::size_t i = 0; i < a.subKeys().size(); ++i) {
        if (!sameTreeAnyCase(*a.subKeys()[i], *b.subKeys()[i])) return false;
    }
    return true;
}

// The lines of a text without their line ends.
std::multiset<std::string_view> linesOf(std::string_view text) {
    std::multiset<std::string_view> lines;
    while (!text.empty()) {
        std::size_t end = text.find('\n');
        std::string_view line = text.substr(0, end);
        if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
        lines.insert(line);
        text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);
    }
    return lines;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);
    wine::WineRegDocument document;
    try {
        document = wine::parseWineRegistry(text, "fuzz.reg");
    } catch (const wine::WineRegistryError&) {
        try {
            wine::WineHive refused(text, "fuzz.reg");
        } catch (const wine::WineRegistryError&) {
            return 0;
        }
        std::abort();  // the index took a file the parser refuses
    }
    wine::WineHive hive(text, "fuzz.reg");
    RegKey tree("");
    hive.loadOnDemandInto(tree);
    if (hive.render(tree, 0) != text) std::abort();
    const std::unique_ptr<RegKey> loaded = testing::cloneTree(tree);
    if (!testing::sameTree(*loaded, treeOfLines(document))) std::abort();
    if (hive.render(tree, 0) != text) std::abort();

    // A save with changes: a value added to the file's last key, and a new key. Their names are
    // ones the input does not use yet: a name it uses already would rewrite that line of the
    // input, which is a change the save must make, not a line it loses.
    if (!document.sections.empty()) {
        std::vector<std::string> path;
        for (const auto& name : document.sections.back().path)
            path.push_back(wine::toCodePage(name));
        if (RegKey* last = tree.find(path)) {
            std::string name = "quenor fuzz";
            while (last->findValue(name)) name += '+';
            last->setValue({name, kDword, {1, 2, 3, 4}});
        }
    }
    std::string keyName = "Quenor Fuzz New Key";
    while (tree.findSubKey(keyName)) keyName += '+';
    tree.addSubKey(keyName).setValue({"v", kSz, {'x', 0}});
    wine::HiveIndex::Layout layout;
    const std::string saved = hive.render(tree, 1, &layout);
    const std::unique_ptr<RegKey> savedTree = reload(saved);
    if (!testing::sameTree(*savedTree, tree)) std::abort();
    // Indexed from the file's index and the parts written anew, as a store takes its own save:
    // the same tree as read whole.
    {
        wine::WineHive carried(saved, hive, layout);
        RegKey carriedTree("");
        carried.loadOnDemandInto(carriedTree);
        if (!testing::sameTree(carriedTree, *savedTree)) std::abort();
        if (carried.render(carriedTree, 2) != saved) std::abort();
        hive.rebuildIndexIfTaken();

        // A second save on top of it that deletes the input's first key when it has no sub-keys
        // (and, for inputs of odd size, makes it again with another value).
        std::vector<std::string> path;
        if (!document.sections.empty())
            for (const auto& name : document.sections.front().path)
                path.push_back(wine::toCodePage(name));
        if (!path.empty()) {
            const std::string leaf = path.back();
            path.pop_back();
            RegKey* parent = carriedTree.find(path);
            const RegKey* key = parent ? parent->findSubKey(leaf) : nullptr;
            if (key && key->subKeys().empty()) {
                parent->removeSubKey(leaf);
                if (size % 2 == 1)
                    parent->addSubKey(leaf).setValue({"again", kDword, {5, 0, 0, 0}});
            }
        }
        wine::HiveIndex::Layout second;
        const std::string resaved = carried.render(carriedTree, 3, &second);
        const std::unique_ptr<RegKey> resavedTree = reload(resaved);
        if (!sameTreeAnyCase(*resavedTree, carriedTree)) std::abort();
        wine::WineHive again(resaved, carried, second);
        RegKey againTree("");
        again.loadOnDemandInto(againTree);
        if (!sameTreeAnyCase(againTree, *resavedTree)) std::abort();
    }
    const auto before = linesOf(text);
    const auto after = linesOf(saved);
    for (const std::string_view line : before) {
        if (after.count(line) < before.count(line)) std::abort();
    }

    // Everything written anew: an empty file plus the whole tree as new keys.
    wine::WineHive empty("WINE REGISTRY Version 2\n", "empty.reg");
    const std::string rewritten = empty.render(*loaded, 1);
    // Keys that only hold sub-keys are implicit in both; compare the trees as loaded.
    if (!testing::sameTree(*loaded, *reload(rewritten))) std::abort();
    return 0;
}
