#pragma once

#include <filesystem>
#include <string>

#include "lib/files/file_io.h"
#include "lib/registry/wine/wine_file_store.h"

namespace quenor::reg::wine::testing {

// A store over the registry files of a folder on the real disk.
class DiskStore : public WineFileStore {
  public:
    explicit DiskStore(std::filesystem::path folder, WineArch newSystemArch = WineArch::Win32)
        : WineFileStore(std::move(folder), newSystemArch, files::systemFileIo()) {}
};

// Saves what was written, as a change does at its end: the failures' sentences, empty when all
// was saved.
inline std::string committed(RegistryTransaction& transaction) {
    return quenor::describeAll(transaction.commit());
}

}  // namespace quenor::reg::wine::testing
