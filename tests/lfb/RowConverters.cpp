// Frame-buffer row converters through their pickers, without a device:
// every (direction, surface format, write mode, colour order) against a
// per-channel reference model written here, on guard-filled buffers with
// padded and negative pitches; worked values; depth conversion.
#include <gtest/gtest.h>

#include <float.h>

#include <cmath>
#include <cstdint>
#include <cstring>
#include <random>
#include <vector>

#include "framework/ZelkD3DFormats.h"
#include "lfb/ZelkGrLfbAccessor.h"

using zelk::ZelkGrLfbAccessor;
using zelk::ZelkGrLfbSettings;

namespace {

enum Order { ARGB = 0, ABGR = 1, RGBA = 2, BGRA = 3 };
const uint32_t kModes[] = {0, 1, 2, 3, 4, 5, 12, 13, 14, 15, 0xFF};
const uint32_t kSurfaces[] = {21, 22, 23, 24, 25};

ZelkGrLfbAccessor MakeAccessor() {
    return ZelkGrLfbAccessor(nullptr, 0, 0, GR_COLORFORMAT_ARGB, ZelkGrLfbSettings());
}

// --- reference model ------------------------------------------------------

struct Rgba {
    uint32_t r, g, b, a;
};

uint32_t Field(uint32_t p, int pos, int bits) { return (p >> pos) & ((1u << bits) - 1); }
uint32_t Up(uint32_t v, int bits) { return (v << (8 - bits)) & 0xFF; }    // widen
uint32_t Down(uint32_t v, int bits) { return (v & 0xFF) >> (8 - bits); }  // narrow

bool IsDepthMode(uint32_t m) { return m >= 12 && m <= 14; }
uint32_t ColourMode(uint32_t m) { return m == 0xFF ? 0 : IsDepthMode(m) ? m - 12 : m; }
unsigned LfbBytes(uint32_t m) { return (m == 4 || m == 5 || IsDepthMode(m)) ? 4 : 2; }
unsigned SurfaceBytes(uint32_t s) { return s <= 22 ? 4 : 2; }

// Red, green, blue positions of a 16-bit layout (565, 555, 1555) by order.
struct Pos16 {
    int r, rb, g, gb, b, bb, alpha;  // alpha: bit of a1/spare, -1 none
};
Pos16 Layout16(uint32_t cm, int order) {
    const bool bgr = order == ABGR || order == BGRA;
    if (cm == 0) {
        return bgr ? Pos16{0, 5, 5, 6, 11, 5, -1} : Pos16{11, 5, 5, 6, 0, 5, -1};
    }
    const bool high = order == ARGB || order == ABGR;  // spare/alpha in bit 15
    if (high) {
        return bgr ? Pos16{0, 5, 5, 5, 10, 5, 15} : Pos16{10, 5, 5, 5, 0, 5, 15};
    }
    return bgr ? Pos16{1, 5, 6, 5, 11, 5, 0} : Pos16{11, 5, 6, 5, 1, 5, 0};
}
// Byte positions of r, g, b, a in a 32-bit layout by order.
void Layout32(int order, int* r, int* g, int* b, int* a) {
    switch (order) {
    case ARGB: *a = 24; *r = 16; *g = 8; *b = 0; break;
    case ABGR: *a = 24; *b = 16; *g = 8; *r = 0; break;
    case RGBA: *r = 24; *g = 16; *b = 8; *a = 0; break;
    default: *b = 24; *g = 16; *r = 8; *a = 0; break;
    }
}

Rgba DecodeSurface(uint32_t s, uint32_t p, uint32_t fillAlpha) {
    switch (s) {
    case 21: return {Field(p, 16, 8), Field(p, 8, 8), Field(p, 0, 8), Field(p, 24, 8)};
    case 22: return {Field(p, 16, 8), Field(p, 8, 8), Field(p, 0, 8), fillAlpha};
    case 23: return {Up(Field(p, 11, 5), 5), Up(Field(p, 5, 6), 6), Up(Field(p, 0, 5), 5), fillAlpha};
    case 24:
        return {Up(Field(p, 10, 5), 5), Up(Field(p, 5, 5), 5), Up(Field(p, 0, 5), 5), fillAlpha};
    default:
        return {Up(Field(p, 10, 5), 5), Up(Field(p, 5, 5), 5), Up(Field(p, 0, 5), 5),
                Field(p, 15, 1) ? 0xFFu : 0u};
    }
}

// Surface pixel -> frame-buffer pixel (read fill alpha 0xFF).
uint32_t ReferenceRead(uint32_t s, uint32_t mode, int order, uint32_t p, uint32_t oldLfb) {
    const Rgba c = DecodeSurface(s, p, 0xFF);
    const uint32_t cm = ColourMode(mode);
    const bool bit15Surface = s == 24 || s == 25;
    if (mode == 3) {
        return c.a;
    }
    if (cm <= 2) {
        const Pos16 l = Layout16(cm, order);
        uint32_t v = Down(c.r, l.rb) << l.r | Down(c.g, l.gb) << l.g | Down(c.b, l.bb) << l.b;
        if (cm == 1 && bit15Surface) {
            v |= Field(p, 15, 1) << l.alpha;  // the spare bit carries bit 15
        }
        if (cm == 2) {
            uint32_t a1 = c.a != 0;
            if (s == 24 && order == ARGB) {
                a1 = 1;  // bit 15 OR the read fill flag
            }
            v |= a1 << l.alpha;
        }
        return IsDepthMode(mode) ? (oldLfb & 0xFFFF0000u) | v : v;
    }
    int r, g, b, a;
    Layout32(order, &r, &g, &b, &a);
    uint32_t v = c.r << r | c.g << g | c.b << b;
    if (mode == 5) {
        v |= c.a << a;
    } else {  // 888: the spare byte
        uint32_t spare = 0;
        if (s == 21 && (order == ARGB || order == ABGR)) spare = c.a;
        if (s == 22 && (order == ARGB || order == ABGR)) spare = p >> 24;
        if (s == 24 || s == 25) spare = Field(p, 15, 1) ? 0xFF : 0;
        v |= spare << a;
    }
    return v;
}

// Surfaces that hold the alpha buffer's pixels: those with alpha bits.
bool HoldsAlpha(uint32_t s) { return s == 21 || s == 25; }

// Frame-buffer pixel -> surface pixel (old: the surface pixel before) with
// the constant colour and alpha.  ZA16 pixels carry no colour: the surface
// takes the constant colour.  The alpha buffer's pixels carry only alpha
// (bits 7-0): it replaces the surface's alpha bits, every colour bit stays.
uint32_t ReferenceWrite(uint32_t s, uint32_t mode, int order, uint32_t p, uint32_t old, uint32_t constantColor,
                        uint32_t constantAlpha) {
    if (mode == 3) {
        return s == 21 ? (old & 0x00FFFFFFu) | (p & 0xFF) << 24 : (old & 0x7FFFu) | uint32_t((p & 0xFF) != 0) << 15;
    }
    const uint32_t cm = ColourMode(mode);
    Rgba c;
    if (mode == 15) {
        c = {Field(constantColor, 16, 8), Field(constantColor, 8, 8), Field(constantColor, 0, 8),
             constantColor >> 24};
    } else if (cm <= 2) {
        const Pos16 l = Layout16(cm, order);
        const uint32_t q = p & 0xFFFF;
        c = {Up(Field(q, l.r, l.rb), l.rb), Up(Field(q, l.g, l.gb), l.gb), Up(Field(q, l.b, l.bb), l.bb),
             constantAlpha};
        if (cm == 2) {
            c.a = Field(q, l.alpha, 1) ? 0xFF : 0;
        }
        if (cm == 1 && order == ARGB && (s == 24 || s == 25) && Field(q, 15, 1)) {
            c.a = 0xFF;  // the spare bit ORed into the alpha flag
        }
    } else {
        int r, g, b, a;
        Layout32(order, &r, &g, &b, &a);
        c = {Field(p, r, 8), Field(p, g, 8), Field(p, b, 8), mode == 5 ? Field(p, a, 8) : constantAlpha};
    }
    switch (s) {
    case 21:
    case 22: return c.a << 24 | c.r << 16 | c.g << 8 | c.b;
    case 23: return Down(c.r, 5) << 11 | Down(c.g, 6) << 5 | Down(c.b, 5);
    default: return uint32_t(c.a != 0) << 15 | Down(c.r, 5) << 10 | Down(c.g, 5) << 5 | Down(c.b, 5);
    }
}

// --- buffers --------------------------------------------------------------

uint32_t Load(const uint8_t* p, unsigned size) {
    uint32_t v = 0;
    std::memcpy(&v, p, size);
    return v;
}

struct Image {
    Image(unsigned w, unsigned h, unsigned bpp, unsigned pad, std::mt19937& rng)
        : width(w), height(h), bpp(bpp), pitch(w * bpp + pad), bytes(pitch * h + 64) {
        for (auto& b : bytes) {
            b = uint8_t(rng());
        }
    }
    uint8_t* Row(unsigned y) { return bytes.data() + 32 + y * pitch; }
    const uint8_t* Row(unsigned y) const { return bytes.data() + 32 + y * pitch; }
    uint32_t Pixel(unsigned x, unsigned y) const { return Load(Row(y) + x * bpp, bpp); }

