#pragma once

#include <optional>
#include <string>
#include <vector>

#include "core/tool.h"
#include "tool/originals/kept_originals.h"

namespace quenor::originals {

// The originals of one installation, where a run finds them. This version keeps them where
// the platform says (in a Wine prefix, the prefix itself); earlier versions kept a prefix's set
// below the home, named by the path the prefix was reached through, so one may lie there
// instead, or beside this version's set (taken through another path, after the first change).
struct OriginalsPlace {
    KeptOriginals kept;                 // the set to use: the only one kept, else this version's
    std::vector<KeptOriginals> others;  // further sets of the same installation
};

// Where the originals are, reading only.
OriginalsPlace findOriginals(PlatformServices& services, const std::string& archiveToolPath);

// The same for a run that holds the change lock: when the one set kept lies where an earlier
// version kept it, it is moved to this version's folder first (copied, checked, then removed
// there). Throws OriginalsError when the move fails; the set then stays where it was.
OriginalsPlace takeOverOriginals(PlatformServices& services, const std::string& archiveToolPath);

// "FOLDER (taken 2026-12-08 14:03:59)", for messages that list sets.
std::string describeSet(const KeptOriginals& kept);

}  // namespace quenor::originals
