#pragma once

#include <optional>
#include <string>
#include <vector>

// Windows lets a 32-bit program without a manifest (NHL 09) believe it writes into protected
// folders such as Program Files: the write lands in the user's VirtualStore
// (%LOCALAPPDATA%\VirtualStore\Program Files (x86)\...), and from then on the program reads
// that copy. quenor.exe is a 64-bit program and is never redirected, so it makes the same
// choice itself, here; the file layer behind the FileAccess seam is Windows' own in the
// program and a fake in the tests.
namespace quenor::host {

struct VirtualStoreFolders {
    // The folders Windows protects and redirects, as Windows paths ("C:\Program Files").
    std::vector<std::string> protectedFolders;
    std::string virtualStore;  // %LOCALAPPDATA%\VirtualStore
};

// The VirtualStore copy of a file in a protected folder: the VirtualStore followed by the
// path without its drive ("C:\Program Files\X\y" gives "...\VirtualStore\Program Files\X\y");
// nothing for a file elsewhere. Folders match without regard to letter case.
std::optional<std::string> virtualStoreCopyOf(const std::string& path,
                                              const VirtualStoreFolders& folders);

class FileAccess {
  public:
    virtual ~FileAccess() = default;
    virtual bool exists(const std::string& path) = 0;
    // Whether this program may write the existing file.
    virtual bool canWrite(const std::string& path) = 0;
    // Copies a file, making the folders of `to`; returns the reason on failure, else "".
    virtual std::string copyMakingFolders(const std::string& from, const std::string& to) = 0;
};

// Whether a VirtualStore copy may be made: when the tool is about to change the file, or
// never, when it only looks.
enum class VirtualStoreCopies { MakeWhenNeeded, Never };

// The file the game reads, and so the one to patch, for its file `path`: the VirtualStore copy
// when there is one; else the file itself when it can be written (or when copies are never
// made); else a VirtualStore copy made now, as Windows makes it for the game's first write.
// `error` says why none can be written, naming both folders.
struct FileToPatch {
    std::string path;
    std::string error;
};
FileToPatch fileTheGameReads(const std::string& path, const VirtualStoreFolders& folders,
                             FileAccess& access,
                             VirtualStoreCopies copies = VirtualStoreCopies::MakeWhenNeeded);

}  // namespace quenor::host
