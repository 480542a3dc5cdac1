#include "lib/registry/registry_transaction.h"

namespace quenor::reg {

namespace {

class LiveRegistry final : public RegistryTransaction {
  public:
    std::optional<quenor::Failure> refresh() override { return std::nullopt; }
    std::vector<quenor::Failure> commit() override { return {}; }
};

}  // namespace

RegistryTransaction& liveRegistry() {
    static LiveRegistry live;
    return live;
}

}  // namespace quenor::reg
