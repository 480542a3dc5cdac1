#include "core/platform/environment.h"

#include "lib/base/ascii.h"

namespace quenor {

std::string Environment::expandReferences(std::string_view text) const {
    std::string out;
    std::size_t i = 0;
    while (i < text.size()) {
        std::size_t open = text.find('%', i);
        if (open == std::string_view::npos) break;
        std::size_t close = text.find('%', open + 1);
        if (close == std::string_view::npos) break;
        out.append(text.substr(i, open - i));
        std::string_view name = text.substr(open + 1, close - open - 1);
        std::optional<std::string> value;
        if (!name.empty()) value = variable(name);
        if (value) {
            out += *value;
            i = close + 1;
        } else {
            // Not a reference: keep the first "%" and look again from the second one.
            out.append(text.substr(open, close - open));
            i = close;
        }
    }
    out.append(text.substr(i));
    return out;
}

EnvironmentWithOverrides::EnvironmentWithOverrides(
    const Environment& base, const std::map<std::string, std::string>& overrides)
    : base_(base) {
    for (const auto& [name, value] : overrides) overrides_[base::asciiUppered(name)] = value;
}

std::optional<std::string> EnvironmentWithOverrides::variable(std::string_view name) const {
    const auto found = overrides_.find(base::asciiUppered(name));
    if (found != overrides_.end()) return found->second;
    return base_.variable(name);
}

}  // namespace quenor
