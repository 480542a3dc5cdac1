#include "tool/patching/resolution_patch.h"

#include "core/change_plan.h"
#include "core/choices.h"
#include "core/game_installation.h"
#include "core/operation_log.h"
#include "core/player_choices.h"
#include "core/tool_error.h"
#include "tool/patching/config_entry.h"
#include "tool/registry/registry_values.h"

namespace quenor::patching {

bool validateResolution(Tool& tool, const std::string& widthText, const std::string& heightText,
                        std::int16_t frameIndex) {
    if (sizeOfOwnValid(widthText, heightText, frameIndex)) return true;
    const MessageBoxRequest box{"Invalid resolution specified",
                                "Invalid Width or Height or missing Resolution Frame.",
                                MessageButtons::Ok, MessageIcon::Exclamation, 0};
    tool.changeReport.stopped = ChangeReport::Stop{box.title, box.text};
    tool.services.messageBoxes.show(box);
    return false;
}

namespace {

// What the patch writes for a code: a preset's size or a retail size (into the config entry the
// option's tag or the reset named), or the window's user-defined values, which must be valid,
// in the frame the settings hold.
FramePatch framePatchFor(const Tool& tool, const PatchWindow& window, std::int16_t code) {
    if (code == resolution::kUserDefined) {
        PlayerChoices typed;
        typed.resolution = code;
        typed.width = window.widthText();
        typed.height = window.heightText();
        typed.frame = window.frameListIndex();
        FramePatch patch = *framePatchOf(typed);
        patch.entry = game::configEntryName(tool.settings.intResFrame);
        return patch;
    }
    std::optional<FramePatch> fixed = fixedFramePatch(code);
    if (!fixed) {
        throw ToolError(5, tool.services.programName,
                        "Unknown resolution code " + std::to_string(code) + ".");
    }
    fixed->entry = tool.patch.configFileName;
    return *fixed;
}

}  // namespace

bool setResolution(Tool& tool, PatchWindow& window, std::int16_t code) {
    SettingsModel& settings = tool.settings;
    writeLog(tool, "setResolution start...");
    if (code == resolution::kNoChange) return true;
    if (code == resolution::kUserDefined) {
        const std::string widthText = window.widthText();
        const std::string heightText = window.heightText();
        if (!validateResolution(tool, widthText, heightText, window.frameListIndex())) {
            writeLog(tool, "setResolution Failed - Wrong values specified: " + widthText + "; " +
                               heightText);
            return false;
        }
    }
    const FramePatch patch = framePatchFor(tool, window, code);
    settings.lngDeviceWidth = patch.width;
    settings.lngDeviceHeight = patch.height;
    tool.patch.configFileName = patch.entry;
    writeLog(tool, " setResolution: " + std::to_string(code) + "; " +
                       std::to_string(settings.lngDeviceHeight) + "; " +
                       std::to_string(settings.lngDeviceWidth) + "; " +
                       std::to_string(patch.gfxMode));

    rewriteConfigEntry(tool, tool.patch.configFileName,
                       {{"devicewidth", TaggedValue(settings.lngDeviceWidth)},
                        {"deviceheight", TaggedValue(settings.lngDeviceHeight)}});
    setRegistryValue(tool, kHkeyCurrentUser, TaggedValue(game::kKeyPath),
                     TaggedValue(game::kGfxModeValue), kRegDwordType, TaggedValue(patch.gfxMode));
    writeLog(tool, "setResolution Completed OK");
    return true;
}

}  // namespace quenor::patching
