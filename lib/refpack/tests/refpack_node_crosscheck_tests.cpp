// Decodes streams of our encoder with an independent decoder (the npm package qfs-compression)
// so that a fault shared by our encoder and decoder cannot go unnoticed.
#include <gtest/gtest.h>

#include <stdlib.h>  // mkdtemp

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "lib/refpack/refpack.h"
#include "lib/refpack/tests/refpack_test_support.h"

namespace quenor::refpack::test {
namespace {

namespace fs = std::filesystem;

void writeFile(const fs::path& path, const Bytes& bytes) {
    std::ofstream out(path, std::ios::binary);
    out.write(reinterpret_cast<const char*>(bytes.data()),
              static_cast<std::streamsize>(bytes.size()));
}

Bytes readFile(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

std::string quoted(const fs::path& path) {
    return "'" + path.string() + "'";
}

TEST(RefPackNodeCrossCheck, IndependentDecoderReadsOurStreams) {
    const char* sourceDir = std::getenv("QUENOR_SOURCE_DIR");
    if (sourceDir == nullptr) GTEST_SKIP() << "QUENOR_SOURCE_DIR is not set (run through ctest)";
    const fs::path nodeDir = fs::path(sourceDir) / "lib/refpack/tests/node";
    if (std::system("node --version >/dev/null 2>&1") != 0)
        GTEST_SKIP() << "node is not installed (apt-get install nodejs)";
    if (!fs::exists(nodeDir / "node_modules/qfs-compression"))
        GTEST_SKIP() << "qfs-compression is not installed: run npm ci --prefix " << nodeDir;

    Bytes binary;
    for (std::uint32_t i = 0; i < 20000; ++i)
        for (int b = 0; b < 4; ++b) binary.push_back(static_cast<std::uint8_t>((i * 7) >> (8 * b)));
    Bytes farRepeats = randomBytes(40000, 21);
    farRepeats.insert(farRepeats.end(), farRepeats.begin(), farRepeats.end());
    const std::pair<const char*, Bytes> inputs[] = {
        {"text", configText(50000)},
        {"binary", binary},
        {"random", randomBytes(20000, 22)},
        {"long run", Bytes(70001, 'x')},
        {"far repeats", farRepeats},
        {"empty", {}},
        {"two bytes", {1, 2}},
    };

    std::string pattern = (fs::temp_directory_path() / "quenor_refpack_node_XXXXXX").string();
    ASSERT_NE(mkdtemp(pattern.data()), nullptr) << "cannot create a folder in " << pattern;
    const fs::path work = pattern;
    for (const auto& [name, plain] : inputs) {
        SCOPED_TRACE(name);
        const fs::path stream = work / "stream.qfs";
        const fs::path decoded = work / "decoded.bin";
        fs::remove(decoded);
        writeFile(stream, refPackEncode(plain, RefPackForm::k10FB));
        const std::string command =
            "node " + quoted(nodeDir / "decode.js") + " " + quoted(stream) + " " + quoted(decoded);
        ASSERT_EQ(std::system(command.c_str()), 0) << command;
        EXPECT_EQ(readFile(decoded), plain);
    }
    fs::remove_all(work);
}

}  // namespace
}  // namespace quenor::refpack::test
