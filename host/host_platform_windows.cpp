// The platform of a Windows machine: the registry of the system itself (32-bit view), the
// user's locale, the process environment and the folder of the executable.

#include <windows.h>

#include <memory>

#include "host/host_platform.h"
#include "host/screen_windows.h"
#include "host/windows_platform.h"
#include "lib/base/code_page.h"
#include "lib/registry/windows/windows_registry_store.h"

namespace quenor::host {
namespace {

class WindowsHostPlatform : public HostPlatform {
  public:
    WindowsHostPlatform(files::FileIo& io, Use use)
        : codePage_((base::setAnsiCodePage(static_cast<int>(GetACP())), GetACP())),
          executable_(windows::executablePath()),
          programName_(windows::programNameOf(executable_)),
          toolFolder_(windows::folderOf(executable_)),
          files_(programName_, io, windows::virtualStoreFoldersOf(environment_),
                 windows::lockFolderOf(environment_, toolFolder_),
                 use == Use::Run ? VirtualStoreCopies::MakeWhenNeeded : VirtualStoreCopies::Never) {
    }

    PlatformServices services(MessageBoxes& messageBoxes) override {
        PlatformServices services{files_,
                                  clock_,
                                  format_,
                                  environment_,
                                  system_,
                                  messageBoxes,
                                  store_,
                                  reg::liveRegistry(),
                                  toolFolder_,
                                  programName_,
                                  windows::originalsFolderOf(environment_, toolFolder_)};
        // Earlier versions named the archive's originals by its path as the registry spells it.
        services.earlierOriginalsFolders = {services.originalsFolder};
        return services;
    }
    std::optional<MessageBoxRequest> refusal() const override { return std::nullopt; }
    Screen screen() const override { return windows::primaryDisplay(); }

  private:
    unsigned codePage_;  // the system's, which the registry's "A" API uses too
    std::string executable_;
    std::string programName_;
    std::string toolFolder_;
    windows::WindowsEnvironment environment_;
    windows::WindowsFileSystem files_;
    windows::WindowsClock clock_;
    windows::WindowsRegionalFormat format_;
    windows::WindowsSystemInfo system_;
    reg::windows::WindowsRegistryStore store_;
};

}  // namespace

// The executable's path comes from Windows itself (GetModuleFileNameA), not from the
// caller, so the tool folder is right however the program was started.
std::unique_ptr<HostPlatform> HostPlatform::open(const std::filesystem::path& /*executable*/,
                                                 files::FileIo& io, Use use) {
    return std::make_unique<WindowsHostPlatform>(io, use);
}

}  // namespace quenor::host
