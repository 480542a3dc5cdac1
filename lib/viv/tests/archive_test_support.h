#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <utility>
#include <vector>

#include "lib/files/file_io.h"
#include "lib/viv/archive_create.h"

namespace quenor::viv::testing {

using Bytes = std::vector<std::uint8_t>;

Bytes bytesOf(const std::string& text);
// Deterministic, poorly compressible bytes.
Bytes noise(std::size_t size, std::uint32_t seed);
// A few entries of varied sizes, one of them empty.
std::vector<NewEntry> sampleEntries();
// Every entry's name and plain content, in directory order.
std::vector<std::pair<std::string, Bytes>> readAllEntries(files::FileIo& io,
                                                          const std::filesystem::path& archive);
// A fresh empty folder under the system temporary folder.
std::filesystem::path freshTempFolder(const std::string& tag);

}  // namespace quenor::viv::testing
