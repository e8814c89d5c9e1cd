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

    // The fixed-function half ignores alpha-controlled ITRGB lighting, and
    // chroma-keying but for one thing: both commands clear their field and
    // leave the key.  Keyed texels come without alpha from the texture
    // download and fall to the alpha test that keying forces (greater or
    // equal 1); an untextured colour cannot be keyed by stages, so while
    // keying its alpha is raised to at least 1 / 255 to pass that test.
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
    // Chroma-keying as the last command 5 asked for it.
    std::uint8_t keyingRequested = 0;

private:
    static constexpr DWORD kNoAlphaFloorStage = 0xFFFFFFFF;
    // The stage that raises the alpha while keying untextured colour, or
    // kNoAlphaFloorStage.
    DWORD alphaFloorStage = kNoAlphaFloorStage;
    void ApplyAlphaFloor(bool wanted);

    void TranslateCurrentCombine(ZelkGrFixedStageSetup& setup) const;
    void ApplyStages();
    void ApplySamplerStates();
    void BindTextures();
};

}  // namespace zelk
