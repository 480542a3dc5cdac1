#pragma once

#include <cstdint>
#include <string>

#include "core/platform/file_system.h"
#include "lib/files/mapped_file_io.h"

namespace quenor {

// The files of the machine the tool runs on, through the file layer (the real file system,
// or a test's wrapper over it). On a host whose separator is "/", a "\" in a tool path is
// read as a separator too, so the Windows form of a path that the game's registry holds names
// the same file.
class HostFileSystem : public FileSystem {
  public:
    // Every change of every installation reached through this file system takes the one lock
    // file in `changeLockFolder` (the system's temporary folder when none is given).
    HostFileSystem(std::string programName, files::FileIo& io,
                   std::filesystem::path changeLockFolder = {});

    bool isRegularFile(const std::string& path) const override;
    void appendToFile(const std::string& path, std::string_view bytes) override;
    std::string readFile(const std::string& path, std::size_t maxBytes) const override;
    void writeFile(const std::string& path, std::string_view bytes) override;
    void copyFile(const std::string& from, const std::string& to) override;
    void removeFile(const std::string& path) override;
    // Tool paths are host paths; on a host whose separator is "/", "\" is read as one too.
    files::MappedFileIo& io() const override { return unmapped_; }
    std::filesystem::path pathOf(const std::string& path) const override;
    char separator() const override;
    std::filesystem::path changeLockFile(const std::string& archivePath) const override;

  private:
    // The path io() takes for a tool path; throws ToolError when io() cannot map it.
    std::filesystem::path reach(const std::string& path) const;
    [[noreturn]] void fail(std::int32_t number, const std::string& what) const;
    std::string programName_;
    mutable files::UnmappedFileIo unmapped_;
    std::filesystem::path changeLockFolder_;
};

}  // namespace quenor
