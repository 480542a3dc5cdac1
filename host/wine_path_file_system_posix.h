#pragma once

#include <filesystem>
#include <optional>
#include <string>

#include "core/platform/host_file_system.h"

namespace quenor::host {

// The host path of a tool path, or why there is none.
struct MappedPath {
    std::filesystem::path host;
    std::string error;  // empty when mapped
};

// Maps a tool path to a host path.
// - A Windows path with a drive ("C:\Games\NHL 09\preload\fmisc.viv", "\" or "/" between
//   names) goes through the prefix's link dosdevices/<letter>: and is resolved name by name
//   as Wine does: the exact name first, else a name that differs only in letter case (the
//   first in sorted order when several do). Names that do not exist yet are kept as given.
//   Its text is in the tool's 8-bit code page (Windows-1252); host names are UTF-8.
// - Any other path is a host path; "\" in it is read as "/".
// Refused: a drive path without a prefix or whose drive has no link, a drive-relative
// path ("C:x"), a UNC or root-relative path ("\\server\x", "\x"), "." or ".." names, names
// with characters Windows does not allow (control characters, < > : " | ? *).
MappedPath mapToolPath(files::FileIo& io, const std::optional<std::filesystem::path>& prefix,
                       const std::string& path);

// The file system of a run in a Wine prefix: tool paths are mapped by mapToolPath, then used
// as host paths. A path that cannot be mapped fails, at the step that uses it, with a
// ToolError naming the Windows path and the prefix; the errors of file steps name the
// Windows path with the host path it reached.
class WinePathFileSystem : public FileSystem {
  public:
    // `changeLockFolder` holds the lock file of every change: the prefix itself (so that two
    // accounts or two homes on one prefix meet there), or the tool's own registry folder.
    WinePathFileSystem(std::string programName, std::optional<std::filesystem::path> prefix,
                       std::filesystem::path changeLockFolder, files::FileIo& io);

    bool isRegularFile(const std::string& path) const override;
    void appendToFile(const std::string& path, std::string_view bytes) override;
    std::string readFile(const std::string& path, std::size_t maxBytes) const override;
    void writeFile(const std::string& path, std::string_view bytes) override;
    void copyFile(const std::string& from, const std::string& to) override;
    void removeFile(const std::string& path) override;
    // Drive paths ("C:/Games/NHL 09") mapped as mapToolPath maps them; other paths as they are.
    files::MappedFileIo& io() const override { return prefixIo_; }
    // The tool path with "/" between names, once mapToolPath could map it.
    std::filesystem::path pathOf(const std::string& path) const override;
    char separator() const override { return '/'; }
    // In a Wine prefix the game's folder is a Windows path, as the game reads it.
    bool takesHostGameFolders() const override { return !prefix_; }
    std::filesystem::path changeLockFile(const std::string&) const override {
        return changeLockFolder_ / ".quenor-change.lock";
    }

  private:
    class PrefixFileIo : public files::MappedFileIo {
      public:
        PrefixFileIo(files::FileIo& io, const WinePathFileSystem& files)
            : MappedFileIo(io), files_(files) {}
        std::filesystem::path hostPathOf(const std::filesystem::path& path) override;

      private:
        const WinePathFileSystem& files_;
    };

    // The host path text; throws ToolError when the path cannot be mapped.
    std::string mapped(const std::string& path) const;
    // Why a path cannot be mapped, for a person.
    std::string unreachable(const std::string& path, const std::string& why) const;
    // Runs a step of the host file system; its error names the tool paths too.
    template <typename Step>
    auto naming(const std::string& path, const std::string& other, Step step) const;

    std::string programName_;
    std::optional<std::filesystem::path> prefix_;
    std::filesystem::path changeLockFolder_;
    HostFileSystem host_;
    mutable PrefixFileIo prefixIo_;
};

}  // namespace quenor::host
