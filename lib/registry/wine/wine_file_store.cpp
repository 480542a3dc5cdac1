#include "lib/registry/wine/wine_file_store.h"

#include <chrono>
#include <functional>

#include "lib/registry/wine/wine_hive_sync.h"

namespace quenor::reg::wine {

struct WineFileStore::HiveFile {
    std::filesystem::path path;
    WineRegDocument document;       // what the file on disk holds
    std::unique_ptr<RegKey> saved;  // the tree the file on disk holds
    std::size_t textHash = 0;       // of the text last read or written
    bool onDisk = false;            // the file existed when last read, or was written since
};

namespace {

std::int64_t nowSeconds() {
    return std::chrono::duration_cast<std::chrono::seconds>(
               std::chrono::system_clock::now().time_since_epoch())
        .count();
}

// The header Wine writes at the top of a new file.
std::string newFileText(Handle hiveRoot, WineArch arch) {
    std::string text(kWineHeader);
    text += '\n';
    if (hiveRoot == kLocalMachine) {
        text += ";; All keys relative to REGISTRY\\\\Machine\n\n";
        text += arch == WineArch::Win64 ? "#arch=win64\n" : "#arch=win32\n";
    } else {
        text += ";; All keys relative to REGISTRY\\\\User\\\\S-1-5-21-0-0-0-1000\n\n";
        text += arch == WineArch::Win64 ? "#arch=win64\n" : "#arch=win32\n";
    }
    return text;
}

}  // namespace

WineFileStore::WineFileStore(std::filesystem::path prefixFolder, WineArch newSystemArch,
                             files::FileIo& io)
    : folder_(std::move(prefixFolder)),
      io_(io),
      system_(std::make_unique<HiveFile>()),
      user_(std::make_unique<HiveFile>()) {
    system_->path = folder_ / "system.reg";
    user_->path = folder_ / "user.reg";
    load(*system_, kLocalMachine, newSystemArch);
    // A new user.reg follows the architecture the prefix's system.reg names.
    WineArch userArch = system_->document.arch == "win64" ? WineArch::Win64 : WineArch::Win32;
    load(*user_, kCurrentUser, userArch);
}

WineFileStore::~WineFileStore() = default;

std::string WineFileStore::readText(const HiveFile& file, Handle hiveRoot, WineArch newArch) const {
    const std::string name = file.path.string();
    const files::FileKind kind = io_.kind(file.path);
    if (kind == files::FileKind::kMissing) return newFileText(hiveRoot, newArch);
    if (kind != files::FileKind::kRegularFile) {
        throw WineRegistryError(name, 0, "it is not a regular file");
    }
    try {
        const std::vector<std::uint8_t> bytes =
            files::readWholeFile(io_, file.path, kMaxRegistryFileSize);
        return std::string(bytes.begin(), bytes.end());
    } catch (const files::FileIoError& error) {
        throw WineRegistryError(name, 0, "cannot read it: " + error.reason());
    }
}

void WineFileStore::load(HiveFile& file, Handle hiveRoot, WineArch newArch) {
    file.onDisk = io_.kind(file.path) != files::FileKind::kMissing;
    const std::string text = readText(file, hiveRoot, newArch);
    file.document = parseWineRegistry(text, file.path.string());
    file.textHash = std::hash<std::string>{}(text);
    RegKey& root = hive(hiveRoot);
    loadHive(file.document, root);
    file.saved = cloneTree(root);
}

std::string WineFileStore::refresh() {
    const WineArch userArch = system_->document.arch == "win64" ? WineArch::Win64 : WineArch::Win32;
    const std::pair<HiveFile*, Handle> files[] = {{system_.get(), kLocalMachine},
                                                  {user_.get(), kCurrentUser}};
    for (const auto& [file, hiveRoot] : files) {
        files::removeLeftoverSiblings(io_, file->path);
        const bool onDisk = io_.kind(file->path) != files::FileKind::kMissing;
        // A file this store never saw stays a new one: nobody has written it.
        if (!onDisk && !file->onDisk) continue;
        try {
            const std::string text = readText(*file, hiveRoot, userArch);
            const std::size_t hash = std::hash<std::string>{}(text);
            if (onDisk == file->onDisk && hash == file->textHash) continue;
            WineRegDocument document = parseWineRegistry(text, file->path.string());
            RegKey fresh(hive(hiveRoot).name());
            loadHive(document, fresh);
            hive(hiveRoot) = std::move(*cloneTree(fresh));
            file->saved = cloneTree(fresh);
            file->document = std::move(document);
            file->textHash = hash;
            file->onDisk = onDisk;
        } catch (const WineRegistryError& error) {
            return error.what();
        }
    }
    return {};
}

const std::string& WineFileStore::systemArch() const {
    return system_->document.arch;
}

WineFileStore::HiveFile* WineFileStore::fileOf(Handle hiveRoot) const {
    if (hiveRoot == kLocalMachine) return system_.get();
    if (hiveRoot == kCurrentUser) return user_.get();
    return nullptr;
}

std::string WineFileStore::renderedHive(Handle hiveRoot) const {
    HiveFile* file = fileOf(hiveRoot);
    if (!file) return {};
    auto& self = const_cast<WineFileStore&>(*this);
    return renderHive(file->document, self.hive(hiveRoot), *file->saved, nowSeconds());
}

Status WineFileStore::changed(Handle hiveRoot) {
    HiveFile* file = fileOf(hiveRoot);
    if (!file) return kSuccess;  // HKEY_USERS lives in memory only
    RegKey& current = hive(hiveRoot);
    const std::string text = renderHive(file->document, current, *file->saved, nowSeconds());
    std::string error;
    WineRegDocument written;
    try {
        // Read back what is about to be written: a save never writes a file it could not load.
        written = parseWineRegistry(text, file->path.string());
        if (guard_) error = guard_();
        if (error.empty()) {
            files::writeFileAtomically(
                io_, file->path,
                std::span(reinterpret_cast<const std::uint8_t*>(text.data()), text.size()));
        }
    } catch (const WineRegistryError& e) {
        error = std::string("the new content would not be readable: ") + e.what();
    } catch (const files::FileIoError& e) {
        error = e.what();
    }
    if (!error.empty()) {
        lastSaveError_ = error;
        current = std::move(*cloneTree(*file->saved));  // undo: memory matches the file
        return kRegistryIoFailed;
    }
    lastSaveError_.clear();
    file->document = std::move(written);
    file->saved = cloneTree(current);
    file->textHash = std::hash<std::string>{}(text);
    file->onDisk = true;
    return kSuccess;
}

}  // namespace quenor::reg::wine
