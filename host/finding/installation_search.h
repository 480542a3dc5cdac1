#pragma once

#include <cstdint>
#include <filesystem>
#include <map>
#include <string>

#include "host/finding/installation.h"

namespace quenor::files {
class FileIo;
}

namespace quenor::host {

// What each prefix's system.reg held, by the file's size and modification time, so that a
// later search reads again only the files that changed since. The tool keeps it in its state
// folder.
class PrefixScanCache {
  public:
    // A cache file that is missing or cannot be read gives an empty cache.
    static PrefixScanCache load(files::FileIo& io, const std::filesystem::path& file);
    // Writes the cache atomically; a failure only costs the next search a full read.
    void save(files::FileIo& io, const std::filesystem::path& file) const;

    struct Scan {
        std::int64_t size = -1;
        std::int64_t modified = -1;
        std::string installDir;  // empty: the registry holds none
    };
    const Scan* find(const std::filesystem::path& systemReg, std::int64_t size,
                     std::int64_t modified) const;
    void put(const std::filesystem::path& systemReg, Scan scan);
    bool changed() const { return changed_; }

  private:
    std::map<std::filesystem::path, Scan> scans_;
    bool changed_ = false;
};

// Looks for NHL 09 in every Wine prefix that players keep below `home` (see
// candidatePrefixes), reading launcher files and registry files and writing nothing. Each
// prefix is listed once, however many ways lead to it; a prefix without the game, or whose
// "Install Dir" leads nowhere, and a launcher file that cannot be read are left out with the
// reason.
SearchResult searchInstallations(files::FileIo& io, const std::filesystem::path& home,
                                 PrefixScanCache& cache);

}  // namespace quenor::host
