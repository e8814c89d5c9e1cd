#pragma once

// What both texel halves (fixed-function stages and ps_1_3 shaders) share:
// the hash of the pipeline key for their caches, and the rule by which the
// combine state uses a texture at all.
#include "render/ZelkGrPrimitiveRenderer.h"
#include "render/ZelkGrTexPipelineKey.h"

#include <cstddef>
#include <cstdint>

namespace zelk {

// ((chromakeyEnabled << 16) | itrgbLighting) + the four combine words,
// wrapping in 32 bits.
struct PipelineKeyHash {
    std::size_t operator()(const ZelkGrTexPipelineKey& key) const
    {
        const std::uint32_t h = ((static_cast<std::uint32_t>(key.chromakeyEnabled) << 16) | key.itrgbLighting) +
                                key.colorCombine + key.alphaCombine + key.texCombine[0] + key.texCombine[1];
        return h;
    }
};

// Size hint of the texel halves' caches.
constexpr std::size_t kTexPipelineCacheBuckets = 100;

// True when the combine state reads the texture output: an other selection
// GR_COMBINE_OTHER_TEXTURE, a colour factor 4, 5 or 12, an alpha factor 4 or 12.
inline bool TexelPipelineUsesTexture(const ZelkGrPrimitiveRenderer& r)
{
    return r.combineOther[0] == 1 || r.combineOther[1] == 1 || r.combineFactor[0] == 4 ||
           r.combineFactor[0] == 5 || r.combineFactor[0] == 12 || r.combineFactor[1] == 4 ||
           r.combineFactor[1] == 12;
}

// The texture units the texel pipeline handles: the setting, at most the two
// units the renderer keeps state for.
inline std::uint32_t TexelPipelineTmuCount(const ZelkGrPrimitiveRenderer& r)
{
    return r.settings.rendererTmuCount < 2 ? r.settings.rendererTmuCount : 2;
}

}  // namespace zelk
