#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "lib/files/file_io.h"
#include "lib/viv/big_archive.h"

namespace quenor::viv {

struct NewEntry {
    std::string name;
    std::vector<std::uint8_t> plain;
};

// The conventions of a new archive.
struct CreateOptions {
    ArchiveFormat format = ArchiveFormat::kBigF;
    bool compress = false;  // store every entry RefPack-compressed (10FB, or 90FB from 16 MiB)
    ByteOrder sizeFieldOrder = ByteOrder::kLittle;
    std::uint32_t alignment = 4;  // data offsets are multiples of this (1, 4, 16 or 64)
    FooterKind footerKind = FooterKind::kNone;
    std::vector<std::uint8_t> footer;   // the 8 tag bytes for FooterKind::kVersionTag
    std::int64_t headerFieldDelta = 0;  // header-size field minus the end of the directory
};

// The bytes of a new archive holding `entries` in the given order.
std::vector<std::uint8_t> buildArchive(const CreateOptions& options,
                                       const std::vector<NewEntry>& entries);

// Writes a new archive (replacing any file at the path, safely).
void createArchive(files::FileIo& io, const std::filesystem::path& path,
                   const CreateOptions& options, const std::vector<NewEntry>& entries);

}  // namespace quenor::viv
