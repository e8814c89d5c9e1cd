#include "glide/ZelkGlideUtility.h"

#include <cfloat>
#include <cmath>

namespace zelk {

namespace {

constexpr int kFogEntries = GR_FOG_TABLE_SIZE;
constexpr float kMaxFogW = 65536.0f;

// 0 to 255 from a float: NaN and values not above 0 give 0, values not
// below 255 give 255, the rest are truncated.
GrFog_t FogByte(float value)
{
    if (!(value > 0.0f)) {
        return 0;
    }
    if (!(value < 255.0f)) {
        return 255;
    }
    return static_cast<GrFog_t>(value);
}

float Clamp(float value, float low, float high)
{
    if (!(value > low)) {
        return low;  // NaN included
    }
    return value < high ? value : high;
}

// Fills an exponential table: entry i is f(w_i) / f(w_63) times 255, the
// last entry 255.  Where f(w_63) is 0 (density 0) or not finite, the
// table is the limit of that ratio, w_i / w_63.
template <typename Curve>
void FogGenerateNormalised(GrFog_t* table, Curve curve)
{
    const float lastW = FogTableIndexToW(kFogEntries - 1);
    const float denominator = curve(lastW);
    const bool usable = std::isfinite(denominator) && denominator != 0.0f;
    for (int i = 0; i < kFogEntries - 1; ++i) {
        const float w = FogTableIndexToW(i);
        const float ratio = usable ? curve(w) / denominator : w / lastW;
        table[i] = FogByte(ratio * 255.0f);
    }
    table[kFogEntries - 1] = 255;
}

}  // namespace

float FogTableIndexToW(int i)
{
    return std::pow(2.0f, static_cast<float>(i >> 2) + 3.0f) / static_cast<float>(8 - (i & 3));
}

void FogGenerateExp(GrFog_t* table, float density)
{
    FogGenerateNormalised(table, [density](float w) { return 1.0f - std::exp(-density * w); });
}

void FogGenerateExp2(GrFog_t* table, float density)
{
    FogGenerateNormalised(table, [density](float w) {
        const float dw = density * w;
        return 1.0f - std::exp(-(dw * dw));
    });
}

void FogGenerateLinear(GrFog_t* table, float nearW, float farW)
{
    const float nearClamped = Clamp(nearW, 0.0f, kMaxFogW);
    const float farClamped = Clamp(farW, nearClamped + FLT_EPSILON, kMaxFogW);
    for (int i = 0; i < kFogEntries; ++i) {
        const float w = FogTableIndexToW(i);
        table[i] = FogByte((w - nearClamped) * 255.0f / (farClamped - nearClamped));
    }
}

std::uint32_t PackConstantColor4(float a, float r, float g, float b)
{
    const auto channel = [](float value) {
        return static_cast<std::uint32_t>(Clamp(value, 0.0f, 1.0f) * 255.0f);
    };
    return (channel(a) << 24) | (channel(r) << 16) | (channel(g) << 8) | channel(b);
}

bool ColorCombineArguments(std::uint32_t code, CombineArguments& arguments)
{
    // Code 7 and codes above 16 do nothing (marked by a function of ~0).
    static const CombineArguments kTable[17] = {
        {0, 0, 1, 2, 0}, {1, 0, 1, 2, 0}, {1, 0, 0, 2, 0}, {0, 0, 1, 2, 0}, {3, 8, 1, 1, 0}, {3, 1, 1, 1, 0},
        {3, 1, 0, 1, 0}, {~0u, 0, 0, 0, 0}, {5, 1, 0, 1, 0}, {3, 2, 1, 1, 0}, {4, 2, 0, 1, 0}, {4, 8, 0, 1, 0},
        {6, 8, 0, 1, 0}, {7, 4, 1, 0, 0}, {4, 2, 0, 1, 0}, {5, 1, 0, 1, 0}, {1, 8, 1, 2, 0},
    };
    if (code > 16 || kTable[code].function == ~0u) {
        return false;
    }
    arguments = kTable[code];
    return true;
}

bool AlphaSourceArguments(std::uint32_t code, CombineArguments& arguments)
{
    static const CombineArguments kTable[4] = {
        {1, 0, 1, 2, 0}, {1, 0, 0, 2, 0}, {3, 8, 1, 1, 0}, {3, 4, 1, 0, 0},
    };
    if (code > 3) {
        return false;
    }
    arguments = kTable[code];
    return true;
}

}  // namespace zelk
