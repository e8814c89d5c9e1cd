// A Glide program's life through Rodoz2o.dll: open, clear, draw, swap,
// close and shut down, with the picture read back; every
// resolution code; open and close cycled with no growth in handles.
#include <gtest/gtest.h>

#include <cstring>

#include "common/TestWindow.h"
#include "support/GlideDll.h"

namespace {

using zelktest::GlideDll;
using zelktest::MakeVertex;

// The virtual display offers one mode, its own size.  A windowed open (the
// default) changes no display mode and opens every size.
constexpr GrScreenResolution_t kResolution = GR_RESOLUTION_1024x768;

class GlideLifecycle : public testing::Test {
protected:
    static void SetUpTestSuite()
    {
        glide = new GlideDll;
        std::string missing;
        loaded = glide->Load(missing);
        window = new zelktest::TestWindow(1024, 768, "glide lifecycle");
    }
    static void TearDownTestSuite()
    {
        delete window;
        glide->Unload();
        delete glide;
    }
    void SetUp() override { ASSERT_TRUE(loaded); }

    FxBool Open(GrScreenResolution_t resolution = kResolution, GrColorFormat_t format = GR_COLORFORMAT_ARGB,
                GrOriginLocation_t origin = GR_ORIGIN_UPPER_LEFT)
    {
        return glide->grSstWinOpen(static_cast<FxU32>(reinterpret_cast<ULONG_PTR>(window->Handle())), resolution,
                                   GR_REFRESH_60Hz, format, origin, 2, 1);
    }

