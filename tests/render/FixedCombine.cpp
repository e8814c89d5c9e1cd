// Fixed-function combine tables and translator: literal stage lists for
// representative setups, the bounds on bad input, and every supported
// function and factor evaluated through a model of the texture stages
// against a model of Glide's combine units.
#include <gtest/gtest.h>

#include "render/ZelkGrFixedCombineTables.h"
#include "render/ZelkGrTexPipelineTranslatorFixed.h"
#include "support/GlideCombineModel.h"

#include <cmath>
#include <cstring>
#include <sstream>
#include <string>

using namespace zelk;
using namespace zelktest;

namespace {

enum : std::int8_t { SEL = 2, MOD = 4, ADD = 7, SUB = 10, MAD = 25, LERP = 26 };

struct Expected {
    std::uint32_t chip;
    std::uint8_t result;
    std::int8_t colorOp;
    std::uint8_t c1, c2, c0;
    std::int8_t alphaOp;
    std::uint8_t a1, a2, a0;
};

struct Combine {
    GlideTexCombine tmu[2];
    GlideCombineUnit color, alpha;
};

constexpr GlideTexCombine kTmuLocal = {1, 0, 0, 1, 0, 0};  // LOCAL, factor ZERO

struct List {
    std::uint32_t numStages = 0;
    D3DFixedBlendStagePair stages[kMaxFixedStages + 1];
};

// The combine units read the texture output when either other selection is
// the texture (1), the colour factor is texture alpha, texture colour or one
// minus texture alpha (4, 5, 12), or the alpha factor texture alpha or one
// minus it (4, 12).
bool UsesTexture(const GlideCombineUnit& color, const GlideCombineUnit& alpha)
{
    return color.other == 1 || alpha.other == 1 || color.factor == 4 || color.factor == 5 || color.factor == 12 ||
           alpha.factor == 4 || alpha.factor == 12;
}

// The caller's order: the TMUs from the highest down when the combine units
// read the texture, then the colour and alpha combine units.
void Translate(const Combine& c, List& list)
{
    list.numStages = 0;
    if (UsesTexture(c.color, c.alpha)) {
        for (int t = 1; t >= 0; --t) {
            const GlideTexCombine& u = c.tmu[t];
            TranslateTexCombineFF(static_cast<std::uint32_t>(t), u.rgbFunction, u.rgbFactor, u.rgbInvert,
                                  u.alphaFunction, u.alphaFactor, u.alphaInvert, &list.numStages, list.stages);
        }
    }
    TranslateColorAlphaCombineFF(c.color.function, c.color.factor, c.color.local, c.color.other, c.color.invert,
                                 c.alpha.function, c.alpha.factor, c.alpha.local, c.alpha.other, c.alpha.invert,
                                 &list.numStages, list.stages);
}

std::string Describe(const D3DFixedBlendStagePair& s)
{
    std::ostringstream o;
    o << std::hex << "{chip " << s.chipOrdinal << " result " << int(s.result) << " color " << int(s.color.op) << " ("
      << int(s.color.arg1) << ", " << int(s.color.arg2) << ", " << int(s.color.arg0) << ") alpha " << int(s.alpha.op)
      << " (" << int(s.alpha.arg1) << ", " << int(s.alpha.arg2) << ", " << int(s.alpha.arg0) << ")}";
    return o.str();
}

void ExpectStages(const List& list, std::initializer_list<Expected> expected, const char* what)
{
    ASSERT_EQ(expected.size(), list.numStages) << what;
    std::uint32_t i = 0;
    for (const Expected& e : expected) {
        const D3DFixedBlendStagePair& s = list.stages[i];
        const bool same = s.chipOrdinal == e.chip && s.result == e.result && s.color.op == e.colorOp &&
                          s.color.arg1 == e.c1 && s.color.arg2 == e.c2 && s.color.arg0 == e.c0 &&
                          s.alpha.op == e.alphaOp && s.alpha.arg1 == e.a1 && s.alpha.arg2 == e.a2 &&
                          s.alpha.arg0 == e.a0;
        EXPECT_TRUE(same) << what << ": stage " << i << " is " << Describe(s);
        ++i;
    }
}

// Colour/alpha combine: SCALE_OTHER factor ONE, local ITERATED, other TEXTURE.
constexpr GlideCombineUnit kDecal = {3, 8, 0, 1, 0};

}  // namespace

