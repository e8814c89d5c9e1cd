#include "common/D3DProxy.h"

#include <algorithm>
#include <array>
#include <atomic>
#include <cstring>
#include <mutex>
#include <stdexcept>
#include <type_traits>

#include "common/TestDevice.h"

namespace zelktest {

namespace {

constexpr size_t kCallCount = static_cast<size_t>(D3DCall::Count);

const char* const kCallNames[kCallCount] = {
    "Direct3DCreate9",
#define ZELK_D3DPROXY_NAME_DIRECT3D(name) "IDirect3D9::" #name,
    ZELK_D3DPROXY_DIRECT3D_CALLS(ZELK_D3DPROXY_NAME_DIRECT3D)
#undef ZELK_D3DPROXY_NAME_DIRECT3D
#define ZELK_D3DPROXY_NAME_DEVICE(name) "IDirect3DDevice9::" #name,
#define ZELK_D3DPROXY_NAME_FORWARDED(Result, name, Parameters, Arguments) "IDirect3DDevice9::" #name,
    ZELK_D3DPROXY_DEVICE_OWN_CALLS(ZELK_D3DPROXY_NAME_DEVICE)
    ZELK_D3DPROXY_DEVICE_FORWARDED_CALLS(ZELK_D3DPROXY_NAME_FORWARDED)
#undef ZELK_D3DPROXY_NAME_FORWARDED
#undef ZELK_D3DPROXY_NAME_DEVICE
#define ZELK_D3DPROXY_NAME_VERTEX_BUFFER(name) "IDirect3DVertexBuffer9::" #name,
    ZELK_D3DPROXY_VERTEX_BUFFER_CALLS(ZELK_D3DPROXY_NAME_VERTEX_BUFFER)
#undef ZELK_D3DPROXY_NAME_VERTEX_BUFFER
};

// The value a failed call returns: the chosen result for HRESULT calls, a
// zero value for the others.
template <typename Result>
Result FaultValue(HRESULT result)
{
    if constexpr (std::is_same_v<Result, HRESULT>) {
        return result;
    } else if constexpr (!std::is_void_v<Result>) {
        return Result{};
    }
}

struct FaultRule {
    D3DCall call;
    HRESULT result;
    UINT nth;
    UINT seen;
};

}  // namespace

// Shared by the guard and every proxy object it made, so that a proxy that
// outlives its guard (a leak) still has its settings.
struct D3DProxyState {
    mutable std::mutex lock;
    std::vector<FaultRule> rules;
    std::array<UINT, kCallCount> counts = {};
    D3DProxyCaps caps;
    std::set<D3DFORMAT> unsupported;
    std::vector<D3DProxyAdapter> adapters;
    std::vector<D3DDISPLAYMODE> modes;
    std::optional<D3DProxyDeviceRequest> lastRequest;
    std::vector<D3DProxyBufferLock> bufferLocks;
    std::vector<D3DProxySurfaceLock> surfaceLocks;

    std::atomic<long> liveDirect3D{0};
    std::atomic<long> liveDevices{0};
    std::atomic<long> direct3DCreated{0};
    std::atomic<long> devicesCreated{0};
    std::atomic<long> leakedDeviceReferences{0};

    // Counts the call; the result to return when a rule fails it.
    std::optional<HRESULT> Fault(D3DCall call)
    {
        std::lock_guard<std::mutex> hold(lock);
        ++counts[static_cast<size_t>(call)];
        std::optional<HRESULT> failed;
        for (FaultRule& rule : rules) {
            if (rule.call != call) {
                continue;
            }
            ++rule.seen;
            if (!failed && (rule.nth == 0 || rule.seen == rule.nth)) {
                failed = rule.result;
            }
        }
        return failed;
    }

    bool Unsupported(D3DFORMAT format) const
    {
        std::lock_guard<std::mutex> hold(lock);
        return unsupported.count(format) != 0;
    }

    bool AnyUnsupported(D3DFORMAT first, D3DFORMAT second) const
    {
        return Unsupported(first) || Unsupported(second);
    }

    // The made-up modes of a format; false when the real ones are used.
    bool ModesOf(D3DFORMAT format, std::vector<D3DDISPLAYMODE>* found) const
    {
        std::lock_guard<std::mutex> hold(lock);
        if (modes.empty()) {
            return false;
        }
        found->clear();
        for (const D3DDISPLAYMODE& mode : modes) {
            if (mode.Format == format) {
                found->push_back(mode);
            }
        }
        return true;
    }

