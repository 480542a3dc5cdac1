#include "host/wine_processes_linux.h"

#include <unistd.h>

#include <fstream>
#include <set>
#include <sstream>
#include <vector>

#include "lib/base/ascii.h"

namespace quenor::host {

namespace {

namespace fs = std::filesystem;

std::string readAll(const fs::path& file) {
    std::ifstream in(file, std::ios::binary);
    std::ostringstream out;
    out << in.rdbuf();
    return out.str();
}

// The NUL-separated strings of a /proc file (environ, cmdline).
std::vector<std::string> nulSeparated(const fs::path& file) {
    std::vector<std::string> out;
    std::istringstream in(readAll(file));
    std::string item;
    while (std::getline(in, item, '\0')) out.push_back(item);
    return out;
}

// The parent of a process, from /proc/<pid>/stat ("pid (name) state ppid ..."), or 0.
long parentOf(const fs::path& procRoot, long pid) {
    const std::string stat = readAll(procRoot / std::to_string(pid) / "stat");
    const std::size_t close = stat.rfind(')');
    if (close == std::string::npos) return 0;
    std::istringstream rest(stat.substr(close + 1));
    std::string state;
    long parent = 0;
    rest >> state >> parent;
    return parent;
}

bool liesIn(const fs::path& path, const fs::path& folder) {
    const std::string p = path.string();
    const std::string f = folder.string();
    return p == f || (p.size() > f.size() && p.compare(0, f.size(), f) == 0 && p[f.size()] == '/');
}

fs::path resolvedPath(const fs::path& path) {
    std::error_code error;
    fs::path out = fs::weakly_canonical(path, error);
    return error ? path : out;
}

// A command line's first argument that names a Wine program: Wine's own ("wine64",
// "wineserver", "wine64-preloader", with or without a folder) or a Windows program (".exe").
// Sandboxes can hide a process's executable, never its command line.
bool namesWineProgram(const std::string& first) {
    const std::string name = base::asciiLowered(first.substr(first.find_last_of("/\\") + 1));
    return name.rfind("wine", 0) == 0 || name.ends_with(".exe");
}

// Whether a lowered argument names something in the Windows folder `installDir` (lowered, no
// trailing separator): the folder's name followed by a separator, a quote or nothing, so that
// "c:\games\nhl 09 backup\nhl09.exe" is not in "c:\games\nhl 09".
bool namesWindowsFolder(const std::string& argument, const std::string& installDir) {
    for (std::size_t at = argument.find(installDir); at != std::string::npos;
         at = argument.find(installDir, at + 1)) {
        const std::size_t end = at + installDir.size();
        if (end == argument.size() || argument[end] == '\\' || argument[end] == '/' ||
            argument[end] == '"') {
            return true;
        }
    }
    return false;
}

}  // namespace

std::optional<std::string> findProcessOfPrefix(const PrefixProcessSearch& search) {
    const fs::path prefix = resolvedPath(search.prefix);
    const fs::path game = search.gameFolder ? resolvedPath(*search.gameFolder) : fs::path();
    std::string installDir = base::asciiLowered(search.installDir);
    while (!installDir.empty() && (installDir.back() == '\\' || installDir.back() == '/'))
        installDir.pop_back();
    if (installDir.size() < 4) installDir.clear();  // a drive's root would match every program

    // This process and every one above it: a shell that exported WINEPREFIX is not Wine.
    std::set<long> own;
    for (long pid = ::getpid(); pid > 1 && own.insert(pid).second;) {
        pid = parentOf(search.procRoot, pid);
    }

    std::error_code error;
    for (const auto& entry : fs::directory_iterator(search.procRoot, error)) {
        const std::string name = entry.path().filename().string();
        if (name.empty() || name.find_first_not_of("0123456789") != std::string::npos) continue;
        const long pid = std::stol(name);
        if (own.count(pid) != 0) continue;
        const std::vector<std::string> arguments = nulSeparated(entry.path() / "cmdline");
        const std::string shown =
            "process " + name + " (" + (arguments.empty() ? std::string("?") : arguments[0]) + ")";

        std::error_code linkError;
        const fs::path executable = fs::read_symlink(entry.path() / "exe", linkError);
        const bool wineProgram = executable.filename().string().rfind("wine", 0) == 0 ||
                                 (!arguments.empty() && namesWineProgram(arguments[0]));
        if (wineProgram) {
            for (const std::string& variable : nulSeparated(entry.path() / "environ")) {
                if (variable.rfind("WINEPREFIX=", 0) == 0 && !variable.substr(11).empty() &&
                    resolvedPath(variable.substr(11)) == prefix) {
                    return shown;
                }
            }
            const fs::path folder = fs::read_symlink(entry.path() / "cwd", linkError);
            if (!linkError && liesIn(folder, prefix)) return shown;
        }
        for (const std::string& argument : arguments) {
            if (!game.empty() && liesIn(argument, game)) return shown;
            if (!installDir.empty() &&
                namesWindowsFolder(base::asciiLowered(argument), installDir)) {
                return shown;
            }
        }
    }
    return std::nullopt;
}

}  // namespace quenor::host
