#include "host/local_time_posix.h"

#include <langinfo.h>

#include <clocale>
#include <ctime>

namespace quenor::host {

LocalDateTime SystemClock::now() const {
    const std::time_t seconds = std::time(nullptr);
    std::tm local{};
    localtime_r(&seconds, &local);
    return {local.tm_year + 1900, local.tm_mon + 1, local.tm_mday,
            local.tm_hour,        local.tm_min,     local.tm_sec};
}

LocaleRegionalFormat::LocaleRegionalFormat() {
    std::setlocale(LC_TIME, "");
    std::setlocale(LC_NUMERIC, "");
    const char* radix = nl_langinfo(RADIXCHAR);
    decimalSeparator_ = radix != nullptr && radix[0] != '\0' ? radix[0] : '.';
    // The rest of the program formats numbers itself; keep the C library's "C" rules.
    std::setlocale(LC_NUMERIC, "C");
}

std::string LocaleRegionalFormat::generalDate(const LocalDateTime& when) const {
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

}  // namespace quenor::host
