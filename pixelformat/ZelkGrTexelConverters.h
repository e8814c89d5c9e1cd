#pragma once

// Per-texel converters and the channel rule that every converter of the
// subsystem follows.
//
// The rule: take the source's channels (luminance feeds R, G and B; a palette
// index feeds the entry's R, G, B); a channel the source lacks comes from the
// converter's fill colour as an 8-bit value; each channel is brought to the
// destination width by truncating to its top bits or by a plain left shift
// with zero low bits; any alpha counts as 1 in a 1-bit alpha, and a 1-bit
// alpha widens to all ones.  X fields are written as zero.
//
// TexelRule<Destination, Source>::Convert is that rule for one pair, with the
// channel positions fixed at compile time; the named ConvertTexel_* members
// and the per-rectangle converters are built on it.
#include "pixelformat/ZelkGrPixelConverter.h"
#include "pixelformat/ZelkGrRowWalk.h"

#include <d3d9.h>

#include <cstdint>

namespace zelk {

namespace texel_detail {

// Raw channel values at their source widths.
struct Channels {
    uint32_t r, g, b, a;
};

// Source layouts.  Size: texel bytes.  R, G, B, A: channel widths (0: the
// source lacks it).  ColourBytes: the leading bytes that hold the colour
// (what a conversion into a destination without alpha reads).
template <DWORD Format>
struct Source;

#define ZELK_TEXEL_SOURCE(format, size, colourBytes, rBits, gBits, bBits, aBits, decode) \
    template <>                                                                          \
    struct Source<format> {                                                              \
        static constexpr unsigned Size = size, ColourBytes = colourBytes;                \
        static constexpr unsigned R = rBits, G = gBits, B = bBits, A = aBits;            \
        static constexpr Channels Decode(uint32_t v, const PALETTEENTRY* palette) {      \
            (void)palette;                                                               \
            return decode;                                                               \
        }                                                                                \
    };

ZELK_TEXEL_SOURCE(D3DFMT_R8G8B8, 3, 3, 8, 8, 8, 0,
                  (Channels{(v >> 16) & 0xFF, (v >> 8) & 0xFF, v & 0xFF, 0}))
ZELK_TEXEL_SOURCE(D3DFMT_A8R8G8B8, 4, 3, 8, 8, 8, 8,
                  (Channels{(v >> 16) & 0xFF, (v >> 8) & 0xFF, v & 0xFF, v >> 24}))
ZELK_TEXEL_SOURCE(D3DFMT_X8R8G8B8, 4, 3, 8, 8, 8, 0,
                  (Channels{(v >> 16) & 0xFF, (v >> 8) & 0xFF, v & 0xFF, 0}))
ZELK_TEXEL_SOURCE(D3DFMT_R5G6B5, 2, 2, 5, 6, 5, 0,
                  (Channels{(v >> 11) & 0x1F, (v >> 5) & 0x3F, v & 0x1F, 0}))
ZELK_TEXEL_SOURCE(D3DFMT_X1R5G5B5, 2, 2, 5, 5, 5, 0,
                  (Channels{(v >> 10) & 0x1F, (v >> 5) & 0x1F, v & 0x1F, 0}))
ZELK_TEXEL_SOURCE(D3DFMT_A1R5G5B5, 2, 2, 5, 5, 5, 1,
                  (Channels{(v >> 10) & 0x1F, (v >> 5) & 0x1F, v & 0x1F, (v >> 15) & 1}))
ZELK_TEXEL_SOURCE(D3DFMT_A4R4G4B4, 2, 2, 4, 4, 4, 4,
                  (Channels{(v >> 8) & 0xF, (v >> 4) & 0xF, v & 0xF, (v >> 12) & 0xF}))
ZELK_TEXEL_SOURCE(D3DFMT_R3G3B2, 1, 1, 3, 3, 2, 0,
                  (Channels{(v >> 5) & 7, (v >> 2) & 7, v & 3, 0}))
ZELK_TEXEL_SOURCE(D3DFMT_A8, 1, 0, 0, 0, 0, 8, (Channels{0, 0, 0, v & 0xFF}))
ZELK_TEXEL_SOURCE(D3DFMT_A8R3G3B2, 2, 1, 3, 3, 2, 8,
                  (Channels{(v >> 5) & 7, (v >> 2) & 7, v & 3, (v >> 8) & 0xFF}))
ZELK_TEXEL_SOURCE(D3DFMT_X4R4G4B4, 2, 2, 4, 4, 4, 0,
                  (Channels{(v >> 8) & 0xF, (v >> 4) & 0xF, v & 0xF, 0}))
ZELK_TEXEL_SOURCE(D3DFMT_A2B10G10R10, 4, 4, 10, 10, 10, 2,
                  (Channels{v & 0x3FF, (v >> 10) & 0x3FF, (v >> 20) & 0x3FF, v >> 30}))
// The top 8 bits of each 16-bit field; no blue.
ZELK_TEXEL_SOURCE(D3DFMT_G16R16, 4, 4, 8, 8, 0, 0,
                  (Channels{(v >> 8) & 0xFF, v >> 24, 0, 0}))
ZELK_TEXEL_SOURCE(D3DFMT_A8P8, 2, 1, 8, 8, 8, 8,
                  (Channels{palette[v & 0xFF].peRed, palette[v & 0xFF].peGreen,
                            palette[v & 0xFF].peBlue, (v >> 8) & 0xFF}))
// The entry's flags byte is the alpha only into A8R8G8B8 (see TexelRule).
ZELK_TEXEL_SOURCE(D3DFMT_P8, 1, 1, 8, 8, 8, 0,
                  (Channels{palette[v & 0xFF].peRed, palette[v & 0xFF].peGreen,
                            palette[v & 0xFF].peBlue, palette[v & 0xFF].peFlags}))
ZELK_TEXEL_SOURCE(D3DFMT_L8, 1, 1, 8, 8, 8, 0,
                  (Channels{v & 0xFF, v & 0xFF, v & 0xFF, 0}))
ZELK_TEXEL_SOURCE(D3DFMT_A8L8, 2, 1, 8, 8, 8, 8,
                  (Channels{v & 0xFF, v & 0xFF, v & 0xFF, (v >> 8) & 0xFF}))
ZELK_TEXEL_SOURCE(D3DFMT_A4L4, 1, 1, 4, 4, 4, 4,
                  (Channels{v & 0xF, v & 0xF, v & 0xF, (v >> 4) & 0xF}))
ZELK_TEXEL_SOURCE(ZELK_FORMAT_ABGR, 4, 4, 8, 8, 8, 8,
                  (Channels{v & 0xFF, (v >> 8) & 0xFF, (v >> 16) & 0xFF, v >> 24}))
ZELK_TEXEL_SOURCE(ZELK_FORMAT_RGBA, 4, 4, 8, 8, 8, 8,
                  (Channels{v >> 24, (v >> 16) & 0xFF, (v >> 8) & 0xFF, v & 0xFF}))
ZELK_TEXEL_SOURCE(ZELK_FORMAT_BGRA, 4, 4, 8, 8, 8, 8,
                  (Channels{(v >> 8) & 0xFF, (v >> 16) & 0xFF, v >> 24, v & 0xFF}))

#undef ZELK_TEXEL_SOURCE

// Destination layouts: texel bytes, channel widths and the packing of the
// destination word.  A8L8 carries its luminance in the R slot (it is only
// converted from luminance sources, where R = G = B = L); A8P8 its index
// (converted only from P8, by TexelRule itself).
template <DWORD Format>
struct Destination;

#define ZELK_TEXEL_DESTINATION(format, size, rBits, gBits, bBits, aBits, pack)          \
    template <>                                                                         \
    struct Destination<format> {                                                        \
        static constexpr unsigned Size = size;                                          \
        static constexpr unsigned R = rBits, G = gBits, B = bBits, A = aBits;           \
        static constexpr uint32_t Pack(uint32_t r, uint32_t g, uint32_t b, uint32_t a) { \
            return (void)r, (void)g, (void)b, (void)a, pack;                            \
        }                                                                               \
    };

ZELK_TEXEL_DESTINATION(D3DFMT_R8G8B8, 3, 8, 8, 8, 0, (r << 16) | (g << 8) | b)
ZELK_TEXEL_DESTINATION(D3DFMT_A8R8G8B8, 4, 8, 8, 8, 8, (a << 24) | (r << 16) | (g << 8) | b)
ZELK_TEXEL_DESTINATION(D3DFMT_X8R8G8B8, 4, 8, 8, 8, 0, (r << 16) | (g << 8) | b)
ZELK_TEXEL_DESTINATION(D3DFMT_R5G6B5, 2, 5, 6, 5, 0, (r << 11) | (g << 5) | b)
ZELK_TEXEL_DESTINATION(D3DFMT_X1R5G5B5, 2, 5, 5, 5, 0, (r << 10) | (g << 5) | b)
ZELK_TEXEL_DESTINATION(D3DFMT_A1R5G5B5, 2, 5, 5, 5, 1, (a << 15) | (r << 10) | (g << 5) | b)
ZELK_TEXEL_DESTINATION(D3DFMT_A4R4G4B4, 2, 4, 4, 4, 4, (a << 12) | (r << 8) | (g << 4) | b)
ZELK_TEXEL_DESTINATION(D3DFMT_R3G3B2, 1, 3, 3, 2, 0, (r << 5) | (g << 2) | b)
ZELK_TEXEL_DESTINATION(D3DFMT_A8, 1, 0, 0, 0, 8, a)
ZELK_TEXEL_DESTINATION(D3DFMT_A8R3G3B2, 2, 3, 3, 2, 8, (a << 8) | (r << 5) | (g << 2) | b)
ZELK_TEXEL_DESTINATION(D3DFMT_X4R4G4B4, 2, 4, 4, 4, 0, (r << 8) | (g << 4) | b)
ZELK_TEXEL_DESTINATION(D3DFMT_A8L8, 2, 8, 0, 0, 8, (a << 8) | r)
ZELK_TEXEL_DESTINATION(D3DFMT_A8P8, 2, 8, 0, 0, 8, (a << 8) | r)

#undef ZELK_TEXEL_DESTINATION

// A value of `from` bits brought to `to` bits: top bits kept, or shifted up
// with zero low bits.
constexpr uint32_t Resize(uint32_t value, unsigned from, unsigned to) {
    return from > to ? value >> (from - to) : value << (to - from);
}

// A colour channel of `to` bits from a source channel of `from` bits, or from
// the fill colour's byte when the source lacks the channel.
template <unsigned From, unsigned To>
inline uint32_t ColourChannel(uint32_t value, uint32_t fillByte) {
    if constexpr (To == 0) {
        return 0;
    } else if constexpr (From == 0) {
        return Resize(fillByte, 8, To);
    } else {
        return Resize(value, From, To);
    }
}

// The alpha rule: any alpha is opaque in one bit, one bit widens to all ones.
template <unsigned From, unsigned To>
inline uint32_t AlphaChannel(uint32_t value, uint32_t fillColor, uint32_t fillAlphaBit) {
    if constexpr (To == 0) {
        return 0;
    } else if constexpr (From == 0) {
        if constexpr (To == 1) {
            return fillAlphaBit;
        } else {
            return Resize(fillColor >> 24, 8, To);
        }
    } else if constexpr (To == 1) {
        return value != 0 ? 1u : 0u;
    } else if constexpr (From == 1) {
        return value != 0 ? (1u << To) - 1 : 0u;
    } else {
        return Resize(value, From, To);
    }
}

}  // namespace texel_detail

// What a conversion reads of its converter, copied once per call so that a
// row loop keeps it in registers.
struct TexelContext {
    explicit TexelContext(const ZelkGrPixelConverter* converter)
        : palette(converter->SourcePalette),
          fillColor(converter->FillColor),
          fillAlphaBit(converter->FillAlphaBit) {}
    const PALETTEENTRY* palette;
    uint32_t fillColor;
    uint32_t fillAlphaBit;
};

// The conversion of one texel of Source into one texel of Destination.
// Reads only the bytes the pair needs: a destination without alpha reads the
// source's colour bytes alone (the index byte of A8P8, the luminance byte of
// A8L8), and the alpha-only destination A8 reads nothing of a source without
// alpha.  Not for the same-format copies, which are members of their own.
template <DWORD DestinationFormat, DWORD SourceFormat>
struct TexelRule {
    using In = texel_detail::Source<SourceFormat>;
    using Out = texel_detail::Destination<DestinationFormat>;

