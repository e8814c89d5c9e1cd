// Draws and clears on an A8R8G8B8 back buffer through the proxy: separate
// alpha blending emulated in two passes, and clears under colour masks.
#include <gtest/gtest.h>

#include <string>

#include "common/ReadBack.h"
#include "support/RenderBaseTestSupport.h"

using zelk::ZelkGrPrimitiveRenderer;
using zelk::ZelkGrRect;
using zelktest::D3DCall;
using zelktest::BlendValue;
using zelktest::D3DProxyCaps;
using zelktest::MakeVertex;
using zelktest::ReadBack;
using zelktest::RendererSettings;
using zelktest::RenderTestDevice;
using zelktest::TestRendererSW;

namespace {

// Glide blend factor codes.
constexpr std::uint32_t kZero = 0, kSrcAlpha = 1, kDstColor = 2, kOne = 4, kOneMinusSrcAlpha = 5;

class DrawMultiPass : public zelktest::SoftwareRendererTest {
protected:
    void SetUp() override
    {
        device = RenderTestDevice::Get(D3DFMT_A8R8G8B8);
        ASSERT_NE(device, nullptr);
        Build(true);
    }

    // A renderer anew that clips to the screen and starts with a clear.
    void Build(bool noSeparateAlpha)
    {
        BuildRenderer(noSeparateAlpha);
        renderer->RecordClipWindow(ZelkGrRect(0, 0, 64, 64));
        renderer->RecordClear(0x00000000, 1.0f);
    }

    UINT Draws() { return RenderTestDevice::Proxy().CallCount(D3DCall::Device_DrawPrimitiveUP); }
    UINT Clears() { return RenderTestDevice::Proxy().CallCount(D3DCall::Device_Clear); }

