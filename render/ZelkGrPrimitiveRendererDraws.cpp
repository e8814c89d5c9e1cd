// Draws that emulate separate alpha blending, and buffer clears.
#include "render/ZelkGrPrimitiveRenderer.h"

#include <cmath>

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

// Runs one draw call with the same arguments each time.
template <typename Draw>
void DrawInPasses(ZelkGrPrimitiveRenderer& renderer, Draw draw)
{
    IDirect3DDevice9Ptr& device = renderer.device;
    if (renderer.caps.PrimitiveMiscCaps & D3DPMISCCAPS_SEPARATEALPHABLEND) {
        draw();
        return;
    }
    const auto setPair = [&device](DWORD source, DWORD destination) {
        device->SetRenderState(D3DRS_SRCBLEND, source);
        device->SetRenderState(D3DRS_DESTBLEND, destination);
    };
    if (renderer.backBufferHasAlpha == 0) {
        setPair(renderer.srcBlend, renderer.dstBlend);
        draw();
        return;
    }
    DWORD mask = 0;
    device->GetRenderState(D3DRS_COLORWRITEENABLE, &mask);
    const DWORD colorMask = mask & kColorMaskRgb;
    const DWORD alphaMask = mask & kColorMaskAlpha;
    const bool samePairs = renderer.srcBlend == renderer.srcBlendAlpha && renderer.dstBlend == renderer.dstBlendAlpha;
    // One pass when the pairs agree or one side of the mask is empty (a
    // mask of 0 still draws once, for depth).
    if (alphaMask == 0 || samePairs) {
        setPair(renderer.srcBlend, renderer.dstBlend);
        draw();
        return;
    }
    if (colorMask == 0) {
        setPair(renderer.srcBlendAlpha, renderer.dstBlendAlpha);
        draw();
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

    device->SetRenderState(D3DRS_COLORWRITEENABLE, first.mask);
    setPair(first.source, first.destination);
    draw();

    // The second pass meets the depth the first one wrote.
    DWORD depthTest = D3DZB_FALSE;
    DWORD depthWrite = FALSE;
    DWORD depthFunction = D3DCMP_LESSEQUAL;
    device->GetRenderState(D3DRS_ZENABLE, &depthTest);
    device->GetRenderState(D3DRS_ZWRITEENABLE, &depthWrite);
    const bool depthPass = depthTest != D3DZB_FALSE && depthWrite != FALSE;
    if (depthPass) {
        device->GetRenderState(D3DRS_ZFUNC, &depthFunction);
        device->SetRenderState(D3DRS_ZWRITEENABLE, FALSE);
        device->SetRenderState(D3DRS_ZFUNC, D3DCMP_EQUAL);
    }
    device->SetRenderState(D3DRS_COLORWRITEENABLE, second.mask);
    setPair(second.source, second.destination);
    draw();
    if (depthPass) {
        device->SetRenderState(D3DRS_ZWRITEENABLE, depthWrite);
        device->SetRenderState(D3DRS_ZFUNC, depthFunction);
    }
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
    const UINT primitives = PrimitiveCount(type, vertexCount);
    DrawInPasses(*this, [&]() { device->DrawPrimitive(type, startVertex, primitives); });
}

void ZelkGrPrimitiveRenderer::DrawPrimitiveUPMultiPass(D3DPRIMITIVETYPE type, const void* vertices, UINT stride,
                                                       UINT vertexCount)
{
    const UINT primitives = PrimitiveCount(type, vertexCount);
    DrawInPasses(*this, [&]() { device->DrawPrimitiveUP(type, primitives, vertices, stride); });
}

void ZelkGrPrimitiveRenderer::ClearBuffers(D3DCOLOR color, float depth)
{
    // Clear takes a depth within 0 to 1.
    if (!(depth >= 0.0f)) {
        depth = 0.0f;
    } else if (depth > 1.0f) {
        depth = 1.0f;
    }
    DWORD mask = kColorMaskAll;
    DWORD depthWrite = FALSE;
    device->GetRenderState(D3DRS_COLORWRITEENABLE, &mask);
    device->GetRenderState(D3DRS_ZWRITEENABLE, &depthWrite);
    const DWORD depthFlags = D3DCLEAR_ZBUFFER | (hasStencil ? D3DCLEAR_STENCIL : 0);

    if (backBufferHasAlpha != 0 && (mask & kColorMaskAll) != kColorMaskAll) {
        // Clear ignores the colour mask: a partial mask clears by drawing.
        if ((mask & kColorMaskAll) != 0) {
            RECT scissor = {0, 0, 0, 0};
            device->GetScissorRect(&scissor);
            const float left = static_cast<float>(scissor.left);
            const float top = static_cast<float>(scissor.top);
            const float right = static_cast<float>(scissor.right);
            const float bottom = static_cast<float>(scissor.bottom);
            const ClearVertex quad[4] = {
                {left, top, 0.0f, 1.0f}, {right, top, 0.0f, 1.0f}, {right, bottom, 0.0f, 1.0f}, {left, bottom, 0.0f, 1.0f}};

            IDirect3DVertexShader9Ptr vertexShader;
            IDirect3DPixelShader9Ptr pixelShader;
            IDirect3DVertexDeclaration9Ptr declaration;
            DWORD fvf = 0;
            device->GetVertexShader(&vertexShader);
            device->GetPixelShader(&pixelShader);
            device->GetVertexDeclaration(&declaration);
            device->GetFVF(&fvf);
            const D3DRENDERSTATETYPE savedStates[] = {D3DRS_SHADEMODE,      D3DRS_CULLMODE,        D3DRS_ZENABLE,
                                                      D3DRS_ALPHABLENDENABLE, D3DRS_ALPHATESTENABLE, D3DRS_FOGENABLE,
                                                      D3DRS_TEXTUREFACTOR};
            DWORD stateValues[7] = {};
            for (int i = 0; i < 7; ++i) {
                device->GetRenderState(savedStates[i], &stateValues[i]);
            }
            struct StageState {
                DWORD stage;
                D3DTEXTURESTAGESTATETYPE type;
            };
            const StageState savedStages[] = {{0, D3DTSS_COLOROP},   {0, D3DTSS_ALPHAOP},   {1, D3DTSS_COLOROP},
                                              {1, D3DTSS_ALPHAOP},   {0, D3DTSS_COLORARG1}, {0, D3DTSS_ALPHAARG1},
                                              {0, D3DTSS_RESULTARG}};
            DWORD stageValues[7] = {};
            for (int i = 0; i < 7; ++i) {
                device->GetTextureStageState(savedStages[i].stage, savedStages[i].type, &stageValues[i]);
            }

            device->SetVertexShader(nullptr);
            device->SetPixelShader(nullptr);
            device->SetVertexDeclaration(nullptr);
            device->SetFVF(D3DFVF_XYZRHW);
            device->SetRenderState(D3DRS_SHADEMODE, D3DSHADE_FLAT);
            device->SetRenderState(D3DRS_CULLMODE, D3DCULL_NONE);
            device->SetRenderState(D3DRS_ZENABLE, D3DZB_FALSE);
            device->SetRenderState(D3DRS_ALPHABLENDENABLE, FALSE);
            device->SetRenderState(D3DRS_ALPHATESTENABLE, FALSE);
            device->SetRenderState(D3DRS_FOGENABLE, FALSE);
            device->SetRenderState(D3DRS_TEXTUREFACTOR, color);
            device->SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_SELECTARG1);
            device->SetTextureStageState(0, D3DTSS_ALPHAOP, D3DTOP_SELECTARG1);
            device->SetTextureStageState(1, D3DTSS_COLOROP, D3DTOP_DISABLE);
            device->SetTextureStageState(1, D3DTSS_ALPHAOP, D3DTOP_DISABLE);
            device->SetTextureStageState(0, D3DTSS_COLORARG1, D3DTA_TFACTOR);
            device->SetTextureStageState(0, D3DTSS_ALPHAARG1, D3DTA_TFACTOR);
            device->SetTextureStageState(0, D3DTSS_RESULTARG, D3DTA_CURRENT);

            device->DrawPrimitiveUP(D3DPT_TRIANGLEFAN, 2, quad, sizeof(ClearVertex));

            device->SetVertexShader(vertexShader);
            device->SetPixelShader(pixelShader);
            // Setting a vertex format replaces the declaration, so the format
            // goes first; a format-built declaration is set back unchanged.
            if (fvf != 0) {
                device->SetFVF(fvf);
            }
            if (declaration != nullptr) {
                device->SetVertexDeclaration(declaration);
            }
            for (int i = 0; i < 7; ++i) {
                device->SetRenderState(savedStates[i], stateValues[i]);
            }
            for (int i = 0; i < 7; ++i) {
                device->SetTextureStageState(savedStages[i].stage, savedStages[i].type, stageValues[i]);
            }
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
