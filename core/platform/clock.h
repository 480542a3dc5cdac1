#pragma once

#include <string>

namespace quenor {

// A local date and time, to the second.
struct LocalDateTime {
    int year = 1970;
    int month = 1;
    int day = 1;
    int hour = 0;
    int minute = 0;
    int second = 0;
};

// The local clock.
class Clock {
  public:
    virtual ~Clock() = default;
    virtual LocalDateTime now() const = 0;
};

// The user's regional formats: the general date form of a date and time (short date,
// a blank, long time) and the decimal separator of numbers.
class RegionalFormat {
  public:
    virtual ~RegionalFormat() = default;
    virtual std::string generalDate(const LocalDateTime& when) const = 0;
    virtual char decimalSeparator() const = 0;
};

}  // namespace quenor
