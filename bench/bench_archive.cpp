// Test archives for the benchmarks, written record by record.
#include "bench/bench_archive.h"

#include <stdexcept>
#include <string>
#include <vector>

#include "lib/files/file_io.h"
#include "lib/refpack/refpack.h"
#include "lib/viv/big_archive.h"
#include "lib/viv/free_space.h"

namespace quenor::bench {
namespace {

constexpr std::uint64_t kAlignment = 64;
constexpr std::size_t kTargetPlainSize = 4096;

std::uint64_t roundUp(std::uint64_t value, std::uint64_t step) {
    return (value + step - 1) / step * step;
}

std::string fillerName(std::size_t index) {
    std::string digits = std::to_string(index);
    return "data\\entry" + std::string(digits.size() < 5 ? 5 - digits.size() : 0, '0') + digits +
           ".bin";
}

// Text that looks like the settings files the tool patches.
std::vector<std::uint8_t> targetContent() {
    std::string text;
    for (int line = 0; text.size() < kTargetPlainSize; ++line) {
        text += "setting_" + std::to_string(line) + " = " + std::to_string(line * 37 % 1000) + "\n";
    }
    text.resize(kTargetPlainSize);
    return {text.begin(), text.end()};
}

// The first entry from the middle of the directory whose location field lies inside one page
// (or, when asked, crosses a page boundary).
std::size_t chooseTarget(const viv::ArchiveDirectory& dir, bool acrossPage) {
    for (std::size_t i = dir.entries.size() / 2; i < dir.entries.size(); ++i) {
        if (viv::withinOnePage(dir.entries[i].recordOffset, 8) != acrossPage) return i;
    }
    throw std::logic_error("no entry record of the wanted kind in the second half");
}

}  // namespace

BenchArchive writeBenchArchive(const std::filesystem::path& folder, const ArchiveShape& shape) {
    viv::ArchiveDirectory dir;
    dir.format = viv::ArchiveFormat::kBigF;
    dir.sizeFieldOrder = viv::ByteOrder::kBig;
    dir.alignment = kAlignment;
    for (std::size_t i = 0; i < shape.entries; ++i) dir.entries.push_back({fillerName(i), 0, 0, 0});
    viv::layOutRecords(dir);
    const std::size_t target = chooseTarget(dir, shape.targetAcrossPage);
    dir.entries[target].name = "fe.ini";
    viv::layOutRecords(dir);

    std::vector<std::uint8_t> targetData = targetContent();
    if (shape.compressedTarget)
        targetData = refpack::refPackEncode(targetData, refpack::RefPackForm::k10FB);

    const std::uint64_t dataStart = roundUp(dir.directoryEnd, kAlignment);
    const std::uint64_t fillerSize = (shape.totalBytes - dataStart - kTargetPlainSize) /
                                     (shape.entries - 1) / kAlignment * kAlignment;
    std::uint64_t pos = dataStart;
    for (std::size_t i = 0; i < dir.entries.size(); ++i) {
        const std::uint64_t size = i == target ? targetData.size() : fillerSize;
        dir.entries[i].offset = static_cast<std::uint32_t>(pos);
        dir.entries[i].storedSize = static_cast<std::uint32_t>(size);
        pos = roundUp(pos + size, kAlignment);
    }
    const std::uint64_t fileSize = dir.entries.back().dataEnd();

    BenchArchive archive{folder / "bench.viv", "fe.ini", fileSize};
    auto file = files::systemFileIo().open(archive.path, files::OpenMode::kCreate);
    file->writeAt(0, viv::serializeDirectory(dir, fileSize, dataStart));
    file->truncate(fileSize);
    for (std::size_t i = 0; i < dir.entries.size(); ++i) {
        if (i == target) {
            file->writeAt(dir.entries[i].offset, targetData);
        } else {
            std::string tag = "filler " + dir.entries[i].name;
            file->writeAt(dir.entries[i].offset, std::vector<std::uint8_t>(tag.begin(), tag.end()));
        }
    }
    file->sync();
    return archive;
}

}  // namespace quenor::bench
