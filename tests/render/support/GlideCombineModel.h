#pragma once

// An independent model of Glide's colour, alpha and texture combine units,
// per channel in floating point, for checking what the shader paths draw.
#include <windows.h>

#include <algorithm>
#include <cmath>
#include <cstdint>

namespace zelktest {

struct Rgba {
    float c[4];  // red, green, blue, alpha in 0..1
    static Rgba FromArgb(D3DCOLOR argb)
    {
        return {{((argb >> 16) & 0xFF) / 255.0f, ((argb >> 8) & 0xFF) / 255.0f, (argb & 0xFF) / 255.0f,
                 ((argb >> 24) & 0xFF) / 255.0f}};
    }
    D3DCOLOR ToArgb() const
    {
        auto byte = [](float v) { return static_cast<D3DCOLOR>(std::min(1.0f, std::max(0.0f, v)) * 255.0f + 0.5f); };
        return (byte(c[3]) << 24) | (byte(c[0]) << 16) | (byte(c[1]) << 8) | byte(c[2]);
    }
};

// One combine unit: function, factor, invert (and for the final combine the
// local and other selections).
struct GlideUnit {
    uint32_t function = 1;
    uint32_t factor = 0;
    uint32_t local = 0;
    uint32_t other = 0;
    uint32_t invert = 0;
};

inline float GlideFunction(uint32_t function, float f, float local, float other, float localAlpha)
{
    switch (function) {
    case 0: return 0.0f;
    case 1: return local;
    case 2: return localAlpha;
    case 3: return f * other;
    case 4: return f * other + local;
    case 5: return f * other + localAlpha;
    case 6: return f * (other - local);
    case 7: return f * (other - local) + local;
    case 8: return f * (other - local) + localAlpha;
    case 9: return local - f * local;
    case 16: return localAlpha - f * local;
    default: return 0.0f;
    }
}

// The inputs a unit's factor can name.  textureRgb and textureAlpha are the
// texture output in the final combine, and the level-of-detail fraction and
// detail factor in a texture unit.
struct GlideFactorInputs {
    Rgba local;       // the colour local (rgb) and the alpha local (a)
    Rgba other;       // the colour other (rgb) and the alpha other (a)
    Rgba texture;     // final combine: texture output
    bool textureUnit; // true: factor 4 is the detail factor, 5 the LOD fraction
    float detail;
    float lodFraction;
};

inline float GlideFactor(uint32_t factor, int channel, const GlideFactorInputs& in)
{
    if (factor == 0) return 0.0f;
    if (factor == 8) return 1.0f;
    const bool complement = factor > 8;
    float value = 0.0f;
    switch (complement ? factor - 8 : factor) {
    case 1: value = in.local.c[channel]; break;
    case 2: value = in.other.c[3]; break;
    case 3: value = in.local.c[3]; break;
    case 4: value = in.textureUnit ? in.detail : in.texture.c[3]; break;
    case 5: value = in.textureUnit ? in.lodFraction : in.texture.c[channel]; break;
    default: return 0.0f;
    }
    return complement ? 1.0f - value : value;
}

// Colour half on red, green and blue, alpha half on alpha.
inline Rgba GlideCombine(const GlideUnit& color, const GlideUnit& alpha, const GlideFactorInputs& in)
{
    Rgba out;
    for (int ch = 0; ch < 4; ++ch) {
        const GlideUnit& unit = ch < 3 ? color : alpha;
        const float f = GlideFactor(unit.factor, ch, in);
        float v = GlideFunction(unit.function, f, in.local.c[ch], in.other.c[ch], in.local.c[3]);
        v = std::min(1.0f, std::max(0.0f, v));
        out.c[ch] = unit.invert ? 1.0f - v : v;
    }
    return out;
}

struct GlidePixelInputs {
    Rgba iterated;           // vertex colour and alpha
    Rgba constant;           // grConstantColorValue
    Rgba texel[2];           // texels of TMU 0 and 1
    float detail = 0.0f;     // detail factor of TMU 0
    float lodFraction = 1.0f;
    bool chromakey = false;
    D3DCOLOR chromakeyColor = 0;  // RGB compared with TMU 0's texel
    bool itrgbLighting = false;
};

struct GlidePipeline {
    GlideUnit color{1, 0, 1, 2, 0};
    GlideUnit alpha{1, 0, 1, 2, 0};
    GlideUnit tmuColor[2];
    GlideUnit tmuAlpha[2];
};

inline bool GlideTexturesUsed(const GlidePipeline& p)
{
    return p.color.other == 1 || p.alpha.other == 1 || p.color.factor == 4 || p.color.factor == 5 ||
           p.color.factor == 12 || p.alpha.factor == 4 || p.alpha.factor == 12;
}

// The pixel's colour and alpha before fog and blending; a chroma-keyed
// pixel comes out as all zero.
inline Rgba GlidePixel(const GlidePipeline& p, const GlidePixelInputs& in)
{
    const Rgba zero = {{0, 0, 0, 0}};
    Rgba upstream = zero;  // the highest TMU has no other input
    for (int unit = 1; unit >= 0; --unit) {
        GlideFactorInputs fi{in.texel[unit], upstream, zero, true, unit == 0 ? in.detail : 0.0f, in.lodFraction};
        upstream = GlideCombine(p.tmuColor[unit], p.tmuAlpha[unit], fi);
    }
    const Rgba texture = upstream;
    const bool used = GlideTexturesUsed(p);
    auto select = [&](uint32_t selector, bool local) -> Rgba {
        switch (selector) {
        case 0: return in.iterated;
        case 1: return local ? in.constant : texture;
        case 2: return local ? zero : in.constant;
        default: return zero;
        }
    };
    Rgba colorLocal = select(p.color.local, true);
    if (in.itrgbLighting) {
        colorLocal = used && texture.c[3] >= 128.0f / 255.0f ? in.constant : in.iterated;
    }
    const Rgba alphaLocal = select(p.alpha.local, true);
    const Rgba colorOther = select(p.color.other, false);
    const Rgba alphaOther = select(p.alpha.other, false);
    GlideFactorInputs fi;
    fi.local = {{colorLocal.c[0], colorLocal.c[1], colorLocal.c[2], alphaLocal.c[3]}};
    fi.other = {{colorOther.c[0], colorOther.c[1], colorOther.c[2], alphaOther.c[3]}};
    fi.texture = texture;
    fi.textureUnit = false;
    fi.detail = 0.0f;
    fi.lodFraction = 0.0f;
    Rgba out = GlideCombine(p.color, p.alpha, fi);
    if (in.chromakey && used) {
        const Rgba key = Rgba::FromArgb(in.chromakeyColor);
        bool same = true;
        for (int ch = 0; ch < 3; ++ch) {
            same = same && std::abs(key.c[ch] - in.texel[0].c[ch]) < 0.5f / 255.0f;
        }
        if (same) {
            out = zero;
        }
    }
    return out;
}

}  // namespace zelktest
