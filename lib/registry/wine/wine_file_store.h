#pragma once

#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "lib/files/file_io.h"
#include "lib/registry/registry_transaction.h"
#include "lib/registry/tree_store.h"
#include "lib/registry/wine/wine_hive.h"

namespace quenor::reg::wine {

// The processor architecture a new system.reg is marked with ("#arch=").
enum class WineArch { Win32, Win64 };

// A registry store over the registry files of a Wine prefix folder:
//   system.reg  HKEY_LOCAL_MACHINE (HKEY_CLASSES_ROOT is its Software\Classes)
//   user.reg    HKEY_CURRENT_USER
// HKEY_USERS is not backed by a file: it lives in memory only and is lost at the end.
//
// Texts of the 8-bit API are Windows-1252 (see wine_text.h). A file is read once, checked
// whole and indexed; a key's values are read from its text when the key is first reached, so a
// file of many megabytes takes little more memory than its text. Changes stay in memory until
// commit(), which saves each changed file once, atomically, leaving every line it did not
// change as it was. A file whose values were only written as it holds them already is not
// written again. A save that fails undoes the changes in memory too (memory matches the file),
// leaves the file as it was, and is reported with the values not saved.
//
// A file that another program changed since the store read or wrote it is never written over:
// the save is refused (refresh() reads such a file again).
class WineFileStore : public TreeStore, public RegistryTransaction {
  public:
    // Asked before every save; a failure refuses the save, which then fails as any failed save
    // does: nothing written, nothing changed.
    using SaveGuard = std::function<std::optional<quenor::Failure>()>;

    // Loads system.reg and user.reg from the folder through `io`; a missing file is an empty
    // hive that the first save creates. Throws WineRegistryError for a file that cannot be
    // read or parsed (naming the file, the line and the defect); such a file is never
    // written.
    WineFileStore(std::filesystem::path prefixFolder, WineArch newSystemArch, files::FileIo& io);
    ~WineFileStore() override;

    const std::filesystem::path& folder() const { return folder_; }
    // The architecture system.reg names in its "#arch=" line ("win32", "win64"), or empty.
    const std::string& systemArch() const;
    // The file text the hive would be saved as now (for checks and tests).
    std::string renderedHive(Handle hiveRoot);

    void setSaveGuard(SaveGuard guard) { guard_ = std::move(guard); }

    // Loads again each file whose bytes differ from what the store last read or wrote; a file
    // that cannot be read or parsed now leaves the store as it was (kIo, kUnreadable).
    // Called by a process that alone may write the files now, it also removes the temporary
    // files of saves that were killed.
    std::optional<quenor::Failure> refresh() override;
    std::vector<quenor::Failure> commit() override;

  protected:
    Status changed(Handle hiveRoot) override;

  private:
    struct HiveFile;
    HiveFile* fileOf(Handle hiveRoot) const;
    void load(HiveFile& file, Handle hiveRoot, WineArch newSystemArch);
    // The file's text as the disk holds it, or that of a new file when it is missing.
    std::string readText(const HiveFile& file, Handle hiveRoot, WineArch newArch) const;
    static files::ReadBefore readBefore(const HiveFile& file);
    // Saves the hive's changes; the failure when it could not (the changes are then undone).
    std::optional<quenor::Failure> save(HiveFile& file, Handle hiveRoot);

    std::filesystem::path folder_;
    files::FileIo& io_;
    SaveGuard guard_;
    std::unique_ptr<HiveFile> system_;
    std::unique_ptr<HiveFile> user_;
};

}  // namespace quenor::reg::wine