    // A square over (8, 8) to (40, 40), at depth ooz / 65535.
    void Square(float r, float g, float b, float a, float ooz = 0.0f)
    {
        GrVertex v[4] = {MakeVertex(8, 8, r, g, b, a), MakeVertex(40, 8, r, g, b, a), MakeVertex(40, 40, r, g, b, a),
                         MakeVertex(8, 40, r, g, b, a)};
        for (GrVertex& vertex : v) {
            vertex.ooz = ooz;
        }
        renderer->DrawPolygonVertexList(4, v);
    }
};

TEST(PrimitiveCount, FromVertexCounts)
{
    const struct {
        D3DPRIMITIVETYPE type;
        UINT vertices;
        UINT primitives;
    } cases[] = {{D3DPT_POINTLIST, 5, 5},    {D3DPT_LINELIST, 5, 2},     {D3DPT_LINESTRIP, 5, 4},
                 {D3DPT_TRIANGLELIST, 7, 2}, {D3DPT_TRIANGLESTRIP, 2, 0}, {D3DPT_TRIANGLEFAN, 6, 4},
                 {D3DPT_LINESTRIP, 0, 0},    {D3DPT_TRIANGLESTRIP, 0, 0}};
    for (const auto& c : cases) {
        EXPECT_EQ(ZelkGrPrimitiveRenderer::PrimitiveCount(c.type, c.vertices), c.primitives) << c.type;
    }
}

TEST_F(DrawMultiPass, DifferingPairsDrawAColourAndAnAlphaPass)
{
    ASSERT_EQ(renderer->backBufferHasAlpha, 1);
    renderer->RecordCommand(4, BlendValue(kSrcAlpha, kOneMinusSrcAlpha, kOne, kZero), 0);
    const UINT before = Draws();
    Square(255, 0, 0, 128);
    renderer->Flush(false);
    EXPECT_EQ(Draws(), before + 2);
    EXPECT_EQ(RenderState(D3DRS_COLORWRITEENABLE), 0xFu);
    // The alpha pass came last.
    EXPECT_EQ(RenderState(D3DRS_SRCBLEND), static_cast<DWORD>(D3DBLEND_ONE));

    // Colour blended by source alpha, alpha copied: one pass would give 0x40.
    ReadBack pixels(device);
    EXPECT_TRUE(pixels.RegionNear(10, 10, 38, 38, 0x80800000, 3));
    EXPECT_TRUE(pixels.PixelNear(50, 50, 0x00000000));
}

TEST_F(DrawMultiPass, AnAlphaPassThatReadsTheDestinationGoesFirst)
{
    renderer->RecordCommand(4, BlendValue(kOne, kZero, kDstColor, kZero), 0);
    const UINT before = Draws();
    Square(255, 255, 255, 255);
    renderer->Flush(false);
    EXPECT_EQ(Draws(), before + 2);
    // The colour pass came last.
    EXPECT_EQ(RenderState(D3DRS_SRCBLEND), static_cast<DWORD>(D3DBLEND_ONE));
    EXPECT_EQ(RenderState(D3DRS_DESTBLEND), static_cast<DWORD>(D3DBLEND_ZERO));
    // Alpha 255 times the destination's alpha 0.
    ReadBack pixels(device);
    EXPECT_TRUE(pixels.RegionNear(10, 10, 38, 38, 0x00FFFFFF, 3));
}

TEST_F(DrawMultiPass, OnePassForOneSidedMasksAndAgreeingPairs)
{
    const struct {
        DWORD mask;
        std::uint32_t blend;
        std::uint8_t backBufferHasAlpha;
        DWORD source;  // SRCBLEND after the draw
    } cases[] = {
        {0x7, BlendValue(kSrcAlpha, kOneMinusSrcAlpha, kOne, kZero), 1, D3DBLEND_SRCALPHA},
        {0x8, BlendValue(kSrcAlpha, kOneMinusSrcAlpha, kOne, kZero), 1, D3DBLEND_ONE},
        {0x0, BlendValue(kSrcAlpha, kOneMinusSrcAlpha, kOne, kZero), 1, D3DBLEND_SRCALPHA},
        {0xF, BlendValue(kSrcAlpha, kOneMinusSrcAlpha, kSrcAlpha, kOneMinusSrcAlpha), 1, D3DBLEND_SRCALPHA},
        // A back buffer without alpha takes the colour pair.
        {0xF, BlendValue(kSrcAlpha, kOneMinusSrcAlpha, kOne, kZero), 0, D3DBLEND_SRCALPHA},
    };
    for (const auto& c : cases) {
        renderer->backBufferHasAlpha = c.backBufferHasAlpha;
        renderer->RecordRenderState(D3DRS_COLORWRITEENABLE, c.mask);
        renderer->RecordCommand(4, c.blend, 0);
        const UINT before = Draws();
        Square(255, 0, 0, 128);
        renderer->Flush(false);
        EXPECT_EQ(Draws(), before + 1) << "mask " << c.mask;
        EXPECT_EQ(RenderState(D3DRS_SRCBLEND), c.source) << "mask " << c.mask;
        EXPECT_EQ(RenderState(D3DRS_COLORWRITEENABLE), c.mask);
    }
}

TEST_F(DrawMultiPass, WithSeparateAlphaBlendingEveryBatchDrawsOnce)
{
    Build(false);
    renderer->RecordCommand(4, BlendValue(kSrcAlpha, kOneMinusSrcAlpha, kOne, kZero), 0);
    const UINT before = Draws();
    Square(255, 0, 0, 128);
    renderer->Flush(false);
    EXPECT_EQ(Draws(), before + 1);
    ReadBack pixels(device);
    EXPECT_TRUE(pixels.RegionNear(10, 10, 38, 38, 0x80800000, 3));
}

TEST_F(DrawMultiPass, TheSecondPassMeetsTheDepthOfTheFirst)
{
    renderer->RecordCommand(9, 1, 0);  // z-buffer
    renderer->RecordRenderState(D3DRS_ZFUNC, D3DCMP_LESS);
    renderer->RecordCommand(4, BlendValue(kSrcAlpha, kOneMinusSrcAlpha, kOne, kZero), 0);
    Square(255, 0, 0, 128, 32768.0f);
    renderer->Flush(false);
    // Both passes wrote; the depth states are back.
    ReadBack pixels(device);
    EXPECT_TRUE(pixels.RegionNear(10, 10, 38, 38, 0x80800000, 3));
    EXPECT_EQ(RenderState(D3DRS_ZFUNC), static_cast<DWORD>(D3DCMP_LESS));
    EXPECT_EQ(RenderState(D3DRS_ZWRITEENABLE), static_cast<DWORD>(TRUE));

    // The depth written is the square's: a farther square stays hidden.
    renderer->RecordCommand(4, BlendValue(kOne, kZero, kOne, kZero), 0);
    Square(0, 255, 0, 255, 49152.0f);
    renderer->Flush(false);
    ReadBack again(device);
    EXPECT_TRUE(again.RegionNear(10, 10, 38, 38, 0x80800000, 3));
}

// With depth writes on, both passes draw exactly the fragments that pass
// the depth test once, in drawing order, also where draws of one batch
// overlap: squares A and B at the same depth, C at a depth that passes over
// them.  Colour is copied, alpha added, so an alpha pass too many or too
// few shows.  As a triangle list, and as one strip with back faces culled.
TEST_F(DrawMultiPass, BothPassesDrawTheFragmentsThatPassTheDepthTestOnce)
{
    const struct {
        DWORD function;
        float clearDepth;
        float oozC;
    } cases[] = {{D3DCMP_LESS, 1.0f, 16384.0f}, {D3DCMP_GREATER, 0.0f, 49152.0f}, {D3DCMP_NOTEQUAL, 1.0f, 16384.0f}};
    for (bool strip : {false, true}) {
        for (const auto& c : cases) {
            SCOPED_TRACE(testing::Message() << "function " << c.function << (strip ? " strip" : " list"));
            Build(true);
            renderer->RecordClear(0x00000000, c.clearDepth);
            renderer->RecordCommand(9, 1, 0);  // z-buffer
            renderer->RecordRenderState(D3DRS_ZFUNC, c.function);
            if (strip) {
                // The squares wind clockwise on the screen.
                renderer->RecordRenderState(D3DRS_CULLMODE, D3DCULL_CCW);
            }
            renderer->RecordCommand(4, BlendValue(kOne, kZero, kOne, kOne), 0);
            const auto square = [this, strip](float left, float top, float r, float g, float b, float a, float ooz) {
                GrVertex v[4] = {MakeVertex(left, top, r, g, b, a), MakeVertex(left + 32, top, r, g, b, a),
                                 MakeVertex(left + 32, top + 32, r, g, b, a), MakeVertex(left, top + 32, r, g, b, a)};
                for (GrVertex& vertex : v) {
                    vertex.ooz = ooz;
                }
                if (strip) {
                    renderer->DrawPolygonVertexListStrip(4, v);
                } else {
                    renderer->DrawPolygonVertexList(4, v);
                }
            };
            square(8, 8, 255, 0, 0, 16, 32768.0f);   // A
            square(24, 8, 0, 255, 0, 32, 32768.0f);  // B, hidden by A where they meet
            square(8, 24, 0, 0, 255, 64, c.oozC);    // C, over A and B
            ASSERT_GE(renderer->openRecord.VertexCount(), 12u) << "one batch of squares";
            renderer->Flush(false);
            ReadBack pixels(device);
            EXPECT_TRUE(pixels.RegionNear(10, 10, 22, 22, 0x10FF0000, 3)) << "A";
            EXPECT_TRUE(pixels.RegionNear(26, 10, 38, 22, 0x10FF0000, 3)) << "A over B";
            EXPECT_TRUE(pixels.RegionNear(42, 10, 54, 38, 0x2000FF00, 3)) << "B";
            EXPECT_TRUE(pixels.RegionNear(10, 26, 38, 38, 0x500000FF, 3)) << "C over A (and B)";
            EXPECT_TRUE(pixels.RegionNear(10, 42, 38, 54, 0x400000FF, 3)) << "C";
            EXPECT_EQ(RenderState(D3DRS_ZFUNC), c.function);
            EXPECT_EQ(RenderState(D3DRS_ZWRITEENABLE), static_cast<DWORD>(TRUE));
            EXPECT_EQ(RenderState(D3DRS_COLORWRITEENABLE), 0xFu);
            EXPECT_EQ(RenderState(D3DRS_CULLMODE), static_cast<DWORD>(strip ? D3DCULL_CCW : D3DCULL_NONE));
        }
    }
}

// A pure device answers no GetRenderState: the renderer works from the
// states it set itself.
TEST_F(DrawMultiPass, APureDeviceStillClearsDepthAndBlendsInTwoPasses)
{
    zelktest::D3DProxy& proxy = RenderTestDevice::Proxy();
    for (const char* call : {"GetRenderState", "GetTextureStageState", "GetVertexShader", "GetPixelShader",
                             "GetVertexDeclaration", "GetFVF", "GetScissorRect"}) {
        proxy.FailCall(std::string("IDirect3DDevice9::") + call, D3DERR_INVALIDCALL);
    }
    renderer->RecordCommand(9, 1, 0);
    renderer->RecordRenderState(D3DRS_ZFUNC, D3DCMP_LESS);
    renderer->RecordCommand(4, BlendValue(kOne, kZero, kOne, kZero), 0);
    Square(255, 0, 0, 255, 16384.0f);
    renderer->Flush(false);
    // The clear resets depth: a farther square draws.
    renderer->RecordClear(0x00000000, 1.0f);
    Square(0, 255, 0, 255, 49152.0f);
    renderer->Flush(false);
    EXPECT_TRUE(ReadBack(device).RegionNear(10, 10, 38, 38, 0xFF00FF00, 3));

    // Differing pairs: colour blended by source alpha, alpha copied.
    renderer->RecordClear(0x00000000, 1.0f);
    renderer->RecordCommand(4, BlendValue(kSrcAlpha, kOneMinusSrcAlpha, kOne, kZero), 0);
    Square(255, 0, 0, 128, 32768.0f);
    renderer->Flush(false);
    EXPECT_TRUE(ReadBack(device).RegionNear(10, 10, 38, 38, 0x80800000, 3));

    // A clear under a partial mask draws a quad and puts back what it changed.
    renderer->RecordClipWindow(ZelkGrRect(0, 0, 32, 64));
    renderer->RecordRenderState(D3DRS_COLORWRITEENABLE, 0x7);
    renderer->RecordRenderState(D3DRS_SHADEMODE, D3DSHADE_GOURAUD);
    renderer->RecordClear(0x11C0C0C0, 1.0f);
    renderer->Flush(false);
    proxy.ClearFaults();
    ReadBack pixels(device);
    EXPECT_TRUE(pixels.RegionNear(10, 44, 30, 62, 0x00C0C0C0, 3));
    EXPECT_TRUE(pixels.RegionNear(10, 10, 30, 38, 0x80C0C0C0, 3));
    EXPECT_TRUE(pixels.RegionNear(34, 10, 38, 38, 0x80800000, 3));
    EXPECT_EQ(RenderState(D3DRS_SHADEMODE), static_cast<DWORD>(D3DSHADE_GOURAUD));
    EXPECT_EQ(RenderState(D3DRS_ZENABLE), static_cast<DWORD>(D3DZB_TRUE));
    EXPECT_EQ(RenderState(D3DRS_COLORWRITEENABLE), 0x7u);
    DWORD fvf = 0;
    device->GetFVF(&fvf);
    EXPECT_EQ(fvf, 0x2C4u);
}

TEST_F(DrawMultiPass, PartialMaskClearsByDrawingWithinTheScissor)
{
    renderer->RecordClear(0x80102030, 1.0f);
    renderer->Flush(false);

    renderer->RecordClipWindow(ZelkGrRect(0, 0, 32, 64));
    renderer->RecordRenderState(D3DRS_COLORWRITEENABLE, 0x7);
    renderer->RecordRenderState(D3DRS_SHADEMODE, D3DSHADE_GOURAUD);
    renderer->RecordClear(0x11C0C0C0, 1.0f);
    const UINT draws = Draws();
    const UINT clears = Clears();
    renderer->Flush(false);
    // One quad, and a Clear of depth and stencil only.
    EXPECT_EQ(Draws(), draws + 1);
    EXPECT_EQ(Clears(), clears + 1);
    ReadBack pixels(device);
    EXPECT_TRUE(pixels.RegionNear(0, 0, 32, 64, 0x80C0C0C0));
    EXPECT_TRUE(pixels.RegionNear(32, 0, 64, 64, 0x80102030));
    // The states the quad needed are back.
    EXPECT_EQ(RenderState(D3DRS_SHADEMODE), static_cast<DWORD>(D3DSHADE_GOURAUD));
    EXPECT_EQ(RenderState(D3DRS_COLORWRITEENABLE), 0x7u);
    DWORD fvf = 0;
    device->GetFVF(&fvf);
    EXPECT_EQ(fvf, 0x2C4u);

    // Depth writes off: only the quad.
    renderer->RecordRenderState(D3DRS_ZWRITEENABLE, FALSE);
    renderer->RecordRenderState(D3DRS_COLORWRITEENABLE, 0x8);
    renderer->RecordClear(0xFF000000, 1.0f);
    const UINT clearsBefore = Clears();
    renderer->Flush(false);
    EXPECT_EQ(Clears(), clearsBefore);
    ReadBack alpha(device);
    EXPECT_TRUE(alpha.RegionNear(0, 0, 32, 64, 0xFFC0C0C0));

    // Full mask, depth writes off: one Clear of colour.
    renderer->RecordRenderState(D3DRS_COLORWRITEENABLE, 0xF);
    renderer->RecordClear(0x01020304, 1.0f);
    renderer->Flush(false);
    EXPECT_EQ(Clears(), clearsBefore + 1);
    ReadBack full(device);
    EXPECT_TRUE(full.RegionNear(0, 0, 32, 64, 0x01020304));
}

}  // namespace
