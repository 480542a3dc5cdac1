#pragma once

#include <optional>
#include <string>
#include <vector>

#include "core/tool.h"
#include "tool/originals/kept_originals.h"

namespace quenor::originals {

// The originals of one installation, where a run finds them. A set is named after the archive
// it was taken of, by the archive's identity (its real path on this machine, however "Install
// Dir" spells it and whatever links lead to it). Earlier versions named a set after the text
// that led to the archive, and kept a prefix's sets below the home, so more than one set of
// one archive may be kept: each set's record names its archive, by which they are found.
struct OriginalsPlace {
    // The set to use: the oldest whose archive is not a version Quenor wrote (as any set's note
    // of Quenor's last change lists them); this version's own folder when none is kept.
    KeptOriginals kept;
    // Further sets of the same archive, left alone, each with why it is not the one used.
    struct Other {
        KeptOriginals set;
        std::string why;
    };
    std::vector<Other> others;
};

// Where the originals are, reading only.
OriginalsPlace findOriginals(PlatformServices& services, const std::string& archiveToolPath);

// The same for a run that holds the change lock: when the set to use lies where an earlier
// version kept it (below the home), it is moved into this version's folder first (copied,
// checked, then removed there). Throws OriginalsError when the move fails; the set
// then stays where it was.
OriginalsPlace takeOverOriginals(PlatformServices& services, const std::string& archiveToolPath);

// A set of originals of the prefix (or of the machine, without one) whose note of Quenor's last
// change lists the archive at `archiveToolPath` as a version Quenor wrote; nothing when none
// does. Such an archive is not the game as it was.
std::optional<KeptOriginals> setThatWroteArchive(PlatformServices& services,
                                                 const std::string& archiveToolPath);

// Every set of originals kept in the platform's folders, of any archive.
std::vector<KeptOriginals> everySet(PlatformServices& services);

// "FOLDER (taken 2026-12-08 14:03:59)", for messages that list sets.
std::string describeSet(const KeptOriginals& kept);

}  // namespace quenor::originals
