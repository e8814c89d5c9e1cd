// Window and device open and close on a real device (behind the fault
// proxy, which also offers the usual display sizes): what is drawn, the
// swap chain and default back buffer asked for, the window's restoration,
// failures, capability lowering, and a close that never creates or
// enumerates Direct3D.
#include <gtest/gtest.h>

#include <set>
#include <vector>

#include "common/D3DProxy.h"
#include "common/ReadBack.h"
#include "common/TestDirectory.h"
#include "common/TestWindow.h"
#include "common/WindowedFormatPosition.h"
#include "framework/ZelkException.h"
#include "glide/ZelkGlide.h"
#include "glide/ZelkGlideBodies.h"
#include "glide/ZelkGlideExportGuard.h"
#include "support/GlideRegistry.h"

namespace {

namespace body = zelk::glidebody;
using zelktest::D3DCall;

class GlideWindowTest : public testing::Test {
protected:
    static void SetUpTestSuite() { window = new zelktest::TestWindow(640, 480, "glide window"); }
    static void TearDownTestSuite()
    {
        delete window;
        window = nullptr;
    }
    void SetUp() override
    {
        D3DDISPLAYMODE modes[3] = {{640, 480, 60, D3DFMT_X8R8G8B8},
                                   {800, 600, 60, D3DFMT_X8R8G8B8},
                                   {1024, 768, 60, D3DFMT_X8R8G8B8}};
        proxy.SetDisplayModes({modes[0], modes[1], modes[2]});
    }
    void TearDown() override
    {
        zelk::DestroyGlide();
        EXPECT_EQ(proxy.LiveDevices(), 0);
        EXPECT_EQ(proxy.LiveDirect3D(), 0);
        EXPECT_EQ(proxy.LeakedDeviceReferences(), 0);
    }

    FxBool Open(GrScreenResolution_t resolution = GR_RESOLUTION_640x480, int colorBuffers = 2,
                GrColorFormat_t format = GR_COLORFORMAT_ARGB)
    {
        return body::grSstWinOpen(static_cast<FxU32>(reinterpret_cast<ULONG_PTR>(window->Handle())), resolution,
                                  GR_REFRESH_60Hz, format, GR_ORIGIN_UPPER_LEFT, colorBuffers, 1);
    }
    static RECT WindowRect()
    {
        RECT rect;
        GetWindowRect(window->Handle(), &rect);
        return rect;
    }

