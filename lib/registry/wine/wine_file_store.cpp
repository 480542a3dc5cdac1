#include "lib/registry/wine/wine_file_store.h"

#include <algorithm>
#include <chrono>

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

std::span<const std::uint8_t> bytesOf(const std::string& text) {
    return {reinterpret_cast<const std::uint8_t*>(text.data()), text.size()};
}

}  // namespace

// What the store last read or wrote of a file: the disk must hold it still for a save.
files::ReadBefore WineFileStore::readBefore(const HiveFile& file) {
    return {!file.onDisk, bytesOf(file.hive->text())};
}

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
    const files::FileKind kind = io_.kind(file.path);
    if (kind == files::FileKind::kMissing) return newFileText(hiveRoot, newArch);
    if (kind != files::FileKind::kRegularFile) {
        throw WineRegistryError(file.path.string(), 0, "it is not a regular file");
    }
    try {
        return files::readWholeText(io_, file.path, kMaxRegistryFileSize);
    } catch (const files::FileIoError& error) {
        throw WineRegistryError(file.path.string(), 0, "cannot read it: " + error.reason());
    }
}

void WineFileStore::load(HiveFile& file, Handle hiveRoot, WineArch newArch) {
    file.onDisk = io_.kind(file.path) != files::FileKind::kMissing;
    auto hive = std::make_unique<WineHive>(readText(file, hiveRoot, newArch), file.path.string());
    hive->loadOnDemandInto(this->hive(hiveRoot));
    file.hive = std::move(hive);
    file.unsaved = false;
}

std::optional<quenor::Failure> WineFileStore::refresh() {
    const WineArch userArch = systemArch() == "win64" ? WineArch::Win64 : WineArch::Win32;
    const std::pair<HiveFile*, Handle> files[] = {{system_.get(), kLocalMachine},
                                                  {user_.get(), kCurrentUser}};
    for (const auto& [file, hiveRoot] : files) {
        files::removeLeftoverSiblings(io_, file->path);
        try {
            if (files::unchangedSince(io_, file->path, readBefore(*file))) continue;
            // A file this store never saw stays a new one: nobody has written it.
            if (!file->onDisk && !io_.exists(file->path)) continue;
            load(*file, hiveRoot, userArch);
        } catch (const WineRegistryError& error) {
            return quenor::Failure{
                quenor::Failure::Kind::kUnreadable, file->path, error.what(), {}};
        } catch (const files::FileIoError& error) {
            return quenor::Failure{quenor::Failure::Kind::kIo, file->path, error.what(), {}};
        }
    }
    return std::nullopt;
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

std::optional<quenor::Failure> WineFileStore::save(HiveFile& file, Handle hiveRoot) {
    using quenor::Failure;
    RegKey& current = hive(hiveRoot);
    std::optional<Failure> failure;
    try {
        // Read back what is about to be written: a save never writes a file it could not load.
        // The lines copied from the file as it was read are known to read; what is written anew
        // is read here, and the file's index carries over to the new text.
        HiveIndex::Layout layout;
        std::string rendered = file.hive->render(current, nowSeconds(), &layout);
        // Values written as the file already holds them change nothing: the file is not written
        // again while the disk still holds what the store read (then the values are on it).
        if (rendered == file.hive->text() &&
            files::unchangedSince(io_, file.path, readBefore(file))) {
            file.unsaved = false;
            return std::nullopt;
        }
        auto written = std::make_unique<WineHive>(std::move(rendered), *file.hive, layout);
        if (guard_) failure = guard_();
        if (!failure)
            failure = files::replaceFileIfUnchanged(io_, file.path, bytesOf(written->text()),
                                                    readBefore(file));
        if (!failure) {
            written->loadOnDemandInto(current);
            file.hive = std::move(written);
            file.onDisk = true;
            file.unsaved = false;
            return std::nullopt;
        }
    } catch (const WineRegistryError& e) {
        failure = Failure{Failure::Kind::kUnreadable,
                          file.path,
                          std::string("the new content would not be readable: ") + e.what(),
                          {}};
    } catch (const files::FileIoError& e) {
        failure = Failure{Failure::Kind::kIo, file.path, e.what(), {}};
    }
    file.hive->rebuildIndexIfTaken();  // the new text's index had taken it over
    failure->file = file.path;
    failure->cause = "Saving " + file.path.string() + " failed: " + sentence(failure->cause);
    failure->notSaved = file.hive->changes(current, hiveName(hiveRoot));
    file.hive->loadOnDemandInto(current);  // undo: memory matches the file
    file.unsaved = false;
    return failure;
}

Status WineFileStore::changed(Handle hiveRoot) {
    if (HiveFile* file = fileOf(hiveRoot)) file->unsaved = true;  // HKEY_USERS: memory only
    return kSuccess;
}

std::vector<quenor::Failure> WineFileStore::commit() {
    std::vector<quenor::Failure> failures;
    const std::pair<HiveFile*, Handle> files[] = {{system_.get(), kLocalMachine},
                                                  {user_.get(), kCurrentUser}};
    for (const auto& [file, hiveRoot] : files) {
        if (!file->unsaved) continue;
        if (auto failure = save(*file, hiveRoot)) failures.push_back(std::move(*failure));
    }
    return failures;
}

}  // namespace quenor::reg::wine
