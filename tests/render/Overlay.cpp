// The statistics overlay: its text, its counters and its drawing.
#include <gtest/gtest.h>

#include <string>

#include "common/ReadBack.h"
#include "common/TestDirectory.h"
#include "framework/ZelkException.h"
#include "support/RenderBaseTestSupport.h"

using zelk::ZelkGrPrimitiveRenderer;
using zelk::ZelkGrRect;
using zelktest::D3DCall;
using zelktest::ReadBack;
using zelktest::RendererSettings;
using zelktest::RenderTestDevice;
using zelktest::TestRendererSW;

namespace {

constexpr UINT kWidth = 320;
constexpr UINT kHeight = 240;

class Overlay : public testing::Test {
protected:
    void SetUp() override
    {
        device = RenderTestDevice::Get(D3DFMT_X8R8G8B8, kWidth, kHeight);
        ASSERT_NE(device, nullptr);
        zelk::ZelkGrRendererSettings settings = RendererSettings();
        settings.displayStatistics = 1;
        renderer = std::make_unique<TestRendererSW>(device, kWidth, kHeight, settings);
    }

    void TearDown() override
    {
        renderer.reset();
        RenderTestDevice::Proxy().ClearFaults();
    }

    IDirect3DDevice9* device = nullptr;
    std::unique_ptr<TestRendererSW> renderer;
};

TEST(OverlayText, LinesAndNumberFormats)
{
    TestRendererSW renderer(nullptr, 64, 64, RendererSettings());
    renderer.frameCount = 3;
    renderer.usedTextureMemory = 1024;
    renderer.latestCommands = 7;
    renderer.latestVertices = 123456;
    renderer.latestFps = 60.0f;
    renderer.averageCommands = 12.5f;
    renderer.averageVertices = 1234567.0f;
    renderer.averageFps = 0.0f;
    EXPECT_EQ(renderer.StatisticsText(),
              "ZelkGlide Rendering Statistics\n"
              "count : 3\n"
              "number of packages pending =      0\n"
              "used texture memory size =   1024\n"
              "latest\n"
              "    rendering commands / frame =      7\n"
              "    vertices / frame = 123456\n"
              "    FPS =  60.00\n"
              "average\n"
              "    rendering commands / frame =  12.50\n"
              "    vertices / frame = 1234567.00\n"
              "    FPS =   0.00\n");
}

TEST(OverlayText, FramesPerSecondNeedsAFrequencyAndElapsedTicks)
{
    EXPECT_FLOAT_EQ(ZelkGrPrimitiveRenderer::FramesPerSecond(1000000, 20000), 50.0f);
    EXPECT_EQ(ZelkGrPrimitiveRenderer::FramesPerSecond(0, 20000), 0.0f);
    EXPECT_EQ(ZelkGrPrimitiveRenderer::FramesPerSecond(1000000, 0), 0.0f);
    EXPECT_EQ(ZelkGrPrimitiveRenderer::FramesPerSecond(1000000, -5), 0.0f);
}

TEST(OverlayText, WithoutStatisticsTheFontHasNoDevice)
{
    TestRendererSW renderer(RenderTestDevice::Get(D3DFMT_X8R8G8B8, kWidth, kHeight), kWidth, kHeight,
                            RendererSettings());
    EXPECT_EQ(renderer.statisticsFont->Texture(), nullptr);
}

TEST_F(Overlay, CountersAccumulateOverFrames)
{
    EXPECT_NE(renderer->statisticsFont->Texture(), nullptr);
    renderer->latestCommands = 4;
    renderer->latestVertices = 30;
    renderer->DrawStatistics();
    EXPECT_EQ(renderer->frameCount, 1u);
    EXPECT_EQ(renderer->totalCommands, 4u);
    EXPECT_EQ(renderer->totalVertices, 30u);
    EXPECT_FLOAT_EQ(renderer->averageCommands, 4.0f);
    EXPECT_EQ(renderer->latestCommands, 0u);
    EXPECT_EQ(renderer->latestVertices, 0u);
    // The first frame is measured from a start tick of 0.
    EXPECT_LT(renderer->latestFps, 1.0f);
    EXPECT_TRUE(renderer->statisticsFont->textItems.empty());

    renderer->latestCommands = 6;
    renderer->latestVertices = 10;
    Sleep(20);
    renderer->DrawStatistics();
    EXPECT_EQ(renderer->frameCount, 2u);
    EXPECT_FLOAT_EQ(renderer->averageCommands, 5.0f);
    EXPECT_FLOAT_EQ(renderer->averageVertices, 20.0f);
    EXPECT_GT(renderer->latestFps, 1.0f);
    EXPECT_LT(renderer->latestFps, 60.0f);
    EXPECT_FLOAT_EQ(renderer->averageFps, renderer->fpsSum / 2.0f);
}

TEST_F(Overlay, TheTextIsDrawnInTheUpperRightAndAFailingDrawIsCaught)
{
    renderer->DrawStatistics();
    ReadBack pixels(device);
    // The grey box behind the text, from x = width * 0.675 and y = height * 0.05.
    bool drawn = false;
    for (UINT y = 12; y < 60 && !drawn; ++y) {
        for (UINT x = 216; x < kWidth && !drawn; ++x) {
            drawn = pixels.Pixel(x, y) != 0;
        }
    }
    EXPECT_TRUE(drawn);
    EXPECT_TRUE(pixels.RegionNear(0, 0, 200, kHeight, 0x000000));

    RenderTestDevice::Proxy().FailCall(D3DCall::Device_DrawPrimitive, E_FAIL);
    EXPECT_NO_THROW(renderer->DrawStatistics());
    EXPECT_EQ(renderer->frameCount, 2u);
    EXPECT_NE(zelktest::ReadFileText(zelk::kErrorLogFileName).find("IDirect3DDevice9::DrawPrimitive ]"),
              std::string::npos);
    // The scene was ended: another one begins.
    EXPECT_EQ(device->BeginScene(), D3D_OK);
    device->EndScene();
}

}  // namespace
