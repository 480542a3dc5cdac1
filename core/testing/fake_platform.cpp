#include "core/testing/fake_platform.h"

#include "lib/base/ascii.h"

#include <cstdio>

namespace quenor::testing {

std::string UsRegionalFormat::generalDate(const LocalDateTime& w) const {
    int hour12 = w.hour % 12 == 0 ? 12 : w.hour % 12;
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, "%d/%d/%d %d:%02d:%02d %s", w.month, w.day, w.year, hour12,
                  w.minute, w.second, w.hour < 12 ? "AM" : "PM");
    return buffer;
}

MapEnvironment::MapEnvironment(std::map<std::string, std::string> variables) {
    for (auto& [name, value] : variables) set(name, value);
}

std::optional<std::string> MapEnvironment::variable(std::string_view name) const {
    auto it = variables_.find(base::asciiUppered(name));
    if (it == variables_.end()) return std::nullopt;
    return it->second;
}

void MapEnvironment::set(const std::string& name, const std::string& value) {
    variables_[base::asciiUppered(name)] = value;
}

void MapEnvironment::unset(const std::string& name) {
    variables_.erase(base::asciiUppered(name));
}

}  // namespace quenor::testing
