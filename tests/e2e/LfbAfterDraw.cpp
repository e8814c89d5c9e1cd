// Rodoz2o.dll loaded by name: right after a clear and a draw, a region read
// and a read lock of the back buffer both see the drawn colours, whether the
// renderer draws on the application's thread or on its worker; access that
// needs a converter for the back buffer's format either works or fails
// with a logged reason.
#include <gtest/gtest.h>

#include <windows.h>

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "common/TestWindow.h"
#include "support/GlideDll.h"

namespace {

constexpr unsigned kW = 1024;
constexpr unsigned kH = 768;

// A 565 pixel as 8-bit red, green and blue, each widened by a zero shift.
struct Rgb {
    int r, g, b;
};
Rgb From565(std::uint16_t p) { return {(p >> 11) << 3, ((p >> 5) & 63) << 2, (p & 31) << 3}; }

testing::AssertionResult Near(std::uint16_t pixel, Rgb expected)
{
    const Rgb got = From565(pixel);
    if (std::abs(got.r - expected.r) <= 8 && std::abs(got.g - expected.g) <= 8 && std::abs(got.b - expected.b) <= 8) {
        return testing::AssertionSuccess();
    }
    return testing::AssertionFailure() << "got " << got.r << "," << got.g << "," << got.b << " for " << expected.r
                                       << "," << expected.g << "," << expected.b;
}

const Rgb kRed = {255, 0, 0};
const Rgb kBlue = {0, 0, 255};

// Screen points inside the triangle near its corner, and outside it.
struct Probe {
    unsigned x, y;
    Rgb colour;
};
const Probe kProbes[] = {{20, 20, kRed}, {100, 50, kRed}, {1000, 700, kBlue}, {600, 300, kBlue}};

const char* const kNoConversion = "has no frame-buffer conversion";

std::uint16_t PixelAt(const GrLfbInfo_t& info, unsigned x, unsigned row)
{
    return reinterpret_cast<const std::uint16_t*>(static_cast<const std::uint8_t*>(info.lfbPtr) +
                                                  std::size_t(row) * info.strideInBytes)[x];
}

class LfbAfterDrawTest : public testing::Test {
protected:
    static void SetUpTestSuite()
    {
        window = new zelktest::TestWindow(kW, kH, "lfb after draw");
        loaded = glide.Load(missing);
    }
    static void TearDownTestSuite()
    {
        glide.Unload();
        delete window;
        zelktest::RemoveSettings();
    }
    void SetUp() override { ASSERT_TRUE(loaded) << missing; }

    // Windowed, back-buffer reading on, every other setting at its default;
    // then a blue clear and a red triangle over the top-left quarter, left
    // recorded.
    testing::AssertionResult OpenAndDraw(DWORD backgroundThread)
    {
        zelktest::RemoveSettings();
        zelktest::SetSetting("direct3d device setting", "use window mode", 1);
        zelktest::SetSetting("lfb accessing", "enable back buffer reading", 1);
        zelktest::SetSetting("primitive rendering", "use background thread", backgroundThread);
        glide.grGlideInit();
        if (glide.grSstWinOpen(FxU32(reinterpret_cast<ULONG_PTR>(window->Handle())), GR_RESOLUTION_1024x768,
                               GR_REFRESH_60Hz, GR_COLORFORMAT_ARGB, GR_ORIGIN_UPPER_LEFT, 2, 1) != FXTRUE) {
            return testing::AssertionFailure() << "grSstWinOpen failed\n" << zelktest::LogText();
        }
        glide.grBufferClear(0x000000FF, 0, 0);
        glide.guColorCombineFunction(GR_COLORCOMBINE_ITRGB);
        const GrVertex a = zelktest::MakeVertex(0, 0, 255, 0, 0), b = zelktest::MakeVertex(512, 0, 255, 0, 0),
                       c = zelktest::MakeVertex(0, 384, 255, 0, 0);
        glide.grDrawTriangle(&a, &b, &c);
        return testing::AssertionSuccess();
    }
    void Close()
    {
        glide.grSstWinClose();
        glide.grGlideShutdown();
    }