    // The adapter the proxy presents at an ordinal; none past the list.
    std::optional<D3DProxyAdapter> Map(UINT ordinal) const
    {
        std::lock_guard<std::mutex> hold(lock);
        if (adapters.empty()) {
            D3DProxyAdapter real;
            real.realOrdinal = ordinal;
            return real;
        }
        if (ordinal < adapters.size()) {
            return adapters[ordinal];
        }
        return std::nullopt;
    }

    void LowerCaps(D3DCAPS9* target, UINT proxyOrdinal) const
    {
        std::lock_guard<std::mutex> hold(lock);
        target->AdapterOrdinal = proxyOrdinal;
        if (caps.noSeparateAlphaBlend) {
            target->PrimitiveMiscCaps &= ~static_cast<DWORD>(D3DPMISCCAPS_SEPARATEALPHABLEND);
        }
        if (caps.noWBuffer) {
            target->RasterCaps &= ~static_cast<DWORD>(D3DPRASTERCAPS_WBUFFER);
        }
        if (caps.maxVertexShaderVersion) {
            target->VertexShaderVersion = std::min(target->VertexShaderVersion, *caps.maxVertexShaderVersion);
        }
        if (caps.maxPixelShaderVersion) {
            target->PixelShaderVersion = std::min(target->PixelShaderVersion, *caps.maxPixelShaderVersion);
        }
        target->DevCaps &= ~caps.clearDevCaps;
        target->PrimitiveMiscCaps &= ~caps.clearPrimitiveMiscCaps;
        if (caps.maxTextureWidth) {
            target->MaxTextureWidth = std::min(target->MaxTextureWidth, *caps.maxTextureWidth);
        }
    }
};

namespace {

std::shared_ptr<D3DProxyState> g_activeState;

// Asked of a proxy resource, QueryInterface with its type's id gives the
// real resource (without a reference); real resources do not know these ids.
const GUID kRealBufferId = {0x5a656c6b, 0x4256, 0x4266, {0x80, 0x52, 0x65, 0x61, 0x6c, 0x42, 0x75, 0x66}};
const GUID kRealSurfaceId = {0x5a656c6b, 0x5375, 0x7266, {0x80, 0x52, 0x65, 0x61, 0x6c, 0x53, 0x75, 0x72}};

// A resource handed out in place of a real one: reference counting of its
// own, the resource methods forwarded.  Interface is the resource's
// interface, RealId the id that gives the real one.
template <typename Interface, const GUID* RealId>
class ProxyResource : public Interface {
public:
    // The real resource behind a proxy, or the resource itself.
    static Interface* Real(Interface* resource)
    {
        void* real = nullptr;
        if (resource != nullptr && resource->QueryInterface(*RealId, &real) == S_OK) {
            return static_cast<Interface*>(real);
        }
        return resource;
    }

    HRESULT WINAPI QueryInterface(REFIID riid, void** object) override
    {
        if (!object) {
            return E_POINTER;
        }
        if (riid == *RealId) {
            *object = real_;
            return S_OK;
        }
        if (riid == __uuidof(IUnknown) || riid == __uuidof(IDirect3DResource9) || riid == __uuidof(Interface)) {
            AddRef();
            *object = static_cast<Interface*>(this);
            return S_OK;
        }
        *object = nullptr;
        return E_NOINTERFACE;
    }

    ULONG WINAPI AddRef() override { return static_cast<ULONG>(InterlockedIncrement(&refs_)); }

    ULONG WINAPI Release() override
    {
        const LONG left = InterlockedDecrement(&refs_);
        if (left == 0) {
            real_->Release();
            delete this;
        }
        return static_cast<ULONG>(left);
    }

    HRESULT WINAPI GetDevice(IDirect3DDevice9** device) override { return real_->GetDevice(device); }
    HRESULT WINAPI SetPrivateData(REFGUID guid, const void* data, DWORD size, DWORD flags) override
    {
        return real_->SetPrivateData(guid, data, size, flags);
    }
    HRESULT WINAPI GetPrivateData(REFGUID guid, void* data, DWORD* size) override
    {
        return real_->GetPrivateData(guid, data, size);
    }
    HRESULT WINAPI FreePrivateData(REFGUID guid) override { return real_->FreePrivateData(guid); }
    DWORD WINAPI SetPriority(DWORD priority) override { return real_->SetPriority(priority); }
    DWORD WINAPI GetPriority() override { return real_->GetPriority(); }
    void WINAPI PreLoad() override { real_->PreLoad(); }
    D3DRESOURCETYPE WINAPI GetType() override { return real_->GetType(); }

protected:
    ProxyResource(std::shared_ptr<D3DProxyState> state, Interface* real) : state_(std::move(state)), real_(real) {}
    virtual ~ProxyResource() = default;

