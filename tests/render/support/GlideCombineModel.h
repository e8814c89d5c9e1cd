#pragma once

// Reference models for combine tests.
//
// EvaluateGlideCombine: what Glide's texture combine units (TMU 1, then
// TMU 0) and colour and alpha combine units compute for one pixel: each unit
// computes its function of local, other and factor in signed arithmetic and
// clamps (then inverts) only its result.
//
// EvaluateFixedStages: what Direct3D's fixed-function texture stages compute
// for a stage list: every operation saturates to 0..1.
#include <cstdint>

namespace zelktest {

struct Rgba {
    float r, g, b, a;
};

struct GlideCombineUnit {  // grColorCombine / grAlphaCombine
    std::uint32_t function, factor, local, other, invert;
};

struct GlideTexCombine {  // grTexCombine of one TMU
    std::uint32_t rgbFunction, rgbFactor, rgbInvert, alphaFunction, alphaFactor, alphaInvert;
};

struct GlidePixelInputs {
    Rgba iterated;      // the vertex colour
    Rgba constant;      // grConstantColorValue
    Rgba texel[2];      // the texel of TMU 0 and TMU 1
    float detail;       // the detail factor
    float lodFraction;  // the level-of-detail fraction
};

// TMU t's output, given its texel and the output of the TMU above (zero for
// the top TMU).
Rgba EvaluateTexCombine(const GlideTexCombine& tmu, const Rgba& local, const Rgba& other, float detail,
                        float lodFraction);

// The pixel colour before fog and blending.  With useTexture false the TMUs
// are not evaluated and the texture output is zero.
Rgba EvaluateGlideCombine(const GlideCombineUnit& color, const GlideCombineUnit& alpha, const GlideTexCombine tmu[2],
                          const GlidePixelInputs& in, bool useTexture);

// Inputs of the texture-stage model.
struct FixedStageInputs {
    Rgba diffuse, specular, tfactor;
    Rgba texture[4];  // by the stage's chip ordinal (0, 1; others read zero)
};

struct FixedStage {
    std::uint32_t chip;
    std::uint8_t result;
    std::int8_t colorOp, alphaOp;
    std::uint8_t colorArgs[3], alphaArgs[3];  // arg1, arg2, arg0
};

Rgba EvaluateFixedStages(const FixedStage* stages, std::uint32_t count, const FixedStageInputs& in);

}  // namespace zelktest
