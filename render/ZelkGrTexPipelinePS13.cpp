#include "render/ZelkGrTexPipelinePS13.h"

#include <sstream>

#include "framework/ZelkD3DSurface.h"
#include "framework/ZelkException.h"
#include "render/ZelkGrPrimitiveRendererSW.h"
#include "render/ZelkGrPrimitiveRendererVS11.h"
#include "render/ZelkGrPrimitiveRendererVS2x.h"

namespace zelk {

namespace {
constexpr UINT kColorkeyMapSize = 256;
// The register the shaders compare an untextured colour with when keying.
constexpr UINT kChromakeyColorRegister = 2;
}

template <class VertexPath>
ZelkGrTexPipelinePS13<VertexPath>::ZelkGrTexPipelinePS13(IDirect3DDevice9* device, std::uint32_t width,
                                                         std::uint32_t height, const ZelkGrRendererSettings& settings)
    : VertexPath(device, width, height, settings),
      pixelShaderCache(kTexPipelineCacheBuckets),
      colorkeyMapCache(kTexPipelineCacheBuckets)
{
    // The first batch translates the initial combine state.
    this->texelPipelineDirty = 1;
    if (this->device != nullptr) {
        for (DWORD sampler = 2; sampler < 4; ++sampler) {
            this->device->SetSamplerState(sampler, D3DSAMP_ADDRESSU, D3DTADDRESS_CLAMP);
            this->device->SetSamplerState(sampler, D3DSAMP_ADDRESSV, D3DTADDRESS_CLAMP);
            this->device->SetSamplerState(sampler, D3DSAMP_ADDRESSW, D3DTADDRESS_CLAMP);
        }
        this->device->SetPixelShaderConstantF(kChromakeyColorRegister, this->chromakeyColor, 1);
    }
}

template <class VertexPath>
ZelkGrTexPipelinePS13<VertexPath>::~ZelkGrTexPipelinePS13()
{
    this->Shutdown();
    for (auto& entry : colorkeyMapCache) {
        entry.second.second = nullptr;
        entry.second.first = nullptr;
    }
    colorkeyMapCache.clear();
    pixelShaderCache.clear();
    colorkeyMapGB = nullptr;
    colorkeyMapAR = nullptr;
}

template <class VertexPath>
void ZelkGrTexPipelinePS13<VertexPath>::SetChromakeyValue(const ZelkGrRenderCommand& command)
{
    ZelkGrPrimitiveRenderer::SetChromakeyValue(command);
    BindColorkeyMaps(command.value);
    this->device->SetPixelShaderConstantF(kChromakeyColorRegister, this->chromakeyColor, 1);
}

template <class VertexPath>
void ZelkGrTexPipelinePS13<VertexPath>::BindColorkeyMaps(std::uint32_t keyColor)
{
    auto found = colorkeyMapCache.find(keyColor);
    if (found == colorkeyMapCache.end()) {
        IDirect3DTexture9Ptr mapAR = ZelkD3DSurface::CreateColorkeyMapAR(
            this->device, this->chromakeyColor, kColorkeyMapSize, D3DFMT_A1R5G5B5, 1, 0);
        IDirect3DTexture9Ptr mapGB = ZelkD3DSurface::CreateColorkeyMapGB(
            this->device, this->chromakeyColor, kColorkeyMapSize, D3DFMT_A1R5G5B5, 0, 0);
        IDirect3DTexture9Ptr copyAR =
            ZelkD3DSurface::CreateTextureFromTexture(mapAR, 1, D3DX_FILTER_NONE, D3DPOOL_DEFAULT, 0, 0);
        IDirect3DTexture9Ptr copyGB =
            ZelkD3DSurface::CreateTextureFromTexture(mapGB, 1, D3DX_FILTER_NONE, D3DPOOL_DEFAULT, 0, 0);
        if (copyAR == nullptr || copyGB == nullptr) {
            return;
        }
        found = colorkeyMapCache.emplace(keyColor, std::make_pair(copyAR, copyGB)).first;
    }
    colorkeyMapAR = found->second.first;
    colorkeyMapGB = found->second.second;
}

template <class VertexPath>
void ZelkGrTexPipelinePS13<VertexPath>::SetConstantColor(const ZelkGrRenderCommand& command)
{
    const float scale = 1.0f / 255.0f;
    const float red = static_cast<float>((command.value >> 16) & 0xFF) * scale;
    const float green = static_cast<float>((command.value >> 8) & 0xFF) * scale;
    const float blue = static_cast<float>(command.value & 0xFF) * scale;
    const float alpha = static_cast<float>((command.value >> 24) & 0xFF) * scale;
    const float constants[8] = {red, green, blue, alpha, 1.0f - red, 1.0f - green, 1.0f - blue, 1.0f - alpha};
    this->device->SetPixelShaderConstantF(0, constants, 2);
}

template <class VertexPath>
ZelkGrPs13CombineState ZelkGrTexPipelinePS13<VertexPath>::CombineState() const
{
    ZelkGrPs13CombineState state;
    state.colorFunction = this->combineFunction[0];
    state.colorFactor = this->combineFactor[0];
    state.colorLocal = this->combineLocal[0];
    state.colorOther = this->combineOther[0];
    state.colorInvert = this->combineInvert[0];
    state.alphaFunction = this->combineFunction[1];
    state.alphaFactor = this->combineFactor[1];
    state.alphaLocal = this->combineLocal[1];
    state.alphaOther = this->combineOther[1];
    state.alphaInvert = this->combineInvert[1];
    for (int t = 0; t < 2; ++t) {
        const ZelkGrTmuState& tmu = this->tmuState[t];
        state.tmu[t] = {tmu.rgbFunction,   tmu.rgbFactor,   tmu.rgbInvert,
                        tmu.alphaFunction, tmu.alphaFactor, tmu.alphaInvert};
    }
    state.chromakeyMode = this->chromakeyMode;
    state.itrgbLighting = this->alphaControlsItrgbLighting != 0;
    return state;
}

template <class VertexPath>
void ZelkGrTexPipelinePS13<VertexPath>::UpdateTexelPipeline()
{
    IDirect3DDevice9* device = this->device;
    if (this->texelPipelineDirty) {
        ++pixelShaderLookups;
        auto found = pixelShaderCache.find(this->pipelineKey);
        if (found == pixelShaderCache.end()) {
            ++pixelShaderTranslations;
            const ZelkGrPs13CombineState state = CombineState();
            const std::uint32_t tmuCount = TexelPipelineTmuCount(*this);
            std::stringstream stream;
            ZelkGrTexPipelineTranslatorPS13::WritePs13Shader(state, tmuCount, stream);
            IDirect3DPixelShader9Ptr shader;
            try {
                shader = ZelkGrTexPipelineTranslatorPS13::CreatePixelShaderEnd(device, stream);
            } catch (const ZelkException&) {
                // Logged once with the shader text.  The state draws with a
                // simpler shader from now on, cached under its own key, so
                // that the rest of the package and its present go ahead and
                // the state is never translated (nor logged) again.
                // When the device takes no fallback either, the state is
                // cached without a shader: it draws with the fixed-function
                // pixel pipeline.
                shader = ZelkGrTexPipelineTranslatorPS13::CreateFallbackPixelShader(device, state, tmuCount);
            }
            found = pixelShaderCache.emplace(this->pipelineKey, shader).first;
        }
        device->SetPixelShader(found->second);
        this->texelPipelineDirty = 0;
    }
    if (!TexelPipelineUsesTexture(*this)) {
        for (DWORD stage = 0; stage < 4; ++stage) {
            device->SetTexture(stage, nullptr);
        }
        return;
    }
    for (std::uint32_t t = 0; t < TexelPipelineTmuCount(*this); ++t) {
        device->SetTexture(t, this->stageBindings[t].texture);
    }
    if (this->chromakeyMode == 1) {
        if (colorkeyMapAR == nullptr) {
            // Keying before any key colour was given: Glide's key is then
            // black, and unbound maps would key every texel.
            BindColorkeyMaps(0);
        }
        device->SetTexture(2, colorkeyMapAR);
        device->SetTexture(3, colorkeyMapGB);
    }
}

template class ZelkGrTexPipelinePS13<ZelkGrPrimitiveRendererSW>;
template class ZelkGrTexPipelinePS13<ZelkGrPrimitiveRendererVS11>;
template class ZelkGrTexPipelinePS13<ZelkGrPrimitiveRendererVS2x>;

}  // namespace zelk
