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
// returns the real device), except vertex buffers and render targets, which
// are proxies around the real ones: their locks are recorded, and render
// targets refuse D3DLOCK_DISCARD as a runtime that checks its arguments does
// (valid only for dynamic resources, and never with a rectangle).
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
// the IDirect3DDevice9 methods (IUnknown's three excepted) of the lists below.
#define ZELK_D3DPROXY_DIRECT3D_CALLS(X)                                                                    \
    X(RegisterSoftwareDevice) X(GetAdapterCount) X(GetAdapterIdentifier) X(GetAdapterModeCount)            \
    X(EnumAdapterModes) X(GetAdapterDisplayMode) X(CheckDeviceType) X(CheckDeviceFormat)                   \
    X(CheckDeviceMultiSampleType) X(CheckDepthStencilMatch) X(CheckDeviceFormatConversion) X(GetDeviceCaps) \
    X(GetAdapterMonitor) X(CreateDevice)

// The IDirect3DDevice9 methods whose answers the proxy changes (the vertex
// buffer calls hand proxy buffers out and the real ones on).
#define ZELK_D3DPROXY_DEVICE_OWN_CALLS(X) X(GetDirect3D) X(GetDeviceCaps) X(GetCreationParameters) \
    X(CreateVertexBuffer) X(ProcessVertices) X(SetStreamSource) X(GetStreamSource) X(CreateRenderTarget)

// The methods of the proxy vertex buffers that can be failed.
#define ZELK_D3DPROXY_VERTEX_BUFFER_CALLS(X) X(Lock)

