#pragma once

// Pieces shared by the two converter sets: the variant dimensions, the
// instantiation table and the guarded float-to-integer conversions.
#include "render/ZelkGrVertexConverters.h"

#include <cmath>
#include <cstdint>
#include <utility>

namespace zelk {
namespace convert_detail {

enum Origin : unsigned { ORIGIN_LOWERLEFT = 0, ORIGIN_UPPERLEFT = 1 };
enum DepthType : unsigned { DEPTHTYPE_DISABLE = 0, DEPTHTYPE_Z = 1, DEPTHTYPE_W = 2 };
enum DetailFactor : unsigned { DETAILFACTOR_DISABLE = 0, DETAILFACTOR_ENABLE = 1 };
enum FogType : unsigned { FOGTYPE_DISABLE = 0, FOGTYPE_ALPHA = 1, FOGTYPE_TABLE = 2 };
enum TexCoord : unsigned { TEXCOORD_DISABLE = 0, TEXCOORD_ENABLE = 1 };

constexpr float kSnapThreshold = 65536.0f;
constexpr float kDepthReciprocal = 1.0f / 65535.0f;
// rhw is oow times the depth scale, limited to 1 .. kRhwLimit times the depth
// scale: a program that neither textures, fogs nor w-buffers need not set
// oow, and a left-over infinite or huge value must still give a finite rhw.
constexpr float kRhwLimit = 16.0f;

// 64 / ln 65536, worked out in extended precision and kept as a float.
inline float InitFogIndexScale()
{
    return static_cast<float>(64.0L / std::log(65536.0L));
}

// A screen coordinate's snap offset: the truncated value with its low 16 bits
// cleared.  Values outside 0..2^32-1 (and NaN) are limited first.
inline std::uint32_t SnapOffset(float v)
{
    if (!(v > 0.0f)) return 0;
    if (v >= 4294967295.0f) return 0xFFFF0000u;
    return static_cast<std::uint32_t>(v) & 0xFFFF0000u;
}

// A colour channel as a byte: truncated, limited to 0..255, NaN as 0.
inline std::uint32_t ChannelByte(float v)
{
    if (!(v > 0.0f)) return 0;
    if (v >= 255.0f) return 255;
    return static_cast<std::uint32_t>(v);
}

// The depth of a w-buffered vertex for a depth buffer that compares z:
// 1 - oow, which runs linearly across the screen as z does and grows with w,
// limited to 0..1 (w below 1 is nearest, w infinite farthest; an oow that is
// not a number counts as w 1).  A device with a w-buffer of its own compares
// w and ignores it.
inline float WDepth(float oow)
{
    const float z = 1.0f - oow;
    if (!(z > 0.0f)) return 0.0f;
    return z < 1.0f ? z : 1.0f;
}

// The stage's w source: 0 TMU 0, 1 TMU 1, anything else the vertex.
inline unsigned WSource(std::uint32_t activeW) { return activeW < 2 ? activeW : 2; }
inline unsigned STSource(std::uint32_t activeST) { return activeST == 1 ? 1 : 0; }

// Variant index i -> the template instantiation Converter<o, d, e, f, t>.
template <template <unsigned, unsigned, unsigned, unsigned, unsigned> class Converter>
struct ConverterTable {
    template <unsigned I>
    static constexpr ZelkGrConvertVerticesProc Entry()
    {
        return &Converter<I / 36, (I / 12) % 3, (I / 6) % 2, (I / 2) % 3, I % 2>::Convert;
    }
    template <unsigned... I>
    static constexpr auto Build(std::integer_sequence<unsigned, I...>)
    {
        struct Table { ZelkGrConvertVerticesProc entries[sizeof...(I)]; };
        return Table{{Entry<I>()...}};
    }
};

}  // namespace convert_detail
}  // namespace zelk
