// The software-transform renderer on a real device: construction facts, the
// initial device state, drawn pixels, clears, clip windows and the vertex
// store's wrap.
#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "common/ReadBack.h"
#include "support/RenderBaseTestSupport.h"

using zelk::ZelkGrRect;
using zelktest::D3DCall;
using zelktest::MakeVertex;
using zelktest::ReadBack;
using zelktest::RendererSettings;
using zelktest::RenderTestDevice;
using zelktest::TestRendererSW;

namespace {

constexpr std::uint32_t kSize = RenderTestDevice::kWidth;

class SoftwareRenderer : public zelktest::SoftwareRendererTest {
protected:
    void SetUp() override
    {
        device = RenderTestDevice::Get(D3DFMT_X8R8G8B8);
        ASSERT_NE(device, nullptr);
        // The clears of construction stay within the scissor rectangle that
        // an earlier test may have left.
        const RECT whole = {0, 0, static_cast<LONG>(kSize), static_cast<LONG>(kSize)};
        device->SetScissorRect(&whole);
        renderer = std::make_unique<TestRendererSW>(device, kSize, kSize, RendererSettings());
    }

    void Triangle(const GrVertex& a, const GrVertex& b, const GrVertex& c) { renderer->DrawTriangle(&a, &b, &c); }