// Every other IDirect3DDevice9 method (IUnknown's three excepted) with its
// result type, parameters and arguments; the proxy forwards these (a proxy
// render target among the arguments as the real surface).
#define ZELK_D3DPROXY_DEVICE_FORWARDED_CALLS(X) \
    X(HRESULT, TestCooperativeLevel, (), ()) \
    X(UINT, GetAvailableTextureMem, (), ()) \
    X(HRESULT, EvictManagedResources, (), ()) \
    X(HRESULT, GetDisplayMode, (UINT a0, D3DDISPLAYMODE* a1), (a0, a1)) \
    X(HRESULT, SetCursorProperties, (UINT a0, UINT a1, IDirect3DSurface9* a2), (a0, a1, a2)) \
    X(void, SetCursorPosition, (int a0, int a1, DWORD a2), (a0, a1, a2)) \
    X(WINBOOL, ShowCursor, (WINBOOL a0), (a0)) \
    X(HRESULT, CreateAdditionalSwapChain, (D3DPRESENT_PARAMETERS* a0, IDirect3DSwapChain9** a1), (a0, a1)) \
    X(HRESULT, GetSwapChain, (UINT a0, IDirect3DSwapChain9** a1), (a0, a1)) \
    X(UINT, GetNumberOfSwapChains, (), ()) \
    X(HRESULT, Reset, (D3DPRESENT_PARAMETERS* a0), (a0)) \
    X(HRESULT, Present, (const RECT * a0, const RECT * a1, HWND a2, const RGNDATA * a3), (a0, a1, a2, a3)) \
    X(HRESULT, GetBackBuffer, (UINT a0, UINT a1, D3DBACKBUFFER_TYPE a2, IDirect3DSurface9** a3), (a0, a1, a2, a3)) \
    X(HRESULT, GetRasterStatus, (UINT a0, D3DRASTER_STATUS* a1), (a0, a1)) \
    X(HRESULT, SetDialogBoxMode, (WINBOOL a0), (a0)) \
    X(void, SetGammaRamp, (UINT a0, DWORD a1, const D3DGAMMARAMP * a2), (a0, a1, a2)) \
    X(void, GetGammaRamp, (UINT a0, D3DGAMMARAMP* a1), (a0, a1)) \
    X(HRESULT, CreateTexture, (UINT a0, UINT a1, UINT a2, DWORD a3, D3DFORMAT a4, D3DPOOL a5, IDirect3DTexture9** a6, HANDLE* a7), (a0, a1, a2, a3, a4, a5, a6, a7)) \
    X(HRESULT, CreateVolumeTexture, (UINT a0, UINT a1, UINT a2, UINT a3, DWORD a4, D3DFORMAT a5, D3DPOOL a6, IDirect3DVolumeTexture9** a7, HANDLE* a8), (a0, a1, a2, a3, a4, a5, a6, a7, a8)) \
    X(HRESULT, CreateCubeTexture, (UINT a0, UINT a1, DWORD a2, D3DFORMAT a3, D3DPOOL a4, IDirect3DCubeTexture9** a5, HANDLE* a6), (a0, a1, a2, a3, a4, a5, a6)) \
    X(HRESULT, CreateIndexBuffer, (UINT a0, DWORD a1, D3DFORMAT a2, D3DPOOL a3, IDirect3DIndexBuffer9** a4, HANDLE* a5), (a0, a1, a2, a3, a4, a5)) \
    X(HRESULT, CreateDepthStencilSurface, (UINT a0, UINT a1, D3DFORMAT a2, D3DMULTISAMPLE_TYPE a3, DWORD a4, WINBOOL a5, IDirect3DSurface9** a6, HANDLE* a7), (a0, a1, a2, a3, a4, a5, a6, a7)) \
    X(HRESULT, UpdateSurface, (IDirect3DSurface9 * a0, const RECT * a1, IDirect3DSurface9 * a2, const POINT * a3), (a0, a1, a2, a3)) \
    X(HRESULT, UpdateTexture, (IDirect3DBaseTexture9* a0, IDirect3DBaseTexture9* a1), (a0, a1)) \
    X(HRESULT, GetRenderTargetData, (IDirect3DSurface9* a0, IDirect3DSurface9* a1), (a0, a1)) \
    X(HRESULT, GetFrontBufferData, (UINT a0, IDirect3DSurface9* a1), (a0, a1)) \
    X(HRESULT, StretchRect, (IDirect3DSurface9 * a0, const RECT * a1, IDirect3DSurface9 * a2, const RECT * a3, D3DTEXTUREFILTERTYPE a4), (a0, a1, a2, a3, a4)) \
    X(HRESULT, ColorFill, (IDirect3DSurface9 * a0, const RECT * a1, D3DCOLOR a2), (a0, a1, a2)) \
    X(HRESULT, CreateOffscreenPlainSurface, (UINT a0, UINT a1, D3DFORMAT a2, D3DPOOL a3, IDirect3DSurface9** a4, HANDLE* a5), (a0, a1, a2, a3, a4, a5)) \
    X(HRESULT, SetRenderTarget, (DWORD a0, IDirect3DSurface9* a1), (a0, a1)) \
    X(HRESULT, GetRenderTarget, (DWORD a0, IDirect3DSurface9** a1), (a0, a1)) \
    X(HRESULT, SetDepthStencilSurface, (IDirect3DSurface9* a0), (a0)) \
    X(HRESULT, GetDepthStencilSurface, (IDirect3DSurface9** a0), (a0)) \
    X(HRESULT, BeginScene, (), ()) \
    X(HRESULT, EndScene, (), ()) \
    X(HRESULT, Clear, (DWORD a0, const D3DRECT * a1, DWORD a2, D3DCOLOR a3, float a4, DWORD a5), (a0, a1, a2, a3, a4, a5)) \
    X(HRESULT, SetTransform, (D3DTRANSFORMSTATETYPE a0, const D3DMATRIX * a1), (a0, a1)) \
    X(HRESULT, GetTransform, (D3DTRANSFORMSTATETYPE a0, D3DMATRIX* a1), (a0, a1)) \
    X(HRESULT, MultiplyTransform, (D3DTRANSFORMSTATETYPE a0, const D3DMATRIX * a1), (a0, a1)) \
    X(HRESULT, SetViewport, (const D3DVIEWPORT9 * a0), (a0)) \
    X(HRESULT, GetViewport, (D3DVIEWPORT9* a0), (a0)) \
    X(HRESULT, SetMaterial, (const D3DMATERIAL9 * a0), (a0)) \
    X(HRESULT, GetMaterial, (D3DMATERIAL9* a0), (a0)) \
    X(HRESULT, SetLight, (DWORD a0, const D3DLIGHT9 * a1), (a0, a1)) \
    X(HRESULT, GetLight, (DWORD a0, D3DLIGHT9* a1), (a0, a1)) \
    X(HRESULT, LightEnable, (DWORD a0, WINBOOL a1), (a0, a1)) \
    X(HRESULT, GetLightEnable, (DWORD a0, WINBOOL* a1), (a0, a1)) \
    X(HRESULT, SetClipPlane, (DWORD a0, const float * a1), (a0, a1)) \
    X(HRESULT, GetClipPlane, (DWORD a0, float* a1), (a0, a1)) \
    X(HRESULT, SetRenderState, (D3DRENDERSTATETYPE a0, DWORD a1), (a0, a1)) \
    X(HRESULT, GetRenderState, (D3DRENDERSTATETYPE a0, DWORD* a1), (a0, a1)) \
    X(HRESULT, CreateStateBlock, (D3DSTATEBLOCKTYPE a0, IDirect3DStateBlock9** a1), (a0, a1)) \
    X(HRESULT, BeginStateBlock, (), ()) \
    X(HRESULT, EndStateBlock, (IDirect3DStateBlock9** a0), (a0)) \
    X(HRESULT, SetClipStatus, (const D3DCLIPSTATUS9 * a0), (a0)) \
    X(HRESULT, GetClipStatus, (D3DCLIPSTATUS9* a0), (a0)) \
    X(HRESULT, GetTexture, (DWORD a0, IDirect3DBaseTexture9** a1), (a0, a1)) \
    X(HRESULT, SetTexture, (DWORD a0, IDirect3DBaseTexture9* a1), (a0, a1)) \
    X(HRESULT, GetTextureStageState, (DWORD a0, D3DTEXTURESTAGESTATETYPE a1, DWORD* a2), (a0, a1, a2)) \
    X(HRESULT, SetTextureStageState, (DWORD a0, D3DTEXTURESTAGESTATETYPE a1, DWORD a2), (a0, a1, a2)) \
    X(HRESULT, GetSamplerState, (DWORD a0, D3DSAMPLERSTATETYPE a1, DWORD* a2), (a0, a1, a2)) \
    X(HRESULT, SetSamplerState, (DWORD a0, D3DSAMPLERSTATETYPE a1, DWORD a2), (a0, a1, a2)) \
    X(HRESULT, ValidateDevice, (DWORD* a0), (a0)) \
    X(HRESULT, SetPaletteEntries, (UINT a0, const PALETTEENTRY * a1), (a0, a1)) \
    X(HRESULT, GetPaletteEntries, (UINT a0, PALETTEENTRY* a1), (a0, a1)) \
    X(HRESULT, SetCurrentTexturePalette, (UINT a0), (a0)) \
    X(HRESULT, GetCurrentTexturePalette, (UINT * a0), (a0)) \
    X(HRESULT, SetScissorRect, (const RECT * a0), (a0)) \
    X(HRESULT, GetScissorRect, (RECT* a0), (a0)) \
    X(HRESULT, SetSoftwareVertexProcessing, (WINBOOL a0), (a0)) \
    X(WINBOOL, GetSoftwareVertexProcessing, (), ()) \
    X(HRESULT, SetNPatchMode, (float a0), (a0)) \
    X(float, GetNPatchMode, (), ()) \
    X(HRESULT, DrawPrimitive, (D3DPRIMITIVETYPE a0, UINT a1, UINT a2), (a0, a1, a2)) \
    X(HRESULT, DrawIndexedPrimitive, (D3DPRIMITIVETYPE a0, INT a1, UINT a2, UINT a3, UINT a4, UINT a5), (a0, a1, a2, a3, a4, a5)) \
    X(HRESULT, DrawPrimitiveUP, (D3DPRIMITIVETYPE a0, UINT a1, const void * a2, UINT a3), (a0, a1, a2, a3)) \
    X(HRESULT, DrawIndexedPrimitiveUP, (D3DPRIMITIVETYPE a0, UINT a1, UINT a2, UINT a3, const void * a4, D3DFORMAT a5, const void * a6, UINT a7), (a0, a1, a2, a3, a4, a5, a6, a7)) \
    X(HRESULT, CreateVertexDeclaration, (const D3DVERTEXELEMENT9 * a0, IDirect3DVertexDeclaration9 ** a1), (a0, a1)) \
    X(HRESULT, SetVertexDeclaration, (IDirect3DVertexDeclaration9* a0), (a0)) \
    X(HRESULT, GetVertexDeclaration, (IDirect3DVertexDeclaration9** a0), (a0)) \
    X(HRESULT, SetFVF, (DWORD a0), (a0)) \
    X(HRESULT, GetFVF, (DWORD* a0), (a0)) \
    X(HRESULT, CreateVertexShader, (const DWORD * a0, IDirect3DVertexShader9 ** a1), (a0, a1)) \
    X(HRESULT, SetVertexShader, (IDirect3DVertexShader9* a0), (a0)) \
    X(HRESULT, GetVertexShader, (IDirect3DVertexShader9** a0), (a0)) \
    X(HRESULT, SetVertexShaderConstantF, (UINT a0, const float * a1, UINT a2), (a0, a1, a2)) \
    X(HRESULT, GetVertexShaderConstantF, (UINT a0, float* a1, UINT a2), (a0, a1, a2)) \
    X(HRESULT, SetVertexShaderConstantI, (UINT a0, const int * a1, UINT a2), (a0, a1, a2)) \
    X(HRESULT, GetVertexShaderConstantI, (UINT a0, int* a1, UINT a2), (a0, a1, a2)) \
    X(HRESULT, SetVertexShaderConstantB, (UINT a0, const WINBOOL * a1, UINT a2), (a0, a1, a2)) \
    X(HRESULT, GetVertexShaderConstantB, (UINT a0, WINBOOL* a1, UINT a2), (a0, a1, a2)) \
    X(HRESULT, SetStreamSourceFreq, (UINT a0, UINT a1), (a0, a1)) \
    X(HRESULT, GetStreamSourceFreq, (UINT a0, UINT* a1), (a0, a1)) \
    X(HRESULT, SetIndices, (IDirect3DIndexBuffer9* a0), (a0)) \
    X(HRESULT, GetIndices, (IDirect3DIndexBuffer9** a0), (a0)) \
    X(HRESULT, CreatePixelShader, (const DWORD * a0, IDirect3DPixelShader9 ** a1), (a0, a1)) \
    X(HRESULT, SetPixelShader, (IDirect3DPixelShader9* a0), (a0)) \
    X(HRESULT, GetPixelShader, (IDirect3DPixelShader9** a0), (a0)) \
    X(HRESULT, SetPixelShaderConstantF, (UINT a0, const float * a1, UINT a2), (a0, a1, a2)) \
    X(HRESULT, GetPixelShaderConstantF, (UINT a0, float* a1, UINT a2), (a0, a1, a2)) \
    X(HRESULT, SetPixelShaderConstantI, (UINT a0, const int * a1, UINT a2), (a0, a1, a2)) \
    X(HRESULT, GetPixelShaderConstantI, (UINT a0, int* a1, UINT a2), (a0, a1, a2)) \
    X(HRESULT, SetPixelShaderConstantB, (UINT a0, const WINBOOL * a1, UINT a2), (a0, a1, a2)) \
    X(HRESULT, GetPixelShaderConstantB, (UINT a0, WINBOOL* a1, UINT a2), (a0, a1, a2)) \
    X(HRESULT, DrawRectPatch, (UINT a0, const float * a1, const D3DRECTPATCH_INFO * a2), (a0, a1, a2)) \
    X(HRESULT, DrawTriPatch, (UINT a0, const float * a1, const D3DTRIPATCH_INFO * a2), (a0, a1, a2)) \
    X(HRESULT, DeletePatch, (UINT a0), (a0)) \
    X(HRESULT, CreateQuery, (D3DQUERYTYPE a0, IDirect3DQuery9** a1), (a0, a1))

