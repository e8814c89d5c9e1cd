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
// D3DTA_CONSTANT: the stage constant, which the pipeline leaves at 0; stands
// for a value of zero (the depth as an alpha local selection).
constexpr std::uint8_t kZero = 0x06;
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
std::uint8_t MapAlphaLocal(std::uint32_t local)
{
    return local == kLocalDepth ? kZero : MapLocal(local);
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
// that the stage before wrote.  Nothing is written past kMaxFixedStages.
void Append(const D3DFixedBlendStagePair& stage, bool dropUnread, std::uint32_t& n, D3DFixedBlendStagePair* stages)
{
    if (dropUnread && n > 0 && !Reads(stage, kStageCurrent) && stage.result == kStageCurrent &&
        !(stages[n - 1].result == kStageTemp && Reads(stage, kStageTemp))) {
        --n;
    }
    if (n < kMaxFixedStages) stages[n++] = stage;
}

template <typename MapColor, typename MapAlpha>
void TranslateUnit(std::uint32_t chip, const FixedStageEntry& colorEntry, const FixedStageEntry& alphaEntry,
                   MapColor mapColor, MapAlpha mapAlpha, std::uint32_t rgbInvert, std::uint32_t alphaInvert,
                   std::uint32_t* numStages, D3DFixedBlendStagePair* stages)
{
    std::uint32_t n = *numStages < kMaxFixedStages ? *numStages : kMaxFixedStages;
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
        Append(D3DFixedBlendStagePair(chip, color, alpha, result), true, n, stages);
    }

    if (rgbInvert != 0 || alphaInvert != 0) {
        Append(D3DFixedBlendStagePair(chip, rgbInvert != 0 ? FixedInvertStage : FixedPassStage,
                                      alphaInvert != 0 ? FixedInvertStage : FixedPassStage, kStageCurrent),
               false, n, stages);
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
    case FIXARG_LOCAL_ALPHA: return WithModifiers(MapAlphaLocal(alphaLocal), 0x20);
    case FIXARG_ONE_MINUS_LOCAL_ALPHA: return WithModifiers(MapAlphaLocal(alphaLocal), 0x30);
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
    case FIXARG_LOCAL_ALPHA: return MapAlphaLocal(alphaLocal);
    case FIXARG_ONE_MINUS_LOCAL_ALPHA: return WithModifiers(MapAlphaLocal(alphaLocal), 0x10);
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

void TranslateTexCombineFF(std::uint32_t tmu, std::uint32_t rgbFunction, std::uint32_t rgbFactor,
                           std::uint32_t rgbInvert, std::uint32_t alphaFunction, std::uint32_t alphaFactor,
                           std::uint32_t alphaInvert, std::uint32_t* numStages, D3DFixedBlendStagePair* stages)
{
    auto mapAlpha = [](std::uint8_t code) { return code < FIXARG_COUNT ? kTexAlphaColumn[code] : kNoMapping; };
    auto mapColor = [](std::uint8_t code) { return MapFixedStageArgument(code); };
    TranslateUnit(tmu, FixedColorOps(rgbFunction, rgbFactor), FixedAlphaOps(alphaFunction, alphaFactor), mapColor,
                  mapAlpha, rgbInvert, alphaInvert, numStages, stages);
}

void TranslateColorAlphaCombineFF(std::uint32_t rgbFunction, std::uint32_t rgbFactor, std::uint32_t rgbLocal,
                                  std::uint32_t rgbOther, std::uint32_t rgbInvert, std::uint32_t alphaFunction,
                                  std::uint32_t alphaFactor, std::uint32_t alphaLocal, std::uint32_t alphaOther,
                                  std::uint32_t alphaInvert, std::uint32_t* numStages,
                                  D3DFixedBlendStagePair* stages)
{
    auto mapColor = [&](std::uint8_t code) {
        return MapFixedCombineSource(code, rgbLocal, rgbOther, alphaLocal, alphaOther);
    };
    auto mapAlpha = [&](std::uint8_t code) { return MapFixedCombineSource(code, alphaLocal, alphaOther); };
    TranslateUnit(kCombineUnitChipOrdinal, FixedColorOps(rgbFunction, rgbFactor),
                  FixedAlphaOps(alphaFunction, alphaFactor), mapColor, mapAlpha, rgbInvert, alphaInvert,
                  numStages, stages);

    const std::uint32_t n = *numStages;
    if (n == 0) return;
    D3DFixedBlendStagePair& first = stages[0];
    for (std::uint8_t* arg : {&first.color.arg1, &first.color.arg2, &first.color.arg0, &first.alpha.arg1,
                              &first.alpha.arg2, &first.alpha.arg0}) {
        if ((*arg & 0x0F) == kStageCurrent) *arg = kStageTemp;
    }
    stages[n - 1].result = kStageCurrent;
}

bool CombineUsesTexture(std::uint32_t rgbFactor, std::uint32_t rgbOther, std::uint32_t alphaFactor,
                        std::uint32_t alphaOther)
{
    return rgbOther == kOtherTexture || alphaOther == kOtherTexture || rgbFactor == 4 || rgbFactor == 5 ||
           rgbFactor == 12 || alphaFactor == 4 || alphaFactor == 12;
}

}  // namespace zelk
