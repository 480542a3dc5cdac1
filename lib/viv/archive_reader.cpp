// Reading entries out of an archive, decoding compressed ones.
#include "lib/viv/archive_reader.h"

#include <algorithm>
#include <array>

#include "lib/files/file_error.h"
#include "lib/viv/archive_error.h"

namespace quenor::viv {
namespace {
constexpr std::size_t kChunk = 1u << 20;
constexpr std::size_t kLongestRefPackHeader = 10;
}  // namespace

ArchiveReader::ArchiveReader(files::FileIo& io, const std::filesystem::path& path)
    : name_(path.string()) {
    try {
        file_ = io.open(path, files::OpenMode::kRead);
    } catch (const files::FileIoError& error) {
        throw ArchiveError("Archive " + name_ + " cannot be opened: " + error.what());
    }
    fileSize_ = file_->size();
    directory_ = readDirectory(*file_, name_);
}

ArchiveReader::ArchiveReader(std::unique_ptr<files::FileHandle> file, std::string displayName)
    : file_(std::move(file)), name_(std::move(displayName)) {
    fileSize_ = file_->size();
    directory_ = readDirectory(*file_, name_);
}

std::string ArchiveReader::describeEntry(std::size_t index) const {
    return "Archive " + name_ + ": entry " + std::to_string(index + 1) + " (" +
           directory_.entries.at(index).name + ")";
}

std::size_t ArchiveReader::require(std::string_view name) const {
    auto index = directory_.find(name);
    if (!index) {
        throw ArchiveError("Archive " + name_ + " has no entry named " + std::string(name) +
                           "; check the name (quenor-viv list shows the entries).");
    }
    return *index;
}

std::optional<refpack::RefPackHeader> ArchiveReader::compressionOf(std::size_t index) {
    const ArchiveEntry& entry = directory_.entries.at(index);
    std::array<std::uint8_t, kLongestRefPackHeader> head{};
    std::size_t length =
        static_cast<std::size_t>(std::min<std::uint64_t>(head.size(), entry.dataSize()));
    // An empty entry reads nothing, wherever its offset points (it may be past the end).
    if (length == 0) return std::nullopt;
    file_->readAt(entry.offset, std::span(head.data(), length));
    return refpack::readRefPackHeader(std::span(head.data(), length));
}

EntryInfo ArchiveReader::info(std::size_t index) {
    const ArchiveEntry& entry = directory_.entries.at(index);
    EntryInfo result{entry.name, entry.offset, entry.dataSize(), entry.dataSize(), std::nullopt};
    if (auto header = compressionOf(index)) {
        result.compression = header->form;
        result.plainSize = header->plainSize;
    }
    return result;
}

std::vector<std::uint8_t> ArchiveReader::readStored(std::size_t index) {
    const ArchiveEntry& entry = directory_.entries.at(index);
    // The directory check bounds every entry by the real file size.
    std::vector<std::uint8_t> stored(entry.dataSize());
    if (!stored.empty()) file_->readAt(entry.offset, stored);
    return stored;
}

std::vector<std::uint8_t> ArchiveReader::decode(std::size_t index,
                                                std::span<const std::uint8_t> stored) {
    try {
        return refpack::refPackDecode(stored, kMaxPlainSize);
    } catch (const refpack::RefPackError& error) {
        std::string cause = error.what();
        if (!cause.empty() && cause.back() != '.') cause += '.';
        throw ArchiveError(describeEntry(index) +
                           " is stored compressed but cannot be decoded: " + cause);
    }
}

std::vector<std::uint8_t> ArchiveReader::readPlain(std::size_t index) {
    std::vector<std::uint8_t> stored = readStored(index);
    if (!refpack::readRefPackHeader(stored)) return stored;
    return decode(index, stored);
}

void ArchiveReader::streamPlain(std::size_t index,
                                const std::function<void(std::span<const std::uint8_t>)>& sink) {
    if (compressionOf(index)) {
        std::vector<std::uint8_t> plain = readPlain(index);
        for (std::size_t at = 0; at < plain.size(); at += kChunk) {
            sink(std::span(plain).subspan(at, std::min(kChunk, plain.size() - at)));
        }
        return;
    }
    const ArchiveEntry& entry = directory_.entries.at(index);
    std::vector<std::uint8_t> buffer(
        static_cast<std::size_t>(std::min<std::uint64_t>(kChunk, entry.dataSize())));
    for (std::uint64_t done = 0; done < entry.dataSize();) {
        std::size_t piece =
            static_cast<std::size_t>(std::min<std::uint64_t>(kChunk, entry.dataSize() - done));
        file_->readAt(entry.offset + done, std::span(buffer.data(), piece));
        sink(std::span(buffer.data(), piece));
        done += piece;
    }
}

}  // namespace quenor::viv
