#pragma once

// The fixed-function texel pipeline translator: turns the Glide combine
// state (the texture combine unit of each TMU, then the colour and alpha
// combine units) into an ordered list of Direct3D texture stages.
#include "render/ZelkGrFixedCombineTables.h"

#include <cstdint>

namespace zelk {

constexpr std::uint32_t kMaxFixedStages = 8;
constexpr std::uint32_t kCombineUnitChipOrdinal = 3;  // stages of the colour/alpha combine unit

// One texture stage of the list.
struct D3DFixedBlendStagePair {
    std::uint32_t chipOrdinal;  // the TMU whose texture and coordinates the stage uses
    std::uint8_t result;        // D3DTA_CURRENT (1) or D3DTA_TEMP (5)
    BlendStageArg color;
    BlendStageArg alpha;

    D3DFixedBlendStagePair() = default;
    D3DFixedBlendStagePair(std::uint32_t chip, const BlendStageArg& colorOp, const BlendStageArg& alphaOp,
                           std::uint8_t resultRegister)
        : chipOrdinal(chip), result(resultRegister), color(colorOp), alpha(alphaOp)
    {
    }
};

// A stage list: stages from numStages on are not in force.
struct ZelkGrFixedStageSetup {
    std::uint32_t numStages;
    D3DFixedBlendStagePair stages[kMaxFixedStages];

    // numStages 0; every stage {chip 0xFFFFFFFF, result CURRENT, both sides
    // {op -1, arguments 20, 20, 20}}.
    ZelkGrFixedStageSetup();
};

// D3DTA value of an argument code for a colour operation of a texture
// combine unit.  Codes outside 0..21 give 0xFF.
std::uint8_t MapFixedStageArgument(std::uint32_t code);

// D3DTA value of an argument code for a colour operation of the colour
// combine unit, given the four Glide selections of the colour and alpha units.
std::uint8_t MapFixedCombineSource(std::uint32_t code, std::uint32_t colorLocal, std::uint32_t colorOther,
                                   std::uint32_t alphaLocal, std::uint32_t alphaOther);

// D3DTA value of an argument code for an alpha operation of the alpha
// combine unit.
std::uint8_t MapFixedCombineSource(std::uint32_t code, std::uint32_t alphaLocal, std::uint32_t alphaOther);

// Appends the stages of one TMU's texture combine unit.  stages points to
// kMaxFixedStages records; nothing is written past them.
void TranslateTexCombineFF(std::uint32_t tmu, std::uint32_t rgbFunction, std::uint32_t rgbFactor,
                           std::uint32_t rgbInvert, std::uint32_t alphaFunction, std::uint32_t alphaFactor,
                           std::uint32_t alphaInvert, std::uint32_t* numStages, D3DFixedBlendStagePair* stages);

// Appends the stages of the colour and alpha combine units and finishes the
// list: stage 0 reads TEMP (zero) wherever it would read CURRENT, and the last
// stage writes CURRENT.  An alpha local DEPTH reads zero: that zero is folded
// into both units' functions and factors first, so that no stage reads it
// (MapFixedCombineSource has no mapping for DEPTH).
void TranslateColorAlphaCombineFF(std::uint32_t rgbFunction, std::uint32_t rgbFactor, std::uint32_t rgbLocal,
                                  std::uint32_t rgbOther, std::uint32_t rgbInvert, std::uint32_t alphaFunction,
                                  std::uint32_t alphaFactor, std::uint32_t alphaLocal, std::uint32_t alphaOther,
                                  std::uint32_t alphaInvert, std::uint32_t* numStages,
                                  D3DFixedBlendStagePair* stages);

// One TMU's texture combine, and one of the colour and alpha combine units.
struct ZelkGrFixedTexCombine {
    std::uint32_t rgbFunction, rgbFactor, rgbInvert, alphaFunction, alphaFactor, alphaInvert;
};
struct ZelkGrFixedCombineUnit {
    std::uint32_t function, factor, local, other, invert;
};

// The whole combine state of a stage setup.
struct ZelkGrFixedCombineState {
    ZelkGrFixedTexCombine tmu[2];
    ZelkGrFixedCombineUnit color;
    ZelkGrFixedCombineUnit alpha;
    bool usesTexture;        // the TMU chain is translated only when set
    std::uint32_t tmuCount;  // TMUs of the chain, at most 2
};

// Translates the combine state into at most maxStages stages (0 or more
// than kMaxFixedStages: kMaxFixedStages): the TMU chain from the highest TMU
// down, then the colour and alpha combine units.  The combine units are
// never left out.  When the whole chain leaves them no room, the chain is
// translated with less, taking the first of these that fits: without TMU 1
// when TMU 0 does not read it (exact); TMU 1 as its plain texel; without
// TMU 1; TMU 0 as its plain texel and no TMU 1; no TMU at all.  True when
// the setup is such an approximation (or still too long for maxStages).
bool TranslateFixedCombineState(const ZelkGrFixedCombineState& state, std::uint32_t maxStages,
                                ZelkGrFixedStageSetup& setup);

// True when the combine units read the texture output: an other selection
// GR_COMBINE_OTHER_TEXTURE, a colour factor 4, 5 or 12, an alpha factor 4 or 12.
bool CombineUsesTexture(std::uint32_t rgbFactor, std::uint32_t rgbOther, std::uint32_t alphaFactor,
                        std::uint32_t alphaOther);

}  // namespace zelk
