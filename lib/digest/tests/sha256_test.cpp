#include "lib/digest/sha256.h"

#include <gtest/gtest.h>

#include "lib/files/testing/memory_file_io.h"

namespace quenor::digest {
namespace {

TEST(Sha256, KnownDigestsOfTextsAndFiles) {
    const std::pair<std::string, std::string> known[] = {
        {"", "e3b0c44298fc1c149afbf4c8996fb92427ae41e4649b934ca495991b7852b855"},
        {"abc", "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad"},
    };
    for (const auto& [text, expected] : known) {
        Sha256 sha;
        sha.update({reinterpret_cast<const std::uint8_t*>(text.data()), text.size()});
        EXPECT_EQ(hex(sha.finish()), expected) << text;
    }
    // A million "a", read as a file in pieces: the standard's long test vector.
    files::MemoryFileIo io;
    io.put("/a", std::vector<std::uint8_t>(1'000'000, 'a'));
    EXPECT_EQ(fileSha256(io, "/a"),
              "cdc76e5c9914fb9281a1c7e284d73e67f1809a48a497200e046d39ccc7112cd0");
}

}  // namespace
}  // namespace quenor::digest
