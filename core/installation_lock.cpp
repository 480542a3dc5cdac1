#include "core/installation_lock.h"

#include <thread>

#include "core/tool_error.h"
#include "lib/files/file_error.h"

namespace quenor {

namespace {

constexpr std::chrono::milliseconds kPollInterval{50};
constexpr const char* kScratchLockName = ".quenor-temp.lock";

std::string seconds(std::chrono::milliseconds wait) {
    const long long whole = (wait.count() + 999) / 1000;
    return std::to_string(whole) + (whole == 1 ? " second" : " seconds");
}

}  // namespace

InstallationLock::InstallationLock(Tool& tool)
    : InstallationLock(tool.services, tool.settings.strFMISCpath, tool.settings.strTempFolder) {}

InstallationLock::InstallationLock(PlatformServices& services, const std::string& archivePath,
                                   const std::string& scratchFolder)
    : services_(services), scratchFolder_(scratchFolder) {
    FileSystem& files = services.files;
    try {
        installationFile_ = files.changeLockFile(archivePath);
        if (!scratchFolder.empty()) scratchFile_ = files.pathOf(scratchFolder) / kScratchLockName;
        bool noted = false;
        for (;;) {
            const auto deadline = std::chrono::steady_clock::now() + services.changeLockWait;
            while (!tryBoth()) {
                if (!noted) {
                    services.messageBoxes.note(whoHoldsIt() + "; waiting up to " +
                                               seconds(services.changeLockWait) +
                                               " for it to finish...");
                    noted = true;
                }
                if (std::chrono::steady_clock::now() >= deadline) break;
                std::this_thread::sleep_for(kPollInterval);
            }
            if (installation_) break;
            const MessageAnswer answer = services.messageBoxes.show(MessageBoxRequest{
                "NHL 09 is being changed",
                whoHoldsIt() +
                    " right now (a Quenor window, quenorctl, or a launcher that runs it).\r\rRetry "
                    "once it has finished, or Cancel: nothing will be changed.",
                MessageButtons::RetryCancel, MessageIcon::Exclamation, 0});
            if (answer != MessageAnswer::Retry) refuse();
        }
    } catch (const files::FileIoError& error) {
        throw ToolError(error_number::kPathAccess, services.programName,
                        std::string("Quenor could not take the lock that keeps two changes of "
                                    "the game apart. ") +
                            error.what() + " Nothing was changed.");
    }
}

InstallationLock::~InstallationLock() {
    scratch_.reset();  // the reverse order of taking them
    installation_.reset();
}

bool InstallationLock::tryBoth() {
    files::FileIo& io = services_.files.io();
    installation_ = io.tryLock(installationFile_);
    scratchBusy_ = false;
    if (!installation_ || scratchFile_.empty()) return installation_ != nullptr;
    scratch_ = io.tryLock(scratchFile_);
    if (scratch_) return true;
    scratchBusy_ = true;
    installation_.reset();
    return false;
}

std::string InstallationLock::whoHoldsIt() const {
    return scratchBusy_ ? "Another Quenor is using the temporary folder " + scratchFolder_
                        : "Another Quenor is changing this installation of NHL 09";
}

void InstallationLock::refuse() const {
    throw ChangeRefused(
        error_number::kInUse, services_.programName,
        std::string("Another Quenor was ") +
            (scratchBusy_ ? "using the temporary folder " + scratchFolder_
                          : "changing this installation of NHL 09 (its lock file is " +
                                installationFile_.string() + ")") +
            ", and Quenor did not wait longer. Nothing was changed; try again once it has "
            "finished.");
}

}  // namespace quenor
