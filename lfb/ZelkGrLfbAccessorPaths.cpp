// The two ways of serving a frame-buffer lock: a locked Direct3D surface
// handed out as it is (surface LFB), or a copy in system memory converted
// from and back into the surfaces (software LFB).
#include <algorithm>
#include <string>

#include "framework/ZelkD3DFormats.h"
#include "framework/ZelkException.h"
#include "lfb/ZelkGrLfbAccessor.h"

namespace zelk {

namespace {

const char* const kThrowerCreateSurface = "ZelkGrLfbAccessor::CreateSurfaceLFB";
const char* const kThrowerReleaseSurface = "ZelkGrLfbAccessor::ReleaseSurfaceLFB";
const char* const kThrowerCreateSoftware = "ZelkGrLfbAccessor::CreateSoftwareLFB";
const char* const kThrowerLoadSoftware = "ZelkGrLfbAccessor::LoadSurfaceFromSoftwareLFB";

const char* const kMessageGetDepthStencil =
    "The function [ IDirect3DDevice9::GetDepthStencilSurface ] failed.";
const char* const kMessageGetBackBuffer = "The function [ IDirect3DDevice9::GetBackBuffer ] failed.";
const char* const kMessageCreateRenderTarget =
    "The function [ IDirect3DDevice9::CreateRenderTarget ] failed.";
const char* const kMessageStretchRect = "The function [ IDirect3DDevice9::StretchRect ] failed.";
const char* const kMessageLockRect = "The function [ IDirect3DSurface9::LockRect ] failed.";
const char* const kMessageFrontCopy =
    "Either the function [ IDirect3DDevice9::CreateOffscreenPlainSurface ] or the function [ "
    "IDirect3DDevice9::GetFrontBufferData ] failed.";
const char* const kMessageRescaleFill =
    "Either the function [ IDirect3DDevice9::CreateOffscreenPlainSurface ] or the function [ "
    "D3DXLoadSurfaceFromSurface ] failed.";
const char* const kMessageCreateOffscreen =
    "The function [ IDirect3DDevice9::CreateOffscreenPlainSurface ] failed.";
const char* const kMessageLoadSurface = "The function [ D3DXLoadSurfaceFromSurface ] failed.";
const char* const kMessageNoConversionBegin = "The surface format [ D3DFORMAT ";
const char* const kMessageNoConversionEnd = " ] has no frame-buffer conversion.";
const char* const kMessageNoAlphaBitsEnd = " ] cannot hold the alpha buffer.";
const char* const kMessageHeldReadOnly =
    "The surface to write is locked read-only by an open frame-buffer read lock.";

void ThrowIfFailed(HRESULT hr, const char* thrower, const char* message) {
    if (FAILED(hr)) {
        throw ZelkException(thrower, hr, message);
    }
}

// A colour surface whose format no converter covers (a 24-bit back buffer,
// for one) cannot take part in a software LFB of a mode that carries colour:
// the lock or region call fails instead of handing out or writing nothing.
// The same for the alpha buffer's pixels written into a surface without
// alpha bits.  ZA16 carries no colour: a surface without converters stays
// as it is.
void ThrowIfNoColourConversion(const IDirect3DSurface9Ptr& surface, bool converterFound, uint32_t writeMode,
                               bool writing, D3DFORMAT format, const char* thrower) {
    if (!surface || converterFound || writeMode == GR_LFBWRITEMODE_ZA16) {
        return;
    }
    const bool alphaOnly = writing && writeMode == GR_LFBWRITEMODE_RESERVED1;
    throw ZelkException(thrower, false,
                        kMessageNoConversionBegin + std::to_string(unsigned(format)) +
                            (alphaOnly ? kMessageNoAlphaBitsEnd : kMessageNoConversionEnd));
}

// Write modes whose pixels hold depth: the RGB:DEPTH modes and ZA16.
bool CarriesDepth(uint32_t writeMode) {
    return writeMode == GR_LFBWRITEMODE_565_DEPTH || writeMode == GR_LFBWRITEMODE_555_DEPTH ||
           writeMode == GR_LFBWRITEMODE_1555_DEPTH || writeMode == GR_LFBWRITEMODE_ZA16;
}

// The rectangle cut to the Glide screen (empty when it lies outside).
RECT ClipToScreen(const RECT* rect, uint32_t W, uint32_t H) {
    RECT r;
    r.left = LONG(std::clamp<int64_t>(rect->left, 0, W));
    r.top = LONG(std::clamp<int64_t>(rect->top, 0, H));
    r.right = LONG(std::clamp<int64_t>(rect->right, r.left, W));
    r.bottom = LONG(std::clamp<int64_t>(rect->bottom, r.top, H));
    return r;
}

// The rectangle scaled from the Glide screen to a surface of another size.
RECT ScaleRect(const RECT& r, uint32_t W, uint32_t H, UINT surfaceWidth, UINT surfaceHeight) {
    if (W == surfaceWidth && H == surfaceHeight) {
        return r;
    }
    const double sx = double(surfaceWidth) / W;
    const double sy = double(surfaceHeight) / H;
    return RECT{LONG(r.left * sx), LONG(r.top * sy), LONG(r.right * sx), LONG(r.bottom * sy)};
}

// A rectangle of a surface made addressable: locked here, or taken from the
// lock a record of the accessor already holds on that surface.  The bits
// point at the rectangle's top-left pixel.  A read-only lock is not written
// through: writing a surface that a read lock holds fails.
class SurfaceAccess {
public:
    SurfaceAccess(const ZelkGrLfbAccessor& accessor, IDirect3DSurface9* surface, D3DFORMAT format,
                  const RECT& rect, DWORD flags, const char* thrower)
        : surface_(surface) {
        if (const ZelkGrLfbLockRecord* held = accessor.FindHeldLock(surface)) {
            if (held->surface.IsLockedReadOnly() && !(flags & D3DLOCK_READONLY)) {
                throw ZelkException(thrower, false, kMessageHeldReadOnly);
            }
            const UINT bpp = GetFormatBytesPerPixel(format);
            bits = held->lfbPointer + ptrdiff_t(rect.top - held->rect.top) * held->stride +
                   ptrdiff_t(rect.left - held->rect.left) * bpp;
            pitch = held->stride;
            return;
        }
        D3DLOCKED_RECT locked;
        ThrowIfFailed(surface->LockRect(&locked, &rect, flags), thrower, kMessageLockRect);
        lockedHere_ = true;
        bits = static_cast<uint8_t*>(locked.pBits);
        pitch = locked.Pitch;
    }
    ~SurfaceAccess() {
        if (lockedHere_) {
            surface_->UnlockRect();
        }
    }
    SurfaceAccess(const SurfaceAccess&) = delete;
    SurfaceAccess& operator=(const SurfaceAccess&) = delete;

