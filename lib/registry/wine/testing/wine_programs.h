#pragma once

#include <filesystem>
#include <string>

namespace quenor::reg::wine::testing {

// Debian's Wine, for tests that check files against Wine itself. wine64 lives in
// /usr/lib/wine, and so does wineserver unless the "wine" package put it on PATH too.
inline constexpr const char* kWine64 = "/usr/lib/wine/wine64";

// Whether wine64 and a wineserver are installed; tests skip without them.
bool wineInstalled();

// Runs shell commands with WINEPREFIX set to the prefix (exported, so every command of a
// list works on it), Wine's folder on PATH and Wine's messages off; returns their standard
// output, and their exit status in `status` when given.
std::string runInPrefix(const std::filesystem::path& prefix, const std::string& commands,
                        int* status = nullptr);

// Stops the prefix's wineserver and waits until it has saved the registry and ended.
void stopWineServer(const std::filesystem::path& prefix);

// A text quoted for the shell.
std::string shellQuoted(const std::string& text);

}  // namespace quenor::reg::wine::testing
