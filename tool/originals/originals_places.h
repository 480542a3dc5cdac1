#pragma once

#include <optional>
#include <string>

#include "core/tool.h"
#include "tool/originals/kept_originals.h"

namespace quenor::originals {

// The originals of one installation, where a run finds them. This version keeps them under
// the installation's real path; an earlier one named a prefix by the path it was reached
// through, so a prefix reached through a symbolic link may have its set there instead, or a
// second set beside this version's (taken through the other path, after the first change).
struct OriginalsPlace {
    KeptOriginals kept;                     // the set to use
    std::optional<KeptOriginals> duplicate;  // a second set under the other path
};

// Where the originals are, reading only: this version's folder, or the earlier one's when
// only that holds a record.
OriginalsPlace findOriginals(PlatformServices& services, const std::string& archiveToolPath);

// The same for a run that holds the change lock: a set kept only under the earlier path is
// moved to this version's folder first.
OriginalsPlace takeOverOriginals(PlatformServices& services, const std::string& archiveToolPath);

}  // namespace quenor::originals