TEST(FixedCombine, TablesAnswerUnknownFunctionsAndFactorsWithEmptyEntries)
{
    for (std::uint32_t fn : {10u, 15u, 17u, 255u, 0xFFFFFFFFu}) {
        EXPECT_EQ(0u, FixedColorOps(fn, 1).count) << fn;
        EXPECT_EQ(0u, FixedAlphaOps(fn, 1).count) << fn;
    }
    for (std::uint32_t factor : {14u, 100u, 0xFFFFFFFFu}) {
        EXPECT_EQ(0u, FixedColorOps(3, factor).count) << factor;
        EXPECT_EQ(0u, FixedColorOps(0, factor).count) << factor;
        EXPECT_EQ(0u, FixedAlphaOps(6, factor).count) << factor;
    }
    // Factors 6 and 7: unsupported in the scaling functions, ignored by ZERO,
    // LOCAL and LOCAL_ALPHA.
    EXPECT_EQ(0u, FixedColorOps(3, 6).count);
    EXPECT_EQ(-2, FixedColorOps(16, 7).ops[0].op);
    EXPECT_EQ(0u, FixedAlphaOps(8, 7).count);
    EXPECT_EQ(1u, FixedColorOps(2, 6).count);
    EXPECT_EQ(1u, FixedAlphaOps(0, 7).count);

    // A few literal entries.
    const FixedStageEntry& lerp = FixedColorOps(7, 9);  // LERP(0, 4, 0)
    EXPECT_EQ(1u, lerp.count);
    EXPECT_EQ(LERP, lerp.ops[0].op);
    EXPECT_EQ(0, lerp.ops[0].arg1);
    EXPECT_EQ(4, lerp.ops[0].arg2);
    EXPECT_EQ(0, lerp.ops[0].arg0);
    EXPECT_EQ(SEL, FixedColorOps(3, 8).ops[0].op);
    EXPECT_EQ(4, FixedColorOps(3, 8).ops[0].arg1);
    EXPECT_EQ(SUB, FixedAlphaOps(16, 8).ops[0].op);
    // The argument byte order: op, result, arg1, arg2, arg0.
    const BlendStageArg a = MakeBlendStageArg(26, 1, 2, 3, 5);
    const std::uint8_t bytes[5] = {26, 5, 1, 2, 3};
    EXPECT_EQ(0, std::memcmp(bytes, &a, 5));
}

