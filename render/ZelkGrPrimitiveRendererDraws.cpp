// Draws that emulate separate alpha blending, and buffer clears.
#include "render/ZelkGrPrimitiveRenderer.h"

#include <cmath>
#include <cstddef>
#include <cstdint>

namespace zelk {

namespace {

const DWORD kColorMaskRgb = D3DCOLORWRITEENABLE_RED | D3DCOLORWRITEENABLE_GREEN | D3DCOLORWRITEENABLE_BLUE;
const DWORD kColorMaskAlpha = D3DCOLORWRITEENABLE_ALPHA;
const DWORD kColorMaskAll = kColorMaskRgb | kColorMaskAlpha;

struct ClearVertex {
    float x;
    float y;
    float z;
    float rhw;
};

struct RenderStateValue {
    D3DRENDERSTATETYPE state;
    DWORD value;
};

struct StageStateValue {
    DWORD stage;
    D3DTEXTURESTAGESTATETYPE type;
    DWORD value;
};

// What the clear quad draws with, besides no shaders, the XYZRHW format
// and the clear colour as texture factor.
const RenderStateValue kClearQuadRenderStates[] = {
    {D3DRS_SHADEMODE, D3DSHADE_FLAT},   {D3DRS_CULLMODE, D3DCULL_NONE},       {D3DRS_ZENABLE, D3DZB_FALSE},
    {D3DRS_ALPHABLENDENABLE, FALSE},    {D3DRS_ALPHATESTENABLE, FALSE},       {D3DRS_FOGENABLE, FALSE},
};
const StageStateValue kClearQuadStageStates[] = {
    {0, D3DTSS_COLOROP, D3DTOP_SELECTARG1}, {0, D3DTSS_ALPHAOP, D3DTOP_SELECTARG1}, {1, D3DTSS_COLOROP, D3DTOP_DISABLE},
    {1, D3DTSS_ALPHAOP, D3DTOP_DISABLE},    {0, D3DTSS_COLORARG1, D3DTA_TFACTOR},   {0, D3DTSS_ALPHAARG1, D3DTA_TFACTOR},
    {0, D3DTSS_RESULTARG, D3DTA_CURRENT},
};
constexpr std::size_t kClearQuadStageStateCount = sizeof kClearQuadStageStates / sizeof kClearQuadStageStates[0];

void SetClearQuadState(IDirect3DDevice9* device, D3DCOLOR color)
{
    device->SetVertexShader(nullptr);
    device->SetPixelShader(nullptr);
    device->SetVertexDeclaration(nullptr);
    device->SetFVF(D3DFVF_XYZRHW);
    for (const RenderStateValue& entry : kClearQuadRenderStates) {
        device->SetRenderState(entry.state, entry.value);
    }
    device->SetRenderState(D3DRS_TEXTUREFACTOR, color);
    for (const StageStateValue& entry : kClearQuadStageStates) {
        device->SetTextureStageState(entry.stage, entry.type, entry.value);
    }
}

// Where a primitive of a list or strip starts, in vertices from the first.
UINT PrimitiveStart(D3DPRIMITIVETYPE type, UINT primitive)
{
    switch (type) {
    case D3DPT_LINELIST: return 2 * primitive;
    case D3DPT_TRIANGLELIST: return 3 * primitive;
    default: return primitive;   // points, line and triangle strips
    }
}

// Runs draw(first primitive, primitive count) once, or in two passes that
// each write one side of the colour mask with its own blend pair.
//
// With depth testing and depth writes on, the second pass would meet the
// depth the first one wrote.  Then every primitive is drawn by itself,
// first pass without depth writes, second pass with them: one primitive
// never covers a pixel twice, so both passes meet the same depth buffer and
// draw exactly the fragments that pass the depth test once, in drawing
// order, whatever the depth function and however the batch overlaps
// itself.  Otherwise the depth buffer gives every fragment the same answer
// in both passes, and the batch is drawn whole.
template <typename Draw>
void DrawInPasses(ZelkGrPrimitiveRenderer& renderer, D3DPRIMITIVETYPE type, UINT primitives, Draw draw)
{
    IDirect3DDevice9Ptr& device = renderer.device;
    if (renderer.caps.PrimitiveMiscCaps & D3DPMISCCAPS_SEPARATEALPHABLEND) {
        draw(0, primitives);
        return;
    }
    const auto setPair = [&device](DWORD source, DWORD destination) {
        device->SetRenderState(D3DRS_SRCBLEND, source);
        device->SetRenderState(D3DRS_DESTBLEND, destination);
    };
    if (renderer.backBufferHasAlpha == 0) {
        setPair(renderer.srcBlend, renderer.dstBlend);
        draw(0, primitives);
        return;
    }
    const DWORD mask = renderer.DeviceRenderState(D3DRS_COLORWRITEENABLE);
    const DWORD colorMask = mask & kColorMaskRgb;
    const DWORD alphaMask = mask & kColorMaskAlpha;
    const bool samePairs = renderer.srcBlend == renderer.srcBlendAlpha && renderer.dstBlend == renderer.dstBlendAlpha;
    // One pass when the pairs agree or one side of the mask is empty (a
    // mask of 0 still draws once, for depth).
    if (alphaMask == 0 || samePairs) {
        setPair(renderer.srcBlend, renderer.dstBlend);
        draw(0, primitives);
        return;
    }
    if (colorMask == 0) {
        setPair(renderer.srcBlendAlpha, renderer.dstBlendAlpha);
        draw(0, primitives);
        return;
    }

    struct Pass {
        DWORD mask;
        DWORD source;
        DWORD destination;
    };
    const Pass colorPass = {colorMask, renderer.srcBlend, renderer.dstBlend};
    const Pass alphaPass = {alphaMask, renderer.srcBlendAlpha, renderer.dstBlendAlpha};
    // An alpha pass that reads the destination colour must see it before
    // the colour pass changes it.
    const bool alphaFirst = renderer.srcBlendAlpha == D3DBLEND_DESTCOLOR;
    const Pass& first = alphaFirst ? alphaPass : colorPass;
    const Pass& second = alphaFirst ? colorPass : alphaPass;
    const auto setPass = [&](const Pass& pass) {
        device->SetRenderState(D3DRS_COLORWRITEENABLE, pass.mask);
        setPair(pass.source, pass.destination);
    };

    const DWORD depthFunction = renderer.DeviceRenderState(D3DRS_ZFUNC);
    const bool depthChanges = renderer.DeviceRenderState(D3DRS_ZENABLE) != D3DZB_FALSE &&
                              renderer.DeviceRenderState(D3DRS_ZWRITEENABLE) != FALSE &&
                              depthFunction != D3DCMP_ALWAYS && depthFunction != D3DCMP_NEVER;
    if (!depthChanges || type == D3DPT_TRIANGLEFAN) {
        // (The draws make no fans.)
        setPass(first);
        draw(0, primitives);
        setPass(second);
        draw(0, primitives);
        device->SetRenderState(D3DRS_COLORWRITEENABLE, mask);
        return;
    }

    // A strip's odd triangles wind the other way round; drawn alone, they
    // are culled with the opposite cull mode.
    const DWORD cullMode = renderer.DeviceRenderState(D3DRS_CULLMODE);
    const bool flipOdd = type == D3DPT_TRIANGLESTRIP && (cullMode == D3DCULL_CW || cullMode == D3DCULL_CCW);
    const DWORD oddCullMode = cullMode == D3DCULL_CW ? D3DCULL_CCW : D3DCULL_CW;
    for (UINT primitive = 0; primitive < primitives; ++primitive) {
        if (flipOdd) {
            device->SetRenderState(D3DRS_CULLMODE, primitive % 2 != 0 ? oddCullMode : cullMode);
        }
        device->SetRenderState(D3DRS_ZWRITEENABLE, FALSE);
        setPass(first);
        draw(PrimitiveStart(type, primitive), 1);
        device->SetRenderState(D3DRS_ZWRITEENABLE, TRUE);
        setPass(second);
        draw(PrimitiveStart(type, primitive), 1);
    }
    if (flipOdd) {
        device->SetRenderState(D3DRS_CULLMODE, cullMode);
    }
    device->SetRenderState(D3DRS_ZWRITEENABLE, renderer.DeviceRenderState(D3DRS_ZWRITEENABLE));
    device->SetRenderState(D3DRS_COLORWRITEENABLE, mask);
}

}  // namespace

UINT ZelkGrPrimitiveRenderer::PrimitiveCount(D3DPRIMITIVETYPE type, UINT vertexCount)
{
    switch (type) {
    case D3DPT_POINTLIST: return vertexCount;
    case D3DPT_LINELIST: return vertexCount / 2;
    case D3DPT_LINESTRIP: return vertexCount >= 1 ? vertexCount - 1 : 0;
    case D3DPT_TRIANGLELIST: return vertexCount / 3;
    case D3DPT_TRIANGLESTRIP:
    case D3DPT_TRIANGLEFAN: return vertexCount >= 2 ? vertexCount - 2 : 0;
    default: return 0;
    }
}

void ZelkGrPrimitiveRenderer::DrawPrimitiveMultiPass(D3DPRIMITIVETYPE type, UINT startVertex, UINT vertexCount)
{
    DrawInPasses(*this, type, PrimitiveCount(type, vertexCount), [&](UINT first, UINT primitives) {
        device->DrawPrimitive(type, startVertex + first, primitives);
    });
}

void ZelkGrPrimitiveRenderer::DrawPrimitiveUPMultiPass(D3DPRIMITIVETYPE type, const void* vertices, UINT stride,
                                                       UINT vertexCount)
{
    const std::uint8_t* bytes = static_cast<const std::uint8_t*>(vertices);
    DrawInPasses(*this, type, PrimitiveCount(type, vertexCount), [&](UINT first, UINT primitives) {
        device->DrawPrimitiveUP(type, primitives, bytes + static_cast<std::size_t>(first) * stride, stride);
    });
}

void ZelkGrPrimitiveRenderer::SetDeviceRenderState(D3DRENDERSTATETYPE state, DWORD value)
{
    if (static_cast<std::size_t>(state) < kRenderStateSlots) {
        renderStateCopy[state] = value;
    }
    device->SetRenderState(state, value);
}

DWORD ZelkGrPrimitiveRenderer::DeviceRenderState(D3DRENDERSTATETYPE state) const
{
    return static_cast<std::size_t>(state) < kRenderStateSlots ? renderStateCopy[state] : 0;
}

void ZelkGrPrimitiveRenderer::RecordClearStateBlock()
{
    // Set calls between BeginStateBlock and EndStateBlock only say which
    // states the block holds; the device keeps its state.
    if (FAILED(device->BeginStateBlock())) {
        return;
    }
    SetClearQuadState(device, 0);
    IDirect3DStateBlock9Ptr block;
    if (SUCCEEDED(device->EndStateBlock(&block))) {
        clearStateBlock = block;
    }
}

void ZelkGrPrimitiveRenderer::DrawClearQuad(D3DCOLOR color)
{
    const float left = static_cast<float>(scissorRect.left);
    const float top = static_cast<float>(scissorRect.top);
    const float right = static_cast<float>(scissorRect.right);
    const float bottom = static_cast<float>(scissorRect.bottom);
    const ClearVertex quad[4] = {
        {left, top, 0.0f, 1.0f}, {right, top, 0.0f, 1.0f}, {right, bottom, 0.0f, 1.0f}, {left, bottom, 0.0f, 1.0f}};

    if (clearStateBlock != nullptr) {
        // The block asks the device for nothing, so that it also works on a
        // pure device.
        clearStateBlock->Capture();
        SetClearQuadState(device, color);
        device->DrawPrimitiveUP(D3DPT_TRIANGLEFAN, 2, quad, sizeof(ClearVertex));
        clearStateBlock->Apply();
        return;
    }

    // Without a block: the render states from the renderer's copy, the rest
    // as the device reports it.
    IDirect3DVertexShader9Ptr vertexShader;
    IDirect3DPixelShader9Ptr pixelShader;
    IDirect3DVertexDeclaration9Ptr declaration;
    DWORD fvf = 0;
    device->GetVertexShader(&vertexShader);
    device->GetPixelShader(&pixelShader);
    device->GetVertexDeclaration(&declaration);
    device->GetFVF(&fvf);
    DWORD stageValues[kClearQuadStageStateCount] = {};
    for (std::size_t i = 0; i < kClearQuadStageStateCount; ++i) {
        device->GetTextureStageState(kClearQuadStageStates[i].stage, kClearQuadStageStates[i].type, &stageValues[i]);
    }

    SetClearQuadState(device, color);
    device->DrawPrimitiveUP(D3DPT_TRIANGLEFAN, 2, quad, sizeof(ClearVertex));

    device->SetVertexShader(vertexShader);
    device->SetPixelShader(pixelShader);
    // Setting a vertex format replaces the declaration, so the format goes
    // first; a format-built declaration is set back unchanged.
    if (fvf != 0) {
        device->SetFVF(fvf);
    }
    if (declaration != nullptr) {
        device->SetVertexDeclaration(declaration);
    }
    for (const RenderStateValue& entry : kClearQuadRenderStates) {
        device->SetRenderState(entry.state, DeviceRenderState(entry.state));
    }
    device->SetRenderState(D3DRS_TEXTUREFACTOR, DeviceRenderState(D3DRS_TEXTUREFACTOR));
    for (std::size_t i = 0; i < kClearQuadStageStateCount; ++i) {
        device->SetTextureStageState(kClearQuadStageStates[i].stage, kClearQuadStageStates[i].type, stageValues[i]);
    }
}

void ZelkGrPrimitiveRenderer::ClearBuffers(D3DCOLOR color, float depth)
{
    // Clear takes a depth within 0 to 1.
    if (!(depth >= 0.0f)) {
        depth = 0.0f;
    } else if (depth > 1.0f) {
        depth = 1.0f;
    }
    const DWORD mask = DeviceRenderState(D3DRS_COLORWRITEENABLE);
    const DWORD depthWrite = DeviceRenderState(D3DRS_ZWRITEENABLE);
    const DWORD depthFlags = D3DCLEAR_ZBUFFER | (hasStencil ? D3DCLEAR_STENCIL : 0);

    if (backBufferHasAlpha != 0 && (mask & kColorMaskAll) != kColorMaskAll) {
        // Clear ignores the colour mask: a partial mask clears by drawing.
        if ((mask & kColorMaskAll) != 0) {
            DrawClearQuad(color);
        }
        if (depthWrite) {
            device->Clear(0, nullptr, depthFlags, 0, depth, 0);
        }
        return;
    }

    // Colour is cleared only when the mask lets colour through.
    const DWORD colorBits = backBufferHasAlpha != 0 ? kColorMaskAll : kColorMaskRgb;
    DWORD flags = (mask & colorBits) != 0 ? D3DCLEAR_TARGET : 0;
    if (depthWrite) {
        flags |= depthFlags;
    }
    if (flags != 0) {
        device->Clear(0, nullptr, flags, color, depthWrite ? depth : 0.0f, 0);
    }
}

}  // namespace zelk
