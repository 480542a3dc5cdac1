#include "lib/registry/wine/wine_file_store.h"

#include <chrono>

#include "lib/registry/wine/wine_hive_sync.h"

namespace quenor::reg::wine {

struct WineFileStore::HiveFile {
    std::filesystem::path path;
    WineRegDocument document;       // what the file on disk holds
    std::unique_ptr<RegKey> saved;  // the tree the file on disk holds
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

void WineFileStore::load(HiveFile& file, Handle hiveRoot, WineArch newArch) {
    const std::string name = file.path.string();
    std::string text;
    const files::FileKind kind = io_.kind(file.path);
    if (kind == files::FileKind::kMissing) {
        text = newFileText(hiveRoot, newArch);
    } else if (kind != files::FileKind::kRegularFile) {
        throw WineRegistryError(name, 0, "it is not a regular file");
    } else {
        try {
            const std::vector<std::uint8_t> bytes =
                files::readWholeFile(io_, file.path, kMaxRegistryFileSize);
            text.assign(bytes.begin(), bytes.end());
        } catch (const files::FileIoError& error) {
            throw WineRegistryError(name, 0, "cannot read it: " + error.reason());
        }
    }
    file.document = parseWineRegistry(text, name);
    RegKey& root = hive(hiveRoot);
    loadHive(file.document, root);
    file.saved = cloneTree(root);
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
    return kSuccess;
}

}  // namespace quenor::reg::wine