    std::shared_ptr<D3DProxyState> state_;
    Interface* real_;

private:
    LONG refs_ = 1;
};

class ProxyVertexBuffer final : public ProxyResource<IDirect3DVertexBuffer9, &kRealBufferId> {
public:
    ProxyVertexBuffer(std::shared_ptr<D3DProxyState> state, IDirect3DVertexBuffer9* real)
        : ProxyResource(std::move(state), real)
    {
    }

    HRESULT WINAPI Lock(UINT offset, UINT size, void** data, DWORD flags) override
    {
        {
            std::lock_guard<std::mutex> hold(state_->lock);
            state_->bufferLocks.push_back({offset, size, flags});
        }
        if (const std::optional<HRESULT> fault = state_->Fault(D3DCall::VertexBuffer_Lock)) {
            return *fault;
        }
        return real_->Lock(offset, size, data, flags);
    }

    HRESULT WINAPI Unlock() override { return real_->Unlock(); }
    HRESULT WINAPI GetDesc(D3DVERTEXBUFFER_DESC* description) override { return real_->GetDesc(description); }
};

class ProxySurface final : public ProxyResource<IDirect3DSurface9, &kRealSurfaceId> {
public:
    ProxySurface(std::shared_ptr<D3DProxyState> state, IDirect3DSurface9* real)
        : ProxyResource(std::move(state), real)
    {
    }

    HRESULT WINAPI GetContainer(REFIID riid, void** container) override
    {
        return real_->GetContainer(riid, container);
    }
    HRESULT WINAPI GetDesc(D3DSURFACE_DESC* description) override { return real_->GetDesc(description); }

    // D3DLOCK_DISCARD is valid only for dynamic resources and never with a
    // rectangle; a runtime that checks refuses it.
    HRESULT WINAPI LockRect(D3DLOCKED_RECT* locked, const RECT* rect, DWORD flags) override
    {
        HRESULT result = D3DERR_INVALIDCALL;
        D3DSURFACE_DESC description = {};
        const bool discardAllowed =
            rect == nullptr && SUCCEEDED(real_->GetDesc(&description)) && (description.Usage & D3DUSAGE_DYNAMIC) != 0;
        if (!(flags & D3DLOCK_DISCARD) || discardAllowed) {
            result = real_->LockRect(locked, rect, flags);
        }
        std::lock_guard<std::mutex> hold(state_->lock);
        state_->surfaceLocks.push_back({rect != nullptr, flags, result});
        return result;
    }

    HRESULT WINAPI UnlockRect() override { return real_->UnlockRect(); }
    HRESULT WINAPI GetDC(HDC* dc) override { return real_->GetDC(dc); }
    HRESULT WINAPI ReleaseDC(HDC dc) override { return real_->ReleaseDC(dc); }
};

// Arguments of a forwarded call as the real device takes them: a proxy
// render target as its real surface, everything else as it is.
template <typename Argument>
Argument RealArgument(Argument argument)
{
    return argument;
}
inline IDirect3DSurface9* RealArgument(IDirect3DSurface9* surface) { return ProxySurface::Real(surface); }

class ProxyDevice final : public IDirect3DDevice9 {
public:
    ProxyDevice(std::shared_ptr<D3DProxyState> state, IDirect3D9* d3d, UINT proxyOrdinal, IDirect3DDevice9* real)
        : state_(std::move(state)), d3d_(d3d), proxyOrdinal_(proxyOrdinal), real_(real)
    {
        d3d_->AddRef();
        ++state_->liveDevices;
        ++state_->devicesCreated;
    }

    HRESULT WINAPI QueryInterface(REFIID riid, void** object) override
    {
        if (!object) {
            return E_POINTER;
        }
        if (riid == __uuidof(IUnknown) || riid == __uuidof(IDirect3DDevice9)) {
            AddRef();
            *object = static_cast<IDirect3DDevice9*>(this);
            return S_OK;
        }
        *object = nullptr;
        return E_NOINTERFACE;
    }

    ULONG WINAPI AddRef() override { return static_cast<ULONG>(InterlockedIncrement(&refs_)); }

    ULONG WINAPI Release() override
    {
        const LONG left = InterlockedDecrement(&refs_);
        if (left == 0) {
            const ULONG realLeft = real_->Release();
            state_->leakedDeviceReferences += static_cast<long>(realLeft);
            d3d_->Release();
            --state_->liveDevices;
            delete this;
        }
        return static_cast<ULONG>(left);
    }

