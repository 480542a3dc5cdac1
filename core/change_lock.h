#pragma once

#include <memory>
#include <string>

#include "core/tool.h"
#include "lib/files/file_io.h"

namespace quenor {

// One change of an installation at a time, however many Quenors (windows, quenorctl, a
// launcher's pre-launch command, other accounts) meet on it. While the object lives, the
// process holds the operating system's lock of the installation (FileSystem::changeLockFile),
// then that of the scratch folder the change extracts entries into, always in that order, and
// what the run read of the registry before has been read again where another process saved it
// since. The system drops both locks when a process dies, so a killed Quenor blocks nobody.
//
// While the lock is held, the registry store keeps the values written in memory (holdSaves):
// saveRegistry() saves them, each registry file once, when the change has written them all.
// A change that fails before it gets there still has what it wrote saved, as it logged it,
// when the lock is let go.
//
// Taking them waits up to services.changeLockWait, saying so once through the boxes' note; then
// a box asks whether to wait again (Retry) or give up (Cancel), with neither lock held while it
// waits for the answer. Giving up throws ChangeRefused: nothing was changed. A lock file that
// cannot be used (a link, a folder, no permission) throws ToolError naming it.
class ChangeLock {
  public:
    // A change of the installation whose archive is at `archivePath` (a tool path; empty before
    // start-up has read it), extracting into `scratchFolder` (a tool path; empty: none).
    ChangeLock(PlatformServices& services, const std::string& archivePath,
               const std::string& scratchFolder);
    // The tool's change: its archive and its temporary folder.
    explicit ChangeLock(Tool& tool);
    ~ChangeLock();
    ChangeLock(const ChangeLock&) = delete;
    ChangeLock& operator=(const ChangeLock&) = delete;

    // Saves the registry values written under the lock. Throws ToolError naming the file, the
    // cause and the values not saved when a file could not be saved (those are undone).
    void saveRegistry();

  private:
    // Both locks, or neither: the installation's is let go when the folder's is taken.
    bool tryBoth();
    [[noreturn]] void refuse() const;

    PlatformServices& services_;
    std::filesystem::path installationFile_;
    std::string scratchFolder_;
    std::filesystem::path scratchFile_;
    std::unique_ptr<files::FileLock> installation_;
    std::unique_ptr<files::FileLock> scratch_;
    bool scratchBusy_ = false;
    bool holdingSaves_ = false;
    // Where a registry file that could not be saved is noted (the tool's change; none for a
    // lock taken without a tool).
    ChangeReport* report_ = nullptr;
};

}  // namespace quenor
