#include "host/virtual_store.h"

#include "lib/base/ascii.h"

namespace quenor::host {

namespace {

std::string withoutFinalSeparator(std::string path) {
    while (!path.empty() && (path.back() == '\\' || path.back() == '/')) path.pop_back();
    return path;
}

std::string folderOf(const std::string& path) {
    const std::size_t separator = path.find_last_of("\\/");
    return separator == std::string::npos ? path : path.substr(0, separator);
}

}  // namespace

std::optional<std::string> virtualStoreCopyOf(const std::string& path,
                                              const VirtualStoreFolders& folders) {
    if (path.size() < 3 || path[1] != ':') return std::nullopt;
    for (const std::string& folder : folders.protectedFolders) {
        const std::string root = withoutFinalSeparator(folder);
        if (root.size() < 3 || path.size() <= root.size()) continue;
        const char next = path[root.size()];
        if ((next == '\\' || next == '/') && base::startsWithIgnoringAsciiCase(path, root)) {
            return withoutFinalSeparator(folders.virtualStore) + path.substr(2);
        }
    }
    return std::nullopt;
}

FileToPatch fileTheGameReads(const std::string& path, const VirtualStoreFolders& folders,
                             FileAccess& access, VirtualStoreCopies copies) {
    const std::optional<std::string> copy = virtualStoreCopyOf(path, folders);
    if (!copy) return {path, {}};
    if (access.exists(*copy)) return {*copy, {}};
    if (copies == VirtualStoreCopies::Never || access.canWrite(path)) return {path, {}};
    const std::string failure = access.copyMakingFolders(path, *copy);
    if (failure.empty()) return {*copy, {}};
    return {{},
            "the game's file " + path + " cannot be written in " + folderOf(path) +
                ", and no copy can be made for it in " + folderOf(*copy) + " (" + failure +
                "). Start Quenor as an administrator, or make the game's folder writable."};
}

}  // namespace quenor::host