    HRESULT WINAPI GetDirect3D(IDirect3D9** d3d) override
    {
        if (const std::optional<HRESULT> fault = state_->Fault(D3DCall::Device_GetDirect3D)) {
            return *fault;
        }
        if (!d3d) {
            return D3DERR_INVALIDCALL;
        }
        d3d_->AddRef();
        *d3d = d3d_;
        return D3D_OK;
    }

    HRESULT WINAPI GetDeviceCaps(D3DCAPS9* caps) override
    {
        if (const std::optional<HRESULT> fault = state_->Fault(D3DCall::Device_GetDeviceCaps)) {
            return *fault;
        }
        const HRESULT result = real_->GetDeviceCaps(caps);
        if (SUCCEEDED(result)) {
            state_->LowerCaps(caps, proxyOrdinal_);
        }
        return result;
    }

    HRESULT WINAPI GetCreationParameters(D3DDEVICE_CREATION_PARAMETERS* parameters) override
    {
        if (const std::optional<HRESULT> fault = state_->Fault(D3DCall::Device_GetCreationParameters)) {
            return *fault;
        }
        const HRESULT result = real_->GetCreationParameters(parameters);
        if (SUCCEEDED(result)) {
            parameters->AdapterOrdinal = proxyOrdinal_;
        }
        return result;
    }

    HRESULT WINAPI CreateVertexBuffer(UINT length, DWORD usage, DWORD fvf, D3DPOOL pool,
                                      IDirect3DVertexBuffer9** buffer, HANDLE* shared) override
    {
        if (const std::optional<HRESULT> fault = state_->Fault(D3DCall::Device_CreateVertexBuffer)) {
            return *fault;
        }
        if (!buffer) {
            return D3DERR_INVALIDCALL;
        }
        IDirect3DVertexBuffer9* real = nullptr;
        const HRESULT result = real_->CreateVertexBuffer(length, usage, fvf, pool, &real, shared);
        if (FAILED(result) || !real) {
            return FAILED(result) ? result : D3DERR_INVALIDCALL;
        }
        *buffer = new ProxyVertexBuffer(state_, real);
        return result;
    }

    HRESULT WINAPI ProcessVertices(UINT first, UINT target, UINT count, IDirect3DVertexBuffer9* buffer,
                                   IDirect3DVertexDeclaration9* declaration, DWORD flags) override
    {
        if (const std::optional<HRESULT> fault = state_->Fault(D3DCall::Device_ProcessVertices)) {
            return *fault;
        }
        return real_->ProcessVertices(first, target, count, ProxyVertexBuffer::Real(buffer), declaration, flags);
    }

    HRESULT WINAPI SetStreamSource(UINT stream, IDirect3DVertexBuffer9* buffer, UINT offset, UINT stride) override
    {
        if (const std::optional<HRESULT> fault = state_->Fault(D3DCall::Device_SetStreamSource)) {
            return *fault;
        }
        return real_->SetStreamSource(stream, ProxyVertexBuffer::Real(buffer), offset, stride);
    }

    HRESULT WINAPI GetStreamSource(UINT stream, IDirect3DVertexBuffer9** buffer, UINT* offset, UINT* stride) override
    {
        if (const std::optional<HRESULT> fault = state_->Fault(D3DCall::Device_GetStreamSource)) {
            return *fault;
        }
        return real_->GetStreamSource(stream, buffer, offset, stride);
    }

