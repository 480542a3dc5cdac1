#pragma once

#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "lib/registry/wine/wine_file_store.h"

namespace quenor::host {

// The registry of a Wine prefix as a 32-bit Windows program sees it (the game and this
// tool are 32-bit programs). In a win64 prefix, Wine redirects a 32-bit program below any
// key that has a sub-key "Wow6432Node" into that sub-key: HKEY_LOCAL_MACHINE\Software\X is
// Software\Wow6432Node\X, and HKEY_CURRENT_USER\Software too when it has one. A key found
// only in the 64-bit view is still read from there, so a game key entered by a 64-bit
// registry editor is found. A win32 prefix is used as it is.
//
// Before every save the guard is asked (see WineFileStore::SaveGuard).
class Wow64RegistryView : public reg::wine::WineFileStore {
  public:
    explicit Wow64RegistryView(std::filesystem::path prefix, SaveGuard guard = {});

    bool isWin64() const { return win64_; }

  protected:
    void mapPath(reg::Handle hiveRoot, std::vector<std::string>& names) override;

  private:
    bool win64_ = false;
};

}  // namespace quenor::host