    static GlideDll* glide;
    static bool loaded;
    static zelktest::TestWindow* window;
};

GlideDll* GlideLifecycle::glide = nullptr;
bool GlideLifecycle::loaded = false;
zelktest::TestWindow* GlideLifecycle::window = nullptr;

TEST_F(GlideLifecycle, OpenClearDrawSwapCloseShutdown)
{
    zelktest::SetSetting("lfb accessing", "enable back buffer reading", 1);
    glide->grGlideInit();
    char version[80] = {};
    std::memset(version, 'x', sizeof(version));
    glide->grGlideGetVersion(version);
    EXPECT_STREQ(version, "2.56.00.0459");
    EXPECT_EQ(version[13], 'x');

    GrHwConfiguration hw;
    ASSERT_EQ(glide->grSstQueryHardware(&hw), FXTRUE);
    EXPECT_EQ(hw.num_sst, 1);
    EXPECT_EQ(hw.SSTs[0].sstBoard.VoodooConfig.fbiRev, 260);
    EXPECT_EQ(hw.SSTs[0].sstBoard.VoodooConfig.nTexelfx, 2);
    EXPECT_EQ(hw.SSTs[0].sstBoard.VoodooConfig.tmuConfig[1].tmuRam, 4);

    ASSERT_EQ(Open(), FXTRUE) << zelktest::LogText();
    EXPECT_EQ(glide->grSstScreenWidth(), 1024u);
    EXPECT_EQ(glide->grSstScreenHeight(), 768u);

    glide->grColorCombine(GR_COMBINE_FUNCTION_LOCAL, GR_COMBINE_FACTOR_NONE, GR_COMBINE_LOCAL_ITERATED,
                          GR_COMBINE_OTHER_NONE, FXFALSE);
    glide->grBufferClear(0x00FF0000, 0, 0xFFFF);
    GrVertex a = MakeVertex(100, 100, 0, 255, 0);
    GrVertex b = MakeVertex(300, 100, 0, 255, 0);
    GrVertex c = MakeVertex(100, 300, 0, 255, 0);
    glide->grDrawTriangle(&a, &b, &c);
    // What was drawn, read through a lock of the back buffer (which plays
    // what was recorded first) as RGB 565.
    GrLfbInfo_t info = {};
    info.size = sizeof(info);
    ASSERT_EQ(glide->grLfbLock(GR_LFB_READ_ONLY, GR_BUFFER_BACKBUFFER, GR_LFBWRITEMODE_ANY, GR_ORIGIN_UPPER_LEFT,
                               FXFALSE, &info),
              FXTRUE);
    ASSERT_EQ(info.writeMode, GR_LFBWRITEMODE_565);
    const auto pixel = [&info](int x, int y) {
        return static_cast<const FxU16*>(info.lfbPtr)[y * (info.strideInBytes / 2) + x];
    };
    EXPECT_EQ(pixel(150, 150), 0x07E0);
    EXPECT_EQ(pixel(800, 600), 0xF800);
    EXPECT_EQ(glide->grLfbUnlock(GR_LFB_READ_ONLY, GR_BUFFER_BACKBUFFER), FXTRUE);
    glide->grBufferSwap(1);
    glide->grSstIdle();
    EXPECT_EQ(glide->grSstIsBusy(), FXFALSE);
    EXPECT_EQ(glide->grBufferNumPending(), 0);

    glide->grSstWinClose();
    glide->grGlideShutdown();
    zelktest::RemoveSettings();
    EXPECT_EQ(zelktest::UnexpectedLogEntries(), 0) << zelktest::LogText();
}

// Glide culls by the sign of a triangle as the program gave it, whatever
// the origin.  With positive triangles culled, A B C (positive) is culled
// at the upper-left origin, and A C B (negative, same corners) is drawn
// after a change to the lower-left origin, mirrored on the screen; with the
// two calls the other way round the same holds.
TEST_F(GlideLifecycle, CullingDecidesByTheSubmittedSignAfterAnOriginChange)
{
    zelktest::SetSetting("lfb accessing", "enable back buffer reading", 1);
    for (const bool cullFirst : {true, false}) {
        SCOPED_TRACE(cullFirst ? "cull mode, then origin" : "origin, then cull mode");
        ASSERT_EQ(Open(), FXTRUE) << zelktest::LogText();
        glide->grColorCombine(GR_COMBINE_FUNCTION_LOCAL, GR_COMBINE_FACTOR_NONE, GR_COMBINE_LOCAL_ITERATED,
                              GR_COMBINE_OTHER_NONE, FXFALSE);
        glide->grBufferClear(0x00FF0000, 0, 0xFFFF);
        const GrVertex a = MakeVertex(100, 100, 0, 255, 0);
        const GrVertex b = MakeVertex(400, 100, 0, 255, 0);
        const GrVertex c = MakeVertex(100, 400, 0, 255, 0);
        glide->grCullMode(GR_CULL_POSITIVE);
        glide->grDrawTriangle(&a, &b, &c);
        if (cullFirst) {
            glide->grSstOrigin(GR_ORIGIN_LOWER_LEFT);
        } else {
            glide->grCullMode(GR_CULL_DISABLE);
            glide->grSstOrigin(GR_ORIGIN_LOWER_LEFT);
            glide->grCullMode(GR_CULL_POSITIVE);
        }
        glide->grDrawTriangle(&a, &c, &b);
        GrLfbInfo_t info = {};
        info.size = sizeof(info);
        ASSERT_EQ(glide->grLfbLock(GR_LFB_READ_ONLY, GR_BUFFER_BACKBUFFER, GR_LFBWRITEMODE_ANY, GR_ORIGIN_UPPER_LEFT,
                                   FXFALSE, &info),
                  FXTRUE);
        const auto pixel = [&info](int x, int y) {
            return static_cast<const FxU16*>(info.lfbPtr)[y * (info.strideInBytes / 2) + x];
        };
        EXPECT_EQ(pixel(150, 150), 0xF800);        // A B C culled
        EXPECT_EQ(pixel(150, 767 - 150), 0x07E0);  // A C B drawn, mirrored
        glide->grLfbUnlock(GR_LFB_READ_ONLY, GR_BUFFER_BACKBUFFER);
        glide->grSstWinClose();
    }
    zelktest::RemoveSettings();
    EXPECT_EQ(zelktest::UnexpectedLogEntries(), 0) << zelktest::LogText();
}

TEST_F(GlideLifecycle, EveryResolutionCodeOpensWindowed)
{
    const struct {
        FxU32 width, height;
    } sizes[16] = {{320, 200}, {320, 240}, {400, 256}, {512, 384}, {640, 200},  {640, 350},   {640, 400},   {640, 480},
                   {800, 600}, {960, 720}, {856, 480}, {512, 256}, {1024, 768}, {1280, 1024}, {1600, 1200}, {400, 300}};
    for (GrScreenResolution_t code = 0; code < 16; ++code) {
        ASSERT_EQ(Open(code), FXTRUE) << code << "\n" << zelktest::LogText();
        EXPECT_EQ(glide->grSstScreenWidth(), sizes[code].width) << code;
        EXPECT_EQ(glide->grSstScreenHeight(), sizes[code].height) << code;
        glide->grBufferClear(0x00000000, 0, 0);
        glide->grBufferSwap(1);
        glide->grSstWinClose();
    }
    EXPECT_EQ(zelktest::LogCount("There was no equivalent display size."), 0);
    glide->grGlideShutdown();
}

TEST_F(GlideLifecycle, OpenCloseCyclesLeaveNoHandlesBehind)
{
    auto cycle = [this] {
        ASSERT_EQ(Open(), FXTRUE);
        glide->grBufferClear(0x00202020, 0, 0xFFFF);
        GrVertex a = MakeVertex(10, 10, 255, 255, 255);
        GrVertex b = MakeVertex(60, 10, 255, 255, 255);
        GrVertex c = MakeVertex(10, 60, 255, 255, 255);
        glide->grDrawTriangle(&a, &b, &c);
        glide->grBufferSwap(1);
        glide->grSstWinClose();
    };
    for (int i = 0; i < 3; ++i) {
        cycle();
    }
    const DWORD before = zelktest::ProcessHandleCount();
    for (int i = 0; i < 20; ++i) {
        cycle();
    }
    const DWORD after = zelktest::ProcessHandleCount();
    EXPECT_LE(after, before + 2) << "handles and GDI objects before " << before << ", after " << after;
    glide->grGlideShutdown();
}

}  // namespace
