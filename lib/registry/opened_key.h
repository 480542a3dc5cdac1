#pragma once

#include <cstdint>
#include <string_view>

#include "lib/registry/registry_store.h"

namespace quenor::reg {

// A key opened (or created) in a store, closed at the end of its scope, however the scope ends.
class OpenedKey {
  public:
    // Opens the key below `root`; a value is read with query access alone, so that a key the
    // user may only read works.
    static OpenedKey open(RegistryStore& store, Handle root, std::string_view path,
                          std::uint32_t access = kQueryValue) {
        return OpenedKey(store, root, path, access, false);
    }
    // Opens the key, creating it and every missing key on its path.
    static OpenedKey create(RegistryStore& store, Handle root, std::string_view path,
                            std::uint32_t access = kAllAccess) {
        return OpenedKey(store, root, path, access, true);
    }
    ~OpenedKey() {
        if (opened()) store_.closeKey(handle_);
    }
    OpenedKey(const OpenedKey&) = delete;
    OpenedKey& operator=(const OpenedKey&) = delete;

    // The store's answer to the opening; the key is open when it is kSuccess.
    Status status() const { return status_; }
    bool opened() const { return status_ == kSuccess; }
    Handle handle() const { return handle_; }

  private:
    OpenedKey(RegistryStore& store, Handle root, std::string_view path, std::uint32_t access,
              bool create)
        : store_(store),
          status_(create ? store.createKey(root, path, access, handle_, nullptr)
                         : store.openKey(root, path, access, handle_)) {}

    RegistryStore& store_;
    Handle handle_ = 0;  // before status_: the opening writes it
    Status status_;
};

}  // namespace quenor::reg
