#pragma once

#include <map>
#include <string>
#include <vector>

#include "lib/registry/registry_store_wrapper.h"

namespace quenor::host {

// The registry of a Wine prefix as a 32-bit Windows program sees it (the game and this
// tool are 32-bit programs), over any store that holds the prefix's keys. In a win64 prefix,
// Wine redirects a 32-bit program below any key that has a sub-key "Wow6432Node" into that
// sub-key: HKEY_LOCAL_MACHINE\Software\X is Software\Wow6432Node\X, and HKEY_CURRENT_USER\Software
// too when it has one. A key found only in the 64-bit view is still read from there, so a game
// key entered by a 64-bit registry editor is found. A win32 prefix is used as it is.
//
// The keys this view opens are the target's own: their values are read and written through
// the target as they are.
class Wow64RegistryView : public reg::RegistryStoreWrapper {
  public:
    Wow64RegistryView(reg::RegistryStore& target, bool win64);

    bool isWin64() const { return win64_; }

    reg::Status openKey(reg::Handle parent, std::string_view path, std::uint32_t access,
                        reg::Handle& key) override;
    reg::Status createKey(reg::Handle parent, std::string_view path, std::uint32_t access,
                          reg::Handle& key, bool* created) override;
    reg::Status deleteKey(reg::Handle parent, std::string_view path) override;
    reg::Status closeKey(reg::Handle key) override;

  private:
    // Where a key is in the target: its hive and the path below it the view mapped it to.
    struct Place {
        reg::Handle hive = 0;
        std::vector<std::string> path;
        std::uint32_t access = reg::kAllAccess;
    };

    // The place below `parent` that `path` names, mapped; false when the view does not map
    // it (a remote machine's key, HKEY_USERS, a path the target is to refuse).
    bool placeBelow(reg::Handle parent, std::string_view path, Place& place);
    // The path a 32-bit program reaches for `names` in the hive.
    std::vector<std::string> redirected(reg::Handle hive, const std::vector<std::string>& names);
    bool exists(reg::Handle hive, const std::vector<std::string>& names);
    // Records where a key the target opened is (`key` is read once the call that opens it ran).
    reg::Status opened(reg::Status status, const reg::Handle& key, Place place);

    bool win64_;
    std::map<reg::Handle, Place> places_;
};

}  // namespace quenor::host
