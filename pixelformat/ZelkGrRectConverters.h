#pragma once

// Per-rectangle converters into R8G8B8, A8R8G8B8, X8R8G8B8, R5G6B5,
// X1R5G5B5, A1R5G5B5 and A4R4G4B4, and the same-format copies.  Every
// converting member is ConvertRectByRule of its pair: the row walk with the
// pair's texel rule in the loop body, or, for the texture-download pairs on
// a processor with SSE2, the vector rows of ZelkGrSse2RowConverters.h, and
// for palette sources a table of the converted palette entries.
#include "pixelformat/ZelkGrPixelConverter.h"
#include "pixelformat/ZelkGrRowWalk.h"
#include "pixelformat/ZelkGrSse2RowConverters.h"
#include "pixelformat/ZelkGrTexelConverters.h"

namespace zelk {

// Rectangles of a palette source with at least this many texels convert
// through a table of the 256 converted palette entries.
constexpr int64_t kPaletteTableMinimumTexels = 256;

// True for the palette pairs that convert through that table: a palette
// source into a destination with colour (not the index copy into A8P8).
template <DWORD DestinationFormat, DWORD SourceFormat>
constexpr bool UsesPaletteTable() {
    return (SourceFormat == D3DFMT_P8 || SourceFormat == D3DFMT_A8P8) &&
           DestinationFormat != D3DFMT_A8P8 &&
           TexelRule<DestinationFormat, SourceFormat>::WantsColour;
}

// A palette source through a table, on the stack, of the destination values
// of the 256 indices with alpha 0; an A8P8 alpha is added by the rule's alpha
// field.  The table is built per rectangle from TexelRule, so the texels come
// out as the rule gives them.
template <DWORD DestinationFormat, DWORD SourceFormat>
void ConvertRectByPaletteTable(const TexelContext& context, const void* sourceBits,
                               const RECT* sourceRect, int sourcePitch, void* destinationBits,
                               const POINT* destinationPoint, int destinationPitch) {
    using Rule = TexelRule<DestinationFormat, SourceFormat>;
    uint32_t table[256];
    for (unsigned index = 0; index < 256; ++index) {
        const uint8_t texel[2] = {uint8_t(index), 0};
        table[index] = Rule::Value(context, texel);
    }
    const uint32_t* const entries = table;
    const uint32_t fillColor = context.fillColor;
    const uint32_t fillAlphaBit = context.fillAlphaBit;
    WalkRect<Rule::In::Size, Rule::Out::Size>(
        sourceBits, sourceRect, sourcePitch, destinationBits, destinationPoint, destinationPitch,
        [entries, fillColor, fillAlphaBit](const uint8_t* source, uint8_t* destination) {
            uint32_t value = entries[source[0]];
            if constexpr (Rule::ReadsAlpha) {
                value |= Rule::Out::Pack(
                    0, 0, 0,
                    texel_detail::AlphaChannel<8, Rule::Out::A>(source[1], fillColor, fillAlphaBit));
            } else {
                (void)fillColor, (void)fillAlphaBit;
            }
            StoreTexel<Rule::WriteBytes>(destination, value);
        });
}

// Converts the rectangle texel by texel with TexelRule<Destination, Source>;
// the walk steps by the two formats' texel sizes.  A palette pair takes its
// table for rectangles that repay building it.  This is the whole conversion
// on a processor without SSE2.
template <DWORD DestinationFormat, DWORD SourceFormat>
void ConvertRectScalar(const ZelkGrPixelConverter* converter, const void* sourceBits,
                       const RECT* sourceRect, int sourcePitch, void* destinationBits,
                       const POINT* destinationPoint, int destinationPitch) {
    using Rule = TexelRule<DestinationFormat, SourceFormat>;
    const TexelContext context(converter);
    if constexpr (UsesPaletteTable<DestinationFormat, SourceFormat>()) {
        const int64_t width = int64_t(sourceRect->right) - sourceRect->left;
        const int64_t height = int64_t(sourceRect->bottom) - sourceRect->top;
        if (width > 0 && height > 0 && width * height >= kPaletteTableMinimumTexels) {
            ConvertRectByPaletteTable<DestinationFormat, SourceFormat>(
                context, sourceBits, sourceRect, sourcePitch, destinationBits, destinationPoint,
                destinationPitch);
            return;
        }
    }
    WalkRect<Rule::In::Size, Rule::Out::Size>(
        sourceBits, sourceRect, sourcePitch, destinationBits, destinationPoint, destinationPitch,
        [context](const uint8_t* source, uint8_t* destination) {
            Rule::Convert(context, source, destination);
        });
}

// The per-rectangle conversion of a pair: its SSE2 rows where the pair has
// them and the processor runs them (decided per rectangle), else
// ConvertRectScalar.
template <DWORD DestinationFormat, DWORD SourceFormat>
void ConvertRectByRule(const ZelkGrPixelConverter* converter, const void* sourceBits,
                       const RECT* sourceRect, int sourcePitch, void* destinationBits,
                       const POINT* destinationPoint, int destinationPitch) {
    if constexpr (HasSse2RowPath<DestinationFormat, SourceFormat>()) {
        if (Sse2RowsAvailable()) {
            ConvertRectSse2<DestinationFormat, SourceFormat>(converter, sourceBits, sourceRect,
                                                             sourcePitch, destinationBits,
                                                             destinationPoint, destinationPitch);
            return;
        }
    }
    ConvertRectScalar<DestinationFormat, SourceFormat>(converter, sourceBits, sourceRect,
                                                       sourcePitch, destinationBits,
                                                       destinationPoint, destinationPitch);
}

// The converting members, each with the pair it is named after (and built
// from); a member serves further pairs where the selection says so.
// X(name, destination, source) defines ConvertRect_<name>.
#define ZELK_RECT_CONVERTERS_32(X)                                   \
    X(A8R8G8B8ToR8G8B8, D3DFMT_R8G8B8, D3DFMT_A8R8G8B8)              \
    X(R5G6B5ToR8G8B8, D3DFMT_R8G8B8, D3DFMT_R5G6B5)                  \
    X(X1R5G5B5ToR8G8B8, D3DFMT_R8G8B8, D3DFMT_X1R5G5B5)              \
    X(A4R4G4B4ToR8G8B8, D3DFMT_R8G8B8, D3DFMT_A4R4G4B4)              \
    X(R3G3B2ToR8G8B8, D3DFMT_R8G8B8, D3DFMT_R3G3B2)                  \
    X(A8ToR8G8B8, D3DFMT_R8G8B8, D3DFMT_A8)                          \
    X(A8R3G3B2ToR8G8B8, D3DFMT_R8G8B8, D3DFMT_A8R3G3B2)              \
    X(A2B10G10R10ToR8G8B8, D3DFMT_R8G8B8, D3DFMT_A2B10G10R10)        \
    X(G16R16ToR8G8B8, D3DFMT_R8G8B8, D3DFMT_G16R16)                  \
    X(A8P8ToR8G8B8, D3DFMT_R8G8B8, D3DFMT_A8P8)                      \
    X(P8ToR8G8B8, D3DFMT_R8G8B8, D3DFMT_P8)                          \
    X(L8ToR8G8B8, D3DFMT_R8G8B8, D3DFMT_L8)                          \
    X(A8L8ToR8G8B8, D3DFMT_R8G8B8, D3DFMT_A8L8)                      \
    X(A4L4ToR8G8B8, D3DFMT_R8G8B8, D3DFMT_A4L4)                      \
    X(ABGRToR8G8B8, D3DFMT_R8G8B8, ZELK_FORMAT_ABGR)                 \
    X(RGBAToR8G8B8, D3DFMT_R8G8B8, ZELK_FORMAT_RGBA)                 \
    X(BGRAToR8G8B8, D3DFMT_R8G8B8, ZELK_FORMAT_BGRA)                 \
                                                                     \
    X(R8G8B8ToA8R8G8B8, D3DFMT_A8R8G8B8, D3DFMT_R8G8B8)              \
    X(X8R8G8B8ToA8R8G8B8, D3DFMT_A8R8G8B8, D3DFMT_X8R8G8B8)          \
    X(R5G6B5ToA8R8G8B8, D3DFMT_A8R8G8B8, D3DFMT_R5G6B5)              \
    X(X1R5G5B5ToA8R8G8B8, D3DFMT_A8R8G8B8, D3DFMT_X1R5G5B5)          \
    X(A1R5G5B5ToA8R8G8B8, D3DFMT_A8R8G8B8, D3DFMT_A1R5G5B5)          \
    X(A4R4G4B4ToA8R8G8B8, D3DFMT_A8R8G8B8, D3DFMT_A4R4G4B4)          \
    X(R3G3B2ToA8R8G8B8, D3DFMT_A8R8G8B8, D3DFMT_R3G3B2)              \
    X(A8ToA8R8G8B8, D3DFMT_A8R8G8B8, D3DFMT_A8)                      \
    X(A8R3G3B2ToA8R8G8B8, D3DFMT_A8R8G8B8, D3DFMT_A8R3G3B2)          \
    X(X4R4G4B4ToA8R8G8B8, D3DFMT_A8R8G8B8, D3DFMT_X4R4G4B4)          \
    X(A2B10G10R10ToA8R8G8B8, D3DFMT_A8R8G8B8, D3DFMT_A2B10G10R10)    \
    X(G16R16ToA8R8G8B8, D3DFMT_A8R8G8B8, D3DFMT_G16R16)              \
    X(A8P8ToA8R8G8B8, D3DFMT_A8R8G8B8, D3DFMT_A8P8)                  \
    X(P8ToA8R8G8B8, D3DFMT_A8R8G8B8, D3DFMT_P8)                      \
    X(L8ToA8R8G8B8, D3DFMT_A8R8G8B8, D3DFMT_L8)                      \
    X(A8L8ToA8R8G8B8, D3DFMT_A8R8G8B8, D3DFMT_A8L8)                  \
    X(A4L4ToA8R8G8B8, D3DFMT_A8R8G8B8, D3DFMT_A4L4)                  \
    X(ABGRToA8R8G8B8, D3DFMT_A8R8G8B8, ZELK_FORMAT_ABGR)             \
    X(RGBAToA8R8G8B8, D3DFMT_A8R8G8B8, ZELK_FORMAT_RGBA)             \
    X(BGRAToA8R8G8B8, D3DFMT_A8R8G8B8, ZELK_FORMAT_BGRA)             \
                                                                     \
    X(R8G8B8ToX8R8G8B8, D3DFMT_X8R8G8B8, D3DFMT_R8G8B8)              \
    X(R5G6B5ToX8R8G8B8, D3DFMT_X8R8G8B8, D3DFMT_R5G6B5)              \
    X(X1R5G5B5ToX8R8G8B8, D3DFMT_X8R8G8B8, D3DFMT_X1R5G5B5)          \
    X(A4R4G4B4ToX8R8G8B8, D3DFMT_X8R8G8B8, D3DFMT_A4R4G4B4)          \
    X(R3G3B2ToX8R8G8B8, D3DFMT_X8R8G8B8, D3DFMT_R3G3B2)              \
    X(A8ToX8R8G8B8, D3DFMT_X8R8G8B8, D3DFMT_A8)                      \
    X(A8R3G3B2ToX8R8G8B8, D3DFMT_X8R8G8B8, D3DFMT_A8R3G3B2)          \
    X(A2B10G10R10ToX8R8G8B8, D3DFMT_X8R8G8B8, D3DFMT_A2B10G10R10)    \
    X(G16R16ToX8R8G8B8, D3DFMT_X8R8G8B8, D3DFMT_G16R16)              \
    X(A8P8ToX8R8G8B8, D3DFMT_X8R8G8B8, D3DFMT_A8P8)                  \
    X(P8ToX8R8G8B8, D3DFMT_X8R8G8B8, D3DFMT_P8)                      \
    X(L8ToX8R8G8B8, D3DFMT_X8R8G8B8, D3DFMT_L8)                      \
    X(A8L8ToX8R8G8B8, D3DFMT_X8R8G8B8, D3DFMT_A8L8)                  \
    X(A4L4ToX8R8G8B8, D3DFMT_X8R8G8B8, D3DFMT_A4L4)                  \
    X(ABGRToX8R8G8B8, D3DFMT_X8R8G8B8, ZELK_FORMAT_ABGR)             \
    X(RGBAToX8R8G8B8, D3DFMT_X8R8G8B8, ZELK_FORMAT_RGBA)             \
    X(BGRAToX8R8G8B8, D3DFMT_X8R8G8B8, ZELK_FORMAT_BGRA)

#define ZELK_RECT_CONVERTERS_16(X)                                   \
    X(R8G8B8ToR5G6B5, D3DFMT_R5G6B5, D3DFMT_R8G8B8)                  \
    X(A8R8G8B8ToR5G6B5, D3DFMT_R5G6B5, D3DFMT_A8R8G8B8)              \
    X(X1R5G5B5ToR5G6B5, D3DFMT_R5G6B5, D3DFMT_X1R5G5B5)              \
    X(A4R4G4B4ToR5G6B5, D3DFMT_R5G6B5, D3DFMT_A4R4G4B4)              \
    X(R3G3B2ToR5G6B5, D3DFMT_R5G6B5, D3DFMT_R3G3B2)                  \
    X(A8ToR5G6B5, D3DFMT_R5G6B5, D3DFMT_A8)                          \
    X(A8R3G3B2ToR5G6B5, D3DFMT_R5G6B5, D3DFMT_A8R3G3B2)              \
    X(A2B10G10R10ToR5G6B5, D3DFMT_R5G6B5, D3DFMT_A2B10G10R10)        \
    X(G16R16ToR5G6B5, D3DFMT_R5G6B5, D3DFMT_G16R16)                  \
    X(A8P8ToR5G6B5, D3DFMT_R5G6B5, D3DFMT_A8P8)                      \
    X(P8ToR5G6B5, D3DFMT_R5G6B5, D3DFMT_P8)                          \
    X(L8ToR5G6B5, D3DFMT_R5G6B5, D3DFMT_L8)                          \
    X(A8L8ToR5G6B5, D3DFMT_R5G6B5, D3DFMT_A8L8)                      \
    X(A4L4ToR5G6B5, D3DFMT_R5G6B5, D3DFMT_A4L4)                      \
    X(ABGRToR5G6B5, D3DFMT_R5G6B5, ZELK_FORMAT_ABGR)                 \
    X(RGBAToR5G6B5, D3DFMT_R5G6B5, ZELK_FORMAT_RGBA)                 \
    X(BGRAToR5G6B5, D3DFMT_R5G6B5, ZELK_FORMAT_BGRA)                 \
                                                                     \
    X(R8G8B8ToX1R5G5B5, D3DFMT_X1R5G5B5, D3DFMT_R8G8B8)              \
    X(A8R8G8B8ToX1R5G5B5, D3DFMT_X1R5G5B5, D3DFMT_A8R8G8B8)          \
    X(R5G6B5ToX1R5G5B5, D3DFMT_X1R5G5B5, D3DFMT_R5G6B5)              \
    X(A4R4G4B4ToX1R5G5B5, D3DFMT_X1R5G5B5, D3DFMT_A4R4G4B4)          \
    X(R3G3B2ToX1R5G5B5, D3DFMT_X1R5G5B5, D3DFMT_R3G3B2)              \
    X(A8ToX1R5G5B5, D3DFMT_X1R5G5B5, D3DFMT_A8)                      \
    X(A8R3G3B2ToX1R5G5B5, D3DFMT_X1R5G5B5, D3DFMT_A8R3G3B2)          \
    X(A2B10G10R10ToX1R5G5B5, D3DFMT_X1R5G5B5, D3DFMT_A2B10G10R10)    \
    X(G16R16ToX1R5G5B5, D3DFMT_X1R5G5B5, D3DFMT_G16R16)              \
    X(A8P8ToX1R5G5B5, D3DFMT_X1R5G5B5, D3DFMT_A8P8)                  \
    X(P8ToX1R5G5B5, D3DFMT_X1R5G5B5, D3DFMT_P8)                      \
    X(L8ToX1R5G5B5, D3DFMT_X1R5G5B5, D3DFMT_L8)                      \
    X(A8L8ToX1R5G5B5, D3DFMT_X1R5G5B5, D3DFMT_A8L8)                  \
    X(A4L4ToX1R5G5B5, D3DFMT_X1R5G5B5, D3DFMT_A4L4)                  \
    X(ABGRToX1R5G5B5, D3DFMT_X1R5G5B5, ZELK_FORMAT_ABGR)             \
    X(RGBAToX1R5G5B5, D3DFMT_X1R5G5B5, ZELK_FORMAT_RGBA)             \
    X(BGRAToX1R5G5B5, D3DFMT_X1R5G5B5, ZELK_FORMAT_BGRA)             \
                                                                     \
    X(R8G8B8ToA1R5G5B5, D3DFMT_A1R5G5B5, D3DFMT_R8G8B8)              \
    X(A8R8G8B8ToA1R5G5B5, D3DFMT_A1R5G5B5, D3DFMT_A8R8G8B8)          \
    X(X8R8G8B8ToA1R5G5B5, D3DFMT_A1R5G5B5, D3DFMT_X8R8G8B8)          \
    X(R5G6B5ToA1R5G5B5, D3DFMT_A1R5G5B5, D3DFMT_R5G6B5)              \
    X(X1R5G5B5ToA1R5G5B5, D3DFMT_A1R5G5B5, D3DFMT_X1R5G5B5)          \
    X(A4R4G4B4ToA1R5G5B5, D3DFMT_A1R5G5B5, D3DFMT_A4R4G4B4)          \
    X(R3G3B2ToA1R5G5B5, D3DFMT_A1R5G5B5, D3DFMT_R3G3B2)              \
    X(A8ToA1R5G5B5, D3DFMT_A1R5G5B5, D3DFMT_A8)                      \
    X(A8R3G3B2ToA1R5G5B5, D3DFMT_A1R5G5B5, D3DFMT_A8R3G3B2)          \
    X(X4R4G4B4ToA1R5G5B5, D3DFMT_A1R5G5B5, D3DFMT_X4R4G4B4)          \
    X(A2B10G10R10ToA1R5G5B5, D3DFMT_A1R5G5B5, D3DFMT_A2B10G10R10)    \
    X(G16R16ToA1R5G5B5, D3DFMT_A1R5G5B5, D3DFMT_G16R16)              \
    X(A8P8ToA1R5G5B5, D3DFMT_A1R5G5B5, D3DFMT_A8P8)                  \
    X(P8ToA1R5G5B5, D3DFMT_A1R5G5B5, D3DFMT_P8)                      \
    X(L8ToA1R5G5B5, D3DFMT_A1R5G5B5, D3DFMT_L8)                      \
    X(A8L8ToA1R5G5B5, D3DFMT_A1R5G5B5, D3DFMT_A8L8)                  \
    X(A4L4ToA1R5G5B5, D3DFMT_A1R5G5B5, D3DFMT_A4L4)                  \
    X(ABGRToA1R5G5B5, D3DFMT_A1R5G5B5, ZELK_FORMAT_ABGR)             \
    X(RGBAToA1R5G5B5, D3DFMT_A1R5G5B5, ZELK_FORMAT_RGBA)             \
    X(BGRAToA1R5G5B5, D3DFMT_A1R5G5B5, ZELK_FORMAT_BGRA)             \
                                                                     \
    X(R8G8B8ToA4R4G4B4, D3DFMT_A4R4G4B4, D3DFMT_R8G8B8)              \
    X(A8R8G8B8ToA4R4G4B4, D3DFMT_A4R4G4B4, D3DFMT_A8R8G8B8)          \
    X(X8R8G8B8ToA4R4G4B4, D3DFMT_A4R4G4B4, D3DFMT_X8R8G8B8)          \
    X(R5G6B5ToA4R4G4B4, D3DFMT_A4R4G4B4, D3DFMT_R5G6B5)              \
    X(X1R5G5B5ToA4R4G4B4, D3DFMT_A4R4G4B4, D3DFMT_X1R5G5B5)          \
    X(A1R5G5B5ToA4R4G4B4, D3DFMT_A4R4G4B4, D3DFMT_A1R5G5B5)          \
    X(R3G3B2ToA4R4G4B4, D3DFMT_A4R4G4B4, D3DFMT_R3G3B2)              \
    X(A8ToA4R4G4B4, D3DFMT_A4R4G4B4, D3DFMT_A8)                      \
    X(A8R3G3B2ToA4R4G4B4, D3DFMT_A4R4G4B4, D3DFMT_A8R3G3B2)          \
    X(X4R4G4B4ToA4R4G4B4, D3DFMT_A4R4G4B4, D3DFMT_X4R4G4B4)          \
    X(A2B10G10R10ToA4R4G4B4, D3DFMT_A4R4G4B4, D3DFMT_A2B10G10R10)    \
    X(G16R16ToA4R4G4B4, D3DFMT_A4R4G4B4, D3DFMT_G16R16)              \
    X(A8P8ToA4R4G4B4, D3DFMT_A4R4G4B4, D3DFMT_A8P8)                  \
    X(P8ToA4R4G4B4, D3DFMT_A4R4G4B4, D3DFMT_P8)                      \
    X(L8ToA4R4G4B4, D3DFMT_A4R4G4B4, D3DFMT_L8)                      \
    X(A8L8ToA4R4G4B4, D3DFMT_A4R4G4B4, D3DFMT_A8L8)                  \
    X(A4L4ToA4R4G4B4, D3DFMT_A4R4G4B4, D3DFMT_A4L4)                  \
    X(ABGRToA4R4G4B4, D3DFMT_A4R4G4B4, ZELK_FORMAT_ABGR)             \
    X(RGBAToA4R4G4B4, D3DFMT_A4R4G4B4, ZELK_FORMAT_RGBA)             \
    X(BGRAToA4R4G4B4, D3DFMT_A4R4G4B4, ZELK_FORMAT_BGRA)

// Defines the member ConvertRect_<name> as ConvertRectByRule of its pair.
#define ZELK_DEFINE_RECT_CONVERTER(name, destination, source)                               \
    void ConvertRect_##name(const ZelkGrPixelConverter* converter, const void* sourceBits, \
                            const RECT* sourceRect, int sourcePitch, void* destinationBits, \
                            const POINT* destinationPoint, int destinationPitch) {          \
        ConvertRectByRule<destination, source>(converter, sourceBits, sourceRect,          \
                                               sourcePitch, destinationBits,               \
                                               destinationPoint, destinationPitch);        \
    }

ZELK_RECT_CONVERTERS_32(ZELK_DECLARE_RECT_CONVERTER)
ZELK_RECT_CONVERTERS_16(ZELK_DECLARE_RECT_CONVERTER)
// Same-format copies of 4-, 3-, 2- and 1-byte texels: one block when both
// images hold the rectangle's rows back to back, else one block per row.
ZELK_DECLARE_RECT_CONVERTER(Copy32, , )
ZELK_DECLARE_RECT_CONVERTER(Copy24, , )
ZELK_DECLARE_RECT_CONVERTER(Copy16, , )
ZELK_DECLARE_RECT_CONVERTER(Copy8, , )
// Whole-texel copies on the row walk, for a destination whose X field keeps
// the source's alpha: A8R8G8B8 into X8R8G8B8 (4 bytes), and A1R5G5B5 into
// X1R5G5B5 and A4R4G4B4 into X4R4G4B4 (2 bytes).
ZELK_DECLARE_RECT_CONVERTER(A8R8G8B8ToX8R8G8B8, , )
ZELK_DECLARE_RECT_CONVERTER(A1R5G5B5ToX1R5G5B5, , )

}  // namespace zelk
