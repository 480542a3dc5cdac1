// Round trips through every variant: what a replacement or an addition keeps and changes.
#include <gtest/gtest.h>

#include <algorithm>

#include "lib/files/testing/memory_file_io.h"
#include "lib/refpack/refpack.h"
#include "lib/viv/archive_create.h"
#include "lib/viv/archive_edit.h"
#include "lib/viv/archive_error.h"
#include "lib/viv/archive_reader.h"
#include "lib/viv/tests/archive_test_support.h"

namespace quenor::viv {
namespace {

using testing::Bytes;
using testing::bytesOf;
using testing::noise;
using testing::readAllEntries;
using testing::sampleEntries;

const std::filesystem::path kPath = "/game/preload/fmisc.viv";

struct Layout {
    const char* label;
    CreateOptions options;
};

CreateOptions options(ArchiveFormat format, ByteOrder order, std::uint32_t alignment,
                      FooterKind footer, std::int64_t delta) {
    CreateOptions o;
    o.format = format;
    o.sizeFieldOrder = order;
    o.alignment = alignment;
    o.footerKind = footer;
    if (footer == FooterKind::kVersionTag) o.footer = {'L', '2', '3', '1', 0, 0, 0x12, 0x34};
    o.headerFieldDelta = delta;
    return o;
}

const Layout kLayouts[] = {
    {"BIGF little-endian, align 4",
     options(ArchiveFormat::kBigF, ByteOrder::kLittle, 4, FooterKind::kNone, 0)},
    {"BIGF big-endian, align 64, L231 tag",
     options(ArchiveFormat::kBigF, ByteOrder::kBig, 64, FooterKind::kVersionTag, 8)},
    {"BIG4 little-endian, align 16, NUL padding",
     options(ArchiveFormat::kBig4, ByteOrder::kLittle, 16, FooterKind::kNulPadding, 3)},
    {"BIGH big-endian, unaligned",
     options(ArchiveFormat::kBigH, ByteOrder::kBig, 1, FooterKind::kNone, 0)},
    {"C0FB unaligned", options(ArchiveFormat::kC0FB, ByteOrder::kBig, 1, FooterKind::kNone, 0)},
    {"C0FB align 4, L218 tag",
     options(ArchiveFormat::kC0FB, ByteOrder::kBig, 4, FooterKind::kVersionTag, 0)},
};

ArchiveDirectory directoryOf(files::MemoryFileIo& io) {
    return ArchiveReader(io, kPath).directory();
}

void expectSameConventions(const ArchiveDirectory& dir, const CreateOptions& o,
                           std::uint64_t fileSize, const std::string& label) {
    SCOPED_TRACE(label);
    EXPECT_EQ(dir.format, o.format);
    EXPECT_EQ(dir.headerFieldDelta, o.headerFieldDelta);
    if (o.footerKind == FooterKind::kVersionTag) {
        EXPECT_EQ(dir.footerKind, FooterKind::kVersionTag);
        EXPECT_EQ(dir.footer, o.footer);
    }
    if (o.format != ArchiveFormat::kC0FB) {
        EXPECT_EQ(dir.sizeFieldOrder, o.sizeFieldOrder);
        EXPECT_EQ(dir.sizeField, fileSize);
    }
    for (const ArchiveEntry& entry : dir.entries) {
        if (entry.storedSize > 0) {
            EXPECT_EQ(entry.offset % o.alignment, 0u) << entry.name;
        }
    }
}

TEST(ArchiveFormat, ReplacingChangesOnlyTheNewDataTheRecordAndTheSizeField) {
    for (const Layout& layout : kLayouts) {
        SCOPED_TRACE(layout.label);
        const Bytes original = buildArchive(layout.options, sampleEntries());
        // Smaller (fits where the old data lay), larger (must go elsewhere), empty.
        for (const Bytes& content : {bytesOf("VSYNC = 0\n"), noise(1500, 9), Bytes{}}) {
            files::MemoryFileIo io;
            io.put(kPath, original);
            const ArchiveDirectory before = directoryOf(io);
            UpdateResult result = putEntry(io, kPath, "SGSM3.CFG", content);
            EXPECT_EQ(result.index, 0u);
            EXPECT_FALSE(result.added);
            EXPECT_EQ(result.method, UpdateMethod::kInPlace);

            auto expected = sampleEntries();
            expected[0].plain = content;
            auto actual = readAllEntries(io, kPath);
            ASSERT_EQ(actual.size(), expected.size());
            for (std::size_t i = 0; i < expected.size(); ++i) {
                EXPECT_EQ(actual[i].first, expected[i].name);
                EXPECT_EQ(actual[i].second, expected[i].plain) << expected[i].name;
            }
            const Bytes& after = io.content(kPath);
            const ArchiveDirectory dir = directoryOf(io);
            expectSameConventions(dir, layout.options, after.size(), layout.label);

            // Every byte of the old file outside the record, the size field and the new data
            // is unchanged.
            const ArchiveEntry& changed = dir.entries[0];
            const std::size_t locationLength =
                layout.options.format == ArchiveFormat::kC0FB ? 6 : 8;
            for (std::size_t at = 0; at < original.size(); ++at) {
                bool inRecord = at >= before.entries[0].recordOffset &&
                                at < before.entries[0].recordOffset + locationLength;
                bool inSizeField =
                    layout.options.format != ArchiveFormat::kC0FB && at >= 4 && at < 8;
                bool inNewData = at >= changed.offset && at < changed.dataEnd();
                if (!inRecord && !inSizeField && !inNewData) {
                    ASSERT_EQ(after[at], original[at]) << "byte " << at;
                }
            }
        }
    }
}

TEST(ArchiveFormat, AddingAnEntryAppendsItAndKeepsTheConventions) {
    for (const Layout& layout : kLayouts) {
        SCOPED_TRACE(layout.label);
        files::MemoryFileIo io;
        io.put(kPath, buildArchive(layout.options, sampleEntries()), 0600);
        UpdateResult result = putEntry(io, kPath, "new\\widescreen.cfg", noise(300, 4));
        EXPECT_TRUE(result.added);
        EXPECT_EQ(result.method, UpdateMethod::kRewritten);
        EXPECT_EQ(result.index, 4u);

        auto expected = sampleEntries();
        expected.push_back({"new\\widescreen.cfg", noise(300, 4)});
        auto actual = readAllEntries(io, kPath);
        ASSERT_EQ(actual.size(), expected.size());
        for (std::size_t i = 0; i < expected.size(); ++i) {
            EXPECT_EQ(actual[i].first, expected[i].name);
            EXPECT_EQ(actual[i].second, expected[i].plain);
        }
        expectSameConventions(directoryOf(io), layout.options, io.content(kPath).size(),
                              layout.label);
        EXPECT_EQ(io.permissions(kPath), 0600u);
        EXPECT_FALSE(io.exists(files::temporarySibling(kPath)));
    }
}

TEST(ArchiveFormat, NamesMatchWithoutCaseAndTheLastDuplicateIsTheOneUsed) {
    files::MemoryFileIo io;
    io.put(kPath, buildArchive({}, {{"a.cfg", bytesOf("first")},
                                    {"b.cfg", bytesOf("other")},
                                    {"A.CFG", bytesOf("second")}}));
    ArchiveReader reader(io, kPath);
    EXPECT_EQ(reader.require("a.Cfg"), 2u);
    EXPECT_EQ(reader.readPlain(reader.require("A.cfg")), bytesOf("second"));
    EXPECT_THROW(reader.require("a.cfg.bak"), ArchiveError);

    UpdateResult result = putEntry(io, kPath, "a.cfg", bytesOf("patched"));
    EXPECT_EQ(result.index, 2u);
    auto entries = readAllEntries(io, kPath);
    EXPECT_EQ(entries[0].second, bytesOf("first"));
    EXPECT_EQ(entries[2].first, "A.CFG");  // the stored name is kept
    EXPECT_EQ(entries[2].second, bytesOf("patched"));
}

TEST(ArchiveFormat, ACompressedEntryStaysCompressedInItsForm) {
    const Bytes config = bytesOf(std::string(400, 'x') + "RESOLUTION = 1920x1080\n");
    for (refpack::RefPackForm form : {refpack::RefPackForm::k10FB, refpack::RefPackForm::k11FB,
                                      refpack::RefPackForm::k90FB, refpack::RefPackForm::k91FB}) {
        SCOPED_TRACE(static_cast<int>(form));
        files::MemoryFileIo io;
        io.put(kPath, buildArchive({}, {{"keep.bin", noise(64, 3)},
                                        {"sgsm3.cfg", refpack::refPackEncode(config, form)}}));
        Bytes updated = bytesOf(std::string(300, 'y') + "VSYNC = 1\n");
        UpdateResult result = putEntry(io, kPath, "sgsm3.cfg", updated);
        ASSERT_TRUE(result.compression.has_value());
        EXPECT_EQ(*result.compression, form);

        ArchiveReader reader(io, kPath);
        EntryInfo info = reader.info(1);
        ASSERT_TRUE(info.compression.has_value());
        EXPECT_EQ(*info.compression, form);
        EXPECT_EQ(info.plainSize, updated.size());
        EXPECT_LT(info.storedSize, updated.size());
        EXPECT_EQ(reader.readPlain(1), updated);
        EXPECT_EQ(reader.readPlain(0), noise(64, 3));
    }
}

TEST(ArchiveFormat, CreatedCompressedArchivesDecode) {
    for (const Layout& layout : kLayouts) {
        SCOPED_TRACE(layout.label);
        CreateOptions o = layout.options;
        o.compress = true;
        files::MemoryFileIo io;
        createArchive(io, kPath, o, sampleEntries());
        auto actual = readAllEntries(io, kPath);
        auto expected = sampleEntries();
        ASSERT_EQ(actual.size(), expected.size());
        for (std::size_t i = 0; i < expected.size(); ++i) {
            EXPECT_EQ(actual[i].second, expected[i].plain);
            EXPECT_TRUE(ArchiveReader(io, kPath).info(i).compression.has_value());
        }
    }
}

TEST(ArchiveFormat, AStaleSizeFieldIsReadAndCorrectedByTheNextUpdate) {
    for (ByteOrder order : {ByteOrder::kLittle, ByteOrder::kBig}) {
        CreateOptions o;
        o.sizeFieldOrder = order;
        Bytes bytes = buildArchive(o, sampleEntries());
        bytes.resize(bytes.size() + 100, 0xEE);  // an orphan tail, as a crash can leave
        files::MemoryFileIo io;
        io.put(kPath, bytes);
        ArchiveDirectory dir = directoryOf(io);
        EXPECT_EQ(dir.sizeFieldOrder, order);
        EXPECT_EQ(dir.sizeField, bytes.size() - 100);

        putEntry(io, kPath, "rndr.cfg", noise(50, 5));
        dir = directoryOf(io);
        EXPECT_EQ(dir.sizeFieldOrder, order);
        EXPECT_EQ(dir.sizeField, io.content(kPath).size());
        // The orphan tail was reused rather than the file grown.
        EXPECT_EQ(io.content(kPath).size(), bytes.size());
    }
}

TEST(ArchiveFormat, RepeatedReplacementsReuseDeadSpace) {
    files::MemoryFileIo io;
    io.put(kPath, buildArchive({}, sampleEntries()));
    const std::size_t initial = io.content(kPath).size();
    for (int round = 0; round < 100; ++round) {
        std::size_t size = 2000 + static_cast<std::size_t>(round % 7) * 500;
        putEntry(io, kPath, round % 2 == 0 ? "sgsm3.cfg" : "rndr.cfg",
                 noise(size, static_cast<std::uint32_t>(round)));
    }
    // Two live copies of at most 5000 bytes, plus the dead space of at most two older ones.
    EXPECT_LE(io.content(kPath).size(), initial + 4 * 5000);
    auto entries = readAllEntries(io, kPath);
    EXPECT_EQ(entries[0].second, noise(2000 + 98 % 7 * 500, 98));
    EXPECT_EQ(entries[3].second, noise(2000 + 99 % 7 * 500, 99));
    EXPECT_EQ(entries[1].second, noise(700, 1));
}

TEST(ArchiveFormat, NewDataNeverOverwritesBytesThatSharedEntriesUse) {
    // Two directory records pointing at the same data: replacing one must keep the other.
    CreateOptions o;
    Bytes bytes = buildArchive(o, {{"a.cfg", noise(100, 1)}, {"b.cfg", noise(100, 2)}});
    files::MemoryFileIo io;
    io.put(kPath, bytes);
    ArchiveDirectory dir = directoryOf(io);
    Bytes location = encodeLocation(ArchiveFormat::kBigF, dir.entries[0].offset, 100);
    std::copy(location.begin(), location.end(), bytes.begin() + dir.entries[1].recordOffset);
    io.put(kPath, bytes);
    for (int round = 0; round < 4; ++round) {
        putEntry(io, kPath, "b.cfg", noise(60 + round * 30, 7 + round));
        EXPECT_EQ(readAllEntries(io, kPath)[0].second, noise(100, 1));
    }
}

TEST(ArchiveFormat, ARecordAcrossAPageBoundaryIsReplacedByARewrite) {
    // 16 header bytes + 15 records of 259 bytes + one of 191 bytes: the next record starts at
    // byte 4092, so its offset and size fields straddle the page boundary at 4096.
    std::vector<NewEntry> entries;
    for (int i = 0; i < 15; ++i) {
        entries.push_back({std::to_string(i + 10) + std::string(248, 'n'), noise(8, i)});
    }
    entries.push_back({std::string(182, 'm'), noise(8, 15)});
    entries.push_back({"target.cfg", noise(8, 16)});
    entries.push_back({"after.cfg", noise(8, 17)});
    files::MemoryFileIo io;
    io.put(kPath, buildArchive({}, entries));
    ArchiveDirectory dir = directoryOf(io);
    auto straddling = std::find_if(dir.entries.begin(), dir.entries.end(), [](const auto& e) {
        return e.recordOffset / 4096 != (e.recordOffset + 7) / 4096;
    });
    ASSERT_NE(straddling, dir.entries.end());
    EXPECT_EQ(straddling->name, "target.cfg");
    auto plain = straddling->name;
    UpdateResult result = putEntry(io, kPath, plain, bytesOf("moved"));
    EXPECT_EQ(result.method, UpdateMethod::kRewritten);
    auto after = readAllEntries(io, kPath);
    const std::size_t index = static_cast<std::size_t>(straddling - dir.entries.begin());
    for (std::size_t i = 0; i < entries.size(); ++i) {
        EXPECT_EQ(after[i].second, i == index ? bytesOf("moved") : entries[i].plain);
    }
}

TEST(ArchiveFormat, BadNamesAreRefusedBeforeAnythingIsWritten) {
    files::MemoryFileIo io;
    io.put(kPath, buildArchive({}, sampleEntries()));
    const Bytes before = io.content(kPath);
    for (const std::string& name : {std::string(), std::string(261, 'n'), std::string("a\0b", 3)}) {
        EXPECT_THROW(putEntry(io, kPath, name, bytesOf("x")), ArchiveError);
        EXPECT_EQ(io.content(kPath), before);
    }
}

}  // namespace
}  // namespace quenor::viv