enum class D3DCall {
    Direct3DCreate9,
#define ZELK_D3DPROXY_ENUM_DIRECT3D(name) Direct3D_##name,
    ZELK_D3DPROXY_DIRECT3D_CALLS(ZELK_D3DPROXY_ENUM_DIRECT3D)
#undef ZELK_D3DPROXY_ENUM_DIRECT3D
#define ZELK_D3DPROXY_ENUM_DEVICE(name) Device_##name,
#define ZELK_D3DPROXY_ENUM_FORWARDED(Result, name, Parameters, Arguments) Device_##name,
    ZELK_D3DPROXY_DEVICE_OWN_CALLS(ZELK_D3DPROXY_ENUM_DEVICE)
    ZELK_D3DPROXY_DEVICE_FORWARDED_CALLS(ZELK_D3DPROXY_ENUM_FORWARDED)
#undef ZELK_D3DPROXY_ENUM_FORWARDED
#undef ZELK_D3DPROXY_ENUM_DEVICE
#define ZELK_D3DPROXY_ENUM_VERTEX_BUFFER(name) VertexBuffer_##name,
    ZELK_D3DPROXY_VERTEX_BUFFER_CALLS(ZELK_D3DPROXY_ENUM_VERTEX_BUFFER)
#undef ZELK_D3DPROXY_ENUM_VERTEX_BUFFER
    Count
};

