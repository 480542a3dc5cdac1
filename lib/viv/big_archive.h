#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "lib/files/file_io.h"

namespace quenor::viv {

enum class ArchiveFormat { kBigF, kBig4, kBigH, kC0FB };
enum class ByteOrder { kLittle, kBig };

// What follows the directory before the data.
enum class FooterKind {
    kNone,
    kVersionTag,  // "L" + three digits + a u32, kept byte for byte
    kNulPadding,  // NUL bytes up to the next multiple of 4
};

inline constexpr std::size_t kMaxNameLength = 260;

struct ArchiveEntry {
    std::string name;
    std::uint32_t offset = 0;
    std::uint32_t storedSize = 0;
    std::uint64_t recordOffset = 0;  // where the entry's record starts in the file

    // Offset == archive size with size 0xFFFFFFFF: an entry without data.
    bool isEmptyMarker() const { return storedSize == 0xFFFFFFFFu; }
    std::uint64_t dataSize() const { return isEmptyMarker() ? 0 : storedSize; }
    std::uint64_t dataEnd() const { return std::uint64_t{offset} + dataSize(); }
};

// The header and directory of an archive, with every convention a rewrite has to keep.
struct ArchiveDirectory {
    ArchiveFormat format = ArchiveFormat::kBigF;
    ByteOrder sizeFieldOrder = ByteOrder::kLittle;  // BIG forms only
    std::uint32_t sizeField = 0;                    // the archive-size field as stored
    std::int64_t headerFieldDelta = 0;  // header-size field minus the end of the directory
    std::uint64_t directoryEnd = 0;     // first byte after the last record
    FooterKind footerKind = FooterKind::kNone;
    std::vector<std::uint8_t> footer;  // the version tag bytes when footerKind is kVersionTag
    std::uint32_t alignment = 1;       // every data offset is a multiple of this
    std::vector<ArchiveEntry> entries;

    std::uint64_t headerField() const {
        return static_cast<std::uint64_t>(static_cast<std::int64_t>(directoryEnd) +
                                          headerFieldDelta);
    }
    // End of the header, directory and footer: no data may be placed below it.
    std::uint64_t reservedEnd() const;
    // The index of the entry a loader uses for `name`: the last one whose name matches
    // without regard to ASCII letter case.
    std::optional<std::size_t> find(std::string_view name) const;
};

std::string_view formatName(ArchiveFormat format);
std::optional<ArchiveFormat> parseFormatName(std::string_view name);

// The bytes of one record's location fields (offset and size) as stored in the directory.
std::vector<std::uint8_t> encodeLocation(ArchiveFormat format, std::uint32_t offset,
                                         std::uint32_t size);
std::size_t headerLength(ArchiveFormat format);
std::size_t recordLength(ArchiveFormat format, std::string_view name);
// The largest data end the format can address.
std::uint64_t addressLimit(ArchiveFormat format);

// Reads and checks the header and directory. Reads at most a bound derived from the real file
// size; every count, offset, size and name is checked. `archiveName` is used in messages.
ArchiveDirectory readDirectory(files::FileHandle& file, const std::string& archiveName);

// The header, records and footer of `directory` for a file of fileSize bytes, padded with NUL
// bytes up to dataStart (which must not be below the end of the footer).
std::vector<std::uint8_t> serializeDirectory(const ArchiveDirectory& directory,
                                             std::uint64_t fileSize, std::uint64_t dataStart);

// Sets directoryEnd from the records (the offsets of records follow from the names).
void layOutRecords(ArchiveDirectory& directory);

// The size-field bytes for a file size.
std::vector<std::uint8_t> encodeSizeField(ByteOrder order, std::uint32_t size);

}  // namespace quenor::viv