    // D3DFMT_P8 gives the palette entry's flags byte as alpha only here.
    static constexpr unsigned SourceAlpha =
        (SourceFormat == D3DFMT_P8 && DestinationFormat == D3DFMT_A8R8G8B8) ? 8 : In::A;
    static constexpr bool WantsColour = Out::R != 0 || Out::G != 0 || Out::B != 0;
    static constexpr bool ReadsAlpha = Out::A != 0 && SourceAlpha != 0 && SourceFormat != D3DFMT_P8;
    static constexpr unsigned ReadBytes =
        ReadsAlpha ? In::Size : (WantsColour ? In::ColourBytes : 0u);
    // X8R8G8B8 from the alpha-only, luminance and palette sources keeps its X
    // byte as it was and writes blue, green and red alone.
    static constexpr bool KeepsXByte =
        DestinationFormat == D3DFMT_X8R8G8B8 &&
        (SourceFormat == D3DFMT_A8 || SourceFormat == D3DFMT_L8 || SourceFormat == D3DFMT_A8L8 ||
         SourceFormat == D3DFMT_A4L4 || SourceFormat == D3DFMT_A8P8 || SourceFormat == D3DFMT_P8);
    static constexpr unsigned WriteBytes = KeepsXByte ? 3u : Out::Size;

