// Parsing and writing the header and directory of BIGF, BIG4, BIGH and C0FB archives.
#include "lib/viv/big_archive.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <limits>

#include "lib/base/ascii.h"
#include "lib/base/byte_reader.h"
#include "lib/viv/archive_error.h"

namespace quenor::viv {
namespace {

constexpr std::size_t kBigHeaderLength = 16;
constexpr std::size_t kC0fbHeaderLength = 6;
constexpr std::size_t kVersionTagLength = 8;
constexpr std::size_t kDirectoryPiece = 16u << 10;

void putBig(std::vector<std::uint8_t>& out, std::uint32_t value, int bytes) {
    for (int i = bytes - 1; i >= 0; --i) out.push_back(static_cast<std::uint8_t>(value >> (8 * i)));
}

std::size_t locationLength(ArchiveFormat format) {
    return format == ArchiveFormat::kC0FB ? 6 : 8;
}

std::string describe(const std::string& archive, std::size_t index, const std::string& name) {
    return "Archive " + archive + ": entry " + std::to_string(index + 1) + " (" + name + ")";
}

std::uint64_t roundUp(std::uint64_t value, std::uint64_t step) {
    return (value + step - 1) / step * step;
}

std::uint32_t detectAlignment(const std::vector<ArchiveEntry>& entries) {
    for (std::uint32_t candidate : {64u, 16u, 4u}) {
        bool all = std::all_of(entries.begin(), entries.end(), [&](const ArchiveEntry& e) {
            return e.dataSize() == 0 || e.offset % candidate == 0;
        });
        bool any = std::any_of(entries.begin(), entries.end(),
                               [](const ArchiveEntry& e) { return e.dataSize() > 0; });
        if (all && any) return candidate;
    }
    return 1;
}

bool isVersionTag(std::span<const std::uint8_t> bytes) {
    return bytes.size() >= 4 && bytes[0] == 'L' &&
           std::all_of(bytes.begin() + 1, bytes.begin() + 4,
                       [](std::uint8_t c) { return c >= '0' && c <= '9'; });
}

ArchiveFormat detectFormat(std::span<const std::uint8_t> head, const std::string& archive) {
    auto startsWith = [&](std::string_view magic, std::size_t at) {
        base::ByteReader in(head);
        return in.skip(at) && in.lookingAt(magic);
    };
    if (startsWith("BIGF", 0)) return ArchiveFormat::kBigF;
    if (startsWith("BIG4", 0)) return ArchiveFormat::kBig4;
    if (startsWith("BIGH", 0)) return ArchiveFormat::kBigH;
    if (head.size() >= 2 && head[0] == 0xC0 && head[1] == 0xFB) return ArchiveFormat::kC0FB;
    bool packedWhole = (head.size() >= 2 && (head[0] & 0x6E) == 0 && head[1] == 0xFB) ||
                       startsWith("BIGF", 6) || startsWith("BIG4", 6) || startsWith("BIGH", 6);
    if (packedWhole) {
        throw ArchiveError("Archive " + archive +
                           " is RefPack-compressed as a whole, which this tool does not unpack; "
                           "use an uncompressed copy of the archive.");
    }
    throw ArchiveError("Archive " + archive +
                       " does not start with a known archive signature (BIGF, BIG4, BIGH or "
                       "C0FB); it is not an archive of this kind or it is damaged.");
}

}  // namespace

std::string_view formatName(ArchiveFormat format) {
    switch (format) {
        case ArchiveFormat::kBigF:
            return "BIGF";
        case ArchiveFormat::kBig4:
            return "BIG4";
        case ArchiveFormat::kBigH:
            return "BIGH";
        case ArchiveFormat::kC0FB:
            return "C0FB";
    }
    return "?";
}

std::optional<ArchiveFormat> parseFormatName(std::string_view name) {
    for (ArchiveFormat format :
         {ArchiveFormat::kBigF, ArchiveFormat::kBig4, ArchiveFormat::kBigH, ArchiveFormat::kC0FB}) {
        if (base::equalsIgnoringAsciiCase(name, formatName(format))) return format;
    }
    return std::nullopt;
}

std::uint64_t ArchiveDirectory::reservedEnd() const {
    std::uint64_t footerEnd = directoryEnd;
    if (footerKind == FooterKind::kVersionTag) footerEnd += footer.size();
    if (footerKind == FooterKind::kNulPadding) footerEnd = roundUp(directoryEnd, 4);
    // The header-size field tells loaders where data may start; keep data above it when it is
    // a small distance past the directory (otherwise it is not a meaningful bound).
    if (headerFieldDelta > 0 && headerFieldDelta <= 4096) {
        footerEnd = std::max(footerEnd, headerField());
    }
    return footerEnd;
}

std::optional<std::size_t> ArchiveDirectory::find(std::string_view name) const {
    for (std::size_t i = entries.size(); i-- > 0;) {
        if (base::equalsIgnoringAsciiCase(entries[i].name, name)) return i;
    }
    return std::nullopt;
}

std::vector<std::uint8_t> encodeLocation(ArchiveFormat format, std::uint32_t offset,
                                         std::uint32_t size) {
    std::vector<std::uint8_t> out;
    int width = format == ArchiveFormat::kC0FB ? 3 : 4;
    putBig(out, offset, width);
    putBig(out, size, width);
    return out;
}

std::size_t headerLength(ArchiveFormat format) {
    return format == ArchiveFormat::kC0FB ? kC0fbHeaderLength : kBigHeaderLength;
}

std::size_t recordLength(ArchiveFormat format, std::string_view name) {
    return locationLength(format) + name.size() + 1;
}

std::uint64_t addressLimit(ArchiveFormat format) {
    // Offsets are 32 bits; loaders are not trusted past 2 GiB. C0FB has 24-bit fields.
    return format == ArchiveFormat::kC0FB ? 0xFFFFFFu : 0x7FFFFFFFu;
}

std::vector<std::uint8_t> encodeSizeField(ByteOrder order, std::uint32_t size) {
    std::vector<std::uint8_t> out;
    if (order == ByteOrder::kBig) {
        putBig(out, size, 4);
    } else {
        for (int i = 0; i < 4; ++i) out.push_back(static_cast<std::uint8_t>(size >> (8 * i)));
    }
    return out;
}

namespace {

// What the header holds besides the format: the entry count and the header-size field.
struct HeaderFields {
    std::uint64_t count = 0;
    std::uint64_t headerField = 0;
};

// Reads the header (the first bytes, already read into `head`) into `dir`.
HeaderFields readHeader(std::span<const std::uint8_t> head, std::uint64_t fileSize,
                        ArchiveDirectory& dir, const std::string& archive) {
    base::ByteReader header(head);
    HeaderFields fields;
    if (dir.format == ArchiveFormat::kC0FB) {
        header.skip(2);  // the signature
        fields.headerField = header.u16be();
        fields.count = header.u16be();
    } else {
        header.skip(4);  // the signature
        const std::span<const std::uint8_t> sizeBytes = header.bytes(4);
        const std::uint32_t big = base::ByteReader(sizeBytes).u32be();
        const std::uint32_t little = base::ByteReader(sizeBytes).u32le();
        dir.sizeField = big;
        auto distance = [&](std::uint32_t v) { return v > fileSize ? v - fileSize : fileSize - v; };
        // Games ignore this field and an interrupted update may leave it stale, so the byte
        // order is the one whose value is nearest to the real length.
        dir.sizeFieldOrder =
            distance(little) <= distance(big) ? ByteOrder::kLittle : ByteOrder::kBig;
        if (dir.sizeFieldOrder == ByteOrder::kLittle) dir.sizeField = little;
        fields.count = header.u32be();
        fields.headerField = header.u32be();
    }
    if (!header.ok()) {
        throw ArchiveError("Archive " + archive + " is truncated: its header is cut off.");
    }
    return fields;
}

// Reads `count` directory records that follow the header into dir.entries, and sets
// dir.directoryEnd. The directory cannot be longer than the file, nor than count full-length
// records. It is read in growing pieces as the records are parsed, so opening an archive costs
// what its directory holds rather than what its entry count could hold at most.
void readRecords(files::FileHandle& file, std::uint64_t fileSize, std::uint64_t count,
                 ArchiveDirectory& dir, const std::string& archive) {
    const std::size_t headerLen = headerLength(dir.format);
    const std::size_t locLen = locationLength(dir.format);
    const std::uint64_t available = fileSize - headerLen;
    if (count * (locLen + 1) > available) {
        throw ArchiveError("Archive " + archive + " claims " + std::to_string(count) +
                           " entries, which need at least " + std::to_string(count * (locLen + 1)) +
                           " bytes of directory, but only " + std::to_string(available) +
                           " bytes follow the header; the archive is damaged or truncated.");
    }
    const std::uint64_t readLimit = std::min(available, count * (locLen + kMaxNameLength + 1));
    std::vector<std::uint8_t> buffer;
    auto loadUpTo = [&](std::uint64_t needed) {
        if (buffer.size() >= needed || buffer.size() == readLimit) return;
        const std::uint64_t target = std::min(
            readLimit,
            std::max({needed, std::uint64_t{kDirectoryPiece}, std::uint64_t{buffer.size()} * 2}));
        const std::size_t loaded = buffer.size();
        buffer.resize(target);
        file.readAt(headerLen + loaded, std::span(buffer.data() + loaded, buffer.size() - loaded));
    };

    std::size_t pos = 0;
    dir.entries.reserve(count);
    for (std::uint64_t i = 0; i < count; ++i) {
        auto where = [&] {
            return "Archive " + archive + ": the record of entry " + std::to_string(i + 1);
        };
        // Enough for one record of the longest name, or everything there is.
        loadUpTo(pos + locLen + kMaxNameLength + 1);
        base::ByteReader record(std::span<const std::uint8_t>(buffer).subspan(pos));
        ArchiveEntry entry;
        entry.recordOffset = headerLen + pos;
        const std::size_t width = locLen / 2;
        entry.offset = record.bigEndian(width);
        entry.storedSize = record.bigEndian(width);
        if (!record.ok()) {
            throw ArchiveError(where() + " is cut off by the end of the file (" +
                               std::to_string(fileSize) + " bytes); the archive is truncated.");
        }
        const auto name = record.upTo(0, kMaxNameLength + 1);
        if (!name) {
            if (record.remaining() > kMaxNameLength) {
                throw ArchiveError(where() + " has a name longer than " +
                                   std::to_string(kMaxNameLength) +
                                   " bytes; the directory is damaged.");
            }
            throw ArchiveError(where() + " has a name without a terminating NUL byte before the " +
                               "end of the file; the archive is truncated or damaged.");
        }
        entry.name.assign(reinterpret_cast<const char*>(name->data()), name->size());
        pos += record.offset();
        dir.entries.push_back(std::move(entry));
    }
    dir.directoryEnd = headerLen + pos;
}

// Where the first entry's data starts (the file's end when none has data); an entry that
// reaches past the file or into the directory is refused.
std::uint64_t checkedDataStart(const ArchiveDirectory& dir, std::uint64_t fileSize,
                               const std::string& archive) {
    std::uint64_t dataStart = fileSize;
    for (std::size_t i = 0; i < dir.entries.size(); ++i) {
        const ArchiveEntry& e = dir.entries[i];
        if (e.isEmptyMarker()) continue;
        if (e.dataEnd() > fileSize) {
            throw ArchiveError(describe(archive, i, e.name) + " ends at byte " +
                               std::to_string(e.dataEnd()) + ", past the end of the file (" +
                               std::to_string(fileSize) + " bytes).");
        }
        if (e.storedSize > 0 && e.offset < dir.directoryEnd) {
            throw ArchiveError(describe(archive, i, e.name) + " starts at byte " +
                               std::to_string(e.offset) +
                               ", inside the header and directory (which end at byte " +
                               std::to_string(dir.directoryEnd) + ").");
        }
        if (e.storedSize > 0) dataStart = std::min<std::uint64_t>(dataStart, e.offset);
    }
    return dataStart;
}

// What lies between the directory and the data: a version tag, NUL padding to 4 bytes, or
// nothing known.
void readFooter(files::FileHandle& file, std::uint64_t dataStart, ArchiveDirectory& dir) {
    const std::uint64_t gap = dataStart - dir.directoryEnd;
    if (gap >= kVersionTagLength) {
        std::array<std::uint8_t, kVersionTagLength> tag{};
        file.readAt(dir.directoryEnd, tag);
        if (isVersionTag(tag)) {
            dir.footerKind = FooterKind::kVersionTag;
            dir.footer.assign(tag.begin(), tag.end());
        }
    }
    if (dir.footerKind == FooterKind::kNone && dir.directoryEnd % 4 != 0 &&
        roundUp(dir.directoryEnd, 4) <= dataStart) {
        std::array<std::uint8_t, 4> pad{};
        const std::size_t padLen = roundUp(dir.directoryEnd, 4) - dir.directoryEnd;
        file.readAt(dir.directoryEnd, std::span(pad.data(), padLen));
        if (std::all_of(pad.begin(), pad.begin() + padLen, [](std::uint8_t b) { return b == 0; })) {
            dir.footerKind = FooterKind::kNulPadding;
        }
    }
}

}  // namespace

ArchiveDirectory readDirectory(files::FileHandle& file, const std::string& archive) {
    const std::uint64_t fileSize = file.size();
    std::array<std::uint8_t, kBigHeaderLength> headBuffer{};
    std::span<std::uint8_t> head(headBuffer.data(),
                                 static_cast<std::size_t>(std::min<std::uint64_t>(16, fileSize)));
    file.readAt(0, head);

    ArchiveDirectory dir;
    dir.format = detectFormat(head, archive);
    const std::size_t headerLen = headerLength(dir.format);
    if (fileSize < headerLen) {
        throw ArchiveError("Archive " + archive + " is truncated: it has " +
                           std::to_string(fileSize) + " bytes, fewer than the " +
                           std::to_string(headerLen) + " of a " +
                           std::string(formatName(dir.format)) + " header.");
    }
    const HeaderFields fields = readHeader(head, fileSize, dir, archive);
    readRecords(file, fileSize, fields.count, dir, archive);
    dir.headerFieldDelta =
        static_cast<std::int64_t>(fields.headerField) - static_cast<std::int64_t>(dir.directoryEnd);
    readFooter(file, checkedDataStart(dir, fileSize, archive), dir);
    dir.alignment = detectAlignment(dir.entries);
    return dir;
}

void layOutRecords(ArchiveDirectory& directory) {
    std::uint64_t pos = headerLength(directory.format);
    for (ArchiveEntry& entry : directory.entries) {
        entry.recordOffset = pos;
        pos += recordLength(directory.format, entry.name);
    }
    directory.directoryEnd = pos;
}

std::vector<std::uint8_t> serializeDirectory(const ArchiveDirectory& dir, std::uint64_t fileSize,
                                             std::uint64_t dataStart) {
    std::vector<std::uint8_t> out;
    out.reserve(dataStart);
    const std::uint64_t headerField = dir.headerField();
    if (dir.format == ArchiveFormat::kC0FB) {
        if (dir.entries.size() > 0xFFFF || headerField > 0xFFFF) {
            throw ArchiveError(
                "A C0FB archive holds at most 65535 entries and a directory of "
                "64 KiB; this one would need " +
                std::to_string(dir.entries.size()) + " entries and " + std::to_string(headerField) +
                " bytes.");
        }
        out.push_back(0xC0);
        out.push_back(0xFB);
        putBig(out, static_cast<std::uint32_t>(headerField), 2);
        putBig(out, static_cast<std::uint32_t>(dir.entries.size()), 2);
    } else {
        std::string_view magic = formatName(dir.format);
        out.insert(out.end(), magic.begin(), magic.end());
        auto size = encodeSizeField(dir.sizeFieldOrder, static_cast<std::uint32_t>(fileSize));
        out.insert(out.end(), size.begin(), size.end());
        putBig(out, static_cast<std::uint32_t>(dir.entries.size()), 4);
        putBig(out, static_cast<std::uint32_t>(headerField), 4);
    }
    for (const ArchiveEntry& entry : dir.entries) {
        auto location = encodeLocation(dir.format, entry.offset, entry.storedSize);
        out.insert(out.end(), location.begin(), location.end());
        out.insert(out.end(), entry.name.begin(), entry.name.end());
        out.push_back(0);
    }
    if (dir.footerKind == FooterKind::kVersionTag) {
        out.insert(out.end(), dir.footer.begin(), dir.footer.end());
    }
    if (out.size() < dataStart) out.resize(dataStart, 0);
    return out;
}

}  // namespace quenor::viv
