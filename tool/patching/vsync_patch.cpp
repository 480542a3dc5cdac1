#include "tool/patching/vsync_patch.h"

#include "core/operation_log.h"
#include "tool/patching/archive_calls.h"
#include "tool/patching/insert_in_file.h"

namespace quenor {

void setVSYNC(Tool& tool) {
    const SettingsModel& settings = tool.settings;
    FileSystem& files = tool.services.files;
    writeLog(tool, "setVSYNC start...");
    for (int n = 1; n <= 4; ++n) {
        const std::string fileName = "sgsm" + std::to_string(n) + ".cfg";
        const std::string extracted = files.join(settings.strTempFolder, fileName);
        writeLog(tool, " Call ExportFile");
        ExportFile(tool, settings.strFMISCpath, fileName, extracted, -1);
        writeLog(tool, " ExportFile done - OK");
        insertInFile(tool, extracted, files.join(settings.strTempFolder, "quenor.tmp"),
                     "enablevsync", TaggedValue(tool.patch.vsyncValueText));
        writeLog(tool, " Call AddFile");
        AddFile(tool, settings.strFMISCpath, extracted, -1);
        writeLog(tool, " AddFile done - OK");
        files.removeFile(extracted);
        writeLog(tool, " Kill " + extracted + " - OK");
    }
    writeLog(tool, "setVSYNC done - OK");
}

}  // namespace quenor