// "Direct3DCreate9", "IDirect3D9::CreateDevice", "IDirect3DDevice9::Clear",
// "IDirect3DVertexBuffer9::Lock", ...
const char* D3DCallName(D3DCall call);

// Capabilities the proxies report lower than the real ones (both
// IDirect3D9::GetDeviceCaps and IDirect3DDevice9::GetDeviceCaps).
struct D3DProxyCaps {
    bool noSeparateAlphaBlend = false;          // clears D3DPMISCCAPS_SEPARATEALPHABLEND
    bool noWBuffer = false;                     // clears D3DPRASTERCAPS_WBUFFER
    std::optional<DWORD> maxVertexShaderVersion;  // e.g. D3DVS_VERSION(1, 1), or 0 for none
    std::optional<DWORD> maxPixelShaderVersion;   // e.g. D3DPS_VERSION(1, 1), or 0 for none
    DWORD clearDevCaps = 0;                     // DevCaps bits to clear, e.g. D3DDEVCAPS_HWTRANSFORMANDLIGHT
    DWORD clearPrimitiveMiscCaps = 0;           // e.g. D3DPMISCCAPS_PERSTAGECONSTANT
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

// One Lock of a vertex buffer that a proxy device created, as asked for.
struct D3DProxyBufferLock {
    UINT offset = 0;
    UINT size = 0;
    DWORD flags = 0;
    bool operator==(const D3DProxyBufferLock& other) const
    {
        return offset == other.offset && size == other.size && flags == other.flags;
    }
};

// One LockRect of a render target that a proxy device created, as asked
// for, and what it returned.
struct D3DProxySurfaceLock {
    bool withRect = false;
    DWORD flags = 0;
    HRESULT result = D3D_OK;
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
    // Vertex buffers that proxy devices create are proxies too (GetStreamSource
    // gives the real buffer): every Lock of them is recorded here, failed ones
    // included, until cleared.
    std::vector<D3DProxyBufferLock> VertexBufferLocks() const;
    void ClearVertexBufferLocks();
    // Every LockRect of a render target that a proxy device created, refused
    // ones included, until cleared.
    std::vector<D3DProxySurfaceLock> SurfaceLocks() const;
    void ClearSurfaceLocks();
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
