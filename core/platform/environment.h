#pragma once

#include <map>
#include <optional>
#include <string>
#include <string_view>

namespace quenor {

// The process environment. Names match without regard to letter case, as on Windows.
class Environment {
  public:
    virtual ~Environment() = default;
    virtual std::optional<std::string> variable(std::string_view name) const = 0;

    // Replaces every %NAME% whose variable is set by its value; everything else, an
    // unset %NAME% included, stays as it is. A platform with its own expansion overrides it.
    virtual std::string expandReferences(std::string_view text) const;
};

// Another environment with some variables set differently (a command line's --prefix sets
// WINEPREFIX); names match without regard to case.
class EnvironmentWithOverrides : public Environment {
  public:
    EnvironmentWithOverrides(const Environment& base,
                             const std::map<std::string, std::string>& overrides);
    std::optional<std::string> variable(std::string_view name) const override;

  private:
    const Environment& base_;
    std::map<std::string, std::string> overrides_;
};

// The running system's version numbers, the way the tool names the system in its log.
struct SystemVersion {
    unsigned major = 0;
    unsigned minor = 0;
};

class SystemInfo {
  public:
    virtual ~SystemInfo() = default;
    virtual SystemVersion version() const = 0;
};

}  // namespace quenor
