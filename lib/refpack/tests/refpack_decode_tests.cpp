#include <gtest/gtest.h>

#include "lib/refpack/refpack.h"
#include "lib/refpack/tests/refpack_test_support.h"

namespace quenor::refpack::test {
namespace {

constexpr std::size_t kCap = 1 << 20;

struct ValidCase {
    const char* name;
    const char* stream;
    Bytes plain;
};

TEST(RefPackDecode, ValidStreamsDecodeExactly) {
    const std::string abc = "abcabcabcabc";
    const Bytes abc12(abc.begin(), abc.end());
    const ValidCase cases[] = {
        {"overlapping copy", "10 FB 00 00 0C 1B 02 61 62 63 FC", abc12},
        {"literal run and stop literal",
         "10 FB 00 00 09 E1 01 02 03 04 05 06 07 08 FD 09",
         {1, 2, 3, 4, 5, 6, 7, 8, 9}},
        {"distance 1 right after the first byte", "10 FB 00 00 04 01 00 61 FC", Bytes(4, 'a')},
        {"empty", "10 FB 00 00 00 FC", {}},
        {"11FB skips the compressed size", "11 FB 00 00 09 00 00 03 FF 01 02 03", {1, 2, 3}},
        {"90FB", "90 FB 00 00 00 03 FF 01 02 03", {1, 2, 3}},
        {"91FB", "91 FB 00 00 00 0C 00 00 00 03 FF 01 02 03", {1, 2, 3}},
        {"stop missing but size reached", "10 FB 00 00 0C 1B 02 61 62 63", abc12},
        {"bytes after the stop are ignored", "10 FB 00 00 02 FE 01 02 00 00 00", {1, 2}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(refPackDecode(fromHex(c.stream), kCap), c.plain);
    }
}

struct CorruptCase {
    const char* name;
    const char* stream;
    std::size_t cap;
    const char* message;
};

TEST(RefPackDecode, CorruptStreamsAreRefusedWithOffset) {
    const CorruptCase cases[] = {
        {"empty input", "", kCap, "truncated at byte 0: the RefPack magic needs 2 more bytes"},
        {"unknown magic", "12 FB 00 00 01 FD 01", kCap, "starts with 12 FB instead of"},
        {"not FB", "10 FA 00 00 01 FD 01", kCap, "Not a RefPack stream"},
        {"truncated 10FB header", "10 FB 00", kCap, "truncated at byte 3: the 10FB header needs 2"},
        {"truncated 91FB header", "91 FB 00 00 00 00 00 00", kCap, "91FB header needs 2 more"},
        {"reference before the start", "10 FB 00 00 03 00 00 FC", kCap,
         "corrupt at byte 5: back-reference reaches 1 bytes back but only 0 bytes are decoded"},
        {"reference one byte too far", "10 FB 00 00 04 01 01 61 FC", kCap, "reaches 2 bytes back"},
        {"declared size too large", "10 FB 00 00 0D 1B 02 61 62 63 FC", kCap,
         "corrupt at byte 10: stop command after 12 bytes but the header declares 13"},
        {"declared size too small", "10 FB 00 00 0B 1B 02 61 62 63 FC", kCap,
         "corrupt at byte 5: the 2-byte back-reference writes 1 bytes past the declared plain "
         "size of 11"},
        {"literals past the size", "10 FB 00 00 01 FE 01 02", kCap, "stop command writes 1 bytes"},
        {"declared size over the cap", "10 FB 00 00 0C 1B 02 61 62 63 FC", 11,
         "declares 12 plain bytes, more than the allowed 11"},
        {"4 GiB claim", "90 FB FF FF FF FF FC", kCap, "declares 4294967295 plain bytes"},
        {"stop missing before the size", "10 FB 00 00 0D 1B 02 61 62 63", kCap,
         "truncated at byte 10: the plain data (12 of 13 bytes decoded) needs 1 more byte"},
        {"command cut short", "10 FB 00 00 08 C0 00", kCap,
         "truncated at byte 5: 4-byte back-reference needs 2 more bytes"},
        {"literal run cut short", "10 FB 00 00 08 E1 01 02", kCap,
         "truncated at byte 5: the literal run with 8 literal bytes needs 6 more bytes"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        try {
            refPackDecode(fromHex(c.stream), c.cap);
            ADD_FAILURE() << "decoded without error";
        } catch (const RefPackError& e) {
            EXPECT_NE(std::string(e.what()).find(c.message), std::string::npos) << e.what();
        }
    }
}

// Streams of every header form and of different content, cut or damaged at every byte.
std::vector<std::pair<Bytes, Bytes>> sampleStreams() {
    std::vector<std::pair<Bytes, Bytes>> samples;
    const Bytes inputs[] = {configText(600), randomBytes(150, 7), Bytes(2000, 0x41), Bytes(3, 9)};
    for (const auto form : kAllForms)
        for (const auto& plain : inputs) samples.emplace_back(plain, refPackEncode(plain, form));
    return samples;
}

TEST(RefPackDecode, EveryPrefixFailsCleanlyOrDecodesTheWhole) {
    for (const auto& [plain, stream] : sampleStreams()) {
        for (std::size_t size = 0; size <= stream.size(); ++size) {
            SCOPED_TRACE(size);
            const std::span<const std::uint8_t> prefix(stream.data(), size);
            if (size == stream.size()) {
                EXPECT_EQ(refPackDecode(prefix, kCap), plain);
            } else if (size + 1 == stream.size() && stream.back() == 0xFC) {
                // Only the stop command is missing, and it carried no literals (unless the
                // last byte is a literal that happens to be FC): complete or refused.
                try {
                    EXPECT_EQ(refPackDecode(prefix, kCap), plain);
                } catch (const RefPackError&) {
                }
            } else {
                EXPECT_THROW(refPackDecode(prefix, kCap), RefPackError);
            }
        }
    }
}

TEST(RefPackDecode, DamagedBytesNeverEscapeAsOtherFaults) {
    for (const auto& [plain, stream] : sampleStreams()) {
        for (std::size_t i = 0; i < stream.size(); ++i) {
            for (const std::uint8_t value : {0x00, 0x03, 0x7F, 0x9C, 0xC3, 0xDF, 0xFB, 0xFF}) {
                Bytes damaged = stream;
                damaged[i] = value;
                try {
                    const Bytes out = refPackDecode(damaged, kCap);
                    EXPECT_EQ(out.size(), readRefPackHeader(damaged)->plainSize);
                } catch (const RefPackError&) {
                }
            }
        }
    }
}

TEST(RefPackHeader, RecognisesFormsAndDeclaredSize) {
    struct Case {
        const char* stream;
        bool recognised;
        RefPackForm form;
        std::uint32_t plainSize;
        std::size_t headerSize;
    };
    const Case cases[] = {
        {"10 FB 12 34 56", true, RefPackForm::k10FB, 0x123456, 5},
        {"11 FB FF FF FF 12 34 56", true, RefPackForm::k11FB, 0x123456, 8},
        {"90 FB 12 34 56 78", true, RefPackForm::k90FB, 0x12345678, 6},
        {"91 FB FF FF FF FF 12 34 56 78", true, RefPackForm::k91FB, 0x12345678, 10},
        {"11 FB FF FF FF 12 34", false, {}, 0, 0},
        {"10 FB", false, {}, 0, 0},
        {"10 FC 12 34 56", false, {}, 0, 0},
        {"50 FB 12 34 56", false, {}, 0, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.stream);
        const auto header = readRefPackHeader(fromHex(c.stream));
        ASSERT_EQ(header.has_value(), c.recognised);
        if (!header) continue;
        EXPECT_EQ(header->form, c.form);
        EXPECT_EQ(header->plainSize, c.plainSize);
        EXPECT_EQ(header->headerSize, c.headerSize);
        EXPECT_EQ(refPackHeaderSize(c.form), c.headerSize);
    }
}

}  // namespace
}  // namespace quenor::refpack::test
