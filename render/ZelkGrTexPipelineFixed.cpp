#include "render/ZelkGrTexPipelineFixed.h"

#include "framework/ZelkException.h"
#include "render/ZelkGrPrimitiveRendererSW.h"

#include <cstring>

namespace zelk {

namespace {

constexpr DWORD kMaxFixedBlendStages = kMaxFixedStages;
// The least alpha of an untextured pixel while keying, as a stage constant.
constexpr DWORD kAlphaFloorConstant = 0x01000000;
const char* const kUpdateName = "ZelkGrTexPipelineFixed::UpdateTexelPipeline";
const char* const kApproximated =
    "The combine state needs more texture stages than the device has: the texture combine is approximated.";

DWORD FloatBits(float f)
{
    DWORD bits;
    std::memcpy(&bits, &f, sizeof bits);
    return bits;
}

}  // namespace

template <class VertexPath>
ZelkGrTexPipelineFixed<VertexPath>::ZelkGrTexPipelineFixed(IDirect3DDevice9* device, std::uint32_t width,
                                                           std::uint32_t height, const ZelkGrRendererSettings& settings)
    : VertexPath(device, width, height, settings), stageSetup(), stageSetupCache(kTexPipelineCacheBuckets)
{
    if (this->caps.MaxTextureBlendStages > kMaxFixedBlendStages) {
        this->caps.MaxTextureBlendStages = kMaxFixedBlendStages;
    }
}

template <class VertexPath>
ZelkGrTexPipelineFixed<VertexPath>::~ZelkGrTexPipelineFixed()
{
    this->Shutdown();
}

template <class VertexPath>
void ZelkGrTexPipelineFixed<VertexPath>::SetAlphaControlsITRGBLighting(const ZelkGrRenderCommand&)
{
    this->alphaControlsItrgbLighting = 0;
}

template <class VertexPath>
void ZelkGrTexPipelineFixed<VertexPath>::SetChromakeyMode(const ZelkGrRenderCommand& command)
{
    this->chromakeyMode = 0;
    keyingRequested = command.value == 1 ? 1 : 0;
}

template <class VertexPath>
void ZelkGrTexPipelineFixed<VertexPath>::SetTexClampMode(const ZelkGrRenderCommand& command)
{
    if (command.arg > 1) return;
    this->tmuState[command.arg].clampU = command.value >> 16;
    this->tmuState[command.arg].clampV = command.value & 0xFFFF;
    samplerStateDirty = 1;
}

template <class VertexPath>
void ZelkGrTexPipelineFixed<VertexPath>::SetTexFilterMode(const ZelkGrRenderCommand& command)
{
    if (command.arg > 1) return;
    this->tmuState[command.arg].minFilter = command.value >> 16;
    this->tmuState[command.arg].magFilter = command.value & 0xFFFF;
    samplerStateDirty = 1;
}

template <class VertexPath>
void ZelkGrTexPipelineFixed<VertexPath>::SetTexMipMapMode(const ZelkGrRenderCommand& command)
{
    if (command.arg > 1) return;
    this->tmuState[command.arg].mipFilter = command.value;
    samplerStateDirty = 1;
}

template <class VertexPath>
void ZelkGrTexPipelineFixed<VertexPath>::SetTexLodBiasValue(const ZelkGrRenderCommand& command)
{
    if (command.arg > 1) return;
    // The base computes the bias and its value (and sets sampler t, which the
    // update sets again from the stage list).
    VertexPath::SetTexLodBiasValue(command);
    samplerStateDirty = 1;
}

template <class VertexPath>
void ZelkGrTexPipelineFixed<VertexPath>::TranslateCurrentCombine(ZelkGrFixedStageSetup& setup) const
{
    ZelkGrFixedCombineState state;
    for (std::uint32_t t = 0; t < 2; ++t) {
        const ZelkGrTmuState& tmu = this->tmuState[t];
        state.tmu[t] = {tmu.rgbFunction, tmu.rgbFactor, tmu.rgbInvert, tmu.alphaFunction, tmu.alphaFactor,
                        tmu.alphaInvert};
    }
    state.color = {this->combineFunction[0], this->combineFactor[0], this->combineLocal[0], this->combineOther[0],
                   this->combineInvert[0]};
    state.alpha = {this->combineFunction[1], this->combineFactor[1], this->combineLocal[1], this->combineOther[1],
                   this->combineInvert[1]};
    state.usesTexture = TexelPipelineUsesTexture(*this);
    state.tmuCount = TexelPipelineTmuCount(*this);
    if (TranslateFixedCombineState(state, this->caps.MaxTextureBlendStages, setup)) {
        // Once per setup: the setup is cached.
        ZelkException note(kUpdateName, false, kApproximated);
        WriteErrorLog(note);
    }
}

template <class VertexPath>
void ZelkGrTexPipelineFixed<VertexPath>::ApplyStages()
{
    IDirect3DDevice9* d = this->device;
    const DWORD maxStages = this->caps.MaxTextureBlendStages;
    if (stageSetup.numStages < maxStages) {
        d->SetTextureStageState(stageSetup.numStages, D3DTSS_COLOROP, D3DTOP_DISABLE);
        d->SetTextureStageState(stageSetup.numStages, D3DTSS_ALPHAOP, D3DTOP_DISABLE);
    } else {
        stageSetup.numStages = maxStages;
    }
    for (DWORD i = 0; i < stageSetup.numStages; ++i) {
        const D3DFixedBlendStagePair& s = stageSetup.stages[i];
        d->SetTextureStageState(i, D3DTSS_COLOROP, static_cast<DWORD>(static_cast<std::uint8_t>(s.color.op)));
        d->SetTextureStageState(i, D3DTSS_COLORARG1, s.color.arg1);
        d->SetTextureStageState(i, D3DTSS_COLORARG2, s.color.arg2);
        d->SetTextureStageState(i, D3DTSS_COLORARG0, s.color.arg0);
        d->SetTextureStageState(i, D3DTSS_ALPHAOP, static_cast<DWORD>(static_cast<std::uint8_t>(s.alpha.op)));
        d->SetTextureStageState(i, D3DTSS_ALPHAARG1, s.alpha.arg1);
        d->SetTextureStageState(i, D3DTSS_ALPHAARG2, s.alpha.arg2);
        d->SetTextureStageState(i, D3DTSS_ALPHAARG0, s.alpha.arg0);
        d->SetTextureStageState(i, D3DTSS_RESULTARG, s.result);
        d->SetTextureStageState(i, D3DTSS_TEXCOORDINDEX, s.chipOrdinal);
    }
}

// A stage after the combine stages: alpha + (1 - alpha) / 255 (add smooth
// with the stage constant), which lifts 0 to 1 / 255 and changes no other
// alpha by more than a step.  A device without per-stage constants gets no
// such stage.  Taken away again by setting the stage's constant back to 0.
template <class VertexPath>
void ZelkGrTexPipelineFixed<VertexPath>::ApplyAlphaFloor(bool wanted)
{
    IDirect3DDevice9* d = this->device;
    if (alphaFloorStage != kNoAlphaFloorStage) {
        d->SetTextureStageState(alphaFloorStage, D3DTSS_CONSTANT, 0);
        alphaFloorStage = kNoAlphaFloorStage;
    }
    const DWORD stage = stageSetup.numStages;
    if (!wanted || stage >= this->caps.MaxTextureBlendStages ||
        (this->caps.PrimitiveMiscCaps & D3DPMISCCAPS_PERSTAGECONSTANT) == 0) {
        return;
    }
    d->SetTextureStageState(stage, D3DTSS_COLOROP, D3DTOP_SELECTARG1);
    d->SetTextureStageState(stage, D3DTSS_COLORARG1, D3DTA_CURRENT);
    d->SetTextureStageState(stage, D3DTSS_ALPHAOP, D3DTOP_ADDSMOOTH);
    d->SetTextureStageState(stage, D3DTSS_ALPHAARG1, D3DTA_CURRENT);
    d->SetTextureStageState(stage, D3DTSS_ALPHAARG2, D3DTA_CONSTANT);
    d->SetTextureStageState(stage, D3DTSS_CONSTANT, kAlphaFloorConstant);
    d->SetTextureStageState(stage, D3DTSS_RESULTARG, D3DTA_CURRENT);
    if (stage + 1 < this->caps.MaxTextureBlendStages) {
        d->SetTextureStageState(stage + 1, D3DTSS_COLOROP, D3DTOP_DISABLE);
        d->SetTextureStageState(stage + 1, D3DTSS_ALPHAOP, D3DTOP_DISABLE);
    }
    alphaFloorStage = stage;
}

template <class VertexPath>
void ZelkGrTexPipelineFixed<VertexPath>::ApplySamplerStates()
{
    IDirect3DDevice9* d = this->device;
    const std::uint32_t tmuCount = TexelPipelineTmuCount(*this);
    for (DWORD i = 0; i < stageSetup.numStages; ++i) {
        const std::uint32_t t = stageSetup.stages[i].chipOrdinal;
        if (t < tmuCount) {
            const ZelkGrTmuState& tmu = this->tmuState[t];
            d->SetSamplerState(i, D3DSAMP_ADDRESSU, tmu.clampU);
            d->SetSamplerState(i, D3DSAMP_ADDRESSV, tmu.clampV);
            d->SetSamplerState(i, D3DSAMP_MINFILTER, tmu.minFilter);
            d->SetSamplerState(i, D3DSAMP_MAGFILTER, tmu.magFilter);
            d->SetSamplerState(i, D3DSAMP_MIPFILTER, tmu.mipFilter);
            d->SetSamplerState(i, D3DSAMP_MIPMAPLODBIAS, FloatBits(tmu.lodBias));
        } else {
            d->SetSamplerState(i, D3DSAMP_ADDRESSU, D3DTADDRESS_WRAP);
            d->SetSamplerState(i, D3DSAMP_ADDRESSV, D3DTADDRESS_WRAP);
            d->SetSamplerState(i, D3DSAMP_MINFILTER, D3DTEXF_POINT);
            d->SetSamplerState(i, D3DSAMP_MAGFILTER, D3DTEXF_POINT);
            d->SetSamplerState(i, D3DSAMP_MIPFILTER, D3DTEXF_NONE);
            d->SetSamplerState(i, D3DSAMP_MIPMAPLODBIAS, 0);
        }
    }
}

template <class VertexPath>
void ZelkGrTexPipelineFixed<VertexPath>::BindTextures()
{
    IDirect3DDevice9* d = this->device;
    const std::uint32_t tmuCount = TexelPipelineTmuCount(*this);
    for (DWORD i = 0; i < stageSetup.numStages; ++i) {
        const std::uint32_t t = stageSetup.stages[i].chipOrdinal;
        d->SetTexture(i, t < tmuCount ? static_cast<IDirect3DTexture9*>(this->stageBindings[t].texture) : nullptr);
    }
    for (DWORD i = stageSetup.numStages; i < this->caps.MaxTextureBlendStages; ++i) {
        d->SetTexture(i, nullptr);
    }
}

template <class VertexPath>
void ZelkGrTexPipelineFixed<VertexPath>::UpdateTexelPipeline()
{
    const bool alphaFloor = keyingRequested != 0 && !TexelPipelineUsesTexture(*this);
    if (this->texelPipelineDirty) {
        const auto found = stageSetupCache.find(this->pipelineKey);
        if (found != stageSetupCache.end()) {
            stageSetup = found->second;
        } else {
            TranslateCurrentCombine(stageSetup);
            stageSetupCache.emplace(this->pipelineKey, stageSetup);
        }
        ApplyStages();
        ApplyAlphaFloor(alphaFloor);
        this->texelPipelineDirty = 0;
        samplerStateDirty = 1;
    } else if (alphaFloor != (alphaFloorStage != kNoAlphaFloorStage)) {
        ApplyStages();
        ApplyAlphaFloor(alphaFloor);
    }
    if (samplerStateDirty) {
        ApplySamplerStates();
        samplerStateDirty = 0;
    }
    BindTextures();
}

template class ZelkGrTexPipelineFixed<ZelkGrPrimitiveRendererSW>;

}  // namespace zelk
