#include "core/change_plan.h"

#include <algorithm>
#include <stdexcept>
#include <string>

#include "core/game_installation.h"
#include "lib/base/ascii.h"

namespace quenor {

const retail::Frame& retail::frame(int frame) {
    if (frame < 1 || frame > game::kFrameCount) {
        throw std::out_of_range("no retail frame " + std::to_string(frame));
    }
    return kFrames[frame - 1];
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
    return plannedReset().registry;
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
