#pragma once

#include "core/platform/clock.h"

namespace quenor::host {

// The local clock of the machine.
class SystemClock : public Clock {
  public:
    LocalDateTime now() const override;
};

// The user's locale's short date and long time (strftime's %x and %X), joined by a blank,
// and the locale's decimal separator.
class LocaleRegionalFormat : public RegionalFormat {
  public:
    LocaleRegionalFormat();
    std::string generalDate(const LocalDateTime& when) const override;
    char decimalSeparator() const override { return decimalSeparator_; }

  private:
    char decimalSeparator_ = '.';
};

}  // namespace quenor::host