    HRESULT WINAPI CreateRenderTarget(UINT width, UINT height, D3DFORMAT format, D3DMULTISAMPLE_TYPE multiSample,
                                      DWORD quality, WINBOOL lockable, IDirect3DSurface9** surface,
                                      HANDLE* shared) override
    {
        if (const std::optional<HRESULT> fault = state_->Fault(D3DCall::Device_CreateRenderTarget)) {
            return *fault;
        }
        if (!surface) {
            return D3DERR_INVALIDCALL;
        }
        IDirect3DSurface9* real = nullptr;
        const HRESULT result =
            real_->CreateRenderTarget(width, height, format, multiSample, quality, lockable, &real, shared);
        if (FAILED(result) || !real) {
            return FAILED(result) ? result : D3DERR_INVALIDCALL;
        }
        *surface = new ProxySurface(state_, real);
        return result;
    }

// Every other method: count, fail when asked, else forward.
#define ZELK_D3DPROXY_FORWARD(Result, Name, Parameters, Arguments)                        \
    Result WINAPI Name Parameters override                                                \
    {                                                                                     \
        if (const std::optional<HRESULT> fault = state_->Fault(D3DCall::Device_##Name)) { \
            return FaultValue<Result>(*fault);                                            \
        }                                                                                 \
        return [this](auto... arguments) {                                                \
            return real_->Name(RealArgument(arguments)...);                               \
        } Arguments;                                                                      \
    }
    ZELK_D3DPROXY_DEVICE_FORWARDED_CALLS(ZELK_D3DPROXY_FORWARD)
#undef ZELK_D3DPROXY_FORWARD

private:
    ~ProxyDevice() = default;

    LONG refs_ = 1;
    std::shared_ptr<D3DProxyState> state_;
    IDirect3D9* d3d_;
    UINT proxyOrdinal_;
    IDirect3DDevice9* real_;
};

class ProxyDirect3D final : public IDirect3D9 {
public:
    ProxyDirect3D(std::shared_ptr<D3DProxyState> state, IDirect3D9* real) : state_(std::move(state)), real_(real)
    {
        ++state_->liveDirect3D;
        ++state_->direct3DCreated;
    }

    HRESULT WINAPI QueryInterface(REFIID riid, void** object) override
    {
        if (!object) {
            return E_POINTER;
        }
        if (riid == __uuidof(IUnknown) || riid == __uuidof(IDirect3D9)) {
            AddRef();
            *object = static_cast<IDirect3D9*>(this);
            return S_OK;
        }
        *object = nullptr;
        return E_NOINTERFACE;
    }

    ULONG WINAPI AddRef() override { return static_cast<ULONG>(InterlockedIncrement(&refs_)); }

    ULONG WINAPI Release() override
    {
        const LONG left = InterlockedDecrement(&refs_);
        if (left == 0) {
            real_->Release();
            --state_->liveDirect3D;
            delete this;
        }
        return static_cast<ULONG>(left);
    }

    HRESULT WINAPI RegisterSoftwareDevice(void* initialize) override
    {
        if (const std::optional<HRESULT> fault = state_->Fault(D3DCall::Direct3D_RegisterSoftwareDevice)) {
            return *fault;
        }
        return real_->RegisterSoftwareDevice(initialize);
    }

    UINT WINAPI GetAdapterCount() override
    {
        if (state_->Fault(D3DCall::Direct3D_GetAdapterCount)) {
            return 0;
        }
        {
            std::lock_guard<std::mutex> hold(state_->lock);
            if (!state_->adapters.empty()) {
                return static_cast<UINT>(state_->adapters.size());
            }
        }
        return real_->GetAdapterCount();
    }

    HRESULT WINAPI GetAdapterIdentifier(UINT adapter, DWORD flags, D3DADAPTER_IDENTIFIER9* identifier) override
    {
        if (const std::optional<HRESULT> fault = state_->Fault(D3DCall::Direct3D_GetAdapterIdentifier)) {
            return *fault;
        }
        const std::optional<D3DProxyAdapter> mapped = state_->Map(adapter);
        if (!mapped) {
            return D3DERR_INVALIDCALL;
        }
        const HRESULT result = real_->GetAdapterIdentifier(mapped->realOrdinal, flags, identifier);
        if (SUCCEEDED(result) && !mapped->description.empty()) {
            std::memset(identifier->Description, 0, sizeof identifier->Description);
            std::strncpy(identifier->Description, mapped->description.c_str(),
                         sizeof identifier->Description - 1);
        }
        return result;
    }

    UINT WINAPI GetAdapterModeCount(UINT adapter, D3DFORMAT format) override
    {
        if (state_->Fault(D3DCall::Direct3D_GetAdapterModeCount)) {
            return 0;
        }
        const std::optional<D3DProxyAdapter> mapped = state_->Map(adapter);
        if (!mapped || state_->Unsupported(format)) {
            return 0;
        }
        std::vector<D3DDISPLAYMODE> modes;
        if (state_->ModesOf(format, &modes)) {
            return static_cast<UINT>(modes.size());
        }
        return real_->GetAdapterModeCount(mapped->realOrdinal, format);
    }

