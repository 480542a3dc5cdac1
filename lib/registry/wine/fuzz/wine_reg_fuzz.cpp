// Parses the input as a Wine registry file. When it parses: saving it unchanged must give
// the input back byte for byte, and writing its tree anew in Wine's syntax must read back
// as the same tree.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "lib/registry/key_tree.h"
#include "lib/registry/wine/wine_hive_sync.h"
#include "lib/registry/wine/wine_reg_file.h"

using namespace quenor::reg;

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

    // Everything written anew: an empty file plus the whole tree as new keys.
    const auto empty = wine::parseWineRegistry("WINE REGISTRY Version 2\n", "empty.reg");
    const RegKey nothing("");
    const std::string rewritten = wine::renderHive(empty, tree, nothing, 1);
    RegKey reread("");
    try {
        wine::loadHive(wine::parseWineRegistry(rewritten, "rewritten.reg"), reread);
    } catch (const wine::WineRegistryError&) {
        std::abort();
    }
    // Keys that only hold sub-keys are implicit in both; compare the trees as loaded.
    if (!wine::sameTree(tree, reread)) std::abort();
    return 0;
}
