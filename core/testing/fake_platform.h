#pragma once

#include <map>
#include <string>

#include "core/platform/clock.h"
#include "core/platform/environment.h"

namespace quenor::testing {

// A clock that always shows the same moment.
class FixedClock : public Clock {
  public:
    explicit FixedClock(LocalDateTime when = {2026, 12, 7, 9, 30, 5}) : when_(when) {}
    LocalDateTime now() const override { return when_; }
    void set(LocalDateTime when) { when_ = when; }

  private:
    LocalDateTime when_;
};

// US-style general date ("12/7/2026 9:30:05 AM") and a chosen decimal separator.
class UsRegionalFormat : public RegionalFormat {
  public:
    explicit UsRegionalFormat(char decimalSeparator = '.') : separator_(decimalSeparator) {}
    std::string generalDate(const LocalDateTime& when) const override;
    char decimalSeparator() const override { return separator_; }

  private:
    char separator_;
};

// An environment held in a map; names match without regard to case.
class MapEnvironment : public Environment {
  public:
    MapEnvironment() = default;
    explicit MapEnvironment(std::map<std::string, std::string> variables);
    std::optional<std::string> variable(std::string_view name) const override;
    void set(const std::string& name, const std::string& value);
    void unset(const std::string& name);

  private:
    std::map<std::string, std::string> variables_;  // keys upper-cased
};

class FixedSystemInfo : public SystemInfo {
  public:
    explicit FixedSystemInfo(SystemVersion version = {5, 1}) : version_(version) {}
    SystemVersion version() const override { return version_; }

  private:
    SystemVersion version_;
};

}  // namespace quenor::testing
