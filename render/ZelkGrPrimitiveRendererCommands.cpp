// The render-state commands, played from packages.
#include "render/ZelkGrPrimitiveRenderer.h"

#include <float.h>

#include <cmath>
#include <cstring>

namespace zelk {

namespace {

using CommandOperation = void (ZelkGrPrimitiveRenderer::*)(const ZelkGrRenderCommand&);

// Command id n runs entry n - 1.
const CommandOperation kCommandOperations[ZelkGrPrimitiveRenderer::kCommandCount] = {
    &ZelkGrPrimitiveRenderer::SetOrigin,
    &ZelkGrPrimitiveRenderer::SetHints,
    &ZelkGrPrimitiveRenderer::SetAlphaControlsITRGBLighting,
    &ZelkGrPrimitiveRenderer::SetAlphaBlendFunction,
    &ZelkGrPrimitiveRenderer::SetChromakeyMode,
    &ZelkGrPrimitiveRenderer::SetChromakeyValue,
    &ZelkGrPrimitiveRenderer::SetConstantColor,
    &ZelkGrPrimitiveRenderer::SetReservedValue,
    &ZelkGrPrimitiveRenderer::SetDepthBufferMode,
    &ZelkGrPrimitiveRenderer::SetFogMode,
    &ZelkGrPrimitiveRenderer::SetGammaCorrectionValue,
    &ZelkGrPrimitiveRenderer::SetColorCombine,
    &ZelkGrPrimitiveRenderer::SetAlphaCombine,
    &ZelkGrPrimitiveRenderer::SetTexCombine,
    &ZelkGrPrimitiveRenderer::SetTexClampMode,
    &ZelkGrPrimitiveRenderer::SetTexFilterMode,
    &ZelkGrPrimitiveRenderer::SetTexMipMapMode,
    &ZelkGrPrimitiveRenderer::SetTexLodBiasValue,
    &ZelkGrPrimitiveRenderer::SetTexDetailLodBias,
    &ZelkGrPrimitiveRenderer::SetTexDetailScale,
    &ZelkGrPrimitiveRenderer::SetTexDetailMax,
};

// STW hint bits and what each sets.
const std::uint32_t kHintWDiffFbi = 0x01;
const std::uint32_t kHintWDiffTmu0 = 0x02;
const std::uint32_t kHintStDiffTmu0 = 0x04;
const std::uint32_t kHintWDiffTmu1 = 0x08;
const std::uint32_t kHintStDiffTmu1 = 0x10;
const std::uint32_t kHintKnownBits = 0x1F;

// Glide blend factor codes as Direct3D blend values, as a source and as a
// destination.  Codes that are no Glide factor leave the colour as it is:
// ONE as a source, ZERO as a destination.
D3DBLEND SourceBlend(std::uint32_t code)
{
    switch (code) {
    case 0: return D3DBLEND_ZERO;
    case 1: return D3DBLEND_SRCALPHA;
    case 2: return D3DBLEND_DESTCOLOR;
    case 3: return D3DBLEND_DESTALPHA;
    case 4: return D3DBLEND_ONE;
    case 5: return D3DBLEND_INVSRCALPHA;
    case 6: return D3DBLEND_INVDESTCOLOR;
    case 7: return D3DBLEND_INVDESTALPHA;
    case 15: return D3DBLEND_SRCALPHASAT;
    default: return D3DBLEND_ONE;
    }
}

D3DBLEND DestinationBlend(std::uint32_t code)
{
    switch (code) {
    case 0: return D3DBLEND_ZERO;
    case 1: return D3DBLEND_SRCALPHA;
    case 2: return D3DBLEND_SRCCOLOR;
    case 3: return D3DBLEND_DESTALPHA;
    case 4: return D3DBLEND_ONE;
    case 5: return D3DBLEND_INVSRCALPHA;
    case 6: return D3DBLEND_INVSRCCOLOR;
    case 7: return D3DBLEND_INVDESTALPHA;
    case 15: return D3DBLEND_SRCALPHA;
    default: return D3DBLEND_ZERO;
    }
}

float BitsToFloat(std::uint32_t bits)
{
    float value;
    std::memcpy(&value, &bits, sizeof value);
    return value;
}

DWORD FloatToBits(float value)
{
    DWORD bits;
    std::memcpy(&bits, &value, sizeof bits);
    return bits;
}

// Limits an application value to [low, high]; NaN becomes 0 (then limited).
double Clamp(double value, double low, double high)
{
    if (std::isnan(value)) {
        value = 0.0;
    }
    return value < low ? low : (value > high ? high : value);
}

// Single-precision constants, rounded to float once (arithmetic may run in
// wider precision).
const float kOneOver255 = 1.0f / 255.0f;
const float kOneOver65535 = 1.0f / 65535.0f;

// (2^exponent - 1) / 255 as the detail and LOD-bias values take it.
float PowerValue(double exponent)
{
    return static_cast<float>((std::pow(2.0, exponent) - 1.0) * static_cast<double>(kOneOver255));
}

// Bounds of the application's exponents: wide enough for every Glide value,
// narrow enough that every result stays finite.
const double kLodBiasLimit = 16.0;
const double kDetailExponentLimit = 64.0;
const double kGammaExponentLimit = 1.0e6;

}  // namespace

void ZelkGrPrimitiveRenderer::RunCommand(const ZelkGrRenderCommand& command)
{
    if (command.id >= 1 && command.id <= kCommandCount) {
        (this->*kCommandOperations[command.id - 1])(command);
    }
}

void ZelkGrPrimitiveRenderer::SetOrigin(const ZelkGrRenderCommand& command)
{
    originUpperLeft = command.value == 1 ? 1 : 0;
}

void ZelkGrPrimitiveRenderer::SetHints(const ZelkGrRenderCommand& command)
{
    const std::uint32_t mask = command.value;
    if ((mask & kHintKnownBits) == 0) {
        tmuState[0].activeW = tmuState[1].activeW = 2;
        tmuState[0].activeST = tmuState[1].activeST = 0;
        return;
    }
    if (mask & kHintWDiffFbi) {
        tmuState[0].activeW = tmuState[1].activeW = 2;
    }
    if (mask & kHintWDiffTmu0) {
        tmuState[0].activeW = tmuState[1].activeW = 0;
    }
    if (mask & kHintStDiffTmu0) {
        tmuState[0].activeST = tmuState[1].activeST = 0;
    }
    if (mask & kHintWDiffTmu1) {
        tmuState[1].activeW = 1;
    }
    if (mask & kHintStDiffTmu1) {
        tmuState[1].activeST = 1;
    }
}

void ZelkGrPrimitiveRenderer::SetAlphaControlsITRGBLighting(const ZelkGrRenderCommand& command)
{
    texelPipelineDirty = 1;
    alphaControlsItrgbLighting = command.value == 1 ? 1 : 0;
    pipelineKey.itrgbLighting = alphaControlsItrgbLighting;
}

void ZelkGrPrimitiveRenderer::SetAlphaBlendFunction(const ZelkGrRenderCommand& command)
{
    srcBlend = SourceBlend((command.value >> 24) & 0xFF);
    dstBlend = DestinationBlend((command.value >> 16) & 0xFF);
    srcBlendAlpha = SourceBlend((command.value >> 8) & 0xFF);
    dstBlendAlpha = DestinationBlend(command.value & 0xFF);

    // Blending is off only when neither pair changes what is written.  Alpha
    // (ZERO, ZERO) writes what (ONE, ZERO) writes only where the back buffer
    // keeps no alpha.
    const bool colorIsCopy = srcBlend == D3DBLEND_ONE && dstBlend == D3DBLEND_ZERO;
    const bool alphaIsCopy = (srcBlendAlpha == D3DBLEND_ONE && dstBlendAlpha == D3DBLEND_ZERO) ||
                             (backBufferHasAlpha == 0 && srcBlendAlpha == D3DBLEND_ZERO &&
                              dstBlendAlpha == D3DBLEND_ZERO);
    const DWORD blending = colorIsCopy && alphaIsCopy ? FALSE : TRUE;
    if (caps.PrimitiveMiscCaps & D3DPMISCCAPS_SEPARATEALPHABLEND) {
        SetDeviceRenderState(D3DRS_SRCBLEND, srcBlend);
        SetDeviceRenderState(D3DRS_DESTBLEND, dstBlend);
        SetDeviceRenderState(D3DRS_SRCBLENDALPHA, srcBlendAlpha);
        SetDeviceRenderState(D3DRS_DESTBLENDALPHA, dstBlendAlpha);
        SetDeviceRenderState(D3DRS_ALPHABLENDENABLE, blending);
        // Without the separate pair alpha is blended with the colour pair.
        const bool samePairs = srcBlend == srcBlendAlpha && dstBlend == dstBlendAlpha;
        SetDeviceRenderState(D3DRS_SEPARATEALPHABLENDENABLE, samePairs ? FALSE : TRUE);
        return;
    }
    SetDeviceRenderState(D3DRS_ALPHABLENDENABLE, blending);
}

void ZelkGrPrimitiveRenderer::SetChromakeyMode(const ZelkGrRenderCommand& command)
{
    chromakeyMode = command.value;
    texelPipelineDirty = 1;
    pipelineKey.chromakeyEnabled = command.value == 1 ? 1 : 0;
}

void ZelkGrPrimitiveRenderer::SetChromakeyValue(const ZelkGrRenderCommand& command)
{
    const float scale = kOneOver255;
    chromakeyColor[0] = static_cast<float>((command.value >> 16) & 0xFF) * scale;
    chromakeyColor[1] = static_cast<float>((command.value >> 8) & 0xFF) * scale;
    chromakeyColor[2] = static_cast<float>(command.value & 0xFF) * scale;
    chromakeyColor[3] = static_cast<float>((command.value >> 24) & 0xFF) * scale;
}

void ZelkGrPrimitiveRenderer::SetConstantColor(const ZelkGrRenderCommand& command)
{
    SetDeviceRenderState(D3DRS_TEXTUREFACTOR, command.value);
}

void ZelkGrPrimitiveRenderer::SetReservedValue(const ZelkGrRenderCommand& command)
{
    reservedValue = command.value;
}

void ZelkGrPrimitiveRenderer::SetDepthBufferMode(const ZelkGrRenderCommand& command)
{
    // Compare-to-bias modes and values that are no Glide mode turn depth off.
    switch (command.value) {
    case 1:
        SetDeviceRenderState(D3DRS_ZENABLE, D3DZB_TRUE);
        depthBufferMode = 1;
        break;
    case 2:
        // Without a w-buffer of its own the device compares z, which the
        // vertex conversion derives from w for this mode.
        SetDeviceRenderState(D3DRS_ZENABLE,
                             (caps.RasterCaps & D3DPRASTERCAPS_WBUFFER) != 0 ? D3DZB_USEW : D3DZB_TRUE);
        depthBufferMode = 2;
        break;
    default:
        SetDeviceRenderState(D3DRS_ZENABLE, D3DZB_FALSE);
        depthBufferMode = 0;
        break;
    }
}

void ZelkGrPrimitiveRenderer::SetFogMode(const ZelkGrRenderCommand& command)
{
    fogMode = command.value & 0xFF;
    if (fogMode == 1 || fogMode == 2) {
        SetDeviceRenderState(D3DRS_FOGENABLE, TRUE);
    } else {
        fogMode = 0;
        SetDeviceRenderState(D3DRS_FOGENABLE, FALSE);
    }
}

void ZelkGrPrimitiveRenderer::GammaRampEntries(float gamma, WORD* entries)
{
    // Direct3D leaves the processor's floating-point unit in single
    // precision on the thread that made the device: the ramp is worked out
    // in double precision whatever thread computes it.
    const unsigned int precision = _controlfp(0, 0) & _MCW_PC;
    _controlfp(_PC_53, _MCW_PC);
    // A gamma of 0 or below (or NaN) takes the largest exponent.
    const double limited = Clamp(gamma, 0.0, kGammaExponentLimit);
    const float exponent =
        static_cast<float>(limited > 0.0 ? Clamp(1.0 / limited, 0.0, kGammaExponentLimit) : kGammaExponentLimit);
    // Every x is below 1 (256 * 255 < 65535), so x to a positive power is
    // below 1 and the entry, cut to an integer, at most 65534.  The bound
    // keeps it so where the power function rounds a result a hair below 1
    // up to 1, as double-precision pow does for the tiniest exponents.
    const double step = static_cast<double>(kOneOver65535);
    for (int i = 0; i < 256; ++i) {
        const double x = 256.0 * i * step;
        entries[i] = static_cast<WORD>(Clamp(std::pow(x, static_cast<double>(exponent)) * 65535.0, 0.0, 65534.0));
    }
    _controlfp(precision, _MCW_PC);
}

void ZelkGrPrimitiveRenderer::SetGammaCorrectionValue(const ZelkGrRenderCommand& command)
{
    if ((caps.Caps2 & D3DCAPS2_FULLSCREENGAMMA) == 0) {
        return;
    }
    D3DGAMMARAMP ramp;
    GammaRampEntries(BitsToFloat(command.value), ramp.red);
    std::memcpy(ramp.green, ramp.red, sizeof ramp.green);
    std::memcpy(ramp.blue, ramp.red, sizeof ramp.blue);
    device->SetGammaRamp(0, D3DSGR_CALIBRATE, &ramp);
}

void ZelkGrPrimitiveRenderer::SetColorCombine(const ZelkGrRenderCommand& command)
{
    const std::uint32_t value = command.value;
    combineFunction[0] = value >> 24;
    combineFactor[0] = (value >> 16) & 0xFF;
    combineLocal[0] = (value >> 12) & 0xF;
    combineOther[0] = (value >> 8) & 0xF;
    combineInvert[0] = (value & 0xFF) != 0 ? 1 : 0;
    pipelineKey.colorCombine = value;
    texelPipelineDirty = 1;
}

void ZelkGrPrimitiveRenderer::SetAlphaCombine(const ZelkGrRenderCommand& command)
{
    const std::uint32_t value = command.value;
    combineFunction[1] = value >> 24;
    combineFactor[1] = (value >> 16) & 0xFF;
    combineLocal[1] = (value >> 12) & 0xF;
    combineOther[1] = (value >> 8) & 0xF;
    combineInvert[1] = (value & 0xFF) != 0 ? 1 : 0;
    pipelineKey.alphaCombine = value;
    texelPipelineDirty = 1;
}

void ZelkGrPrimitiveRenderer::SetTexCombine(const ZelkGrRenderCommand& command)
{
    const std::uint32_t tmu = command.arg;
    if (tmu > 1) {
        return;
    }
    const std::uint32_t value = command.value;
    ZelkGrTmuState& state = tmuState[tmu];
    state.rgbFunction = value >> 24;
    state.alphaFunction = (value >> 16) & 0xFF;
    state.rgbFactor = (value >> 12) & 0xF;
    state.alphaFactor = (value >> 8) & 0xF;
    state.rgbInvert = (value & 0xF0) != 0 ? 1 : 0;
    state.alphaInvert = (value & 0x0F) != 0 ? 1 : 0;
    // The detail factor of the vertex conversion is TMU 0's.
    if (tmu == 0) {
        const auto usesDetail = [](std::uint32_t factor) { return factor == 4 || factor == 12; };
        detailFactorEnabled = usesDetail(state.rgbFactor) || usesDetail(state.alphaFactor) ? 1 : 0;
    }
    pipelineKey.texCombine[tmu] = value;
    texelPipelineDirty = 1;
}

void ZelkGrPrimitiveRenderer::SetTexClampMode(const ZelkGrRenderCommand& command)
{
    const std::uint32_t tmu = command.arg;
    if (tmu > 1) {
        return;
    }
    tmuState[tmu].clampU = command.value >> 16;
    tmuState[tmu].clampV = command.value & 0xFFFF;
    device->SetSamplerState(tmu, D3DSAMP_ADDRESSU, tmuState[tmu].clampU);
    device->SetSamplerState(tmu, D3DSAMP_ADDRESSV, tmuState[tmu].clampV);
}

void ZelkGrPrimitiveRenderer::SetTexFilterMode(const ZelkGrRenderCommand& command)
{
    const std::uint32_t tmu = command.arg;
    if (tmu > 1) {
        return;
    }
    tmuState[tmu].minFilter = command.value >> 16;
    tmuState[tmu].magFilter = command.value & 0xFFFF;
    device->SetSamplerState(tmu, D3DSAMP_MINFILTER, tmuState[tmu].minFilter);
    device->SetSamplerState(tmu, D3DSAMP_MAGFILTER, tmuState[tmu].magFilter);
}

void ZelkGrPrimitiveRenderer::SetTexMipMapMode(const ZelkGrRenderCommand& command)
{
    const std::uint32_t tmu = command.arg;
    if (tmu > 1) {
        return;
    }
    tmuState[tmu].mipFilter = command.value;
    device->SetSamplerState(tmu, D3DSAMP_MIPFILTER, command.value);
}

void ZelkGrPrimitiveRenderer::SetTexLodBiasValue(const ZelkGrRenderCommand& command)
{
    const std::uint32_t tmu = command.arg;
    if (tmu > 1) {
        return;
    }
    const float bias = static_cast<float>(Clamp(BitsToFloat(command.value), -kLodBiasLimit, kLodBiasLimit));
    tmuState[tmu].lodBias = bias;
    tmuState[tmu].lodBiasValue = PowerValue(bias);
    device->SetSamplerState(tmu, D3DSAMP_MIPMAPLODBIAS, FloatToBits(bias));
}

void ZelkGrPrimitiveRenderer::SetTexDetailLodBias(const ZelkGrRenderCommand& command)
{
    if (command.arg > 1) {
        return;
    }
    const double exponent = static_cast<std::int32_t>(command.value);
    tmuState[command.arg].detailBias = PowerValue(Clamp(exponent, -kDetailExponentLimit, kDetailExponentLimit));
}

void ZelkGrPrimitiveRenderer::SetTexDetailScale(const ZelkGrRenderCommand& command)
{
    if (command.arg > 1) {
        return;
    }
    const double exponent = command.value;
    tmuState[command.arg].detailScale = PowerValue(Clamp(exponent, 0.0, kDetailExponentLimit));
}

void ZelkGrPrimitiveRenderer::SetTexDetailMax(const ZelkGrRenderCommand& command)
{
    if (command.arg > 1) {
        return;
    }
    // The detail factor becomes a byte: its maximum stays within 0 to 1.
    tmuState[command.arg].detailMax = static_cast<float>(Clamp(BitsToFloat(command.value), 0.0, 1.0));
}

}  // namespace zelk
