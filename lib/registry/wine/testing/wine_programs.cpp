#include "lib/registry/wine/testing/wine_programs.h"

#include <cstdio>
#include <cstdlib>

namespace quenor::reg::wine::testing {

std::string shellQuoted(const std::string& text) {
    std::string out = "'";
    for (char c : text) out += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return out + "'";
}

bool wineInstalled() {
    return std::filesystem::exists(kWine64) &&
           (std::filesystem::exists(std::filesystem::path(kWine64).parent_path() / "wineserver") ||
            std::system("command -v wineserver >/dev/null 2>&1") == 0);
}

std::string runInPrefix(const std::filesystem::path& prefix, const std::string& commands,
                        int* status) {
    const std::string wineFolder = std::filesystem::path(kWine64).parent_path().string();
    const std::string line = "export PATH=" + shellQuoted(wineFolder) +
                             ":\"$PATH\" WINEPREFIX=" + shellQuoted(prefix.string()) +
                             " WINEDEBUG=-all WINEDLLOVERRIDES='mscoree,mshtml='; { " + commands +
                             "; } 2>/dev/null";
    std::string output;
    FILE* pipe = ::popen(line.c_str(), "r");
    if (!pipe) {
        if (status) *status = -1;
        return output;
    }
    char buffer[4096];
    while (std::size_t got = std::fread(buffer, 1, sizeof buffer, pipe)) output.append(buffer, got);
    const int result = ::pclose(pipe);
    if (status) *status = result;
    return output;
}

void stopWineServer(const std::filesystem::path& prefix) {
    runInPrefix(prefix, "wineserver -k; wineserver -w");
}

}  // namespace quenor::reg::wine::testing