TEST(FixedCombine, RepresentativeStageLists)
{
    List list;
    Combine decal = {{kTmuLocal, kTmuLocal}, kDecal, kDecal};
    Translate(decal, list);
    ExpectStages(list, {{0, 1, SEL, 0x02, 0x05, 0x05, SEL, 0x02, 0x05, 0x05},
                        {3, 1, SEL, 0x01, 0x05, 0x05, SEL, 0x01, 0x05, 0x05}}, "decal");

    Combine modulate = decal;
    modulate.color.factor = modulate.alpha.factor = 1;
    Translate(modulate, list);
    ExpectStages(list, {{0, 1, SEL, 0x02, 0x05, 0x05, SEL, 0x02, 0x05, 0x05},
                        {3, 1, MOD, 0x01, 0x00, 0x05, MOD, 0x01, 0x00, 0x05}}, "modulate");

    Combine flat = {{kTmuLocal, kTmuLocal}, {1, 0, 0, 2, 0}, {1, 0, 0, 2, 0}};
    Translate(flat, list);
    ExpectStages(list, {{3, 1, SEL, 0x00, 0x05, 0x05, SEL, 0x00, 0x05, 0x05}}, "flat");

    Combine parked = decal;
    parked.tmu[0] = {6, 2, 0, 1, 0, 0};  // rgb SCALE_OTHER_MINUS_LOCAL by OTHER_ALPHA
    Translate(parked, list);
    ExpectStages(list, {{1, 1, SEL, 0x02, 0x05, 0x05, SEL, 0x02, 0x05, 0x05},
                        {0, 5, SUB, 0x01, 0x02, 0x05, SEL, 0x02, 0x05, 0x05},
                        {0, 1, MOD, 0x21, 0x05, 0x05, SEL, 0x05, 0x05, 0x05},
                        {3, 1, SEL, 0x01, 0x05, 0x05, SEL, 0x01, 0x05, 0x05}}, "other minus local by other alpha");

    Combine inverted = decal;
    inverted.tmu[0] = {4, 9, 1, 1, 0, 1};  // SCALE_OTHER_ADD_LOCAL by ONE_MINUS_LOCAL, both inverted
    Translate(inverted, list);
    ExpectStages(list, {{1, 1, SEL, 0x02, 0x05, 0x05, SEL, 0x02, 0x05, 0x05},
                        {0, 1, MAD, 0x12, 0x01, 0x02, SEL, 0x02, 0x05, 0x05},
                        {0, 1, SEL, 0x11, 0x05, 0x05, SEL, 0x11, 0x05, 0x05},
                        {3, 1, SEL, 0x01, 0x05, 0x05, SEL, 0x01, 0x05, 0x05}}, "inverted");

    Combine chained = decal;
    chained.tmu[1] = {3, 9, 0, 3, 9, 0};  // SCALE_OTHER by ONE_MINUS_LOCAL
    chained.tmu[0] = {7, 4, 0, 7, 4, 0};  // SCALE_OTHER_MINUS_LOCAL_ADD_LOCAL by DETAIL_FACTOR
    Translate(chained, list);
    ExpectStages(list, {{1, 1, MOD, 0x05, 0x12, 0x05, MOD, 0x05, 0x12, 0x05},
                        {0, 1, LERP, 0x01, 0x02, 0x04, LERP, 0x01, 0x02, 0x04},
                        {3, 1, SEL, 0x01, 0x05, 0x05, SEL, 0x01, 0x05, 0x05}}, "chained TMUs");

    // A unit with factor 6 on both sides adds nothing; the stage before stays.
    Combine unsupported = decal;
    unsupported.tmu[0] = {3, 6, 0, 3, 6, 0};
    Translate(unsupported, list);
    ExpectStages(list, {{1, 1, SEL, 0x02, 0x05, 0x05, SEL, 0x02, 0x05, 0x05},
                        {3, 1, SEL, 0x01, 0x05, 0x05, SEL, 0x01, 0x05, 0x05}}, "unsupported factor");

    // Nothing at all: the list stays empty.
    Combine nothing = {{kTmuLocal, kTmuLocal}, {3, 6, 0, 0, 0}, {3, 7, 0, 0, 0}};
    Translate(nothing, list);
    EXPECT_EQ(0u, list.numStages);
}

TEST(FixedCombine, CombineUnitFactorsReadTheRightValues)
{
    List list;
    // Texture alpha scales other - local: the difference is parked in TEMP and
    // the texture stage is kept, so that CURRENT still holds the texture.
    Combine byTextureAlpha = {{kTmuLocal, kTmuLocal}, {6, 4, 1, 0, 0}, {1, 0, 0, 0, 0}};
    Translate(byTextureAlpha, list);
    ExpectStages(list, {{0, 1, SEL, 0x02, 0x05, 0x05, SEL, 0x02, 0x05, 0x05},
                        {3, 5, SUB, 0x00, 0x03, 0x05, SEL, 0x00, 0x05, 0x05},
                        {3, 1, MOD, 0x21, 0x05, 0x05, SEL, 0x05, 0x05, 0x05}}, "scaled by texture alpha");

    // Other alpha of an iterated or constant other selection is read from it.
    Combine byOtherAlpha = {{kTmuLocal, kTmuLocal}, {6, 2, 1, 0, 0}, {1, 0, 0, 2, 0}};
    Translate(byOtherAlpha, list);
    ExpectStages(list, {{3, 5, SUB, 0x00, 0x03, 0x05, SEL, 0x00, 0x05, 0x05},
                        {3, 1, MOD, 0x23, 0x05, 0x05, SEL, 0x05, 0x05, 0x05}}, "scaled by constant alpha");
    Combine alphaSide = {{kTmuLocal, kTmuLocal}, {1, 0, 0, 0, 0}, {6, 10, 1, 0, 0}};
    Translate(alphaSide, list);
    ExpectStages(list, {{3, 5, SEL, 0x00, 0x05, 0x05, SUB, 0x00, 0x03, 0x05},
                        {3, 1, SEL, 0x05, 0x05, 0x05, MOD, 0x10, 0x05, 0x05}}, "alpha side by one minus iterated alpha");

    // The depth as alpha local selection reads zero: colour LOCAL_ALPHA and
    // alpha LOCAL become zero, computed without a stage constant.
    Combine depthLocal = {{kTmuLocal, kTmuLocal}, {2, 0, 0, 0, 0}, {1, 0, 2, 0, 0}};
    Translate(depthLocal, list);
    ExpectStages(list, {{3, 1, SUB, 0x00, 0x00, 0x05, SUB, 0x00, 0x00, 0x05}}, "depth local");
    // Other x (1 - local alpha) + local alpha: the other alone.
    Combine depthScaled = {{kTmuLocal, kTmuLocal}, {5, 11, 0, 2, 0}, {5, 11, 2, 2, 0}};
    Translate(depthScaled, list);
    ExpectStages(list, {{3, 1, SEL, 0x03, 0x05, 0x05, SEL, 0x03, 0x05, 0x05}}, "depth local scaled");
}

