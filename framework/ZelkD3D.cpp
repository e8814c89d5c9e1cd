#include "framework/ZelkD3D.h"

#include <atomic>
#include <new>
#include <string>

#include "framework/ZelkException.h"

namespace zelk {

namespace {

// The SDK version the Direct3D object is created for.
constexpr UINT kSdkVersion = 31;
// Back buffers beyond this many are not asked for.
constexpr UINT kMaxBackBufferCount = 3;

const char* const kConstructorName = "ZelkD3D::ZelkD3D";
const char* const kCreateDeviceName = "ZelkD3D::CreateD3DDevice";
const char* const kCreateFailed = "The function [ Direct3DCreate9 ] failed.";
const char* const kEnumerateFailed = "The function [ ZelkD3D::EnumerateDevice ] failed.";
const char* const kInvalidFocusWindow = "The parameter [ HWND hFocusWindow ] is invalid.";
const char* const kInvalidAdapter = "The parameter [ ZELK_D3DADAPTER_ORDINAL adapterOrdinal ] is invalid.";
const char* const kCreateDeviceFailed = "The function [ IDirect3D9::CreateDevice ] failed.";
const char* const kInvalidSelectionHead = "The selection [ ";
const char* const kInvalidSelectionTail = " ] is invalid.";

std::atomic<Direct3DCreateFunction> g_createFunction{&Direct3DCreate9};

ZelkD3D* g_instance = nullptr;

// The list entry at a selected index; a selection outside its list (an
// empty list keeps -1) throws instead of reaching past the list.
template <typename List>
const typename List::value_type& Selected(const List& list, INT index, const char* what)
{
    if (index < 0 || static_cast<size_t>(index) >= list.size()) {
        throw ZelkException(kCreateDeviceName, E_INVALIDARG,
                            std::string(kInvalidSelectionHead) + what + kInvalidSelectionTail);
    }
    return list[static_cast<size_t>(index)];
}

}  // namespace

Direct3DCreateFunction SetDirect3DCreateFunction(Direct3DCreateFunction function)
{
    return g_createFunction.exchange(function ? function : &Direct3DCreate9);
}

IDirect3D9* CreateDirect3D(UINT sdkVersion)
{
    return g_createFunction.load()(sdkVersion);
}

ZelkD3D* ZelkD3D::GetD3D()
{
    if (!g_instance) {
        g_instance = new (std::nothrow) ZelkD3D();
    }
    return g_instance;
}

void ZelkD3D::DestroyD3D()
{
    if (g_instance) {
        delete g_instance;
        g_instance = nullptr;
    }
}

ZelkD3D::ZelkD3D()
{
    try {
        adapters_.clear();
        d3d_.Attach(CreateDirect3D(kSdkVersion));
        if (!d3d_) {
            throw ZelkException(kConstructorName, E_FAIL, kCreateFailed);
        }
        if (!EnumerateDevice()) {
            throw ZelkException(kConstructorName, E_FAIL, kEnumerateFailed);
        }
    } catch (ZelkException& e) {
        WriteErrorLog(e);
        adapters_.clear();
        d3d_ = nullptr;
        throw;
    }
}

ZelkD3D::~ZelkD3D() = default;

bool ZelkD3D::EnumerateDevice()
{
    adapters_.clear();
    for (UINT ordinal = 0; ordinal < d3d_->GetAdapterCount(); ++ordinal) {
        ZelkD3DAdapterInfo adapter;
        if (adapter.Enumerate(d3d_, ordinal)) {
            adapters_.push_back(adapter);
        }
    }
    return !adapters_.empty();
}

UINT ZelkD3D::GetAdapterCount() const
{
    return static_cast<UINT>(adapters_.size());
}

ZelkD3DAdapterInfo* ZelkD3D::GetAdapterInfo(UINT adapterPosition)
{
    return adapterPosition < adapters_.size() ? &adapters_[adapterPosition] : nullptr;
}

IDirect3DDevice9Ptr ZelkD3D::CreateD3DDevice(HWND focusWindow, HWND deviceWindow, UINT backBufferCount,
                                             bool lockableBackBuffer, UINT adapterPosition, UINT windowedWidth,
                                             UINT windowedHeight)
{
    IDirect3DDevice9Ptr device;
    try {
        if (!focusWindow) {
            throw ZelkException(kCreateDeviceName, E_HANDLE, kInvalidFocusWindow);
        }
        if (adapterPosition >= adapters_.size()) {
            throw ZelkException(kCreateDeviceName, E_INVALIDARG, kInvalidAdapter);
        }
        const ZelkD3DAdapterInfo& adapter = adapters_[adapterPosition];
        const ZelkD3DDeviceInfo& deviceInfo = Selected(adapter.devices, adapter.selectedDeviceIndex, "device");
        const ZelkD3DFormatInfo& format =
            deviceInfo.selectedWindowed
                ? Selected(deviceInfo.windowedFormats, deviceInfo.selectedWindowedFormatIndex, "windowed format")
                : Selected(deviceInfo.fullScreenFormats, deviceInfo.selectedFullScreenFormatIndex,
                           "full-screen format");
        const bool ownSize = deviceInfo.selectedWindowed && windowedWidth != 0 && windowedHeight != 0;
        const D3DDISPLAYMODE mode =
            ownSize ? D3DDISPLAYMODE{windowedWidth, windowedHeight, 0, format.backBufferFormat}
                    : Selected(format.displayModes, format.selectedDisplayModeIndex, "display mode");
        const D3DFORMAT depthStencilFormat =
            Selected(format.depthStencilFormats, format.selectedDepthStencilFormatIndex, "depth-stencil format");
        const DWORD behaviorFlags = Selected(deviceInfo.behaviorFlags, deviceInfo.selectedBehaviorIndex, "behavior");

        D3DPRESENT_PARAMETERS present = {};
        present.BackBufferWidth = mode.Width;
        present.BackBufferHeight = mode.Height;
        present.BackBufferFormat = format.backBufferFormat;
        present.BackBufferCount = backBufferCount < kMaxBackBufferCount ? backBufferCount : kMaxBackBufferCount;
        present.MultiSampleType = D3DMULTISAMPLE_NONE;
        present.MultiSampleQuality = 0;
        present.SwapEffect = D3DSWAPEFFECT_DISCARD;
        present.hDeviceWindow = deviceWindow;
        present.Windowed = deviceInfo.selectedWindowed ? TRUE : FALSE;
        present.EnableAutoDepthStencil = TRUE;
        present.AutoDepthStencilFormat = depthStencilFormat;
        present.Flags = lockableBackBuffer ? D3DPRESENTFLAG_LOCKABLE_BACKBUFFER : 0;
        present.FullScreen_RefreshRateInHz = 0;
        present.PresentationInterval = 0;

        const HRESULT result =
            d3d_->CreateDevice(adapter.adapterOrdinal, deviceInfo.deviceType, focusWindow,
                               behaviorFlags | D3DCREATE_MULTITHREADED, &present, &device);
        if (FAILED(result)) {
            throw ZelkException(kCreateDeviceName, result, kCreateDeviceFailed);
        }
        return device;
    } catch (ZelkException& e) {
        WriteErrorLog(e);
        device = nullptr;
        throw;
    }
}

}  // namespace zelk