    HRESULT WINAPI EnumAdapterModes(UINT adapter, D3DFORMAT format, UINT mode, D3DDISPLAYMODE* displayMode) override
    {
        if (const std::optional<HRESULT> fault = state_->Fault(D3DCall::Direct3D_EnumAdapterModes)) {
            return *fault;
        }
        const std::optional<D3DProxyAdapter> mapped = state_->Map(adapter);
        if (!mapped || state_->Unsupported(format)) {
            return D3DERR_INVALIDCALL;
        }
        std::vector<D3DDISPLAYMODE> modes;
        if (state_->ModesOf(format, &modes)) {
            if (mode >= modes.size() || !displayMode) {
                return D3DERR_INVALIDCALL;
            }
            *displayMode = modes[mode];
            return D3D_OK;
        }
        return real_->EnumAdapterModes(mapped->realOrdinal, format, mode, displayMode);
    }

    HRESULT WINAPI GetAdapterDisplayMode(UINT adapter, D3DDISPLAYMODE* displayMode) override
    {
        if (const std::optional<HRESULT> fault = state_->Fault(D3DCall::Direct3D_GetAdapterDisplayMode)) {
            return *fault;
        }
        const std::optional<D3DProxyAdapter> mapped = state_->Map(adapter);
        if (!mapped) {
            return D3DERR_INVALIDCALL;
        }
        return real_->GetAdapterDisplayMode(mapped->realOrdinal, displayMode);
    }

    HRESULT WINAPI CheckDeviceType(UINT adapter, D3DDEVTYPE deviceType, D3DFORMAT displayFormat,
                                   D3DFORMAT backBufferFormat, WINBOOL windowed) override
    {
        if (const std::optional<HRESULT> fault = state_->Fault(D3DCall::Direct3D_CheckDeviceType)) {
            return *fault;
        }
        const std::optional<D3DProxyAdapter> mapped = state_->Map(adapter);
        if (!mapped) {
            return D3DERR_INVALIDCALL;
        }
        if (mapped->unusable || (windowed && mapped->noWindowedFormats) ||
            state_->AnyUnsupported(displayFormat, backBufferFormat)) {
            return D3DERR_NOTAVAILABLE;
        }
        return real_->CheckDeviceType(mapped->realOrdinal, deviceType, displayFormat, backBufferFormat, windowed);
    }

    HRESULT WINAPI CheckDeviceFormat(UINT adapter, D3DDEVTYPE deviceType, D3DFORMAT adapterFormat, DWORD usage,
                                     D3DRESOURCETYPE resourceType, D3DFORMAT checkFormat) override
    {
        if (const std::optional<HRESULT> fault = state_->Fault(D3DCall::Direct3D_CheckDeviceFormat)) {
            return *fault;
        }
        const std::optional<D3DProxyAdapter> mapped = state_->Map(adapter);
        if (!mapped) {
            return D3DERR_INVALIDCALL;
        }
        if (mapped->unusable || ((usage & D3DUSAGE_DEPTHSTENCIL) && mapped->noDepthFormats) ||
            state_->AnyUnsupported(adapterFormat, checkFormat)) {
            return D3DERR_NOTAVAILABLE;
        }
        return real_->CheckDeviceFormat(mapped->realOrdinal, deviceType, adapterFormat, usage, resourceType,
                                        checkFormat);
    }

    HRESULT WINAPI CheckDeviceMultiSampleType(UINT adapter, D3DDEVTYPE deviceType, D3DFORMAT surfaceFormat,
                                              WINBOOL windowed, D3DMULTISAMPLE_TYPE multiSampleType,
                                              DWORD* qualityLevels) override
    {
        if (const std::optional<HRESULT> fault = state_->Fault(D3DCall::Direct3D_CheckDeviceMultiSampleType)) {
            return *fault;
        }
        const std::optional<D3DProxyAdapter> mapped = state_->Map(adapter);
        if (!mapped) {
            return D3DERR_INVALIDCALL;
        }
        if (mapped->unusable || state_->Unsupported(surfaceFormat)) {
            return D3DERR_NOTAVAILABLE;
        }
        return real_->CheckDeviceMultiSampleType(mapped->realOrdinal, deviceType, surfaceFormat, windowed,
                                                 multiSampleType, qualityLevels);
    }

    HRESULT WINAPI CheckDepthStencilMatch(UINT adapter, D3DDEVTYPE deviceType, D3DFORMAT adapterFormat,
                                          D3DFORMAT renderTargetFormat, D3DFORMAT depthStencilFormat) override
    {
        if (const std::optional<HRESULT> fault = state_->Fault(D3DCall::Direct3D_CheckDepthStencilMatch)) {
            return *fault;
        }
        const std::optional<D3DProxyAdapter> mapped = state_->Map(adapter);
        if (!mapped) {
            return D3DERR_INVALIDCALL;
        }
        if (mapped->unusable || mapped->noDepthFormats ||
            state_->AnyUnsupported(adapterFormat, renderTargetFormat) || state_->Unsupported(depthStencilFormat)) {
            return D3DERR_NOTAVAILABLE;
        }
        return real_->CheckDepthStencilMatch(mapped->realOrdinal, deviceType, adapterFormat, renderTargetFormat,
                                             depthStencilFormat);
    }