TEST(FixedCombine, ListNeverGrowsPastEightStages)
{
    // Every unit: three stages from the pairing loop and an invert stage.
    const GlideTexCombine heavy = {6, 2, 1, 6, 1, 1};
    Combine c = {{heavy, heavy}, {6, 2, 0, 1, 1}, {6, 1, 0, 1, 1}};
    List list;
    std::memset(&list.stages[kMaxFixedStages], 0xAB, sizeof(D3DFixedBlendStagePair));
    Translate(c, list);
    EXPECT_EQ(kMaxFixedStages, list.numStages);
    const std::uint8_t* guard = reinterpret_cast<const std::uint8_t*>(&list.stages[kMaxFixedStages]);
    for (std::size_t i = 0; i < sizeof(D3DFixedBlendStagePair); ++i) ASSERT_EQ(0xAB, guard[i]) << i;
    EXPECT_EQ(1, list.stages[kMaxFixedStages - 1].result);

    // A count passed in beyond the room is taken as full.
    std::uint32_t n = 50;
    TranslateTexCombineFF(0, 3, 8, 0, 3, 8, 0, &n, list.stages);
    EXPECT_EQ(kMaxFixedStages, n);
}

TEST(FixedCombine, TextureUseFollowsTheOtherSelectionsAndFactors)
{
    for (std::uint32_t factor = 0; factor < 14; ++factor) {
        for (std::uint32_t other = 0; other < 3; ++other) {
            const GlideCombineUnit unit = {3, factor, 0, other, 0}, plain = {3, 0, 0, 0, 0};
            EXPECT_EQ(UsesTexture(unit, plain), CombineUsesTexture(factor, other, 0, 0)) << factor << " " << other;
            EXPECT_EQ(UsesTexture(plain, unit), CombineUsesTexture(0, 0, factor, other)) << factor << " " << other;
        }
    }
}

namespace {

FixedStageInputs StageInputs(const GlidePixelInputs& g)
{
    FixedStageInputs s{};
    s.diffuse = g.iterated;
    s.specular = Rgba{g.detail, g.detail, g.detail, 1.0f};
    s.tfactor = g.constant;
    s.texture[0] = g.texel[0];
    s.texture[1] = g.texel[1];
    return s;
}

Rgba RunStages(const List& list, const FixedStageInputs& in)
{
    FixedStage stages[kMaxFixedStages];
    for (std::uint32_t i = 0; i < list.numStages; ++i) {
        const D3DFixedBlendStagePair& p = list.stages[i];
        stages[i] = {p.chipOrdinal, p.result, p.color.op, p.alpha.op,
                     {p.color.arg1, p.color.arg2, p.color.arg0}, {p.alpha.arg1, p.alpha.arg2, p.alpha.arg0}};
    }
    return EvaluateFixedStages(stages, list.numStages, in);
}

bool Close(const Rgba& a, const Rgba& b)
{
    const float t = 1e-4f;
    return std::fabs(a.r - b.r) < t && std::fabs(a.g - b.g) < t && std::fabs(a.b - b.b) < t && std::fabs(a.a - b.a) < t;
}

std::string Str(const Rgba& c)
{
    std::ostringstream o;
    o << "(" << c.r << ", " << c.g << ", " << c.b << ", " << c.a << ")";
    return o.str();
}

const std::uint32_t kFunctions[] = {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 16};
const std::uint32_t kFactors[] = {0, 1, 2, 3, 4, 5, 8, 9, 10, 11, 12, 13};

// Inputs where every difference other - local is positive, so that the
// stages' saturating subtract agrees with Glide's signed arithmetic.
GlidePixelInputs Inputs()
{
    GlidePixelInputs in{};
    in.iterated = {0.20f, 0.15f, 0.10f, 0.25f};
    in.constant = {0.30f, 0.35f, 0.40f, 0.30f};
    in.texel[0] = {0.90f, 0.80f, 0.70f, 0.60f};
    in.texel[1] = {0.50f, 0.70f, 0.95f, 0.80f};
    in.detail = 0.375f;
    in.lodFraction = 0.375f;
    return in;
}

}  // namespace

