#include "host/wow64_registry_view.h"

#include "lib/registry/key_tree.h"

namespace quenor::host {

namespace {

constexpr std::string_view kWowNode = "Wow6432Node";

// The path a 32-bit program reaches, and whether every key on it exists.
std::vector<std::string> redirected(reg::RegKey& root, const std::vector<std::string>& names,
                                    bool& complete) {
    std::vector<std::string> out;
    reg::RegKey* node = &root;
    for (const auto& name : names) {
        if (node != nullptr && !reg::namesEqual(name, kWowNode)) {
            if (reg::RegKey* wow = node->findSubKey(kWowNode)) {
                out.push_back(wow->name());
                node = wow;
            }
        }
        out.push_back(name);
        node = node != nullptr ? node->findSubKey(name) : nullptr;
    }
    complete = node != nullptr;
    return out;
}

}  // namespace

Wow64RegistryView::Wow64RegistryView(std::filesystem::path prefix, SaveGuard guard)
    : WineFileStore(std::move(prefix)), win64_(systemArch() == "win64") {
    setSaveGuard(std::move(guard));
}

void Wow64RegistryView::mapPath(reg::Handle hiveRoot, std::vector<std::string>& names) {
    if (!win64_ || (hiveRoot != reg::kLocalMachine && hiveRoot != reg::kCurrentUser)) return;
    bool complete = false;
    std::vector<std::string> view = redirected(hive(hiveRoot), names, complete);
    if (!complete && hive(hiveRoot).find(names) != nullptr) return;  // only in the 64-bit view
    names = std::move(view);
}

}  // namespace quenor::host
