#include "tool/patching/vsync_patch.h"

#include "core/game_installation.h"
#include "core/operation_log.h"
#include "tool/patching/config_entry.h"

namespace quenor::patching {

void setVSYNC(Tool& tool) {
    writeLog(tool, "setVSYNC start...");
    for (int frame = 1; frame <= game::kFrameCount; ++frame) {
        const std::string extracted =
            rewriteConfigEntry(tool, game::configEntryName(frame),
                               {{"enablevsync", TaggedValue(tool.patch.vsyncValueText)}});
        tool.services.files.removeFile(extracted);
        writeLog(tool, " Kill " + extracted + " - OK");
    }
    writeLog(tool, "setVSYNC done - OK");
}

}  // namespace quenor::patching
