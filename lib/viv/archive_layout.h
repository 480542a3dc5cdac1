#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "lib/viv/big_archive.h"

namespace quenor::viv {

// What is unusual about where an archive's entries lie, though every entry can be read: data
// that two entries share or that overlaps, empty entries that point into the header or the
// directory, bytes that belong to no entry. One sentence each, for a listing; updates keep
// all of these as they are.
std::vector<std::string> layoutNotes(const ArchiveDirectory& directory, std::uint64_t fileSize);

}  // namespace quenor::viv
