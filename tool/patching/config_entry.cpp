#include "tool/patching/config_entry.h"

#include "core/operation_log.h"
#include "tool/patching/archive_calls.h"
#include "tool/patching/insert_in_file.h"

namespace quenor::patching {

std::string rewriteConfigEntry(Tool& tool, const std::string& entryName,
                               std::initializer_list<KeyedValue> values) {
    const SettingsModel& settings = tool.settings;
    FileSystem& files = tool.services.files;
    std::string extracted = files.join(settings.strTempFolder, entryName);
    const std::string scratch = files.join(settings.strTempFolder, "quenor.tmp");
    writeLog(tool, " Call ExportFile");
    ExportFile(tool, settings.strFMISCpath, entryName, extracted, -1);
    writeLog(tool, " ExportFile done - OK");
    for (const KeyedValue& line : values)
        insertInFile(tool, extracted, scratch, line.key, line.value);
    writeLog(tool, " Call AddFile");
    AddFile(tool, settings.strFMISCpath, extracted, -1);
    writeLog(tool, " AddFile done - OK");
    return extracted;
}

}  // namespace quenor::patching
