#pragma once

// Pixel layouts of the frame-buffer conversions and the one template that
// turns a pair of layouts into a row converter.
//
// A layout decodes its pixel into 8-bit channels (narrow fields widened by a
// shift with zero low bits) and encodes channels back (narrowed by keeping
// the top bits).  A 1-bit alpha decodes to 0xFF or 0 and encodes as
// (alpha != 0).  Parts a layout does not carry decode from the accessor's
// working alpha.  Layouts that keep part of the destination pixel (the
// depth half of the RGB:DEPTH pixels, the colour of an alpha-only write)
// read the destination pixel before they store it.
#include <windows.h>

#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "lfb/ZelkGrLfbAccessor.h"
#include "pixelformat/ZelkGrRowWalk.h"

namespace zelk {
namespace lfblayout {

// The accessor's working values a layout may decode from, taken once per
// conversion so the pixel loop keeps them in registers.
struct Working {
    uint32_t alpha;
    uint32_t alphaNonZero;
    uint32_t color;
    uint32_t depth;
    explicit Working(const ZelkGrLfbAccessor* a)
        : alpha(a->workingAlpha & 0xFFu),
          alphaNonZero(a->workingAlphaNonZero & 1u),
          color(a->workingColor),
          depth(a->workingDepth) {}
};

struct Channels {
    uint32_t r = 0;
    uint32_t g = 0;
    uint32_t b = 0;
    uint32_t a = 0;
    uint32_t raw = 0;  // a 16-bit value moved unchanged (depth, plain copies)
};

// A field of Bits bits at Pos, widened to 8 bits / narrowed from 8 bits.
template <int Pos, int Bits>
inline uint32_t Widen(uint32_t p) {
    return ((p >> Pos) & ((1u << Bits) - 1u)) << (8 - Bits);
}
template <int Pos, int Bits>
inline uint32_t Narrow(uint32_t v) {
    return ((v & 0xFFu) >> (8 - Bits)) << Pos;
}

// Red, green and blue fields; Bits 0 means the layout has no colour.
template <int RPos, int RBits, int GPos, int GBits, int BPos, int BBits>
struct Rgb {
    static void Decode(uint32_t p, Channels& c) {
        c.r = Widen<RPos, RBits>(p);
        c.g = Widen<GPos, GBits>(p);
        c.b = Widen<BPos, BBits>(p);
    }
    static uint32_t Encode(const Channels& c) {
        return Narrow<RPos, RBits>(c.r) | Narrow<GPos, GBits>(c.g) | Narrow<BPos, BBits>(c.b);
    }
};
struct NoRgb {
    static void Decode(uint32_t, Channels&) {}
    static uint32_t Encode(const Channels&) { return 0; }
};

// Alpha policies.
struct AlphaWorking {  // no alpha field: decodes the working alpha, encodes 0
    static uint32_t Decode(uint32_t, const Working& w) { return w.alpha; }
    static uint32_t Encode(uint32_t) { return 0; }
};
template <int Pos>
struct Alpha8 {
    static uint32_t Decode(uint32_t p, const Working&) { return (p >> Pos) & 0xFFu; }
    static uint32_t Encode(uint32_t a) { return (a & 0xFFu) << Pos; }
};
template <int Pos>
struct Alpha1 {
    static uint32_t Decode(uint32_t p, const Working&) {
        return (0u - ((p >> Pos) & 1u)) & 0xFFu;
    }
    static uint32_t Encode(uint32_t a) { return uint32_t((a & 0xFFu) != 0) << Pos; }
};
// A 1-bit alpha ORed with the working alpha flag on the way in.
template <int Pos>
struct Alpha1OrWorking {
    static uint32_t Decode(uint32_t p, const Working& w) {
        return (0u - (((p >> Pos) | w.alphaNonZero) & 1u)) & 0xFFu;
    }
    static uint32_t Encode(uint32_t a) { return uint32_t((a & 0xFFu) != 0) << Pos; }
};

// A colour layout of Size bytes; KeepHigh keeps bits 31-16 of the
// destination (the depth half of the RGB:DEPTH pixels) and decodes only
// bits 15-0.
template <unsigned Size, class Fields, class Alpha, bool KeepHigh = false>
struct Layout {
    static constexpr unsigned kSize = Size;
    static constexpr bool kReadsDestination = KeepHigh;
    static Channels Decode(uint32_t p, const Working& w) {
        if (KeepHigh) {
            p &= 0xFFFFu;
        }
        Channels c;
        Fields::Decode(p, c);
        c.a = Alpha::Decode(p, w);
        return c;
    }
    static uint32_t Encode(const Channels& c, uint32_t old) {
        const uint32_t v = Fields::Encode(c) | Alpha::Encode(c.a);
        return KeepHigh ? (old & 0xFFFF0000u) | v : v;
    }
};

// Field sets by colour order.
using Fields8888Argb = Rgb<16, 8, 8, 8, 0, 8>;
using Fields8888Abgr = Rgb<0, 8, 8, 8, 16, 8>;
using Fields8888Rgba = Rgb<24, 8, 16, 8, 8, 8>;
using Fields8888Bgra = Rgb<8, 8, 16, 8, 24, 8>;
using Fields565Argb = Rgb<11, 5, 5, 6, 0, 5>;
using Fields565Abgr = Rgb<0, 5, 5, 6, 11, 5>;
using Fields555Argb = Rgb<10, 5, 5, 5, 0, 5>;
using Fields555Abgr = Rgb<0, 5, 5, 5, 10, 5>;
using Fields555Rgba = Rgb<11, 5, 6, 5, 1, 5>;
using Fields555Bgra = Rgb<1, 5, 6, 5, 11, 5>;

// Surfaces.
using SurfA8R8G8B8 = Layout<4, Fields8888Argb, Alpha8<24>>;
using SurfX8R8G8B8 = Layout<4, Fields8888Argb, AlphaWorking>;  // alpha from the working value
using SurfR5G6B5 = Layout<2, Fields565Argb, AlphaWorking>;
using SurfX1R5G5B5 = Layout<2, Fields555Argb, AlphaWorking>;     // bit 15 read as nothing
using SurfA1R5G5B5 = Layout<2, Fields555Argb, Alpha1<15>>;       // bit 15 as alpha
using SurfX1R5G5B5OrWorking = Layout<2, Fields555Argb, Alpha1OrWorking<15>>;

// Frame-buffer pixels by write mode and colour order.
using Lfb565Argb = Layout<2, Fields565Argb, AlphaWorking>;
using Lfb565Abgr = Layout<2, Fields565Abgr, AlphaWorking>;
using Lfb555Argb = Layout<2, Fields555Argb, AlphaWorking>;
using Lfb555Abgr = Layout<2, Fields555Abgr, AlphaWorking>;
using Lfb555Rgba = Layout<2, Fields555Rgba, AlphaWorking>;
using Lfb555Bgra = Layout<2, Fields555Bgra, AlphaWorking>;
using Lfb1555Argb = Layout<2, Fields555Argb, Alpha1<15>>;
using Lfb1555Abgr = Layout<2, Fields555Abgr, Alpha1<15>>;
using Lfb1555Rgba = Layout<2, Fields555Rgba, Alpha1<0>>;
using Lfb1555Bgra = Layout<2, Fields555Bgra, Alpha1<0>>;
using Lfb888Argb = Layout<4, Fields8888Argb, AlphaWorking>;  // spare byte written 0
using Lfb888Abgr = Layout<4, Fields8888Abgr, AlphaWorking>;
using Lfb888Rgba = Layout<4, Fields8888Rgba, AlphaWorking>;
using Lfb888Bgra = Layout<4, Fields8888Bgra, AlphaWorking>;
using Lfb8888Argb = Layout<4, Fields8888Argb, Alpha8<24>>;
using Lfb8888Abgr = Layout<4, Fields8888Abgr, Alpha8<24>>;
using Lfb8888Rgba = Layout<4, Fields8888Rgba, Alpha8<0>>;
using Lfb8888Bgra = Layout<4, Fields8888Bgra, Alpha8<0>>;
using Lfb565DepthArgb = Layout<4, Fields565Argb, AlphaWorking, true>;
using Lfb565DepthAbgr = Layout<4, Fields565Abgr, AlphaWorking, true>;
using Lfb555DepthArgb = Layout<4, Fields555Argb, AlphaWorking, true>;
using Lfb555DepthAbgr = Layout<4, Fields555Abgr, AlphaWorking, true>;
using Lfb555DepthRgba = Layout<4, Fields555Rgba, AlphaWorking, true>;
using Lfb555DepthBgra = Layout<4, Fields555Bgra, AlphaWorking, true>;
using Lfb555DepthArgbOrWorking = Layout<4, Fields555Argb, Alpha1OrWorking<15>, true>;
using Lfb1555DepthArgb = Layout<4, Fields555Argb, Alpha1<15>, true>;
using Lfb1555DepthAbgr = Layout<4, Fields555Abgr, Alpha1<15>, true>;
using Lfb1555DepthRgba = Layout<4, Fields555Rgba, Alpha1<0>, true>;
using Lfb1555DepthBgra = Layout<4, Fields555Bgra, Alpha1<0>, true>;
// The alpha buffer's mode: alpha in bits 7-0, no colour.
using LfbAlpha = Layout<2, NoRgb, Alpha8<0>>;

// The alpha bits of a surface pixel alone, for the alpha buffer's pixels:
// every other bit of the destination stays as it was.
template <unsigned Size, class Alpha, uint32_t KeepMask>
struct AlphaBitsOf {
    static constexpr unsigned kSize = Size;
    static constexpr bool kReadsDestination = true;
    static uint32_t Encode(const Channels& c, uint32_t old) { return (old & KeepMask) | Alpha::Encode(c.a); }
};
using SurfAlphaOfA8R8G8B8 = AlphaBitsOf<4, Alpha8<24>, 0x00FFFFFFu>;
using SurfAlphaOfA1R5G5B5 = AlphaBitsOf<2, Alpha1<15>, 0x7FFFu>;

// Sources that carry no colour: the pixel takes the working colour (alpha
// in bits 31-24); ZA16 pixels are not read at all.
struct WorkingColour {
    static constexpr unsigned kSize = 2;
    static Channels Decode(uint32_t, const Working& w) {
        Channels c;
        c.r = (w.color >> 16) & 0xFFu;
        c.g = (w.color >> 8) & 0xFFu;
        c.b = w.color & 0xFFu;
        c.a = w.color >> 24;
        return c;
    }
};

// 16-bit values moved unchanged: the low half of a 4-byte pixel, a 2-byte
// pixel, or the depth half of an RGB:DEPTH pixel.
struct Raw16 {
    static constexpr unsigned kSize = 2;
    static constexpr bool kReadsDestination = false;
    static Channels Decode(uint32_t p, const Working&) {
        Channels c;
        c.raw = p & 0xFFFFu;
        return c;
    }
    static uint32_t Encode(const Channels& c, uint32_t) { return c.raw; }
};
struct RawLow16Of32 {  // bits 15-0 of a 4-byte pixel; bits 31-16 kept
    static constexpr unsigned kSize = 4;
    static constexpr bool kReadsDestination = true;
    static Channels Decode(uint32_t p, const Working&) {
        Channels c;
        c.raw = p & 0xFFFFu;
        return c;
    }
    static uint32_t Encode(const Channels& c, uint32_t old) {
        return (old & 0xFFFF0000u) | c.raw;
    }
};
struct DepthHigh16Of32 {  // bits 31-16 of a 4-byte pixel; bits 15-0 kept
    static constexpr unsigned kSize = 4;
    static constexpr bool kReadsDestination = true;
    static Channels Decode(uint32_t p, const Working&) {
        Channels c;
        c.raw = p >> 16;
        return c;
    }
    static uint32_t Encode(const Channels& c, uint32_t old) {
        return (old & 0xFFFFu) | c.raw << 16;
    }
};

// 32-bit float depth in [0, 1], converted in integers so that the result
// does not depend on the precision the x87 unit was left in.  Writing gives
// the float nearest z x k16, k16 = 65537 / 2^32 being the float nearest
// 1/65535 (so 0xFFFF gives 1.0).  Reading gives the largest depth whose
// write is no greater than the float: trunc(float x 65535), one more where
// the next depth's write is still no greater (k16 lies just below 1/65535,
// so a written depth alone would often come back one lower).  NaN and
// negative values read as 0, values from 1.0 up as 0xFFFF.

// The float nearest p / 2^32 (p > 0, below 2^40), rounded to nearest even,
// as its bits.
inline uint32_t FloatBitsOfFraction32(uint64_t p) {
    int length = 64 - __builtin_clzll(p);  // significant bits of p
    uint64_t q;
    if (length > 24) {
        const int shift = length - 24;
        const uint64_t rest = p & ((uint64_t(1) << shift) - 1u);
        const uint64_t half = uint64_t(1) << (shift - 1);
        q = p >> shift;
        if (rest > half || (rest == half && (q & 1u))) {
            ++q;
        }
        if (q == (uint64_t(1) << 24)) {
            q >>= 1;
            ++length;
        }
    } else {
        q = p << (24 - length);
    }
    // value = q x 2^(length - 24 - 32), q in [2^23, 2^24).
    return uint32_t(length + 94) << 23 | (uint32_t(q) & 0x7FFFFFu);
}
inline uint32_t DepthToFloatBits(uint32_t z) {
    return z == 0 ? 0u : FloatBitsOfFraction32(uint64_t(z) * 65537u);
}
inline uint32_t FloatBitsToDepth(uint32_t bits) {
    if (bits >= 0x7F800001u) {  // negative (sign set) or NaN
        return 0;
    }
    if (bits >= 0x3F800000u) {  // 1.0 and above, infinity
        return 0xFFFFu;
    }
    const uint32_t exponent = bits >> 23;
    const uint64_t mantissa = (bits & 0x7FFFFFu) | (exponent ? 0x800000u : 0u);
    const uint32_t shift = 150 - (exponent ? exponent : 1);  // value = mantissa / 2^shift, shift >= 24
    uint32_t z = shift >= 64 ? 0u : uint32_t((mantissa * 65535u) >> shift);
    if (z < 0xFFFFu && DepthToFloatBits(z + 1) <= bits) {
        ++z;
    }
    return z;
}
struct DepthFloat {
    static constexpr unsigned kSize = 4;
    static constexpr bool kReadsDestination = false;
    static Channels Decode(uint32_t p, const Working&) {
        Channels c;
        c.raw = FloatBitsToDepth(p);
        return c;
    }
    static uint32_t Encode(const Channels& c, uint32_t) { return DepthToFloatBits(c.raw); }
};

// The constant depth of writes in modes without depth: the 16-bit value,
// or as a float that value / 65536 (exact).  The frame-buffer pixels are
// not read.
struct WorkingDepth {
    static constexpr unsigned kSize = 2;
    static Channels Decode(uint32_t, const Working& w) {
        Channels c;
        c.raw = w.depth >> 16;
        return c;
    }
};
struct WorkingDepthOver65536 {
    static constexpr unsigned kSize = 2;
    static Channels Decode(uint32_t, const Working& w) {
        Channels c;
        c.raw = (w.depth >> 16) == 0 ? 0u : FloatBitsOfFraction32(uint64_t(w.depth >> 16) << 16);
        return c;
    }
};
struct Raw32 {
    static constexpr unsigned kSize = 4;
    static constexpr bool kReadsDestination = false;
    static uint32_t Encode(const Channels& c, uint32_t) { return c.raw; }
};

// The base address that makes the shared row walk (which starts at
// bits + top x pitch) start these buffers at row top x |pitch|, from where a
// negative pitch walks upwards.
inline const uint8_t* RowBase(const void* bits, LONG top, int pitch) {
    return static_cast<const uint8_t*>(bits) + ptrdiff_t(top) * (ptrdiff_t(std::abs(pitch)) - pitch);
}
inline uint8_t* RowBase(void* bits, LONG top, int pitch) {
    return static_cast<uint8_t*>(bits) + ptrdiff_t(top) * (ptrdiff_t(std::abs(pitch)) - pitch);
}

template <class Src, class Dst>
inline void ConvertPixel(const Working& w, const uint8_t* s, uint8_t* d) {
    const uint32_t old = Dst::kReadsDestination ? LoadTexel<Dst::kSize>(d) : 0u;
    StoreTexel<Dst::kSize>(d, Dst::Encode(Src::Decode(LoadTexel<Src::kSize>(s), w), old));
}

// The row converter of a pair of layouts.
template <class Src, class Dst>
void ConvertRows(const ZelkGrLfbAccessor* a, const void* sourceBits, const RECT* sourceRect,
                 int sourcePitch, void* destinationBits, const POINT* destinationPoint,
                 int destinationPitch) {
    const Working w(a);
    WalkRect<Src::kSize, Dst::kSize>(
        RowBase(sourceBits, sourceRect->top, sourcePitch), sourceRect, sourcePitch,
        RowBase(destinationBits, destinationPoint->y, destinationPitch), destinationPoint,
        destinationPitch,
        [w](const uint8_t* s, uint8_t* d) { ConvertPixel<Src, Dst>(w, s, d); });
}

// Its one-pixel form.
template <class Src, class Dst>
void ConvertOnePixel(const ZelkGrLfbAccessor* a, const void* source, void* destination) {
    ConvertPixel<Src, Dst>(Working(a), static_cast<const uint8_t*>(source),
                           static_cast<uint8_t*>(destination));
}

// Plain copy of Size-byte pixels: one block when the rows lie back to back in
// both buffers, else one block per row.
template <unsigned Size>
void CopyRows(const ZelkGrLfbAccessor*, const void* sourceBits, const RECT* sourceRect,
              int sourcePitch, void* destinationBits, const POINT* destinationPoint,
              int destinationPitch) {
    CopyRect<Size>(RowBase(sourceBits, sourceRect->top, sourcePitch), sourceRect, sourcePitch,
                   RowBase(destinationBits, destinationPoint->y, destinationPitch),
                   destinationPoint, destinationPitch);
}
template <unsigned Size>
void CopyOnePixel(const ZelkGrLfbAccessor*, const void* source, void* destination) {
    std::memcpy(destination, source, Size);
}

}  // namespace lfblayout
}  // namespace zelk
