#pragma once

#include <optional>
#include <string>

#include "lib/files/file_io.h"
#include "lib/files/testing/fault_file_io.h"
#include "window/testing/headless_tool.h"

namespace quenor::testing {

// Passes every call to the file layer chosen now: a failing one for the step under test, the
// real one before and after.
class ChosenFileIo final : public files::FileIo {
  public:
    files::FileIo* current = &files::systemFileIo();

    std::unique_ptr<files::FileHandle> open(const std::filesystem::path& path, files::OpenMode mode,
                                            std::uint32_t permissions) override {
        return current->open(path, mode, permissions);
    }
    files::FileKind kind(const std::filesystem::path& path) override { return current->kind(path); }
    std::uint32_t permissions(const std::filesystem::path& path) override {
        return current->permissions(path);
    }
    void remove(const std::filesystem::path& path) override { current->remove(path); }
    void createFolders(const std::filesystem::path& folder) override {
        current->createFolders(folder);
    }
    void removeEmptyFolder(const std::filesystem::path& folder) override {
        current->removeEmptyFolder(folder);
    }
    void renameFile(const std::filesystem::path& from, const std::filesystem::path& to) override {
        current->renameFile(from, to);
    }
    void syncFolder(const std::filesystem::path& folder) override { current->syncFolder(folder); }
    std::unique_ptr<files::FileLock> tryLock(const std::filesystem::path& path) override {
        return current->tryLock(path);
    }
    std::vector<std::string> namesIn(const std::filesystem::path& folder) override {
        return current->namesIn(folder);
    }
    void copyContent(const std::filesystem::path& from, const std::filesystem::path& to,
                     files::CopyEnd end) override {
        current->copyContent(from, to, end);
    }
    std::optional<std::filesystem::path> linkTarget(const std::filesystem::path& path) override {
        return current->linkTarget(path);
    }
    std::filesystem::path realPath(const std::filesystem::path& path) override {
        return current->realPath(path);
    }
};

// The fault of one kind at the n-th chance of that kind: a failing rename, file sync, folder
// sync, a write that runs out of space after n pages, or a disk that drops writes after n
// pages.
enum class FaultKind { Rename, Sync, FolderSync, Space, LostWrites, FolderCreate };
files::FaultInjectingFileIo::Faults faultAt(FaultKind kind, int n);
inline constexpr FaultKind kFaultKinds[] = {FaultKind::Rename,     FaultKind::Sync,
                                            FaultKind::FolderSync, FaultKind::Space,
                                            FaultKind::LostWrites, FaultKind::FolderCreate};

// Clicks Apply after choosing preset 0, 1 or 2 (a choice already selected is left as it is),
// VSYNC off and FPS boost high, answering its boxes.
void applyPreset(HeadlessTool& tool, int preset = 0);

// The values Apply writes into the game's part of the registry, as the files hold them now:
// "GFX Mode" and "OnPlay Player", and whether the game's key exists.
std::string gameValues(const HeadlessTool& tool);

}  // namespace quenor::testing
