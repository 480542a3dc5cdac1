#pragma once

#include <filesystem>
#include <memory>
#include <string>

#include "core/tool.h"
#include "lib/files/file_io.h"

namespace quenor {

// One change of an installation at a time, however many Quenors (windows, quenorctl, a
// launcher's pre-launch command, other accounts) meet on it. While the object lives, the
// process holds the operating system's lock of the installation (FileSystem::changeLockFile),
// then that of the scratch folder the change extracts entries into, always in that order. The
// system drops both locks when a process dies, so a killed Quenor blocks nobody.
//
// Taking them waits up to services.changeLockWait, saying so once through the boxes' note; then
// a box asks whether to wait again (Retry) or give up (Cancel), with neither lock held while it
// waits for the answer. Giving up throws ChangeRefused: nothing was changed. A lock file that
// cannot be used (a link, a folder, no permission) throws ToolError naming it.
class InstallationLock {
  public:
    // A change of the installation whose archive is at `archivePath` (a tool path; empty before
    // start-up has read it), extracting into `scratchFolder` (a tool path; empty: none).
    InstallationLock(PlatformServices& services, const std::string& archivePath,
                     const std::string& scratchFolder);
    // The tool's change: its archive and its temporary folder.
    explicit InstallationLock(Tool& tool);
    ~InstallationLock();
    InstallationLock(const InstallationLock&) = delete;
    InstallationLock& operator=(const InstallationLock&) = delete;

  private:
    // Both locks, or neither: the installation's is let go when the folder's is taken.
    bool tryBoth();
    // What holds the installation up: "Another Quenor is changing this installation of NHL 09",
    // or the same of the temporary folder.
    std::string whoHoldsIt() const;
    [[noreturn]] void refuse() const;

    PlatformServices& services_;
    std::filesystem::path installationFile_;
    std::string scratchFolder_;
    std::filesystem::path scratchFile_;
    std::unique_ptr<files::FileLock> installation_;
    std::unique_ptr<files::FileLock> scratch_;
    bool scratchBusy_ = false;
};

}  // namespace quenor
