#include <gtest/gtest.h>

#include "lib/refpack/refpack.h"
#include "lib/refpack/tests/refpack_test_support.h"

namespace quenor::refpack::test {
namespace {

constexpr std::size_t kCap = std::size_t{1} << 25;

std::string formName(RefPackForm form) {
    return std::to_string(static_cast<int>(form));
}

// Encodes in the form, checks the header fields and decodes it back.
Bytes roundTrip(const Bytes& plain, RefPackForm form) {
    const Bytes stream = refPackEncode(plain, form);
    const auto header = readRefPackHeader(stream);
    EXPECT_TRUE(header.has_value());
    if (!header) return {};
    EXPECT_EQ(header->form, form);
    EXPECT_EQ(header->plainSize, plain.size());
    if (static_cast<std::uint8_t>(form) & 0x01) {
        // The compressed-size field holds the whole stream length.
        const std::size_t fieldBytes = (header->headerSize - 2) / 2;
        std::size_t field = 0;
        for (std::size_t i = 2; i < 2 + fieldBytes; ++i) field = (field << 8) | stream[i];
        EXPECT_EQ(field, stream.size());
    }
    return refPackDecode(stream, kCap);
}

TEST(RefPackEncode, EveryLengthUpTo300RoundTripsInEveryForm) {
    const Bytes sources[] = {configText(300), randomBytes(300, 3)};
    for (const auto form : kAllForms) {
        for (const auto& source : sources) {
            for (std::size_t size = 0; size <= source.size(); ++size) {
                SCOPED_TRACE(formName(form) + " size " + std::to_string(size));
                const Bytes plain(source.begin(), source.begin() + size);
                ASSERT_EQ(roundTrip(plain, form), plain);
            }
        }
    }
}

TEST(RefPackEncode, LargeInputsRoundTripInEveryForm) {
    Bytes farRepeats = randomBytes(100000, 11);  // repeats beyond the 3-byte command's reach
    const Bytes copy = farRepeats;
    for (int i = 0; i < 2; ++i) farRepeats.insert(farRepeats.end(), copy.begin(), copy.end());
    Bytes mixed = configText(70000);
    const Bytes noise = randomBytes(5000, 12);
    mixed.insert(mixed.begin() + 30000, noise.begin(), noise.end());
    mixed.insert(mixed.end(), 3000, 0);

    const std::pair<const char*, Bytes> inputs[] = {
        {"long run", Bytes(100001, 0)},
        {"random beyond the window", randomBytes(300000, 5)},
        {"text", configText(262144)},
        {"far repeats", farRepeats},
        {"mixed", mixed},
    };
    for (const auto form : kAllForms) {
        for (const auto& [name, plain] : inputs) {
            SCOPED_TRACE(formName(form) + " " + name);
            EXPECT_EQ(roundTrip(plain, form), plain);
        }
    }
}

TEST(RefPackEncode, UsesEachCommandUpToItsLimits) {
    struct Case {
        std::size_t distance;
        std::size_t length;
        std::size_t commandBytes;  // 0: no command can express this match
        std::size_t usedLength;
    };
    const Case cases[] = {
        {1024, 3, 2, 3},   {1025, 3, 0, 0},   {1024, 10, 2, 10},       {1024, 11, 3, 11},
        {16384, 4, 3, 4},  {16385, 4, 0, 0},  {16384, 67, 3, 67},      {16384, 68, 4, 68},
        {131072, 5, 4, 5}, {131073, 5, 0, 0}, {131072, 1028, 4, 1028}, {131072, 1029, 4, 1028},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE("distance " + std::to_string(c.distance) + " length " +
                     std::to_string(c.length));
        Bytes plain = randomBytes(c.distance, static_cast<std::uint32_t>(c.length));
        plain.insert(plain.end(), plain.begin(), plain.begin() + c.length);
        const Bytes stream = refPackEncode(plain, RefPackForm::k10FB);
        EXPECT_EQ(refPackDecode(stream, kCap), plain);

        const auto refs = backReferences(stream);
        const auto far = std::find_if(refs.begin(), refs.end(),
                                      [&](const auto& r) { return r.distance == c.distance; });
        if (c.commandBytes == 0) {
            EXPECT_EQ(far, refs.end());
        } else {
            ASSERT_NE(far, refs.end());
            EXPECT_EQ(far->commandBytes, c.commandBytes);
            EXPECT_EQ(far->length, c.usedLength);
        }
    }
}

TEST(RefPackEncode, CompressesRepetitiveDataAndBarelyGrowsRandomData) {
    const Bytes config = configText(4096);
    EXPECT_LT(refPackEncode(config, RefPackForm::k10FB).size(), config.size() / 2);

    const Bytes zeros(100000, 0);
    EXPECT_LT(refPackEncode(zeros, RefPackForm::k10FB).size(), zeros.size() / 200);

    // Random data costs at most what literal runs cost: one command byte per 112 bytes.
    const Bytes noise = randomBytes(50000, 9);
    EXPECT_LE(refPackEncode(noise, RefPackForm::k10FB).size(),
              5 + noise.size() + noise.size() / 112 + 2);
}

TEST(RefPackEncode, RefusesDataTooLargeForTheForm) {
    const Bytes largest(0xFFFFFF, 0x20);
    EXPECT_EQ(refPackDecode(refPackEncode(largest, RefPackForm::k10FB), kCap), largest);

    const Bytes tooLarge(std::size_t{1} << 24, 0x20);
    for (const auto form : {RefPackForm::k10FB, RefPackForm::k11FB}) {
        EXPECT_THROW(refPackEncode(tooLarge, form), RefPackError);
    }
    EXPECT_EQ(refPackDecode(refPackEncode(tooLarge, RefPackForm::k90FB), kCap), tooLarge);

    // Incompressible data just under 16 MiB fits the 11FB plain-size field, but its stream
    // does not fit the compressed-size field.
    const Bytes noise = randomBytes(0xFFFFFF, 4);
    EXPECT_THROW(refPackEncode(noise, RefPackForm::k11FB), RefPackError);
    EXPECT_EQ(refPackDecode(refPackEncode(noise, RefPackForm::k91FB), kCap), noise);
}

}  // namespace
}  // namespace quenor::refpack::test