// Colour and alpha combine units over every supported function and factor
// and every local and other selection, with the texture path as decal.
TEST(FixedCombine, CombineUnitsMatchGlideModel)
{
    const GlidePixelInputs in = Inputs();
    const FixedStageInputs stageIn = StageInputs(in);
    int checked = 0;
    for (std::uint32_t fn : kFunctions) {
        for (std::uint32_t factor : kFactors) {
            if (factor == 13) continue;  // the LOD fraction is no colour or alpha combine factor
            // Local 2 is DEPTH in the alpha unit (zero); the colour unit then
            // takes the iterated colour.
            for (std::uint32_t local : {0u, 1u, 2u}) {
                for (std::uint32_t other : {0u, 1u, 2u}) {
                    for (std::uint32_t invert : {0u, 1u}) {
                        // A negative other - local that is added to something is where the
                        // stages' saturating subtract differs from Glide (the scene table
                        // lists it); the iterated inputs lie below the constant ones.
                        if (fn == 8 && local == 1 && other == 0) continue;
                        Combine c = {{kTmuLocal, kTmuLocal}, {fn, factor, local == 2 ? 0 : local, other, invert},
                                     {fn, factor, local, other, invert}};
                        List list;
                        Translate(c, list);
                        const bool tex = UsesTexture(c.color, c.alpha);
                        const Rgba glide = EvaluateGlideCombine(c.color, c.alpha, c.tmu, in, tex);
                        const Rgba stages = RunStages(list, stageIn);
                        EXPECT_TRUE(Close(glide, stages))
                            << "function " << fn << " factor " << factor << " local " << local << " other " << other
                            << " invert " << invert << ": Glide " << Str(glide) << " stages " << Str(stages);
                        ++checked;
                    }
                }
            }
        }
    }
    EXPECT_GT(checked, 0);
}

// Texture combine of TMU 0 over every supported function and factor, with
// TMU 1 as its other input, on the colour and the alpha side.
TEST(FixedCombine, TextureCombineMatchesGlideModel)
{
    GlidePixelInputs in = Inputs();
    // TMU 0's texel below TMU 1's output in every channel.
    in.texel[0] = {0.10f, 0.20f, 0.30f, 0.40f};
    const FixedStageInputs stageIn = StageInputs(in);
    for (std::uint32_t fn : kFunctions) {
        for (std::uint32_t factor : kFactors) {
            if (factor == 5 || factor == 13) continue;  // LOD fraction: see the scene table
            for (std::uint32_t invert : {0u, 1u}) {
                // The detail factor on the alpha side reads the specular alpha (1 here).
                const std::uint32_t alphaFactor = factor == 4 ? 8 : factor == 12 ? 0 : factor;
                Combine c = {{{fn, factor, invert, fn, alphaFactor, invert}, {3, 8, 0, 3, 8, 0}}, kDecal, kDecal};
                c.tmu[1] = {1, 0, 0, 1, 0, 0};
                List list;
                Translate(c, list);
                const Rgba glide = EvaluateGlideCombine(c.color, c.alpha, c.tmu, in, true);
                const Rgba stages = RunStages(list, stageIn);
                EXPECT_TRUE(Close(glide, stages)) << "TMU 0 function " << fn << " factor " << factor << " invert "
                                                  << invert << ": Glide " << Str(glide) << " stages " << Str(stages);
            }
        }
    }
}
