// The test proxy of IDirect3D9 and IDirect3DDevice9 that other tests rely on:
// it forwards, fails chosen calls, lowers capabilities, hides formats, maps a
// made-up adapter list onto the real adapter, and counts its live objects.
#include <gtest/gtest.h>

#include <stdexcept>

#include "common/D3DProxy.h"
#include "common/TestWindow.h"

using zelktest::D3DCall;
using zelktest::D3DProxy;

TEST(D3DProxyTest, InstallsThroughTheCreationFunctionAndRestoresIt)
{
    {
        D3DProxy proxy;
        IDirect3D9Ptr d3d;
        d3d.Attach(zelk::CreateDirect3D(D3D_SDK_VERSION));
        ASSERT_TRUE(d3d != nullptr);
        EXPECT_EQ(proxy.Direct3DCreated(), 1);
        EXPECT_EQ(proxy.LiveDirect3D(), 1);
        EXPECT_GE(d3d->GetAdapterCount(), 1u);
        EXPECT_EQ(proxy.CallCount(D3DCall::Direct3D_GetAdapterCount), 1u);
        d3d = nullptr;
        EXPECT_EQ(proxy.LiveDirect3D(), 0);
    }
    D3DProxy later;
    IDirect3D9Ptr d3d;
    d3d.Attach(zelk::CreateDirect3D(D3D_SDK_VERSION));
    EXPECT_EQ(later.Direct3DCreated(), 1);  // the new guard's proxy, not the old one's
}

TEST(D3DProxyTest, FailsChosenCallsEveryTimeOrOnTheNthCall)
{
    D3DProxy proxy;
    proxy.FailCall(D3DCall::Direct3DCreate9, E_FAIL, 2);
    IDirect3D9Ptr first = proxy.CreateDirect3D();
    IDirect3D9Ptr second = proxy.CreateDirect3D();
    IDirect3D9Ptr third = proxy.CreateDirect3D();
    EXPECT_TRUE(first != nullptr);
    EXPECT_TRUE(second == nullptr);
    EXPECT_TRUE(third != nullptr);

    proxy.FailCall("CheckDeviceType", D3DERR_NOTAVAILABLE);
    EXPECT_EQ(first->CheckDeviceType(0, D3DDEVTYPE_HAL, D3DFMT_X8R8G8B8, D3DFMT_X8R8G8B8, TRUE), D3DERR_NOTAVAILABLE);
    EXPECT_EQ(first->CheckDeviceType(0, D3DDEVTYPE_HAL, D3DFMT_X8R8G8B8, D3DFMT_X8R8G8B8, TRUE), D3DERR_NOTAVAILABLE);
    proxy.ClearFaults();
    EXPECT_EQ(first->CheckDeviceType(0, D3DDEVTYPE_HAL, D3DFMT_X8R8G8B8, D3DFMT_X8R8G8B8, TRUE), D3D_OK);

    EXPECT_THROW(proxy.FailCall("GetDeviceCaps", E_FAIL), std::invalid_argument);  // both interfaces have it
    EXPECT_THROW(proxy.FailCall("NoSuchCall", E_FAIL), std::invalid_argument);
    EXPECT_NO_THROW(proxy.FailCall("IDirect3DDevice9::GetDeviceCaps", E_FAIL));
}

