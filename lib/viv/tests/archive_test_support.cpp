#include "lib/viv/tests/archive_test_support.h"

#include <unistd.h>

#include "lib/viv/archive_reader.h"

namespace quenor::viv::testing {

Bytes bytesOf(const std::string& text) {
    return Bytes(text.begin(), text.end());
}

Bytes noise(std::size_t size, std::uint32_t seed) {
    Bytes out(size);
    std::uint32_t state = seed * 2654435761u + 1;
    for (auto& byte : out) {
        state ^= state << 13;
        state ^= state >> 17;
        state ^= state << 5;
        byte = static_cast<std::uint8_t>(state);
    }
    return out;
}

std::vector<NewEntry> sampleEntries() {
    return {{"sgsm3.cfg", bytesOf("RESOLUTION = 1024x768\nVSYNC = 1\n")},
            {"Data\\fe.big", noise(700, 1)},
            {"empty.txt", {}},
            {"rndr.cfg", noise(90, 2)}};
}

std::vector<std::pair<std::string, Bytes>> readAllEntries(files::FileIo& io,
                                                          const std::filesystem::path& archive) {
    ArchiveReader reader(io, archive);
    std::vector<std::pair<std::string, Bytes>> result;
    for (std::size_t i = 0; i < reader.directory().entries.size(); ++i) {
        result.emplace_back(reader.directory().entries[i].name, reader.readPlain(i));
    }
    return result;
}

std::filesystem::path freshTempFolder(const std::string& tag) {
    auto folder = std::filesystem::temp_directory_path() /
                  ("quenor-" + tag + "-" + std::to_string(::getpid()));
    std::filesystem::remove_all(folder);
    std::filesystem::create_directories(folder);
    return folder;
}

}  // namespace quenor::viv::testing
