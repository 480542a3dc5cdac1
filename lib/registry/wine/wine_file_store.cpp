#include "lib/registry/wine/wine_file_store.h"

#include <algorithm>
#include <chrono>
#include <cstring>

namespace quenor::reg::wine {

struct WineFileStore::HiveFile {
    std::filesystem::path path;
    std::unique_ptr<WineHive> hive;  // the text on disk, as last read or written
    bool onDisk = false;             // the file existed when last read, or was written since
    bool unsaved = false;            // changed in memory since (while saves are held)
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
    } else {
        text += ";; All keys relative to REGISTRY\\\\User\\\\S-1-5-21-0-0-0-1000\n\n";
    }
    text += arch == WineArch::Win64 ? "#arch=win64\n" : "#arch=win32\n";
    return text;
}

const char* hiveName(Handle hiveRoot) {
    return hiveRoot == kLocalMachine ? "HKEY_LOCAL_MACHINE" : "HKEY_CURRENT_USER";
}

std::string sentence(std::string text) {
    if (!text.empty() && text.back() != '.') text += '.';
    return text;
}

constexpr std::size_t kComparePiece = std::size_t{1} << 20;

// Thrown from a save's last look at the disk: another program saved the file since the store
// read it.
struct ChangedOnDisk {};

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
    load(*user_, kCurrentUser, systemArch() == "win64" ? WineArch::Win64 : WineArch::Win32);
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
        const auto handle = io_.open(file.path, files::OpenMode::kRead);
        const std::uint64_t size = handle->size();
        if (size > kMaxRegistryFileSize) {
            throw WineRegistryError(
                name, 0,
                "the file has " + std::to_string(size) + " bytes, more than the " +
                    std::to_string(kMaxRegistryFileSize) + " this tool accepts");
        }
        // Read straight into the text: a file of many megabytes is held once, not twice.
        std::string text(size, '\0');
        handle->readAt(0, std::span(reinterpret_cast<std::uint8_t*>(text.data()), text.size()));
        return text;
    } catch (const files::FileIoError& error) {
        throw WineRegistryError(name, 0, "cannot read it: " + error.reason());
    }
}

void WineFileStore::load(HiveFile& file, Handle hiveRoot, WineArch newArch) {
    file.onDisk = io_.kind(file.path) != files::FileKind::kMissing;
    auto hive = std::make_unique<WineHive>(readText(file, hiveRoot, newArch), file.path.string());
    hive->attach(this->hive(hiveRoot));
    file.hive = std::move(hive);
    file.unsaved = false;
}

bool WineFileStore::sameOnDisk(const HiveFile& file) {
    const files::FileKind kind = io_.kind(file.path);
    if (kind == files::FileKind::kMissing) return !file.onDisk;
    if (kind != files::FileKind::kRegularFile || !file.onDisk) return false;
    const std::string& text = file.hive->text();
    const auto handle = io_.open(file.path, files::OpenMode::kRead);
    if (handle->size() != text.size()) return false;
    // Compared piece by piece: nothing of the file's size is held for it.
    std::vector<std::uint8_t> piece(std::min(kComparePiece, text.size()));
    for (std::size_t at = 0; at < text.size(); at += piece.size()) {
        const std::size_t count = std::min(piece.size(), text.size() - at);
        handle->readAt(at, std::span(piece.data(), count));
        if (std::memcmp(piece.data(), text.data() + at, count) != 0) return false;
    }
    return true;
}

std::string WineFileStore::refresh() {
    const WineArch userArch = systemArch() == "win64" ? WineArch::Win64 : WineArch::Win32;
    const std::pair<HiveFile*, Handle> files[] = {{system_.get(), kLocalMachine},
                                                  {user_.get(), kCurrentUser}};
    for (const auto& [file, hiveRoot] : files) {
        files::removeLeftoverSiblings(io_, file->path);
        try {
            if (sameOnDisk(*file)) continue;
            // A file this store never saw stays a new one: nobody has written it.
            if (!file->onDisk && !io_.exists(file->path)) continue;
            load(*file, hiveRoot, userArch);
        } catch (const WineRegistryError& error) {
            return error.what();
        } catch (const files::FileIoError& error) {
            return error.what();
        }
    }
    return {};
}