TEST(D3DProxyTest, DeviceForwardsFailsAndCountsReferences)
{
    zelktest::TestWindow window(32, 32);
    D3DProxy proxy;
    {
        IDirect3DDevice9Ptr device = proxy.CreateWindowedDevice(window.Handle(), 32, 32);
        ASSERT_TRUE(device != nullptr);
        EXPECT_EQ(proxy.LiveDevices(), 1);
        EXPECT_EQ(device->Clear(0, nullptr, D3DCLEAR_TARGET, 0, 1.0f, 0), D3D_OK);

        IDirect3D9Ptr parent;
        ASSERT_EQ(device->GetDirect3D(&parent), D3D_OK);
        EXPECT_EQ(proxy.LiveDirect3D(), 1);  // the proxy, not the real object

        proxy.FailCall(D3DCall::Device_CreateTexture, E_OUTOFMEMORY, 2);
        IDirect3DTexture9Ptr a, b, c;
        EXPECT_EQ(device->CreateTexture(8, 8, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, &a, nullptr), D3D_OK);
        EXPECT_EQ(device->CreateTexture(8, 8, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, &b, nullptr), E_OUTOFMEMORY);
        EXPECT_EQ(device->CreateTexture(8, 8, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, &c, nullptr), D3D_OK);
        EXPECT_EQ(proxy.CallCount(D3DCall::Device_CreateTexture), 3u);
    }
    EXPECT_EQ(proxy.LiveDevices(), 0);
    EXPECT_EQ(proxy.LiveDirect3D(), 0);
    EXPECT_EQ(proxy.LeakedDeviceReferences(), 0);
}

TEST(D3DProxyTest, ReportsResourcesLeftOnAReleasedDevice)
{
    zelktest::TestWindow window(32, 32);
    D3DProxy proxy;
    IDirect3DTexture9* leaked = nullptr;
    {
        IDirect3DDevice9Ptr device = proxy.CreateWindowedDevice(window.Handle(), 32, 32);
        ASSERT_TRUE(device != nullptr);
        ASSERT_EQ(device->CreateTexture(8, 8, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, &leaked, nullptr), D3D_OK);
    }
    EXPECT_EQ(proxy.LiveDevices(), 0);
    EXPECT_GT(proxy.LeakedDeviceReferences(), 0);
    leaked->Release();
}

TEST(D3DProxyTest, LowersCapabilitiesOnBothInterfaces)
{
    zelktest::TestWindow window(32, 32);
    D3DProxy proxy;
    zelktest::D3DProxyCaps caps;
    caps.noSeparateAlphaBlend = true;
    caps.noWBuffer = true;
    caps.maxVertexShaderVersion = D3DVS_VERSION(1, 1);
    caps.maxPixelShaderVersion = 0;
    caps.clearDevCaps = D3DDEVCAPS_HWTRANSFORMANDLIGHT;
    proxy.SetCaps(caps);

    IDirect3DDevice9Ptr device = proxy.CreateWindowedDevice(window.Handle(), 32, 32);
    ASSERT_TRUE(device != nullptr);
    D3DCAPS9 fromDevice = {};
    ASSERT_EQ(device->GetDeviceCaps(&fromDevice), D3D_OK);
    IDirect3D9Ptr d3d;
    device->GetDirect3D(&d3d);
    D3DCAPS9 fromD3D = {};
    ASSERT_EQ(d3d->GetDeviceCaps(0, D3DDEVTYPE_HAL, &fromD3D), D3D_OK);
    for (const D3DCAPS9& reported : {fromDevice, fromD3D}) {
        EXPECT_EQ(reported.PrimitiveMiscCaps & D3DPMISCCAPS_SEPARATEALPHABLEND, 0u);
        EXPECT_EQ(reported.RasterCaps & D3DPRASTERCAPS_WBUFFER, 0u);
        EXPECT_LE(reported.VertexShaderVersion, D3DVS_VERSION(1, 1));
        EXPECT_EQ(reported.PixelShaderVersion, 0u);
        EXPECT_EQ(reported.DevCaps & D3DDEVCAPS_HWTRANSFORMANDLIGHT, 0u);
    }
}

