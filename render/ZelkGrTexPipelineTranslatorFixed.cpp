// The fixed-function texel pipeline translator.
//
// Per combine unit the colour and the alpha entry of the tables are paired
// into texture stages; argument codes are resolved for the unit; a stage
// whose output nothing reads is overwritten by the next; an invert stage is
// added where the unit inverts.  D3DTA_CURRENT carries the value passed down
// the chain, D3DTA_TEMP an intermediate value of one stage.
#include "render/ZelkGrTexPipelineTranslatorFixed.h"

#include <initializer_list>

namespace zelk {
namespace {

constexpr std::uint8_t kDiffuse = 0x00;  // D3DTA_DIFFUSE
constexpr std::uint8_t kTFactor = 0x03;  // D3DTA_TFACTOR
constexpr std::uint8_t kInvalid = 0xFF;
constexpr std::uint8_t kNoMapping = 0xFF;

constexpr std::uint32_t kOtherIterated = 0;  // GR_COMBINE_OTHER_ITERATED
constexpr std::uint32_t kOtherTexture = 1;   // GR_COMBINE_OTHER_TEXTURE
constexpr std::uint32_t kOtherConstant = 2;  // GR_COMBINE_OTHER_CONSTANT
constexpr std::uint32_t kLocalDepth = 2;     // GR_COMBINE_LOCAL_DEPTH

constexpr std::uint8_t kTexColorColumn[FIXARG_COUNT] = {
    0x02, 0x12, 0x22, 0x32, 0x01, 0x11, 0x21, 0x31, 0x01, 0x11, 0x21,
    0x31, 0x05, 0x15, 0x25, 0x35, 0x04, 0x14, 0x04, 0x14, 0x05, 0x04};
constexpr std::uint8_t kTexAlphaColumn[FIXARG_COUNT] = {
    kNoMapping, kNoMapping, 0x02, 0x12, kNoMapping, kNoMapping, 0x01, 0x11, kNoMapping, kNoMapping, 0x01,
    0x11, kNoMapping, kNoMapping, 0x05, 0x15, kNoMapping, kNoMapping, 0x04, 0x14, 0x05, 0x04};

std::uint8_t MapLocal(std::uint32_t local)
{
    return local == 0 ? kDiffuse : local == 1 ? kTFactor : kInvalid;
}
std::uint8_t MapOther(std::uint32_t other)
{
    return other == kOtherIterated ? kDiffuse : other == kOtherTexture ? 0x01 : other == kOtherConstant ? kTFactor : kInvalid;
}
std::uint8_t WithModifiers(std::uint8_t selection, std::uint8_t modifiers)
{
    return selection == kInvalid ? kInvalid : static_cast<std::uint8_t>(selection | modifiers);
}

bool Reads(const D3DFixedBlendStagePair& stage, std::uint8_t reg)
{
    const std::uint8_t args[6] = {stage.color.arg1, stage.color.arg2, stage.color.arg0,
                                  stage.alpha.arg1, stage.alpha.arg2, stage.alpha.arg0};
    for (std::uint8_t a : args) {
        if ((a & 0x0F) == reg) return true;
    }
    return false;
}

// Appends one stage.  With dropUnread, the stage before is overwritten when
// the new one replaces CURRENT without reading it and does not read the TEMP
// that the stage before wrote.  Nothing is written past capacity stages.
void Append(const D3DFixedBlendStagePair& stage, bool dropUnread, std::uint32_t& n, D3DFixedBlendStagePair* stages,
            std::uint32_t capacity)
{
    if (dropUnread && n > 0 && !Reads(stage, kStageCurrent) && stage.result == kStageCurrent &&
        !(stages[n - 1].result == kStageTemp && Reads(stage, kStageTemp))) {
        --n;
    }
    if (n < capacity) stages[n++] = stage;
}

template <typename MapColor, typename MapAlpha>
void TranslateUnit(std::uint32_t chip, const FixedStageEntry& colorEntry, const FixedStageEntry& alphaEntry,
                   MapColor mapColor, MapAlpha mapAlpha, std::uint32_t rgbInvert, std::uint32_t alphaInvert,
                   std::uint32_t* numStages, D3DFixedBlendStagePair* stages, std::uint32_t capacity)
{
    std::uint32_t n = *numStages < capacity ? *numStages : capacity;
    const std::uint32_t nc = colorEntry.count < 3 ? colorEntry.count : 3;
    const std::uint32_t na = alphaEntry.count < 3 ? alphaEntry.count : 3;
    std::uint32_t i = 0, j = 0;
    std::uint8_t rgbResult = kStageCurrent, alphaResult = kStageCurrent;

    auto take = [](const BlendStageArg& op, const BlendStageArg& fallback, auto map, std::uint8_t& result) {
        if (op.op < 0) return fallback;
        result = op.result;
        return MakeBlendStageArg(op.op, map(op.arg1), map(op.arg2), map(op.arg0), kStageCurrent);
    };

    while (i < nc || j < na) {
        BlendStageArg color, alpha;
        if (rgbResult == kStageTemp && alphaResult == kStageCurrent) {
            color = i < nc ? take(colorEntry.ops[i++], FixedRestoreStage, mapColor, rgbResult) : FixedRestoreStage;
            alpha = FixedRestoreStage;
        } else if (rgbResult == kStageCurrent && alphaResult == kStageTemp) {
            color = FixedRestoreStage;
            alpha = j < na ? take(alphaEntry.ops[j++], FixedRestoreStage, mapAlpha, alphaResult) : FixedRestoreStage;
        } else {
            color = i < nc ? take(colorEntry.ops[i++], FixedPassStage, mapColor, rgbResult) : FixedPassStage;
            alpha = j < na ? take(alphaEntry.ops[j++], FixedPassStage, mapAlpha, alphaResult) : FixedPassStage;
        }
        const std::uint8_t result =
            rgbResult == kStageCurrent && alphaResult == kStageCurrent ? kStageCurrent : kStageTemp;
        Append(D3DFixedBlendStagePair(chip, color, alpha, result), true, n, stages, capacity);
    }

    if (rgbInvert != 0 || alphaInvert != 0) {
        Append(D3DFixedBlendStagePair(chip, rgbInvert != 0 ? FixedInvertStage : FixedPassStage,
                                      alphaInvert != 0 ? FixedInvertStage : FixedPassStage, kStageCurrent),
               false, n, stages, capacity);
    }
    *numStages = n;
}

}  // namespace

ZelkGrFixedStageSetup::ZelkGrFixedStageSetup() : numStages(0)
{
    const BlendStageArg none = kUnusedStageOp;
    for (D3DFixedBlendStagePair& stage : stages) stage = D3DFixedBlendStagePair(0xFFFFFFFFu, none, none, kStageCurrent);
}

std::uint8_t MapFixedStageArgument(std::uint32_t code)
{
    code &= 0xFF;
    return code < FIXARG_COUNT ? kTexColorColumn[code] : kNoMapping;
}

std::uint8_t MapFixedCombineSource(std::uint32_t code, std::uint32_t colorLocal, std::uint32_t colorOther,
                                   std::uint32_t alphaLocal, std::uint32_t alphaOther)
{
    switch (code & 0xFF) {
    case FIXARG_LOCAL: return MapLocal(colorLocal);
    case FIXARG_ONE_MINUS_LOCAL: return WithModifiers(MapLocal(colorLocal), 0x10);
    case FIXARG_LOCAL_ALPHA: return WithModifiers(MapLocal(alphaLocal), 0x20);
    case FIXARG_ONE_MINUS_LOCAL_ALPHA: return WithModifiers(MapLocal(alphaLocal), 0x30);
    case FIXARG_OTHER: return MapOther(colorOther);
    case FIXARG_ONE_MINUS_OTHER: return WithModifiers(MapOther(colorOther), 0x10);
    case FIXARG_OTHER_ALPHA: return WithModifiers(MapOther(alphaOther), 0x20);
    case FIXARG_ONE_MINUS_OTHER_ALPHA: return WithModifiers(MapOther(alphaOther), 0x30);
    case FIXARG_PREVIOUS: return 0x01;
    case FIXARG_ONE_MINUS_PREVIOUS: return 0x11;
    case FIXARG_PREVIOUS_ALPHA: return 0x21;
    case FIXARG_ONE_MINUS_PREVIOUS_ALPHA: return 0x31;
    case FIXARG_TEMP: return 0x05;
    case FIXARG_ONE_MINUS_TEMP: return 0x15;
    case FIXARG_TEMP_ALPHA: return 0x25;
    case FIXARG_ONE_MINUS_TEMP_ALPHA: return 0x35;
    case FIXARG_TEXTURE_RGB: return 0x01;
    case FIXARG_ONE_MINUS_TEXTURE_RGB: return 0x11;
    case FIXARG_TEXTURE_ALPHA: return 0x21;
    case FIXARG_ONE_MINUS_TEXTURE_ALPHA: return 0x31;
    case FIXARG_NONE: return 0x05;
    case FIXARG_SPECULAR: return 0x04;
    default: return kNoMapping;
    }
}

std::uint8_t MapFixedCombineSource(std::uint32_t code, std::uint32_t alphaLocal, std::uint32_t alphaOther)
{
    switch (code & 0xFF) {
    case FIXARG_LOCAL_ALPHA: return MapLocal(alphaLocal);
    case FIXARG_ONE_MINUS_LOCAL_ALPHA: return WithModifiers(MapLocal(alphaLocal), 0x10);
    case FIXARG_OTHER_ALPHA: return MapOther(alphaOther);
    case FIXARG_ONE_MINUS_OTHER_ALPHA: return WithModifiers(MapOther(alphaOther), 0x10);
    case FIXARG_PREVIOUS_ALPHA: return 0x01;
    case FIXARG_ONE_MINUS_PREVIOUS_ALPHA: return 0x11;
    case FIXARG_TEMP_ALPHA: return 0x05;
    case FIXARG_ONE_MINUS_TEMP_ALPHA: return 0x15;
    case FIXARG_TEXTURE_ALPHA: return 0x01;
    case FIXARG_ONE_MINUS_TEXTURE_ALPHA: return 0x11;
    case FIXARG_NONE: return 0x05;
    case FIXARG_SPECULAR: return 0x04;
    default: return kNoMapping;
    }
}

namespace {

void TranslateTexUnit(std::uint32_t tmu, const ZelkGrFixedTexCombine& combine, std::uint32_t* numStages,
                      D3DFixedBlendStagePair* stages, std::uint32_t capacity)
{
    auto mapAlpha = [](std::uint8_t code) { return code < FIXARG_COUNT ? kTexAlphaColumn[code] : kNoMapping; };
    auto mapColor = [](std::uint8_t code) { return MapFixedStageArgument(code); };
    TranslateUnit(tmu, FixedColorOps(combine.rgbFunction, combine.rgbFactor),
                  FixedAlphaOps(combine.alphaFunction, combine.alphaFactor), mapColor, mapAlpha, combine.rgbInvert,
                  combine.alphaInvert, numStages, stages, capacity);
}

// The alpha local selection DEPTH reads zero.  Direct3D's stages have a
// zero only in the per-stage constant, which not every device has; so the
// zero is folded into the units' functions and factors instead, which then
// compute the same without reading it.
ZelkGrFixedCombineUnit WithoutLocalAlpha(ZelkGrFixedCombineUnit unit, bool alphaUnit)
{
    // Factors of the local alpha (or, in the alpha unit, of the local).
    switch (unit.factor) {
    case 3: unit.factor = 0; break;    // LOCAL_ALPHA: zero
    case 11: unit.factor = 8; break;   // ONE_MINUS_LOCAL_ALPHA: one
    case 1: if (alphaUnit) unit.factor = 0; break;
    case 9: if (alphaUnit) unit.factor = 8; break;
    default: break;
    }
    // Functions that add or subtract the local alpha (or local): with a zero
    // local, other x factor, or zero (-0 x factor + 0, or a difference that
    // is never above zero and clamps to it).
    switch (unit.function) {
    case 2: unit.function = 0; break;                  // LOCAL_ALPHA
    case 5: unit.function = 3; break;                  // SCALE_OTHER_ADD_LOCAL_ALPHA
    case 8: unit.function = alphaUnit ? 3 : 6; break;  // ... MINUS_LOCAL_ADD_LOCAL_ALPHA
    case 16: unit.function = 0; break;                 // SCALE_MINUS_LOCAL_ADD_LOCAL_ALPHA
    case 1:
    case 9:
        if (alphaUnit) unit.function = 0;              // LOCAL, SCALE_MINUS_LOCAL_ADD_LOCAL
        break;
    case 4:
    case 6:
    case 7:
        if (alphaUnit) unit.function = 3;              // ADD_LOCAL, MINUS_LOCAL, ..._ADD_LOCAL
        break;
    default: break;
    }
    return unit;
}

void TranslateCombineUnits(ZelkGrFixedCombineUnit color, ZelkGrFixedCombineUnit alpha, std::uint32_t* numStages,
                           D3DFixedBlendStagePair* stages, std::uint32_t capacity)
{
    if (alpha.local == kLocalDepth) {
        color = WithoutLocalAlpha(color, false);
        alpha = WithoutLocalAlpha(alpha, true);
        // What still reads the local alpha takes it from itself (x - x).
        alpha.local = 0;
    }
    auto mapColor = [&](std::uint8_t code) {
        return MapFixedCombineSource(code, color.local, color.other, alpha.local, alpha.other);
    };
    auto mapAlpha = [&](std::uint8_t code) { return MapFixedCombineSource(code, alpha.local, alpha.other); };
    TranslateUnit(kCombineUnitChipOrdinal, FixedColorOps(color.function, color.factor),
                  FixedAlphaOps(alpha.function, alpha.factor), mapColor, mapAlpha, color.invert, alpha.invert,
                  numStages, stages, capacity);

    const std::uint32_t n = *numStages;
    if (n == 0) return;
    D3DFixedBlendStagePair& first = stages[0];
    for (std::uint8_t* arg : {&first.color.arg1, &first.color.arg2, &first.color.arg0, &first.alpha.arg1,
                              &first.alpha.arg2, &first.alpha.arg0}) {
        if ((*arg & 0x0F) == kStageCurrent) *arg = kStageTemp;
    }
    stages[n - 1].result = kStageCurrent;
}

// True when a texture combine reads its other input, the output of the TMU
// above.
bool ReadsOther(const ZelkGrFixedTexCombine& combine)
{
    const auto reads = [](const FixedStageEntry& entry) {
        for (std::uint32_t i = 0; i < entry.count && i < 3; ++i) {
            for (std::uint8_t code : {entry.ops[i].arg1, entry.ops[i].arg2, entry.ops[i].arg0}) {
                if (code >= FIXARG_OTHER && code <= FIXARG_ONE_MINUS_OTHER_ALPHA) return true;
            }
        }
        return false;
    };
    return reads(FixedColorOps(combine.rgbFunction, combine.rgbFactor)) ||
           reads(FixedAlphaOps(combine.alphaFunction, combine.alphaFactor));
}

// Room for every stage the units can ask for: four per unit.
constexpr std::uint32_t kScratchStages = 16;

}  // namespace

void TranslateTexCombineFF(std::uint32_t tmu, std::uint32_t rgbFunction, std::uint32_t rgbFactor,
                           std::uint32_t rgbInvert, std::uint32_t alphaFunction, std::uint32_t alphaFactor,
                           std::uint32_t alphaInvert, std::uint32_t* numStages, D3DFixedBlendStagePair* stages)
{
    const ZelkGrFixedTexCombine combine = {rgbFunction, rgbFactor, rgbInvert, alphaFunction, alphaFactor, alphaInvert};
    TranslateTexUnit(tmu, combine, numStages, stages, kMaxFixedStages);
}

void TranslateColorAlphaCombineFF(std::uint32_t rgbFunction, std::uint32_t rgbFactor, std::uint32_t rgbLocal,
                                  std::uint32_t rgbOther, std::uint32_t rgbInvert, std::uint32_t alphaFunction,
                                  std::uint32_t alphaFactor, std::uint32_t alphaLocal, std::uint32_t alphaOther,
                                  std::uint32_t alphaInvert, std::uint32_t* numStages,
                                  D3DFixedBlendStagePair* stages)
{
    const ZelkGrFixedCombineUnit color = {rgbFunction, rgbFactor, rgbLocal, rgbOther, rgbInvert};
    const ZelkGrFixedCombineUnit alpha = {alphaFunction, alphaFactor, alphaLocal, alphaOther, alphaInvert};
    TranslateCombineUnits(color, alpha, numStages, stages, kMaxFixedStages);
}

bool TranslateFixedCombineState(const ZelkGrFixedCombineState& state, std::uint32_t maxStages,
                                ZelkGrFixedStageSetup& setup)
{
    if (maxStages == 0 || maxStages > kMaxFixedStages) maxStages = kMaxFixedStages;
    const std::uint32_t tmuCount = state.tmuCount < 2 ? state.tmuCount : 2;
    // The plain texel: LOCAL on both sides, no invert.
    const ZelkGrFixedTexCombine texel = {1, 0, 0, 1, 0, 0};

    // The ways of translating the TMU chain, from the whole chain to none:
    // the first whose stages leave room for the combine units is taken.
    enum Chain { kWhole, kWithoutUnreadTmu1, kTmu1Texel, kWithoutTmu1, kTmu0Texel, kNoTmu };
    D3DFixedBlendStagePair scratch[kScratchStages];
    std::uint32_t n = 0;
    Chain chain = kWhole;
    for (int way = kWhole; way <= kNoTmu; ++way) {
        chain = static_cast<Chain>(way);
        if (!state.usesTexture && chain != kNoTmu) continue;
        ZelkGrFixedTexCombine units[2] = {state.tmu[0], state.tmu[1]};
        bool useTmu[2] = {tmuCount > 0, tmuCount > 1};
        switch (chain) {
        case kWhole: break;
        case kWithoutUnreadTmu1:
            // Exact: TMU 1's output reaches nothing.
            if (!useTmu[1] || ReadsOther(units[0])) continue;
            useTmu[1] = false;
            break;
        case kTmu1Texel:
            if (!useTmu[1]) continue;
            units[1] = texel;
            break;
        case kWithoutTmu1:
            if (!useTmu[1]) continue;
            useTmu[1] = false;
            break;
        case kTmu0Texel:
            if (!useTmu[0]) continue;
            useTmu[1] = false;
            units[0] = texel;
            break;
        case kNoTmu:
            useTmu[0] = useTmu[1] = false;
            break;
        }
        n = 0;
        for (std::uint32_t t = 2; t-- > 0;) {
            if (useTmu[t]) TranslateTexUnit(t, units[t], &n, scratch, kScratchStages);
        }
        TranslateCombineUnits(state.color, state.alpha, &n, scratch, kScratchStages);
        if (n <= maxStages) break;
    }
    // The combine units alone may still not fit a device with very few
    // stages; the update then cuts the list.
    setup.numStages = n < kMaxFixedStages ? n : kMaxFixedStages;
    for (std::uint32_t i = 0; i < setup.numStages; ++i) setup.stages[i] = scratch[i];
    return (chain != kWhole && chain != kWithoutUnreadTmu1 && state.usesTexture) || n > maxStages;
}

bool CombineUsesTexture(std::uint32_t rgbFactor, std::uint32_t rgbOther, std::uint32_t alphaFactor,
                        std::uint32_t alphaOther)
{
    return rgbOther == kOtherTexture || alphaOther == kOtherTexture || rgbFactor == 4 || rgbFactor == 5 ||
           rgbFactor == 12 || alphaFactor == 4 || alphaFactor == 12;
}

}  // namespace zelk
