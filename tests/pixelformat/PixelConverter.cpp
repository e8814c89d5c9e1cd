// The converter object: construction, the no-op pair, assignment and the
// choice of members for every pair of formats.
#include <gtest/gtest.h>

#include <d3d9.h>

#include <algorithm>
#include <map>
#include <string>
#include <vector>

#include "pixelformat/ZelkGrPixelConverter.h"
#include "pixelformat/ZelkGrRectConverters.h"
#include "pixelformat/ZelkGrTexelConverters.h"
#include "support/PixelReference.h"

using namespace zelk;

namespace {

constexpr DWORD ABGR = ZELK_FORMAT_ABGR, RGBA = ZELK_FORMAT_RGBA, BGRA = ZELK_FORMAT_BGRA;

bool IsNoOp(const ZelkGrPixelConverter& c) {
    return c.ConvertTexel == ConvertTexelNone && c.ConvertRect == ConvertRectNone;
}

TEST(PixelConverter, UnsupportedPairsKeepTheNoOpFunctionsAndWriteNothing) {
    const std::vector<std::pair<DWORD, DWORD>> unsupported = {
        {0, 0},
        {D3DFMT_L8, D3DFMT_L8},                    // L8 is a source only
        {D3DFMT_A8R8G8B8, D3DFMT_A2R10G10B10},     // source 35 is unknown
        {D3DFMT_A8L8, D3DFMT_P8},
        {D3DFMT_P8, D3DFMT_L8},
        {D3DFMT_A8P8, D3DFMT_A8R8G8B8},
        {ABGR, D3DFMT_A8R8G8B8},                   // the colour orders are sources only
        {D3DFMT_A2B10G10R10, D3DFMT_A8R8G8B8},
        {D3DFMT_G16R16, D3DFMT_A8R8G8B8},
        {D3DFMT_A4L4, D3DFMT_A4L4},
        {D3DFMT_A8R8G8B8, 803},
        {D3DFMT_A8R8G8B8, 19},
        {D3DFMT_A8R8G8B8, 53},
        {D3DFMT_A8R8G8B8, MAKEFOURCC('D', 'X', 'T', '1')},
        {D3DFMT_A8R8G8B8, 0xFFFFFFFF},
        {0xFFFFFFEC, D3DFMT_A8R8G8B8},             // -20 read as unsigned
        {D3DFMT_R8G8B8 + 0x100, D3DFMT_R8G8B8},
    };
    for (const auto& [destination, source] : unsupported) {
        SCOPED_TRACE(std::to_string(destination) + " from " + std::to_string(source));
        const ZelkGrPixelConverter converter(source, destination, nullptr, nullptr, 0xFFFFFFFF);
        EXPECT_TRUE(IsNoOp(converter));
        uint32_t in = 0x12345678, out = 0xCDCDCDCD;
        converter.ConvertTexel(&converter, &in, &out);
        EXPECT_EQ(out, 0xCDCDCDCDu);
        const RECT rect = {0, 0, 1, 1};
        const POINT point = {0, 0};
        converter.ConvertRect(&converter, &in, &rect, 4, &out, &point, 4);
        EXPECT_EQ(out, 0xCDCDCDCDu);
    }
}

TEST(PixelConverter, StoresFillColourPalettesAndFillAlphaBit) {
    const struct {
        DWORD fill;
        DWORD bit;
    } cases[] = {{0x00FFFFFF, 0}, {0x01000000, 1}, {0xFFFFFFFF, 1}, {0x80000000, 1}, {0, 0}};
    for (const auto& c : cases) {
        const ZelkGrPixelConverter converter(D3DFMT_P8, D3DFMT_A8R8G8B8, nullptr, nullptr, c.fill);
        EXPECT_EQ(converter.FillColor, c.fill);
        EXPECT_EQ(converter.FillAlphaBit, c.bit) << std::hex << c.fill;
        EXPECT_EQ(converter.SourcePalette, ZeroPalette);
        EXPECT_EQ(converter.DestinationPalette, ZeroPalette);
    }
    PALETTEENTRY source[256] = {}, destination[256] = {};
    const ZelkGrPixelConverter converter(D3DFMT_P8, D3DFMT_P8, source, destination, 0);
    EXPECT_EQ(converter.SourcePalette, source);
    EXPECT_EQ(converter.DestinationPalette, destination);
}

TEST(PixelConverter, WithoutAPaletteAPaletteSourceConvertsToBlack) {
    const ZelkGrPixelConverter converter(D3DFMT_P8, D3DFMT_A8R8G8B8, nullptr, nullptr, 0xFFFFFFFF);
    const uint8_t index = 0x9C;
    uint32_t out = 0xCDCDCDCD;
    converter.ConvertTexel(&converter, &index, &out);
    EXPECT_EQ(out, 0u);
}

TEST(PixelConverter, AssignmentCopiesFunctionsPalettesAndFill) {
    PALETTEENTRY palette[256] = {};
    palette[3] = {0x10, 0x20, 0x30, 0x40};
    const ZelkGrPixelConverter source(D3DFMT_P8, D3DFMT_A8R8G8B8, palette, palette, 0x00FFFFFF);
    ZelkGrPixelConverter target(0, 0, nullptr, nullptr, 0xFFFFFFFF);
    ASSERT_TRUE(IsNoOp(target));
    target = source;
    EXPECT_EQ(target.ConvertTexel, source.ConvertTexel);
    EXPECT_EQ(target.ConvertRect, source.ConvertRect);
    EXPECT_EQ(target.SourcePalette, palette);
    EXPECT_EQ(target.DestinationPalette, palette);
    EXPECT_EQ(target.FillColor, 0x00FFFFFFu);
    EXPECT_EQ(target.FillAlphaBit, 0u);
    const uint8_t index = 3;
    uint32_t out = 0;
    target.ConvertTexel(&target, &index, &out);
    EXPECT_EQ(out, 0x40102030u);

    // Back to the no-op pair, as the front end does when its window closes.
    target = ZelkGrPixelConverter(0, 0, nullptr, nullptr, 0xFFFFFFFF);
    EXPECT_TRUE(IsNoOp(target));
}

TEST(PixelConverter, ConverterCanBeDeletedThroughItsClass) {
    ZelkGrPixelConverter* converter =
        new ZelkGrPixelConverter(D3DFMT_R5G6B5, D3DFMT_A8R8G8B8, nullptr, nullptr, 0xFFFFFFFF);
    delete converter;
}

// ---------------------------------------------------------------------------
// The choice of members.  Each row names a member and the sources that it
// serves for the destination.

struct Member {
    const void* function;
    const char* name;
};
#define T(name) Member{reinterpret_cast<const void*>(&ConvertTexel_##name), "ConvertTexel_" #name}
#define R(name) Member{reinterpret_cast<const void*>(&ConvertRect_##name), "ConvertRect_" #name}

struct Group {
    DWORD destination;
    Member member;
    std::vector<DWORD> sources;
};

const std::vector<Group>& TexelGroups() {
    static const std::vector<Group> groups = {
        {D3DFMT_R8G8B8, T(Copy24), {20, 21, 22}},
        {D3DFMT_R8G8B8, T(R5G6B5ToR8G8B8), {23}},
        {D3DFMT_R8G8B8, T(X1R5G5B5ToR8G8B8), {24, 25}},
        {D3DFMT_R8G8B8, T(A4R4G4B4ToR8G8B8), {26, 30}},
        {D3DFMT_R8G8B8, T(R3G3B2ToR8G8B8), {27, 29}},
        {D3DFMT_R8G8B8, T(A8ToR8G8B8), {28}},
        {D3DFMT_R8G8B8, T(A2B10G10R10ToR8G8B8), {31}},
        {D3DFMT_R8G8B8, T(G16R16ToR8G8B8), {34}},
        {D3DFMT_R8G8B8, T(A8P8ToR8G8B8), {40, 41}},
        {D3DFMT_R8G8B8, T(L8ToR8G8B8), {50, 51}},
        {D3DFMT_R8G8B8, T(A4L4ToR8G8B8), {52}},
        {D3DFMT_R8G8B8, T(ABGRToR8G8B8), {ABGR}},
        {D3DFMT_R8G8B8, T(RGBAToR8G8B8), {RGBA}},
        {D3DFMT_R8G8B8, T(BGRAToR8G8B8), {BGRA}},

        {D3DFMT_A8R8G8B8, T(R8G8B8ToA8R8G8B8), {20, 22}},
        {D3DFMT_A8R8G8B8, T(Copy32), {21}},
        {D3DFMT_A8R8G8B8, T(R5G6B5ToA8R8G8B8), {23}},
        {D3DFMT_A8R8G8B8, T(X1R5G5B5ToA8R8G8B8), {24}},
        {D3DFMT_A8R8G8B8, T(A1R5G5B5ToA8R8G8B8), {25}},
        {D3DFMT_A8R8G8B8, T(A4R4G4B4ToA8R8G8B8), {26}},
        {D3DFMT_A8R8G8B8, T(R3G3B2ToA8R8G8B8), {27}},
        {D3DFMT_A8R8G8B8, T(A8ToA8R8G8B8), {28}},
        {D3DFMT_A8R8G8B8, T(A8R3G3B2ToA8R8G8B8), {29}},
        {D3DFMT_A8R8G8B8, T(X4R4G4B4ToA8R8G8B8), {30}},
        {D3DFMT_A8R8G8B8, T(A2B10G10R10ToA8R8G8B8), {31}},
        {D3DFMT_A8R8G8B8, T(G16R16ToA8R8G8B8), {34}},
        {D3DFMT_A8R8G8B8, T(A8P8ToA8R8G8B8), {40}},
        {D3DFMT_A8R8G8B8, T(P8ToA8R8G8B8), {41}},
        {D3DFMT_A8R8G8B8, T(L8ToA8R8G8B8), {50}},
        {D3DFMT_A8R8G8B8, T(A8L8ToA8R8G8B8), {51}},
        {D3DFMT_A8R8G8B8, T(A4L4ToA8R8G8B8), {52}},
        {D3DFMT_A8R8G8B8, T(ABGRToA8R8G8B8), {ABGR}},
        {D3DFMT_A8R8G8B8, T(RGBAToA8R8G8B8), {RGBA}},
        {D3DFMT_A8R8G8B8, T(BGRAToA8R8G8B8), {BGRA}},

        {D3DFMT_X8R8G8B8, T(R8G8B8ToX8R8G8B8), {20}},
        {D3DFMT_X8R8G8B8, T(Copy32), {21, 22}},
        {D3DFMT_X8R8G8B8, T(R5G6B5ToX8R8G8B8), {23}},
        {D3DFMT_X8R8G8B8, T(X1R5G5B5ToX8R8G8B8), {24, 25}},
        {D3DFMT_X8R8G8B8, T(A4R4G4B4ToX8R8G8B8), {26, 30}},
        {D3DFMT_X8R8G8B8, T(R3G3B2ToX8R8G8B8), {27, 29}},
        {D3DFMT_X8R8G8B8, T(A8ToR8G8B8), {28}},
        {D3DFMT_X8R8G8B8, T(A2B10G10R10ToX8R8G8B8), {31}},
        {D3DFMT_X8R8G8B8, T(G16R16ToX8R8G8B8), {34}},
        {D3DFMT_X8R8G8B8, T(A8P8ToR8G8B8), {40, 41}},
        {D3DFMT_X8R8G8B8, T(L8ToR8G8B8), {50, 51}},
        {D3DFMT_X8R8G8B8, T(A4L4ToR8G8B8), {52}},
        {D3DFMT_X8R8G8B8, T(ABGRToX8R8G8B8), {ABGR}},
        {D3DFMT_X8R8G8B8, T(RGBAToX8R8G8B8), {RGBA}},
        {D3DFMT_X8R8G8B8, T(BGRAToX8R8G8B8), {BGRA}},

        {D3DFMT_R5G6B5, T(R8G8B8ToR5G6B5), {20, 21, 22}},
        {D3DFMT_R5G6B5, T(Copy16), {23}},
        {D3DFMT_R5G6B5, T(X1R5G5B5ToR5G6B5), {24, 25}},
        {D3DFMT_R5G6B5, T(A4R4G4B4ToR5G6B5), {26, 30}},
        {D3DFMT_R5G6B5, T(R3G3B2ToR5G6B5), {27, 29}},
        {D3DFMT_R5G6B5, T(A8ToR5G6B5), {28}},
        {D3DFMT_R5G6B5, T(A2B10G10R10ToR5G6B5), {31}},
        {D3DFMT_R5G6B5, T(G16R16ToR5G6B5), {34}},
        {D3DFMT_R5G6B5, T(A8P8ToR5G6B5), {40, 41}},
        {D3DFMT_R5G6B5, T(L8ToR5G6B5), {50, 51}},
        {D3DFMT_R5G6B5, T(A4L4ToR5G6B5), {52}},
        {D3DFMT_R5G6B5, T(ABGRToR5G6B5), {ABGR}},
        {D3DFMT_R5G6B5, T(RGBAToR5G6B5), {RGBA}},
        {D3DFMT_R5G6B5, T(BGRAToR5G6B5), {BGRA}},

        {D3DFMT_X1R5G5B5, T(R8G8B8ToX1R5G5B5), {20, 21, 22}},
        {D3DFMT_X1R5G5B5, T(R5G6B5ToX1R5G5B5), {23}},
        {D3DFMT_X1R5G5B5, T(Copy16), {24, 25}},
        {D3DFMT_X1R5G5B5, T(A4R4G4B4ToX1R5G5B5), {26, 30}},
        {D3DFMT_X1R5G5B5, T(R3G3B2ToX1R5G5B5), {27, 29}},
        {D3DFMT_X1R5G5B5, T(A8ToX1R5G5B5), {28}},
        {D3DFMT_X1R5G5B5, T(A2B10G10R10ToX1R5G5B5), {31}},
        {D3DFMT_X1R5G5B5, T(G16R16ToX1R5G5B5), {34}},
        {D3DFMT_X1R5G5B5, T(A8P8ToX1R5G5B5), {40, 41}},
        {D3DFMT_X1R5G5B5, T(L8ToX1R5G5B5), {50, 51}},
        {D3DFMT_X1R5G5B5, T(A4L4ToX1R5G5B5), {52}},
        {D3DFMT_X1R5G5B5, T(ABGRToX1R5G5B5), {ABGR}},
        {D3DFMT_X1R5G5B5, T(RGBAToX1R5G5B5), {RGBA}},
        {D3DFMT_X1R5G5B5, T(BGRAToX1R5G5B5), {BGRA}},

        {D3DFMT_A1R5G5B5, T(R8G8B8ToA1R5G5B5), {20, 22}},
        {D3DFMT_A1R5G5B5, T(A8R8G8B8ToA1R5G5B5), {21}},
        {D3DFMT_A1R5G5B5, T(R5G6B5ToA1R5G5B5), {23}},
        {D3DFMT_A1R5G5B5, T(X1R5G5B5ToA1R5G5B5), {24}},
        {D3DFMT_A1R5G5B5, T(Copy16), {25}},
        {D3DFMT_A1R5G5B5, T(A4R4G4B4ToA1R5G5B5), {26}},
        {D3DFMT_A1R5G5B5, T(R3G3B2ToA1R5G5B5), {27}},
        {D3DFMT_A1R5G5B5, T(A8ToA1R5G5B5), {28}},
        {D3DFMT_A1R5G5B5, T(A8R3G3B2ToA1R5G5B5), {29}},
        {D3DFMT_A1R5G5B5, T(X4R4G4B4ToA1R5G5B5), {30}},
        {D3DFMT_A1R5G5B5, T(A2B10G10R10ToA1R5G5B5), {31}},
        {D3DFMT_A1R5G5B5, T(G16R16ToA1R5G5B5), {34}},
        {D3DFMT_A1R5G5B5, T(A8P8ToA1R5G5B5), {40}},
        {D3DFMT_A1R5G5B5, T(P8ToA1R5G5B5), {41}},
        {D3DFMT_A1R5G5B5, T(L8ToA1R5G5B5), {50}},
        {D3DFMT_A1R5G5B5, T(A8L8ToA1R5G5B5), {51}},
        {D3DFMT_A1R5G5B5, T(A4L4ToA1R5G5B5), {52}},
        {D3DFMT_A1R5G5B5, T(ABGRToA1R5G5B5), {ABGR}},
        {D3DFMT_A1R5G5B5, T(RGBAToA1R5G5B5), {RGBA}},
        {D3DFMT_A1R5G5B5, T(BGRAToA1R5G5B5), {BGRA}},

        {D3DFMT_A4R4G4B4, T(R8G8B8ToA4R4G4B4), {20, 22}},
        {D3DFMT_A4R4G4B4, T(A8R8G8B8ToA4R4G4B4), {21}},
        {D3DFMT_A4R4G4B4, T(R5G6B5ToA4R4G4B4), {23}},
        {D3DFMT_A4R4G4B4, T(X1R5G5B5ToA4R4G4B4), {24}},
        {D3DFMT_A4R4G4B4, T(A1R5G5B5ToA4R4G4B4), {25}},
        {D3DFMT_A4R4G4B4, T(Copy16), {26}},
        {D3DFMT_A4R4G4B4, T(R3G3B2ToA4R4G4B4), {27}},
        {D3DFMT_A4R4G4B4, T(A8ToA4R4G4B4), {28}},
        {D3DFMT_A4R4G4B4, T(A8R3G3B2ToA4R4G4B4), {29}},
        {D3DFMT_A4R4G4B4, T(X4R4G4B4ToA4R4G4B4), {30}},
        {D3DFMT_A4R4G4B4, T(A2B10G10R10ToA4R4G4B4), {31}},
        {D3DFMT_A4R4G4B4, T(G16R16ToA4R4G4B4), {34}},
        {D3DFMT_A4R4G4B4, T(A8P8ToA4R4G4B4), {40}},
        {D3DFMT_A4R4G4B4, T(P8ToA4R4G4B4), {41}},
        {D3DFMT_A4R4G4B4, T(L8ToA4R4G4B4), {50}},
        {D3DFMT_A4R4G4B4, T(A8L8ToA4R4G4B4), {51}},
        {D3DFMT_A4R4G4B4, T(A4L4ToA4R4G4B4), {52}},
        {D3DFMT_A4R4G4B4, T(ABGRToA4R4G4B4), {ABGR}},
        {D3DFMT_A4R4G4B4, T(RGBAToA4R4G4B4), {RGBA}},
        {D3DFMT_A4R4G4B4, T(BGRAToA4R4G4B4), {BGRA}},

        {D3DFMT_R3G3B2, T(R8G8B8ToR3G3B2), {20, 21, 22}},
        {D3DFMT_R3G3B2, T(R5G6B5ToR3G3B2), {23}},
        {D3DFMT_R3G3B2, T(X1R5G5B5ToR3G3B2), {24, 25}},
        {D3DFMT_R3G3B2, T(A4R4G4B4ToR3G3B2), {26, 30}},
        {D3DFMT_R3G3B2, T(Copy8), {27, 29}},
        {D3DFMT_R3G3B2, T(A8ToR3G3B2), {28}},
        {D3DFMT_R3G3B2, T(A2B10G10R10ToR3G3B2), {31}},
        {D3DFMT_R3G3B2, T(G16R16ToR3G3B2), {34}},
        {D3DFMT_R3G3B2, T(A8P8ToR3G3B2), {40, 41}},
        {D3DFMT_R3G3B2, T(L8ToR3G3B2), {50, 51}},
        {D3DFMT_R3G3B2, T(A4L4ToR3G3B2), {52}},
        {D3DFMT_R3G3B2, T(ABGRToR3G3B2), {ABGR}},
        {D3DFMT_R3G3B2, T(RGBAToR3G3B2), {RGBA}},
        {D3DFMT_R3G3B2, T(BGRAToR3G3B2), {BGRA}},

        {D3DFMT_A8, T(R8G8B8ToA8), {20, 22, 23, 24, 27, 30, 34, 41, 50}},
        {D3DFMT_A8, T(A8R8G8B8ToA8), {21, ABGR}},
        {D3DFMT_A8, T(A1R5G5B5ToA8), {25}},
        {D3DFMT_A8, T(A4R4G4B4ToA8), {26}},
        {D3DFMT_A8, T(A8R3G3B2ToA8), {29}},
        {D3DFMT_A8, T(Copy8), {28, RGBA, BGRA}},
        {D3DFMT_A8, T(A2B10G10R10ToA8), {31}},
        {D3DFMT_A8, T(A8P8ToA8), {40, 51}},
        {D3DFMT_A8, T(A4L4ToA8), {52}},

        {D3DFMT_A8R3G3B2, T(R8G8B8ToA8R3G3B2), {20, 22}},
        {D3DFMT_A8R3G3B2, T(A8R8G8B8ToA8R3G3B2), {21}},
        {D3DFMT_A8R3G3B2, T(R5G6B5ToA8R3G3B2), {23}},
        {D3DFMT_A8R3G3B2, T(X1R5G5B5ToA8R3G3B2), {24}},
        {D3DFMT_A8R3G3B2, T(A1R5G5B5ToA8R3G3B2), {25}},
        {D3DFMT_A8R3G3B2, T(A4R4G4B4ToA8R3G3B2), {26}},
        {D3DFMT_A8R3G3B2, T(R3G3B2ToA8R3G3B2), {27}},
        {D3DFMT_A8R3G3B2, T(A8ToA8R3G3B2), {28}},
        {D3DFMT_A8R3G3B2, T(Copy16), {29}},
        {D3DFMT_A8R3G3B2, T(X4R4G4B4ToA8R3G3B2), {30}},
        {D3DFMT_A8R3G3B2, T(A2B10G10R10ToA8R3G3B2), {31}},
        {D3DFMT_A8R3G3B2, T(G16R16ToA8R3G3B2), {34}},
        {D3DFMT_A8R3G3B2, T(A8P8ToA8R3G3B2), {40}},
        {D3DFMT_A8R3G3B2, T(P8ToA8R3G3B2), {41}},
        {D3DFMT_A8R3G3B2, T(L8ToA8R3G3B2), {50}},
        {D3DFMT_A8R3G3B2, T(A8L8ToA8R3G3B2), {51}},
        {D3DFMT_A8R3G3B2, T(A4L4ToA8R3G3B2), {52}},
        {D3DFMT_A8R3G3B2, T(ABGRToA8R3G3B2), {ABGR}},
        {D3DFMT_A8R3G3B2, T(RGBAToA8R3G3B2), {RGBA}},
        {D3DFMT_A8R3G3B2, T(BGRAToA8R3G3B2), {BGRA}},

        {D3DFMT_X4R4G4B4, T(R8G8B8ToX4R4G4B4), {20, 21, 22}},
        {D3DFMT_X4R4G4B4, T(R5G6B5ToX4R4G4B4), {23}},
        {D3DFMT_X4R4G4B4, T(X1R5G5B5ToX4R4G4B4), {24, 25}},
        {D3DFMT_X4R4G4B4, T(Copy16), {26, 30}},
        {D3DFMT_X4R4G4B4, T(R3G3B2ToX4R4G4B4), {27, 29}},
        {D3DFMT_X4R4G4B4, T(A8ToX4R4G4B4), {28}},
        {D3DFMT_X4R4G4B4, T(A2B10G10R10ToX4R4G4B4), {31}},
        {D3DFMT_X4R4G4B4, T(G16R16ToX4R4G4B4), {34}},
        {D3DFMT_X4R4G4B4, T(A8P8ToX4R4G4B4), {40, 41}},
        {D3DFMT_X4R4G4B4, T(L8ToX4R4G4B4), {50, 51}},
        {D3DFMT_X4R4G4B4, T(A4L4ToX4R4G4B4), {52}},
        {D3DFMT_X4R4G4B4, T(ABGRToX4R4G4B4), {ABGR}},
        {D3DFMT_X4R4G4B4, T(RGBAToX4R4G4B4), {RGBA}},
        {D3DFMT_X4R4G4B4, T(BGRAToX4R4G4B4), {BGRA}},

        {D3DFMT_A8P8, T(Copy16), {40}},
        {D3DFMT_A8P8, T(P8ToA8P8), {41}},
        {D3DFMT_P8, T(Copy8), {40, 41}},
        {D3DFMT_A8L8, T(L8ToA8L8), {50}},
        {D3DFMT_A8L8, T(Copy16), {51}},
        {D3DFMT_A8L8, T(A4L4ToA8L8), {52}},
    };
    return groups;
}

// Per-rectangle members of the destinations R8G8B8 to A4R4G4B4.
const std::vector<Group>& RectGroups() {
    static const std::vector<Group> groups = {
        {D3DFMT_R8G8B8, R(Copy24), {20}},
        {D3DFMT_R8G8B8, R(A8R8G8B8ToR8G8B8), {21, 22}},
        {D3DFMT_R8G8B8, R(R5G6B5ToR8G8B8), {23}},
        {D3DFMT_R8G8B8, R(X1R5G5B5ToR8G8B8), {24, 25}},
        {D3DFMT_R8G8B8, R(A4R4G4B4ToR8G8B8), {26, 30}},
        {D3DFMT_R8G8B8, R(R3G3B2ToR8G8B8), {27}},
        {D3DFMT_R8G8B8, R(A8ToR8G8B8), {28}},
        {D3DFMT_R8G8B8, R(A8R3G3B2ToR8G8B8), {29}},
        {D3DFMT_R8G8B8, R(A2B10G10R10ToR8G8B8), {31}},
        {D3DFMT_R8G8B8, R(G16R16ToR8G8B8), {34}},
        {D3DFMT_R8G8B8, R(A8P8ToR8G8B8), {40}},
        {D3DFMT_R8G8B8, R(P8ToR8G8B8), {41}},
        {D3DFMT_R8G8B8, R(L8ToR8G8B8), {50}},
        {D3DFMT_R8G8B8, R(A8L8ToR8G8B8), {51}},
        {D3DFMT_R8G8B8, R(A4L4ToR8G8B8), {52}},
        {D3DFMT_R8G8B8, R(ABGRToR8G8B8), {ABGR}},
        {D3DFMT_R8G8B8, R(RGBAToR8G8B8), {RGBA}},
        {D3DFMT_R8G8B8, R(BGRAToR8G8B8), {BGRA}},

        {D3DFMT_A8R8G8B8, R(R8G8B8ToA8R8G8B8), {20}},
        {D3DFMT_A8R8G8B8, R(Copy32), {21}},
        {D3DFMT_A8R8G8B8, R(X8R8G8B8ToA8R8G8B8), {22}},
        {D3DFMT_A8R8G8B8, R(R5G6B5ToA8R8G8B8), {23}},
        {D3DFMT_A8R8G8B8, R(X1R5G5B5ToA8R8G8B8), {24}},
        {D3DFMT_A8R8G8B8, R(A1R5G5B5ToA8R8G8B8), {25}},
        {D3DFMT_A8R8G8B8, R(A4R4G4B4ToA8R8G8B8), {26}},
        {D3DFMT_A8R8G8B8, R(R3G3B2ToA8R8G8B8), {27}},
        {D3DFMT_A8R8G8B8, R(A8ToA8R8G8B8), {28}},
        {D3DFMT_A8R8G8B8, R(A8R3G3B2ToA8R8G8B8), {29}},
        {D3DFMT_A8R8G8B8, R(X4R4G4B4ToA8R8G8B8), {30}},
        {D3DFMT_A8R8G8B8, R(A2B10G10R10ToA8R8G8B8), {31}},
        {D3DFMT_A8R8G8B8, R(G16R16ToA8R8G8B8), {34}},
        {D3DFMT_A8R8G8B8, R(A8P8ToA8R8G8B8), {40}},
        {D3DFMT_A8R8G8B8, R(P8ToA8R8G8B8), {41}},
        {D3DFMT_A8R8G8B8, R(L8ToA8R8G8B8), {50}},
        {D3DFMT_A8R8G8B8, R(A8L8ToA8R8G8B8), {51}},
        {D3DFMT_A8R8G8B8, R(A4L4ToA8R8G8B8), {52}},
        {D3DFMT_A8R8G8B8, R(ABGRToA8R8G8B8), {ABGR}},
        {D3DFMT_A8R8G8B8, R(RGBAToA8R8G8B8), {RGBA}},
        {D3DFMT_A8R8G8B8, R(BGRAToA8R8G8B8), {BGRA}},

        {D3DFMT_X8R8G8B8, R(R8G8B8ToX8R8G8B8), {20}},
        {D3DFMT_X8R8G8B8, R(A8R8G8B8ToX8R8G8B8), {21}},
        {D3DFMT_X8R8G8B8, R(Copy32), {22}},
        {D3DFMT_X8R8G8B8, R(R5G6B5ToX8R8G8B8), {23}},
        {D3DFMT_X8R8G8B8, R(X1R5G5B5ToX8R8G8B8), {24, 25}},
        {D3DFMT_X8R8G8B8, R(A4R4G4B4ToX8R8G8B8), {26, 30}},
        {D3DFMT_X8R8G8B8, R(R3G3B2ToX8R8G8B8), {27}},
        {D3DFMT_X8R8G8B8, R(A8ToX8R8G8B8), {28}},
        {D3DFMT_X8R8G8B8, R(A8R3G3B2ToX8R8G8B8), {29}},
        {D3DFMT_X8R8G8B8, R(A2B10G10R10ToX8R8G8B8), {31}},
        {D3DFMT_X8R8G8B8, R(G16R16ToX8R8G8B8), {34}},
        {D3DFMT_X8R8G8B8, R(A8P8ToX8R8G8B8), {40}},
        {D3DFMT_X8R8G8B8, R(P8ToX8R8G8B8), {41}},
        {D3DFMT_X8R8G8B8, R(L8ToX8R8G8B8), {50}},
        {D3DFMT_X8R8G8B8, R(A8L8ToX8R8G8B8), {51}},
        {D3DFMT_X8R8G8B8, R(A4L4ToX8R8G8B8), {52}},
        {D3DFMT_X8R8G8B8, R(ABGRToX8R8G8B8), {ABGR}},
        {D3DFMT_X8R8G8B8, R(RGBAToX8R8G8B8), {RGBA}},
        {D3DFMT_X8R8G8B8, R(BGRAToX8R8G8B8), {BGRA}},

        {D3DFMT_R5G6B5, R(R8G8B8ToR5G6B5), {20}},
        {D3DFMT_R5G6B5, R(A8R8G8B8ToR5G6B5), {21, 22}},
        {D3DFMT_R5G6B5, R(Copy16), {23}},
        {D3DFMT_R5G6B5, R(X1R5G5B5ToR5G6B5), {24, 25}},
        {D3DFMT_R5G6B5, R(A4R4G4B4ToR5G6B5), {26, 30}},
        {D3DFMT_R5G6B5, R(R3G3B2ToR5G6B5), {27}},
        {D3DFMT_R5G6B5, R(A8ToR5G6B5), {28}},
        {D3DFMT_R5G6B5, R(A8R3G3B2ToR5G6B5), {29}},
        {D3DFMT_R5G6B5, R(A2B10G10R10ToR5G6B5), {31}},
        {D3DFMT_R5G6B5, R(G16R16ToR5G6B5), {34}},
        {D3DFMT_R5G6B5, R(A8P8ToR5G6B5), {40}},
        {D3DFMT_R5G6B5, R(P8ToR5G6B5), {41}},
        {D3DFMT_R5G6B5, R(L8ToR5G6B5), {50}},
        {D3DFMT_R5G6B5, R(A8L8ToR5G6B5), {51}},
        {D3DFMT_R5G6B5, R(A4L4ToR5G6B5), {52}},
        {D3DFMT_R5G6B5, R(ABGRToR5G6B5), {ABGR}},
        {D3DFMT_R5G6B5, R(RGBAToR5G6B5), {RGBA}},
        {D3DFMT_R5G6B5, R(BGRAToR5G6B5), {BGRA}},

        {D3DFMT_X1R5G5B5, R(R8G8B8ToX1R5G5B5), {20}},
        {D3DFMT_X1R5G5B5, R(A8R8G8B8ToX1R5G5B5), {21, 22}},
        {D3DFMT_X1R5G5B5, R(R5G6B5ToX1R5G5B5), {23}},
        {D3DFMT_X1R5G5B5, R(Copy16), {24}},
        {D3DFMT_X1R5G5B5, R(A1R5G5B5ToX1R5G5B5), {25}},
        {D3DFMT_X1R5G5B5, R(A4R4G4B4ToX1R5G5B5), {26, 30}},
        {D3DFMT_X1R5G5B5, R(R3G3B2ToX1R5G5B5), {27}},
        {D3DFMT_X1R5G5B5, R(A8ToX1R5G5B5), {28}},
        {D3DFMT_X1R5G5B5, R(A8R3G3B2ToX1R5G5B5), {29}},
        {D3DFMT_X1R5G5B5, R(A2B10G10R10ToX1R5G5B5), {31}},
        {D3DFMT_X1R5G5B5, R(G16R16ToX1R5G5B5), {34}},
        {D3DFMT_X1R5G5B5, R(A8P8ToX1R5G5B5), {40}},
        {D3DFMT_X1R5G5B5, R(P8ToX1R5G5B5), {41}},
        {D3DFMT_X1R5G5B5, R(L8ToX1R5G5B5), {50}},
        {D3DFMT_X1R5G5B5, R(A8L8ToX1R5G5B5), {51}},
        {D3DFMT_X1R5G5B5, R(A4L4ToX1R5G5B5), {52}},
        {D3DFMT_X1R5G5B5, R(ABGRToX1R5G5B5), {ABGR}},
        {D3DFMT_X1R5G5B5, R(RGBAToX1R5G5B5), {RGBA}},
        {D3DFMT_X1R5G5B5, R(BGRAToX1R5G5B5), {BGRA}},

        {D3DFMT_A1R5G5B5, R(R8G8B8ToA1R5G5B5), {20}},
        {D3DFMT_A1R5G5B5, R(A8R8G8B8ToA1R5G5B5), {21}},
        {D3DFMT_A1R5G5B5, R(X8R8G8B8ToA1R5G5B5), {22}},
        {D3DFMT_A1R5G5B5, R(R5G6B5ToA1R5G5B5), {23}},
        {D3DFMT_A1R5G5B5, R(X1R5G5B5ToA1R5G5B5), {24}},
        {D3DFMT_A1R5G5B5, R(Copy16), {25}},
        {D3DFMT_A1R5G5B5, R(A4R4G4B4ToA1R5G5B5), {26}},
        {D3DFMT_A1R5G5B5, R(R3G3B2ToA1R5G5B5), {27}},
        {D3DFMT_A1R5G5B5, R(A8ToA1R5G5B5), {28}},
        {D3DFMT_A1R5G5B5, R(A8R3G3B2ToA1R5G5B5), {29}},
        {D3DFMT_A1R5G5B5, R(X4R4G4B4ToA1R5G5B5), {30}},
        {D3DFMT_A1R5G5B5, R(A2B10G10R10ToA1R5G5B5), {31}},
        {D3DFMT_A1R5G5B5, R(G16R16ToA1R5G5B5), {34}},
        {D3DFMT_A1R5G5B5, R(A8P8ToA1R5G5B5), {40}},
        {D3DFMT_A1R5G5B5, R(P8ToA1R5G5B5), {41}},
        {D3DFMT_A1R5G5B5, R(L8ToA1R5G5B5), {50}},
        {D3DFMT_A1R5G5B5, R(A8L8ToA1R5G5B5), {51}},
        {D3DFMT_A1R5G5B5, R(A4L4ToA1R5G5B5), {52}},
        {D3DFMT_A1R5G5B5, R(ABGRToA1R5G5B5), {ABGR}},
        {D3DFMT_A1R5G5B5, R(RGBAToA1R5G5B5), {RGBA}},
        {D3DFMT_A1R5G5B5, R(BGRAToA1R5G5B5), {BGRA}},

        {D3DFMT_A4R4G4B4, R(R8G8B8ToA4R4G4B4), {20}},
        {D3DFMT_A4R4G4B4, R(A8R8G8B8ToA4R4G4B4), {21}},
        {D3DFMT_A4R4G4B4, R(X8R8G8B8ToA4R4G4B4), {22}},
        {D3DFMT_A4R4G4B4, R(R5G6B5ToA4R4G4B4), {23}},
        {D3DFMT_A4R4G4B4, R(X1R5G5B5ToA4R4G4B4), {24}},
        {D3DFMT_A4R4G4B4, R(A1R5G5B5ToA4R4G4B4), {25}},
        {D3DFMT_A4R4G4B4, R(Copy16), {26}},
        {D3DFMT_A4R4G4B4, R(R3G3B2ToA4R4G4B4), {27}},
        {D3DFMT_A4R4G4B4, R(A8ToA4R4G4B4), {28}},
        {D3DFMT_A4R4G4B4, R(A8R3G3B2ToA4R4G4B4), {29}},
        {D3DFMT_A4R4G4B4, R(X4R4G4B4ToA4R4G4B4), {30}},
        {D3DFMT_A4R4G4B4, R(A2B10G10R10ToA4R4G4B4), {31}},
        {D3DFMT_A4R4G4B4, R(G16R16ToA4R4G4B4), {34}},
        {D3DFMT_A4R4G4B4, R(A8P8ToA4R4G4B4), {40}},
        {D3DFMT_A4R4G4B4, R(P8ToA4R4G4B4), {41}},
        {D3DFMT_A4R4G4B4, R(L8ToA4R4G4B4), {50}},
        {D3DFMT_A4R4G4B4, R(A8L8ToA4R4G4B4), {51}},
        {D3DFMT_A4R4G4B4, R(A4L4ToA4R4G4B4), {52}},
        {D3DFMT_A4R4G4B4, R(ABGRToA4R4G4B4), {ABGR}},
        {D3DFMT_A4R4G4B4, R(RGBAToA4R4G4B4), {RGBA}},
        {D3DFMT_A4R4G4B4, R(BGRAToA4R4G4B4), {BGRA}},
    };
    return groups;
}

#undef T
#undef R

std::string PairName(DWORD destination, DWORD source) {
    return pixeltest::FormatName(destination) + " from " + pixeltest::FormatName(source);
}

TEST(PixelConverter, EverySupportedPairGetsItsNamedMembers) {
    std::map<std::pair<DWORD, DWORD>, Member> texel, rect;
    for (const Group& group : TexelGroups()) {
        for (DWORD source : group.sources) {
            ASSERT_TRUE(texel.emplace(std::make_pair(group.destination, source), group.member).second);
        }
    }
    for (const Group& group : RectGroups()) {
        for (DWORD source : group.sources) {
            ASSERT_TRUE(rect.emplace(std::make_pair(group.destination, source), group.member).second);
        }
    }
    ASSERT_EQ(texel.size(), 238u);
    ASSERT_EQ(rect.size(), 147u);
    for (const auto& [destination, source] : pixeltest::SupportedPairs()) {
        SCOPED_TRACE(PairName(destination, source));
        const ZelkGrPixelConverter converter(source, destination, pixeltest::TestPalette(), nullptr,
                                             0xFFFFFFFF);
        const Member& expected = texel.at({destination, source});
        EXPECT_EQ(reinterpret_cast<const void*>(converter.ConvertTexel), expected.function)
            << "expected " << expected.name;
        EXPECT_NE(converter.ConvertRect, ConvertRectNone);
        const auto r = rect.find({destination, source});
        if (r != rect.end()) {
            EXPECT_EQ(reinterpret_cast<const void*>(converter.ConvertRect), r->second.function)
                << "expected " << r->second.name;
        }
    }
}

TEST(PixelConverter, OnlyTheSupportedPairsHaveConversions) {
    std::vector<DWORD> codes;
    for (DWORD code = 0; code <= 60; ++code) {
        codes.push_back(code);
    }
    codes.insert(codes.end(), {799, ABGR, RGBA, BGRA, 803});
    size_t supported = 0;
    for (DWORD destination : codes) {
        for (DWORD source : codes) {
            const ZelkGrPixelConverter converter(source, destination, nullptr, nullptr, 0xFFFFFFFF);
            const bool listed =
                std::find(pixeltest::SupportedPairs().begin(), pixeltest::SupportedPairs().end(),
                          std::make_pair(destination, source)) != pixeltest::SupportedPairs().end();
            // The two no-op tests always agree.
            EXPECT_EQ(converter.ConvertTexel == ConvertTexelNone,
                      converter.ConvertRect == ConvertRectNone)
                << destination << " from " << source;
            EXPECT_EQ(!IsNoOp(converter), listed) << destination << " from " << source;
            supported += listed ? 1 : 0;
        }
    }
    EXPECT_EQ(supported, 238u);
}

}  // namespace
