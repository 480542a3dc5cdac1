#include <algorithm>
#include <vector>

#include "lib/digest/sha256.h"

namespace quenor::digest {

std::string hex(const std::array<std::uint8_t, 32>& digest) {
    static constexpr char kDigits[] = "0123456789abcdef";
    std::string out;
    for (std::uint8_t byte : digest) {
        out += kDigits[byte >> 4];
        out += kDigits[byte & 0xF];
    }
    return out;
}

std::string fileSha256(files::FileIo& io, const std::filesystem::path& file) {
    constexpr std::uint64_t kPiece = 1u << 20;
    auto handle = io.open(file, files::OpenMode::kRead);
    const std::uint64_t size = handle->size();
    std::vector<std::uint8_t> buffer(static_cast<std::size_t>(std::min(size, kPiece)));
    Sha256 sha;
    for (std::uint64_t done = 0; done < size;) {
        const auto piece = static_cast<std::size_t>(std::min(size - done, kPiece));
        std::span<std::uint8_t> chunk(buffer.data(), piece);
        handle->readAt(done, chunk);
        sha.update(chunk);
        done += piece;
    }
    return hex(sha.finish());
}

}  // namespace quenor::digest
