#pragma once

// The Glide rendering state that the front end keeps: the state block and
// one record per texture unit.  grGlideGetState copies them into the
// application's buffer as whole 32-bit words (the block into the first 128
// bytes, each unit's record into the next 88, 96 in 64-bit builds) and
// grGlideSetState re-applies them.
#include <cstdint>

#include "glideapi/Glide2Types.h"

namespace zelk {

struct ZelkGlideState {
    std::uint32_t colorCombineFunction = 1;
    std::uint32_t alphaCombineFunction = 1;
    std::uint32_t colorCombineFactor = 0;
    std::uint32_t alphaCombineFactor = 0;
    std::uint32_t colorCombineLocal = 1;
    std::uint32_t alphaCombineLocal = 1;
    std::uint32_t colorCombineOther = 2;
    std::uint32_t alphaCombineOther = 2;
    std::uint8_t colorCombineInvert = 0;
    std::uint8_t alphaCombineInvert = 0;
    std::uint8_t requestedAlphaTestFunction = 7;
    std::uint32_t blendRgbSource = 4;
    std::uint32_t blendRgbDestination = 0;
    std::uint32_t blendAlphaSource = 4;
    std::uint32_t blendAlphaDestination = 0;
    // The alpha test in force (derived from the requested one and the
    // chroma-key mode) and the one the application asked for.
    std::uint32_t alphaTestFunction = 7;
    std::uint32_t depthBufferFunction = 3;
    std::uint32_t constantColor = 0;    // device A8R8G8B8 layout
    std::uint32_t chromakeyValue = 0;   // device layout
    std::uint32_t fogColor = 0;         // device layout
    std::uint32_t renderBuffer = 1;
    std::uint16_t depthBiasLevel = 0;
    std::uint8_t alphaTestReference = 0;
    std::uint8_t requestedAlphaTestReference = 0;
    std::uint32_t cullMode = 0;
    std::uint32_t chromakeyMode = 0;
    std::uint32_t depthBufferMode = 0;
    std::uint32_t ditherMode = 0;
    std::uint32_t fogMode = 0;
    std::uint8_t rgbWriteMask = 1;
    std::uint8_t alphaWriteMask = 1;
    std::uint8_t depthWriteMask = 1;
    std::uint8_t alphaControlsItrgbLighting = 0;
    std::uint32_t origin = 0;
    std::uint32_t hintType = 0;
    std::uint32_t hintMask = 1;
    std::uint16_t clipMinX = 0;
    std::uint16_t clipMinY = 0;
    std::uint16_t clipMaxX = 0;
    std::uint16_t clipMaxY = 0;
    float gamma = 0.0f;
};

struct ZelkGlideTmuState {
    std::uint32_t rgbFunction = 0;
    std::uint32_t alphaFunction = 0;
    std::uint32_t rgbFactor = 0;
    std::uint32_t alphaFactor = 0;
    std::uint8_t rgbInvert = 0;
    std::uint8_t alphaInvert = 0;
    std::uint32_t sClampMode = 0;
    std::uint32_t tClampMode = 0;
    std::uint32_t minFilterMode = 0;
    std::uint32_t magFilterMode = 0;
    std::uint32_t mipMapMode = 0;
    std::uint32_t lodBlend = 0;      // 0 or 1
    float lodBias = 0.0f;
    float detailMax = 1.0f;
    std::int32_t detailLodBias = 0;
    std::uint32_t detailScale = 0;   // 0 to 255
    std::uint32_t sourceStartAddress = 0;
    std::uint32_t sourceEvenOdd = 3;
    GrTexInfo sourceInfo = {0, 0, 0, 0, nullptr};
};

constexpr unsigned kGlideStateBytes = 128;
// A unit's record ends with a GrTexInfo, whose texel pointer takes 8 bytes
// (and 8-byte alignment) in 64-bit builds.
constexpr unsigned kGlideTmuStateBytes = sizeof(void*) == 4 ? 88 : 96;
constexpr unsigned kGlideTmuCount = 2;

static_assert(sizeof(ZelkGlideState) <= kGlideStateBytes, "the state block fits its part of GrState");
static_assert(sizeof(ZelkGlideTmuState) == kGlideTmuStateBytes, "a unit's record fills its part of GrState");
static_assert(kGlideStateBytes + kGlideTmuCount * kGlideTmuStateBytes <= sizeof(GrState),
              "the saved state fits GrState");

}  // namespace zelk
