// Rodoz2o.dll loaded by name: right after a clear and a draw, a region read
// and a read lock of the back buffer both see the drawn colours, whether the
// renderer draws on the application's thread or on its worker.  Access that
// converts in system memory (lower-left locks, 1555 region writes) works on
// a back buffer of the display's own format and on the default one, and
// fails with a logged reason on the 24-bit one that no converter covers.
// ctest runs this program on a 32-bit display and on a 16-bit one;
// ZELK_DISPLAY_FORMAT, when set, is the Direct3D format the display must
// have.
#include <gtest/gtest.h>

#include <windows.h>

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "common/TestWindow.h"
#include "common/WindowedFormatPosition.h"
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

// OpenAndDraw's display format for a program that stored no device choice.
constexpr int kNoDeviceChoice = -1;

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

    // Back-buffer reading on and every other setting at its default, the
    // device windowed on the windowed format record at displayFormat
    // (position 0 holds the 24-bit back buffer here) or, for
    // kNoDeviceChoice, with no Direct3D device setting stored at all; then
    // a blue clear and a red triangle over the top-left quarter, left
    // recorded.
    testing::AssertionResult OpenAndDraw(DWORD backgroundThread, int displayFormat = 0)
    {
        zelktest::RemoveSettings();
        if (displayFormat != kNoDeviceChoice) {
            zelktest::SetSetting("direct3d device setting", "use window mode", 1);
            zelktest::SetSetting("direct3d device setting", "display format", DWORD(displayFormat));
        }
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

// The display's format.
D3DFORMAT DisplayFormat()
{
    D3DDISPLAYMODE mode = {};
    IDirect3D9* d3d = Direct3DCreate9(D3D_SDK_VERSION);
    if (d3d) {
        d3d->GetAdapterDisplayMode(0, &mode);
        d3d->Release();
    }
    return mode.Format;
}

// Lower-left locks and 1555 region writes go through the converters in
// system memory.  They see and write the pixels on a back buffer of the
// display's format (X8R8G8B8 on the 32-bit display, R5G6B5 on the 16-bit
// one), and on the back buffer that a program which stored no device choice
// gets: the display also offers the 24-bit one, which no converter covers,
// and that one is never the default.
TEST_F(LfbAfterDrawTest, ConvertedAccessSeesAndWritesThePixels)
{
    const D3DFORMAT display = DisplayFormat();
    if (const char* expected = std::getenv("ZELK_DISPLAY_FORMAT")) {
        ASSERT_EQ(int(display), std::atoi(expected)) << "the display this run was meant for";
    }
    const int position = zelktest::WindowedFormatPosition(display);
    ASSERT_GE(position, 0) << "no windowed back buffer of the display's format " << display;
    const struct {
        const char* name;
        int displayFormat;
    } cases[] = {
        {"the display's format stored", position},
        {"no device choice stored", kNoDeviceChoice},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        ASSERT_TRUE(OpenAndDraw(0, c.displayFormat));

        GrLfbInfo_t info = {};
        info.size = sizeof info;
        ASSERT_EQ(glide.grLfbLock(GR_LFB_READ_ONLY, GR_BUFFER_BACKBUFFER, GR_LFBWRITEMODE_565,
                                  GR_ORIGIN_LOWER_LEFT, FXFALSE, &info),
                  FXTRUE)
            << zelktest::LogText();
        EXPECT_EQ(info.origin, GR_ORIGIN_LOWER_LEFT);
        for (const Probe& p : kProbes) {
            EXPECT_TRUE(Near(PixelAt(info, p.x, kH - 1 - p.y), p.colour)) << "lock at " << p.x << "," << p.y;
        }
        EXPECT_EQ(glide.grLfbUnlock(GR_LFB_READ_ONLY, GR_BUFFER_BACKBUFFER), FXTRUE);

        // A white 1555 block over the blue; the pixels around it stay blue.
        std::vector<std::uint16_t> white(8 * 4, 0xFFFF);
        ASSERT_EQ(glide.grLfbWriteRegion(GR_BUFFER_BACKBUFFER, 700, 500, GR_LFB_SRC_FMT_1555, 8, 4, 16,
                                         white.data()),
                  FXTRUE)
            << zelktest::LogText();
        std::vector<std::uint16_t> row(10);
        ASSERT_EQ(glide.grLfbReadRegion(GR_BUFFER_BACKBUFFER, 699, 502, 10, 1, 20, row.data()), FXTRUE);
        EXPECT_TRUE(Near(row[0], kBlue));
        for (int i = 1; i <= 8; ++i) EXPECT_TRUE(Near(row[i], {248, 252, 248})) << i;
        EXPECT_TRUE(Near(row[9], kBlue));
        Close();
        EXPECT_EQ(zelktest::UnexpectedLogEntries(), 0) << zelktest::LogText();
    }
}

// On the 24-bit back buffer, which no converter covers, the same accesses
// fail with a logged reason and change nothing.
TEST_F(LfbAfterDrawTest, ConvertedAccessOnA24BitBackBufferFailsExplicitly)
{
    const int position = zelktest::WindowedFormatPosition(D3DFMT_R8G8B8);
    if (position < 0) {
        GTEST_SKIP() << "no 24-bit windowed back buffer here";
    }
    ASSERT_TRUE(OpenAndDraw(0, position));
    const int before = zelktest::LogCount(kNoConversion);
    GrLfbInfo_t info = {};
    info.size = sizeof info;
    EXPECT_EQ(glide.grLfbLock(GR_LFB_READ_ONLY, GR_BUFFER_BACKBUFFER, GR_LFBWRITEMODE_565, GR_ORIGIN_LOWER_LEFT,
                              FXFALSE, &info),
              FXFALSE);
    EXPECT_EQ(info.lfbPtr, nullptr);
    EXPECT_EQ(zelktest::LogCount(kNoConversion), before + 1) << zelktest::LogText();

    std::vector<std::uint16_t> white(8 * 4, 0xFFFF);
    EXPECT_EQ(glide.grLfbWriteRegion(GR_BUFFER_BACKBUFFER, 700, 500, GR_LFB_SRC_FMT_1555, 8, 4, 16, white.data()),
              FXFALSE);
    EXPECT_EQ(zelktest::LogCount(kNoConversion), before + 2) << zelktest::LogText();
    std::uint16_t pixel = 0;
    ASSERT_EQ(glide.grLfbReadRegion(GR_BUFFER_BACKBUFFER, 703, 502, 1, 1, 2, &pixel), FXTRUE);
    EXPECT_TRUE(Near(pixel, kBlue)) << "a failed write leaves the buffer";
    Close();
}

}  // namespace
