#include "core/registry_change.h"

#include "core/tool_error.h"

namespace quenor {

namespace {

using quenor::Failure;

[[noreturn]] void refuseToStart(const PlatformServices& services, const Failure& failure) {
    if (failure.kind == Failure::Kind::kIo) {
        throw ToolError(error_number::kPathAccess, services.programName,
                        "Quenor could not read the registry again: " + failure.describe() +
                            " Nothing was changed; correct the cause and try again.");
    }
    throw ToolError(error_number::kBadFileFormat, services.programName,
                    "The registry was changed by another program and cannot be read again: " +
                        failure.describe() + ". Nothing was changed.");
}

}  // namespace

RegistryChange::RegistryChange(Tool& tool) : RegistryChange(tool.services, &tool.changeReport) {}

RegistryChange::RegistryChange(PlatformServices& services, ChangeReport* report)
    : services_(services), report_(report) {
    // What this run read before may be older than what the last holder of the lock saved.
    if (const auto failure = services.registryTransaction.refresh())
        refuseToStart(services, *failure);
}

RegistryChange::~RegistryChange() {
    if (committed_) return;
    // A step failed before the change saved its values: what the steps before it wrote is
    // saved all the same (its log lines say it was written); the failure is reported already.
    try {
        const std::vector<Failure> failures = save();
        if (failures.empty()) return;
        services_.messageBoxes.note(
            "The registry values written before the failure were not saved either: " +
            quenor::describeAll(failures));
    } catch (...) {
        // The failure that ends the change is already on its way to the player.
    }
}

std::vector<Failure> RegistryChange::save() {
    committed_ = true;
    std::vector<Failure> failures = services_.registryTransaction.commit();
    if (report_)
        report_->notWritten.insert(report_->notWritten.end(), failures.begin(), failures.end());
    return failures;
}

void RegistryChange::commit() {
    const std::vector<Failure> failures = save();
    if (failures.empty()) return;
    throw ToolError(error_number::kPathAccess, services_.programName,
                    "Quenor could not save the registry. " + quenor::describeAll(failures));
}

}  // namespace quenor
