// The fixed-function combine tables.
//
// Each column of a function follows one pattern in the factor's code F and
// its complement's code C.  Entries that scale a difference other - local by
// a factor that may live in CURRENT (the other alpha, and the texture
// factors, which the colour and alpha combine unit reads from CURRENT) park
// the difference in TEMP and then read the factor itself: CURRENT still
// holds it, and an iterated or constant other alpha is read from its source.
#include "render/ZelkGrFixedCombineTables.h"

namespace zelk {
namespace {

enum : std::int8_t {
    SEL = 2,    // D3DTOP_SELECTARG1
    MOD = 4,    // D3DTOP_MODULATE
    ADD = 7,    // D3DTOP_ADD
    SUB = 10,   // D3DTOP_SUBTRACT
    MAD = 25,   // D3DTOP_MULTIPLYADD
    LERP = 26,  // D3DTOP_LERP
};

constexpr std::uint32_t kFunctionCount = 17;  // 0..9 and 16
constexpr std::uint32_t kFactorCount = 14;

constexpr BlendStageArg Op(std::int8_t op, std::uint8_t a1, std::uint8_t a2 = FIXARG_NONE,
                           std::uint8_t a0 = FIXARG_NONE, std::uint8_t result = kStageCurrent)
{
    return MakeBlendStageArg(op, a1, a2, a0, result);
}
constexpr BlendStageArg ToTemp(std::int8_t op, std::uint8_t a1, std::uint8_t a2)
{
    return Op(op, a1, a2, FIXARG_NONE, kStageTemp);
}

constexpr FixedStageEntry One(BlendStageArg a)
{
    FixedStageEntry e{};
    return MakeFixedStageEntry(e, 1, a, kUnusedStageOp, kUnusedStageOp);
}
constexpr FixedStageEntry Two(BlendStageArg a, BlendStageArg b)
{
    FixedStageEntry e{};
    return MakeFixedStageEntry(e, 2, a, b, kUnusedStageOp);
}
constexpr FixedStageEntry Unsupported()
{
    FixedStageEntry e{};
    return MakeFixedStageEntry(e, 0, {-2, kStageCurrent, FIXARG_NONE, FIXARG_NONE, FIXARG_NONE},
                               kUnusedStageOp, kUnusedStageOp);
}

// Factor codes, colour side: the factor and its complement.
constexpr std::uint8_t kColorF[kFactorCount] = {0, 0, 6, 2, 18, 16, 0, 0, 0, 1, 7, 3, 19, 17};
constexpr std::uint8_t kColorC[kFactorCount] = {0, 1, 7, 3, 19, 17, 0, 0, 0, 0, 6, 2, 18, 16};
// Alpha side: local and local alpha are one value; the texture colour factor
// counts as the texture alpha.
constexpr std::uint8_t kAlphaF[kFactorCount] = {0, 2, 6, 2, 18, 18, 0, 0, 0, 3, 7, 3, 19, 19};
constexpr std::uint8_t kAlphaC[kFactorCount] = {0, 3, 7, 3, 19, 19, 0, 0, 0, 2, 6, 2, 18, 18};

constexpr bool ScalesByCurrent(std::uint32_t factor)
{
    return factor == 2 || factor == 10 || factor == 4 || factor == 5 || factor == 12 || factor == 13;
}

constexpr FixedStageEntry ColorEntry(std::uint32_t fn, std::uint32_t k)
{
    if (fn == 0) return One(Op(SUB, 0, 0));
    if (fn == 1) return One(Op(SEL, 0));
    if (fn == 2) return One(Op(SEL, 2));
    if (k == 6 || k == 7) return Unsupported();
    const std::uint8_t F = kColorF[k], C = kColorC[k];
    switch (fn) {
    case 3:
        return k == 0 ? One(Op(SUB, 0, 0)) : k == 8 ? One(Op(SEL, 4)) : One(Op(MOD, 4, F));
    case 4:
        return k == 0 ? One(Op(SEL, 0)) : k == 8 ? One(Op(ADD, 4, 0)) : One(Op(MAD, F, 4, 0));
    case 5:
        return k == 0 ? One(Op(SEL, 2)) : k == 8 ? One(Op(ADD, 4, 2)) : One(Op(MAD, F, 4, 2));
    case 6:
        if (k == 0) return One(Op(SUB, 0, 0));
        if (k == 8) return One(Op(SUB, 4, 0));
        if (ScalesByCurrent(k)) return Two(ToTemp(SUB, 4, 0), Op(MOD, F, FIXARG_TEMP));
        return Two(Op(SUB, 4, 0), Op(MOD, F, FIXARG_PREVIOUS));
    case 7:
        if (k == 0) return One(Op(SEL, 0));
        if (k == 8) return One(Op(SEL, 4));
        return k <= 5 ? One(Op(LERP, 4, 0, F)) : One(Op(LERP, 0, 4, C));
    case 8:
        if (k == 0) return One(Op(SEL, 2));
        if (k == 8) return Two(Op(SUB, 4, 0), Op(ADD, 2, FIXARG_PREVIOUS));
        if (ScalesByCurrent(k)) return Two(ToTemp(SUB, 4, 0), Op(MAD, F, FIXARG_TEMP, 2));
        return Two(Op(SUB, 4, 0), Op(MAD, F, FIXARG_PREVIOUS, 2));
    case 9:
        return k == 0 ? One(Op(SEL, 0)) : k == 8 ? One(Op(SUB, 0, 0)) : One(Op(MOD, 0, C));
    case 16:
        return k == 0 ? One(Op(SEL, 2)) : k == 8 ? One(Op(SUB, 2, 0))
                                                 : Two(Op(MOD, 0, F), Op(SUB, 2, FIXARG_PREVIOUS));
    default:
        return Unsupported();
    }
}

constexpr FixedStageEntry AlphaEntry(std::uint32_t fn, std::uint32_t k)
{
    if (fn == 0) return One(Op(SUB, 2, 2));
    if (fn == 1 || fn == 2) return One(Op(SEL, 2));
    if (k == 6 || k == 7) return Unsupported();
    const std::uint8_t F = kAlphaF[k], C = kAlphaC[k];
    switch (fn) {
    case 3:
        return k == 0 ? One(Op(SUB, 2, 2)) : k == 8 ? One(Op(SEL, 6)) : One(Op(MOD, 6, F));
    case 4:
    case 5:
        return k == 0 ? One(Op(SEL, 2)) : k == 8 ? One(Op(ADD, 2, 6)) : One(Op(MAD, F, 6, 2));
    case 6:
        if (k == 0) return One(Op(SUB, 2, 2));
        if (k == 8) return One(Op(SUB, 6, 2));
        if (ScalesByCurrent(k)) return Two(ToTemp(SUB, 6, 2), Op(MOD, F, FIXARG_TEMP_ALPHA));
        return Two(Op(SUB, 6, 2), Op(MOD, F, FIXARG_PREVIOUS_ALPHA));
    case 7:
    case 8:
        if (k == 0) return One(Op(SEL, 2));
        if (k == 8) return One(Op(SEL, 6));
        return k <= 5 ? One(Op(LERP, 6, 2, F)) : One(Op(LERP, 2, 6, C));
    case 9:
    case 16:
        return k == 0 ? One(Op(SEL, 2)) : k == 8 ? One(Op(SUB, 2, 2)) : One(Op(MOD, 2, C));
    default:
        return Unsupported();
    }
}

struct Tables {
    FixedStageEntry color[kFunctionCount][kFactorCount];
    FixedStageEntry alpha[kFunctionCount][kFactorCount];
    FixedStageEntry unsupported;
};

constexpr Tables InitFixedTexelTables()
{
    Tables t{};
    for (std::uint32_t fn = 0; fn < kFunctionCount; ++fn) {
        for (std::uint32_t k = 0; k < kFactorCount; ++k) {
            t.color[fn][k] = ColorEntry(fn, k);
            t.alpha[fn][k] = AlphaEntry(fn, k);
        }
    }
    t.unsupported = Unsupported();
    return t;
}

constexpr Tables kTables = InitFixedTexelTables();

}  // namespace

const FixedStageEntry& FixedColorOps(std::uint32_t function, std::uint32_t factor)
{
    if (function >= kFunctionCount || factor >= kFactorCount) return kTables.unsupported;
    return kTables.color[function][factor];
}

const FixedStageEntry& FixedAlphaOps(std::uint32_t function, std::uint32_t factor)
{
    if (function >= kFunctionCount || factor >= kFactorCount) return kTables.unsupported;
    return kTables.alpha[function][factor];
}

const BlendStageArg FixedInvertStage = MakeBlendStageArg(SEL, 0x11, kStageTemp, kStageTemp, kStageCurrent);
const BlendStageArg FixedRestoreStage = MakeBlendStageArg(SEL, kStageTemp, kStageTemp, kStageTemp, kStageCurrent);
const BlendStageArg FixedPassStage = MakeBlendStageArg(SEL, kStageCurrent, kStageTemp, kStageTemp, kStageCurrent);

}  // namespace zelk