    // A rectangle as two triangles in one colour.
    void Rectangle(float left, float top, float right, float bottom, float r, float g, float b)
    {
        Triangle(MakeVertex(left, top, r, g, b), MakeVertex(right, top, r, g, b), MakeVertex(right, bottom, r, g, b));
        Triangle(MakeVertex(left, top, r, g, b), MakeVertex(right, bottom, r, g, b), MakeVertex(left, bottom, r, g, b));
    }
};

TEST_F(SoftwareRenderer, ConstructionReadsTheFormatsAndSetsTheInitialState)
{
    EXPECT_EQ(renderer->depthScale, 16777215.0f);  // D24S8
    EXPECT_EQ(renderer->hasStencil, 1);
    EXPECT_EQ(renderer->backBufferHasAlpha, 0);    // X8R8G8B8
    EXPECT_NE(renderer->initialTextureMemory, 0u);
    EXPECT_EQ(renderer->currentPackage->records.size(), 0u);
    EXPECT_EQ(renderer->GetPendingSwapCount(), 0u);

    const struct {
        D3DRENDERSTATETYPE state;
        DWORD value;
    } expected[] = {
        {D3DRS_ZENABLE, 0},           {D3DRS_ZWRITEENABLE, 1},     {D3DRS_ZFUNC, D3DCMP_LESSEQUAL},
        {D3DRS_SRCBLEND, 2},          {D3DRS_DESTBLEND, 1},        {D3DRS_ALPHAFUNC, D3DCMP_ALWAYS},
        {D3DRS_FOGDENSITY, 0x3F800000}, {D3DRS_CULLMODE, 1},       {D3DRS_SHADEMODE, 2},
        {D3DRS_LIGHTING, 0},          {D3DRS_COLORWRITEENABLE, 0xF}, {D3DRS_SCISSORTESTENABLE, 1},
        {D3DRS_MULTISAMPLEMASK, 0xFFFFFFFF}, {D3DRS_CLIPPING, 0},  {D3DRS_BLENDFACTOR, 0xFFFFFFFF},
    };
    for (const auto& entry : expected) {
        EXPECT_EQ(RenderState(entry.state), entry.value) << "render state " << entry.state;
    }
    for (DWORD stage : {0u, 7u}) {
        DWORD value = 0;
        device->GetTextureStageState(stage, D3DTSS_TEXCOORDINDEX, &value);
        EXPECT_EQ(value, stage);
        device->GetSamplerState(stage, D3DSAMP_DMAPOFFSET, &value);
        EXPECT_EQ(value, 256u);
    }
    D3DVIEWPORT9 viewport = {};
    device->GetViewport(&viewport);
    EXPECT_EQ(viewport.Width, kSize);
    EXPECT_EQ(viewport.Height, kSize);

    // Both buffers start black.
    ReadBack pixels(device);
    EXPECT_TRUE(pixels.RegionNear(0, 0, kSize, kSize, 0x000000));
}

TEST_F(SoftwareRenderer, WithoutADeviceNothingIsRead)
{
    TestRendererSW bare(nullptr, 480, 480, RendererSettings());
    EXPECT_EQ(bare.depthScale, 1.0f);
    EXPECT_EQ(bare.hasStencil, 0);
    EXPECT_EQ(bare.backBufferHasAlpha, 0);
    EXPECT_EQ(bare.initialTextureMemory, 0u);
    EXPECT_EQ(bare.caps.PrimitiveMiscCaps, 0u);
}

TEST_F(SoftwareRenderer, FlatAndGouraudTrianglesAreDrawn)
{
    renderer->RecordClipWindow(ZelkGrRect(0, 0, kSize, kSize));
    Rectangle(8, 8, 24, 24, 255, 0, 0);
    // A horizontal ramp from black to white.
    Triangle(MakeVertex(32, 32, 0, 0, 0), MakeVertex(64, 32, 255, 255, 255), MakeVertex(64, 64, 255, 255, 255));
    Triangle(MakeVertex(32, 32, 0, 0, 0), MakeVertex(64, 64, 255, 255, 255), MakeVertex(32, 64, 0, 0, 0));
    renderer->Flush(false);

    ReadBack pixels(device);
    EXPECT_TRUE(pixels.RegionNear(9, 9, 23, 23, 0xFF0000));
    EXPECT_TRUE(pixels.RegionNear(0, 0, 8, 8, 0x000000));
    EXPECT_TRUE(pixels.PixelNear(48, 48, 0x7F7F7F, 6));
    EXPECT_TRUE(pixels.PixelNear(40, 50, 0x3F3F3F, 6));
    EXPECT_TRUE(pixels.PixelNear(60, 50, 0xDFDFDF, 6));
    EXPECT_EQ(renderer->texelUpdates.load(), 1);  // one batch of four triangles
    EXPECT_EQ(renderer->latestVertices, 12u);
    EXPECT_EQ(renderer->latestCommands, 2u);
}

TEST_F(SoftwareRenderer, LowerLeftOriginFlipsRows)
{
    renderer->RecordCommand(1, 0, 0);
    Rectangle(0, 0, 16, 16, 0, 255, 0);
    renderer->Flush(false);
    ReadBack pixels(device);
    // Row y is drawn at height - y - 1.
    EXPECT_TRUE(pixels.RegionNear(1, kSize - 15, 15, kSize - 2, 0x00FF00));
    EXPECT_TRUE(pixels.RegionNear(1, 1, 15, 15, 0x000000));
}

TEST_F(SoftwareRenderer, ClearsHonourTheColourMaskAndTheClipWindow)
{
    renderer->RecordClipWindow(ZelkGrRect(0, 0, 32, kSize));
    renderer->RecordClear(0xFF2040C0, 1.0f);
    renderer->RecordClipWindow(ZelkGrRect(0, 0, kSize, kSize));
    // With colour writes off only depth is cleared.
    renderer->RecordRenderState(D3DRS_COLORWRITEENABLE, 0);
    renderer->RecordClear(0xFFFFFFFF, 1.0f);
    renderer->RecordRenderState(D3DRS_COLORWRITEENABLE, 0xF);
    renderer->Flush(false);

    ReadBack pixels(device);
    EXPECT_TRUE(pixels.RegionNear(0, 0, 32, kSize, 0x2040C0));
    EXPECT_TRUE(pixels.RegionNear(32, 0, kSize, kSize, 0x000000));
}

TEST_F(SoftwareRenderer, ClearWithNothingToClearMakesNoCall)
{
    const UINT before = RenderTestDevice::Proxy().CallCount(D3DCall::Device_Clear);
    renderer->RecordRenderState(D3DRS_COLORWRITEENABLE, 0);
    renderer->RecordRenderState(D3DRS_ZWRITEENABLE, 0);
    renderer->RecordClear(0xFFFFFFFF, 1.0f);
    renderer->RecordRenderState(D3DRS_COLORWRITEENABLE, 0xF);
    renderer->RecordRenderState(D3DRS_ZWRITEENABLE, 1);
    renderer->Flush(false);
    EXPECT_EQ(RenderTestDevice::Proxy().CallCount(D3DCall::Device_Clear), before);
}

TEST_F(SoftwareRenderer, EmptyPackagesBeginNoSceneAndStateOnlyBatchesDrawNothing)
{
    const UINT scenes = RenderTestDevice::Proxy().CallCount(D3DCall::Device_BeginScene);
    renderer->Flush(false);
    EXPECT_EQ(RenderTestDevice::Proxy().CallCount(D3DCall::Device_BeginScene), scenes);

    const UINT draws = RenderTestDevice::Proxy().CallCount(D3DCall::Device_DrawPrimitiveUP);
    renderer->RecordRenderState(D3DRS_CULLMODE, D3DCULL_CCW);
    renderer->RecordCommand(9, 1, 0);
    renderer->Flush(false);
    EXPECT_EQ(RenderTestDevice::Proxy().CallCount(D3DCall::Device_BeginScene), scenes + 1);
    EXPECT_EQ(RenderTestDevice::Proxy().CallCount(D3DCall::Device_DrawPrimitiveUP), draws);
    EXPECT_EQ(renderer->texelUpdates.load(), 0);
    EXPECT_EQ(RenderState(D3DRS_CULLMODE), static_cast<DWORD>(D3DCULL_CCW));
    EXPECT_EQ(RenderState(D3DRS_ZENABLE), static_cast<DWORD>(D3DZB_TRUE));
    EXPECT_EQ(renderer->depthBufferMode, 1u);
}

TEST_F(SoftwareRenderer, AStateOnlyBatchInstallsBindingsPaletteAndFogTable)
{
    IDirect3DTexture9Ptr texture;
    ASSERT_EQ(device->CreateTexture(8, 8, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, &texture, nullptr), D3D_OK);
    std::uint32_t palette[256] = {};
    std::uint8_t fog[64];
    for (int i = 0; i < 64; ++i) {
        fog[i] = static_cast<std::uint8_t>(i);
    }
    const UINT palettesBefore = RenderTestDevice::Proxy().CallCount(D3DCall::Device_SetPaletteEntries);
    ASSERT_EQ(RenderTestDevice::Proxy().CallCount(D3DCall::Device_SetCurrentTexturePalette), palettesBefore);
    renderer->RecordTexture(zelk::ZelkGrTextureBinding(1, texture, 0.25f, 4.0f));
    renderer->RecordPalette(palette);
    renderer->RecordFogTable(fog);
    renderer->Flush(false);
    EXPECT_EQ(static_cast<IDirect3DTexture9*>(renderer->stageBindings[1].texture),
              static_cast<IDirect3DTexture9*>(texture));
    EXPECT_EQ(renderer->stageBindings[1].sScale, 0.25f);
    EXPECT_EQ(renderer->stageBindings[1].tScale, 4.0f);
    EXPECT_TRUE(renderer->stageBindings[0].texture == nullptr);
    EXPECT_EQ(renderer->fogTable[0], 255);
    EXPECT_EQ(renderer->fogTable[63], 255 - 63);
    EXPECT_EQ(RenderTestDevice::Proxy().CallCount(D3DCall::Device_SetPaletteEntries), palettesBefore + 1);
    EXPECT_EQ(RenderTestDevice::Proxy().CallCount(D3DCall::Device_SetCurrentTexturePalette), palettesBefore + 1);
    // With a texture bound the variant takes texture coordinates.
    EXPECT_EQ(renderer->VariantIndex() % 2, 1u);

    // An unbinding follows in a later package.
    renderer->RecordTexture(zelk::ZelkGrTextureBinding(1, nullptr, 1.0f, 1.0f));
    renderer->Flush(false);
    EXPECT_TRUE(renderer->stageBindings[1].texture == nullptr);
    EXPECT_EQ(renderer->VariantIndex() % 2, 0u);
}

TEST_F(SoftwareRenderer, AClipWindowCutsTheDrawsThatFollowIt)
{
    Rectangle(0, 0, 32, 32, 255, 0, 0);
    renderer->RecordClipWindow(ZelkGrRect(40, 40, 48, 48));
    Rectangle(32, 32, 64, 64, 0, 0, 255);
    renderer->Flush(false);
    ReadBack pixels(device);
    EXPECT_TRUE(pixels.RegionNear(1, 1, 31, 31, 0xFF0000));
    EXPECT_TRUE(pixels.RegionNear(40, 40, 48, 48, 0x0000FF));
    EXPECT_TRUE(pixels.RegionNear(33, 33, 39, 63, 0x000000));
    EXPECT_TRUE(pixels.RegionNear(49, 33, 63, 63, 0x000000));
}

TEST_F(SoftwareRenderer, TheStoreWrapsAtItsEnd)
{
    renderer->nextVertexIndex = 65532;
    renderer->currentPackage->firstVertexIndex = 65532;
    Triangle(MakeVertex(0, 0), MakeVertex(1, 0), MakeVertex(0, 1));
    EXPECT_EQ(renderer->nextVertexIndex, 65535u);
    renderer->Flush(false);

    renderer->nextVertexIndex = 65533;
    renderer->currentPackage->firstVertexIndex = 65533;
    Rectangle(40, 40, 48, 48, 0, 0, 255);
    // The first triangle did not fit: records 0 to 5 of a new package.
    EXPECT_EQ(renderer->nextVertexIndex, 6u);
    EXPECT_EQ(renderer->currentPackage->firstVertexIndex, 0u);
    EXPECT_EQ(renderer->VertexStore()[3].vertex.x, 40.0f);
    renderer->Flush(false);
    ReadBack pixels(device);
    EXPECT_TRUE(pixels.RegionNear(41, 41, 47, 47, 0x0000FF));
}

TEST_F(SoftwareRenderer, APolygonLargerThanTheStoreIsDrawnInParts)
{
    // A disc of 70000 corners needs 209994 records as a triangle list.
    const int corners = 70000;
    std::vector<GrVertex> disc;
    for (int i = 0; i < corners; ++i) {
        const double angle = 6.283185307179586 * i / corners;
        disc.push_back(MakeVertex(static_cast<float>(32 + 20 * std::cos(angle)),
                                  static_cast<float>(32 + 20 * std::sin(angle)), 255, 255, 0));
    }
    renderer->DrawPolygonVertexList(corners, disc.data());
    EXPECT_LE(renderer->nextVertexIndex, 65535u);
    renderer->Flush(false);
    {
        ReadBack pixels(device);
        EXPECT_TRUE(pixels.RegionNear(20, 20, 44, 44, 0xFFFF00));
        EXPECT_TRUE(pixels.PixelNear(2, 2, 0x000000));
    }
    // The strip in another colour over a cleared target.
    for (GrVertex& v : disc) {
        v.r = 0.0f;
    }
    renderer->RecordClear(0xFF000000, 1.0f);
    renderer->DrawPolygonVertexListStrip(corners, disc.data());
    renderer->Flush(false);
    ReadBack pixels(device);
    EXPECT_TRUE(pixels.RegionNear(20, 20, 44, 44, 0x00FF00));
    EXPECT_TRUE(pixels.PixelNear(2, 2, 0x000000));
}

}  // namespace
