// Device creation from the enumeration's selections: the present parameters
// it asks for, a real windowed device under Wine, the failures it throws and
// logs once, and that nothing is left behind.
#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>

#include "common/D3DProxy.h"
#include "common/TestDirectory.h"
#include "common/TestWindow.h"
#include "framework/ZelkD3D.h"
#include "framework/ZelkException.h"

using zelk::ZelkD3D;
using zelk::ZelkD3DDeviceInfo;
using zelk::ZelkD3DFormatInfo;
using zelktest::D3DCall;
using zelktest::D3DProxy;
using zelktest::D3DProxyAdapter;

namespace {

constexpr UINT kFirstAdapter = 0;

class D3DDeviceTest : public testing::Test {
protected:
    void SetUp() override
    {
        ZelkD3D::DestroyD3D();
        window = std::make_unique<zelktest::TestWindow>(64, 64);
    }
    void TearDown() override
    {
        ZelkD3D::DestroyD3D();
        window.reset();
    }

    // Everything made through the proxy has been released.
    static void ExpectNothingLeft(const D3DProxy& proxy)
    {
        EXPECT_EQ(proxy.LiveDevices(), 0);
        EXPECT_EQ(proxy.LiveDirect3D(), 0);
        EXPECT_EQ(proxy.LeakedDeviceReferences(), 0);
    }

    std::unique_ptr<zelktest::TestWindow> window;
};

int LogEntries()
{
    const std::string log = zelktest::ReadFileText(zelk::kErrorLogFileName);
    int count = 0;
    for (size_t at = log.find("An exception was thrown"); at != std::string::npos;
         at = log.find("An exception was thrown", at + 1)) {
        ++count;
    }
    return count;
}

// The position of a back-buffer format in a format list, or -1.
INT FindBackBuffer(const std::vector<ZelkD3DFormatInfo>& formats, D3DFORMAT backBuffer)
{
    for (size_t i = 0; i < formats.size(); ++i) {
        if (formats[i].backBufferFormat == backBuffer) {
            return static_cast<INT>(i);
        }
    }
    return -1;
}

}  // namespace

TEST_F(D3DDeviceTest, WindowedDeviceFromTheSelectionsOnARealDevice)
{
    D3DProxy proxy;
    proxy.SetDisplayModes({{1024, 768, 0, D3DFMT_X8R8G8B8}, {640, 480, 0, D3DFMT_X8R8G8B8}});
    {
        ZelkD3D* d3d = ZelkD3D::GetD3D();
        ASSERT_NE(d3d, nullptr);
        ZelkD3DDeviceInfo& device = d3d->GetAdapterInfo(kFirstAdapter)->devices.front();
        ASSERT_TRUE(device.selectedWindowed);
        device.selectedWindowedFormatIndex = FindBackBuffer(device.windowedFormats, D3DFMT_X8R8G8B8);
        ASSERT_GE(device.selectedWindowedFormatIndex, 0);
        ZelkD3DFormatInfo& format = device.windowedFormats[device.selectedWindowedFormatIndex];
        ASSERT_GE(format.depthStencilFormats.size(), 2u);
        format.selectedDepthStencilFormatIndex = static_cast<INT>(format.depthStencilFormats.size()) - 1;
        const D3DDISPLAYMODE mode = format.displayModes[format.selectedDisplayModeIndex];
        ASSERT_EQ(mode.Width, 640u);  // the mode, not the desktop

        IDirect3DDevice9Ptr created = d3d->CreateD3DDevice(window->Handle(), nullptr, 1, true, kFirstAdapter);
        ASSERT_TRUE(created != nullptr);
        EXPECT_EQ(created->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0, 1.0f, 0), D3D_OK);

        const auto request = proxy.LastDeviceRequest();
        ASSERT_TRUE(request.has_value());
        EXPECT_EQ(request->adapter, kFirstAdapter);
        EXPECT_EQ(request->deviceType, D3DDEVTYPE_HAL);
        EXPECT_EQ(request->focusWindow, window->Handle());
        EXPECT_EQ(request->behaviorFlags, DWORD(D3DCREATE_SOFTWARE_VERTEXPROCESSING | D3DCREATE_MULTITHREADED));
        const D3DPRESENT_PARAMETERS& present = request->present;
        EXPECT_EQ(present.BackBufferWidth, mode.Width);
        EXPECT_EQ(present.BackBufferHeight, mode.Height);
        EXPECT_EQ(present.BackBufferFormat, D3DFMT_X8R8G8B8);
        EXPECT_EQ(present.BackBufferCount, 1u);
        EXPECT_EQ(present.MultiSampleType, D3DMULTISAMPLE_NONE);
        EXPECT_EQ(present.MultiSampleQuality, 0u);
        EXPECT_EQ(present.SwapEffect, D3DSWAPEFFECT_DISCARD);
        EXPECT_EQ(present.hDeviceWindow, nullptr);
        EXPECT_TRUE(present.Windowed);
        EXPECT_TRUE(present.EnableAutoDepthStencil);
        EXPECT_EQ(present.AutoDepthStencilFormat, format.depthStencilFormats.back());
        EXPECT_EQ(present.Flags, DWORD(D3DPRESENTFLAG_LOCKABLE_BACKBUFFER));
        EXPECT_EQ(present.FullScreen_RefreshRateInHz, 0u);
        EXPECT_EQ(present.PresentationInterval, 0u);

        // The real device got the same.
        IDirect3DSurface9Ptr depth;
        ASSERT_EQ(created->GetDepthStencilSurface(&depth), D3D_OK);
        D3DSURFACE_DESC description = {};
        depth->GetDesc(&description);
        EXPECT_EQ(description.Format, format.depthStencilFormats.back());
        EXPECT_EQ(description.Width, mode.Width);
    }
    ZelkD3D::DestroyD3D();
    ExpectNothingLeft(proxy);
    EXPECT_EQ(LogEntries(), 0);
}

