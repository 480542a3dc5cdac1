#pragma once

#include <filesystem>
#include <optional>
#include <stdexcept>
#include <string>

#include "lib/files/file_io.h"
#include "tool/originals/originals_record.h"

namespace quenor::originals {

// A failure to keep, read or put back originals, in words for the player.
class OriginalsError : public std::runtime_error {
  public:
    using std::runtime_error::runtime_error;
};

// The originals folder of one installation: below the platform's folder of originals (one per
// Wine prefix, or the machine), a folder named after the archive's path. It holds
//   fmisc.viv  the archive as it was
//   originals  the record of what was kept (OriginalsRecord), written last
//   written    what the archive held after the tool's last change (WrittenRecord)
// Every file is replaced atomically and read back after it was written.
class KeptOriginals {
  public:
    // The set named after `archiveKey` (the archive's identity, or its tool path as earlier
    // versions named sets) below the platform's folder of originals.
    KeptOriginals(files::FileIo& io, const std::filesystem::path& platformFolder,
                  const std::string& archiveKey);
    // The set in `setFolder`.
    KeptOriginals(files::FileIo& io, std::filesystem::path setFolder)
        : io_(&io), folder_(std::move(setFolder)) {}

    const std::filesystem::path& folder() const { return folder_; }
    std::filesystem::path archiveCopy() const { return folder_ / "fmisc.viv"; }
    files::FileIo& io() const { return *io_; }

    // The record, or nothing when no originals are kept. Throws OriginalsError when it
    // cannot be read.
    std::optional<OriginalsRecord> record() const;
    void saveRecord(const OriginalsRecord& record);

    // The record of the last change, or nothing when none was noted. Throws OriginalsError
    // when it cannot be read.
    std::optional<WrittenRecord> written() const;
    void saveWritten(const WrittenRecord& record);

    // Drops everything kept; the next change takes new originals.
    void forget();
    // Makes the set's folder where it is missing; OriginalsError when it cannot be made.
    void makeFolder();
    // Removes what writers killed while replacing the folder's files left (see
    // files::removeLeftoverSiblings); for a caller that holds the change lock.
    void removeLeftovers();
    // Whether a record of originals lies in the folder.
    bool holdsRecord() const { return io_->kind(recordFile()) != files::FileKind::kMissing; }

  private:
    std::filesystem::path recordFile() const { return folder_ / "originals"; }
    std::filesystem::path writtenFile() const { return folder_ / "written"; }
    void saveText(const std::filesystem::path& file, const std::string& text);

    files::FileIo* io_;
    std::filesystem::path folder_;
};

// The folder name of an installation's originals: the archive's identity (its real path on this
// machine, letter case and all: two folders may differ only in it), reduced to a digest.
std::string installationFolderName(const std::string& archiveKey);
// The name an earlier version gave the set of the archive at a tool path: the path's text
// without regard to letter case.
std::string earlierInstallationFolderName(const std::string& archiveToolPath);
// Whether a folder name is one installationFolderName() gives.
bool isInstallationFolderName(const std::string& name);

}  // namespace quenor::originals