    uint8_t* bits = nullptr;
    int pitch = 0;

private:
    IDirect3DSurface9* surface_;
    bool lockedHere_ = false;
};

// The description of a surface; all zero without one.
D3DSURFACE_DESC DescriptionOf(const IDirect3DSurface9Ptr& surface) {
    D3DSURFACE_DESC desc = {};
    if (surface) {
        surface->GetDesc(&desc);
    }
    return desc;
}

// One surface a software LFB converts from or into: the colour surface or
// the depth surface, with the converters set up for it.
struct ConversionPass {
    IDirect3DSurface9Ptr surface;
    D3DSURFACE_DESC desc;
    bool ok;
    LfbPixelConverter pixel;
    LfbRowConverter row;

    bool Runs() const { return surface && ok && pixel != ConvertTexelNone; }
};

// A scratch copy, at the Glide screen's size, of a surface of another size.
IDirect3DSurface9Ptr ScreenSizedCopy(IDirect3DDevice9* device, IDirect3DSurface9* surface, D3DFORMAT format,
                                     uint32_t width, uint32_t height, const char* thrower,
                                     const char* createMessage, const char* loadMessage) {
    IDirect3DSurface9Ptr scratch;
    ThrowIfFailed(device->CreateOffscreenPlainSurface(width, height, format, D3DPOOL_SCRATCH, &scratch, nullptr),
                  thrower, createMessage);
    ThrowIfFailed(D3DXLoadSurfaceFromSurface(scratch, nullptr, nullptr, surface, nullptr, nullptr,
                                             D3DX_FILTER_TRIANGLE, 0),
                  thrower, loadMessage);
    return scratch;
}

// The two passes of a software LFB, the colour surface's and then the depth
// surface's: fetches the depth-stencil surface when the direction's switch
// allows, describes both surfaces and asks the direction's pickers for their
// converters.  A colour surface that no converter covers fails the call for
// a mode that carries colour.  A colour buffer written in a mode without
// depth keeps its depth; the depth buffer written in such a mode takes the
// constant depth.  The caller passes no colour surface where the colour
// stays as it is.
void SetUpPasses(ZelkGrLfbAccessor& accessor, bool writing, uint32_t recordIndex, uint32_t writeMode,
                 const IDirect3DSurface9Ptr& color, const char* thrower, ConversionPass (&passes)[2]) {
    IDirect3DSurface9Ptr depth;
    if (writing ? accessor.writeDepth : accessor.readDepth) {
        ThrowIfFailed(accessor.device->GetDepthStencilSurface(&depth), thrower, kMessageGetDepthStencil);
    }
    const D3DSURFACE_DESC colorDesc = DescriptionOf(color);
    const D3DSURFACE_DESC depthDesc = DescriptionOf(depth);
    const uint32_t colorFormat = color ? uint32_t(colorDesc.Format) : 0u;
    const uint32_t depthFormat = depth ? uint32_t(depthDesc.Format) : 0u;

    const bool colorOk = writing ? accessor.SetupWriteConverter(writeMode, accessor.colorFormat, colorFormat)
                                 : accessor.SetupReadConverter(writeMode, accessor.colorFormat, colorFormat);
    ThrowIfNoColourConversion(color, colorOk, writeMode, writing, colorDesc.Format, thrower);
    const bool keepDepth = writing && recordIndex != kLfbRecordDepth && !CarriesDepth(writeMode);
    const bool depthOk = !keepDepth && (writing ? accessor.SetupWriteDepthConverter(writeMode, depthFormat)
                                                : accessor.SetupReadDepthConverter(writeMode, depthFormat));
    passes[0] = {color, colorDesc, colorOk, accessor.colorPixelConverter, accessor.colorRowConverter};
    passes[1] = {depth, depthDesc, depthOk, accessor.depthPixelConverter, accessor.depthRowConverter};
}

// Write-lock formats of the back buffer: the format that holds the write
// mode's pixels as they are, and the back-buffer formats whose memory can be
// handed out for it.
struct TargetFormat {
    D3DFORMAT wanted;
    D3DFORMAT asIs1;
    D3DFORMAT asIs2;
};

bool WriteTargetFormat(uint32_t colorFormat, uint32_t writeMode, TargetFormat* target) {
    if (colorFormat == GR_COLORFORMAT_ARGB) {
        switch (writeMode) {
        case GR_LFBWRITEMODE_565: *target = {D3DFMT_R5G6B5, D3DFMT_R5G6B5, D3DFMT_R5G6B5}; return true;
        case GR_LFBWRITEMODE_555: *target = {D3DFMT_X1R5G5B5, D3DFMT_X1R5G5B5, D3DFMT_X1R5G5B5}; return true;
        case GR_LFBWRITEMODE_1555: *target = {D3DFMT_A1R5G5B5, D3DFMT_A1R5G5B5, D3DFMT_X1R5G5B5}; return true;
        case GR_LFBWRITEMODE_888: *target = {D3DFMT_X8R8G8B8, D3DFMT_X8R8G8B8, D3DFMT_X8R8G8B8}; return true;
        case GR_LFBWRITEMODE_8888: *target = {D3DFMT_A8R8G8B8, D3DFMT_A8R8G8B8, D3DFMT_X8R8G8B8}; return true;
        default: return false;
        }
    }
    if (colorFormat == GR_COLORFORMAT_RGBA && writeMode == GR_LFBWRITEMODE_565) {
        *target = {D3DFMT_R5G6B5, D3DFMT_R5G6B5, D3DFMT_R5G6B5};
        return true;
    }
    return false;
}

int ConversionIndex(D3DFORMAT format) {
    for (uint32_t i = 0; i < kLfbConversionFormatCount; ++i) {
        if (kLfbConversionFormats[i] == format) {
            return int(i);
        }
    }
    return -1;
}

}  // namespace

// ---------------------------------------------------------------------------
// Surface LFB

IDirect3DSurface9* ZelkGrLfbAccessor::ConversionTarget(uint32_t index) {
    IDirect3DSurface9Ptr& slot = conversionTargets[index];
    if (slot) {
        const D3DSURFACE_DESC desc = DescriptionOf(slot);
        bool held = false;
        for (const ZelkGrLfbLockRecord& record : lockRecords) {
            held = held || record.surface.Get() == slot.GetInterfacePtr();
        }
        if (!held && desc.Width == width && desc.Height == height &&
            desc.Format == kLfbConversionFormats[index]) {
            return slot;
        }
    }
    slot = nullptr;
    ThrowIfFailed(device->CreateRenderTarget(width, height, kLfbConversionFormats[index], D3DMULTISAMPLE_NONE, 0,
                                             TRUE, &slot, nullptr),
                  kThrowerCreateSurface, kMessageCreateRenderTarget);
    return slot;
}

bool ZelkGrLfbAccessor::CreateSurfaceLFB(uint32_t lockType, uint32_t recordIndex, const RECT* rect,
                                         ZelkGrLfbLockRecord& record, bool overwritesRect) {
    if (recordIndex == kLfbRecordFront || recordIndex == kLfbRecordAlpha ||
        recordIndex >= kLfbRecordCount || record.origin != GR_ORIGIN_UPPER_LEFT) {
        return false;
    }
    try {
        const RECT clipped = ClipToScreen(rect, width, height);
        record.rect = ZelkGrRect(clipped.left, clipped.top, clipped.right, clipped.bottom);
        IDirect3DSurface9Ptr served;
        // Reads lock read-only; writes lock plainly (DISCARD is for dynamic
        // resources locked whole, which none of these is).
        const DWORD lockFlags = lockType == 0 ? DWORD(D3DLOCK_READONLY) : 0;
        if (recordIndex == kLfbRecordDepth) {
            if (!(lockType == 0 ? readDepth : writeDepth)) {
                return false;
            }
            IDirect3DSurface9Ptr depth;
            ThrowIfFailed(device->GetDepthStencilSurface(&depth), kThrowerCreateSurface,
                          kMessageGetDepthStencil);
            D3DSURFACE_DESC desc = {};
            depth->GetDesc(&desc);
            // Only 16-bit depth handed out as 16-bit depth is the same memory.
            if (desc.Format != D3DFMT_D16_LOCKABLE || record.writeMode != GR_LFBWRITEMODE_ZA16 ||
                desc.Width != width || desc.Height != height || FindHeldLock(depth)) {
                return false;
            }
            served = depth;
        } else {
            if (!(lockType == 0 ? readBack : writeBack) ||
                (colorFormat != GR_COLORFORMAT_ARGB && colorFormat != GR_COLORFORMAT_RGBA)) {
                return false;
            }
            TargetFormat target;
            if (lockType == 0) {
                target = {D3DFMT_R5G6B5, D3DFMT_R5G6B5, D3DFMT_R5G6B5};
            } else if (!WriteTargetFormat(colorFormat, record.writeMode, &target)) {
                return false;
            }
            IDirect3DSurface9Ptr back;
            ThrowIfFailed(device->GetBackBuffer(0, 0, D3DBACKBUFFER_TYPE_MONO, &back),
                          kThrowerCreateSurface, kMessageGetBackBuffer);
            D3DSURFACE_DESC desc = {};
            back->GetDesc(&desc);
            if (FindHeldLock(back)) {
                return false;
            }
            if (desc.Width == width && desc.Height == height &&
                (desc.Format == target.asIs1 || desc.Format == target.asIs2)) {
                served = back;
            } else {
                const int index = ConversionIndex(target.wanted);
                if (index < 0 || !canConvert[index]) {
                    return false;
                }
                IDirect3DSurface9* const conversion = ConversionTarget(uint32_t(index));
                // Only the rectangle goes back to the back buffer: when every
                // pixel of it will be written, the target need not be filled.
                // Otherwise pixels the application does not write come back
                // as they were.
                if (!(lockType == 1 && overwritesRect)) {
                    const RECT source = ScaleRect(clipped, width, height, desc.Width, desc.Height);
                    ThrowIfFailed(device->StretchRect(back, &source, conversion, &clipped, D3DTEXF_NONE),
                                  kThrowerCreateSurface, kMessageStretchRect);
                }
                served = conversion;
            }
        }
        record.surface.Reset(served);
        D3DLOCKED_RECT locked;
        ThrowIfFailed(record.surface.LockRect(&locked, &clipped, lockFlags), kThrowerCreateSurface,
                      kMessageLockRect);
        record.stride = locked.Pitch;
        record.lfbPointer = static_cast<uint8_t*>(locked.pBits);
        record.kind = kLfbKindSurface;
        return true;
    } catch (ZelkException& e) {
        WriteErrorLog(e);
        record.Reset();
        throw;
    }
}

bool ZelkGrLfbAccessor::ReleaseSurfaceLFB(uint32_t lockType, uint32_t recordIndex,
                                          ZelkGrLfbLockRecord& record) {
    try {
        record.surface.UnlockRect();
        if (lockType == 1 && record.surface.Get()) {
            IDirect3DSurface9Ptr owner;
            if (recordIndex == kLfbRecordBack) {
                ThrowIfFailed(device->GetBackBuffer(0, 0, D3DBACKBUFFER_TYPE_MONO, &owner),
                              kThrowerReleaseSurface, kMessageGetBackBuffer);
            } else {
                ThrowIfFailed(device->GetDepthStencilSurface(&owner), kThrowerReleaseSurface,
                              kMessageGetDepthStencil);
            }
            if (owner.GetInterfacePtr() != record.surface.Get()) {
                D3DSURFACE_DESC desc = {};
                owner->GetDesc(&desc);
                const RECT source = {record.rect.left, record.rect.top, record.rect.right,
                                     record.rect.bottom};
                const RECT destination = ScaleRect(source, width, height, desc.Width, desc.Height);
                ThrowIfFailed(device->StretchRect(record.surface.Get(), &source, owner,
                                                  &destination, D3DTEXF_NONE),
                              kThrowerReleaseSurface, kMessageStretchRect);
            }
        }
        return true;
    } catch (ZelkException& e) {
        WriteErrorLog(e);
        throw;
    }
}

// ---------------------------------------------------------------------------
// Software LFB

bool ZelkGrLfbAccessor::CreateSoftwareLFB(uint32_t lockType, uint32_t recordIndex,
                                          const RECT* rect, ZelkGrLfbLockRecord& record) {
    try {
        if (lockType == 0) {
            record.writeMode = recordIndex == kLfbRecordAlpha   ? GR_LFBWRITEMODE_RESERVED1
                               : recordIndex == kLfbRecordDepth ? GR_LFBWRITEMODE_ZA16
                                                                : GR_LFBWRITEMODE_565;
        }
        IDirect3DSurface9Ptr color;
        if (recordIndex == kLfbRecordFront) {
            if (lockType == 0 && readFront) {
                D3DDISPLAYMODE mode = {};
                if (FAILED(device->GetDisplayMode(0, &mode))) {
                    mode.Width = mode.Height = 0;
                }
                ThrowIfFailed(device->CreateOffscreenPlainSurface(mode.Width, mode.Height,
                                                                  D3DFMT_A8R8G8B8, D3DPOOL_SCRATCH,
                                                                  &color, nullptr),
                              kThrowerCreateSoftware, kMessageFrontCopy);
                ThrowIfFailed(device->GetFrontBufferData(0, color), kThrowerCreateSoftware,
                              kMessageFrontCopy);
            }
        } else if (recordIndex == kLfbRecordBack || recordIndex == kLfbRecordAlpha) {
            if (lockType == 0 ? readBack : writeBack) {
                ThrowIfFailed(device->GetBackBuffer(0, 0, D3DBACKBUFFER_TYPE_MONO, &color),
                              kThrowerCreateSoftware, kMessageGetBackBuffer);
            }
        }
        if (lockType == 1 && color) {
            // A write that its unlock could not convert fails now, before
            // the application writes anything.
            const D3DFORMAT format = DescriptionOf(color).Format;
            ThrowIfNoColourConversion(color, SetupWriteConverter(record.writeMode, colorFormat, uint32_t(format)),
                                      record.writeMode, true, format, kThrowerCreateSoftware);
        }
        const RECT clipped = ClipToScreen(rect, width, height);
        const uint32_t w = uint32_t(clipped.right - clipped.left);
        const uint32_t h = uint32_t(clipped.bottom - clipped.top);
        const uint32_t bpp = BytesPerPixel(record.writeMode);
        record.bytes.assign(size_t(bpp) * w * h, 0);
        record.lfbPointer = record.bytes.empty() ? nullptr : record.bytes.data();
        record.stride = int32_t(bpp * w);
        record.kind = kLfbKindSoftware;
        record.rect = ZelkGrRect(clipped.left, clipped.top, clipped.right, clipped.bottom);
        if (record.bytes.empty()) {
            return true;
        }
        const bool lowerLeft = record.origin == GR_ORIGIN_LOWER_LEFT;
        const POINT destinationPoint = {0, lowerLeft ? LONG(h) - 1 : 0};
        const int destinationPitch = lowerLeft ? -record.stride : record.stride;
        const RECT source = {0, 0, LONG(w), LONG(h)};

        ConversionPass passes[2];
        SetUpPasses(*this, false, recordIndex, record.writeMode, color, kThrowerCreateSoftware, passes);
        for (const ConversionPass& pass : passes) {
            if (!pass.Runs()) {
                continue;
            }
            IDirect3DSurface9Ptr surface = pass.surface;
            if (pass.desc.Width != width || pass.desc.Height != height) {
                surface = ScreenSizedCopy(device, surface, pass.desc.Format, width, height, kThrowerCreateSoftware,
                                          kMessageRescaleFill, kMessageRescaleFill);
            }
            SurfaceAccess access(*this, surface, pass.desc.Format, clipped, D3DLOCK_READONLY,
                                 kThrowerCreateSoftware);
            pass.row(this, access.bits, &source, access.pitch, record.lfbPointer, &destinationPoint,
                     destinationPitch);
        }
        return true;
    } catch (ZelkException& e) {
        WriteErrorLog(e);
        record.Reset();
        throw;
    }
}

bool ZelkGrLfbAccessor::LoadSurfaceFromSoftwareLFB(uint32_t recordIndex, const POINT* target,
                                                   const ZelkGrLfbLockRecord& record) {
    try {
        // ZA16 pixels written with the pixel pipeline off are depth alone:
        // the colour stays as it was.
        const bool keepColour = record.writeMode == GR_LFBWRITEMODE_ZA16 && !record.pixelPipeline;
        IDirect3DSurface9Ptr color;
        if ((recordIndex == kLfbRecordBack || recordIndex == kLfbRecordAlpha) && writeBack && !keepColour) {
            ThrowIfFailed(device->GetBackBuffer(0, 0, D3DBACKBUFFER_TYPE_MONO, &color),
                          kThrowerLoadSoftware, kMessageGetBackBuffer);
        }
        if (target->x < 0 || target->y < 0 || uint32_t(target->x) >= width ||
            uint32_t(target->y) >= height || record.lfbPointer == nullptr) {
            return true;
        }
        const int64_t w = std::min<int64_t>(int64_t(record.rect.right) - record.rect.left,
                                            int64_t(width) - target->x);
        const int64_t h = std::min<int64_t>(int64_t(record.rect.bottom) - record.rect.top,
                                            int64_t(height) - target->y);
        if (w <= 0 || h <= 0) {
            return true;
        }
        const RECT source = {0, 0, LONG(w), LONG(h)};
        const RECT targetRect = {target->x, target->y, LONG(target->x + w), LONG(target->y + h)};
        const bool lowerLeft = record.origin == GR_ORIGIN_LOWER_LEFT;
        const POINT destinationPoint = {0, lowerLeft ? LONG(h) - 1 : 0};

        ConversionPass passes[2];
        SetUpPasses(*this, true, recordIndex, record.writeMode, color, kThrowerLoadSoftware, passes);
        for (const ConversionPass& pass : passes) {
            if (!pass.Runs()) {
                continue;
            }
            const bool rescale = pass.desc.Width != width || pass.desc.Height != height;
            IDirect3DSurface9Ptr surface = pass.surface;
            if (rescale) {
                // Converters may keep part of each pixel: start from the
                // surface's own contents.
                surface = ScreenSizedCopy(device, surface, pass.desc.Format, width, height, kThrowerLoadSoftware,
                                          kMessageCreateOffscreen, kMessageLoadSurface);
            }
            {
                SurfaceAccess access(*this, surface, pass.desc.Format, targetRect, 0,
                                     kThrowerLoadSoftware);
                pass.row(this, record.lfbPointer, &source, record.stride, access.bits,
                         &destinationPoint, lowerLeft ? -access.pitch : access.pitch);
            }
            if (rescale) {
                const RECT scaled =
                    ScaleRect(targetRect, width, height, pass.desc.Width, pass.desc.Height);
                ThrowIfFailed(D3DXLoadSurfaceFromSurface(pass.surface, nullptr, &scaled, surface,
                                                         nullptr, &targetRect, D3DX_FILTER_TRIANGLE,
                                                         0),
                              kThrowerLoadSoftware, kMessageLoadSurface);
            }
        }
        return true;
    } catch (ZelkException& e) {
        WriteErrorLog(e);
        throw;
    }
}

}  // namespace zelk
