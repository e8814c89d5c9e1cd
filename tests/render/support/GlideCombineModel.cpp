#include "GlideCombineModel.h"

#include <algorithm>

namespace zelktest {
namespace {

float Clamp01(float v) { return std::min(1.0f, std::max(0.0f, v)); }

// f(local, other) of one side; la is the local alpha (the side's own local on
// the alpha side).
float Function(std::uint32_t function, float f, float local, float other, float la)
{
    switch (function) {
    case 0: return 0.0f;
    case 1: return local;
    case 2: return la;
    case 3: return f * other;
    case 4: return f * other + local;
    case 5: return f * other + la;
    case 6: return f * (other - local);
    case 7: return f * (other - local) + local;
    case 8: return f * (other - local) + la;
    case 9: return -f * local + local;
    case 16: return -f * local + la;
    default: return 0.0f;
    }
}

// Factor value; texAlpha and texRgb are what factors 4 and 5 mean in the unit.
float Factor(std::uint32_t factor, float local, float otherAlpha, float localAlpha, float texAlpha, float texRgb)
{
    switch (factor) {
    case 0: return 0.0f;
    case 1: return local;
    case 2: return otherAlpha;
    case 3: return localAlpha;
    case 4: return texAlpha;
    case 5: return texRgb;
    case 8: return 1.0f;
    case 9: return 1.0f - local;
    case 10: return 1.0f - otherAlpha;
    case 11: return 1.0f - localAlpha;
    case 12: return 1.0f - texAlpha;
    case 13: return 1.0f - texRgb;
    default: return 0.0f;
    }
}

float Finish(float v, std::uint32_t invert)
{
    v = Clamp01(v);
    return invert ? 1.0f - v : v;
}

float Channel(const Rgba& c, int i) { return i == 0 ? c.r : i == 1 ? c.g : i == 2 ? c.b : c.a; }
void SetChannel(Rgba& c, int i, float v) { (i == 0 ? c.r : i == 1 ? c.g : i == 2 ? c.b : c.a) = v; }

}  // namespace

Rgba EvaluateTexCombine(const GlideTexCombine& t, const Rgba& local, const Rgba& other, float detail,
                        float lodFraction)
{
    Rgba out{};
    for (int i = 0; i < 3; ++i) {
        const float l = Channel(local, i), o = Channel(other, i);
        const float f = Factor(t.rgbFactor, l, other.a, local.a, detail, lodFraction);
        SetChannel(out, i, Finish(Function(t.rgbFunction, f, l, o, local.a), t.rgbInvert));
    }
    // Alpha side: factor 5 counts as factor 4.
    const std::uint32_t af = t.alphaFactor == 5 ? 4 : t.alphaFactor == 13 ? 12 : t.alphaFactor;
    const float f = Factor(af, local.a, other.a, local.a, detail, detail);
    out.a = Finish(Function(t.alphaFunction, f, local.a, other.a, local.a), t.alphaInvert);
    return out;
}

Rgba EvaluateGlideCombine(const GlideCombineUnit& color, const GlideCombineUnit& alpha, const GlideTexCombine tmu[2],
                          const GlidePixelInputs& in, bool useTexture)
{
    Rgba tex{0, 0, 0, 0};
    if (useTexture) {
        const Rgba upper = EvaluateTexCombine(tmu[1], in.texel[1], Rgba{0, 0, 0, 0}, in.detail, in.lodFraction);
        tex = EvaluateTexCombine(tmu[0], in.texel[0], upper, in.detail, in.lodFraction);
    }
    auto select = [&](std::uint32_t sel, bool isOther) -> Rgba {
        if (sel == 0) return in.iterated;
        if (isOther) return sel == 1 ? tex : sel == 2 ? in.constant : Rgba{0, 0, 0, 0};
        return sel == 1 ? in.constant : Rgba{0, 0, 0, 0};  // depth: zero
    };
    const Rgba cl = select(color.local, false), co = select(color.other, true);
    const float al = select(alpha.local, false).a, ao = select(alpha.other, true).a;

    Rgba out{};
    for (int i = 0; i < 3; ++i) {
        const float l = Channel(cl, i), o = Channel(co, i);
        const float f = Factor(color.factor, l, ao, al, tex.a, Channel(tex, i));
        SetChannel(out, i, Finish(Function(color.function, f, l, o, al), color.invert));
    }
    const float f = Factor(alpha.factor == 5 ? 4 : alpha.factor == 13 ? 12 : alpha.factor, al, ao, al, tex.a, tex.a);
    out.a = Finish(Function(alpha.function, f, al, ao, al), alpha.invert);
    return out;
}

Rgba EvaluateFixedStages(const FixedStage* stages, std::uint32_t count, const FixedStageInputs& in)
{
    Rgba current = in.diffuse, temp{0, 0, 0, 0};
    for (std::uint32_t s = 0; s < count; ++s) {
        const FixedStage& st = stages[s];
        const Rgba texture = st.chip < 4 ? in.texture[st.chip] : Rgba{0, 0, 0, 0};
        auto arg = [&](std::uint8_t code) -> Rgba {
            Rgba v{0, 0, 0, 0};
            switch (code & 0x0F) {
            case 0: v = in.diffuse; break;
            case 1: v = current; break;
            case 2: v = texture; break;
            case 3: v = in.tfactor; break;
            case 4: v = in.specular; break;
            case 5: v = temp; break;
            // The stage constant (6) is not on every device: read as invalid too.

            default: v = Rgba{-100, -100, -100, -100}; break;  // invalid: shows up in any result
            }
            if (code & 0x10) v = Rgba{1 - v.r, 1 - v.g, 1 - v.b, 1 - v.a};
            if (code & 0x20) v = Rgba{v.a, v.a, v.a, v.a};
            return v;
        };
        auto op = [&](std::int8_t o, float a1, float a2, float a0) -> float {
            switch (o) {
            case 2: return Clamp01(a1);
            case 4: return Clamp01(a1 * a2);
            case 7: return Clamp01(a1 + a2);
            case 10: return Clamp01(a1 - a2);
            case 25: return Clamp01(a0 + a1 * a2);
            case 26: return Clamp01(a0 * a1 + (1 - a0) * a2);
            default: return -100.0f;
            }
        };
        const Rgba c1 = arg(st.colorArgs[0]), c2 = arg(st.colorArgs[1]), c0 = arg(st.colorArgs[2]);
        const Rgba a1 = arg(st.alphaArgs[0]), a2 = arg(st.alphaArgs[1]), a0 = arg(st.alphaArgs[2]);
        Rgba out{};
        for (int i = 0; i < 3; ++i)
            SetChannel(out, i, op(st.colorOp, Channel(c1, i), Channel(c2, i), Channel(c0, i)));
        out.a = op(st.alphaOp, a1.a, a2.a, a0.a);
        if (st.result == 5) temp = out; else current = out;
    }
    return current;
}

}  // namespace zelktest