    HRESULT WINAPI CheckDeviceFormatConversion(UINT adapter, D3DDEVTYPE deviceType, D3DFORMAT sourceFormat,
                                               D3DFORMAT targetFormat) override
    {
        if (const std::optional<HRESULT> fault = state_->Fault(D3DCall::Direct3D_CheckDeviceFormatConversion)) {
            return *fault;
        }
        const std::optional<D3DProxyAdapter> mapped = state_->Map(adapter);
        if (!mapped) {
            return D3DERR_INVALIDCALL;
        }
        if (mapped->unusable || state_->AnyUnsupported(sourceFormat, targetFormat)) {
            return D3DERR_NOTAVAILABLE;
        }
        return real_->CheckDeviceFormatConversion(mapped->realOrdinal, deviceType, sourceFormat, targetFormat);
    }

    HRESULT WINAPI GetDeviceCaps(UINT adapter, D3DDEVTYPE deviceType, D3DCAPS9* caps) override
    {
        if (const std::optional<HRESULT> fault = state_->Fault(D3DCall::Direct3D_GetDeviceCaps)) {
            return *fault;
        }
        const std::optional<D3DProxyAdapter> mapped = state_->Map(adapter);
        if (!mapped) {
            return D3DERR_INVALIDCALL;
        }
        const HRESULT result = real_->GetDeviceCaps(mapped->realOrdinal, deviceType, caps);
        if (SUCCEEDED(result)) {
            state_->LowerCaps(caps, adapter);
        }
        return result;
    }

    HMONITOR WINAPI GetAdapterMonitor(UINT adapter) override
    {
        if (state_->Fault(D3DCall::Direct3D_GetAdapterMonitor)) {
            return nullptr;
        }
        const std::optional<D3DProxyAdapter> mapped = state_->Map(adapter);
        return mapped ? real_->GetAdapterMonitor(mapped->realOrdinal) : nullptr;
    }

    HRESULT WINAPI CreateDevice(UINT adapter, D3DDEVTYPE deviceType, HWND focusWindow, DWORD behaviorFlags,
                                D3DPRESENT_PARAMETERS* present, IDirect3DDevice9** device) override
    {
        {
            std::lock_guard<std::mutex> hold(state_->lock);
            D3DProxyDeviceRequest request;
            request.adapter = adapter;
            request.deviceType = deviceType;
            request.focusWindow = focusWindow;
            request.behaviorFlags = behaviorFlags;
            if (present) {
                request.present = *present;
            }
            state_->lastRequest = request;
        }
        if (const std::optional<HRESULT> fault = state_->Fault(D3DCall::Direct3D_CreateDevice)) {
            return *fault;
        }
        const std::optional<D3DProxyAdapter> mapped = state_->Map(adapter);
        if (!mapped) {
            return D3DERR_INVALIDCALL;
        }
        if (mapped->unusable) {
            return D3DERR_NOTAVAILABLE;
        }
        IDirect3DDevice9* real = nullptr;
        const HRESULT result =
            real_->CreateDevice(mapped->realOrdinal, deviceType, focusWindow, behaviorFlags, present, &real);
        if (FAILED(result) || !real) {
            return FAILED(result) ? result : D3DERR_INVALIDCALL;
        }
        *device = new ProxyDevice(state_, this, adapter, real);
        return result;
    }

private:
    ~ProxyDirect3D() = default;