TEST_F(D3DDeviceTest, BackBufferCountIsCappedAtThreeAndLockingIsOptional)
{
    D3DProxy proxy;
    ZelkD3D* d3d = ZelkD3D::GetD3D();
    ASSERT_NE(d3d, nullptr);
    const struct {
        UINT asked;
        UINT passed;
    } cases[] = {{0, 0}, {2, 2}, {5, 3}};
    for (const auto& c : cases) {
        IDirect3DDevice9Ptr created = d3d->CreateD3DDevice(window->Handle(), window->Handle(), c.asked, false,
                                                            kFirstAdapter);
        ASSERT_TRUE(created != nullptr) << c.asked;
        const auto request = proxy.LastDeviceRequest();
        EXPECT_EQ(request->present.BackBufferCount, c.passed) << c.asked;
        EXPECT_EQ(request->present.Flags, 0u);
        EXPECT_EQ(request->present.hDeviceWindow, window->Handle());
    }
    ZelkD3D::DestroyD3D();
    ExpectNothingLeft(proxy);
}

TEST_F(D3DDeviceTest, FullScreenSelectionUsesTheFullScreenRecord)
{
    // The display is left alone: the proxy refuses the creation after
    // recording what was asked for.
    D3DProxy proxy;
    proxy.FailCall(D3DCall::Direct3D_CreateDevice, D3DERR_NOTAVAILABLE);
    ZelkD3D* d3d = ZelkD3D::GetD3D();
    ASSERT_NE(d3d, nullptr);
    ZelkD3DDeviceInfo& device = d3d->GetAdapterInfo(kFirstAdapter)->devices.front();
    ASSERT_FALSE(device.fullScreenFormats.empty());
    device.selectedWindowed = false;
    device.selectedFullScreenFormatIndex = static_cast<INT>(device.fullScreenFormats.size()) - 1;
    device.selectedBehaviorIndex = static_cast<INT>(device.behaviorFlags.size()) - 1;
    const ZelkD3DFormatInfo& format = device.fullScreenFormats.back();

    EXPECT_THROW(d3d->CreateD3DDevice(window->Handle(), nullptr, 2, false, kFirstAdapter), zelk::ZelkException);
    const auto request = proxy.LastDeviceRequest();
    ASSERT_TRUE(request.has_value());
    EXPECT_FALSE(request->present.Windowed);
    EXPECT_EQ(request->present.BackBufferFormat, format.backBufferFormat);
    EXPECT_EQ(request->present.BackBufferWidth, format.displayModes.front().Width);
    EXPECT_EQ(request->behaviorFlags, device.behaviorFlags.back() | D3DCREATE_MULTITHREADED);
}

