// The per-rectangle converters into R3G3B2, A8, A8R3G3B2, X4R4G4B4, A8P8, P8
// and A8L8, reached through the real converter constructor and checked
// against a plain reference of the channel rules.
#include "pixelformat/ZelkGrNarrowFormatConverters.h"
#include "pixelformat/ZelkGrPixelConverter.h"
#include "pixelformat/ZelkGrRectConverters.h"

#include <gtest/gtest.h>

#include <d3d9.h>

#include <cstdint>
#include <cstring>
#include <sstream>
#include <string>
#include <vector>

using namespace zelk;

namespace {

// ---------------------------------------------------------------------------
// Reference: each format's channels as a table of bit fields, each channel
// brought to the destination's width by keeping its top bits or by shifting
// it up with zero low bits; a missing channel comes from the fill colour.

unsigned TexelSize(DWORD format) {
    switch (format) {
    case D3DFMT_R3G3B2: case D3DFMT_A8: case D3DFMT_P8: case D3DFMT_L8: case D3DFMT_A4L4:
        return 1;
    case D3DFMT_R8G8B8:
        return 3;
    case D3DFMT_A8R8G8B8: case D3DFMT_X8R8G8B8: case D3DFMT_A2B10G10R10: case D3DFMT_G16R16:
    case ZELK_FORMAT_ABGR: case ZELK_FORMAT_RGBA: case ZELK_FORMAT_BGRA:
        return 4;
    default:
        return 2;
    }
}

struct Channel {
    uint32_t value;
    unsigned bits;  // 0: the source has no such channel
};

struct Channels {
    Channel r, g, b, a;
};

uint32_t Bits(uint32_t v, unsigned high, unsigned low) {
    return (v >> low) & ((1u << (high - low + 1)) - 1);
}

Channel F(uint32_t v, unsigned high, unsigned low) { return {Bits(v, high, low), high - low + 1}; }

const Channel kNone = {0, 0};

Channels Decode(DWORD format, uint32_t v, const PALETTEENTRY* palette) {
    const PALETTEENTRY& p = palette[v & 0xFF];
    switch (format) {
    case D3DFMT_R8G8B8:
    case D3DFMT_X8R8G8B8: return {F(v, 23, 16), F(v, 15, 8), F(v, 7, 0), kNone};
    case D3DFMT_A8R8G8B8: return {F(v, 23, 16), F(v, 15, 8), F(v, 7, 0), F(v, 31, 24)};
    case D3DFMT_R5G6B5: return {F(v, 15, 11), F(v, 10, 5), F(v, 4, 0), kNone};
    case D3DFMT_X1R5G5B5: return {F(v, 14, 10), F(v, 9, 5), F(v, 4, 0), kNone};
    case D3DFMT_A1R5G5B5: return {F(v, 14, 10), F(v, 9, 5), F(v, 4, 0), F(v, 15, 15)};
    case D3DFMT_A4R4G4B4: return {F(v, 11, 8), F(v, 7, 4), F(v, 3, 0), F(v, 15, 12)};
    case D3DFMT_X4R4G4B4: return {F(v, 11, 8), F(v, 7, 4), F(v, 3, 0), kNone};
    case D3DFMT_R3G3B2: return {F(v, 7, 5), F(v, 4, 2), F(v, 1, 0), kNone};
    case D3DFMT_A8: return {kNone, kNone, kNone, F(v, 7, 0)};
    case D3DFMT_A8R3G3B2: return {F(v, 7, 5), F(v, 4, 2), F(v, 1, 0), F(v, 15, 8)};
    case D3DFMT_A2B10G10R10: return {F(v, 9, 0), F(v, 19, 10), F(v, 29, 20), F(v, 31, 30)};
    case D3DFMT_G16R16: return {F(v, 15, 0), F(v, 31, 16), kNone, kNone};
    case D3DFMT_A8P8: return {{p.peRed, 8}, {p.peGreen, 8}, {p.peBlue, 8}, F(v, 15, 8)};
    case D3DFMT_P8: return {{p.peRed, 8}, {p.peGreen, 8}, {p.peBlue, 8}, kNone};
    case D3DFMT_L8: return {F(v, 7, 0), F(v, 7, 0), F(v, 7, 0), kNone};
    case D3DFMT_A8L8: return {F(v, 7, 0), F(v, 7, 0), F(v, 7, 0), F(v, 15, 8)};
    case D3DFMT_A4L4: return {F(v, 3, 0), F(v, 3, 0), F(v, 3, 0), F(v, 7, 4)};
    case ZELK_FORMAT_ABGR: return {F(v, 7, 0), F(v, 15, 8), F(v, 23, 16), F(v, 31, 24)};
    case ZELK_FORMAT_RGBA: return {F(v, 31, 24), F(v, 23, 16), F(v, 15, 8), F(v, 7, 0)};
    case ZELK_FORMAT_BGRA: return {F(v, 15, 8), F(v, 23, 16), F(v, 31, 24), F(v, 7, 0)};
    }
    ADD_FAILURE() << "no layout for format " << format;
    return {};
}

// A channel of `bits` bits; fillByte stands in when the source lacks it.
uint32_t Fit(Channel c, unsigned bits, uint32_t fillByte) {
    if (c.bits == 0) {
        c = {fillByte & 0xFF, 8};
    }
    return c.bits >= bits ? c.value >> (c.bits - bits) : c.value << (bits - c.bits);
}

// An alpha of 8 bits.  A one-bit alpha widens to all ones (an opaque
// A1R5G5B5 texel stays opaque).
uint32_t Alpha8(Channel a, uint32_t fill) {
    if (a.bits == 1) {
        return a.value != 0 ? 0xFF : 0;
    }
    return Fit(a, 8, fill >> 24);
}

uint32_t Expected(DWORD destination, DWORD source, uint32_t v, const PALETTEENTRY* palette,
                  uint32_t fill) {
    const uint32_t fillAlpha = fill >> 24;
    // Whole texels and indices that pass unchanged.
    if (destination == source || (destination == D3DFMT_X4R4G4B4 && source == D3DFMT_A4R4G4B4)) {
        return v;
    }
    if (destination == D3DFMT_P8 && source == D3DFMT_A8P8) {
        return v & 0xFF;
    }
    if ((destination == D3DFMT_A8P8 && source == D3DFMT_P8) ||
        (destination == D3DFMT_A8L8 && source == D3DFMT_L8)) {
        return v | fillAlpha << 8;
    }
    if (destination == D3DFMT_A8L8 && source == D3DFMT_A4L4) {
        return (v & 0xF0) << 8 | (v & 0x0F) << 4;
    }
    const Channels c = Decode(source, v, palette);
    const uint32_t r3g3b2 = Fit(c.r, 3, fill >> 16) << 5 | Fit(c.g, 3, fill >> 8) << 2 |
                            Fit(c.b, 2, fill);
    switch (destination) {
    case D3DFMT_R3G3B2: return r3g3b2;
    case D3DFMT_A8: return Alpha8(c.a, fill);
    case D3DFMT_A8R3G3B2: return Alpha8(c.a, fill) << 8 | r3g3b2;
    case D3DFMT_X4R4G4B4:
        return Fit(c.r, 4, fill >> 16) << 8 | Fit(c.g, 4, fill >> 8) << 4 | Fit(c.b, 4, fill);
    }
    ADD_FAILURE() << "no reference for destination " << destination;
    return 0;
}

// ---------------------------------------------------------------------------
// The pairs of the narrow destinations.

const DWORD kAllSources[] = {
    D3DFMT_R8G8B8, D3DFMT_A8R8G8B8, D3DFMT_X8R8G8B8, D3DFMT_R5G6B5, D3DFMT_X1R5G5B5,
    D3DFMT_A1R5G5B5, D3DFMT_A4R4G4B4, D3DFMT_R3G3B2, D3DFMT_A8, D3DFMT_A8R3G3B2,
    D3DFMT_X4R4G4B4, D3DFMT_A2B10G10R10, D3DFMT_G16R16, D3DFMT_A8P8, D3DFMT_P8, D3DFMT_L8,
    D3DFMT_A8L8, D3DFMT_A4L4, ZELK_FORMAT_ABGR, ZELK_FORMAT_RGBA, ZELK_FORMAT_BGRA};

struct Pair {
    DWORD destination;
    DWORD source;
};

std::vector<Pair> NarrowPairs() {
    std::vector<Pair> pairs;
    for (DWORD destination : {D3DFMT_R3G3B2, D3DFMT_A8, D3DFMT_A8R3G3B2, D3DFMT_X4R4G4B4}) {
        for (DWORD source : kAllSources) {
            pairs.push_back({destination, source});
        }
    }
    for (Pair pair : {Pair{D3DFMT_A8P8, D3DFMT_A8P8}, Pair{D3DFMT_A8P8, D3DFMT_P8},
                      Pair{D3DFMT_P8, D3DFMT_A8P8}, Pair{D3DFMT_P8, D3DFMT_P8},
                      Pair{D3DFMT_A8L8, D3DFMT_L8}, Pair{D3DFMT_A8L8, D3DFMT_A8L8},
                      Pair{D3DFMT_A8L8, D3DFMT_A4L4}}) {
        pairs.push_back(pair);
    }
    return pairs;
}

std::string PairName(Pair pair) {
    std::ostringstream name;
    name << "destination " << pair.destination << " from source " << pair.source;
    return name.str();
}

// A palette whose entries differ in every channel; the flags byte is never
// an alpha for these destinations.
std::vector<PALETTEENTRY> TestPalette() {
    std::vector<PALETTEENTRY> palette(256);
    for (unsigned i = 0; i < 256; ++i) {
        palette[i] = {BYTE(i * 73 + 5), BYTE(i * 151 + 200), BYTE(255 - i * 29), BYTE(i ^ 0x5A)};
    }
    return palette;
}

// Fill bytes whose top bits differ from channel to channel.
const DWORD kFill = 0x9C5A3E71;

uint32_t NextRandom(uint32_t* state) {
    *state = *state * 1664525u + 1013904223u;
    return *state ^ (*state >> 15);
}

// Every value of 1- and 2-byte texels; for 3- and 4-byte texels, the values
// with one or all bits set and many pseudo-random ones.
std::vector<uint32_t> SourceValues(DWORD format) {
    const unsigned size = TexelSize(format);
    std::vector<uint32_t> values;
    if (size <= 2) {
        for (uint32_t v = 0; v < (1u << (8 * size)); ++v) {
            values.push_back(v);
        }
        return values;
    }
    const uint32_t mask = size == 3 ? 0xFFFFFFu : 0xFFFFFFFFu;
    values.push_back(0);
    values.push_back(mask);
    for (unsigned bit = 0; bit < 8 * size; ++bit) {
        values.push_back(1u << bit);
        values.push_back(mask & ~(1u << bit));
    }
    uint32_t state = 12345;
    while (values.size() < 20000) {
        values.push_back(NextRandom(&state) & mask);
    }
    return values;
}

// ---------------------------------------------------------------------------
// One conversion of a rectangle between guarded images.

struct Layout {
    int left, top;          // the rectangle's corner in the source image
    int sourceExtra;        // texels per source row beyond the rectangle
    int sourcePad;          // bytes per source row beyond the texels
    int x, y;               // the destination point
    int destinationExtra;   // texels per destination row beyond the rectangle
    int destinationPad;     // bytes per destination row beyond the texels
};

// Rows back to back in both images.
const Layout kTight = {0, 0, 0, 0, 0, 0, 0, 0};
// Offsets and padded pitches on both sides.
const Layout kPadded = {2, 1, 5, 3, 3, 2, 6, 1};

const uint8_t kGuard = 0xA5;
const size_t kGuardBytes = 64;

// Converts the texels `values` (row by row, width texels a row, height rows;
// values repeat when there are fewer) and returns a description of the first
// wrong texel or of the first byte written outside the rectangle, or "".
std::string ConvertAndCheck(Pair pair, const std::vector<uint32_t>& values, int width, int height,
                            const Layout& layout, const PALETTEENTRY* palette, DWORD fill) {
    const unsigned s = TexelSize(pair.source);
    const unsigned d = TexelSize(pair.destination);
    const int sourcePitch = (layout.left + width + layout.sourceExtra) * int(s) + layout.sourcePad;
    const int destinationPitch =
        (layout.x + width + layout.destinationExtra) * int(d) + layout.destinationPad;
    std::vector<uint8_t> source(size_t(sourcePitch) * (layout.top + height + 1), 0x3C);
    std::vector<uint8_t> destination(
        kGuardBytes + size_t(destinationPitch) * (layout.y + height) + kGuardBytes, kGuard);
    uint8_t* destinationBits = destination.data() + kGuardBytes;

    for (int row = 0; row < height; ++row) {
        for (int column = 0; column < width; ++column) {
            const uint32_t v = values[(size_t(row) * width + column) % values.size()];
            std::memcpy(&source[size_t(layout.top + row) * sourcePitch + (layout.left + column) * s],
                        &v, s);
        }
    }

    ZelkGrPixelConverter converter(pair.source, pair.destination, palette, nullptr, fill);
    const RECT rect = {layout.left, layout.top, layout.left + width, layout.top + height};
    const POINT point = {layout.x, layout.y};
    converter.ConvertRect(&converter, source.data(), &rect, sourcePitch, destinationBits, &point,
                          destinationPitch);

    std::ostringstream failure;
    std::vector<bool> inside(destination.size(), false);
    for (int row = 0; row < height; ++row) {
        for (int column = 0; column < width; ++column) {
            const uint32_t v = values[(size_t(row) * width + column) % values.size()];
            const size_t offset = kGuardBytes + size_t(layout.y + row) * destinationPitch +
                                  (layout.x + column) * d;
            uint32_t got = 0;
            std::memcpy(&got, &destination[offset], d);
            const uint32_t want = Expected(pair.destination, pair.source, v, palette, fill);
            if (got != want) {
                failure << "texel (" << column << ", " << row << ") from 0x" << std::hex << v
                        << ": got 0x" << got << ", expected 0x" << want;
                return failure.str();
            }
            for (unsigned b = 0; b < d; ++b) {
                inside[offset + b] = true;
            }
        }
    }
    for (size_t i = 0; i < destination.size(); ++i) {
        if (!inside[i] && destination[i] != kGuard) {
            failure << "byte " << i << " outside the rectangle was written";
            return failure.str();
        }
    }
    return "";
}

// ---------------------------------------------------------------------------

// Every pair against the reference, every source value of the 8- and 16-bit
// formats, with rows back to back (the block copies) and with offsets and
// padded pitches; the pair's per-texel function gives the same texels.
TEST(NarrowFormatConverters, EveryPairMatchesTheChannelRulesForEverySourceValue) {
    const std::vector<PALETTEENTRY> palette = TestPalette();
    for (Pair pair : NarrowPairs()) {
        SCOPED_TRACE(PairName(pair));
        const std::vector<uint32_t> values = SourceValues(pair.source);
        const int width = TexelSize(pair.source) == 1 ? 37 : 251;
        const int height = int((values.size() + width - 1) / width);
        EXPECT_EQ(ConvertAndCheck(pair, values, width, height, kPadded, palette.data(), kFill), "");
        EXPECT_EQ(ConvertAndCheck(pair, values, width, height, kTight, palette.data(), kFill), "");

        ZelkGrPixelConverter converter(pair.source, pair.destination, palette.data(), nullptr,
                                       kFill);
        for (uint32_t v : values) {
            uint32_t got = 0;
            converter.ConvertTexel(&converter, &v, &got);
            const uint32_t want = Expected(pair.destination, pair.source, v, palette.data(), kFill);
            if (got != want) {
                ADD_FAILURE() << "per-texel 0x" << std::hex << v << ": got 0x" << got
                              << ", expected 0x" << want;
                break;
            }
        }
    }
}

// Row lengths around every stage of the unrolled walk, one and several rows:
// exactly the rectangle's texels change.
TEST(NarrowFormatConverters, EveryRowLengthWritesExactlyTheRectangle) {
    const std::vector<PALETTEENTRY> palette = TestPalette();
    uint32_t state = 99;
    std::vector<uint32_t> values(40 * 3);
    for (uint32_t& v : values) {
        v = NextRandom(&state);
    }
    for (Pair pair : NarrowPairs()) {
        SCOPED_TRACE(PairName(pair));
        const unsigned bits = 8 * TexelSize(pair.source);
        std::vector<uint32_t> masked = values;
        for (uint32_t& v : masked) {
            v &= bits == 32 ? 0xFFFFFFFFu : (1u << bits) - 1;
        }
        for (int width : {1, 2, 3, 7, 8, 9, 15, 16, 17, 31, 32, 33, 40}) {
            for (int height : {1, 3}) {
                EXPECT_EQ(ConvertAndCheck(pair, masked, width, height, kPadded, palette.data(),
                                          kFill),
                          "")
                    << width << " x " << height;
            }
        }
    }
}

// Empty and inverted rectangles write nothing.
TEST(NarrowFormatConverters, EmptyOrInvertedRectangleWritesNothing) {
    const std::vector<PALETTEENTRY> palette = TestPalette();
    std::vector<uint8_t> source(16 * 4 * 8, 0x77);
    for (Pair pair : NarrowPairs()) {
        SCOPED_TRACE(PairName(pair));
        ZelkGrPixelConverter converter(pair.source, pair.destination, palette.data(), nullptr,
                                       kFill);
        for (RECT rect : {RECT{5, 1, 5, 6}, RECT{2, 3, 9, 3}, RECT{9, 0, 2, 6}, RECT{0, 6, 8, 1},
                          RECT{12, 7, 0, 0}}) {
            std::vector<uint8_t> destination(16 * 4 * 8, kGuard);
            const POINT point = {1, 1};
            converter.ConvertRect(&converter, source.data(), &rect, 16 * 4, destination.data(),
                                  &point, 16 * 4);
            EXPECT_EQ(destination, std::vector<uint8_t>(destination.size(), kGuard))
                << "rect " << rect.left << ", " << rect.top << ", " << rect.right << ", "
                << rect.bottom;
        }
    }
}

// The texel values worked out by hand.
TEST(NarrowFormatConverters, WorkedValues) {
    std::vector<PALETTEENTRY> palette(256, PALETTEENTRY{0, 0, 0, 0});
    palette[7] = {0xFF, 0x00, 0xC0, 0x40};
    struct Case {
        DWORD destination, source, fill;
        uint32_t value, expected;
    } const cases[] = {
        // An opaque A1R5G5B5 texel stays opaque.
        {D3DFMT_A8, D3DFMT_A1R5G5B5, 0xFFFFFFFF, 0x8000, 0xFF},
        {D3DFMT_A8, D3DFMT_A1R5G5B5, 0xFFFFFFFF, 0x7FFF, 0x00},
        {D3DFMT_A8R3G3B2, D3DFMT_A1R5G5B5, 0xFFFFFFFF, 0x8000, 0xFF00},
        {D3DFMT_A8R3G3B2, D3DFMT_A1R5G5B5, 0xFFFFFFFF, 0x7FFF, 0x00FF},
        {D3DFMT_A8, D3DFMT_A4L4, 0xFFFFFFFF, 0xF3, 0xF0},
        {D3DFMT_A8, D3DFMT_A4R4G4B4, 0xFFFFFFFF, 0xF000, 0xF0},
        {D3DFMT_A8, D3DFMT_A8R3G3B2, 0xFFFFFFFF, 0xAB12, 0xAB},
        {D3DFMT_R3G3B2, D3DFMT_R5G6B5, 0xFFFFFFFF, 0x001F, 0x03},
        {D3DFMT_R3G3B2, D3DFMT_R5G6B5, 0xFFFFFFFF, 0xFFFF, 0xFF},
        {D3DFMT_R3G3B2, D3DFMT_A2B10G10R10, 0xFFFFFFFF, 0x000FFC00, 0x1C},
        {D3DFMT_A8R3G3B2, D3DFMT_A2B10G10R10, 0xFFFFFFFF, 0x000FFC00, 0x001C},
        {D3DFMT_R3G3B2, D3DFMT_A8, 0xFFFFFFFF, 0x12, 0xFF},
        {D3DFMT_A8R3G3B2, D3DFMT_R3G3B2, 0x80FFFFFF, 0xFF, 0x80FF},
        // P8 takes alpha from the fill colour, not from the palette entry.
        {D3DFMT_A8, D3DFMT_P8, 0x80FFFFFF, 7, 0x80},
        {D3DFMT_A8R3G3B2, D3DFMT_P8, 0x80FFFFFF, 7, 0x80E3},
        {D3DFMT_R3G3B2, D3DFMT_A8P8, 0xFFFFFFFF, 0x3307, 0xE3},
        {D3DFMT_X4R4G4B4, D3DFMT_P8, 0xFFFFFFFF, 7, 0x0F0C},
        {D3DFMT_X4R4G4B4, D3DFMT_A4R4G4B4, 0xFFFFFFFF, 0xA5C3, 0xA5C3},
        {D3DFMT_X4R4G4B4, D3DFMT_A1R5G5B5, 0xFFFFFFFF, 0xFFFF, 0x0FFF},
        {D3DFMT_X4R4G4B4, ZELK_FORMAT_RGBA, 0xFFFFFFFF, 0x00FF0000, 0x00F0},
        {D3DFMT_X4R4G4B4, ZELK_FORMAT_BGRA, 0xFFFFFFFF, 0x00FF0000, 0x00F0},
        {D3DFMT_X4R4G4B4, D3DFMT_A2B10G10R10, 0xFFFFFFFF, 0x3FF00000, 0x000F},
        {D3DFMT_X4R4G4B4, D3DFMT_A2B10G10R10, 0xFFFFFFFF, 0x000FFC00, 0x00F0},
        {D3DFMT_P8, D3DFMT_A8P8, 0xFFFFFFFF, 0x7F42, 0x42},
        {D3DFMT_A8P8, D3DFMT_P8, 0xFFFFFFFF, 0x42, 0xFF42},
        {D3DFMT_A8L8, D3DFMT_A4L4, 0xFFFFFFFF, 0xA5, 0xA050},
        {D3DFMT_A8L8, D3DFMT_L8, 0x7FFFFFFF, 0x80, 0x7F80},
    };
    for (const Case& c : cases) {
        ZelkGrPixelConverter converter(c.source, c.destination, palette.data(), nullptr, c.fill);
        const RECT rect = {0, 0, 1, 1};
        const POINT point = {0, 0};
        uint32_t got = 0;
        converter.ConvertRect(&converter, &c.value, &rect, 4, &got, &point, 4);
        EXPECT_EQ(got, c.expected) << PairName({c.destination, c.source}) << ", value 0x"
                                   << std::hex << c.value;
    }
}

// A 1-byte source row of w texels reads w bytes; an R8G8B8 row reads 3 w.
TEST(NarrowFormatConverters, R8G8B8RowsAreThreeBytesPerTexel) {
    const uint8_t source[] = {0x00, 0x00, 0xFF, 0x00, 0xFF, 0x00, 0xFF, 0x00, 0x00};
    const RECT rect = {0, 0, 3, 1};
    const POINT point = {0, 0};
    uint8_t r3g3b2[4] = {kGuard, kGuard, kGuard, kGuard};
    ZelkGrPixelConverter converter(D3DFMT_R8G8B8, D3DFMT_R3G3B2, nullptr, nullptr, 0xFFFFFFFF);
    converter.ConvertRect(&converter, source, &rect, 9, r3g3b2, &point, 3);
    EXPECT_EQ(r3g3b2[0], 0xE0);  // red
    EXPECT_EQ(r3g3b2[1], 0x1C);  // green
    EXPECT_EQ(r3g3b2[2], 0x03);  // blue
    EXPECT_EQ(r3g3b2[3], kGuard);
}

// The constructor installs each pair's member, and keeps the no-op pair for
// pairs these destinations do not list.
TEST(NarrowFormatConverters, ConstructorSelectsEachPairsMember) {
    struct Case {
        DWORD source, destination;
        ConvertRectProc member;
    } const cases[] = {
        {D3DFMT_R8G8B8, D3DFMT_R3G3B2, ConvertRect_R8G8B8ToR3G3B2},
        {D3DFMT_A8R8G8B8, D3DFMT_R3G3B2, ConvertRect_A8R8G8B8ToR3G3B2},
        {D3DFMT_X8R8G8B8, D3DFMT_R3G3B2, ConvertRect_A8R8G8B8ToR3G3B2},
        {D3DFMT_R5G6B5, D3DFMT_R3G3B2, ConvertRect_R5G6B5ToR3G3B2},
        {D3DFMT_X1R5G5B5, D3DFMT_R3G3B2, ConvertRect_A1R5G5B5ToR3G3B2},
        {D3DFMT_A1R5G5B5, D3DFMT_R3G3B2, ConvertRect_A1R5G5B5ToR3G3B2},
        {D3DFMT_A4R4G4B4, D3DFMT_R3G3B2, ConvertRect_A4R4G4B4ToR3G3B2},
        {D3DFMT_R3G3B2, D3DFMT_R3G3B2, ConvertRect_Copy8},
        {D3DFMT_A8, D3DFMT_R3G3B2, ConvertRect_A8ToR3G3B2},
        {D3DFMT_A8R3G3B2, D3DFMT_R3G3B2, ConvertRect_A8R3G3B2ToR3G3B2},
        {D3DFMT_X4R4G4B4, D3DFMT_R3G3B2, ConvertRect_A4R4G4B4ToR3G3B2},
        {D3DFMT_A2B10G10R10, D3DFMT_R3G3B2, ConvertRect_A2B10G10R10ToR3G3B2},
        {D3DFMT_G16R16, D3DFMT_R3G3B2, ConvertRect_G16R16ToR3G3B2},
        {D3DFMT_A8P8, D3DFMT_R3G3B2, ConvertRect_A8P8ToR3G3B2},
        {D3DFMT_P8, D3DFMT_R3G3B2, ConvertRect_P8ToR3G3B2},
        {D3DFMT_L8, D3DFMT_R3G3B2, ConvertRect_L8ToR3G3B2},
        {D3DFMT_A8L8, D3DFMT_R3G3B2, ConvertRect_A8L8ToR3G3B2},
        {D3DFMT_A4L4, D3DFMT_R3G3B2, ConvertRect_A4L4ToR3G3B2},
        {ZELK_FORMAT_ABGR, D3DFMT_R3G3B2, ConvertRect_ABGRToR3G3B2},
        {ZELK_FORMAT_RGBA, D3DFMT_R3G3B2, ConvertRect_RGBAToR3G3B2},
        {ZELK_FORMAT_BGRA, D3DFMT_R3G3B2, ConvertRect_BGRAToR3G3B2},

        {D3DFMT_R8G8B8, D3DFMT_A8, ConvertRect_X8R8G8B8ToA8},
        {D3DFMT_A8R8G8B8, D3DFMT_A8, ConvertRect_A8R8G8B8ToA8},
        {D3DFMT_X8R8G8B8, D3DFMT_A8, ConvertRect_X8R8G8B8ToA8},
        {D3DFMT_R5G6B5, D3DFMT_A8, ConvertRect_R5G6B5ToA8},
        {D3DFMT_X1R5G5B5, D3DFMT_A8, ConvertRect_R5G6B5ToA8},
        {D3DFMT_A1R5G5B5, D3DFMT_A8, ConvertRect_A1R5G5B5ToA8},
        {D3DFMT_A4R4G4B4, D3DFMT_A8, ConvertRect_A4R4G4B4ToA8},
        {D3DFMT_R3G3B2, D3DFMT_A8, ConvertRect_R3G3B2ToA8},
        {D3DFMT_A8, D3DFMT_A8, ConvertRect_Copy8},
        {D3DFMT_A8R3G3B2, D3DFMT_A8, ConvertRect_A8R3G3B2ToA8},
        {D3DFMT_X4R4G4B4, D3DFMT_A8, ConvertRect_R5G6B5ToA8},
        {D3DFMT_A2B10G10R10, D3DFMT_A8, ConvertRect_A2B10G10R10ToA8},
        {D3DFMT_G16R16, D3DFMT_A8, ConvertRect_X8R8G8B8ToA8},
        {D3DFMT_A8P8, D3DFMT_A8, ConvertRect_A8P8ToA8},
        {D3DFMT_P8, D3DFMT_A8, ConvertRect_R3G3B2ToA8},
        {D3DFMT_L8, D3DFMT_A8, ConvertRect_R3G3B2ToA8},
        {D3DFMT_A8L8, D3DFMT_A8, ConvertRect_A8P8ToA8},
        {D3DFMT_A4L4, D3DFMT_A8, ConvertRect_A4L4ToA8},
        {ZELK_FORMAT_ABGR, D3DFMT_A8, ConvertRect_A8R8G8B8ToA8},
        {ZELK_FORMAT_RGBA, D3DFMT_A8, ConvertRect_RGBAToA8},
        {ZELK_FORMAT_BGRA, D3DFMT_A8, ConvertRect_RGBAToA8},

        {D3DFMT_R8G8B8, D3DFMT_A8R3G3B2, ConvertRect_R8G8B8ToA8R3G3B2},
        {D3DFMT_A8R8G8B8, D3DFMT_A8R3G3B2, ConvertRect_A8R8G8B8ToA8R3G3B2},
        {D3DFMT_X8R8G8B8, D3DFMT_A8R3G3B2, ConvertRect_X8R8G8B8ToA8R3G3B2},
        {D3DFMT_R5G6B5, D3DFMT_A8R3G3B2, ConvertRect_R5G6B5ToA8R3G3B2},
        {D3DFMT_X1R5G5B5, D3DFMT_A8R3G3B2, ConvertRect_X1R5G5B5ToA8R3G3B2},
        {D3DFMT_A1R5G5B5, D3DFMT_A8R3G3B2, ConvertRect_A1R5G5B5ToA8R3G3B2},
        {D3DFMT_A4R4G4B4, D3DFMT_A8R3G3B2, ConvertRect_A4R4G4B4ToA8R3G3B2},
        {D3DFMT_R3G3B2, D3DFMT_A8R3G3B2, ConvertRect_R3G3B2ToA8R3G3B2},
        {D3DFMT_A8, D3DFMT_A8R3G3B2, ConvertRect_A8ToA8R3G3B2},
        {D3DFMT_A8R3G3B2, D3DFMT_A8R3G3B2, ConvertRect_Copy16},
        {D3DFMT_X4R4G4B4, D3DFMT_A8R3G3B2, ConvertRect_X4R4G4B4ToA8R3G3B2},
        {D3DFMT_A2B10G10R10, D3DFMT_A8R3G3B2, ConvertRect_A2B10G10R10ToA8R3G3B2},
        {D3DFMT_G16R16, D3DFMT_A8R3G3B2, ConvertRect_G16R16ToA8R3G3B2},
        {D3DFMT_A8P8, D3DFMT_A8R3G3B2, ConvertRect_A8P8ToA8R3G3B2},
        {D3DFMT_P8, D3DFMT_A8R3G3B2, ConvertRect_P8ToA8R3G3B2},
        {D3DFMT_L8, D3DFMT_A8R3G3B2, ConvertRect_L8ToA8R3G3B2},
        {D3DFMT_A8L8, D3DFMT_A8R3G3B2, ConvertRect_A8L8ToA8R3G3B2},
        {D3DFMT_A4L4, D3DFMT_A8R3G3B2, ConvertRect_A4L4ToA8R3G3B2},
        {ZELK_FORMAT_ABGR, D3DFMT_A8R3G3B2, ConvertRect_ABGRToA8R3G3B2},
        {ZELK_FORMAT_RGBA, D3DFMT_A8R3G3B2, ConvertRect_RGBAToA8R3G3B2},
        {ZELK_FORMAT_BGRA, D3DFMT_A8R3G3B2, ConvertRect_BGRAToA8R3G3B2},

        {D3DFMT_R8G8B8, D3DFMT_X4R4G4B4, ConvertRect_R8G8B8ToX4R4G4B4},
        {D3DFMT_A8R8G8B8, D3DFMT_X4R4G4B4, ConvertRect_A8R8G8B8ToX4R4G4B4},
        {D3DFMT_X8R8G8B8, D3DFMT_X4R4G4B4, ConvertRect_A8R8G8B8ToX4R4G4B4},
        {D3DFMT_R5G6B5, D3DFMT_X4R4G4B4, ConvertRect_R5G6B5ToX4R4G4B4},
        {D3DFMT_X1R5G5B5, D3DFMT_X4R4G4B4, ConvertRect_A1R5G5B5ToX4R4G4B4},
        {D3DFMT_A1R5G5B5, D3DFMT_X4R4G4B4, ConvertRect_A1R5G5B5ToX4R4G4B4},
        {D3DFMT_A4R4G4B4, D3DFMT_X4R4G4B4, ConvertRect_A1R5G5B5ToX1R5G5B5},
        {D3DFMT_R3G3B2, D3DFMT_X4R4G4B4, ConvertRect_R3G3B2ToX4R4G4B4},
        {D3DFMT_A8, D3DFMT_X4R4G4B4, ConvertRect_A8ToX4R4G4B4},
        {D3DFMT_A8R3G3B2, D3DFMT_X4R4G4B4, ConvertRect_A8R3G3B2ToX4R4G4B4},
        {D3DFMT_X4R4G4B4, D3DFMT_X4R4G4B4, ConvertRect_Copy16},
        {D3DFMT_A2B10G10R10, D3DFMT_X4R4G4B4, ConvertRect_A2B10G10R10ToX4R4G4B4},
        {D3DFMT_G16R16, D3DFMT_X4R4G4B4, ConvertRect_G16R16ToX4R4G4B4},
        {D3DFMT_A8P8, D3DFMT_X4R4G4B4, ConvertRect_A8P8ToX4R4G4B4},
        {D3DFMT_P8, D3DFMT_X4R4G4B4, ConvertRect_P8ToX4R4G4B4},
        {D3DFMT_L8, D3DFMT_X4R4G4B4, ConvertRect_L8ToX4R4G4B4},
        {D3DFMT_A8L8, D3DFMT_X4R4G4B4, ConvertRect_A8L8ToX4R4G4B4},
        {D3DFMT_A4L4, D3DFMT_X4R4G4B4, ConvertRect_A4L4ToX4R4G4B4},
        {ZELK_FORMAT_ABGR, D3DFMT_X4R4G4B4, ConvertRect_ABGRToX4R4G4B4},
        {ZELK_FORMAT_RGBA, D3DFMT_X4R4G4B4, ConvertRect_RGBAToX4R4G4B4},
        {ZELK_FORMAT_BGRA, D3DFMT_X4R4G4B4, ConvertRect_BGRAToX4R4G4B4},

        {D3DFMT_A8P8, D3DFMT_A8P8, ConvertRect_Copy16},
        {D3DFMT_P8, D3DFMT_A8P8, ConvertRect_P8ToA8P8},
        {D3DFMT_A8P8, D3DFMT_P8, ConvertRect_A8R3G3B2ToR3G3B2},
        {D3DFMT_P8, D3DFMT_P8, ConvertRect_Copy8},
        {D3DFMT_L8, D3DFMT_A8L8, ConvertRect_L8ToA8L8},
        {D3DFMT_A8L8, D3DFMT_A8L8, ConvertRect_Copy16},
        {D3DFMT_A4L4, D3DFMT_A8L8, ConvertRect_A4L4ToA8L8},

        // Not listed: the no-op pair.
        {D3DFMT_L8, D3DFMT_A8P8, ConvertRectNone},
        {D3DFMT_A8L8, D3DFMT_P8, ConvertRectNone},
        {D3DFMT_P8, D3DFMT_A8L8, ConvertRectNone},
        {D3DFMT_A8R8G8B8, D3DFMT_A8L8, ConvertRectNone},
        {D3DFMT_R8G8B8, D3DFMT_L8, ConvertRectNone},
        {D3DFMT_A2R10G10B10, D3DFMT_R3G3B2, ConvertRectNone},
    };
    for (const Case& c : cases) {
        ZelkGrPixelConverter converter(c.source, c.destination, nullptr, nullptr, 0xFFFFFFFF);
        EXPECT_EQ(converter.ConvertRect, c.member) << PairName({c.destination, c.source});
        EXPECT_EQ(converter.ConvertTexel == ConvertTexelNone, c.member == ConvertRectNone)
            << PairName({c.destination, c.source});
    }
}

}  // namespace
