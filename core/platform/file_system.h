#pragma once

#include <cstddef>
#include <filesystem>
#include <string>
#include <string_view>

#include "lib/files/mapped_file_io.h"

namespace quenor {

// The files the tool touches, addressed by the tool's own path texts (which may use "\"
// as separator, as the game's registry values do). Every operation opens and closes what
// it needs; a failure raises ToolError naming the path and the cause.
class FileSystem {
  public:
    virtual ~FileSystem() = default;

    // True when a regular file (not a folder) exists at the path.
    virtual bool isRegularFile(const std::string& path) const = 0;
    // Appends bytes to a file, creating it when missing.
    virtual void appendToFile(const std::string& path, std::string_view bytes) = 0;
    // Reads a whole file; a file larger than maxBytes is refused.
    virtual std::string readFile(const std::string& path, std::size_t maxBytes) const = 0;
    // Creates or truncates a file and writes bytes to it.
    virtual void writeFile(const std::string& path, std::string_view bytes) = 0;
    // Copies a file over another, replacing it.
    virtual void copyFile(const std::string& from, const std::string& to) = 0;
    // Deletes a file.
    virtual void removeFile(const std::string& path) = 0;
    // The file layer for code that works on files itself (the archive library, the kept
    // originals, the locks): it takes a tool path in the form pathOf() gives, and maps it as the
    // operations above do (a Windows path into the Wine prefix, a game's file to the copy
    // Windows redirects it to); a path of this machine's own (an originals folder) it takes as
    // it is. io().hostPathOf() tells where a tool path leads, for a person to read.
    virtual files::MappedFileIo& io() const = 0;
    // A tool path in the form io() takes. Throws ToolError for a path that can never be reached
    // (one the operations above refuse too).
    virtual std::filesystem::path pathOf(const std::string& path) const = 0;
    // `text` (an error of code that was given pathOf(path)) naming the file it reached on this
    // machine in place of that form of the path: the names a person finds the file by.
    std::string namingHostFile(const std::string& path, std::string text) const;
    // The separator the tool puts between a folder and a name.
    virtual char separator() const = 0;

    // Why "Install Dir" names no folder the tool can use, in a clause ("it is not a full
    // path"); empty when it does. Every command reads it this way: a full path on a drive
    // ("C:\Games\NHL 09\", "Z:/..."), or, where the tool takes host paths for the game (its
    // own registry files, without Wine), a path from this machine's root. A relative path is
    // never read against the current folder.
    std::string whyNotAGameFolder(const std::string& folder) const;
    // The part of it that is about the form of the path.
    std::string whyNotAFullPath(const std::string& folder) const;
    // Whether the game's folder may be a host path ("/home/..."): only without a Wine prefix.
    virtual bool takesHostGameFolders() const { return true; }

    // The lock file that keeps apart the changes of the installation whose archive is at
    // `archivePath` (empty while start-up has not read it yet): every process that may change
    // that installation, from any account, reaches the same file through it.
    virtual std::filesystem::path changeLockFile(const std::string& archivePath) const = 0;
    // The path that names a file however it was reached (links, drive mappings, "..", letter
    // case where the system ignores it), for keys that must not tell two ways to one file
    // apart: by default the real path on this machine of where io() takes the path. A path that
    // leads nowhere names itself.
    virtual std::string identityPath(const std::string& path) const;

    std::string join(const std::string& folder, std::string_view name) const {
        return folder + separator() + std::string(name);
    }
};

}  // namespace quenor
