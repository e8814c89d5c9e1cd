// The Glide state methods: each stores the new value and passes it to the
// renderer, as a command or a Direct3D render state, only when it changed.
#include <cstring>

#include "glideapi/Glide2.h"
#include "glide/ZelkGlide.h"
#include "glide/ZelkGlideBodies.h"
#include "glide/ZelkGlideValueCheck.h"
#include "framework/ZelkException.h"

namespace zelk {

namespace {

// Renderer command ids.
enum : std::uint32_t {
    kCommandOrigin = 1,
    kCommandHints = 2,
    kCommandAlphaControlsItrgb = 3,
    kCommandAlphaBlend = 4,
    kCommandChromakeyMode = 5,
    kCommandChromakeyValue = 6,
    kCommandConstantColor = 7,
    kCommandDepthBufferMode = 9,
    kCommandFogMode = 10,
    kCommandGamma = 11,
    kCommandColorCombine = 12,
    kCommandAlphaCombine = 13,
};

constexpr std::uint32_t kAlphaTestAlways = 7;
constexpr std::uint32_t kAlphaTestGreaterOrEqual = 6;
constexpr std::uint32_t kPackedDefaultBlend = 0x04000400;

std::uint32_t PackBlend(std::uint32_t rgbSource, std::uint32_t rgbDestination, std::uint32_t alphaSource,
                        std::uint32_t alphaDestination)
{
    return (rgbSource << 24) | (rgbDestination << 16) | (alphaSource << 8) | alphaDestination;
}

std::uint32_t PackCombine(std::uint32_t function, std::uint32_t factor, std::uint32_t local, std::uint32_t other,
                          std::uint32_t invert)
{
    return (function << 24) | (factor << 16) | (local << 12) | (other << 8) | invert;
}

std::uint32_t OriginValue(std::uint32_t origin)
{
    return (origin == GR_ORIGIN_UPPER_LEFT || origin == GR_ORIGIN_ANY) ? 1u : 0u;
}

// The device's cull mode for a Glide cull mode.  Glide culls by the sign of
// the triangle as the program gave it; the renderer mirrors y for every
// origin but the upper-left one (and "any"), which turns the device's
// winding round.
std::uint32_t DeviceCullMode(std::uint32_t mode, std::uint32_t origin)
{
    if (mode == GR_CULL_DISABLE) {
        return D3DCULL_NONE;
    }
    const bool mirrored = OriginValue(origin) == 0;
    if (mode == GR_CULL_NEGATIVE) {
        return mirrored ? D3DCULL_CW : D3DCULL_CCW;
    }
    return mirrored ? D3DCULL_CCW : D3DCULL_CW;
}

void Refuse(const char* thrower, const char* message)
{
    throw ZelkException(thrower, E_INVALIDARG, message);
}

void Require(bool valid, const char* thrower, const char* message)
{
    if (!valid) {
        Refuse(thrower, message);
    }
}

// The message of the first value of a saved state that no setter would
// take, or null.
const char* CheckSavedState(const ZelkGlideState& block, const ZelkGlideTmuState* units, std::uint32_t count)
{
    if (const char* message = CheckGrBlendFactors(block.blendRgbSource, block.blendRgbDestination,
                                                  block.blendAlphaSource, block.blendAlphaDestination)) {
        return message;
    }
    if (!IsGrCmpFnc(block.requestedAlphaTestFunction)) {
        return kMessageBadCompareFunction;
    }
    if (!IsGrChromakeyMode(block.chromakeyMode)) {
        return kMessageBadChromakeyMode;
    }
    if (!IsGrCullMode(block.cullMode)) {
        return kMessageBadCullMode;
    }
    if (!IsGrCmpFnc(block.depthBufferFunction)) {
        return kMessageBadCompareFunction;
    }
    if (!IsGrDepthBufferMode(block.depthBufferMode)) {
        return kMessageBadDepthBufferMode;
    }
    if (!IsGrFogMode(block.fogMode)) {
        return kMessageBadFogMode;
    }
    for (std::uint32_t i = 0; i < count; ++i) {
        const ZelkGlideTmuState& unit = units[i];
        if (const char* message = CheckGrTextureModes(unit.sClampMode, unit.tClampMode, unit.minFilterMode,
                                                      unit.magFilterMode, unit.mipMapMode)) {
            return message;
        }
    }
    return nullptr;
}

}  // namespace

void ZelkGlide::SstOrigin(std::uint32_t origin)
{
    ZelkGrPrimitiveRenderer* recorder = Recorder();
    if (!recorder || origin == state.origin) {
        return;
    }
    const std::uint32_t cullBefore = DeviceCullMode(state.cullMode, state.origin);
    recorder->RecordCommand(kCommandOrigin, OriginValue(origin), 0);
    state.origin = origin;
    const std::uint32_t cullAfter = DeviceCullMode(state.cullMode, origin);
    if (cullAfter != cullBefore) {
        recorder->RecordRenderState(D3DRS_CULLMODE, cullAfter);
    }
}

void ZelkGlide::RenderBuffer(std::uint32_t buffer)
{
    ZelkGrPrimitiveRenderer* recorder = Recorder();
    if (!recorder || buffer == state.renderBuffer) {
        return;
    }
    state.renderBuffer = buffer;
    recorder->renderBuffer = buffer;
}

void ZelkGlide::AlphaBlendFunction(std::uint32_t rgbSource, std::uint32_t rgbDestination, std::uint32_t alphaSource,
                                   std::uint32_t alphaDestination)
{
    if (const char* message = CheckGrBlendFactors(rgbSource, rgbDestination, alphaSource, alphaDestination)) {
        Refuse("ZelkGlide::AlphaBlendFunction", message);
    }
    ZelkGrPrimitiveRenderer* recorder = Recorder();
    const std::uint32_t packed = PackBlend(rgbSource, rgbDestination, alphaSource, alphaDestination);
    if (!recorder || packed == PackBlend(state.blendRgbSource, state.blendRgbDestination, state.blendAlphaSource,
                                         state.blendAlphaDestination)) {
        return;
    }
    state.blendRgbSource = rgbSource;
    state.blendRgbDestination = rgbDestination;
    state.blendAlphaSource = alphaSource;
    state.blendAlphaDestination = alphaDestination;
    recorder->RecordCommand(kCommandAlphaBlend, packed, 0);
}

void ZelkGlide::RecordCombine(std::uint32_t command, CombineFields stored, std::uint32_t function,
                              std::uint32_t factor, std::uint32_t local, std::uint32_t other, std::uint32_t invert)
{
    ZelkGrPrimitiveRenderer* recorder = Recorder();
    const std::uint8_t flag = invert == 1 ? 1 : 0;
    const std::uint32_t packed = PackCombine(function, factor, local, other, flag);
    if (!recorder ||
        packed == PackCombine(stored.function, stored.factor, stored.local, stored.other, stored.invert)) {
        return;
    }
    stored.function = function;
    stored.factor = factor;
    stored.local = local;
    stored.other = other;
    stored.invert = flag;
    recorder->RecordCommand(command, packed, 0);
}

void ZelkGlide::AlphaCombine(std::uint32_t function, std::uint32_t factor, std::uint32_t local, std::uint32_t other,
                             std::uint32_t invert)
{
    RecordCombine(kCommandAlphaCombine,
                  {state.alphaCombineFunction, state.alphaCombineFactor, state.alphaCombineLocal,
                   state.alphaCombineOther, state.alphaCombineInvert},
                  function, factor, local, other, invert);
}

void ZelkGlide::ColorCombine(std::uint32_t function, std::uint32_t factor, std::uint32_t local, std::uint32_t other,
                             std::uint32_t invert)
{
    RecordCombine(kCommandColorCombine,
                  {state.colorCombineFunction, state.colorCombineFactor, state.colorCombineLocal,
                   state.colorCombineOther, state.colorCombineInvert},
                  function, factor, local, other, invert);
}

void ZelkGlide::AlphaControlsITRGBLighting(std::uint32_t enable)
{
    ZelkGrPrimitiveRenderer* recorder = Recorder();
    const std::uint8_t flag = enable == 1 ? 1 : 0;
    if (!recorder || flag == state.alphaControlsItrgbLighting) {
        return;
    }
    state.alphaControlsItrgbLighting = flag;
    recorder->RecordCommand(kCommandAlphaControlsItrgb, enable, 0);
}

// The alpha test in force follows from the one the application asked for
// and the chroma-key mode: with chroma-keying on, "always" becomes "greater
// or equal" so that keyed texels (alpha 0) are rejected.
void ZelkGlide::ApplyAlphaTest()
{
    ZelkGrPrimitiveRenderer* recorder = Recorder();
    std::uint32_t function = state.requestedAlphaTestFunction;
    if (state.chromakeyMode == 1 && function == kAlphaTestAlways) {
        function = kAlphaTestGreaterOrEqual;
    }
    if (!recorder || function == state.alphaTestFunction) {
        return;
    }
    state.alphaTestFunction = function;
    if (function < kAlphaTestAlways) {
        recorder->RecordRenderState(D3DRS_ALPHAFUNC, function + 1);
        recorder->RecordRenderState(D3DRS_ALPHATESTENABLE, 1);
    } else {
        recorder->RecordRenderState(D3DRS_ALPHAFUNC, D3DCMP_ALWAYS);
        recorder->RecordRenderState(D3DRS_ALPHATESTENABLE, 0);
    }
}

void ZelkGlide::ApplyAlphaReference()
{
    ZelkGrPrimitiveRenderer* recorder = Recorder();
    std::uint8_t reference = state.requestedAlphaTestReference;
    if (state.chromakeyMode == 1 && reference == 0) {
        reference = 1;
    }
    if (!recorder || reference == state.alphaTestReference) {
        return;
    }
    state.alphaTestReference = reference;
    recorder->RecordRenderState(D3DRS_ALPHAREF, reference);
}

void ZelkGlide::AlphaTestFunction(std::uint32_t function)
{
    Require(IsGrCmpFnc(function), "ZelkGlide::AlphaTestFunction", kMessageBadCompareFunction);
    if (!Recorder()) {
        return;
    }
    state.requestedAlphaTestFunction = static_cast<std::uint8_t>(function);
    ApplyAlphaTest();
}

void ZelkGlide::AlphaTestReferenceValue(std::uint32_t reference)
{
    if (!Recorder()) {
        return;
    }
    state.requestedAlphaTestReference = static_cast<std::uint8_t>(reference & 0xFF);
    ApplyAlphaReference();
}

void ZelkGlide::ChromakeyMode(std::uint32_t mode)
{
    Require(IsGrChromakeyMode(mode), "ZelkGlide::ChromakeyMode", kMessageBadChromakeyMode);
    ZelkGrPrimitiveRenderer* recorder = Recorder();
    if (!recorder || mode == state.chromakeyMode) {
        return;
    }
    state.chromakeyMode = mode;
    recorder->RecordCommand(kCommandChromakeyMode, mode, 0);
    ApplyChromakeyToTextures();
    ApplyAlphaTest();
    ApplyAlphaReference();
}

void ZelkGlide::ChromakeyValue(std::uint32_t color)
{
    ZelkGrPrimitiveRenderer* recorder = Recorder();
    if (!recorder || color == state.chromakeyValue) {
        return;
    }
    state.chromakeyValue = color;
    recorder->RecordCommand(kCommandChromakeyValue, color, 0);
    ApplyChromakeyToTextures();
}

void ZelkGlide::ConstantColorValue(std::uint32_t color)
{
    ZelkGrPrimitiveRenderer* recorder = Recorder();
    if (!recorder || color == state.constantColor) {
        return;
    }
    state.constantColor = color;
    recorder->RecordCommand(kCommandConstantColor, color, 0);
    SetLfbConstantColor(color);
}

void ZelkGlide::ClipWindow(std::uint32_t minX, std::uint32_t minY, std::uint32_t maxX, std::uint32_t maxY)
{
    ZelkGrPrimitiveRenderer* recorder = Recorder();
    if (!recorder) {
        return;
    }
    const auto u16 = [](std::uint32_t value) { return static_cast<std::uint16_t>(value); };
    if (u16(minX) == state.clipMinX && u16(minY) == state.clipMinY && u16(maxX) == state.clipMaxX &&
        u16(maxY) == state.clipMaxY) {
        return;
    }
    state.clipMinX = u16(minX);
    state.clipMinY = u16(minY);
    state.clipMaxX = u16(maxX);
    state.clipMaxY = u16(maxY);

    const std::uint32_t w = screenWidth;
    const std::uint32_t h = screenHeight;
    std::uint32_t right = state.clipMaxX;
    std::uint32_t bottom = state.clipMaxY;
    if (settings.hideChildWindows) {
        right += 1;
        bottom += 1;
    }
    const auto smaller = [](std::uint32_t a, std::uint32_t b) { return a < b ? a : b; };
    const std::uint32_t x0 = smaller(state.clipMinX, w - 1);
    const std::uint32_t y0 = smaller(state.clipMinY, h - 1);
    std::uint32_t x1 = smaller(right, w);
    if (x1 <= x0 + 1) {
        x1 = x0 + 1;
    }
    std::uint32_t y1 = smaller(bottom, h);
    if (y1 <= y0 + 1) {
        y1 = y0 + 1;
    }
    ZelkGrRect rect;
    if (state.origin == GR_ORIGIN_UPPER_LEFT) {
        rect = ZelkGrRect(static_cast<std::int32_t>(x0), static_cast<std::int32_t>(y0), static_cast<std::int32_t>(x1),
                          static_cast<std::int32_t>(y1));
    } else {
        rect = ZelkGrRect(static_cast<std::int32_t>(x0), static_cast<std::int32_t>(h - y1 - 1),
                          static_cast<std::int32_t>(x1), static_cast<std::int32_t>(h - y0 - 1));
    }
    recorder->RecordClipWindow(rect);
}

void ZelkGlide::ColorMask(std::uint32_t rgb, std::uint32_t alpha)
{
    ZelkGrPrimitiveRenderer* recorder = Recorder();
    const std::uint8_t rgbFlag = rgb == 1 ? 1 : 0;
    const std::uint8_t alphaFlag = alpha == 1 ? 1 : 0;
    if (!recorder || (rgbFlag == state.rgbWriteMask && alphaFlag == state.alphaWriteMask)) {
        return;
    }
    state.rgbWriteMask = rgbFlag;
    state.alphaWriteMask = alphaFlag;
    recorder->RecordRenderState(D3DRS_COLORWRITEENABLE, (alphaFlag ? 8u : 0u) | (rgbFlag ? 7u : 0u));
}

void ZelkGlide::CullMode(std::uint32_t mode)
{
    Require(IsGrCullMode(mode), "ZelkGlide::CullMode", kMessageBadCullMode);
    ZelkGrPrimitiveRenderer* recorder = Recorder();
    if (!recorder || mode == state.cullMode) {
        return;
    }
    state.cullMode = mode;
    recorder->RecordRenderState(D3DRS_CULLMODE, DeviceCullMode(mode, state.origin));
}

void ZelkGlide::DepthBiasLevel(std::uint16_t level)
{
    if (!Recorder()) {
        return;
    }
    state.depthBiasLevel = level;
}

void ZelkGlide::DepthBufferFunction(std::uint32_t function)
{
    Require(IsGrCmpFnc(function), "ZelkGlide::DepthBufferFunction", kMessageBadCompareFunction);
    ZelkGrPrimitiveRenderer* recorder = Recorder();
    if (!recorder || function == state.depthBufferFunction) {
        return;
    }
    state.depthBufferFunction = function;
    recorder->RecordRenderState(D3DRS_ZFUNC, function + 1);
}

void ZelkGlide::DepthBufferMode(std::uint32_t mode)
{
    Require(IsGrDepthBufferMode(mode), "ZelkGlide::DepthBufferMode", kMessageBadDepthBufferMode);
    ZelkGrPrimitiveRenderer* recorder = Recorder();
    if (!recorder || mode == state.depthBufferMode) {
        return;
    }
    state.depthBufferMode = mode;
    recorder->RecordCommand(kCommandDepthBufferMode, mode, 0);
}

void ZelkGlide::DepthMask(std::uint32_t enable)
{
    ZelkGrPrimitiveRenderer* recorder = Recorder();
    const std::uint8_t flag = enable == 1 ? 1 : 0;
    if (!recorder || flag == state.depthWriteMask) {
        return;
    }
    state.depthWriteMask = flag;
    recorder->RecordRenderState(D3DRS_ZWRITEENABLE, flag);
}

void ZelkGlide::DitherMode(std::uint32_t mode)
{
    ZelkGrPrimitiveRenderer* recorder = Recorder();
    if (!recorder || mode == state.ditherMode) {
        return;
    }
    state.ditherMode = mode;
    recorder->RecordRenderState(D3DRS_DITHERENABLE, mode != 0 ? 1 : 0);
}

void ZelkGlide::FogColorValue(std::uint32_t color)
{
    ZelkGrPrimitiveRenderer* recorder = Recorder();
    if (!recorder || color == state.fogColor) {
        return;
    }
    state.fogColor = color;
    recorder->RecordRenderState(D3DRS_FOGCOLOR, color);
}

void ZelkGlide::FogMode(std::uint32_t mode)
{
    Require(IsGrFogMode(mode), "ZelkGlide::FogMode", kMessageBadFogMode);
    ZelkGrPrimitiveRenderer* recorder = Recorder();
    if (!recorder || mode == state.fogMode) {
        return;
    }
    state.fogMode = mode;
    recorder->RecordCommand(kCommandFogMode, mode, 0);
}

void ZelkGlide::GammaCorrectionValue(float gamma)
{
    ZelkGrPrimitiveRenderer* recorder = Recorder();
    if (!recorder || gamma == state.gamma) {
        return;
    }
    state.gamma = gamma;
    std::uint32_t bits = 0;
    std::memcpy(&bits, &gamma, sizeof(bits));
    recorder->RecordCommand(kCommandGamma, bits, 0);
}

void ZelkGlide::Hints(std::uint32_t type, std::uint32_t mask)
{
    ZelkGrPrimitiveRenderer* recorder = Recorder();
    if (!recorder || (type == state.hintType && mask == state.hintMask) || type != 0) {
        return;
    }
    recorder->RecordCommand(kCommandHints, mask, type);
    state.hintType = 0;
    state.hintMask = mask;
}

void ZelkGlide::DisableAllEffects()
{
    ZelkGrPrimitiveRenderer* recorder = Recorder();
    if (!recorder) {
        return;
    }
    if (PackBlend(state.blendRgbSource, state.blendRgbDestination, state.blendAlphaSource,
                  state.blendAlphaDestination) != kPackedDefaultBlend) {
        state.blendRgbSource = 4;
        state.blendRgbDestination = 0;
        state.blendAlphaSource = 4;
        state.blendAlphaDestination = 0;
        recorder->RecordCommand(kCommandAlphaBlend, kPackedDefaultBlend, 0);
    }
    AlphaTestFunction(kAlphaTestAlways);
    DepthBufferMode(0);
    ChromakeyMode(0);
    FogMode(0);
}

void ZelkGlide::GetState(GrState* saved) const
{
    unsigned char* bytes = reinterpret_cast<unsigned char*>(saved);
    std::memset(bytes, 0, sizeof(GrState));
    std::memcpy(bytes, &state, sizeof(state));
    const std::uint32_t units = ServedTmuCount();
    for (std::uint32_t i = 0; i < units; ++i) {
        std::memcpy(bytes + kGlideStateBytes + i * kGlideTmuStateBytes, &tmuState[i], sizeof(ZelkGlideTmuState));
    }
}

void ZelkGlide::SetState(const GrState* saved)
{
    // The whole saved state is checked before any of it is applied, so that
    // a malformed one changes nothing.
    const unsigned char* bytes = reinterpret_cast<const unsigned char*>(saved);
    ZelkGlideState block;
    std::memcpy(static_cast<void*>(&block), bytes, sizeof(block));
    const std::uint32_t units = ServedTmuCount();
    ZelkGlideTmuState unitStates[kGlideTmuCount];
    for (std::uint32_t i = 0; i < units; ++i) {
        std::memcpy(static_cast<void*>(&unitStates[i]), bytes + kGlideStateBytes + i * kGlideTmuStateBytes,
                    sizeof(ZelkGlideTmuState));
    }
    if (const char* message = CheckSavedState(block, unitStates, units)) {
        Refuse("ZelkGlide::SetState", message);
    }
    if (!Recorder()) {
        return;
    }
    SstOrigin(block.origin);
    Hints(block.hintType, block.hintMask);
    RenderBuffer(block.renderBuffer);
    AlphaBlendFunction(block.blendRgbSource, block.blendRgbDestination, block.blendAlphaSource,
                       block.blendAlphaDestination);
    AlphaCombine(block.alphaCombineFunction, block.alphaCombineFactor, block.alphaCombineLocal,
                 block.alphaCombineOther, block.alphaCombineInvert);
    AlphaControlsITRGBLighting(block.alphaControlsItrgbLighting);
    AlphaTestFunction(block.requestedAlphaTestFunction);
    AlphaTestReferenceValue(block.requestedAlphaTestReference);
    ChromakeyMode(block.chromakeyMode);
    ChromakeyValue(block.chromakeyValue);
    ClipWindow(block.clipMinX, block.clipMinY, block.clipMaxX, block.clipMaxY);
    ColorCombine(block.colorCombineFunction, block.colorCombineFactor, block.colorCombineLocal,
                 block.colorCombineOther, block.colorCombineInvert);
    ColorMask(block.rgbWriteMask, block.alphaWriteMask);
    CullMode(block.cullMode);
    ConstantColorValue(block.constantColor);
    DepthBiasLevel(block.depthBiasLevel);
    DepthBufferFunction(block.depthBufferFunction);
    DepthBufferMode(block.depthBufferMode);
    DepthMask(block.depthWriteMask);
    DitherMode(block.ditherMode);
    FogColorValue(block.fogColor);
    FogMode(block.fogMode);
    GammaCorrectionValue(block.gamma);

    for (std::uint32_t i = 0; i < units; ++i) {
        const ZelkGlideTmuState& tmu = unitStates[i];
        GrTexInfo info = tmu.sourceInfo;
        glidebody::grTexSource(i, tmu.sourceStartAddress, tmu.sourceEvenOdd, &info);
        glidebody::grTexClampMode(i, tmu.sClampMode, tmu.tClampMode);
        glidebody::grTexCombine(i, tmu.rgbFunction, tmu.rgbFactor, tmu.alphaFunction, tmu.alphaFactor, tmu.rgbInvert,
                                tmu.alphaInvert);
        glidebody::grTexDetailControl(i, tmu.detailLodBias, static_cast<FxU8>(tmu.detailScale), tmu.detailMax);
        glidebody::grTexFilterMode(i, tmu.minFilterMode, tmu.magFilterMode);
        glidebody::grTexLodBiasValue(i, tmu.lodBias);
        glidebody::grTexMipMapMode(i, tmu.mipMapMode, tmu.lodBlend);
    }
}

}  // namespace zelk
