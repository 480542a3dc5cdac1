#include "host/process_environment_posix.h"

#include "lib/base/ascii.h"

#include <cstdlib>
#include <cstring>
#include <string>

extern char** environ;

namespace quenor::host {

namespace {}  // namespace

std::optional<std::string> ProcessEnvironment::variable(std::string_view name) const {
    if (name.empty() || name.find('=') != std::string_view::npos) return std::nullopt;
    const std::string key(name);
    if (const char* value = std::getenv(key.c_str())) return std::string(value);
    for (char** entry = environ; entry != nullptr && *entry != nullptr; ++entry) {
        const char* equals = std::strchr(*entry, '=');
        if (equals == nullptr) continue;
        const std::string_view entryName(*entry, static_cast<std::size_t>(equals - *entry));
        if (base::equalsIgnoringAsciiCase(entryName, name)) return std::string(equals + 1);
    }
    return std::nullopt;
}

}  // namespace quenor::host
