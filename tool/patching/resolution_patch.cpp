#include "tool/patching/resolution_patch.h"

#include <algorithm>

#include "core/change_plan.h"
#include "core/game_installation.h"
#include "core/operation_log.h"
#include "core/resolution_codes.h"
#include "core/tool_error.h"
#include "tool/patching/config_entry.h"
#include "tool/registry/registry_values.h"

namespace quenor::patching {

namespace {

struct FixedResolution {
    std::int16_t code;
    std::int32_t width;
    std::int32_t height;
    std::int16_t gfxMode;
};

constexpr FixedResolution retailResolution(int frame) {
    const retail::Frame& size = retail::kFrames[frame - 1];
    return {resolution::retailFrameCode(frame), size.width, size.height, size.gfxMode};
}

// Presets (codes 0..2) and the retail frames used by the reset (50..80).
constexpr FixedResolution kFixedResolutions[] = {
    {resolution::k1280x800, 1280, 800, 4},
    {resolution::k1600x1000, 1600, 1000, 4},
    {resolution::k1024x768, 1024, 768, 2},
    retailResolution(1),
    retailResolution(2),
    retailResolution(3),
    retailResolution(4),
};

bool isPlainNumber(const std::string& text) {
    return !text.empty() &&
           std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; });
}

// A number here is one to four decimal digits: no sign, blank or fraction, which a pixel
// count never has. Zero and a leading zero are refused as well.
bool validValues(const std::string& widthText, const std::string& heightText,
                 std::int16_t frameIndex) {
    auto valid = [](const std::string& text) { return isPlainNumber(text) && text.front() != '0'; };
    return valid(widthText) && valid(heightText) && frameIndex >= 1;
}

}  // namespace

bool rejectsUserDefinedValues(const PatchWindow& window, std::int16_t code) {
    return code == resolution::kUserDefined &&
           !validValues(window.widthText(), window.heightText(), window.frameListIndex());
}

bool validateResolution(Tool& tool, const std::string& widthText, const std::string& heightText,
                        std::int16_t frameIndex) {
    if (validValues(widthText, heightText, frameIndex)) return true;
    const MessageBoxRequest box{"Invalid resolution specified",
                                "Invalid Width or Height or missing Resolution Frame.",
                                MessageButtons::Ok, MessageIcon::Exclamation, 0};
    tool.changeReport.stopped = ChangeReport::Stop{box.title, box.text};
    tool.services.messageBoxes.show(box);
    return false;
}

std::optional<FramePatch> framePatchFor(const Tool& tool, const PatchWindow& window,
                                        std::int16_t code) {
    if (code == resolution::kNoChange) return std::nullopt;
    if (code == resolution::kUserDefined) {
        return FramePatch{game::configEntryName(tool.settings.intResFrame),
                          std::stoi(window.widthText()), std::stoi(window.heightText()),
                          window.frameListIndex()};
    }
    const auto* fixed = std::find_if(std::begin(kFixedResolutions), std::end(kFixedResolutions),
                                     [code](const FixedResolution& r) { return r.code == code; });
    if (fixed == std::end(kFixedResolutions)) {
        throw ToolError(5, tool.services.programName,
                        "Unknown resolution code " + std::to_string(code) + ".");
    }
    return FramePatch{tool.patch.configFileName, fixed->width, fixed->height, fixed->gfxMode};
}

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
    const FramePatch patch = *framePatchFor(tool, window, code);
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
