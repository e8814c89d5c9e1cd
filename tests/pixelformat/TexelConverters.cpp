// Per-texel conversion: worked values, every pair against the reference
// rules, and exactly the bytes of one texel read and written.
#include <gtest/gtest.h>

#include <d3d9.h>

#include <cstring>
#include <string>

#include "pixelformat/ZelkGrPixelConverter.h"
#include "support/PixelReference.h"

using namespace zelk;

namespace {

constexpr DWORD ABGR = ZELK_FORMAT_ABGR, RGBA = ZELK_FORMAT_RGBA, BGRA = ZELK_FORMAT_BGRA;
constexpr DWORD kWhite = 0xFFFFFFFF;

// Entry 5: (R 0x10, G 0x20, B 0x30, flags 0x40); entry 7: (0x80, 0x40, 0x20, 0).
const PALETTEENTRY* WorkedPalette() {
    static PALETTEENTRY palette[256] = {};
    palette[5] = {0x10, 0x20, 0x30, 0x40};
    palette[7] = {0x80, 0x40, 0x20, 0x00};
    return palette;
}

struct Worked {
    DWORD destination;
    DWORD source;
    DWORD fill;
    uint32_t texel;
    uint32_t expected;
};

// Destination texel bytes beyond the expected ones keep the guard value.
const Worked kWorked[] = {
    {D3DFMT_A8R8G8B8, D3DFMT_R5G6B5, kWhite, 0xFFFF, 0xFFF8FCF8},
    {D3DFMT_A8R8G8B8, D3DFMT_A1R5G5B5, kWhite, 0x8000, 0xFF000000},
    {D3DFMT_A8R8G8B8, D3DFMT_A1R5G5B5, kWhite, 0x7FFF, 0x00F8F8F8},
    {D3DFMT_A8R8G8B8, D3DFMT_A2B10G10R10, kWhite, 0xFFFFFFFF, 0xC0FFFFFF},
    {D3DFMT_A8R8G8B8, D3DFMT_G16R16, kWhite, 0x12345678, 0xFF5612FF},
    {D3DFMT_A8R8G8B8, RGBA, kWhite, 0x11223344, 0x44112233},
    {D3DFMT_A8R8G8B8, D3DFMT_P8, kWhite, 5, 0x40102030},
    {D3DFMT_A8R8G8B8, D3DFMT_L8, kWhite, 0x80, 0xFF808080},
    {D3DFMT_A8R8G8B8, D3DFMT_A4L4, kWhite, 0x8F, 0x80F0F0F0},
    {D3DFMT_A8R8G8B8, D3DFMT_A8, 0x11223344, 0x80, 0x80223344},
    {D3DFMT_A8R8G8B8, D3DFMT_X8R8G8B8, 0x7FFFFFFF, 0x00123456, 0x7F123456},
    {D3DFMT_X8R8G8B8, D3DFMT_A4R4G4B4, kWhite, 0x0F00, 0x00F00000},
    {D3DFMT_X8R8G8B8, ABGR, kWhite, 0x78563412, 0x00123456},
    {D3DFMT_X8R8G8B8, D3DFMT_A8R8G8B8, kWhite, 0x12345678, 0x12345678},
    {D3DFMT_X8R8G8B8, D3DFMT_R5G6B5, kWhite, 0xFFFF, 0x00F8FCF8},
    {D3DFMT_R8G8B8, D3DFMT_G16R16, kWhite, 0x12345678, 0x5612FF},
    {D3DFMT_A1R5G5B5, D3DFMT_P8, kWhite, 5, 0x8886},

    {D3DFMT_R5G6B5, D3DFMT_A8, 0x00FF8040, 0x00, 0xFC08},
    {D3DFMT_R5G6B5, D3DFMT_A8R8G8B8, kWhite, 0x00808080, 0x8410},
    {D3DFMT_R5G6B5, D3DFMT_A8R8G8B8, kWhite, 0xFFFFFFFF, 0xFFFF},
    {D3DFMT_R5G6B5, D3DFMT_X1R5G5B5, kWhite, 0x7FFF, 0xFFDF},
    {D3DFMT_R5G6B5, D3DFMT_A1R5G5B5, kWhite, 0xC210, 0x8410},
    {D3DFMT_R5G6B5, D3DFMT_A4R4G4B4, kWhite, 0xFFFF, 0xF79E},
    {D3DFMT_R5G6B5, D3DFMT_A4R4G4B4, kWhite, 0x1234, 0x2188},
    {D3DFMT_R5G6B5, D3DFMT_R3G3B2, kWhite, 0xFF, 0xE718},
    {D3DFMT_R5G6B5, D3DFMT_A4L4, kWhite, 0x0F, 0xF79E},
    {D3DFMT_R5G6B5, D3DFMT_A4L4, kWhite, 0xF8, 0x8410},
    {D3DFMT_R5G6B5, D3DFMT_L8, kWhite, 0x80, 0x8410},
    {D3DFMT_R5G6B5, D3DFMT_A2B10G10R10, kWhite, 0x3FFFFFFF, 0xFFFF},
    {D3DFMT_R5G6B5, D3DFMT_G16R16, kWhite, 0x80008000, 0x841F},
    {D3DFMT_R5G6B5, D3DFMT_A8, kWhite, 0x5A, 0xFFFF},
    {D3DFMT_R5G6B5, ABGR, kWhite, 0x00204080, 0x8204},
    {D3DFMT_R5G6B5, RGBA, kWhite, 0x80402000, 0x8204},
    {D3DFMT_R5G6B5, BGRA, kWhite, 0x20408000, 0x8204},
    {D3DFMT_R5G6B5, D3DFMT_P8, kWhite, 7, 0x8204},
    {D3DFMT_R5G6B5, D3DFMT_A8P8, kWhite, 0xAB07, 0x8204},

    {D3DFMT_X1R5G5B5, D3DFMT_R5G6B5, kWhite, 0xF81F, 0x7C1F},
    {D3DFMT_X1R5G5B5, D3DFMT_R5G6B5, kWhite, 0x07E0, 0x03E0},
    {D3DFMT_X1R5G5B5, D3DFMT_R5G6B5, kWhite, 0xFFFF, 0x7FFF},
    {D3DFMT_X1R5G5B5, D3DFMT_R5G6B5, kWhite, 0xF800, 0x7C00},
    {D3DFMT_X1R5G5B5, D3DFMT_R5G6B5, kWhite, 0x0020, 0x0000},
    {D3DFMT_X1R5G5B5, D3DFMT_R5G6B5, kWhite, 0x8410, 0x4210},
    {D3DFMT_X1R5G5B5, D3DFMT_A8R8G8B8, kWhite, 0x00808080, 0x4210},
    {D3DFMT_X1R5G5B5, D3DFMT_A4R4G4B4, kWhite, 0xFFFF, 0x7BDE},
    {D3DFMT_X1R5G5B5, D3DFMT_A4R4G4B4, kWhite, 0x1234, 0x10C8},
    {D3DFMT_X1R5G5B5, D3DFMT_R3G3B2, kWhite, 0xFF, 0x7398},
    {D3DFMT_X1R5G5B5, D3DFMT_A4L4, kWhite, 0x0F, 0x7BDE},
    {D3DFMT_X1R5G5B5, D3DFMT_L8, kWhite, 0x80, 0x4210},
    {D3DFMT_X1R5G5B5, D3DFMT_A2B10G10R10, kWhite, 0x3FFFFFFF, 0x7FFF},
    {D3DFMT_X1R5G5B5, D3DFMT_G16R16, kWhite, 0x80008000, 0x421F},
    {D3DFMT_X1R5G5B5, D3DFMT_A8, kWhite, 0x00, 0x7FFF},
    {D3DFMT_X1R5G5B5, D3DFMT_A8, 0x00FF8040, 0x00, 0x7E08},
    {D3DFMT_X1R5G5B5, ABGR, kWhite, 0x00204080, 0x4104},
    {D3DFMT_X1R5G5B5, RGBA, kWhite, 0x80402000, 0x4104},
    {D3DFMT_X1R5G5B5, BGRA, kWhite, 0x20408000, 0x4104},
    {D3DFMT_X1R5G5B5, D3DFMT_P8, kWhite, 7, 0x4104},
    {D3DFMT_X1R5G5B5, D3DFMT_X1R5G5B5, kWhite, 0x8001, 0x8001},
    {D3DFMT_X1R5G5B5, D3DFMT_A1R5G5B5, kWhite, 0x8001, 0x8001},

    {D3DFMT_A1R5G5B5, D3DFMT_R5G6B5, kWhite, 0xFFFF, 0xFFFF},
    {D3DFMT_A1R5G5B5, D3DFMT_R5G6B5, 0x00FFFFFF, 0xFFFF, 0x7FFF},
    {D3DFMT_A1R5G5B5, D3DFMT_R5G6B5, kWhite, 0xF800, 0xFC00},
    {D3DFMT_A1R5G5B5, D3DFMT_R5G6B5, kWhite, 0x0020, 0x8000},
    {D3DFMT_A1R5G5B5, D3DFMT_X1R5G5B5, kWhite, 0x7FFF, 0xFFFF},
    {D3DFMT_A1R5G5B5, D3DFMT_X1R5G5B5, 0x00FFFFFF, 0x7FFF, 0x7FFF},
    {D3DFMT_A1R5G5B5, D3DFMT_X1R5G5B5, 0x00FFFFFF, 0x8001, 0x0001},
    {D3DFMT_A1R5G5B5, D3DFMT_A8R8G8B8, kWhite, 0x01000000, 0x8000},
    {D3DFMT_A1R5G5B5, D3DFMT_A8R8G8B8, kWhite, 0x00FFFFFF, 0x7FFF},
    {D3DFMT_A1R5G5B5, D3DFMT_A8R8G8B8, kWhite, 0x80FF8040, 0xFE08},
    {D3DFMT_A1R5G5B5, D3DFMT_A4R4G4B4, kWhite, 0x1000, 0x8000},
    {D3DFMT_A1R5G5B5, D3DFMT_A4R4G4B4, kWhite, 0x0FFF, 0x7BDE},
    {D3DFMT_A1R5G5B5, D3DFMT_A8, kWhite, 0x00, 0x7FFF},
    {D3DFMT_A1R5G5B5, D3DFMT_A8, kWhite, 0x80, 0xFFFF},
    {D3DFMT_A1R5G5B5, D3DFMT_A2B10G10R10, kWhite, 0x40000000, 0x8000},
    {D3DFMT_A1R5G5B5, D3DFMT_A2B10G10R10, kWhite, 0x3FF00000, 0x001F},
    {D3DFMT_A1R5G5B5, D3DFMT_G16R16, kWhite, 0x12345678, 0xA85F},
    {D3DFMT_A1R5G5B5, D3DFMT_A4L4, kWhite, 0x8F, 0xFBDE},
    {D3DFMT_A1R5G5B5, D3DFMT_A4L4, kWhite, 0x0F, 0x7BDE},
    {D3DFMT_A1R5G5B5, D3DFMT_A1R5G5B5, 0, 0xFFFF, 0xFFFF},

    {D3DFMT_A4R4G4B4, D3DFMT_A1R5G5B5, kWhite, 0x8000, 0xF000},
    {D3DFMT_A4R4G4B4, D3DFMT_A1R5G5B5, kWhite, 0x7FFF, 0x0FFF},
    {D3DFMT_A4R4G4B4, D3DFMT_A8, 0x12345678, 0x80, 0x8357},
    {D3DFMT_A4R4G4B4, D3DFMT_A2B10G10R10, kWhite, 0x3FF00000, 0x000F},
    {D3DFMT_A4R4G4B4, D3DFMT_A2B10G10R10, kWhite, 0xFFFFFFFF, 0xCFFF},
    {D3DFMT_A4R4G4B4, D3DFMT_G16R16, kWhite, 0x12345678, 0xF51F},
    {D3DFMT_A4R4G4B4, D3DFMT_A4L4, kWhite, 0x8F, 0x8FFF},
    {D3DFMT_A4R4G4B4, D3DFMT_A8R8G8B8, kWhite, 0x12345678, 0x1357},
    {D3DFMT_A4R4G4B4, ABGR, kWhite, 0x12345678, 0x1753},
    {D3DFMT_A4R4G4B4, RGBA, kWhite, 0x12345678, 0x7135},
    {D3DFMT_A4R4G4B4, BGRA, kWhite, 0x12345678, 0x7531},
    {D3DFMT_A4R4G4B4, RGBA, kWhite, 0x00FF0000, 0x00F0},
    {D3DFMT_A4R4G4B4, BGRA, kWhite, 0x00FF0000, 0x00F0},
    {D3DFMT_A4R4G4B4, D3DFMT_X8R8G8B8, kWhite, 0x00FFFFFF, 0xFFFF},
    {D3DFMT_A4R4G4B4, D3DFMT_X8R8G8B8, 0x7FFFFFFF, 0x00FFFFFF, 0x7FFF},
    {D3DFMT_A4R4G4B4, D3DFMT_X4R4G4B4, kWhite, 0x0FFF, 0xFFFF},
    {D3DFMT_A4R4G4B4, D3DFMT_A4R4G4B4, 0, 0xFFFF, 0xFFFF},

    {D3DFMT_R3G3B2, D3DFMT_R5G6B5, kWhite, 0xFFFF, 0xFF},
    {D3DFMT_R3G3B2, D3DFMT_R5G6B5, kWhite, 0x07E0, 0x1C},
    {D3DFMT_R3G3B2, D3DFMT_X1R5G5B5, kWhite, 0x001F, 0x03},
    {D3DFMT_R3G3B2, D3DFMT_A2B10G10R10, kWhite, 0x000FFC00, 0x1C},
    {D3DFMT_A8, D3DFMT_A4R4G4B4, kWhite, 0xA000, 0xA0},
    {D3DFMT_A8, D3DFMT_A1R5G5B5, kWhite, 0x8000, 0xFF},
    {D3DFMT_A8, D3DFMT_A4L4, kWhite, 0x8F, 0x80},
    {D3DFMT_A8, D3DFMT_A2B10G10R10, kWhite, 0xC0000000, 0xC0},
    {D3DFMT_A8, D3DFMT_P8, 0x7FFFFFFF, 5, 0x7F},
    {D3DFMT_A8R3G3B2, D3DFMT_A1R5G5B5, kWhite, 0x8000, 0xFF00},
    {D3DFMT_A8R3G3B2, D3DFMT_R3G3B2, 0x80FFFFFF, 0xFF, 0x80FF},
    {D3DFMT_A8R3G3B2, D3DFMT_P8, 0x7FFFFFFF, 5, 0x7F04},
    {D3DFMT_X4R4G4B4, D3DFMT_A8P8, kWhite, 0xFF05, 0x0123},
    {D3DFMT_A8P8, D3DFMT_P8, kWhite, 0x5C, 0xFF5C},
    {D3DFMT_P8, D3DFMT_A8P8, kWhite, 0xFF5C, 0x5C},
    {D3DFMT_A8L8, D3DFMT_A4L4, kWhite, 0xF3, 0xF030},
    {D3DFMT_A8L8, D3DFMT_L8, 0x7FFFFFFF, 0x80, 0x7F80},
};

std::string PairName(DWORD destination, DWORD source) {
    return pixeltest::FormatName(destination) + " from " + pixeltest::FormatName(source);
}

// The per-texel member of the pair on an 8-byte guard-filled destination.
uint64_t ConvertOne(const ZelkGrPixelConverter& converter, uint32_t texel) {
    uint64_t destination = 0xCDCDCDCDCDCDCDCDull;
    converter.ConvertTexel(&converter, &texel, &destination);
    return destination;
}

uint64_t Expected(uint32_t value, unsigned bytes) {
    uint64_t guard = 0xCDCDCDCDCDCDCDCDull;
    std::memcpy(&guard, &value, bytes);
    return guard;
}

// Through the per-texel member and, for the destinations R8G8B8 to A4R4G4B4,
// the per-rectangle member on a one-texel rectangle.
TEST(TexelConverters, WorkedValues) {
    for (const Worked& w : kWorked) {
        SCOPED_TRACE(PairName(w.destination, w.source) + " texel " + std::to_string(w.texel));
        const ZelkGrPixelConverter converter(w.source, w.destination, WorkedPalette(), nullptr,
                                             w.fill);
        const unsigned bytes =
            pixeltest::ReferenceConvert(w.destination, w.source, w.texel, WorkedPalette(), w.fill)
                .bytes;
        EXPECT_EQ(ConvertOne(converter, w.texel), Expected(w.expected, bytes))
            << std::hex << "expected 0x" << w.expected;
        if (w.destination <= D3DFMT_A4R4G4B4) {
            const RECT rect = {0, 0, 1, 1};
            const POINT point = {0, 0};
            uint64_t destination = 0xCDCDCDCDCDCDCDCDull;
            converter.ConvertRect(&converter, &w.texel, &rect, 4, &destination, &point, 8);
            EXPECT_EQ(destination, Expected(w.expected, bytes))
                << std::hex << "rectangle, expected 0x" << w.expected;
        }
    }
}

TEST(TexelConverters, PaletteSourcesWithoutAPaletteGiveBlack) {
    const struct {
        DWORD destination, source;
        uint32_t texel, expected;
    } cases[] = {
        {D3DFMT_A8R8G8B8, D3DFMT_P8, 0x9C, 0x00000000},
        {D3DFMT_A8R8G8B8, D3DFMT_A8P8, 0x7F9C, 0x7F000000},
        {D3DFMT_A1R5G5B5, D3DFMT_P8, 0x9C, 0x8000},
        {D3DFMT_A4R4G4B4, D3DFMT_P8, 0x9C, 0xF000},
        {D3DFMT_A4R4G4B4, D3DFMT_A8P8, 0x5A9C, 0x5000},
        {D3DFMT_R5G6B5, D3DFMT_A8P8, 0xFF9C, 0x0000},
        {D3DFMT_X1R5G5B5, D3DFMT_P8, 0x9C, 0x0000},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(PairName(c.destination, c.source));
        const ZelkGrPixelConverter converter(c.source, c.destination, nullptr, nullptr, kWhite);
        const unsigned bytes = pixeltest::TexelBytes(c.destination);
        EXPECT_EQ(ConvertOne(converter, c.texel), Expected(c.expected, bytes));
    }
}

// Every supported pair against the reference: every value of 1- and 2-byte
// sources, edge and pseudo-random values of wider ones, with white, a
// half-transparent and a fully transparent fill colour.
TEST(TexelConverters, EveryPairFollowsTheChannelRules) {
    for (const auto& [destination, source] : pixeltest::SupportedPairs()) {
        SCOPED_TRACE(PairName(destination, source));
        const std::vector<uint32_t> values = pixeltest::SourceValues(source);
        for (DWORD fill : {0xFFFFFFFFu, 0x5AA05C37u, 0x00C3A581u}) {
            const ZelkGrPixelConverter converter(source, destination, pixeltest::TestPalette(),
                                                 nullptr, fill);
            int failures = 0;
            for (uint32_t value : values) {
                const pixeltest::ReferenceTexel expected = pixeltest::ReferenceConvert(
                    destination, source, value, pixeltest::TestPalette(), fill);
                const uint64_t actual = ConvertOne(converter, value);
                if (actual != Expected(expected.value, expected.bytes) && failures++ < 3) {
                    ADD_FAILURE() << std::hex << "fill 0x" << fill << " texel 0x" << value
                                  << ": got 0x" << actual << ", expected 0x"
                                  << Expected(expected.value, expected.bytes);
                }
            }
        }
    }
}

// The source texel and the destination texel each end where an inaccessible
// page begins: any read or write past them faults.
TEST(TexelConverters, ReadAndWriteExactlyOneTexel) {
    pixeltest::GuardedBuffer sourcePage, destinationPage;
    for (const auto& [destination, source] : pixeltest::SupportedPairs()) {
        SCOPED_TRACE(PairName(destination, source));
        const ZelkGrPixelConverter converter(source, destination, pixeltest::TestPalette(), nullptr,
                                             0x5AA05C37);
        const unsigned sourceBytes = pixeltest::TexelBytes(source);
        const unsigned destinationBytes = pixeltest::TexelBytes(destination);
        const uint32_t value = 0x9E3779B9u & (sourceBytes == 4 ? 0xFFFFFFFFu : (1u << (8 * sourceBytes)) - 1);
        std::memcpy(sourcePage.Tail(sourceBytes), &value, sourceBytes);
        uint8_t* out = destinationPage.Tail(destinationBytes);
        std::memset(out, 0xCD, destinationBytes);
        converter.ConvertTexel(&converter, sourcePage.Tail(sourceBytes), out);
        const pixeltest::ReferenceTexel expected = pixeltest::ReferenceConvert(
            destination, source, value, pixeltest::TestPalette(), 0x5AA05C37);
        uint8_t wanted[4];
        std::memset(wanted, 0xCD, sizeof(wanted));
        std::memcpy(wanted, &expected.value, expected.bytes);
        EXPECT_EQ(std::memcmp(out, wanted, destinationBytes), 0);
    }
}

}  // namespace
