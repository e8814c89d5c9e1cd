#pragma once

// A forwarding proxy of IDirect3D9 and IDirect3DDevice9 for tests.
//
// While a D3DProxy object lives, the wrapper's Direct3D creation function
// (zelk::SetDirect3DCreateFunction) returns a proxy IDirect3D9 around the
// real object; devices created through it are real devices wrapped in a
// proxy IDirect3DDevice9.  Every method forwards to the real object, except
// that the proxy can
//   - fail a chosen call with a chosen HRESULT (every call, or the Nth),
//   - report lower capabilities,
//   - report chosen formats as unsupported,
//   - present a made-up adapter list mapped onto real adapters, with
//     per-adapter defects, and made-up display modes,
//   - count its live objects so that leaks show.
// Resources that a proxy device creates are the real ones (their GetDevice
// returns the real device).
#include <d3d9.h>

#include <memory>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "framework/ZelkD3D.h"
#include "framework/ZelkD3DPtr.h"

namespace zelktest {

// Every call the proxy can fail: Direct3DCreate9, the IDirect3D9 methods and
// the IDirect3DDevice9 methods (IUnknown's three excepted).
#define ZELK_D3DPROXY_DIRECT3D_CALLS(X)                                                                    \
    X(RegisterSoftwareDevice) X(GetAdapterCount) X(GetAdapterIdentifier) X(GetAdapterModeCount)            \
    X(EnumAdapterModes) X(GetAdapterDisplayMode) X(CheckDeviceType) X(CheckDeviceFormat)                   \
    X(CheckDeviceMultiSampleType) X(CheckDepthStencilMatch) X(CheckDeviceFormatConversion) X(GetDeviceCaps) \
    X(GetAdapterMonitor) X(CreateDevice)

#define ZELK_D3DPROXY_DEVICE_CALLS(X)                                                                      \
    X(TestCooperativeLevel) X(GetAvailableTextureMem) X(EvictManagedResources) X(GetDirect3D)             \
    X(GetDeviceCaps) X(GetDisplayMode) X(GetCreationParameters) X(SetCursorProperties)                     \
    X(SetCursorPosition) X(ShowCursor) X(CreateAdditionalSwapChain) X(GetSwapChain)                        \
    X(GetNumberOfSwapChains) X(Reset) X(Present) X(GetBackBuffer) X(GetRasterStatus) X(SetDialogBoxMode)   \
    X(SetGammaRamp) X(GetGammaRamp) X(CreateTexture) X(CreateVolumeTexture) X(CreateCubeTexture)           \
    X(CreateVertexBuffer) X(CreateIndexBuffer) X(CreateRenderTarget) X(CreateDepthStencilSurface)          \
    X(UpdateSurface) X(UpdateTexture) X(GetRenderTargetData) X(GetFrontBufferData) X(StretchRect)          \
    X(ColorFill) X(CreateOffscreenPlainSurface) X(SetRenderTarget) X(GetRenderTarget)                      \
    X(SetDepthStencilSurface) X(GetDepthStencilSurface) X(BeginScene) X(EndScene) X(Clear)                 \
    X(SetTransform) X(GetTransform) X(MultiplyTransform) X(SetViewport) X(GetViewport) X(SetMaterial)      \
    X(GetMaterial) X(SetLight) X(GetLight) X(LightEnable) X(GetLightEnable) X(SetClipPlane)                \
    X(GetClipPlane) X(SetRenderState) X(GetRenderState) X(CreateStateBlock) X(BeginStateBlock)             \
    X(EndStateBlock) X(SetClipStatus) X(GetClipStatus) X(GetTexture) X(SetTexture)                         \
    X(GetTextureStageState) X(SetTextureStageState) X(GetSamplerState) X(SetSamplerState)                  \
    X(ValidateDevice) X(SetPaletteEntries) X(GetPaletteEntries) X(SetCurrentTexturePalette)                \
    X(GetCurrentTexturePalette) X(SetScissorRect) X(GetScissorRect) X(SetSoftwareVertexProcessing)         \
    X(GetSoftwareVertexProcessing) X(SetNPatchMode) X(GetNPatchMode) X(DrawPrimitive)                      \
    X(DrawIndexedPrimitive) X(DrawPrimitiveUP) X(DrawIndexedPrimitiveUP) X(ProcessVertices)                \
    X(CreateVertexDeclaration) X(SetVertexDeclaration) X(GetVertexDeclaration) X(SetFVF) X(GetFVF)         \
    X(CreateVertexShader) X(SetVertexShader) X(GetVertexShader) X(SetVertexShaderConstantF)                \
    X(GetVertexShaderConstantF) X(SetVertexShaderConstantI) X(GetVertexShaderConstantI)                    \
    X(SetVertexShaderConstantB) X(GetVertexShaderConstantB) X(SetStreamSource) X(GetStreamSource)          \
    X(SetStreamSourceFreq) X(GetStreamSourceFreq) X(SetIndices) X(GetIndices) X(CreatePixelShader)         \
    X(SetPixelShader) X(GetPixelShader) X(SetPixelShaderConstantF) X(GetPixelShaderConstantF)              \
    X(SetPixelShaderConstantI) X(GetPixelShaderConstantI) X(SetPixelShaderConstantB)                       \
    X(GetPixelShaderConstantB) X(DrawRectPatch) X(DrawTriPatch) X(DeletePatch) X(CreateQuery)

enum class D3DCall {
    Direct3DCreate9,
#define ZELK_D3DPROXY_ENUM_DIRECT3D(name) Direct3D_##name,
    ZELK_D3DPROXY_DIRECT3D_CALLS(ZELK_D3DPROXY_ENUM_DIRECT3D)
#undef ZELK_D3DPROXY_ENUM_DIRECT3D
#define ZELK_D3DPROXY_ENUM_DEVICE(name) Device_##name,
    ZELK_D3DPROXY_DEVICE_CALLS(ZELK_D3DPROXY_ENUM_DEVICE)
#undef ZELK_D3DPROXY_ENUM_DEVICE
    Count
};

// "Direct3DCreate9", "IDirect3D9::CreateDevice", "IDirect3DDevice9::Clear", ...
const char* D3DCallName(D3DCall call);

// Capabilities the proxies report lower than the real ones (both
// IDirect3D9::GetDeviceCaps and IDirect3DDevice9::GetDeviceCaps).
struct D3DProxyCaps {
    bool noSeparateAlphaBlend = false;          // clears D3DPMISCCAPS_SEPARATEALPHABLEND
    bool noWBuffer = false;                     // clears D3DPRASTERCAPS_WBUFFER
    std::optional<DWORD> maxVertexShaderVersion;  // e.g. D3DVS_VERSION(1, 1), or 0 for none
    std::optional<DWORD> maxPixelShaderVersion;   // e.g. D3DPS_VERSION(1, 1), or 0 for none
    DWORD clearDevCaps = 0;                     // DevCaps bits to clear, e.g. D3DDEVCAPS_HWTRANSFORMANDLIGHT
    std::optional<DWORD> maxTextureWidth;       // lowers MaxTextureWidth
};

// One adapter of a made-up adapter list.
struct D3DProxyAdapter {
    UINT realOrdinal = 0;            // the real adapter it stands for
    bool unusable = false;           // CheckDeviceType and CreateDevice fail for every device type
    bool noDepthFormats = false;     // no format works as depth-stencil
    bool noWindowedFormats = false;  // CheckDeviceType fails for windowed use
    std::string description;         // replaces the identifier's Description when not empty
};

// What the last CreateDevice through the proxy was asked for, before
// Direct3D changed the present parameters.
struct D3DProxyDeviceRequest {
    UINT adapter = 0;  // the proxy's adapter ordinal
    D3DDEVTYPE deviceType = D3DDEVTYPE_HAL;
    HWND focusWindow = nullptr;
    DWORD behaviorFlags = 0;
    D3DPRESENT_PARAMETERS present = {};
};

struct D3DProxyState;

// Installs the proxy creation function for its lifetime and restores the
// previous one when destroyed.  One at a time.
class D3DProxy {
public:
    D3DProxy();
    ~D3DProxy();
    D3DProxy(const D3DProxy&) = delete;
    D3DProxy& operator=(const D3DProxy&) = delete;