    static inline uint32_t Value(const TexelContext& context, const uint8_t* source) {
        uint32_t v = 0;
        if constexpr (ReadBytes == 3 && In::Size == 4) {
            // The colour bytes of a 4-byte texel: the whole texel lies in the
            // rectangle, and one 4-byte read is faster than three bytes.
            v = LoadTexel<4>(source) & 0xFFFFFFu;
        } else if constexpr (ReadBytes != 0) {
            v = LoadTexel<ReadBytes>(source);
        }
        if constexpr (DestinationFormat == D3DFMT_A8P8) {
            // The index passes unchanged; the alpha byte comes from the fill.
            static_assert(SourceFormat == D3DFMT_P8, "A8P8 converts only from P8");
            return (v & 0xFF) | (context.fillColor >> 24 << 8);
        } else {
            const texel_detail::Channels in = In::Decode(v, context.palette);
            const uint32_t fill = context.fillColor;
            return Out::Pack(
                texel_detail::ColourChannel<In::R, Out::R>(in.r, (fill >> 16) & 0xFF),
                texel_detail::ColourChannel<In::G, Out::G>(in.g, (fill >> 8) & 0xFF),
                texel_detail::ColourChannel<In::B, Out::B>(in.b, fill & 0xFF),
                texel_detail::AlphaChannel<SourceAlpha, Out::A>(in.a, fill, context.fillAlphaBit));
        }
    }

