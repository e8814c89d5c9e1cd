// The SSE2 row paths against the scalar texel rule, and the palette table
// against the rule: every source value, row lengths around the vector step,
// fill colours with and without alpha, kept X bytes, and no byte read or
// written outside the row.
#include <gtest/gtest.h>

#include <d3d9.h>

#include <cstring>
#include <string>
#include <vector>

#include "pixelformat/ZelkGrPixelConverter.h"
#include "pixelformat/ZelkGrRectConverters.h"
#include "pixelformat/ZelkGrSse2RowConverters.h"
#include "pixelformat/ZelkGrTexelConverters.h"
#include "support/PixelReference.h"

using namespace zelk;

namespace {

using RowProc = void (*)(const TexelContext& context, const uint8_t* source,
                         uint8_t* destination, unsigned count);

// The scalar rule over a row, texel by texel.
template <DWORD Destination, DWORD Source>
void ScalarRow(const TexelContext& context, const uint8_t* source, uint8_t* destination,
               unsigned count) {
    using Rule = TexelRule<Destination, Source>;
    for (unsigned i = 0; i < count; ++i) {
        Rule::Convert(context, source + i * Rule::In::Size, destination + i * Rule::Out::Size);
    }
}

struct Sse2Pair {
    DWORD destination;
    DWORD source;
    RowProc vector;
    RowProc scalar;
    ConvertRectProc scalarRect;  // what the member does without SSE2
};

#define SSE2_PAIR(destination, source)                                                      \
    {destination, source, ConvertRowSse2<destination, source>, ScalarRow<destination, source>, \
     ConvertRectScalar<destination, source>}

// Every source with a vector path into each destination it serves.
#define SSE2_INTO32(source) SSE2_PAIR(D3DFMT_A8R8G8B8, source), SSE2_PAIR(D3DFMT_X8R8G8B8, source)
#define SSE2_INTO16(source)                                                             \
    SSE2_PAIR(D3DFMT_R5G6B5, source), SSE2_PAIR(D3DFMT_X1R5G5B5, source),               \
        SSE2_PAIR(D3DFMT_A1R5G5B5, source), SSE2_PAIR(D3DFMT_A4R4G4B4, source),         \
        SSE2_PAIR(D3DFMT_X4R4G4B4, source), SSE2_PAIR(D3DFMT_A8R3G3B2, source)

const Sse2Pair kSse2Pairs[] = {
    SSE2_INTO32(D3DFMT_R5G6B5),   SSE2_INTO32(D3DFMT_X1R5G5B5), SSE2_INTO32(D3DFMT_A1R5G5B5),
    SSE2_INTO32(D3DFMT_A4R4G4B4), SSE2_INTO32(D3DFMT_X4R4G4B4), SSE2_INTO32(D3DFMT_A8R3G3B2),
    SSE2_INTO32(D3DFMT_R3G3B2),
    // These keep the destination's X byte, so only A8R8G8B8 has a vector path.
    SSE2_PAIR(D3DFMT_A8R8G8B8, D3DFMT_A8L8), SSE2_PAIR(D3DFMT_A8R8G8B8, D3DFMT_A8),
    SSE2_PAIR(D3DFMT_A8R8G8B8, D3DFMT_L8),   SSE2_PAIR(D3DFMT_A8R8G8B8, D3DFMT_A4L4),

    SSE2_INTO16(D3DFMT_A8R8G8B8), SSE2_INTO16(D3DFMT_X8R8G8B8), SSE2_INTO16(D3DFMT_R5G6B5),
    SSE2_INTO16(D3DFMT_X1R5G5B5), SSE2_INTO16(D3DFMT_A1R5G5B5), SSE2_INTO16(D3DFMT_A4R4G4B4),
    SSE2_INTO16(D3DFMT_X4R4G4B4), SSE2_INTO16(D3DFMT_A8R3G3B2), SSE2_INTO16(D3DFMT_A8L8),
    SSE2_INTO16(D3DFMT_R3G3B2),   SSE2_INTO16(D3DFMT_A8),       SSE2_INTO16(D3DFMT_L8),
    SSE2_INTO16(D3DFMT_A4L4),
};

#undef SSE2_INTO16
#undef SSE2_INTO32
#undef SSE2_PAIR

// Fill colours: opaque white, a colour with every byte different, and one
// with alpha 0 (the 1-bit fill alpha then 0).
const DWORD kFills[] = {0xFFFFFFFFu, 0x5AA05C37u, 0x00C0FFEEu};

std::string PairName(DWORD destination, DWORD source) {
    return pixeltest::FormatName(destination) + " from " + pixeltest::FormatName(source);
}

// Every value of 1- and 2-byte texels; for 4-byte texels every byte value in
// every byte as well as the edge and pseudo-random values.
std::vector<uint32_t> TestValues(DWORD source) {
    std::vector<uint32_t> values = pixeltest::SourceValues(source);
    if (pixeltest::TexelBytes(source) == 4) {
        for (uint32_t byte = 0; byte < 256; ++byte) {
            values.push_back(byte * 0x01010101u);
            values.push_back(byte << 24);
        }
    }
    return values;
}

std::vector<uint8_t> Bytes(const std::vector<uint32_t>& values, unsigned texelBytes) {
    std::vector<uint8_t> bytes(values.size() * texelBytes);
    for (size_t i = 0; i < values.size(); ++i) {
        std::memcpy(&bytes[i * texelBytes], &values[i], texelBytes);
    }
    return bytes;
}

std::vector<uint8_t> RandomBytes(size_t count, uint32_t seed) {
    pixeltest::Random random(seed);
    std::vector<uint8_t> bytes(count);
    for (uint8_t& byte : bytes) {
        byte = uint8_t(random.Next());
    }
    return bytes;
}

// Reports the first differing texels of two destination rows.
void ExpectSameRow(const std::vector<uint8_t>& expected, const uint8_t* actual,
                   unsigned texelBytes, const std::vector<uint32_t>& sourceValues) {
    int failures = 0;
    for (size_t i = 0; i < expected.size(); ++i) {
        if (expected[i] != actual[i] && failures++ < 3) {
            const size_t texel = i / texelBytes;
            ADD_FAILURE() << "texel " << texel << " (source 0x" << std::hex
                          << sourceValues[texel] << "), byte " << std::dec << i % texelBytes
                          << ": got 0x" << std::hex << int(actual[i]) << ", expected 0x"
                          << int(expected[i]);
        }
    }
}

// This machine has SSE2: the converters' members take the vector rows here,
// so the other converter tests exercise them too.
TEST(SimdConverters, ProcessorHasSse2) {
    EXPECT_TRUE(Sse2RowsAvailable());
}

// One long row of every source value over a destination of random bytes.
TEST(SimdConverters, VectorRowsMatchTheRuleForEverySourceValue) {
    for (const Sse2Pair& pair : kSse2Pairs) {
        SCOPED_TRACE(PairName(pair.destination, pair.source));
        const unsigned s = pixeltest::TexelBytes(pair.source);
        const unsigned d = pixeltest::TexelBytes(pair.destination);
        const std::vector<uint32_t> values = TestValues(pair.source);
        const std::vector<uint8_t> source = Bytes(values, s);
        for (DWORD fill : kFills) {
            SCOPED_TRACE("fill " + std::to_string(fill));
            const ZelkGrPixelConverter converter(pair.source, pair.destination,
                                                 pixeltest::TestPalette(), nullptr, fill);
            const TexelContext context(&converter);
            std::vector<uint8_t> expected = RandomBytes(values.size() * d, fill ^ pair.source);
            std::vector<uint8_t> actual = expected;
            pair.scalar(context, source.data(), expected.data(), unsigned(values.size()));
            pair.vector(context, source.data(), actual.data(), unsigned(values.size()));
            ExpectSameRow(expected, actual.data(), d, values);
        }
    }
}

// Rows of 1 to 40 texels: vector steps and every tail length, the row's last
// texel against an inaccessible page on both sides, and the bytes before the
// destination row untouched.
TEST(SimdConverters, VectorRowsTouchOnlyTheirTexels) {
    pixeltest::GuardedBuffer sourcePage, destinationPage;
    constexpr unsigned kMargin = 16;
    for (const Sse2Pair& pair : kSse2Pairs) {
        SCOPED_TRACE(PairName(pair.destination, pair.source));
        const unsigned s = pixeltest::TexelBytes(pair.source);
        const unsigned d = pixeltest::TexelBytes(pair.destination);
        const ZelkGrPixelConverter converter(pair.source, pair.destination,
                                             pixeltest::TestPalette(), nullptr, 0x5AA05C37u);
        const TexelContext context(&converter);
        for (unsigned width = 1; width <= 40; ++width) {
            SCOPED_TRACE("width " + std::to_string(width));
            const std::vector<uint8_t> sourceRow = RandomBytes(width * s, width * 7 + pair.source);
            uint8_t* const source = sourcePage.Tail(width * s);
            std::memcpy(source, sourceRow.data(), sourceRow.size());
            std::vector<uint32_t> values(width);
            for (unsigned i = 0; i < width; ++i) {
                std::memcpy(&values[i], &sourceRow[i * s], s);
            }

            const std::vector<uint8_t> before = RandomBytes(kMargin + width * d, width);
            std::vector<uint8_t> expected(before.begin() + kMargin, before.end());
            pair.scalar(context, sourceRow.data(), expected.data(), width);

            uint8_t* const area = destinationPage.Tail(kMargin + width * d);
            std::memcpy(area, before.data(), before.size());
            pair.vector(context, source, area + kMargin, width);
            EXPECT_EQ(0, std::memcmp(area, before.data(), kMargin)) << "bytes before the row";
            ExpectSameRow(expected, area + kMargin, d, values);
        }
    }
}

// The members of the vector pairs (which take the vector rows here) and
// their conversion without SSE2 give the same bytes: rows placed by pitch
// and point, rows of several vector steps and a tail, the bytes between rows
// and the kept X bytes untouched.
TEST(SimdConverters, MembersMatchTheirConversionWithoutSse2) {
    for (const Sse2Pair& pair : kSse2Pairs) {
        SCOPED_TRACE(PairName(pair.destination, pair.source));
        const unsigned s = pixeltest::TexelBytes(pair.source);
        const unsigned d = pixeltest::TexelBytes(pair.destination);
        for (DWORD fill : kFills) {
            const ZelkGrPixelConverter converter(pair.source, pair.destination,
                                                 pixeltest::TestPalette(), nullptr, fill);
            ASSERT_NE(converter.ConvertRect, ConvertRectNone);
            if (converter.ConvertRect == zelk::ConvertRect_Copy16 ||
                converter.ConvertRect == zelk::ConvertRect_A1R5G5B5ToX1R5G5B5) {
                continue;  // copies texels whole, not by the rule
            }
            for (LONG width : {5L, 21L, 64L}) {
                const RECT rect = {3, 2, 3 + width, 2 + 5};
                const int sourcePitch = (width + 9) * int(s) + 1;
                const int destinationPitch = (width + 6) * int(d) + 3;
                const POINT point = {4, 1};
                const std::vector<uint8_t> source =
                    RandomBytes(sourcePitch * 8, pair.source + width + fill);
                std::vector<uint8_t> expected = RandomBytes(destinationPitch * 8, pair.destination);
                std::vector<uint8_t> actual = expected;
                pair.scalarRect(&converter, source.data(), &rect, sourcePitch, expected.data(),
                                &point, destinationPitch);
                converter.ConvertRect(&converter, source.data(), &rect, sourcePitch,
                                      actual.data(), &point, destinationPitch);
                EXPECT_EQ(expected, actual) << "width " << width << ", fill " << fill;
            }
        }
    }
}

// Palette sources convert through a table of the converted entries once a
// rectangle has 256 texels: both sides of that size give the rule's texels,
// with the palette's own alpha, the A8P8 alpha and kept X bytes.
TEST(SimdConverters, PaletteTableMatchesTheRule) {
    for (const auto& [destination, source] : pixeltest::SupportedPairs()) {
        if (source != D3DFMT_P8 && source != D3DFMT_A8P8) {
            continue;
        }
        SCOPED_TRACE(PairName(destination, source));
        const unsigned s = pixeltest::TexelBytes(source);
        const unsigned d = pixeltest::TexelBytes(destination);
        for (DWORD fill : kFills) {
            const ZelkGrPixelConverter converter(source, destination, pixeltest::TestPalette(),
                                                 nullptr, fill);
            for (LONG width : {15L, 16L}) {  // 255 and 256 texels
                const RECT rect = {1, 0, 1 + width, 17 - (width - 15)};
                const int sourcePitch = int(17 * s);
                const int destinationPitch = int(width * d);
                const std::vector<uint8_t> sourceImage =
                    RandomBytes(sourcePitch * 17, fill + width + source);
                std::vector<uint8_t> actual = RandomBytes(destinationPitch * 17, width);
                std::vector<uint8_t> expected = actual;
                for (LONG y = rect.top; y < rect.bottom; ++y) {
                    for (LONG x = rect.left; x < rect.right; ++x) {
                        uint32_t value = 0;
                        std::memcpy(&value, &sourceImage[y * sourcePitch + x * s], s);
                        const pixeltest::ReferenceTexel texel = pixeltest::ReferenceConvert(
                            destination, source, value, converter.SourcePalette, fill);
                        std::memcpy(&expected[y * destinationPitch + (x - rect.left) * d],
                                    &texel.value, texel.bytes);
                    }
                }
                const POINT point = {0, 0};
                converter.ConvertRect(&converter, sourceImage.data(), &rect, sourcePitch,
                                      actual.data(), &point, destinationPitch);
                EXPECT_EQ(expected, actual) << "width " << width << ", fill " << fill;
            }
        }
    }
}

}  // namespace
