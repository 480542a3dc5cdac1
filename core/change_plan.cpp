#include "core/change_plan.h"

#include <algorithm>
#include <stdexcept>
#include <string>

#include "core/game_installation.h"
#include "lib/base/ascii.h"

namespace quenor {

const choices::Frame& retail::frame(int frame) {
    if (frame < 1 || frame > game::kFrameCount) {
        throw std::out_of_range("no retail frame " + std::to_string(frame));
    }
    return choices::kFrames[frame - 1];
}

ChangePlan plannedApply(const PlayerChoices& chosen) {
    ChangePlan plan;
    if (const std::optional<FramePatch> frame = framePatchOf(chosen)) {
        plan.entries[frame->entry]["devicewidth"] = std::to_string(frame->width);
        plan.entries[frame->entry]["deviceheight"] = std::to_string(frame->height);
        plan.registry.push_back({game::kKeyPath, game::kGfxModeValue, frame->gfxMode});
    }
    const std::string vsync(choices::kVsyncValues.at(chosen.vsync).tag);
    for (int frame = 1; frame <= game::kFrameCount; ++frame)
        plan.entries[game::configEntryName(frame)]["enablevsync"] = vsync;
    plan.registry.push_back({game::kDetailsKeyPathAsApplyWritesIt, game::kOnPlayPlayerValue,
                             choices::kFpsLevels.at(chosen.fps).number});
    return plan;
}

ChangePlan plannedReset() {
    ChangePlan plan;
    for (int frame = 1; frame <= game::kFrameCount; ++frame) {
        auto& lines = plan.entries[game::configEntryName(frame)];
        lines["devicewidth"] = std::to_string(retail::frame(frame).width);
        lines["deviceheight"] = std::to_string(retail::frame(frame).height);
        lines["enablevsync"] = retail::kEnableVsync;
    }
    plan.registry = {{game::kKeyPath, game::kGfxModeValue, retail::kGfxMode},
                     {game::kDetailsKeyPath, game::kOnPlayPlayerValue, retail::kOnPlayPlayer}};
    return plan;
}

std::vector<PlannedDword> registryValuesChangesWrite() {
    std::vector<PlannedDword> values = plannedReset().registry;
    for (const choices::ResolutionOption& option : choices::kResolutionOptions) {
        PlayerChoices chosen;
        chosen.resolution = option.code;
        chosen.width = chosen.height = "1";
        chosen.frame = 1;
        for (const PlannedDword& value : plannedApply(chosen).registry) {
            const bool known = std::any_of(values.begin(), values.end(), [&](const auto& v) {
                return base::equalsIgnoringAsciiCase(v.keyPath, value.keyPath) &&
                       base::equalsIgnoringAsciiCase(v.name, value.name);
            });
            if (!known) values.push_back(value);
        }
    }
    return values;
}

std::vector<std::string> registryKeysChangesMake() {
    std::vector<std::string> keys;
    for (const PlannedDword& value : registryValuesChangesWrite()) {
        const std::string& path = value.keyPath;
        for (std::size_t at = path.find('\\'); at != std::string::npos;) {
            at = path.find('\\', at + 1);
            const std::string key = path.substr(0, at);
            const bool known = std::any_of(keys.begin(), keys.end(), [&](const std::string& k) {
                return base::equalsIgnoringAsciiCase(k, key);
            });
            if (!known) keys.push_back(key);
        }
    }
    return keys;
}

}  // namespace quenor
