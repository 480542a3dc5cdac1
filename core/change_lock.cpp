#include "core/change_lock.h"

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

ChangeLock::ChangeLock(Tool& tool)
    : ChangeLock(tool.services, tool.settings.strFMISCpath, tool.settings.strTempFolder) {
    report_ = &tool.changeReport;
}

ChangeLock::ChangeLock(PlatformServices& services, const std::string& archivePath,
                       const std::string& scratchFolder)
    : services_(services), scratchFolder_(scratchFolder) {
    FileSystem& files = services.files;
    try {
        installationFile_ = files.changeLockFile(archivePath);
        if (!scratchFolder.empty()) scratchFile_ = files.hostPath(scratchFolder) / kScratchLockName;
        bool noted = false;
        for (;;) {
            const auto deadline = std::chrono::steady_clock::now() + services.changeLockWait;
            while (!tryBoth()) {
                if (!noted) {
                    services.messageBoxes.note(
                        std::string(scratchBusy_ ? "Another Quenor is using the temporary folder "
                                                 : "Another Quenor is changing this "
                                                   "installation of NHL 09") +
                        (scratchBusy_ ? scratchFolder_ : std::string()) + "; waiting up to " +
                        seconds(services.changeLockWait) + " for it to finish...");
                    noted = true;
                }
                if (std::chrono::steady_clock::now() >= deadline) break;
                std::this_thread::sleep_for(kPollInterval);
            }
            if (installation_) break;
            const MessageAnswer answer = services.messageBoxes.show(MessageBoxRequest{
                "NHL 09 is being changed",
                (scratchBusy_ ? "Another Quenor is using the temporary folder " + scratchFolder_ +
                                    " right now"
                              : "Another Quenor is changing this installation of "
                                "NHL 09 right now") +
                    " (a Quenor window, quenorctl, or a launcher that runs it).\r\rRetry once "
                    "it has finished, or Cancel: nothing will be changed.",
                MessageButtons::RetryCancel, MessageIcon::Exclamation, 0});
            if (answer != MessageAnswer::Retry) refuse();
        }
    } catch (const files::FileIoError& error) {
        throw ToolError(error_number::kPathAccess, services.programName,
                        std::string("Quenor could not take the lock that keeps two changes of "
                                    "the game apart. ") +
                            error.what() + " Nothing was changed.");
    }
    // What this run read before may be older than what the last holder saved.
    if (const std::string why = services.registry.refresh(); !why.empty()) {
        installation_.reset();
        scratch_.reset();
        throw ToolError(error_number::kBadFileFormat, services.programName,
                        "The registry was changed by another program and cannot be read again: " +
                            why + ". Nothing was changed.");
    }
    services.registry.holdSaves();
    holdingSaves_ = true;
}

ChangeLock::~ChangeLock() {
    if (holdingSaves_) {
        // A step failed before the change saved its values: what the steps before it wrote is
        // saved all the same (its log lines say it was written); the failure is reported already.
        try {
            if (const std::string why = services_.registry.saveHeld(); !why.empty()) {
                if (report_) report_->notWritten.push_back(why);
                services_.messageBoxes.note(
                    "The registry values written before the failure were not saved either: " + why);
            }
        } catch (...) {
            // The failure that ends the change is already on its way to the player.
        }
    }
    scratch_.reset();  // the reverse order of taking them
    installation_.reset();
}

void ChangeLock::saveRegistry() {
    holdingSaves_ = false;
    if (const std::string why = services_.registry.saveHeld(); !why.empty()) {
        if (report_) report_->notWritten.push_back(why);
        throw ToolError(error_number::kPathAccess, services_.programName,
                        "Quenor could not save the registry. " + why);
    }
}

bool ChangeLock::tryBoth() {
    files::FileIo& io = services_.files.fileIo();
    installation_ = io.tryLock(installationFile_);
    scratchBusy_ = false;
    if (!installation_ || scratchFile_.empty()) return installation_ != nullptr;
    scratch_ = io.tryLock(scratchFile_);
    if (scratch_) return true;
    scratchBusy_ = true;
    installation_.reset();
    return false;
}

void ChangeLock::refuse() const {
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