    unsigned width, height, bpp, pitch;
    std::vector<uint8_t> bytes;
};

struct Case {
    bool write;
    uint32_t surface, mode;
    int order;
};

// Runs the picked converter over a 9 x 3 rectangle at (2, 1) of a 13 x 5
// source into (1, 2) of a 12 x 6 destination, with the destination rows
// laid out downwards or upwards, and checks each pixel against the model
// and that nothing else changed.
void CheckCase(const Case& k, bool upward, uint32_t constantAlpha, std::mt19937& rng) {
    const uint32_t constantColor = constantAlpha ? 0x80A1B2C3u : 0x005A6B7Cu;
    ZelkGrLfbAccessor a = MakeAccessor();
    a.constantAlpha = constantAlpha;
    a.constantColor = constantColor;
    const bool ok = k.write ? a.SetupWriteConverter(k.mode, k.order, k.surface)
                            : a.SetupReadConverter(k.mode, k.order, k.surface);
    if (k.write && k.mode == 3 && !HoldsAlpha(k.surface)) {
        // Nowhere to put the alpha buffer's pixels.
        ASSERT_FALSE(ok);
        ASSERT_EQ(a.colorPixelConverter, zelk::ConvertTexelNone);
        ASSERT_EQ(a.colorRowConverter, zelk::ConvertRectNone);
        return;
    }
    ASSERT_TRUE(ok);
    const unsigned srcBpp = k.write ? LfbBytes(k.mode) : SurfaceBytes(k.surface);
    const unsigned dstBpp = k.write ? SurfaceBytes(k.surface) : LfbBytes(k.mode);
    Image src(13, 5, srcBpp, 6, rng);
    Image dst(12, 6, dstBpp, 10, rng);
    const Image before = dst;
    const RECT rect = {2, 1, 11, 4};
    const LONG w = 9, h = 3;
    const POINT point = {1, upward ? 2 + h - 1 : 2};
    const int dstPitch = upward ? -int(dst.pitch) : int(dst.pitch);
    if (a.colorPixelConverter == zelk::ConvertTexelNone) {
        // Nothing to convert: only reads in ZA16, which carry no colour.
        ASSERT_FALSE(k.write);
        ASSERT_EQ(k.mode, 15u);
        return;
    }
    a.colorRowConverter(&a, src.Row(0), &rect, int(src.pitch), dst.Row(0), &point, dstPitch);
    for (unsigned y = 0; y < dst.height; ++y) {
        for (unsigned x = 0; x < dst.width; ++x) {
            const uint32_t old = before.Pixel(x, y);
            const uint32_t actual = dst.Pixel(x, y);
            const LONG rx = LONG(x) - 1;
            if (rx < 0 || rx >= w || LONG(y) < 2 || LONG(y) >= 2 + h) {
                ASSERT_EQ(actual, old) << "outside pixel " << x << "," << y;
                continue;
            }
            // Source row of this destination row.
            const LONG ry = upward ? (2 + h - 1) - LONG(y) : LONG(y) - 2;
            const uint32_t s = src.Pixel(2 + rx, 1 + ry);
            const uint32_t expected =
                k.write ? ReferenceWrite(k.surface, k.mode, k.order, s, old, constantColor, constantAlpha)
                        : ReferenceRead(k.surface, k.mode, k.order, s, old);
            ASSERT_EQ(actual, expected)
                << (k.write ? "write" : "read") << " surface " << k.surface << " mode " << k.mode
                << " order " << k.order << " source 0x" << std::hex << s;
        }
    }
    // Guard bytes around the rows.
    for (unsigned i = 0; i < 32; ++i) {
        ASSERT_EQ(dst.bytes[i], before.bytes[i]);
        ASSERT_EQ(dst.bytes[dst.bytes.size() - 1 - i], before.bytes[before.bytes.size() - 1 - i]);
    }
}

TEST(LfbRowConverters, EveryCombinationMatchesTheChannelModel) {
    std::mt19937 rng(1234);
    for (bool write : {false, true})
        for (uint32_t s : kSurfaces)
            for (uint32_t m : kModes)
                for (int o = 0; o < 4; ++o)
                    for (bool upward : {false, true})
                        for (uint32_t alpha : {0u, 0x40u}) {
                            SCOPED_TRACE(testing::Message() << "write " << write << " s " << s << " m "
                                                            << m << " o " << o << " up " << upward);
                            CheckCase({write, s, m, o}, upward, alpha, rng);
                            if (HasFatalFailure()) return;
                        }
}

// Negative source pitch: the rows come from the buffer upwards.
TEST(LfbRowConverters, NegativeSourcePitchWalksUpwards) {
    ZelkGrLfbAccessor a = MakeAccessor();
    ASSERT_TRUE(a.SetupWriteConverter(0, ARGB, 21));
    const uint16_t source[3][2] = {{0x001F, 0x001F}, {0x07E0, 0x07E0}, {0xF800, 0xF800}};
    uint32_t dest[4] = {};
    const RECT rect = {0, 0, 1, 3};
    const POINT point = {0, 0};
    // First row is the last one in memory, pitch -4.
    a.colorRowConverter(&a, &source[2][0], &rect, -4, dest, &point, 4);
    EXPECT_EQ(dest[0], 0xFFF80000u);
    EXPECT_EQ(dest[1], 0xFF00FC00u);
    EXPECT_EQ(dest[2], 0xFF0000F8u);
    EXPECT_EQ(dest[3], 0u);
}

TEST(LfbRowConverters, EmptyRectangleWritesNothing) {
    ZelkGrLfbAccessor a = MakeAccessor();
    ASSERT_TRUE(a.SetupReadConverter(5, ARGB, 21));
    uint32_t src[4] = {1, 2, 3, 4}, dst[4] = {};
    const POINT point = {0, 0};
    for (RECT r : {RECT{1, 0, 1, 2}, RECT{0, 1, 2, 1}, RECT{2, 0, 1, 1}}) {
        a.colorRowConverter(&a, src, &r, 8, dst, &point, 8);
    }
    EXPECT_EQ(dst[0] | dst[1] | dst[2] | dst[3], 0u);
}

// Worked values: (write?, surface, mode, order, constant alpha, in, out,
// constant colour).
struct Worked {
    bool write;
    uint32_t surface, mode;
    int order;
    uint32_t alpha, in, out;
    uint32_t color = 0;
};
const Worked kWorked[] = {
    {true, 21, 0, ARGB, 0xFF, 0xFFFF, 0xFFF8FCF8},
    {false, 21, 2, ARGB, 0, 0x01FFFFFF, 0xFFFF},
    {false, 21, 2, ARGB, 0, 0x00FFFFFF, 0x7FFF},
    {true, 21, 2, RGBA, 0, 0x0001, 0xFF000000},
    {true, 21, 2, RGBA, 0, 0xFFFE, 0x00F8F8F8},
    {false, 21, 1, BGRA, 0, 0x00FF0000, 0x003E},
    {false, 21, 1, BGRA, 0, 0x000000FF, 0xF800},
    {true, 21, 1, BGRA, 0xFF, 0xF800, 0xFF0000F8},
    {true, 21, 1, BGRA, 0xFF, 0x003E, 0xFFF80000},
    {false, 22, 5, BGRA, 0, 0x00112233, 0x332211FF},
    {false, 22, 5, RGBA, 0, 0x00112233, 0x112233FF},
    {false, 21, 3, ARGB, 0, 0x80FFFFFF, 0x0080},
    {false, 22, 3, ARGB, 0, 0x12345678, 0x00FF},
    {false, 23, 4, ABGR, 0, 0xFFFF, 0x00F8FCF8},
    {false, 23, 5, RGBA, 0, 0xFFFF, 0xF8FCF8FF},
    {false, 23, 1, RGBA, 0, 0xFFFF, 0xFFFE},
    {false, 23, 4, BGRA, 0, 0x07E0, 0x00FC0000},
    {true, 23, 1, ARGB, 0, 0xFFFF, 0xFFDF},
    {true, 23, 4, RGBA, 0, 0xFFFFFF00, 0xFFFF},
    {true, 21, 0, ABGR, 0x80, 0xF800, 0x800000F8},
    {true, 24, 0, ARGB, 0, 0xFFFF, 0x7FFF},
    {true, 25, 0, ARGB, 1, 0xFFFF, 0xFFFF},
    {false, 25, 4, ARGB, 0, 0x7FFF, 0x00F8F8F8},
    {false, 25, 5, RGBA, 0, 0x7C00, 0xF8000000},
    {false, 24, 5, BGRA, 0, 0x001F, 0xF80000FF},
    {false, 25, 1, BGRA, 0, 0x801F, 0xF801},
    {false, 24, 0, ABGR, 0, 0x7FFF, 0xFFDF},
    {true, 24, 1, ARGB, 0x40, 0x7FFF, 0xFFFF},
    {true, 24, 1, ARGB, 0, 0x8000, 0x8000},
    {true, 24, 1, ABGR, 0, 0x001F, 0x7C00},
    {true, 25, 5, RGBA, 0, 0xFF000080, 0xFC00},
    {true, 25, 5, BGRA, 0, 0xFF000080, 0x801F},
    {true, 24, 12, ARGB, 0, 0x1234FFFF, 0x7FFF},
    {true, 24, 14, RGBA, 0, 0xABCD0001, 0x8000},
    // Alpha-buffer writes replace the alpha bits of the surface pixel
    // (0x5A5A5A5A before) and keep its colour; ZA16 writes take the
    // constant colour.
    {true, 21, 3, ARGB, 0, 0xFF80, 0x805A5A5A, 0x00102030},
    {true, 21, 3, BGRA, 0, 0x0000, 0x005A5A5A, 0xFF102030},
    {true, 25, 3, ARGB, 0, 0x0001, 0xDA5A, 0x00FF0000},
    {true, 25, 3, RGBA, 0, 0xFF00, 0x5A5A, 0x80FF0000},
    {true, 21, 15, ARGB, 0, 0xFFFF, 0x00102030, 0x00102030},
    {true, 23, 15, ABGR, 0, 0xABCD, 0x11AA, 0x00123456},
    {true, 24, 15, RGBA, 0, 0x0000, 0x08CA, 0x00123456},
    {true, 25, 15, ARGB, 0, 0x1234, 0xFFFF, 0x01FFFFFF},
};

TEST(LfbRowConverters, WorkedValues) {
    for (const Worked& w : kWorked) {
        ZelkGrLfbAccessor a = MakeAccessor();
        a.constantAlpha = w.alpha;
        a.constantColor = w.color;
        const bool ok = w.write ? a.SetupWriteConverter(w.mode, w.order, w.surface)
                                : a.SetupReadConverter(w.mode, w.order, w.surface);
        ASSERT_TRUE(ok);
        uint32_t in = w.in;
        uint32_t out = 0x5A5A5A5Au;
        const RECT r = {0, 0, 1, 1};
        const POINT p = {0, 0};
        a.colorRowConverter(&a, &in, &r, 4, &out, &p, 4);
        const uint32_t mask = (w.write ? SurfaceBytes(w.surface) : LfbBytes(w.mode)) == 2 ? 0xFFFFu : ~0u;
        EXPECT_EQ(out & mask, w.out) << std::hex << "in 0x" << w.in << " surface " << std::dec
                                     << w.surface << " mode " << w.mode << " order " << w.order;
    }
}

TEST(LfbRowConverters, UnsupportedCombinationsGiveTheNoOpPair) {
    ZelkGrLfbAccessor a = MakeAccessor();
    for (uint32_t mode : {6u, 11u, 16u, 254u, 0x100u}) {
        EXPECT_FALSE(a.SetupReadConverter(mode, ARGB, 21));
        EXPECT_FALSE(a.SetupWriteConverter(mode, ARGB, 21));
        EXPECT_FALSE(a.SetupWriteDepthConverter(mode, D3DFMT_D16_LOCKABLE));
    }
    for (uint32_t surface : {0u, 20u, 26u, 70u}) {
        EXPECT_FALSE(a.SetupWriteConverter(0, ARGB, surface));
    }
    // The alpha buffer's pixels on surfaces without alpha bits.
    for (uint32_t surface : {20u, 22u, 23u, 24u}) {
        EXPECT_FALSE(a.SetupWriteConverter(3, ARGB, surface));
    }
    EXPECT_FALSE(a.SetupReadDepthConverter(15, D3DFMT_D16));
    EXPECT_FALSE(a.SetupReadDepthConverter(15, D3DFMT_D24S8));
    EXPECT_TRUE(a.colorRowConverter == zelk::ConvertRectNone);
    EXPECT_TRUE(a.depthPixelConverter == zelk::ConvertTexelNone);
}

// The surface formats named as converted, among which the default windowed
// back buffer is chosen, are exactly those the pickers serve in the colour
// write modes, both ways.
TEST(LfbRowConverters, ConvertedSurfaceFormatsAreThoseThePickersServe) {
    const struct {
        D3DFORMAT format;
        bool converted;
    } cases[] = {
        {D3DFMT_A8R8G8B8, true},     {D3DFMT_X8R8G8B8, true},     {D3DFMT_R5G6B5, true},
        {D3DFMT_X1R5G5B5, true},     {D3DFMT_A1R5G5B5, true},     {D3DFMT_UNKNOWN, false},
        {D3DFMT_R8G8B8, false},      {D3DFMT_A4R4G4B4, false},    {D3DFMT_X4R4G4B4, false},
        {D3DFMT_A2R10G10B10, false}, {D3DFMT_A8B8G8R8, false},    {D3DFMT_X8B8G8R8, false},
        {D3DFMT_D16_LOCKABLE, false},
    };
    ZelkGrLfbAccessor a = MakeAccessor();
    for (const auto& c : cases) {
        EXPECT_EQ(zelk::HasFrameBufferConversion(c.format), c.converted) << c.format;
        for (uint32_t mode : {0u, 1u, 2u, 4u, 5u}) {  // 565, 555, 1555, 888, 8888
            EXPECT_EQ(a.SetupReadConverter(mode, ARGB, c.format), c.converted) << c.format << " mode " << mode;
            EXPECT_EQ(a.SetupWriteConverter(mode, ARGB, c.format), c.converted) << c.format << " mode " << mode;
        }
    }
}

// --- depth ----------------------------------------------------------------

float FloatOf(uint32_t bits) {
    float f;
    std::memcpy(&f, &bits, 4);
    return f;
}
uint32_t BitsOf(float f) {
    uint32_t v;
    std::memcpy(&v, &f, 4);
    return v;
}

// Writes in modes without depth fill the rectangle with the constant depth
// (the 16-bit value on D16, value / 65536 on D32F), exactly right - left
// pixels of bottom - top rows, in both directions of the destination;
// reads in those modes convert no depth.
TEST(LfbDepthConverters, ColourOnlyModesFillWithTheConstantDepth) {
    ZelkGrLfbAccessor a = MakeAccessor();
    a.constantDepth = 0x1234u << 16;
    const uint32_t d32f = BitsOf(float(0x1234) / 65536.0f);
    for (uint32_t mode : {0u, 1u, 2u, 3u, 4u, 5u, 0xFFu}) {
        for (bool upward : {false, true}) {
            SCOPED_TRACE(testing::Message() << "mode " << mode << " upward " << upward);
            const uint32_t lfb[2 * 8] = {};  // never read
            const RECT r = {0, 0, 1, 2};
            const POINT p = {1, upward ? 2 : 1};
            uint16_t d16[4][3];
            std::memset(d16, 0x77, sizeof d16);
            ASSERT_TRUE(a.SetupWriteDepthConverter(mode, D3DFMT_D16_LOCKABLE));
            ASSERT_TRUE(a.depthPixelConverter != zelk::ConvertTexelNone);
            a.depthRowConverter(&a, lfb, &r, 8, d16, &p, upward ? -6 : 6);
            uint32_t d32[4][3];
            std::memset(d32, 0x77, sizeof d32);
            ASSERT_TRUE(a.SetupWriteDepthConverter(mode, D3DFMT_D32F_LOCKABLE));
            a.depthRowConverter(&a, lfb, &r, 8, d32, &p, upward ? -12 : 12);
            for (int y = 0; y < 4; ++y)
                for (int x = 0; x < 3; ++x) {
                    const bool inside = x == 1 && (y == 1 || y == 2);
                    EXPECT_EQ(d16[y][x], inside ? 0x1234u : 0x7777u) << x << "," << y;
                    EXPECT_EQ(d32[y][x], inside ? d32f : 0x77777777u) << x << "," << y;
                }
            EXPECT_TRUE(a.SetupReadDepthConverter(mode, D3DFMT_D32F_LOCKABLE));
            EXPECT_TRUE(a.depthPixelConverter == zelk::ConvertTexelNone);
            EXPECT_TRUE(a.SetupReadDepthConverter(mode, D3DFMT_D16_LOCKABLE));
            EXPECT_TRUE(a.depthPixelConverter == zelk::ConvertTexelNone);
        }
    }
    // The fill scales by 1/65536: the constant 0xFFFF is not 1.0.
    a.constantDepth = 0xFFFFu << 16;
    uint32_t f = 0;
    const RECT one = {0, 0, 1, 1};
    const POINT origin = {0, 0};
    const uint16_t unused = 0;
    ASSERT_TRUE(a.SetupWriteDepthConverter(0, D3DFMT_D32F_LOCKABLE));
    a.depthRowConverter(&a, &unused, &one, 2, &f, &origin, 4);
    EXPECT_EQ(FloatOf(f), 65535.0f / 65536.0f);
}

// Every 16-bit depth written into D32F_LOCKABLE reads back as itself, with the
// x87 unit in single precision (as Direct3D leaves the thread) and in double.
TEST(LfbDepthConverters, Za16ThroughD32FRoundTripsInEveryPrecision) {
    ZelkGrLfbAccessor a = MakeAccessor();
    std::vector<uint16_t> za(65536);
    for (uint32_t z = 0; z < 65536; ++z) za[z] = uint16_t(z);
    const RECT r = {0, 0, 256, 256};
    const POINT p = {0, 0};
    const unsigned saved = _controlfp(0, 0);
    for (unsigned precision : {unsigned(_PC_24), unsigned(_PC_53)}) {
        _controlfp(precision, _MCW_PC);
        std::vector<uint32_t> floats(65536, 0);
        std::vector<uint16_t> back(65536, 0xABCD);
        ASSERT_TRUE(a.SetupWriteDepthConverter(15, D3DFMT_D32F_LOCKABLE));
        a.depthRowConverter(&a, za.data(), &r, 512, floats.data(), &p, 1024);
        ASSERT_TRUE(a.SetupReadDepthConverter(15, D3DFMT_D32F_LOCKABLE));
        a.depthRowConverter(&a, floats.data(), &r, 1024, back.data(), &p, 512);
        _controlfp(saved, _MCW_PC);
        int wrong = 0;
        for (uint32_t z = 0; z < 65536; ++z) {
            if (back[z] != z && ++wrong <= 3) {
                ADD_FAILURE() << "precision " << precision << ": " << z << " reads back as " << back[z];
            }
        }
        EXPECT_EQ(wrong, 0) << "precision " << precision;
        // The float written is the one nearest z x (the float nearest 1/65535).
        EXPECT_EQ(floats[0x0001], 0x37800080u);
        EXPECT_EQ(floats[0xFFFF], BitsOf(1.0f));
        EXPECT_EQ(floats[0x8000], BitsOf(float(32768.0 * double(FloatOf(0x37800080u)))));
    }
}

TEST(LfbDepthConverters, Za16AndRgbDepthRoundTrips) {
    ZelkGrLfbAccessor a = MakeAccessor();
    const RECT r = {0, 0, 3, 1};
    const POINT p = {0, 0};
    // ZA16 into D32F: 0xFFFF -> 1.0, 0 -> 0.0, 0x8000 -> nearest float of 32768/65535.
    const uint16_t za[3] = {0xFFFF, 0x0000, 0x8000};
    uint32_t f[4] = {0, 0, 0, 0xDEADBEEF};
    ASSERT_TRUE(a.SetupWriteDepthConverter(15, D3DFMT_D32F_LOCKABLE));
    a.depthRowConverter(&a, za, &r, 6, f, &p, 12);
    EXPECT_EQ(FloatOf(f[0]), 1.0f);
    EXPECT_EQ(FloatOf(f[1]), 0.0f);
    EXPECT_NEAR(FloatOf(f[2]), 32768.0 / 65535.0, 1e-7);
    EXPECT_EQ(f[3], 0xDEADBEEFu);
    // RGB:DEPTH into D16 takes the high half only.
    const uint32_t rgbDepth[3] = {0x1234ABCD, 0xFFFF0000, 0x0001FFFF};
    uint16_t d16[4] = {0, 0, 0, 0x5555};
    ASSERT_TRUE(a.SetupWriteDepthConverter(13, D3DFMT_D16_LOCKABLE));
    a.depthRowConverter(&a, rgbDepth, &r, 12, d16, &p, 6);
    EXPECT_EQ(d16[0], 0x1234);
    EXPECT_EQ(d16[1], 0xFFFF);
    EXPECT_EQ(d16[2], 0x0001);
    EXPECT_EQ(d16[3], 0x5555);
    // D16 read into 565_DEPTH keeps the colour half.
    uint32_t lfb[3] = {0x0000AAAA, 0xFFFF5555, 0x12340000};
    ASSERT_TRUE(a.SetupReadDepthConverter(12, D3DFMT_D16_LOCKABLE));
    a.depthRowConverter(&a, d16, &r, 6, lfb, &p, 12);
    EXPECT_EQ(lfb[0], 0x1234AAAAu);
    EXPECT_EQ(lfb[1], 0xFFFF5555u);
    EXPECT_EQ(lfb[2], 0x00010000u);
}

TEST(LfbDepthConverters, FloatReadsAreDefinedForEveryValue) {
    ZelkGrLfbAccessor a = MakeAccessor();
    ASSERT_TRUE(a.SetupReadDepthConverter(15, D3DFMT_D32F_LOCKABLE));
    const float inf = INFINITY;
    const float values[] = {1.0f, 0.25f, 0.5f, 0.0f, -0.5f, 2.0f, inf, -inf, NAN, -NAN};
    const uint16_t expected[] = {0xFFFF, 16383, 32767, 0, 0, 0xFFFF, 0xFFFF, 0, 0, 0};
    const int n = int(sizeof(values) / sizeof(values[0]));
    uint32_t source[16];
    for (int i = 0; i < n; ++i) source[i] = BitsOf(values[i]);
    uint16_t out[16] = {};
    const RECT r = {0, 0, n, 1};
    const POINT p = {0, 0};
    a.depthRowConverter(&a, source, &r, 64, out, &p, 32);
    for (int i = 0; i < n; ++i) {
        EXPECT_EQ(out[i], expected[i]) << "value " << values[i];
    }
}

}  // namespace