const std::string& WineFileStore::systemArch() const {
    return system_->hive->facts().arch;
}

WineFileStore::HiveFile* WineFileStore::fileOf(Handle hiveRoot) const {
    if (hiveRoot == kLocalMachine) return system_.get();
    if (hiveRoot == kCurrentUser) return user_.get();
    return nullptr;
}

std::string WineFileStore::renderedHive(Handle hiveRoot) {
    HiveFile* file = fileOf(hiveRoot);
    if (!file) return {};
    return file->hive->render(hive(hiveRoot), nowSeconds());
}

std::string WineFileStore::save(HiveFile& file, Handle hiveRoot, bool nameChanges) {
    RegKey& current = hive(hiveRoot);
    std::string error;
    try {
        // Read back what is about to be written: a save never writes a file it could not load.
        // The lines copied from the file as it was read are known to read; what is written anew
        // is read here, and the file's index carries over to the new text.
        HiveIndex::Layout layout;
        std::string rendered = file.hive->render(current, nowSeconds(), &layout);
        // Values written as the file already holds them change nothing: the file is not written
        // again while the disk still holds what the store read (then the values are on it).
        if (rendered == file.hive->text() && sameOnDisk(file)) {
            file.unsaved = false;
            return {};
        }
        auto written = std::make_unique<WineHive>(std::move(rendered), *file.hive, layout);
        if (guard_) error = guard_();
        if (error.empty()) {
            // The disk is compared with what the store read last, once the new file is written
            // and read back: the later the look, the less time another program's save has to
            // fall between it and the rename.
            const std::string& text = written->text();
            files::writeFileAtomically(
                io_, file.path,
                std::span(reinterpret_cast<const std::uint8_t*>(text.data()), text.size()), 0644,
                [&] {
                    if (!sameOnDisk(file)) throw ChangedOnDisk{};
                });
            written->attach(current);
            file.hive = std::move(written);
            file.onDisk = true;
            file.unsaved = false;
            return {};
        }
    } catch (const ChangedOnDisk&) {
        error = file.path.string() +
                " was changed by another program since Quenor read it, and Quenor did not "
                "write over it; run Quenor again to start from what it holds now.";
    } catch (const WineRegistryError& e) {
        error = std::string("the new content would not be readable: ") + e.what();
    } catch (const files::FileIoError& e) {
        error = e.what();
    }
    file.hive->indexAgain();  // the new text's index had taken it over
    if (nameChanges) {
        std::string list;
        for (const std::string& change : file.hive->changes(current))
            list += (list.empty() ? "" : ", ") + std::string(hiveName(hiveRoot)) + "\\" + change;
        error = "Saving " + file.path.string() + " failed: " + sentence(error) +
                (list.empty() ? "" : " Not saved: " + list + ".");
    }
    file.hive->attach(current);  // undo: memory matches the file
    file.unsaved = false;
    return error;
}

Status WineFileStore::changed(Handle hiveRoot) {
    HiveFile* file = fileOf(hiveRoot);
    if (!file) return kSuccess;  // HKEY_USERS lives in memory only
    file->unsaved = true;
    if (holding_) return kSuccess;
    lastSaveError_ = save(*file, hiveRoot, false);
    return lastSaveError_.empty() ? kSuccess : kRegistryIoFailed;
}

std::string WineFileStore::saveHeld() {
    holding_ = false;
    std::string errors;
    const std::pair<HiveFile*, Handle> files[] = {{system_.get(), kLocalMachine},
                                                  {user_.get(), kCurrentUser}};
    for (const auto& [file, hiveRoot] : files) {
        if (!file->unsaved) continue;
        const std::string error = save(*file, hiveRoot, true);
        if (!error.empty()) errors += (errors.empty() ? "" : " ") + error;
    }
    lastSaveError_ = errors;
    return errors;
}

}  // namespace quenor::reg::wine