    // Fails a call with the result (a null object for Direct3DCreate9, a
    // zero value for calls that return no HRESULT; void calls are skipped).
    // nth 0 fails every call from now on; nth N fails only the Nth call
    // counted from now.  Several rules may be active.
    void FailCall(D3DCall call, HRESULT result, UINT nth = 0);
    // The same by name: "CreateTexture", "IDirect3DDevice9::CreateTexture",
    // "Direct3DCreate9".  A bare name that both interfaces have
    // (GetDeviceCaps) needs its interface.  Unknown names throw
    // std::invalid_argument.
    void FailCall(const std::string& name, HRESULT result, UINT nth = 0);
    void ClearFaults();

    void SetCaps(const D3DProxyCaps& caps);
    // These formats are reported unsupported: CheckDeviceFormat,
    // CheckDepthStencilMatch, CheckDeviceType and CheckDeviceFormatConversion
    // answer D3DERR_NOTAVAILABLE when one of their formats is in the set, and
    // a display format in the set has no display modes.
    void SetUnsupportedFormats(const std::set<D3DFORMAT>& formats);
    // Replaces the real adapter list (empty: the real adapters unchanged).
    void SetAdapters(const std::vector<D3DProxyAdapter>& adapters);
    // Replaces every adapter's display modes (empty: the real ones):
    // GetAdapterModeCount and EnumAdapterModes serve the modes of the asked
    // format from this list, in list order.  The real display often has one
    // mode only; this gives a test 640x480 and the like, or duplicates that
    // differ in refresh rate.
    void SetDisplayModes(const std::vector<D3DDISPLAYMODE>& modes);

    // How often a call reached the proxy (failed calls included).
    UINT CallCount(D3DCall call) const;
    std::optional<D3DProxyDeviceRequest> LastDeviceRequest() const;

    // Leak checks.  Live counts are proxy objects whose reference count has
    // not reached zero; a device proxy holds a reference on the IDirect3D9
    // proxy that created it.
    long LiveDirect3D() const;
    long LiveDevices() const;
    long Direct3DCreated() const;
    long DevicesCreated() const;
    // References the real devices still had when their proxy released them
    // (resources created on a device and never released); 0 when clean.
    long LeakedDeviceReferences() const;

    // A proxied Direct3D object made through the wrapper's creation function.
    IDirect3D9Ptr CreateDirect3D() const;
    // A proxied windowed device like DeviceFixture's: width x height
    // X8R8G8B8, D24S8, software vertex processing, multithreaded.  Null on
    // failure.
    IDirect3DDevice9Ptr CreateWindowedDevice(HWND window, UINT width, UINT height) const;

private:
    std::shared_ptr<D3DProxyState> state_;
    zelk::Direct3DCreateFunction previous_;
};

}  // namespace zelktest