    LONG refs_ = 1;
    std::shared_ptr<D3DProxyState> state_;
    IDirect3D9* real_;
};

IDirect3D9* WINAPI ProxyDirect3DCreate9(UINT sdkVersion)
{
    const std::shared_ptr<D3DProxyState> state = g_activeState;
    if (!state) {
        return Direct3DCreate9(sdkVersion);
    }
    if (state->Fault(D3DCall::Direct3DCreate9)) {
        return nullptr;
    }
    IDirect3D9* real = Direct3DCreate9(sdkVersion);
    if (!real) {
        return nullptr;
    }
    return new ProxyDirect3D(state, real);
}

}  // namespace

const char* D3DCallName(D3DCall call)
{
    const size_t index = static_cast<size_t>(call);
    return index < kCallCount ? kCallNames[index] : "";
}

D3DProxy::D3DProxy() : state_(std::make_shared<D3DProxyState>())
{
    g_activeState = state_;
    previous_ = zelk::SetDirect3DCreateFunction(&ProxyDirect3DCreate9);
}

D3DProxy::~D3DProxy()
{
    zelk::SetDirect3DCreateFunction(previous_);
    g_activeState.reset();
}

void D3DProxy::FailCall(D3DCall call, HRESULT result, UINT nth)
{
    std::lock_guard<std::mutex> hold(state_->lock);
    state_->rules.push_back({call, result, nth, 0});
}

void D3DProxy::FailCall(const std::string& name, HRESULT result, UINT nth)
{
    D3DCall match = D3DCall::Count;
    int matches = 0;
    for (size_t index = 0; index < kCallCount; ++index) {
        const std::string full = kCallNames[index];
        const size_t colons = full.find("::");
        const std::string bare = colons == std::string::npos ? full : full.substr(colons + 2);
        if (name == full || name == bare) {
            match = static_cast<D3DCall>(index);
            ++matches;
        }
    }
    if (matches != 1) {
        throw std::invalid_argument("D3DProxy::FailCall: unknown or ambiguous call name " + name);
    }
    FailCall(match, result, nth);
}

void D3DProxy::ClearFaults()
{
    std::lock_guard<std::mutex> hold(state_->lock);
    state_->rules.clear();
}

void D3DProxy::SetCaps(const D3DProxyCaps& caps)
{
    std::lock_guard<std::mutex> hold(state_->lock);
    state_->caps = caps;
}

void D3DProxy::SetUnsupportedFormats(const std::set<D3DFORMAT>& formats)
{
    std::lock_guard<std::mutex> hold(state_->lock);
    state_->unsupported = formats;
}

void D3DProxy::SetAdapters(const std::vector<D3DProxyAdapter>& adapters)
{
    std::lock_guard<std::mutex> hold(state_->lock);
    state_->adapters = adapters;
}

void D3DProxy::SetDisplayModes(const std::vector<D3DDISPLAYMODE>& modes)
{
    std::lock_guard<std::mutex> hold(state_->lock);
    state_->modes = modes;
}

UINT D3DProxy::CallCount(D3DCall call) const
{
    std::lock_guard<std::mutex> hold(state_->lock);
    const size_t index = static_cast<size_t>(call);
    return index < kCallCount ? state_->counts[index] : 0;
}

std::vector<D3DProxyBufferLock> D3DProxy::VertexBufferLocks() const
{
    std::lock_guard<std::mutex> hold(state_->lock);
    return state_->bufferLocks;
}

void D3DProxy::ClearVertexBufferLocks()
{
    std::lock_guard<std::mutex> hold(state_->lock);
    state_->bufferLocks.clear();
}

std::vector<D3DProxySurfaceLock> D3DProxy::SurfaceLocks() const
{
    std::lock_guard<std::mutex> hold(state_->lock);
    return state_->surfaceLocks;
}

void D3DProxy::ClearSurfaceLocks()
{
    std::lock_guard<std::mutex> hold(state_->lock);
    state_->surfaceLocks.clear();
}

std::optional<D3DProxyDeviceRequest> D3DProxy::LastDeviceRequest() const
{
    std::lock_guard<std::mutex> hold(state_->lock);
    return state_->lastRequest;
}

long D3DProxy::LiveDirect3D() const { return state_->liveDirect3D; }
long D3DProxy::LiveDevices() const { return state_->liveDevices; }
long D3DProxy::Direct3DCreated() const { return state_->direct3DCreated; }
long D3DProxy::DevicesCreated() const { return state_->devicesCreated; }
long D3DProxy::LeakedDeviceReferences() const { return state_->leakedDeviceReferences; }

IDirect3D9Ptr D3DProxy::CreateDirect3D() const
{
    IDirect3D9Ptr d3d;
    d3d.Attach(zelk::CreateDirect3D(D3D_SDK_VERSION));
    return d3d;
}

IDirect3DDevice9Ptr D3DProxy::CreateWindowedDevice(HWND window, UINT width, UINT height) const
{
    IDirect3DDevice9Ptr device;
    IDirect3D9Ptr d3d = CreateDirect3D();
    if (!d3d) {
        return device;
    }
    CreateTestDevice(d3d, window, width, height, device);
    return device;
}

}  // namespace zelktest