TEST(D3DProxyTest, MapsAMadeUpAdapterListOntoTheRealAdapter)
{
    zelktest::TestWindow window(32, 32);
    D3DProxy proxy;
    zelktest::D3DProxyAdapter usable;
    usable.description = "second";
    zelktest::D3DProxyAdapter broken;
    broken.unusable = true;
    zelktest::D3DProxyAdapter noDepth;
    noDepth.noDepthFormats = true;
    noDepth.noWindowedFormats = true;
    proxy.SetAdapters({broken, usable, noDepth});
    proxy.SetUnsupportedFormats({D3DFMT_A8R8G8B8});

    IDirect3D9Ptr d3d = proxy.CreateDirect3D();
    ASSERT_EQ(d3d->GetAdapterCount(), 3u);
    D3DADAPTER_IDENTIFIER9 identifier = {};
    ASSERT_EQ(d3d->GetAdapterIdentifier(1, 0, &identifier), D3D_OK);
    EXPECT_STREQ(identifier.Description, "second");
    EXPECT_EQ(d3d->GetAdapterIdentifier(3, 0, &identifier), D3DERR_INVALIDCALL);

    const D3DFORMAT x8 = D3DFMT_X8R8G8B8;
    EXPECT_EQ(d3d->CheckDeviceType(0, D3DDEVTYPE_HAL, x8, x8, FALSE), D3DERR_NOTAVAILABLE);
    EXPECT_EQ(d3d->CheckDeviceType(1, D3DDEVTYPE_HAL, x8, x8, TRUE), D3D_OK);
    EXPECT_EQ(d3d->CheckDeviceType(2, D3DDEVTYPE_HAL, x8, x8, TRUE), D3DERR_NOTAVAILABLE);
    EXPECT_EQ(d3d->CheckDeviceType(2, D3DDEVTYPE_HAL, x8, x8, FALSE), D3D_OK);
    EXPECT_EQ(d3d->CheckDeviceFormat(1, D3DDEVTYPE_HAL, x8, D3DUSAGE_DEPTHSTENCIL, D3DRTYPE_SURFACE, D3DFMT_D24S8),
              D3D_OK);
    EXPECT_EQ(d3d->CheckDeviceFormat(2, D3DDEVTYPE_HAL, x8, D3DUSAGE_DEPTHSTENCIL, D3DRTYPE_SURFACE, D3DFMT_D24S8),
              D3DERR_NOTAVAILABLE);
    EXPECT_EQ(d3d->CheckDeviceFormat(1, D3DDEVTYPE_HAL, x8, 0, D3DRTYPE_TEXTURE, D3DFMT_A8R8G8B8),
              D3DERR_NOTAVAILABLE);
    EXPECT_EQ(d3d->GetAdapterModeCount(1, D3DFMT_A8R8G8B8), 0u);
    // A hidden format is hidden as display format of the checks as well.
    EXPECT_EQ(d3d->CheckDepthStencilMatch(1, D3DDEVTYPE_HAL, D3DFMT_A8R8G8B8, x8, D3DFMT_D24S8),
              D3DERR_NOTAVAILABLE);
    EXPECT_EQ(d3d->CheckDepthStencilMatch(1, D3DDEVTYPE_HAL, x8, x8, D3DFMT_D24S8), D3D_OK);

    // A device made on proxy adapter 1 reports that ordinal back.
    D3DPRESENT_PARAMETERS present = {};
    present.BackBufferWidth = 32;
    present.BackBufferHeight = 32;
    present.BackBufferFormat = x8;
    present.SwapEffect = D3DSWAPEFFECT_DISCARD;
    present.Windowed = TRUE;
    IDirect3DDevice9Ptr device;
    EXPECT_EQ(d3d->CreateDevice(0, D3DDEVTYPE_HAL, window.Handle(), D3DCREATE_SOFTWARE_VERTEXPROCESSING, &present,
                                &device),
              D3DERR_NOTAVAILABLE);
    ASSERT_EQ(d3d->CreateDevice(1, D3DDEVTYPE_HAL, window.Handle(), D3DCREATE_SOFTWARE_VERTEXPROCESSING, &present,
                                &device),
              D3D_OK);
    D3DDEVICE_CREATION_PARAMETERS parameters = {};
    ASSERT_EQ(device->GetCreationParameters(&parameters), D3D_OK);
    EXPECT_EQ(parameters.AdapterOrdinal, 1u);
    ASSERT_TRUE(proxy.LastDeviceRequest().has_value());
    EXPECT_EQ(proxy.LastDeviceRequest()->adapter, 1u);
}