    static zelktest::TestWindow* window;
    zelktest::GlideRegistry registry;
    zelktest::D3DProxy proxy;
};

zelktest::TestWindow* GlideWindowTest::window = nullptr;

constexpr char kOpenName[] = "grSstWinOpen";
using GuardedOpen = zelk::ZelkGlideExport<&body::grSstWinOpen, kOpenName>;

// Stores the windowed display format with a 32-bit back buffer as the
// chosen one, so that the back buffer can be read back.
void Choose32BitWindowedFormat(zelktest::GlideRegistry& registry)
{
    zelk::ZelkD3D* d3d = zelk::ZelkD3D::GetD3D();
    ASSERT_NE(d3d, nullptr);
    zelk::ZelkD3DAdapterInfo* adapter = d3d->GetAdapterInfo(0);
    const zelk::ZelkD3DDeviceInfo& device = adapter->devices[static_cast<size_t>(adapter->selectedDeviceIndex)];
    for (size_t i = 0; i < device.windowedFormats.size(); ++i) {
        const D3DFORMAT format = device.windowedFormats[i].backBufferFormat;
        if (format == D3DFMT_X8R8G8B8 || format == D3DFMT_A8R8G8B8) {
            registry.SetDword("direct3d device setting", "adapter ordinal", 0);
            registry.SetDword("direct3d device setting", "device type",
                              static_cast<std::uint32_t>(adapter->selectedDeviceIndex));
            registry.SetDword("direct3d device setting", "use window mode", 1);
            registry.SetDword("direct3d device setting", "display format", static_cast<std::uint32_t>(i));
            return;
        }
    }
    FAIL() << "no windowed format with a 32-bit back buffer";
}

GrVertex Vertex(float x, float y, float r, float g, float b)
{
    GrVertex v = {};
    v.x = x;
    v.y = y;
    v.r = r;
    v.g = g;
    v.b = b;
    v.a = 255.0f;
    v.oow = 1.0f;
    return v;
}

TEST_F(GlideWindowTest, DrawsOnTheDevice)
{
    Choose32BitWindowedFormat(registry);
    ASSERT_EQ(Open(), FXTRUE) << zelktest::ReadFileText("vezoRerez.log");
    EXPECT_EQ(body::grSstScreenWidth(), 640u);
    EXPECT_EQ(body::grSstScreenHeight(), 480u);

    body::guColorCombineFunction(GR_COLORCOMBINE_ITRGB);
    body::grBufferClear(0x00FF0000, 0, 0xFFFF);
    GrVertex a = Vertex(100, 100, 0, 255, 0), b = Vertex(300, 100, 0, 255, 0), c = Vertex(100, 300, 0, 255, 0);
    body::grDrawTriangle(&a, &b, &c);
    zelk::ZelkGlide* glide = zelk::GetGlide();
    glide->renderer->Flush(true);
    zelktest::ReadBack pixels(glide->renderer->device);
    ASSERT_TRUE(pixels.Valid());
    EXPECT_EQ(pixels.Width(), 640u);
    EXPECT_TRUE(pixels.PixelNear(150, 150, 0x0000FF00));  // alpha: the constant colour's
    EXPECT_TRUE(pixels.PixelNear(500, 400, 0x00FF0000));  // alpha: the clear's 0
    body::grBufferSwap(1);
    body::grSstWinClose();
    EXPECT_EQ(zelk::FindGlide(), nullptr);
}

TEST_F(GlideWindowTest, ColourFormatsConvertTheClearColour)
{
    const struct {
        GrColorFormat_t format;
        GrColor_t color;
    } cases[] = {{GR_COLORFORMAT_ARGB, 0x000000FF}, {GR_COLORFORMAT_ABGR, 0x00FF0000},
                 {GR_COLORFORMAT_RGBA, 0x0000FF00}, {GR_COLORFORMAT_BGRA, 0xFF000000}};
    Choose32BitWindowedFormat(registry);
    for (const auto& c : cases) {
        ASSERT_EQ(Open(GR_RESOLUTION_640x480, 2, c.format), FXTRUE);
        body::grBufferClear(c.color, 0xFF, 0xFFFF);
        zelk::GetGlide()->renderer->Flush(true);
        zelktest::ReadBack pixels(zelk::GetGlide()->renderer->device);
        EXPECT_TRUE(pixels.PixelNear(10, 10, 0xFF0000FF)) << "format " << c.format;
        body::grSstWinClose();
    }
}

TEST_F(GlideWindowTest, EveryResolutionCodeOpensItsSize)
{
    const UINT sizes[16][2] = {{320, 200}, {320, 240}, {400, 256}, {512, 384}, {640, 200},  {640, 350},
                               {640, 400}, {640, 480}, {800, 600}, {960, 720}, {856, 480},  {512, 256},
                               {1024, 768}, {1280, 1024}, {1600, 1200}, {400, 300}};
    std::vector<D3DDISPLAYMODE> modes;
    for (const auto& size : sizes) {
        modes.push_back({size[0], size[1], 60, D3DFMT_X8R8G8B8});
    }
    proxy.SetDisplayModes(modes);
    for (GrScreenResolution_t code = 0; code < 16; ++code) {
        ASSERT_EQ(Open(code), FXTRUE) << code;
        EXPECT_EQ(body::grSstScreenWidth(), sizes[code][0]) << code;
        EXPECT_EQ(body::grSstScreenHeight(), sizes[code][1]) << code;
        ASSERT_TRUE(proxy.LastDeviceRequest().has_value());
        EXPECT_EQ(proxy.LastDeviceRequest()->present.BackBufferWidth, sizes[code][0]) << code;
    }
    // A code past the table keeps the size of the mode selected last.
    ASSERT_EQ(Open(16), FXTRUE);
    EXPECT_EQ(body::grSstScreenWidth(), 400u);
    EXPECT_EQ(body::grSstScreenHeight(), 300u);
    body::grSstWinClose();
}

// With no device choice stored, the windowed back buffer is the first one
// the device accepts whose pixels the frame-buffer access converts.  Wine
// accepts the packed 24-bit format, the first candidate, which no converter
// covers; a device that refuses it, as Windows drivers do, gets the first
// accepted format as before.  A stored choice of the 24-bit one holds.
TEST_F(GlideWindowTest, DefaultWindowedBackBufferIsOneTheFrameBufferConverts)
{
    const struct {
        const char* name;
        std::set<D3DFORMAT> unsupported;
        D3DFORMAT backBuffer;
    } cases[] = {
        {"every back buffer the device accepts", {}, D3DFMT_A8R8G8B8},
        {"no 24-bit back buffer", {D3DFMT_R8G8B8}, D3DFMT_A8R8G8B8},
        {"no A8R8G8B8", {D3DFMT_A8R8G8B8}, D3DFMT_X8R8G8B8},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        proxy.SetUnsupportedFormats(c.unsupported);
        ASSERT_EQ(Open(), FXTRUE) << zelktest::ReadFileText("vezoRerez.log");
        ASSERT_TRUE(proxy.LastDeviceRequest().has_value());
        EXPECT_TRUE(proxy.LastDeviceRequest()->present.Windowed);
        EXPECT_EQ(proxy.LastDeviceRequest()->present.BackBufferFormat, c.backBuffer);
        body::grSstWinClose();
    }
    proxy.SetUnsupportedFormats({});

    const int stored = zelktest::WindowedFormatPosition(D3DFMT_R8G8B8);
    ASSERT_GE(stored, 0) << "no 24-bit windowed back buffer on this display";
    registry.SetDword("direct3d device setting", "use window mode", 1);
    registry.SetDword("direct3d device setting", "display format", static_cast<std::uint32_t>(stored));
    ASSERT_EQ(Open(), FXTRUE) << zelktest::ReadFileText("vezoRerez.log");
    ASSERT_TRUE(proxy.LastDeviceRequest().has_value());
    EXPECT_EQ(proxy.LastDeviceRequest()->present.BackBufferFormat, D3DFMT_R8G8B8);
    body::grSstWinClose();
}

// Glide counts the front buffer among its colour buffers.
TEST_F(GlideWindowTest, SwapChainHasOneBufferFewerThanGlideColourBuffers)
{
    const struct {
        int colorBuffers;
        UINT backBuffers;
    } cases[] = {{2, 1}, {3, 2}, {1, 1}, {0, 1}, {-4, 1}};
    for (const auto& c : cases) {
        ASSERT_EQ(Open(GR_RESOLUTION_640x480, c.colorBuffers), FXTRUE);
        ASSERT_TRUE(proxy.LastDeviceRequest().has_value());
        EXPECT_EQ(proxy.LastDeviceRequest()->present.BackBufferCount, c.backBuffers) << c.colorBuffers;
        body::grSstWinClose();
    }
}

TEST_F(GlideWindowTest, CloseAndDestroyNeverCreateOrEnumerateDirect3D)
{
    ASSERT_EQ(Open(), FXTRUE);
    const UINT created = proxy.CallCount(D3DCall::Direct3DCreate9);
    const UINT adapters = proxy.CallCount(D3DCall::Direct3D_GetAdapterCount);
    body::grSstWinClose();
    body::grGlideShutdown();  // no front end: made from the empty registry and destroyed again
    EXPECT_EQ(proxy.CallCount(D3DCall::Direct3DCreate9), created);
    EXPECT_EQ(proxy.CallCount(D3DCall::Direct3D_GetAdapterCount), adapters);
}

TEST_F(GlideWindowTest, OpeningTwiceClosesTheFirstDevice)
{
    ASSERT_EQ(Open(), FXTRUE);
    ASSERT_EQ(Open(GR_RESOLUTION_800x600), FXTRUE);
    EXPECT_EQ(proxy.LiveDevices(), 1);
    EXPECT_EQ(body::grSstScreenWidth(), 800u);
    body::grSstWinClose();
}

TEST_F(GlideWindowTest, FailedOpensAreLoggedAndLeaveTheFrontEndClosed)
{
    struct Case {
        const char* message;
        GrScreenResolution_t resolution;
        FxU32 window;
        bool failDevice;
    };
    const FxU32 good = static_cast<FxU32>(reinterpret_cast<ULONG_PTR>(window->Handle()));
    const Case cases[] = {
        {"Couldn't get the handle of the window.", GR_RESOLUTION_640x480, 0x12345678, false},
        {"The function [ IDirect3D9::CreateDevice ] failed.", GR_RESOLUTION_640x480, good, true},
    };
    const RECT before = WindowRect();
    for (const Case& c : cases) {
        if (c.failDevice) {
            proxy.FailCall(D3DCall::Direct3D_CreateDevice, D3DERR_NOTAVAILABLE);
        }
        EXPECT_EQ(GuardedOpen::Call(c.window, c.resolution, 0, 0, 0, 2, 1), FXFALSE) << c.message;
        proxy.ClearFaults();
        ASSERT_NE(zelk::FindGlide(), nullptr);
        EXPECT_FALSE(zelk::FindGlide()->IsOpen());
        EXPECT_NE(zelktest::ReadFileText("vezoRerez.log").find(c.message), std::string::npos) << c.message;
    }
    const RECT after = WindowRect();
    EXPECT_EQ(before.left, after.left);
    EXPECT_EQ(before.right, after.right);
    // The front end still works afterwards.
    EXPECT_EQ(Open(), FXTRUE);
    body::grSstWinClose();
}

// A windowed device's back buffer takes the Glide resolution and changes no
// display mode, so the display need not offer a mode of that size (remote
// sessions, virtual machines and virtual displays list only their own).
// Full screen switches the display to that mode and needs one.
TEST_F(GlideWindowTest, WindowedOpenNeedsNoDisplayModeOfItsSize)
{
    proxy.SetDisplayModes({{1024, 768, 60, D3DFMT_X8R8G8B8}});
    ASSERT_EQ(Open(GR_RESOLUTION_640x480), FXTRUE) << zelktest::ReadFileText("vezoRerez.log");
    EXPECT_EQ(body::grSstScreenWidth(), 640u);
    EXPECT_EQ(body::grSstScreenHeight(), 480u);
    ASSERT_TRUE(proxy.LastDeviceRequest().has_value());
    EXPECT_TRUE(proxy.LastDeviceRequest()->present.Windowed);
    EXPECT_EQ(proxy.LastDeviceRequest()->present.BackBufferWidth, 640u);
    EXPECT_EQ(proxy.LastDeviceRequest()->present.BackBufferHeight, 480u);
    body::grSstWinClose();

    registry.SetDword("direct3d device setting", "use window mode", 0);
    const FxU32 good = static_cast<FxU32>(reinterpret_cast<ULONG_PTR>(window->Handle()));
    const UINT devices = static_cast<UINT>(proxy.DevicesCreated());
    EXPECT_EQ(GuardedOpen::Call(good, GR_RESOLUTION_640x480, 0, 0, 0, 2, 1), FXFALSE);
    EXPECT_NE(zelktest::ReadFileText("vezoRerez.log").find("There was no equivalent display size."),
              std::string::npos);
    EXPECT_EQ(static_cast<UINT>(proxy.DevicesCreated()), devices);
    ASSERT_NE(zelk::FindGlide(), nullptr);
    EXPECT_FALSE(zelk::FindGlide()->IsOpen());
}

// Without Direct3D there is no board: the count says so.
TEST_F(GlideWindowTest, QueryBoardsCountsNoBoardWhenDirect3DCannotBeCreated)
{
    proxy.FailCall(D3DCall::Direct3DCreate9, E_FAIL);
    GrHwConfiguration hardware = {};
    hardware.num_sst = 5;
    EXPECT_EQ(body::grSstQueryBoards(&hardware), FXFALSE);
    EXPECT_EQ(hardware.num_sst, 0);
    proxy.ClearFaults();
    hardware.num_sst = 5;
    EXPECT_EQ(body::grSstQueryBoards(&hardware), FXTRUE);
    EXPECT_EQ(hardware.num_sst, 1);
    zelk::ZelkD3D::DestroyD3D();
}

TEST_F(GlideWindowTest, AdjustedWindowGetsItsPositionAndSizeBack)
{
    SetWindowPos(window->Handle(), nullptr, 37, 41, 500, 300, SWP_NOZORDER);
    const RECT before = WindowRect();
    zelk::GetGlide()->settings.adjustOwnerWindow = 1;
    ASSERT_EQ(Open(GR_RESOLUTION_800x600), FXTRUE);
    RECT client;
    GetClientRect(window->Handle(), &client);
    EXPECT_EQ(client.right, 800);
    EXPECT_EQ(client.bottom, 600);
    EXPECT_EQ(WindowRect().left, 0);
    body::grSstWinClose();
    const RECT after = WindowRect();
    EXPECT_EQ(after.left, before.left);
    EXPECT_EQ(after.top, before.top);
    EXPECT_EQ(after.right - after.left, before.right - before.left);
    EXPECT_EQ(after.bottom - after.top, before.bottom - before.top);
}

TEST_F(GlideWindowTest, HiddenChildrenComeBackButAnAlreadyHiddenOneStaysHidden)
{
    HWND shown = CreateWindowExA(0, "STATIC", "shown", WS_CHILD | WS_VISIBLE, 0, 0, 20, 20, window->Handle(),
                                 nullptr, nullptr, nullptr);
    HWND hidden = CreateWindowExA(0, "STATIC", "hidden", WS_CHILD, 0, 0, 20, 20, window->Handle(), nullptr,
                                  nullptr, nullptr);
    zelk::GetGlide()->settings.hideChildWindows = 1;
    ASSERT_EQ(Open(), FXTRUE);
    EXPECT_FALSE(IsWindowVisible(shown));
    body::grSstWinClose();
    EXPECT_TRUE(IsWindowVisible(shown));
    EXPECT_FALSE(IsWindowVisible(hidden));
    DestroyWindow(shown);
    DestroyWindow(hidden);
}

TEST_F(GlideWindowTest, MissingShaderSupportLowersTheRendererChoice)
{
    zelktest::D3DProxyCaps caps;
    caps.maxPixelShaderVersion = 0;
    caps.maxVertexShaderVersion = 0;
    proxy.SetCaps(caps);
    ASSERT_EQ(Open(), FXTRUE);
    zelk::ZelkGlide* glide = zelk::GetGlide();
    EXPECT_EQ(glide->settings.texelBlendingType, 0u);
    EXPECT_EQ(glide->settings.vertexConvertType, 0u);
    EXPECT_NE(glide->renderer, nullptr);
    body::grSstWinClose();
}

TEST_F(GlideWindowTest, WindowedOpenTurnsFrontBufferReadingOff)
{
    zelk::GetGlide()->settings.lfb.readFront = 1;
    ASSERT_EQ(Open(), FXTRUE);
    EXPECT_EQ(zelk::GetGlide()->settings.lfb.readFront, 0);
    body::grSstWinClose();
}

}  // namespace
