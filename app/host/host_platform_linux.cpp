// The platform of a Linux machine: the tool's registry store is a pair of registry files
// in Wine's format under $XDG_CONFIG_HOME/quenor.

#include <langinfo.h>
#include <unistd.h>
#include <clocale>
#include <cstdlib>
#include <ctime>

#include "app/host/host_platform.h"
#include "core/platform/host_file_system.h"
#include "core/tool_error.h"
#include "registry/wine/wine_file_store.h"

namespace quenor::host {
namespace {

class SystemClock : public Clock {
  public:
    LocalDateTime now() const override {
        const std::time_t seconds = std::time(nullptr);
        std::tm local{};
        localtime_r(&seconds, &local);
        return {local.tm_year + 1900, local.tm_mon + 1, local.tm_mday,
                local.tm_hour,        local.tm_min,     local.tm_sec};
    }
};

// The user's locale's short date and long time (strftime's %x and %X), joined by a blank.
class LocaleRegionalFormat : public RegionalFormat {
  public:
    LocaleRegionalFormat() {
        std::setlocale(LC_TIME, "");
        std::setlocale(LC_NUMERIC, "");
        const char* radix = nl_langinfo(RADIXCHAR);
        decimalSeparator_ = radix != nullptr && radix[0] != '\0' ? radix[0] : '.';
        // The rest of the program formats numbers itself; keep the C library's "C" rules.
        std::setlocale(LC_NUMERIC, "C");
    }
    std::string generalDate(const LocalDateTime& when) const override {
        std::tm local{};
        local.tm_year = when.year - 1900;
        local.tm_mon = when.month - 1;
        local.tm_mday = when.day;
        local.tm_hour = when.hour;
        local.tm_min = when.minute;
        local.tm_sec = when.second;
        local.tm_isdst = -1;
        char text[128];
        const std::size_t length = std::strftime(text, sizeof text, "%x %X", &local);
        return std::string(text, length);
    }
    char decimalSeparator() const override { return decimalSeparator_; }

  private:
    char decimalSeparator_ = '.';
};

class ProcessEnvironment : public Environment {
  public:
    std::optional<std::string> variable(std::string_view name) const override {
        const std::string key(name);
        if (const char* value = std::getenv(key.c_str())) return std::string(value);
        return std::nullopt;
    }
};

// Wine's default Windows version for a new prefix (Windows 10).
class FixedSystemVersion : public SystemInfo {
  public:
    SystemVersion version() const override { return {10, 0}; }
};

std::filesystem::path configFolder() {
    if (const char* xdg = std::getenv("XDG_CONFIG_HOME"); xdg != nullptr && xdg[0] == '/')
        return std::filesystem::path(xdg) / "quenor";
    const char* home = std::getenv("HOME");
    return std::filesystem::path(home != nullptr ? home : ".") / ".config" / "quenor";
}

class LinuxPlatform : public HostPlatform {
  public:
    explicit LinuxPlatform(const std::filesystem::path& executable)
        : programName_(executable.stem().string()),
          toolFolder_(std::filesystem::absolute(executable).parent_path().string()),
          files_(programName_) {
        const std::filesystem::path folder = configFolder();
        std::error_code ignored;
        std::filesystem::create_directories(folder, ignored);
        store_ = std::make_unique<reg::wine::WineFileStore>(folder);
    }

    PlatformServices services(MessageBoxes& messageBoxes) override {
        return PlatformServices{files_,       clock_,  format_,     environment_, system_,
                                messageBoxes, *store_, toolFolder_, programName_};
    }
    std::optional<MessageBoxRequest> refusal() const override { return std::nullopt; }

  private:
    std::string programName_;
    std::string toolFolder_;
    HostFileSystem files_;
    SystemClock clock_;
    LocaleRegionalFormat format_;
    ProcessEnvironment environment_;
    FixedSystemVersion system_;
    std::unique_ptr<reg::wine::WineFileStore> store_;
};

}  // namespace

std::unique_ptr<HostPlatform> HostPlatform::open(const std::filesystem::path& executable) {
    return std::make_unique<LinuxPlatform>(executable);
}

}  // namespace quenor::host
