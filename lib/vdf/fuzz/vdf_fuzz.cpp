// Fuzz target over Steam's KeyValues text (libraryfolders.vdf is the player's file): any bytes
// parse or are refused with a VdfError naming a line; what parses, written out again, reads
// back as the same tree.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "lib/vdf/vdf_text.h"

namespace {

bool same(const quenor::vdf::Node& a, const quenor::vdf::Node& b) {
    if (a.key != b.key || a.value != b.value || a.isObject != b.isObject ||
        a.children.size() != b.children.size()) {
        return false;
    }
    for (std::size_t i = 0; i < a.children.size(); ++i) {
        if (!same(a.children[i], b.children[i])) return false;
    }
    return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace quenor::vdf;
    Node root;
    try {
        root = parseVdf(std::string_view(reinterpret_cast<const char*>(data), size));
    } catch (const VdfError& error) {
        if (error.line() == 0) __builtin_trap();
        return 0;
    }
    Node again;
    try {
        again = parseVdf(writeVdf(root));
    } catch (const VdfError&) {
        __builtin_trap();
    }
    if (!same(root, again)) __builtin_trap();
    return 0;
}
