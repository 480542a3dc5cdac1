#include "tool/patching/apply_reset.h"

#include <stdexcept>

#include "core/change_plan.h"
#include "core/choices.h"
#include "core/game_installation.h"
#include "core/installation_lock.h"
#include "core/operation_log.h"
#include "core/registry_change.h"
#include "core/tool_error.h"
#include "tool/originals/keep_originals.h"
#include "tool/patching/planned_change.h"
#include "tool/patching/resolution_patch.h"
#include "tool/patching/vsync_patch.h"
#include "tool/registry/registry_values.h"
#include "tool/startup/settings_store.h"

namespace quenor::patching {

namespace {

void writeGameDword(Tool& tool, const char* keyPath, const char* valueName, std::int16_t value) {
    setRegistryValue(tool, kHkeyCurrentUser, TaggedValue(keyPath), TaggedValue(valueName),
                     kRegDwordType, TaggedValue(value));
}

// The value of a registry value of the plan.
std::int16_t plannedValue(const ChangePlan& plan, const char* valueName) {
    for (const PlannedDword& value : plan.registry) {
        if (value.name == valueName) return static_cast<std::int16_t>(value.value);
    }
    throw std::logic_error(std::string("the plan writes no ") + valueName);
}

// The last look before the first write of the game: Wine may have started for its prefix since
// the run began, and would write its registry over the change.
void requireGameMayBeWritten(Tool& tool) {
    const auto& why = tool.services.whyGameMustNotBeWritten;
    if (!why) return;
    if (const std::optional<quenor::Failure> failure = why()) {
        throw ToolError(error_number::kPathAccess, tool.services.programName,
                        "The game was not changed: " + failure->cause + ".");
    }
}

// Reset's steps between the player's OK and the closing box.
void writeRetailValues(Tool& tool, PatchWindow& window, const ChangePlan& planned) {
    for (int frame = 1; frame <= game::kFrameCount; ++frame) {
        tool.patch.configFileName = game::configEntryName(frame);
        setResolution(tool, window, resolution::retailFrameCode(frame));
    }
    tool.patch.vsyncValueText = retail::kEnableVsync;
    setVSYNC(tool);
    requireWritten(tool, planned);
    writeGameDword(tool, game::kKeyPath, game::kGfxModeValue, retail::kGfxMode);
    writeGameDword(tool, game::kDetailsKeyPath, game::kOnPlayPlayerValue, retail::kOnPlayPlayer);
    setDefaultValues(tool);
    createQuenorRegistry(tool);

    const SettingsModel& s = tool.settings;
    window.selectResolutionOption(s.intResolution);
    writeLog(tool, "optResolution Set Def Value - OK");
    window.selectVsyncOption(s.intVSYNC);
    writeLog(tool, "optVSYNC Set Def Value - OK");
    window.selectFpsBoostOption(s.intFPSboost);
    writeLog(tool, "optFPSboost Set Def Value - OK");
    window.selectLoggingOption(s.intLog);
    writeLog(tool, "optQuenorLogging Set Def Value - OK");
}

}  // namespace

ChangeOutcome btnApplySettings_Click(Tool& tool, PatchWindow& window) {
    writeLog(tool, "btnApplySettings_Click");
    if (!gameFolderKnown(tool)) {
        showGameNotFound(tool);
        return ChangeOutcome::GameNotFound;
    }
    MessageAnswer answer = tool.services.messageBoxes.show(MessageBoxRequest{
        "Apply changes?",
        "Are you sure you want to apply all the changes to your NHL 09 installation?",
        MessageButtons::YesNo, MessageIcon::None, 0});
    if (answer != MessageAnswer::Yes) {
        writeLog(tool, "MsgBox 'Apply Changes?' Click No");
        return ChangeOutcome::Declined;
    }
    writeLog(tool, "MsgBox 'Apply changes?' Click Yes");
    // Rejected values change nothing: their box is shown without any lock held.
    const PlayerChoices chosen = window.choices();
    if (sizeOfOwnRefused(chosen)) {
        setResolution(tool, window, tool.patch.resolutionToApply);
        return ChangeOutcome::InvalidValues;
    }
    {
        const InstallationLock lock(tool);
        RegistryChange registry(tool);
        const ChangePlan planned = plannedApply(chosen);
        requireKeyedLines(tool, planned);
        const originals::ChangeOfInstallation change(tool);
        requireGameMayBeWritten(tool);
        setResolution(tool, window, tool.patch.resolutionToApply);
        setVSYNC(tool);
        requireWritten(tool, planned);
        writeLog(tool, "SetVSYNC - OK");
        writeGameDword(tool, game::kDetailsKeyPathAsApplyWritesIt, game::kOnPlayPlayerValue,
                       plannedValue(planned, game::kOnPlayPlayerValue));
        writeLog(tool, "setRegistryValue - OK");
        createQuenorRegistry(tool);
        saveRegistryValues(tool, registry);
    }
    tool.services.messageBoxes.show(MessageBoxRequest{
        "All done!",
        "Changes have been applied. Use the 'Reset all Settings to Defaults' option if you\r"
        "encounter any issues and wish to go back to retail settings.\r\r"
        "IMPORTANT: DO NOT go into the Display Settings section of NHL 09 or your\r"
        "changes will be overriden and will not take effect.",
        MessageButtons::Ok, MessageIcon::None, 0});
    writeLog(tool, "MsgBox 'All Done!' Click OK");
    return ChangeOutcome::Done;
}

ChangeOutcome btnSetDefaults_Click(Tool& tool, PatchWindow& window) {
    writeLog(tool, "btnSetDefaults_Click");
    if (!gameFolderKnown(tool)) {
        showGameNotFound(tool);
        return ChangeOutcome::GameNotFound;
    }
    MessageAnswer answer = tool.services.messageBoxes.show(MessageBoxRequest{
        "Reset all changes?",
        "Are you sure you want to reset the NHL 09 settings to their retail values.\r"
        "Doing so will remove all the changes done with this tool.",
        MessageButtons::OkCancel, MessageIcon::None, 0});
    if (answer != MessageAnswer::Ok) {
        writeLog(tool, "MsgBox 'Reset all changes?' CLICK Cancel");
        return ChangeOutcome::Declined;
    }
    writeLog(tool, "MsgBox 'Reset all changes' CLICK OK");
    {
        const InstallationLock lock(tool);
        RegistryChange registry(tool);
        const ChangePlan planned = plannedReset();
        requireKeyedLines(tool, planned);
        const originals::ChangeOfInstallation change(tool);
        requireGameMayBeWritten(tool);
        writeRetailValues(tool, window, planned);
        saveRegistryValues(tool, registry);
    }
    tool.services.messageBoxes.show(
        MessageBoxRequest{"All done!",
                          "All changes done with this tool have been removed.\r"
                          "NHL 09 is back as it was after the installation.",
                          MessageButtons::Ok, MessageIcon::None, 0});
    writeLog(tool, "MsgBox 'All done!' Click OK");
    return ChangeOutcome::Done;
}

}  // namespace quenor::patching
