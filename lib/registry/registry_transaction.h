#pragma once

#include <optional>
#include <vector>

#include "lib/base/failure.h"

namespace quenor::reg {

// The saving of a registry store that holds a copy of the registry (Wine's registry files, read
// once), as one change of it wants it: brought up to date first, every value written kept in
// memory, and saved together at the end, each file once. A live registry (Windows') saves
// every change as it is made: there it does nothing (liveRegistry()).
//
// Such a store keeps every change in memory until commit(): the change that writes commits,
// on its failure path too (what it wrote before it failed stays done, as its log says).
class RegistryTransaction {
  public:
    virtual ~RegistryTransaction() = default;

    // Reads again what another process saved since the store read it. The failure when it
    // could not; the store then keeps what it had.
    [[nodiscard]] virtual std::optional<quenor::Failure> refresh() = 0;
    // Saves the changes made since the last commit. The failures, a file each, with the values not
    // saved (those are undone in memory); none when all was saved.
    [[nodiscard]] virtual std::vector<quenor::Failure> commit() = 0;
};

// The transaction of a live registry: nothing to read again, hold or save.
RegistryTransaction& liveRegistry();

}  // namespace quenor::reg