    static inline void Convert(const TexelContext& context, const uint8_t* source,
                               uint8_t* destination) {
        StoreTexel<WriteBytes>(destination, Value(context, source));
    }
};

// The members with both a per-texel and a per-rectangle function, by
// destination: into R8G8B8, A8R8G8B8 and X8R8G8B8 (32), into R5G6B5,
// X1R5G5B5, A1R5G5B5 and A4R4G4B4 (16), and into the narrow formats.  Each
// has the (destination, source) pair it is named after; a member serves
// further pairs where the selection says so.  X(name, destination, source).
#define ZELK_SHARED_CONVERTERS_32(X)                                  \
    X(R5G6B5ToR8G8B8, D3DFMT_R8G8B8, D3DFMT_R5G6B5)                   \
    X(X1R5G5B5ToR8G8B8, D3DFMT_R8G8B8, D3DFMT_X1R5G5B5)               \
    X(A4R4G4B4ToR8G8B8, D3DFMT_R8G8B8, D3DFMT_A4R4G4B4)               \
    X(R3G3B2ToR8G8B8, D3DFMT_R8G8B8, D3DFMT_R3G3B2)                   \
    X(A8ToR8G8B8, D3DFMT_R8G8B8, D3DFMT_A8)                           \
    X(A2B10G10R10ToR8G8B8, D3DFMT_R8G8B8, D3DFMT_A2B10G10R10)         \
    X(G16R16ToR8G8B8, D3DFMT_R8G8B8, D3DFMT_G16R16)                   \
    X(A8P8ToR8G8B8, D3DFMT_R8G8B8, D3DFMT_A8P8)                       \
    X(L8ToR8G8B8, D3DFMT_R8G8B8, D3DFMT_L8)                           \
    X(A4L4ToR8G8B8, D3DFMT_R8G8B8, D3DFMT_A4L4)                       \
    X(ABGRToR8G8B8, D3DFMT_R8G8B8, ZELK_FORMAT_ABGR)                  \
    X(RGBAToR8G8B8, D3DFMT_R8G8B8, ZELK_FORMAT_RGBA)                  \
    X(BGRAToR8G8B8, D3DFMT_R8G8B8, ZELK_FORMAT_BGRA)                  \
                                                                      \
    X(R8G8B8ToA8R8G8B8, D3DFMT_A8R8G8B8, D3DFMT_R8G8B8)               \
    X(R5G6B5ToA8R8G8B8, D3DFMT_A8R8G8B8, D3DFMT_R5G6B5)               \
    X(X1R5G5B5ToA8R8G8B8, D3DFMT_A8R8G8B8, D3DFMT_X1R5G5B5)           \
    X(A1R5G5B5ToA8R8G8B8, D3DFMT_A8R8G8B8, D3DFMT_A1R5G5B5)           \
    X(A4R4G4B4ToA8R8G8B8, D3DFMT_A8R8G8B8, D3DFMT_A4R4G4B4)           \
    X(R3G3B2ToA8R8G8B8, D3DFMT_A8R8G8B8, D3DFMT_R3G3B2)               \
    X(A8ToA8R8G8B8, D3DFMT_A8R8G8B8, D3DFMT_A8)                       \
    X(A8R3G3B2ToA8R8G8B8, D3DFMT_A8R8G8B8, D3DFMT_A8R3G3B2)           \
    X(X4R4G4B4ToA8R8G8B8, D3DFMT_A8R8G8B8, D3DFMT_X4R4G4B4)           \
    X(A2B10G10R10ToA8R8G8B8, D3DFMT_A8R8G8B8, D3DFMT_A2B10G10R10)     \
    X(G16R16ToA8R8G8B8, D3DFMT_A8R8G8B8, D3DFMT_G16R16)               \
    X(A8P8ToA8R8G8B8, D3DFMT_A8R8G8B8, D3DFMT_A8P8)                   \
    X(P8ToA8R8G8B8, D3DFMT_A8R8G8B8, D3DFMT_P8)                       \
    X(L8ToA8R8G8B8, D3DFMT_A8R8G8B8, D3DFMT_L8)                       \
    X(A8L8ToA8R8G8B8, D3DFMT_A8R8G8B8, D3DFMT_A8L8)                   \
    X(A4L4ToA8R8G8B8, D3DFMT_A8R8G8B8, D3DFMT_A4L4)                   \
    X(ABGRToA8R8G8B8, D3DFMT_A8R8G8B8, ZELK_FORMAT_ABGR)              \
    X(RGBAToA8R8G8B8, D3DFMT_A8R8G8B8, ZELK_FORMAT_RGBA)              \
    X(BGRAToA8R8G8B8, D3DFMT_A8R8G8B8, ZELK_FORMAT_BGRA)              \
                                                                      \
    X(R8G8B8ToX8R8G8B8, D3DFMT_X8R8G8B8, D3DFMT_R8G8B8)               \
    X(R5G6B5ToX8R8G8B8, D3DFMT_X8R8G8B8, D3DFMT_R5G6B5)               \
    X(X1R5G5B5ToX8R8G8B8, D3DFMT_X8R8G8B8, D3DFMT_X1R5G5B5)           \
    X(A4R4G4B4ToX8R8G8B8, D3DFMT_X8R8G8B8, D3DFMT_A4R4G4B4)           \
    X(R3G3B2ToX8R8G8B8, D3DFMT_X8R8G8B8, D3DFMT_R3G3B2)               \
    X(A2B10G10R10ToX8R8G8B8, D3DFMT_X8R8G8B8, D3DFMT_A2B10G10R10)     \
    X(G16R16ToX8R8G8B8, D3DFMT_X8R8G8B8, D3DFMT_G16R16)               \
    X(ABGRToX8R8G8B8, D3DFMT_X8R8G8B8, ZELK_FORMAT_ABGR)              \
    X(RGBAToX8R8G8B8, D3DFMT_X8R8G8B8, ZELK_FORMAT_RGBA)              \
    X(BGRAToX8R8G8B8, D3DFMT_X8R8G8B8, ZELK_FORMAT_BGRA)

#define ZELK_SHARED_CONVERTERS_16(X)                                  \
    X(R8G8B8ToR5G6B5, D3DFMT_R5G6B5, D3DFMT_R8G8B8)                   \
    X(X1R5G5B5ToR5G6B5, D3DFMT_R5G6B5, D3DFMT_X1R5G5B5)               \
    X(A4R4G4B4ToR5G6B5, D3DFMT_R5G6B5, D3DFMT_A4R4G4B4)               \
    X(R3G3B2ToR5G6B5, D3DFMT_R5G6B5, D3DFMT_R3G3B2)                   \
    X(A8ToR5G6B5, D3DFMT_R5G6B5, D3DFMT_A8)                           \
    X(A2B10G10R10ToR5G6B5, D3DFMT_R5G6B5, D3DFMT_A2B10G10R10)         \
    X(G16R16ToR5G6B5, D3DFMT_R5G6B5, D3DFMT_G16R16)                   \
    X(A8P8ToR5G6B5, D3DFMT_R5G6B5, D3DFMT_A8P8)                       \
    X(L8ToR5G6B5, D3DFMT_R5G6B5, D3DFMT_L8)                           \
    X(A4L4ToR5G6B5, D3DFMT_R5G6B5, D3DFMT_A4L4)                       \
    X(ABGRToR5G6B5, D3DFMT_R5G6B5, ZELK_FORMAT_ABGR)                  \
    X(RGBAToR5G6B5, D3DFMT_R5G6B5, ZELK_FORMAT_RGBA)                  \
    X(BGRAToR5G6B5, D3DFMT_R5G6B5, ZELK_FORMAT_BGRA)                  \
                                                                      \
    X(R8G8B8ToX1R5G5B5, D3DFMT_X1R5G5B5, D3DFMT_R8G8B8)               \
    X(R5G6B5ToX1R5G5B5, D3DFMT_X1R5G5B5, D3DFMT_R5G6B5)               \
    X(A4R4G4B4ToX1R5G5B5, D3DFMT_X1R5G5B5, D3DFMT_A4R4G4B4)           \
    X(R3G3B2ToX1R5G5B5, D3DFMT_X1R5G5B5, D3DFMT_R3G3B2)               \
    X(A8ToX1R5G5B5, D3DFMT_X1R5G5B5, D3DFMT_A8)                       \
    X(A2B10G10R10ToX1R5G5B5, D3DFMT_X1R5G5B5, D3DFMT_A2B10G10R10)     \
    X(G16R16ToX1R5G5B5, D3DFMT_X1R5G5B5, D3DFMT_G16R16)               \
    X(A8P8ToX1R5G5B5, D3DFMT_X1R5G5B5, D3DFMT_A8P8)                   \
    X(L8ToX1R5G5B5, D3DFMT_X1R5G5B5, D3DFMT_L8)                       \
    X(A4L4ToX1R5G5B5, D3DFMT_X1R5G5B5, D3DFMT_A4L4)                   \
    X(ABGRToX1R5G5B5, D3DFMT_X1R5G5B5, ZELK_FORMAT_ABGR)              \
    X(RGBAToX1R5G5B5, D3DFMT_X1R5G5B5, ZELK_FORMAT_RGBA)              \
    X(BGRAToX1R5G5B5, D3DFMT_X1R5G5B5, ZELK_FORMAT_BGRA)              \
                                                                      \
    X(R8G8B8ToA1R5G5B5, D3DFMT_A1R5G5B5, D3DFMT_R8G8B8)               \
    X(A8R8G8B8ToA1R5G5B5, D3DFMT_A1R5G5B5, D3DFMT_A8R8G8B8)           \
    X(R5G6B5ToA1R5G5B5, D3DFMT_A1R5G5B5, D3DFMT_R5G6B5)               \
    X(X1R5G5B5ToA1R5G5B5, D3DFMT_A1R5G5B5, D3DFMT_X1R5G5B5)           \
    X(A4R4G4B4ToA1R5G5B5, D3DFMT_A1R5G5B5, D3DFMT_A4R4G4B4)           \
    X(R3G3B2ToA1R5G5B5, D3DFMT_A1R5G5B5, D3DFMT_R3G3B2)               \
    X(A8ToA1R5G5B5, D3DFMT_A1R5G5B5, D3DFMT_A8)                       \
    X(A8R3G3B2ToA1R5G5B5, D3DFMT_A1R5G5B5, D3DFMT_A8R3G3B2)           \
    X(X4R4G4B4ToA1R5G5B5, D3DFMT_A1R5G5B5, D3DFMT_X4R4G4B4)           \
    X(A2B10G10R10ToA1R5G5B5, D3DFMT_A1R5G5B5, D3DFMT_A2B10G10R10)     \
    X(G16R16ToA1R5G5B5, D3DFMT_A1R5G5B5, D3DFMT_G16R16)               \
    X(A8P8ToA1R5G5B5, D3DFMT_A1R5G5B5, D3DFMT_A8P8)                   \
    X(P8ToA1R5G5B5, D3DFMT_A1R5G5B5, D3DFMT_P8)                       \
    X(L8ToA1R5G5B5, D3DFMT_A1R5G5B5, D3DFMT_L8)                       \
    X(A8L8ToA1R5G5B5, D3DFMT_A1R5G5B5, D3DFMT_A8L8)                   \
    X(A4L4ToA1R5G5B5, D3DFMT_A1R5G5B5, D3DFMT_A4L4)                   \
    X(ABGRToA1R5G5B5, D3DFMT_A1R5G5B5, ZELK_FORMAT_ABGR)              \
    X(RGBAToA1R5G5B5, D3DFMT_A1R5G5B5, ZELK_FORMAT_RGBA)              \
    X(BGRAToA1R5G5B5, D3DFMT_A1R5G5B5, ZELK_FORMAT_BGRA)              \
                                                                      \
    X(R8G8B8ToA4R4G4B4, D3DFMT_A4R4G4B4, D3DFMT_R8G8B8)               \
    X(A8R8G8B8ToA4R4G4B4, D3DFMT_A4R4G4B4, D3DFMT_A8R8G8B8)           \
    X(R5G6B5ToA4R4G4B4, D3DFMT_A4R4G4B4, D3DFMT_R5G6B5)               \
    X(X1R5G5B5ToA4R4G4B4, D3DFMT_A4R4G4B4, D3DFMT_X1R5G5B5)           \
    X(A1R5G5B5ToA4R4G4B4, D3DFMT_A4R4G4B4, D3DFMT_A1R5G5B5)           \
    X(R3G3B2ToA4R4G4B4, D3DFMT_A4R4G4B4, D3DFMT_R3G3B2)               \
    X(A8ToA4R4G4B4, D3DFMT_A4R4G4B4, D3DFMT_A8)                       \
    X(A8R3G3B2ToA4R4G4B4, D3DFMT_A4R4G4B4, D3DFMT_A8R3G3B2)           \
    X(X4R4G4B4ToA4R4G4B4, D3DFMT_A4R4G4B4, D3DFMT_X4R4G4B4)           \
    X(A2B10G10R10ToA4R4G4B4, D3DFMT_A4R4G4B4, D3DFMT_A2B10G10R10)     \
    X(G16R16ToA4R4G4B4, D3DFMT_A4R4G4B4, D3DFMT_G16R16)               \
    X(A8P8ToA4R4G4B4, D3DFMT_A4R4G4B4, D3DFMT_A8P8)                   \
    X(P8ToA4R4G4B4, D3DFMT_A4R4G4B4, D3DFMT_P8)                       \
    X(L8ToA4R4G4B4, D3DFMT_A4R4G4B4, D3DFMT_L8)                       \
    X(A8L8ToA4R4G4B4, D3DFMT_A4R4G4B4, D3DFMT_A8L8)                   \
    X(A4L4ToA4R4G4B4, D3DFMT_A4R4G4B4, D3DFMT_A4L4)                   \
    X(ABGRToA4R4G4B4, D3DFMT_A4R4G4B4, ZELK_FORMAT_ABGR)              \
    X(RGBAToA4R4G4B4, D3DFMT_A4R4G4B4, ZELK_FORMAT_RGBA)              \
    X(BGRAToA4R4G4B4, D3DFMT_A4R4G4B4, ZELK_FORMAT_BGRA)

#define ZELK_SHARED_CONVERTERS_NARROW(X)                              \
    X(R8G8B8ToR3G3B2, D3DFMT_R3G3B2, D3DFMT_R8G8B8)                   \
    X(R5G6B5ToR3G3B2, D3DFMT_R3G3B2, D3DFMT_R5G6B5)                   \
    X(A4R4G4B4ToR3G3B2, D3DFMT_R3G3B2, D3DFMT_A4R4G4B4)               \
    X(A8ToR3G3B2, D3DFMT_R3G3B2, D3DFMT_A8)                           \
    X(A2B10G10R10ToR3G3B2, D3DFMT_R3G3B2, D3DFMT_A2B10G10R10)         \
    X(G16R16ToR3G3B2, D3DFMT_R3G3B2, D3DFMT_G16R16)                   \
    X(A8P8ToR3G3B2, D3DFMT_R3G3B2, D3DFMT_A8P8)                       \
    X(L8ToR3G3B2, D3DFMT_R3G3B2, D3DFMT_L8)                           \
    X(A4L4ToR3G3B2, D3DFMT_R3G3B2, D3DFMT_A4L4)                       \
    X(ABGRToR3G3B2, D3DFMT_R3G3B2, ZELK_FORMAT_ABGR)                  \
    X(RGBAToR3G3B2, D3DFMT_R3G3B2, ZELK_FORMAT_RGBA)                  \
    X(BGRAToR3G3B2, D3DFMT_R3G3B2, ZELK_FORMAT_BGRA)                  \
                                                                      \
    X(A8R8G8B8ToA8, D3DFMT_A8, D3DFMT_A8R8G8B8)                       \
    X(A1R5G5B5ToA8, D3DFMT_A8, D3DFMT_A1R5G5B5)                       \
    X(A4R4G4B4ToA8, D3DFMT_A8, D3DFMT_A4R4G4B4)                       \
    X(A8R3G3B2ToA8, D3DFMT_A8, D3DFMT_A8R3G3B2)                       \
    X(A2B10G10R10ToA8, D3DFMT_A8, D3DFMT_A2B10G10R10)                 \
    X(A8P8ToA8, D3DFMT_A8, D3DFMT_A8P8)                               \
    X(A4L4ToA8, D3DFMT_A8, D3DFMT_A4L4)                               \
                                                                      \
    X(R8G8B8ToA8R3G3B2, D3DFMT_A8R3G3B2, D3DFMT_R8G8B8)               \
    X(A8R8G8B8ToA8R3G3B2, D3DFMT_A8R3G3B2, D3DFMT_A8R8G8B8)           \
    X(R5G6B5ToA8R3G3B2, D3DFMT_A8R3G3B2, D3DFMT_R5G6B5)               \
    X(X1R5G5B5ToA8R3G3B2, D3DFMT_A8R3G3B2, D3DFMT_X1R5G5B5)           \
    X(A1R5G5B5ToA8R3G3B2, D3DFMT_A8R3G3B2, D3DFMT_A1R5G5B5)           \
    X(A4R4G4B4ToA8R3G3B2, D3DFMT_A8R3G3B2, D3DFMT_A4R4G4B4)           \
    X(R3G3B2ToA8R3G3B2, D3DFMT_A8R3G3B2, D3DFMT_R3G3B2)               \
    X(A8ToA8R3G3B2, D3DFMT_A8R3G3B2, D3DFMT_A8)                       \
    X(X4R4G4B4ToA8R3G3B2, D3DFMT_A8R3G3B2, D3DFMT_X4R4G4B4)           \
    X(A2B10G10R10ToA8R3G3B2, D3DFMT_A8R3G3B2, D3DFMT_A2B10G10R10)     \
    X(G16R16ToA8R3G3B2, D3DFMT_A8R3G3B2, D3DFMT_G16R16)               \
    X(A8P8ToA8R3G3B2, D3DFMT_A8R3G3B2, D3DFMT_A8P8)                   \
    X(P8ToA8R3G3B2, D3DFMT_A8R3G3B2, D3DFMT_P8)                       \
    X(L8ToA8R3G3B2, D3DFMT_A8R3G3B2, D3DFMT_L8)                       \
    X(A8L8ToA8R3G3B2, D3DFMT_A8R3G3B2, D3DFMT_A8L8)                   \
    X(A4L4ToA8R3G3B2, D3DFMT_A8R3G3B2, D3DFMT_A4L4)                   \
    X(ABGRToA8R3G3B2, D3DFMT_A8R3G3B2, ZELK_FORMAT_ABGR)              \
    X(RGBAToA8R3G3B2, D3DFMT_A8R3G3B2, ZELK_FORMAT_RGBA)              \
    X(BGRAToA8R3G3B2, D3DFMT_A8R3G3B2, ZELK_FORMAT_BGRA)              \
                                                                      \
    X(R8G8B8ToX4R4G4B4, D3DFMT_X4R4G4B4, D3DFMT_R8G8B8)               \
    X(R5G6B5ToX4R4G4B4, D3DFMT_X4R4G4B4, D3DFMT_R5G6B5)               \
    X(R3G3B2ToX4R4G4B4, D3DFMT_X4R4G4B4, D3DFMT_R3G3B2)               \
    X(A8ToX4R4G4B4, D3DFMT_X4R4G4B4, D3DFMT_A8)                       \
    X(A2B10G10R10ToX4R4G4B4, D3DFMT_X4R4G4B4, D3DFMT_A2B10G10R10)     \
    X(G16R16ToX4R4G4B4, D3DFMT_X4R4G4B4, D3DFMT_G16R16)               \
    X(A8P8ToX4R4G4B4, D3DFMT_X4R4G4B4, D3DFMT_A8P8)                   \
    X(L8ToX4R4G4B4, D3DFMT_X4R4G4B4, D3DFMT_L8)                       \
    X(A4L4ToX4R4G4B4, D3DFMT_X4R4G4B4, D3DFMT_A4L4)                   \
    X(ABGRToX4R4G4B4, D3DFMT_X4R4G4B4, ZELK_FORMAT_ABGR)              \
    X(RGBAToX4R4G4B4, D3DFMT_X4R4G4B4, ZELK_FORMAT_RGBA)              \
    X(BGRAToX4R4G4B4, D3DFMT_X4R4G4B4, ZELK_FORMAT_BGRA)              \
                                                                      \
    X(P8ToA8P8, D3DFMT_A8P8, D3DFMT_P8)                               \
                                                                      \
    X(L8ToA8L8, D3DFMT_A8L8, D3DFMT_L8)                               \
    X(A4L4ToA8L8, D3DFMT_A8L8, D3DFMT_A4L4)

// The per-texel members: the shared ones and those without a per-rectangle
// member of the same name.
#define ZELK_TEXEL_CONVERTERS(X)                                      \
    ZELK_SHARED_CONVERTERS_32(X)                                      \
    ZELK_SHARED_CONVERTERS_16(X)                                      \
    ZELK_SHARED_CONVERTERS_NARROW(X)                                  \
    X(X1R5G5B5ToR3G3B2, D3DFMT_R3G3B2, D3DFMT_X1R5G5B5)               \
                                                                      \
    X(R8G8B8ToA8, D3DFMT_A8, D3DFMT_R8G8B8)                           \
                                                                      \
    X(X1R5G5B5ToX4R4G4B4, D3DFMT_X4R4G4B4, D3DFMT_X1R5G5B5)

#define ZELK_DECLARE_TEXEL_CONVERTER(name, destination, source)                           \
    void ConvertTexel_##name(const ZelkGrPixelConverter* converter, const void* sourceTexel, \
                             void* destinationTexel);
ZELK_TEXEL_CONVERTERS(ZELK_DECLARE_TEXEL_CONVERTER)
#undef ZELK_DECLARE_TEXEL_CONVERTER

// Same-format copies of 4, 3, 2 and 1 leading bytes.
void ConvertTexel_Copy32(const ZelkGrPixelConverter* converter, const void* sourceTexel,
                         void* destinationTexel);
void ConvertTexel_Copy24(const ZelkGrPixelConverter* converter, const void* sourceTexel,
                         void* destinationTexel);
void ConvertTexel_Copy16(const ZelkGrPixelConverter* converter, const void* sourceTexel,
                         void* destinationTexel);
void ConvertTexel_Copy8(const ZelkGrPixelConverter* converter, const void* sourceTexel,
                        void* destinationTexel);

}  // namespace zelk