    static zelktest::TestWindow* window;
    static zelktest::GlideDll glide;
    static std::string missing;
    static bool loaded;
};
zelktest::TestWindow* LfbAfterDrawTest::window = nullptr;
zelktest::GlideDll LfbAfterDrawTest::glide;
std::string LfbAfterDrawTest::missing;
bool LfbAfterDrawTest::loaded = false;

TEST_F(LfbAfterDrawTest, RegionReadAndReadLockSeeTheDrawnTriangle)
{
    for (DWORD backgroundThread : {DWORD(0), DWORD(1)}) {
        SCOPED_TRACE(backgroundThread ? "drawn by the worker" : "drawn on the calling thread");
        ASSERT_TRUE(OpenAndDraw(backgroundThread));

        std::vector<std::uint16_t> region(kW * kH, 0xACE1);
        EXPECT_EQ(glide.grLfbReadRegion(GR_BUFFER_BACKBUFFER, 0, 0, kW, kH, kW * 2, region.data()), FXTRUE);
        for (const Probe& p : kProbes) {
            EXPECT_TRUE(Near(region[p.y * kW + p.x], p.colour)) << "region read at " << p.x << "," << p.y;
        }

        GrLfbInfo_t info = {};
        info.size = sizeof info;
        ASSERT_EQ(glide.grLfbLock(GR_LFB_READ_ONLY, GR_BUFFER_BACKBUFFER, GR_LFBWRITEMODE_565,
                                  GR_ORIGIN_UPPER_LEFT, FXFALSE, &info),
                  FXTRUE)
            << zelktest::LogText();
        for (const Probe& p : kProbes) {
            EXPECT_TRUE(Near(PixelAt(info, p.x, p.y), p.colour)) << "lock at " << p.x << "," << p.y;
        }
        EXPECT_EQ(glide.grLfbUnlock(GR_LFB_READ_ONLY, GR_BUFFER_BACKBUFFER), FXTRUE);
        Close();
        EXPECT_EQ(zelktest::UnexpectedLogEntries(), 0) << zelktest::LogText();
    }
}

// Lower-left locks and 1555 region writes go through the converters in
// system memory.  Where no converter covers the back buffer's format (the
// virtual display gives a 24-bit one) they fail with a logged reason; they
// never succeed with pixels that were not read or written.
TEST_F(LfbAfterDrawTest, ConvertedAccessSeesThePixelsOrFailsExplicitly)
{
    ASSERT_TRUE(OpenAndDraw(0));

    GrLfbInfo_t info = {};
    info.size = sizeof info;
    if (glide.grLfbLock(GR_LFB_READ_ONLY, GR_BUFFER_BACKBUFFER, GR_LFBWRITEMODE_565, GR_ORIGIN_LOWER_LEFT, FXFALSE,
                        &info) == FXTRUE) {
        EXPECT_EQ(info.origin, GR_ORIGIN_LOWER_LEFT);
        for (const Probe& p : kProbes) {
            EXPECT_TRUE(Near(PixelAt(info, p.x, kH - 1 - p.y), p.colour)) << "lock at " << p.x << "," << p.y;
        }
        EXPECT_EQ(glide.grLfbUnlock(GR_LFB_READ_ONLY, GR_BUFFER_BACKBUFFER), FXTRUE);
    } else {
        EXPECT_EQ(info.lfbPtr, nullptr);
        EXPECT_EQ(zelktest::LogCount(kNoConversion), 1) << zelktest::LogText();
    }

    // A white 1555 block over the blue.
    const int before = zelktest::LogCount(kNoConversion);
    std::vector<std::uint16_t> white(8 * 4, 0xFFFF);
    const FxBool written = glide.grLfbWriteRegion(GR_BUFFER_BACKBUFFER, 700, 500, GR_LFB_SRC_FMT_1555, 8, 4, 16,
                                                  white.data());
    std::uint16_t pixel = 0;
    ASSERT_EQ(glide.grLfbReadRegion(GR_BUFFER_BACKBUFFER, 703, 502, 1, 1, 2, &pixel), FXTRUE);
    if (written == FXTRUE) {
        EXPECT_TRUE(Near(pixel, {255, 255, 255}));
    } else {
        EXPECT_TRUE(Near(pixel, kBlue)) << "a failed write leaves the buffer";
        EXPECT_EQ(zelktest::LogCount(kNoConversion), before + 1) << zelktest::LogText();
    }
    Close();
}

}  // namespace
