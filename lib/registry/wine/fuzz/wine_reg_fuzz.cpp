// Parses the input as a Wine registry file. When it parses:
// - saving it unchanged gives the input back byte for byte;
// - a save that adds a value to its last key and a new key reads back as the changed tree,
//   and every line of the input is still a line of the saved file;
// - writing its tree anew in Wine's syntax reads back as the same tree.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <set>
#include <string_view>

#include "lib/registry/key_tree.h"
#include "lib/registry/registry_store.h"
#include "lib/registry/wine/wine_hive_sync.h"
#include "lib/registry/wine/wine_reg_file.h"
#include "lib/registry/wine/wine_text.h"

using namespace quenor::reg;

namespace {

// The tree a file holds, or a trap when it does not parse.
RegKey reload(const std::string& text) {
    RegKey tree("");
    try {
        wine::loadHive(wine::parseWineRegistry(text, "saved.reg"), tree);
    } catch (const wine::WineRegistryError&) {
        std::abort();
    }
    return tree;
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
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    wine::WineRegDocument document;
    try {
        document = wine::parseWineRegistry(text, "fuzz.reg");
    } catch (const wine::WineRegistryError&) {
        return 0;
    }
    RegKey tree("");
    wine::loadHive(document, tree);
    if (wine::renderHive(document, tree, tree, 0) != text) std::abort();

    // A save with changes: a value added to the file's last key, and a new key. Their names are
    // ones the input does not use yet: a name it uses already would rewrite that line of the
    // input, which is a change the save must make, not a line it loses.
    const std::unique_ptr<RegKey> changed = wine::cloneTree(tree);
    if (!document.sections.empty()) {
        std::vector<std::string> path;
        for (const auto& name : document.sections.back().path)
            path.push_back(wine::toCodePage(name));
        if (RegKey* last = changed->find(path)) {
            std::string name = "quenor fuzz";
            while (last->findValue(name)) name += '+';
            last->setValue({name, kDword, {1, 2, 3, 4}});
        }
    }
    std::string keyName = "Quenor Fuzz New Key";
    while (changed->findSubKey(keyName)) keyName += '+';
    changed->addSubKey(keyName).setValue({"v", kSz, {'x', 0}});
    const std::string saved = wine::renderHive(document, *changed, tree, 1);
    if (!wine::sameTree(reload(saved), *changed)) std::abort();
    const auto before = linesOf(text);
    const auto after = linesOf(saved);
    for (const std::string_view line : before) {
        if (after.count(line) < before.count(line)) std::abort();
    }

    // Everything written anew: an empty file plus the whole tree as new keys.
    const auto empty = wine::parseWineRegistry("WINE REGISTRY Version 2\n", "empty.reg");
    const RegKey nothing("");
    const std::string rewritten = wine::renderHive(empty, tree, nothing, 1);
    // Keys that only hold sub-keys are implicit in both; compare the trees as loaded.
    if (!wine::sameTree(tree, reload(rewritten))) std::abort();
    return 0;
}
