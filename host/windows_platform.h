#pragma once

#include <filesystem>
#include <string>

#include "core/platform/clock.h"
#include "core/platform/environment.h"
#include "core/platform/host_file_system.h"
#include "core/platform/message_box.h"

// The platform services of a Windows build, each over the Windows call the tool's design
// names for it.
namespace quenor::host::windows {

// The process environment through GetEnvironmentVariableA; references are expanded by
// ExpandEnvironmentStringsA.
class WindowsEnvironment : public Environment {
  public:
    std::optional<std::string> variable(std::string_view name) const override;
    std::string expandReferences(std::string_view text) const override;
};

// The version numbers GetVersionExA reports, asked with a zeroed OSVERSIONINFOEXA whose size
// field holds 156. A failing call is not detected: the numbers then read 0.
class WindowsSystemInfo : public SystemInfo {
  public:
    SystemVersion version() const override;
};

// The local time (GetLocalTime).
class WindowsClock : public Clock {
  public:
    LocalDateTime now() const override;
};

// The user's general date format: the short date (GetDateFormatA), a blank and the time
// (GetTimeFormatA), and the user's decimal separator.
class WindowsRegionalFormat : public RegionalFormat {
  public:
    std::string generalDate(const LocalDateTime& when) const override;
    char decimalSeparator() const override;
};

// The host file system with "\" between names; the tool's 8-bit path texts are in the
// system code page and converted to Windows' UTF-16 paths with it.
class WindowsFileSystem : public HostFileSystem {
  public:
    using HostFileSystem::HostFileSystem;
    std::filesystem::path hostPath(const std::string& path) const override;
};

// Modal message boxes through MessageBoxA, owned by the tool's window once it exists.
class WindowsMessageBoxes : public MessageBoxes {
  public:
    MessageAnswer show(const MessageBoxRequest& request) override;
    void setOwner(void* window) { owner_ = window; }

    // The MessageBoxA style for a request: buttons, icon and default button.
    static unsigned style(const MessageBoxRequest& request);

  private:
    void* owner_ = nullptr;
};

// The full path of the running executable (GetModuleFileNameA).
std::string executablePath();
// The folder part of a Windows path, without a final separator ("C:\Tools\q.exe" gives
// "C:\Tools"; a file at a drive's root gives "C:").
std::string folderOf(const std::string& path);
// The file name without folder and extension ("C:\Tools\quenor.exe" gives "quenor").
std::string programNameOf(const std::string& path);

}  // namespace quenor::host::windows
