// Per-rectangle conversion into R8G8B8, A8R8G8B8, X8R8G8B8, R5G6B5,
// X1R5G5B5, A1R5G5B5 and A4R4G4B4, and the copies: each pair against the
// reference rules, the row walk's placement and stages, and no byte outside
// the rectangle read or written.
#include <gtest/gtest.h>

#include <d3d9.h>

#include <climits>
#include <cstring>
#include <string>
#include <vector>

#include "pixelformat/ZelkGrPixelConverter.h"
#include "pixelformat/ZelkGrRectConverters.h"
#include "support/PixelReference.h"

using namespace zelk;

namespace {

constexpr uint8_t kGuard = 0xCD;

std::string PairName(DWORD destination, DWORD source) {
    return pixeltest::FormatName(destination) + " from " + pixeltest::FormatName(source);
}

std::vector<std::pair<DWORD, DWORD>> WidePairs() {
    std::vector<std::pair<DWORD, DWORD>> pairs;
    for (const auto& pair : pixeltest::SupportedPairs()) {
        if (pair.first <= D3DFMT_A4R4G4B4) {
            pairs.push_back(pair);
        }
    }
    return pairs;
}

// Runs `convert` over `rect` and compares the whole destination buffer with
// the reference: converted texels where the rectangle lands, untouched bytes
// everywhere else.
void CheckRect(ConvertRectProc convert, const ZelkGrPixelConverter& converter, DWORD destination,
               DWORD source, const uint8_t* sourceBits, const RECT& rect, int sourcePitch,
               uint8_t* destinationBuffer, size_t destinationBytes, size_t destinationOffset,
               POINT point, int destinationPitch) {
    const unsigned s = pixeltest::TexelBytes(source);
    const unsigned d = pixeltest::TexelBytes(destination);
    uint8_t* destinationBits = destinationBuffer + destinationOffset;
    std::vector<uint8_t> expected(destinationBuffer, destinationBuffer + destinationBytes);
    for (LONG y = rect.top; y < rect.bottom; ++y) {
        for (LONG x = rect.left; x < rect.right; ++x) {
            uint32_t value = 0;
            std::memcpy(&value, sourceBits + y * sourcePitch + x * s, s);
            const pixeltest::ReferenceTexel texel = pixeltest::ReferenceConvert(
                destination, source, value, converter.SourcePalette, converter.FillColor);
            const size_t at = destinationOffset + (point.y + y - rect.top) * destinationPitch +
                              (point.x + x - rect.left) * d;
            std::memcpy(&expected[at], &texel.value, texel.bytes);
        }
    }
    convert(&converter, sourceBits, &rect, sourcePitch, destinationBits, &point, destinationPitch);
    int failures = 0;
    for (size_t i = 0; i < destinationBytes; ++i) {
        if (destinationBuffer[i] != expected[i] && failures++ < 3) {
            ADD_FAILURE() << "byte " << i << " (row " << (long(i) - long(destinationOffset)) / destinationPitch
                          << "): got " << int(destinationBuffer[i]) << ", expected "
                          << int(expected[i]);
        }
    }
}

// Source and destination images with margins around the rectangle and
// pitches padded by a few bytes; the source holds `values` row by row.
void CheckPlacedRect(ConvertRectProc convert, const ZelkGrPixelConverter& converter,
                     DWORD destination, DWORD source, const std::vector<uint32_t>& values,
                     LONG width, uint32_t seed) {
    const unsigned s = pixeltest::TexelBytes(source);
    const unsigned d = pixeltest::TexelBytes(destination);
    const LONG height = LONG((values.size() + width - 1) / width);
    const RECT rect = {2, 1, 2 + width, 1 + height};
    const int sourcePitch = int((width + 3) * s + 5);
    std::vector<uint8_t> sourceImage(sourcePitch * (height + 2));
    pixeltest::Random random(seed);
    for (uint8_t& byte : sourceImage) {
        byte = uint8_t(random.Next());
    }
    for (size_t i = 0; i < values.size(); ++i) {
        std::memcpy(&sourceImage[(rect.top + i / width) * sourcePitch + (rect.left + i % width) * s],
                    &values[i], s);
    }
    const POINT point = {3, 2};
    const int destinationPitch = int((width + 5) * d + 7);
    std::vector<uint8_t> destinationImage(destinationPitch * (height + 4), kGuard);
    CheckRect(convert, converter, destination, source, sourceImage.data(), rect, sourcePitch,
              destinationImage.data(), destinationImage.size(), 0, point, destinationPitch);
}

// Every value of 1- and 2-byte sources, edge and pseudo-random values of
// wider ones, 256 texels a row.
TEST(RectConverters, EveryPairFollowsTheChannelRules) {
    for (const auto& [destination, source] : WidePairs()) {
        SCOPED_TRACE(PairName(destination, source));
        const std::vector<uint32_t> values = pixeltest::SourceValues(source);
        for (DWORD fill : {0xFFFFFFFFu, 0x5AA05C37u}) {
            const ZelkGrPixelConverter converter(source, destination, pixeltest::TestPalette(),
                                                 nullptr, fill);
            CheckPlacedRect(converter.ConvertRect, converter, destination, source, values, 256,
                            destination * 1000 + source);
        }
    }
}

// Row lengths around every stage size: main steps of 32, 16 or 8 texels and
// each tail stage alone or together.
TEST(RectConverters, EveryRowLengthConvertsExactlyItsTexels) {
    for (const auto& [destination, source] : WidePairs()) {
        SCOPED_TRACE(PairName(destination, source));
        const ZelkGrPixelConverter converter(source, destination, pixeltest::TestPalette(), nullptr,
                                             0x5AA05C37);
        const unsigned s = pixeltest::TexelBytes(source);
        pixeltest::Random random(source * 31 + destination);
        for (LONG width : {1, 2, 3, 4, 5, 7, 8, 9, 15, 16, 17, 31, 32, 33, 47, 63, 64, 65}) {
            SCOPED_TRACE("width " + std::to_string(width));
            std::vector<uint32_t> values(width * 3);
            for (uint32_t& v : values) {
                v = random.Next() & (s == 4 ? 0xFFFFFFFFu : (1u << (8 * s)) - 1);
            }
            CheckPlacedRect(converter.ConvertRect, converter, destination, source, values, width,
                            random.Next());
        }
    }
}

TEST(RectConverters, EmptyAndInvertedRectanglesWriteNothing) {
    const RECT rects[] = {
        {5, 5, 5, 9}, {5, 5, 9, 5}, {9, 5, 5, 9}, {5, 9, 9, 5}, {9, 9, 5, 5},
        {LONG_MAX, 0, LONG_MIN, 1}, {0, LONG_MAX, 1, LONG_MIN},
    };
    std::vector<uint8_t> sourceImage(16 * 64, 0x5A);
    std::vector<uint8_t> destinationImage(16 * 64, kGuard);
    const POINT point = {1, 1};
    for (const auto& [destination, source] : WidePairs()) {
        SCOPED_TRACE(PairName(destination, source));
        const ZelkGrPixelConverter converter(source, destination, nullptr, nullptr, 0xFFFFFFFF);
        for (const RECT& rect : rects) {
            converter.ConvertRect(&converter, sourceImage.data(), &rect, 64, destinationImage.data(),
                                  &point, 64);
        }
        EXPECT_EQ(destinationImage, std::vector<uint8_t>(16 * 64, kGuard));
    }
}

// The copies move every bit, alpha and X included, with rows back to back in
// both images (one block), in neither, or in one of them only.
TEST(RectConverters, CopiesGiveTheSameTexelsForEveryPitch) {
    const struct {
        ConvertRectProc copy;
        DWORD format;
        DWORD source;
    } copies[] = {
        {ConvertRect_Copy32, D3DFMT_A8R8G8B8, D3DFMT_A8R8G8B8},
        {ConvertRect_Copy32, D3DFMT_X8R8G8B8, D3DFMT_X8R8G8B8},
        {ConvertRect_Copy24, D3DFMT_R8G8B8, D3DFMT_R8G8B8},
        {ConvertRect_Copy16, D3DFMT_A1R5G5B5, D3DFMT_A1R5G5B5},
        {ConvertRect_Copy16, D3DFMT_A4R4G4B4, D3DFMT_A4R4G4B4},
        {ConvertRect_Copy8, D3DFMT_R3G3B2, D3DFMT_R3G3B2},
        {ConvertRect_A8R8G8B8ToX8R8G8B8, D3DFMT_X8R8G8B8, D3DFMT_A8R8G8B8},
        {ConvertRect_A1R5G5B5ToX1R5G5B5, D3DFMT_X1R5G5B5, D3DFMT_A1R5G5B5},
        {ConvertRect_A1R5G5B5ToX1R5G5B5, D3DFMT_X4R4G4B4, D3DFMT_A4R4G4B4},
    };
    const ZelkGrPixelConverter converter(0, 0, nullptr, nullptr, 0xFFFFFFFF);
    for (const auto& c : copies) {
        SCOPED_TRACE(PairName(c.format, c.source));
        const unsigned size = pixeltest::TexelBytes(c.format);
        for (LONG width : {1, 3, 7, 33}) {
            const int rowBytes = int(width * size);
            for (const auto& [sourcePitch, destinationPitch] :
                 {std::make_pair(rowBytes, rowBytes), std::make_pair(rowBytes + 5, rowBytes + 3),
                  std::make_pair(rowBytes, rowBytes + 2), std::make_pair(rowBytes + 1, rowBytes)}) {
                SCOPED_TRACE("width " + std::to_string(width) + " pitches " +
                             std::to_string(sourcePitch) + ", " + std::to_string(destinationPitch));
                pixeltest::Random random(width * 7 + sourcePitch);
                const LONG rows = 4;
                std::vector<uint8_t> sourceImage(sourcePitch * rows);
                for (uint8_t& byte : sourceImage) {
                    byte = uint8_t(random.Next() | 0x80);  // alpha and X bits set
                }
                std::vector<uint8_t> destinationImage(destinationPitch * rows + 16, kGuard);
                const RECT rect = {0, 1, width, rows};
                CheckRect(c.copy, converter, c.format, c.source, sourceImage.data(), rect,
                          sourcePitch, destinationImage.data(), destinationImage.size(), 0,
                          POINT{0, 0}, destinationPitch);
            }
        }
    }
}

// The last source row and the last destination row end where an
// inaccessible page begins: a read past the rectangle or a write past the
// destination area faults.
TEST(RectConverters, ReadAndWriteNothingPastTheRectangle) {
    pixeltest::GuardedBuffer sourcePage, destinationPage;
    for (const auto& [destination, source] : WidePairs()) {
        SCOPED_TRACE(PairName(destination, source));
        const ZelkGrPixelConverter converter(source, destination, pixeltest::TestPalette(), nullptr,
                                             0x5AA05C37);
        const unsigned s = pixeltest::TexelBytes(source);
        const unsigned d = pixeltest::TexelBytes(destination);
        pixeltest::Random random(source + destination);
        for (LONG width : {1, 3, 33}) {
            const int sourcePitch = int(width * s + 3);
            const size_t sourceBytes = sourcePitch + width * s;
            uint8_t* sourceBits = sourcePage.Tail(sourceBytes);
            for (size_t i = 0; i < sourceBytes; ++i) {
                sourceBits[i] = uint8_t(random.Next());
            }
            const int destinationPitch = int(width * d + 1);
            const size_t destinationBytes = destinationPitch + width * d;
            uint8_t* destinationBits = destinationPage.Tail(destinationBytes);
            std::memset(destinationBits, kGuard, destinationBytes);
            const RECT rect = {0, 0, width, 2};
            CheckRect(converter.ConvertRect, converter, destination, source, sourceBits, rect,
                      sourcePitch, destinationBits, destinationBytes, 0, POINT{0, 0},
                      destinationPitch);
        }
    }
}

// An R8G8B8 row of four texels is its first 12 bytes, three per texel, on
// either side.
TEST(RectConverters, R8G8B8TexelsAreThreeBytesApart) {
    const uint8_t row[12] = {0x01, 0x02, 0x03, 0x11, 0x12, 0x13, 0x21, 0x22, 0x23, 0x31, 0x32, 0x33};
    const RECT rect = {0, 0, 4, 1};
    const POINT point = {1, 0};
    const ZelkGrPixelConverter toArgb(D3DFMT_R8G8B8, D3DFMT_A8R8G8B8, nullptr, nullptr, 0xFFFFFFFF);
    uint32_t argb[6] = {};
    toArgb.ConvertRect(&toArgb, row, &rect, 12, argb, &point, 24);
    EXPECT_EQ(argb[0], 0u);
    EXPECT_EQ(argb[1], 0xFF030201u);
    EXPECT_EQ(argb[2], 0xFF131211u);
    EXPECT_EQ(argb[3], 0xFF232221u);
    EXPECT_EQ(argb[4], 0xFF333231u);
    EXPECT_EQ(argb[5], 0u);

    const ZelkGrPixelConverter toRgb(D3DFMT_A8R8G8B8, D3DFMT_R8G8B8, nullptr, nullptr, 0xFFFFFFFF);
    uint8_t rgb[18] = {};
    toRgb.ConvertRect(&toRgb, argb + 1, &rect, 16, rgb, &point, 18);
    EXPECT_EQ(std::vector<uint8_t>(rgb, rgb + 3), std::vector<uint8_t>(3, 0));
    EXPECT_EQ(std::vector<uint8_t>(rgb + 3, rgb + 15), std::vector<uint8_t>(row, row + 12));
    EXPECT_EQ(std::vector<uint8_t>(rgb + 15, rgb + 18), std::vector<uint8_t>(3, 0));
}

}  // namespace
