#pragma once

// The values of Glide's enumerations that the front end's setters accept.
// A setter refuses any other value with the parameter error named here,
// logged, and changes nothing.
#include <cstdint>

namespace zelk {

constexpr const char* kMessageBadCullMode = "The parameter [ GrCullMode_t mode ] is invalid.";
constexpr const char* kMessageBadCompareFunction = "The parameter [ GrCmpFnc_t function ] is invalid.";
constexpr const char* kMessageBadDepthBufferMode = "The parameter [ GrDepthBufferMode_t mode ] is invalid.";
constexpr const char* kMessageBadFogMode = "The parameter [ GrFogMode_t mode ] is invalid.";
constexpr const char* kMessageBadChromakeyMode = "The parameter [ GrChromakeyMode_t mode ] is invalid.";
constexpr const char* kMessageBadClampMode = "The parameter [ GrTextureClampMode_t clampMode ] is invalid.";
constexpr const char* kMessageBadFilterMode = "The parameter [ GrTextureFilterMode_t filterMode ] is invalid.";
constexpr const char* kMessageBadMipMapMode = "The parameter [ GrMipMapMode_t mode ] is invalid.";
// The four factors of grAlphaBlendFunction, in their order.
constexpr const char* kMessagesBadBlendFactor[4] = {
    "The parameter [ GrAlphaBlendFnc_t rgb_sf ] is invalid.",
    "The parameter [ GrAlphaBlendFnc_t rgb_df ] is invalid.",
    "The parameter [ GrAlphaBlendFnc_t alpha_sf ] is invalid.",
    "The parameter [ GrAlphaBlendFnc_t alpha_df ] is invalid.",
};

// Disable, negative, positive.
inline bool IsGrCullMode(std::uint32_t mode) { return mode <= 2; }
// Never ... always.
inline bool IsGrCmpFnc(std::uint32_t function) { return function <= 7; }
// Disable, Z, W, and Z and W compared to the bias.
inline bool IsGrDepthBufferMode(std::uint32_t mode) { return mode <= 4; }
inline bool IsGrChromakeyMode(std::uint32_t mode) { return mode <= 1; }
// Zero ... one minus destination alpha, and alpha saturate / pre-fog colour;
// the codes 8 to 0xE are reserved.
inline bool IsGrBlendFactor(std::uint32_t factor) { return factor <= 7 || factor == 0xF; }
// Disable or one of the three fog sources, the last three with the
// multiply-by-two and add-two bits.
inline bool IsGrFogMode(std::uint32_t mode)
{
    const std::uint32_t source = mode & ~0x300u;
    return mode == 0 || (source >= 1 && source <= 3);
}
// Wrap, clamp.
inline bool IsGrClampMode(std::uint32_t mode) { return mode <= 1; }
// Point sampled, bilinear.
inline bool IsGrFilterMode(std::uint32_t mode) { return mode <= 1; }
// Disable, nearest, nearest with dither.
inline bool IsGrMipMapMode(std::uint32_t mode) { return mode <= 2; }

// The message of the first blend factor outside its enumeration, or null.
inline const char* CheckGrBlendFactors(std::uint32_t rgbSource, std::uint32_t rgbDestination,
                                       std::uint32_t alphaSource, std::uint32_t alphaDestination)
{
    const std::uint32_t factors[4] = {rgbSource, rgbDestination, alphaSource, alphaDestination};
    for (int i = 0; i < 4; ++i) {
        if (!IsGrBlendFactor(factors[i])) {
            return kMessagesBadBlendFactor[i];
        }
    }
    return nullptr;
}

// The message for texture clamp, filter and mip-map modes outside their
// enumerations, or null when all are valid.
inline const char* CheckGrTextureModes(std::uint32_t sClamp, std::uint32_t tClamp, std::uint32_t minFilter,
                                       std::uint32_t magFilter, std::uint32_t mipMapMode)
{
    if (!IsGrClampMode(sClamp) || !IsGrClampMode(tClamp)) {
        return kMessageBadClampMode;
    }
    if (!IsGrFilterMode(minFilter) || !IsGrFilterMode(magFilter)) {
        return kMessageBadFilterMode;
    }
    if (!IsGrMipMapMode(mipMapMode)) {
        return kMessageBadMipMapMode;
    }
    return nullptr;
}

}  // namespace zelk