TEST_F(D3DDeviceTest, UnusableAdapterInTheMiddleKeepsTheRealOrdinal)
{
    D3DProxy proxy;
    D3DProxyAdapter unusable;
    unusable.unusable = true;
    D3DProxyAdapter usable;
    usable.description = "usable";
    proxy.SetAdapters({unusable, usable});
    {
        ZelkD3D* d3d = ZelkD3D::GetD3D();
        ASSERT_NE(d3d, nullptr);
        ASSERT_EQ(d3d->GetAdapterCount(), 1u);
        EXPECT_EQ(d3d->GetAdapterInfo(0)->adapterOrdinal, 1u);

        IDirect3DDevice9Ptr created = d3d->CreateD3DDevice(window->Handle(), nullptr, 1, false, 0);
        ASSERT_TRUE(created != nullptr);
        D3DDEVICE_CREATION_PARAMETERS parameters = {};
        ASSERT_EQ(created->GetCreationParameters(&parameters), D3D_OK);
        EXPECT_EQ(parameters.AdapterOrdinal, 1u);
    }
    ZelkD3D::DestroyD3D();
    ExpectNothingLeft(proxy);
}

TEST_F(D3DDeviceTest, FailuresThrowTheirExceptionLogOnceAndLeaveNoDevice)
{
    D3DProxyAdapter plain;
    D3DProxyAdapter noDepth;
    noDepth.noDepthFormats = true;
    D3DProxyAdapter noWindowed;
    noWindowed.noWindowedFormats = true;
    const struct {
        const char* name;
        std::vector<D3DProxyAdapter> adapters;
        std::function<void(D3DProxy&, ZelkD3D&)> prepare;
        bool nullFocus;
        UINT position;
        HRESULT result;
        const char* resultText;
        const char* message;
    } cases[] = {
        {"null focus window", {}, nullptr, true, 0, E_HANDLE, "E_HANDLE",
         "The parameter [ HWND hFocusWindow ] is invalid."},
        {"adapter position past the list", {plain, plain}, nullptr, false, 2, E_INVALIDARG, "E_INVALIDARG",
         "The parameter [ ZELK_D3DADAPTER_ORDINAL adapterOrdinal ] is invalid."},
        {"creation fails", {},
         [](D3DProxy& proxy, ZelkD3D&) { proxy.FailCall(D3DCall::Direct3D_CreateDevice, D3DERR_OUTOFVIDEOMEMORY); },
         false, 0, D3DERR_OUTOFVIDEOMEMORY, "D3DERR_OUTOFVIDEOMEMORY",
         "The function [ IDirect3D9::CreateDevice ] failed."},
        {"format without depth-stencil formats", {noDepth}, nullptr, false, 0, E_INVALIDARG, "E_INVALIDARG",
         "The selection [ depth-stencil format ] is invalid."},
        {"windowed chosen on a device without windowed formats", {noWindowed},
         [](D3DProxy&, ZelkD3D& d3d) { d3d.GetAdapterInfo(0)->devices.front().selectedWindowed = true; }, false, 0,
         E_INVALIDARG, "E_INVALIDARG", "The selection [ windowed format ] is invalid."},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        zelktest::TestDirectory directory;  // a fresh log for each case
        D3DProxy proxy;
        proxy.SetAdapters(c.adapters);
        ZelkD3D* d3d = ZelkD3D::GetD3D();
        ASSERT_NE(d3d, nullptr);
        if (c.prepare) {
            c.prepare(proxy, *d3d);
        }
        const UINT attemptsBefore = proxy.CallCount(D3DCall::Direct3D_CreateDevice);
        try {
            d3d->CreateD3DDevice(c.nullFocus ? nullptr : window->Handle(), nullptr, 1, false, c.position);
            ADD_FAILURE() << "no exception";
        } catch (const zelk::ZelkException& e) {
            EXPECT_EQ(e.functionName, "ZelkD3D::CreateD3DDevice");
            EXPECT_EQ(e.returnValue.result, c.result);
            EXPECT_EQ(e.returnValueText, c.resultText);
            EXPECT_EQ(e.message, c.message);
            EXPECT_TRUE(e.logged);
        }
        EXPECT_EQ(LogEntries(), 1);
        const std::string log = zelktest::ReadFileText(zelk::kErrorLogFileName);
        EXPECT_NE(log.find(std::string("Message : ") + c.message), std::string::npos);
        if (c.result != D3DERR_OUTOFVIDEOMEMORY) {
            // Checked before Direct3D is asked.
            EXPECT_EQ(proxy.CallCount(D3DCall::Direct3D_CreateDevice), attemptsBefore);
        }
        ZelkD3D::DestroyD3D();
        ExpectNothingLeft(proxy);
    }
}
