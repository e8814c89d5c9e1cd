#include "lfb/ZelkGrLfbAccessor.h"

#include <algorithm>
#include <cstring>

#include "framework/ZelkException.h"

namespace zelk {

const D3DFORMAT kLfbConversionFormats[kLfbConversionFormatCount] = {
    D3DFMT_R5G6B5, D3DFMT_X1R5G5B5, D3DFMT_A1R5G5B5,
    D3DFMT_X8R8G8B8, D3DFMT_A8R8G8B8, D3DFMT_X8B8G8R8,
};

void ConvertTexelNone(const ZelkGrLfbAccessor*, const void*, void*) {}
void ConvertRectNone(const ZelkGrLfbAccessor*, const void*, const RECT*, int, void*, const POINT*,
                     int) {}

namespace {

const char* const kThrowerConstructor = "ZelkGrLfbAccessor::ZelkGrLfbAccessor";
const char* const kMessageCreateOffscreen =
    "The function [ IDirect3DDevice9::CreateOffscreenPlainSurface ] failed.";
const char* const kMessageGetBackBuffer = "The function [ IDirect3DDevice9::GetBackBuffer ] failed.";
const char* const kMessageGetDepthStencil =
    "The function [ IDirect3DDevice9::GetDepthStencilSurface ] failed.";

void ThrowIfFailed(HRESULT hr, const char* thrower, const char* message) {
    if (FAILED(hr)) {
        throw ZelkException(thrower, hr, message);
    }
}

}  // namespace

// ---------------------------------------------------------------------------
// Surface holder and lock record

ZelkLockedSurfaceHolder::ZelkLockedSurfaceHolder(const ZelkLockedSurfaceHolder& other) {
    Reset(other.surface_);
}

ZelkLockedSurfaceHolder& ZelkLockedSurfaceHolder::operator=(const ZelkLockedSurfaceHolder& other) {
    if (this != &other) {
        Reset(other.surface_);
    }
    return *this;
}

ZelkLockedSurfaceHolder::~ZelkLockedSurfaceHolder() {
    Reset();
}

void ZelkLockedSurfaceHolder::Reset(IDirect3DSurface9* surface) {
    if (surface) {
        surface->AddRef();
    }
    UnlockRect();
    if (surface_) {
        surface_->Release();
    }
    surface_ = surface;
}

HRESULT ZelkLockedSurfaceHolder::LockRect(D3DLOCKED_RECT* locked, const RECT* rect, DWORD flags) {
    const HRESULT hr = surface_->LockRect(locked, rect, flags);
    locked_ = SUCCEEDED(hr);
    readOnly_ = (flags & D3DLOCK_READONLY) != 0;
    return hr;
}

void ZelkLockedSurfaceHolder::UnlockRect() {
    if (locked_ && surface_) {
        surface_->UnlockRect();
    }
    locked_ = false;
}

ZelkGrLfbLockRecord::ZelkGrLfbLockRecord(const ZelkGrLfbLockRecord& other) {
    *this = other;
}

ZelkGrLfbLockRecord& ZelkGrLfbLockRecord::operator=(const ZelkGrLfbLockRecord& other) {
    if (this == &other) {
        return *this;
    }
    writeMode = other.writeMode;
    origin = other.origin;
    kind = other.kind;
    stride = other.stride;
    pixelPipeline = other.pixelPipeline;
    rect = other.rect;
    surface = other.surface;
    bytes = other.bytes;
    // A software copy points into its own bytes; a surface pointer stays.
    if (other.lfbPointer && !other.bytes.empty() && other.lfbPointer == other.bytes.data()) {
        lfbPointer = bytes.data();
    } else {
        lfbPointer = other.lfbPointer;
    }
    return *this;
}

void ZelkGrLfbLockRecord::Reset() {
    *this = ZelkGrLfbLockRecord();
}

// ---------------------------------------------------------------------------
// Construction

ZelkGrLfbAccessor::ZelkGrLfbAccessor(IDirect3DDevice9* device_, uint32_t width_, uint32_t height_,
                                     GrColorFormat_t colorFormat_,
                                     const ZelkGrLfbSettings& settings)
    : readFront(settings.readFront),
      readBack(settings.readBack),
      readDepth(settings.readDepth),
      writeFront(settings.writeFront),
      writeBack(settings.writeBack),
      writeDepth(settings.writeDepth),
      device(device_),
      width(width_),
      height(height_),
      colorFormat(uint32_t(colorFormat_)) {
    if (device) {
        try {
            Probe();
        } catch (ZelkException& e) {
            WriteErrorLog(e);
            throw;
        }
    }
}

void ZelkGrLfbAccessor::Probe() {
    // Front buffer readable?
    bool frontReadable = false;
    {
        D3DDISPLAYMODE mode = {};
        if (FAILED(device->GetDisplayMode(0, &mode))) {
            mode.Width = mode.Height = 0;
        }
        IDirect3DSurface9Ptr scratch;
        ThrowIfFailed(device->CreateOffscreenPlainSurface(mode.Width, mode.Height, D3DFMT_A8R8G8B8,
                                                          D3DPOOL_SCRATCH, &scratch, nullptr),
                      kThrowerConstructor, kMessageCreateOffscreen);
        frontReadable = SUCCEEDED(device->GetFrontBufferData(0, scratch));
    }

    bool backLockable = false;
    {
        IDirect3DSurface9Ptr back;
        ThrowIfFailed(device->GetBackBuffer(0, 0, D3DBACKBUFFER_TYPE_MONO, &back),
                      kThrowerConstructor, kMessageGetBackBuffer);
        D3DSURFACE_DESC desc = {};
        back->GetDesc(&desc);
        IDirect3D9Ptr d3d;
        D3DDEVICE_CREATION_PARAMETERS params = {};
        D3DDISPLAYMODE mode = {};
        if (SUCCEEDED(device->GetDirect3D(&d3d)) && SUCCEEDED(device->GetCreationParameters(&params)) &&
            SUCCEEDED(device->GetDisplayMode(0, &mode))) {
            for (uint32_t i = 0; i < kLfbConversionFormatCount; ++i) {
                const D3DFORMAT format = kLfbConversionFormats[i];
                if (format == desc.Format) {
                    continue;
                }
                // Only a conversion the device confirms both ways counts, and
                // only into a format it can make render targets of.
                canConvert[i] =
                    SUCCEEDED(d3d->CheckDeviceFormatConversion(params.AdapterOrdinal, params.DeviceType,
                                                               desc.Format, format)) &&
                    SUCCEEDED(d3d->CheckDeviceFormatConversion(params.AdapterOrdinal, params.DeviceType,
                                                               format, desc.Format)) &&
                    SUCCEEDED(d3d->CheckDeviceFormat(params.AdapterOrdinal, params.DeviceType, mode.Format,
                                                     D3DUSAGE_RENDERTARGET, D3DRTYPE_SURFACE, format));
            }
        }
        D3DLOCKED_RECT locked;
        if (SUCCEEDED(back->LockRect(&locked, nullptr, 0))) {
            back->UnlockRect();
            backLockable = true;
        }
    }

    bool depthLockable = false;
    {
        IDirect3DSurface9Ptr depth;
        ThrowIfFailed(device->GetDepthStencilSurface(&depth), kThrowerConstructor,
                      kMessageGetDepthStencil);
        D3DLOCKED_RECT locked;
        if (SUCCEEDED(depth->LockRect(&locked, nullptr, 0))) {
            depth->UnlockRect();
            depthLockable = true;
        }
    }

    readFront = readFront && frontReadable;
    readBack = readBack && backLockable;
    readDepth = readDepth && depthLockable;
    writeFront = 0;
    writeBack = writeBack && backLockable;
    writeDepth = writeDepth && depthLockable;
}

uint32_t ZelkGrLfbAccessor::BytesPerPixel(uint32_t writeMode) {
    switch (writeMode) {
    case GR_LFBWRITEMODE_565:
    case GR_LFBWRITEMODE_555:
    case GR_LFBWRITEMODE_1555:
    case GR_LFBWRITEMODE_RESERVED1:
    case GR_LFBWRITEMODE_ZA16:
    case GR_LFBWRITEMODE_ANY:
        return 2;
    case GR_LFBWRITEMODE_888:
    case GR_LFBWRITEMODE_8888:
    case GR_LFBWRITEMODE_565_DEPTH:
    case GR_LFBWRITEMODE_555_DEPTH:
    case GR_LFBWRITEMODE_1555_DEPTH:
        return 4;
    default:
        return 0;
    }
}

const ZelkGrLfbLockRecord* ZelkGrLfbAccessor::FindHeldLock(IDirect3DSurface9* surface) const {
    for (const auto& record : lockRecords) {
        if (record.kind == kLfbKindSurface && record.surface.Get() == surface &&
            record.surface.IsLocked()) {
            return &record;
        }
    }
    return nullptr;
}

}  // namespace zelk
