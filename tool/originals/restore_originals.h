#pragma once

#include <optional>
#include <string>
#include <vector>

#include "core/tool.h"
#include "tool/originals/originals_record.h"

namespace quenor::originals {

// How the archive now stands to what was kept and what the tool last wrote.
enum class ArchiveNow {
    NotKept,         // no original of the archive is kept
    Missing,         // the archive is gone
    Original,        // byte for byte the original
    LastWritten,     // what the tool's last change left
    ChangeCutOff,    // a change by the tool began and was not noted as finished
    ChangedByOthers  // neither: something else changed it since
};

// The originals of the installation whose archive is at `archiveToolPath`, compared with what
// it holds now. Reads only.
struct OriginalsState {
    std::string folder;  // where they are kept
    // Further sets of the installation's archive, left alone, each "FOLDER (taken ...): not
    // used, WHY".
    std::vector<std::string> otherSets;
    std::optional<OriginalsRecord> record;  // nothing: none are kept
    std::optional<WrittenRecord> written;   // the tool's last change, when noted
    ArchiveNow archive = ArchiveNow::NotKept;
    std::vector<std::string> registryDifferences;  // values and keys unlike the originals
    std::string error;                             // the originals cannot be read
};
OriginalsState originalsState(PlatformServices& services, const std::string& archiveToolPath);

// The differences between the installation and its originals, in words; empty when the
// archive and every kept registry value and key are as they were. Reads only.
std::vector<std::string> differencesFromOriginals(PlatformServices& services,
                                                  const std::string& archiveToolPath);

// Puts every kept original back: the archive byte for byte (replaced in one step, checked
// before and after), each registry value as it was (deleted when it was absent), and the keys
// the tool created removed when they hold nothing else. Every step can be repeated, so a
// restore that was cut off finishes when run again. Refuses an archive that something other
// than the tool changed, unless `force`. Where several sets of the archive are kept, puts back
// the one findOriginals() chooses. Holds the change lock throughout. Returns what was done, in
// words. Throws OriginalsError when it refuses or fails, ToolError when the lock cannot be had.
std::vector<std::string> restoreOriginals(PlatformServices& services,
                                          const std::string& archiveToolPath, bool force);

// Drops kept originals of the installation, holding the change lock; the next change takes new
// ones. `folder` names the set to drop (any set of the prefix's); without it, the one set kept.
// Where several are kept and none is named, or the named folder holds no set, nothing is
// dropped: throws OriginalsError listing them. Returns the folder dropped, or nothing when none
// were kept.
std::optional<std::string> forgetOriginals(PlatformServices& services,
                                           const std::string& archiveToolPath,
                                           const std::string& folder = {});

}  // namespace quenor::originals
