#include "host/finding/installation_search.h"

#include "host/finding/state_file.h"

#include <sys/stat.h>

#include <set>
#include <sstream>

#include "host/finding/game_in_prefix.h"
#include "host/finding/launchers_linux.h"
#include "lib/files/file_io.h"
#include "lib/registry/wine/wine_reg_file.h"

namespace quenor::host {

namespace {

namespace fs = std::filesystem;

constexpr std::uint64_t kMaxCacheFile = 4u << 20;

std::int64_t nanoseconds(const struct timespec& time) {
    return static_cast<std::int64_t>(time.tv_sec) * 1'000'000'000 + time.tv_nsec;
}

}  // namespace

// One line per system.reg: size, modification time (ns), "Install Dir" or "-", a tab, the path.
PrefixScanCache PrefixScanCache::load(files::FileIo& io, const fs::path& file) {
    PrefixScanCache cache;
    const std::optional<std::string> text = readStateFile(io, file, kMaxCacheFile);
    if (!text) return cache;
    std::istringstream in(*text);
    std::string line;
    while (std::getline(in, line)) {
        const std::size_t tab = line.find('\t');
        if (tab == std::string::npos) continue;
        std::istringstream fields(line.substr(0, tab));
        Scan scan;
        std::string dir;
        if (!(fields >> scan.size >> scan.modified)) continue;
        std::getline(fields >> std::ws, dir);
        scan.installDir = dir == "-" ? "" : dir;
        cache.scans_[line.substr(tab + 1)] = scan;
    }
    return cache;
}

void PrefixScanCache::save(files::FileIo& io, const fs::path& file) const {
    std::string text;
    for (const auto& [systemReg, scan] : scans_) {
        text += std::to_string(scan.size) + " " + std::to_string(scan.modified) + " " +
                (scan.installDir.empty() ? "-" : scan.installDir) + "\t" + systemReg.string() +
                "\n";
    }
    writeStateFile(io, file, text);  // a failure only costs the next search a full read
}

const PrefixScanCache::Scan* PrefixScanCache::find(const fs::path& systemReg, std::int64_t size,
                                                   std::int64_t modified) const {
    const auto found = scans_.find(systemReg);
    if (found == scans_.end()) return nullptr;
    return found->second.size == size && found->second.modified == modified ? &found->second
                                                                            : nullptr;
}

void PrefixScanCache::put(const fs::path& systemReg, Scan scan) {
    scans_[systemReg] = std::move(scan);
    changed_ = true;
}

SearchResult searchInstallations(files::FileIo& io, const fs::path& home, PrefixScanCache& cache) {
    SearchResult result;
    const std::vector<PrefixCandidate> candidates =
        candidatePrefixes(io, home, result.leftOut, result.lookedIn);
    std::set<fs::path> seen;
    for (const PrefixCandidate& candidate : candidates) {
        if (io.kind(candidate.folder) != files::FileKind::kFolder) {
            if (candidate.launcher != "Wine") {
                result.leftOut.push_back(
                    {candidate.folder, "no such folder (named by " + candidate.launcher + ")"});
            }
            continue;
        }
        std::error_code error;
        fs::path prefix = fs::weakly_canonical(candidate.folder, error);
        if (error) prefix = candidate.folder;
        if (!seen.insert(prefix).second) continue;

        const fs::path systemReg = prefix / "system.reg";
        struct stat info {};
        if (::stat(systemReg.c_str(), &info) != 0 || !S_ISREG(info.st_mode)) {
            result.leftOut.push_back({prefix, "no system.reg: not a Wine prefix"});
            continue;
        }
        std::string installDir;
        const std::int64_t size = info.st_size;
        const std::int64_t modified = nanoseconds(info.st_mtim);
        if (const PrefixScanCache::Scan* scan = cache.find(systemReg, size, modified)) {
            installDir = scan->installDir;
        } else {
            try {
                installDir = installDirInSystemReg(io, systemReg).value_or("");
            } catch (const reg::wine::WineRegistryError& e) {
                result.leftOut.push_back(
                    {prefix, std::string("its registry cannot be read: ") + e.what()});
                continue;
            }
            if (installDir.find_first_of("\t\r\n") == std::string::npos) {
                cache.put(systemReg, {size, modified, installDir});
            }
        }
        std::string whyNot;
        if (auto found = installationAt(io, prefix, candidate.launcher, installDir, whyNot)) {
            result.found.push_back(std::move(*found));
        } else {
            result.leftOut.push_back({prefix, whyNot});
        }
    }
    return result;
}

}  // namespace quenor::host
