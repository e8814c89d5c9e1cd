#pragma once

// The pixel converter: a per-texel and a per-rectangle function chosen once,
// at construction, for a (destination, source) pair of format codes.  Format
// codes are Direct3D 9 D3DFORMAT values plus three colour orders of our own.
#include <windows.h>

#include <cstddef>

namespace zelk {

// 32-bit colour words in other channel orders (sources only).
constexpr DWORD ZELK_FORMAT_ABGR = 800;  // 0xAABBGGRR: bytes R, G, B, A
constexpr DWORD ZELK_FORMAT_RGBA = 801;  // 0xRRGGBBAA: bytes A, B, G, R
constexpr DWORD ZELK_FORMAT_BGRA = 802;  // 0xBBGGRRAA: bytes A, R, G, B

class ZelkGrPixelConverter;

// Converts the one texel at sourceTexel into the texel at destinationTexel.
typedef void (*ConvertTexelProc)(const ZelkGrPixelConverter* converter, const void* sourceTexel,
                                 void* destinationTexel);

// Converts the texels of sourceRect (right and bottom exclusive) into the
// destination image with the rectangle's top-left texel at destinationPoint.
// Pitches are in bytes.
typedef void (*ConvertRectProc)(const ZelkGrPixelConverter* converter, const void* sourceBits,
                                const RECT* sourceRect, int sourcePitch, void* destinationBits,
                                const POINT* destinationPoint, int destinationPitch);

// Declares the per-rectangle member ConvertRect_<name> (for the converter
// lists, which give each member with its pair).
#define ZELK_DECLARE_RECT_CONVERTER(name, destination, source)                              \
    void ConvertRect_##name(const ZelkGrPixelConverter* converter, const void* sourceBits, \
                            const RECT* sourceRect, int sourcePitch, void* destinationBits, \
                            const POINT* destinationPoint, int destinationPitch);

// The functions of a pair without a conversion: they do nothing at all.
void ConvertTexelNone(const ZelkGrPixelConverter* converter, const void* sourceTexel,
                      void* destinationTexel);
void ConvertRectNone(const ZelkGrPixelConverter* converter, const void* sourceBits,
                     const RECT* sourceRect, int sourcePitch, void* destinationBits,
                     const POINT* destinationPoint, int destinationPitch);

// 256 entries of 0, 0, 0, 0: stands in for an absent palette.
extern const PALETTEENTRY ZeroPalette[256];

class ZelkGrPixelConverter {
public:
    // Never fails and allocates nothing; a pair without a conversion keeps
    // ConvertTexelNone and ConvertRectNone.  The palettes (256 entries, or
    // null) are not copied and must outlive every conversion.
    ZelkGrPixelConverter(DWORD sourceFormat, DWORD destinationFormat,
                         const PALETTEENTRY* sourcePalette, const PALETTEENTRY* destinationPalette,
                         DWORD fillColor);
    ZelkGrPixelConverter(const ZelkGrPixelConverter& other) = default;
    ZelkGrPixelConverter& operator=(const ZelkGrPixelConverter& other) = default;
    virtual ~ZelkGrPixelConverter();

    ConvertTexelProc ConvertTexel;
    ConvertRectProc ConvertRect;
    const PALETTEENTRY* SourcePalette;       // never null
    const PALETTEENTRY* DestinationPalette;  // never null; stored, read by no conversion
    DWORD FillColor;                         // 0xAARRGGBB for channels a source lacks
    DWORD FillAlphaBit;                      // 1 when FillColor's alpha byte is not 0
};

// One (destination, source) pair with its two functions.
struct ZelkGrConverterChoice {
    DWORD destination;
    DWORD source;
    ConvertTexelProc texel;
    ConvertRectProc rect;
};

// A table entry: the pair and its members ConvertTexel_<texel> and
// ConvertRect_<rect>.
#define ZELK_CONVERTER_CHOICE(destination, source, texel, rect) \
    {destination, source, ConvertTexel_##texel, ConvertRect_##rect}

// The pairs of the destinations R3G3B2, A8, A8R3G3B2, X4R4G4B4, A8P8, P8 and
// A8L8 (defined with those converters, in ZelkGrNarrowFormatConverters.cpp).
const ZelkGrConverterChoice* GetNarrowFormatConverterChoices(size_t* count);

}  // namespace zelk
