#include "tests/originals/originals_test_support.h"

#include "lib/registry/store_values.h"
#include "lib/registry/wine/testing/disk_store.h"
#include "lib/registry/wine/wine_file_store.h"
#include "window/quenor_layout.h"

namespace quenor::testing {

files::FaultInjectingFileIo::Faults faultAt(FaultKind kind, int n) {
    files::FaultInjectingFileIo::Faults faults;
    constexpr std::uint64_t kPage = files::FaultInjectingFileIo::kPageSize;
    switch (kind) {
        case FaultKind::Rename:
            faults.failingRename = n;
            break;
        case FaultKind::Sync:
            faults.failingSync = n;
            break;
        case FaultKind::FolderSync:
            faults.failingFolderSync = n;
            break;
        case FaultKind::Space:
            faults.writeBudget = static_cast<std::uint64_t>(n) * 2 * kPage;
            break;
        case FaultKind::FolderCreate:
            faults.failingFolderCreate = n;
            break;
        case FaultKind::LostWrites:
            faults.lostWritesAfter = static_cast<std::uint64_t>(n) * 2 * kPage;
            break;
    }
    return faults;
}

void applyPreset(HeadlessTool& tool, int preset) {
    namespace cn = ui::control_names;
    ui::FormModel& form = tool.window().form();
    form.userClickOption(cn::kOptResolution, preset);
    form.userClickOption(cn::kOptVsync, 1);
    form.userClickOption(cn::kOptFpsBoost, 3);
    tool.answer(MessageAnswer::Yes);
    tool.answer(MessageAnswer::Ok);
    tool.click(cn::kBtnApplySettings);
}

std::string gameValues(const HeadlessTool& tool) {
    const auto gfx =
        tool.registryValue(reg::kCurrentUser, "Software\\EA Sports\\NHL 09", "GFX Mode");
    const auto player = tool.registryValue(
        reg::kCurrentUser, "Software\\EA Sports\\NHL 09\\Details Settings", "OnPlay Player");
    reg::wine::testing::DiskStore store(tool.prefixFolder());
    const bool key = reg::storeKeyExists(store, reg::kCurrentUser, "Software\\EA Sports");
    return "GFX Mode=" + gfx.value_or("<absent>") +
           " OnPlay Player=" + player.value_or("<absent>") +
           (key ? " EA Sports key" : " no EA Sports key");
}

}  // namespace quenor::testing
