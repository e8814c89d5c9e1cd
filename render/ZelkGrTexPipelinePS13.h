#pragma once

// The ps_1_3 texel half: carries out the Glide combine units, chroma-keying
// and ITRGB lighting with a ps_1_3 pixel shader per combine state.  A class
// template over a vertex path; each shader is translated once and cached,
// and so is each pair of colour-key maps.
#include "render/ZelkGrPrimitiveRenderer.h"
#include "render/ZelkGrTexPipelineCommon.h"
#include "render/ZelkGrTexPipelineTranslatorPS13.h"

#include <cstdint>
#include <unordered_map>
#include <utility>

namespace zelk {

template <class VertexPath>
class ZelkGrTexPipelinePS13 : public VertexPath {
public:
    ZelkGrTexPipelinePS13(IDirect3DDevice9* device, std::uint32_t width, std::uint32_t height,
                          const ZelkGrRendererSettings& settings);
    // Shuts the renderer down before the caches and maps go, so that no
    // package is being played while they are released.
    ~ZelkGrTexPipelinePS13() override;

    // Stores the key colour, then binds (building once per colour) its pair
    // of colour-key maps.
    void SetChromakeyValue(const ZelkGrRenderCommand& command) override;
    // c0 the constant colour, c1 its complement.
    void SetConstantColor(const ZelkGrRenderCommand& command) override;

    void UpdateTexelPipeline() override;

    // The combine state of the renderer as the translator takes it.
    ZelkGrPs13CombineState CombineState() const;

private:
    // Binds the colour-key maps of the key colour (packed ARGB; the float
    // copy in chromakeyColor), building them the first time.
    void BindColorkeyMaps(std::uint32_t keyColor);

public:

    IDirect3DTexture9Ptr colorkeyMapAR;
    IDirect3DTexture9Ptr colorkeyMapGB;
    std::unordered_map<ZelkGrTexPipelineKey, IDirect3DPixelShader9Ptr, PipelineKeyHash> pixelShaderCache;
    std::unordered_map<std::uint32_t, std::pair<IDirect3DTexture9Ptr, IDirect3DTexture9Ptr>> colorkeyMapCache;

    // Statistics: dirty updates, and those that translated a shader.
    std::uint64_t pixelShaderLookups = 0;
    std::uint64_t pixelShaderTranslations = 0;
};

}  // namespace zelk
