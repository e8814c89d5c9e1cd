#pragma once

// Translation data of the fixed-function texel pipeline: for every Glide
// combine function and factor, the one or two texture-stage operations that
// compute it on the colour side and on the alpha side.  The operations carry
// abstract argument codes (FixedArg) that the translator resolves for the
// unit at hand.  The data are built at compile time and only read.
#include <cstdint>

namespace zelk {

// One texture-stage operation for one side (colour or alpha).
struct BlendStageArg {
    std::int8_t op;       // D3DTEXTUREOP, -1 slot not used, -2 pair not supported
    std::uint8_t result;  // register written: 1 D3DTA_CURRENT, 5 D3DTA_TEMP
    std::uint8_t arg1;
    std::uint8_t arg2;
    std::uint8_t arg0;    // third argument (MULTIPLYADD, LERP)
};
static_assert(sizeof(BlendStageArg) == 5, "five bytes");

// Built from (op, arg1, arg2, arg0, result): the result is the last parameter
// but the record's second byte.
constexpr BlendStageArg MakeBlendStageArg(std::int8_t op, std::uint8_t arg1, std::uint8_t arg2,
                                          std::uint8_t arg0, std::uint8_t result)
{
    return BlendStageArg{op, result, arg1, arg2, arg0};
}

// Argument codes of the tables.
enum FixedArg : std::uint8_t {
    FIXARG_LOCAL = 0,
    FIXARG_ONE_MINUS_LOCAL = 1,
    FIXARG_LOCAL_ALPHA = 2,
    FIXARG_ONE_MINUS_LOCAL_ALPHA = 3,
    FIXARG_OTHER = 4,
    FIXARG_ONE_MINUS_OTHER = 5,
    FIXARG_OTHER_ALPHA = 6,
    FIXARG_ONE_MINUS_OTHER_ALPHA = 7,
    FIXARG_PREVIOUS = 8,
    FIXARG_ONE_MINUS_PREVIOUS = 9,
    FIXARG_PREVIOUS_ALPHA = 10,
    FIXARG_ONE_MINUS_PREVIOUS_ALPHA = 11,
    FIXARG_TEMP = 12,
    FIXARG_ONE_MINUS_TEMP = 13,
    FIXARG_TEMP_ALPHA = 14,
    FIXARG_ONE_MINUS_TEMP_ALPHA = 15,
    FIXARG_TEXTURE_RGB = 16,
    FIXARG_ONE_MINUS_TEXTURE_RGB = 17,
    FIXARG_TEXTURE_ALPHA = 18,
    FIXARG_ONE_MINUS_TEXTURE_ALPHA = 19,
    FIXARG_NONE = 20,
    FIXARG_SPECULAR = 21,
    FIXARG_COUNT = 22,
};

// The translation of one (function, factor) pair on one side.
struct FixedStageEntry {
    std::uint32_t count;     // operations used: 0 (not supported), 1 or 2
    BlendStageArg ops[3];    // unused slots are {-1, 1, 20, 20, 20}
};

constexpr std::uint8_t kStageCurrent = 0x01;  // D3DTA_CURRENT
constexpr std::uint8_t kStageTemp = 0x05;     // D3DTA_TEMP
constexpr BlendStageArg kUnusedStageOp = {-1, kStageCurrent, FIXARG_NONE, FIXARG_NONE, FIXARG_NONE};

constexpr FixedStageEntry MakeFixedStageEntry(FixedStageEntry& entry, std::uint32_t count,
                                              BlendStageArg op0, BlendStageArg op1, BlendStageArg op2)
{
    entry.count = count;
    entry.ops[0] = op0;
    entry.ops[1] = op1;
    entry.ops[2] = op2;
    return entry;
}

// Colour-side and alpha-side entry of a combine function (GR_COMBINE_FUNCTION_*)
// and factor (GR_COMBINE_FACTOR_*).  A function or factor without a
// translation (functions 10 to 15 and above 16, factors above 13, factors 6
// and 7 of the functions that scale) gives the unsupported entry: count 0.
const FixedStageEntry& FixedColorOps(std::uint32_t function, std::uint32_t factor);
const FixedStageEntry& FixedAlphaOps(std::uint32_t function, std::uint32_t factor);

// The constant operations, with D3DTA arguments.
extern const BlendStageArg FixedInvertStage;   // SELECTARG1(1 - CURRENT)
extern const BlendStageArg FixedRestoreStage;  // SELECTARG1(TEMP)
extern const BlendStageArg FixedPassStage;     // SELECTARG1(CURRENT)

}  // namespace zelk
