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
// from): the shared ones (ZelkGrTexelConverters.h) and those without a
// per-texel member of the same name.  X(name, destination, source) defines
// ConvertRect_<name>.
#define ZELK_RECT_CONVERTERS_32(X)                                    \
    ZELK_SHARED_CONVERTERS_32(X)                                      \
    X(A8R8G8B8ToR8G8B8, D3DFMT_R8G8B8, D3DFMT_A8R8G8B8)               \
    X(A8R3G3B2ToR8G8B8, D3DFMT_R8G8B8, D3DFMT_A8R3G3B2)               \
    X(P8ToR8G8B8, D3DFMT_R8G8B8, D3DFMT_P8)                           \
    X(A8L8ToR8G8B8, D3DFMT_R8G8B8, D3DFMT_A8L8)                       \
                                                                      \
    X(X8R8G8B8ToA8R8G8B8, D3DFMT_A8R8G8B8, D3DFMT_X8R8G8B8)           \
                                                                      \
    X(A8ToX8R8G8B8, D3DFMT_X8R8G8B8, D3DFMT_A8)                       \
    X(A8R3G3B2ToX8R8G8B8, D3DFMT_X8R8G8B8, D3DFMT_A8R3G3B2)           \
    X(A8P8ToX8R8G8B8, D3DFMT_X8R8G8B8, D3DFMT_A8P8)                   \
    X(P8ToX8R8G8B8, D3DFMT_X8R8G8B8, D3DFMT_P8)                       \
    X(L8ToX8R8G8B8, D3DFMT_X8R8G8B8, D3DFMT_L8)                       \
    X(A8L8ToX8R8G8B8, D3DFMT_X8R8G8B8, D3DFMT_A8L8)                   \
    X(A4L4ToX8R8G8B8, D3DFMT_X8R8G8B8, D3DFMT_A4L4)

#define ZELK_RECT_CONVERTERS_16(X)                                    \
    ZELK_SHARED_CONVERTERS_16(X)                                      \
    X(A8R8G8B8ToR5G6B5, D3DFMT_R5G6B5, D3DFMT_A8R8G8B8)               \
    X(A8R3G3B2ToR5G6B5, D3DFMT_R5G6B5, D3DFMT_A8R3G3B2)               \
    X(P8ToR5G6B5, D3DFMT_R5G6B5, D3DFMT_P8)                           \
    X(A8L8ToR5G6B5, D3DFMT_R5G6B5, D3DFMT_A8L8)                       \
                                                                      \
    X(A8R8G8B8ToX1R5G5B5, D3DFMT_X1R5G5B5, D3DFMT_A8R8G8B8)           \
    X(A8R3G3B2ToX1R5G5B5, D3DFMT_X1R5G5B5, D3DFMT_A8R3G3B2)           \
    X(P8ToX1R5G5B5, D3DFMT_X1R5G5B5, D3DFMT_P8)                       \
    X(A8L8ToX1R5G5B5, D3DFMT_X1R5G5B5, D3DFMT_A8L8)                   \
                                                                      \
    X(X8R8G8B8ToA1R5G5B5, D3DFMT_A1R5G5B5, D3DFMT_X8R8G8B8)           \
                                                                      \
    X(X8R8G8B8ToA4R4G4B4, D3DFMT_A4R4G4B4, D3DFMT_X8R8G8B8)

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
