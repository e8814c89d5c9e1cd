// The blend passes of a device without separate alpha blending on the
// vertex-shader path, which draws from the vertex buffer: with depth writes
// on, both passes draw exactly the fragments that pass the depth test once.
#include <gtest/gtest.h>

#include "common/ReadBack.h"
#include "render/ZelkGrRendererVS2xPS13.h"
#include "support/RenderBaseTestSupport.h"
#include "support/ShaderStandIn.h"

using zelk::ZelkGrRect;
using zelktest::D3DProxyCaps;
using zelktest::MakeVertex;
using zelktest::ReadBack;
using zelktest::RenderTestDevice;

namespace {

// Glide blend factor codes.
constexpr std::uint32_t kZero = 0, kOne = 4;

TEST(MultiPassVertexBuffer, BothPassesDrawTheFragmentsThatPassTheDepthTestOnce)
{
    zelktest::ShaderStandIn standIn;
    IDirect3DDevice9* device = RenderTestDevice::Get(D3DFMT_A8R8G8B8);
    ASSERT_NE(device, nullptr);
    D3DProxyCaps caps;
    caps.noSeparateAlphaBlend = true;
    RenderTestDevice::Proxy().SetCaps(caps);
    zelk::ZelkGrRendererVS2xPS13 r(device, 64, 64, zelktest::RendererSettings(false));
    RenderTestDevice::Proxy().SetCaps(D3DProxyCaps());
    ASSERT_EQ(r.backBufferHasAlpha, 1);

    r.RecordClipWindow(ZelkGrRect(0, 0, 64, 64));
    r.RecordClear(0x00000000, 1.0f);
    // Colour and alpha from the vertex; colour copied, alpha added.
    r.RecordCommand(12, 1u << 24, 0);
    r.RecordCommand(13, 1u << 24, 0);
    r.RecordCommand(9, 1, 0);  // z-buffer
    r.RecordRenderState(D3DRS_ZFUNC, D3DCMP_LESS);
    r.RecordCommand(4, zelktest::BlendValue(kOne, kZero, kOne, kOne), 0);
    const auto square = [&r](float left, float top, float red, float green, float blue, float alpha, float ooz) {
        GrVertex v[4] = {MakeVertex(left, top, red, green, blue, alpha),
                         MakeVertex(left + 32, top, red, green, blue, alpha),
                         MakeVertex(left + 32, top + 32, red, green, blue, alpha),
                         MakeVertex(left, top + 32, red, green, blue, alpha)};
        for (GrVertex& vertex : v) {
            vertex.ooz = ooz;
        }
        r.DrawPolygonVertexList(4, v);
    };
    // Starting past record 0, so that a wrong start vertex would show.
    r.nextVertexIndex = 300;
    r.currentPackage->firstVertexIndex = 300;
    // A, then B at A's depth (hidden where they meet), then C nearer.
    square(8, 8, 255, 0, 0, 16, 32768.0f);
    square(24, 8, 0, 255, 0, 32, 32768.0f);
    square(8, 24, 0, 0, 255, 64, 16384.0f);
    ASSERT_EQ(r.openRecord.VertexCount(), 18u);
    r.Flush(true);

    ReadBack pixels(device);
    EXPECT_TRUE(pixels.RegionNear(10, 10, 22, 22, 0x10FF0000, 3)) << "A";
    EXPECT_TRUE(pixels.RegionNear(26, 10, 38, 22, 0x10FF0000, 3)) << "A over B";
    EXPECT_TRUE(pixels.RegionNear(42, 10, 54, 38, 0x2000FF00, 3)) << "B";
    EXPECT_TRUE(pixels.RegionNear(10, 26, 38, 38, 0x500000FF, 3)) << "C over A (and B)";
    EXPECT_TRUE(pixels.RegionNear(10, 42, 38, 54, 0x400000FF, 3)) << "C";
}

}  // namespace
