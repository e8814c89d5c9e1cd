#pragma once

// The fixed-function texel half: carries out the Glide combine units with
// Direct3D texture stages.  A class template over a vertex path; the stage
// setup of each combine state is translated once and cached.
#include "render/ZelkGrPrimitiveRenderer.h"
#include "render/ZelkGrTexPipelineCommon.h"
#include "render/ZelkGrTexPipelineTranslatorFixed.h"

#include <cstdint>
#include <unordered_map>

namespace zelk {

template <class VertexPath>
class ZelkGrTexPipelineFixed : public VertexPath {
public:
    ZelkGrTexPipelineFixed(IDirect3DDevice9* device, std::uint32_t width, std::uint32_t height,
                           const ZelkGrRendererSettings& settings);
    // Shuts the renderer down before the cache goes, so that no package is
    // being played while it is released.
    ~ZelkGrTexPipelineFixed() override;

    // The fixed-function half ignores chroma-keying and alpha-controlled
    // ITRGB lighting: both commands clear their field and leave the key.
    void SetAlphaControlsITRGBLighting(const ZelkGrRenderCommand& command) override;
    void SetChromakeyMode(const ZelkGrRenderCommand& command) override;
    // Store into the TMU's state; the sampler states are set by the update.
    void SetTexClampMode(const ZelkGrRenderCommand& command) override;
    void SetTexFilterMode(const ZelkGrRenderCommand& command) override;
    void SetTexMipMapMode(const ZelkGrRenderCommand& command) override;
    void SetTexLodBiasValue(const ZelkGrRenderCommand& command) override;

    void UpdateTexelPipeline() override;

    ZelkGrFixedStageSetup stageSetup;
    std::unordered_map<ZelkGrTexPipelineKey, ZelkGrFixedStageSetup, PipelineKeyHash> stageSetupCache;
    std::uint8_t samplerStateDirty = 0;

private:
    void TranslateCurrentCombine(ZelkGrFixedStageSetup& setup) const;
    void ApplyStages();
    void ApplySamplerStates();
    void BindTextures();
};

}  // namespace zelk
