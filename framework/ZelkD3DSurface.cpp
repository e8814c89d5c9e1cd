#include "framework/ZelkD3DSurface.h"

#include <d3dx9.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>

#include "framework/ZelkD3DFormats.h"
#include "framework/ZelkException.h"
#include "pixelformat/ZelkGrPixelConverter.h"

namespace zelk {

namespace {

const char* const kLoadSurfaceFromMemoryName = "ZelkD3DSurface::LoadSurfaceFromMemory";
const char* const kLoadSurfaceFromSurfaceName = "ZelkD3DSurface::LoadSurfaceFromSurface";
const char* const kLoadTextureFromTextureName = "ZelkD3DSurface::LoadTextureFromTexture";
const char* const kCreateTextureFromTextureName = "ZelkD3DSurface::CreateTextureFromTexture";
const char* const kCreateColorkeyMapARName = "ZelkD3DSurface::CreateColorkeyMapAR";
const char* const kCreateColorkeyMapGBName = "ZelkD3DSurface::CreateColorkeyMapGB";

const char* const kLockRectFailed = "The function [ IDirect3DSurface9::LockRect ] is failed.";
const char* const kD3DXLoadSurfaceFromMemoryFailed = "The function [ D3DXLoadSurfaceFromMemory ] is failed.";
const char* const kD3DXLoadSurfaceFromSurfaceFailed = "The function [ D3DXLoadSurfaceFromSurface ] is failed.";
const char* const kUpdateTextureFailed = "The function [ IDirect3DDevice9::UpdateTexture ] is failed.";
const char* const kUpdateSurfaceFailed = "The function [ IDirect3DDevice9::UpdateSurface ] is failed.";
const char* const kCreateTextureFailed = "The function [ IDirect3DDevice9::CreateTexture ] is failed.";
const char* const kLoadSurfaceFromSurfaceFailed = "The function [ ZelkD3DSurface::LoadSurfaceFromSurface ] is failed.";
const char* const kD3DXFilterTextureFailed = "The function [ D3DXFilterTexture ] is failed.";
const char* const kMapCreateTextureFailed = "The function [ IDirect3DDevice9::CreateTexture ] failed.";
const char* const kD3DXFillTextureFailed = "The function [ D3DXFillTexture ] failed.";
const char* const kGetDescFailed = "The function [ IDirect3DSurface9::GetDesc ] is failed.";
const char* const kGetLevelDescFailed = "The function [ IDirect3DTexture9::GetLevelDesc ] is failed.";
const char* const kGetSurfaceLevelFailed = "The function [ IDirect3DTexture9::GetSurfaceLevel ] is failed.";
const char* const kGetDeviceFailed = "The function [ IDirect3DTexture9::GetDevice ] is failed.";
const char* const kAddDirtyRectFailed = "The function [ IDirect3DTexture9::AddDirtyRect ] is failed.";

const char* const kBadDestinationSurface = "The parameter [ IDirect3DSurface9* pDestSurface ] is invalid.";
const char* const kBadSourceSurface = "The parameter [ IDirect3DSurface9* pSrcSurface ] is invalid.";
const char* const kBadSourceRect = "The parameter [ RECT* pSrcRect ] is invalid.";
const char* const kBadDestinationPoint = "The parameter [ POINT* pDestPoint ] is invalid.";
const char* const kBadSourceWidth = "The parameter [ UINT srcWidth ] is invalid.";
const char* const kBadDestinationTexture = "The parameter [ IDirect3DTexture9* pDestTexture ] is invalid.";
const char* const kBadSourceTexture = "The parameter [ IDirect3DTexture9* pSrcTexture ] is invalid.";
const char* const kBadDevice = "The parameter [ IDirect3DDevice9* pDevice ] is invalid.";
const char* const kBadColorKey = "The parameter [ float* pColorKey ] is invalid.";

// The loaders' converters make opaque white of whatever a source lacks.
constexpr DWORD kLoaderFillColor = 0xFFFFFFFF;

void Check(HRESULT result, const char* thrower, const char* message)
{
    if (FAILED(result)) {
        ThrowZelkException(thrower, result, message);
    }
}

// Holds a lock on a rectangle of a surface and undoes it on every way out.
class SurfaceLock {
public:
    SurfaceLock(IDirect3DSurface9* surface, const RECT& rect, DWORD flags, const char* thrower)
        : surface_(surface)
    {
        Check(surface_->LockRect(&locked_, &rect, flags), thrower, kLockRectFailed);
    }
    ~SurfaceLock() { surface_->UnlockRect(); }
    SurfaceLock(const SurfaceLock&) = delete;
    SurfaceLock& operator=(const SurfaceLock&) = delete;

    BYTE* Bits() const { return static_cast<BYTE*>(locked_.pBits); }
    int Pitch() const { return locked_.Pitch; }

private:
    IDirect3DSurface9* surface_;
    D3DLOCKED_RECT locked_ = {};
};

// Copies rows of rowBytes bytes, in one piece when both images are packed
// rows of exactly that width.
void CopyRows(const BYTE* source, int sourcePitch, BYTE* destination, int destinationPitch, size_t rowBytes,
              LONG rows)
{
    if (rowBytes == static_cast<size_t>(sourcePitch) && rowBytes == static_cast<size_t>(destinationPitch)) {
        std::memcpy(destination, source, rowBytes * static_cast<size_t>(rows));
        return;
    }
    for (LONG row = 0; row < rows; ++row) {
        std::memcpy(destination, source, rowBytes);
        source += sourcePitch;
        destination += destinationPitch;
    }
}

// The program's own converter serves the pair only when both of its
// functions are real ones.
bool HasConversion(const ZelkGrPixelConverter& converter)
{
    return converter.ConvertTexel != &ConvertTexelNone && converter.ConvertRect != &ConvertRectNone;
}

RECT MakeRect(long long left, long long top, long long right, long long bottom)
{
    return RECT{static_cast<LONG>(left), static_cast<LONG>(top), static_cast<LONG>(right),
                static_cast<LONG>(bottom)};
}

// The source rectangle and destination point a caller gave, or the whole
// width x height source and the origin when it gave none.  The rectangle
// must be non-empty and start inside the image's first quadrant; the point
// must not be negative.
struct GivenArea {
    RECT source;
    POINT destination;
};

GivenArea CheckGivenArea(const RECT* sourceRect, const POINT* destinationPoint, long long width, long long height,
                         const char* thrower)
{
    const RECT rect = sourceRect ? *sourceRect : MakeRect(0, 0, width, height);
    const POINT point = destinationPoint ? *destinationPoint : POINT{0, 0};
    if (point.x < 0 || point.y < 0) {
        ThrowZelkException(thrower, E_INVALIDARG, kBadDestinationPoint);
    }
    if (rect.left < 0 || rect.top < 0 || rect.right < rect.left || rect.bottom < rect.top) {
        ThrowZelkException(thrower, E_INVALIDARG, kBadSourceRect);
    }
    return {rect, point};
}

// A rectangle without columns or rows: a load of it has nothing to do.
bool IsEmptyArea(const RECT& rect)
{
    return rect.right == rect.left || rect.bottom == rect.top;
}

D3DSURFACE_DESC SurfaceDescription(IDirect3DSurface9* surface, const char* thrower)
{
    D3DSURFACE_DESC description = {};
    Check(surface->GetDesc(&description), thrower, kGetDescFailed);
    return description;
}

D3DSURFACE_DESC LevelDescription(IDirect3DTexture9* texture, UINT level, const char* thrower)
{
    D3DSURFACE_DESC description = {};
    Check(texture->GetLevelDesc(level, &description), thrower, kGetLevelDescFailed);
    return description;
}

IDirect3DSurface9Ptr SurfaceLevel(IDirect3DTexture9* texture, UINT level, const char* thrower)
{
    IDirect3DSurface9Ptr surface;
    Check(texture->GetSurfaceLevel(level, &surface), thrower, kGetSurfaceLevelFailed);
    return surface;
}

IDirect3DDevice9Ptr OwningDevice(IDirect3DTexture9* texture, const char* thrower)
{
    IDirect3DDevice9Ptr device;
    Check(texture->GetDevice(&device), thrower, kGetDeviceFailed);
    return device;
}

void MarkWholeDirty(IDirect3DTexture9* texture, const char* thrower)
{
    Check(texture->AddDirtyRect(nullptr), thrower, kAddDirtyRectFailed);
}

IDirect3DTexture9Ptr CreateSystemMemoryTexture(IDirect3DDevice9* device, UINT width, UINT height, UINT levels,
                                               D3DFORMAT format, const char* thrower)
{
    IDirect3DTexture9Ptr texture;
    Check(device->CreateTexture(width, height, levels, 0, format, D3DPOOL_SYSTEMMEM, &texture, nullptr), thrower,
          kCreateTextureFailed);
    return texture;
}

// Hands a system-memory texture of the destination's size and format to the
// device: the whole texture when the level counts agree, else each level the
// two have in common.
void UpdateFromSystemMemory(IDirect3DDevice9* device, IDirect3DTexture9* source, IDirect3DTexture9* destination,
                            const char* thrower)
{
    MarkWholeDirty(source, thrower);
    const DWORD sourceLevels = source->GetLevelCount();
    const DWORD destinationLevels = destination->GetLevelCount();
    if (sourceLevels == destinationLevels) {
        Check(device->UpdateTexture(source, destination), thrower, kUpdateTextureFailed);
        return;
    }
    const DWORD common = std::min(sourceLevels, destinationLevels);
    for (DWORD level = 0; level < common; ++level) {
        IDirect3DSurface9Ptr from = SurfaceLevel(source, level, thrower);
        IDirect3DSurface9Ptr to = SurfaceLevel(destination, level, thrower);
        Check(device->UpdateSurface(from, nullptr, to, nullptr), thrower, kUpdateSurfaceFailed);
    }
}

// Sends a filled staging texture to the default-pool destination.
void UpdateFromStaging(IDirect3DDevice9* device, IDirect3DTexture9* staging, IDirect3DTexture9* destination,
                       const char* thrower)
{
    MarkWholeDirty(staging, thrower);
    Check(device->UpdateTexture(staging, destination), thrower, kUpdateTextureFailed);
}

enum class LevelCopy {
    OwnLoader,  // ZelkD3DSurface::LoadSurfaceFromSurface, same sizes
    Extension,  // D3DXLoadSurfaceFromSurface, resampling, colour key
};

// Loads levels 0 to count - 1 of the destination from the same levels of
// the source.
void CopyLevels(IDirect3DTexture9* source, IDirect3DTexture9* destination, DWORD count, LevelCopy road,
                const PALETTEENTRY* sourcePalette, const PALETTEENTRY* destinationPalette, D3DCOLOR colorKey,
                DWORD filter, const char* thrower)
{
    for (DWORD level = 0; level < count; ++level) {
        IDirect3DSurface9Ptr from = SurfaceLevel(source, level, thrower);
        IDirect3DSurface9Ptr to = SurfaceLevel(destination, level, thrower);
        if (road == LevelCopy::OwnLoader) {
            if (!ZelkD3DSurface::LoadSurfaceFromSurface(from, to, nullptr, nullptr, sourcePalette,
                                                        destinationPalette, colorKey)) {
                ThrowZelkException(thrower, E_FAIL, kLoadSurfaceFromSurfaceFailed);
            }
        } else {
            Check(D3DXLoadSurfaceFromSurface(to, destinationPalette, nullptr, from, sourcePalette, nullptr, filter,
                                             colorKey),
                  thrower, kD3DXLoadSurfaceFromSurfaceFailed);
        }
    }
}

// Makes the texture's levels below the loaded ones from the last loaded one.
void FilterLevelsBelow(IDirect3DTexture9* texture, const PALETTEENTRY* palette, DWORD loaded, DWORD filter,
                       const char* thrower)
{
    if (loaded == 0 || texture->GetLevelCount() <= loaded) {
        return;
    }
    Check(D3DXFilterTexture(texture, palette, loaded - 1, filter), thrower, kD3DXFilterTextureFailed);
}

// The texel cell that a colour-key map keys, in texture coordinates.
struct ColorkeyCell {
    float uMin;
    float vMin;
    float uMax;
    float vMax;
};

void WINAPI FillColorkeyCell(D3DXVECTOR4* out, const D3DXVECTOR2* coordinate, const D3DXVECTOR2*, void* data)
{
    const ColorkeyCell* cell = static_cast<const ColorkeyCell*>(data);
    const bool inside = cell->uMin <= coordinate->x && coordinate->x < cell->uMax && cell->vMin <= coordinate->y &&
                        coordinate->y < cell->vMax;
    const float value = inside ? 0.0f : 1.0f;
    *out = D3DXVECTOR4(value, value, value, value);
}

// The cell's range along one axis: the whole axis for an ignored channel,
// else the one of size cells that holds the channel value (clamped to 0..1
// first, NaN counting as 0).
void CellRange(float channel, BYTE ignore, UINT size, float inverseSize, float& low, float& high)
{
    if (ignore) {
        low = 0.0f;
        high = 1.0f;
        return;
    }
    const float clamped = std::isnan(channel) ? 0.0f : std::min(std::max(channel, 0.0f), 1.0f);
    const int cell = static_cast<int>(static_cast<float>(size - 1) * clamped);
    low = static_cast<float>(cell) * inverseSize;
    high = low + inverseSize;
}

IDirect3DTexture9Ptr CreateColorkeyMap(const char* thrower, IDirect3DDevice9* device, float uChannel,
                                       float vChannel, UINT size, D3DFORMAT format, BYTE ignoreU, BYTE ignoreV)
{
    IDirect3DTexture9Ptr map;
    Check(device->CreateTexture(size, size, 1, 0, format, D3DPOOL_SCRATCH, &map, nullptr), thrower,
          kMapCreateTextureFailed);

    // The texture exists, so size is a usable edge length.
    ColorkeyCell cell = {};
    const float inverseSize = 1.0f / static_cast<float>(size);
    CellRange(uChannel, ignoreU, size, inverseSize, cell.uMin, cell.uMax);
    CellRange(vChannel, ignoreV, size, inverseSize, cell.vMin, cell.vMax);
    Check(D3DXFillTexture(map, &FillColorkeyCell, &cell), thrower, kD3DXFillTextureFailed);
    return map;
}

}  // namespace

bool ZelkD3DSurface::LoadSurfaceFromMemory(IDirect3DSurface9* destinationSurface, const void* sourceData,
                                           D3DFORMAT sourceFormat, UINT sourceWidth, const RECT* sourceRect,
                                           const POINT* destinationPoint, const PALETTEENTRY* sourcePalette,
                                           const PALETTEENTRY* destinationPalette, D3DCOLOR colorKey)
{
    return RunLogged([&]() -> bool {
        const char* const thrower = kLoadSurfaceFromMemoryName;
        const IDirect3DSurface9Ptr surface(destinationSurface);
        if (!surface) {
            ThrowZelkException(thrower, E_INVALIDARG, kBadDestinationSurface);
        }
        const D3DSURFACE_DESC description = SurfaceDescription(surface, thrower);
        if (sourceFormat == D3DFMT_UNKNOWN) {
            sourceFormat = description.Format;
        }
        if (sourceWidth == 0) {
            sourceWidth = description.Width;
        }
        const UINT bytesPerPixel = GetFormatBytesPerPixel(sourceFormat);
        if (sourceData == nullptr || bytesPerPixel == 0) {
            return true;
        }
        if (sourceWidth > static_cast<UINT>(INT32_MAX) / bytesPerPixel) {
            ThrowZelkException(thrower, E_INVALIDARG, kBadSourceWidth);
        }
        const int sourcePitch = static_cast<int>(sourceWidth * bytesPerPixel);

        const long long width = description.Width;
        const long long height = description.Height;
        const auto [given, point] = CheckGivenArea(sourceRect, destinationPoint, width, height, thrower);
        if (IsEmptyArea(given)) {
            return true;
        }

        // A point beyond the surface is pulled back to its last column or
        // row; the destination is cut to the surface.  The source keeps the
        // destination's size and must lie within the source rows.
        const long long x = std::min<long long>(point.x, width - 1);
        const long long y = std::min<long long>(point.y, height - 1);
        const long long columns = std::min<long long>(static_cast<long long>(given.right) - given.left, width - x);
        const long long rows = std::min<long long>(static_cast<long long>(given.bottom) - given.top, height - y);
        const long long left = std::min<long long>(given.left, static_cast<long long>(sourceWidth) - 1);
        const long long top = given.top;
        if (left + columns > static_cast<long long>(sourceWidth) ||
            (top + rows) * sourcePitch > static_cast<long long>(PTRDIFF_MAX)) {
            ThrowZelkException(thrower, E_INVALIDARG, kBadSourceRect);
        }
        const RECT sourceArea = MakeRect(left, top, left + columns, top + rows);
        const RECT destinationArea = MakeRect(x, y, x + columns, y + rows);
        const BYTE* const data = static_cast<const BYTE*>(sourceData);

        if (sourceFormat == description.Format && colorKey == 0) {
            const SurfaceLock lock(surface, destinationArea, 0, thrower);
            CopyRows(data + top * sourcePitch + left * bytesPerPixel, sourcePitch, lock.Bits(), lock.Pitch(),
                     static_cast<size_t>(columns) * bytesPerPixel, static_cast<LONG>(rows));
            return true;
        }

        const ZelkGrPixelConverter converter(sourceFormat, description.Format, sourcePalette, destinationPalette,
                                             kLoaderFillColor);
        if (colorKey == 0 && HasConversion(converter)) {
            const SurfaceLock lock(surface, destinationArea, 0, thrower);
            const POINT origin = {0, 0};
            converter.ConvertRect(&converter, data, &sourceArea, sourcePitch, lock.Bits(), &origin, lock.Pitch());
            return true;
        }

        Check(D3DXLoadSurfaceFromMemory(surface, destinationPalette, &destinationArea, data, sourceFormat,
                                        static_cast<UINT>(sourcePitch), sourcePalette, &sourceArea, D3DX_FILTER_NONE,
                                        colorKey),
              thrower, kD3DXLoadSurfaceFromMemoryFailed);
        return true;
    });
}

bool ZelkD3DSurface::LoadSurfaceFromSurface(IDirect3DSurface9* sourceSurface, IDirect3DSurface9* destinationSurface,
                                            const RECT* sourceRect, const POINT* destinationPoint,
                                            const PALETTEENTRY* sourcePalette, const PALETTEENTRY* destinationPalette,
                                            D3DCOLOR colorKey)
{
    return RunLogged([&]() -> bool {
        const char* const thrower = kLoadSurfaceFromSurfaceName;
        const IDirect3DSurface9Ptr source(sourceSurface);
        const IDirect3DSurface9Ptr destination(destinationSurface);
        if (!source) {
            ThrowZelkException(thrower, E_INVALIDARG, kBadSourceSurface);
        }
        if (!destination) {
            ThrowZelkException(thrower, E_INVALIDARG, kBadDestinationSurface);
        }
        const D3DSURFACE_DESC from = SurfaceDescription(source, thrower);
        const D3DSURFACE_DESC to = SurfaceDescription(destination, thrower);

        const long long sourceWidth = from.Width;
        const long long sourceHeight = from.Height;
        const auto [given, point] = CheckGivenArea(sourceRect, destinationPoint, sourceWidth, sourceHeight, thrower);
        if (IsEmptyArea(given)) {
            return true;
        }

        // Corners beyond either surface are pulled back to its last column
        // or row; the copied extent is cut to what both surfaces hold.
        const long long left = std::min<long long>(given.left, sourceWidth - 1);
        const long long top = std::min<long long>(given.top, sourceHeight - 1);
        const long long x = std::min<long long>(point.x, static_cast<long long>(to.Width) - 1);
        const long long y = std::min<long long>(point.y, static_cast<long long>(to.Height) - 1);
        const long long columns = std::min({static_cast<long long>(given.right) - given.left, sourceWidth - left,
                                            static_cast<long long>(to.Width) - x});
        const long long rows = std::min({static_cast<long long>(given.bottom) - given.top, sourceHeight - top,
                                         static_cast<long long>(to.Height) - y});
        const RECT sourceArea = MakeRect(left, top, left + columns, top + rows);
        const RECT destinationArea = MakeRect(x, y, x + columns, y + rows);

        const UINT bytesPerPixel = GetFormatBytesPerPixel(from.Format);
        if (from.Format == to.Format && colorKey == 0 && bytesPerPixel != 0) {
            const SurfaceLock sourceLock(source, sourceArea, D3DLOCK_READONLY, thrower);
            const SurfaceLock destinationLock(destination, destinationArea, 0, thrower);
            CopyRows(sourceLock.Bits(), sourceLock.Pitch(), destinationLock.Bits(), destinationLock.Pitch(),
                     static_cast<size_t>(columns) * bytesPerPixel, static_cast<LONG>(rows));
            return true;
        }

        const ZelkGrPixelConverter converter(from.Format, to.Format, sourcePalette, destinationPalette,
                                             kLoaderFillColor);
        if (colorKey == 0 && HasConversion(converter)) {
            const SurfaceLock sourceLock(source, sourceArea, D3DLOCK_READONLY, thrower);
            const SurfaceLock destinationLock(destination, destinationArea, 0, thrower);
            const RECT whole = MakeRect(0, 0, columns, rows);
            const POINT origin = {0, 0};
            converter.ConvertRect(&converter, sourceLock.Bits(), &whole, sourceLock.Pitch(), destinationLock.Bits(),
                                  &origin, destinationLock.Pitch());
            return true;
        }

        Check(D3DXLoadSurfaceFromSurface(destination, destinationPalette, &destinationArea, source, sourcePalette,
                                         &sourceArea, D3DX_FILTER_NONE, colorKey),
              thrower, kD3DXLoadSurfaceFromSurfaceFailed);
        return true;
    });
}

bool ZelkD3DSurface::LoadTextureFromTexture(IDirect3DTexture9* sourceTexture, IDirect3DTexture9* destinationTexture,
                                            const PALETTEENTRY* sourcePalette, const PALETTEENTRY* destinationPalette,
                                            D3DCOLOR colorKey)
{
    return RunLogged([&]() -> bool {
        const char* const thrower = kLoadTextureFromTextureName;
        const IDirect3DTexture9Ptr source(sourceTexture);
        const IDirect3DTexture9Ptr destination(destinationTexture);
        if (!source) {
            ThrowZelkException(thrower, E_INVALIDARG, kBadSourceTexture);
        }
        if (!destination) {
            ThrowZelkException(thrower, E_INVALIDARG, kBadDestinationTexture);
        }
        const IDirect3DDevice9Ptr device = OwningDevice(source, thrower);
        const D3DSURFACE_DESC from = LevelDescription(source, 0, thrower);
        const D3DSURFACE_DESC to = LevelDescription(destination, 0, thrower);
        const DWORD destinationLevels = destination->GetLevelCount();
        const DWORD common = std::min(source->GetLevelCount(), destinationLevels);
        const bool plainCopy = from.Width == to.Width && from.Height == to.Height && colorKey == 0;
        const LevelCopy road = plainCopy ? LevelCopy::OwnLoader : LevelCopy::Extension;

        if (to.Pool == D3DPOOL_DEFAULT) {
            if (plainCopy && from.Pool == D3DPOOL_SYSTEMMEM && from.Format == to.Format) {
                UpdateFromSystemMemory(device, source, destination, thrower);
                return true;
            }
            const IDirect3DTexture9Ptr staging =
                CreateSystemMemoryTexture(device, to.Width, to.Height, destinationLevels == 1 ? 1 : 0, to.Format,
                                          thrower);
            CopyLevels(source, staging, common, road, sourcePalette, destinationPalette, colorKey, D3DX_DEFAULT,
                       thrower);
            FilterLevelsBelow(staging, destinationPalette, common, D3DX_DEFAULT, thrower);
            UpdateFromStaging(device, staging, destination, thrower);
            return true;
        }

        CopyLevels(source, destination, common, road, sourcePalette, destinationPalette, colorKey, D3DX_DEFAULT,
                   thrower);
        FilterLevelsBelow(destination, destinationPalette, common, D3DX_DEFAULT, thrower);
        return true;
    });
}

IDirect3DTexture9Ptr ZelkD3DSurface::CreateTextureFromTexture(IDirect3DTexture9* sourceTexture, UINT levels,
                                                              DWORD mipFilter, D3DPOOL pool, DWORD usage,
                                                              D3DCOLOR colorKey)
{
    return RunLogged([&]() -> IDirect3DTexture9Ptr {
        const char* const thrower = kCreateTextureFromTextureName;
        const IDirect3DTexture9Ptr source(sourceTexture);
        if (!source) {
            ThrowZelkException(thrower, E_INVALIDARG, kBadSourceTexture);
        }
        const IDirect3DDevice9Ptr device = OwningDevice(source, thrower);
        const D3DSURFACE_DESC from = LevelDescription(source, 0, thrower);

        IDirect3DTexture9Ptr created;
        Check(device->CreateTexture(from.Width, from.Height, levels, usage, from.Format, pool, &created, nullptr),
              thrower, kCreateTextureFailed);

        if (pool == D3DPOOL_DEFAULT) {
            if (from.Pool == D3DPOOL_SYSTEMMEM && colorKey == 0) {
                UpdateFromSystemMemory(device, source, created, thrower);
                return created;
            }
            const IDirect3DTexture9Ptr staging =
                CreateSystemMemoryTexture(device, from.Width, from.Height, levels, from.Format, thrower);
            const DWORD common = std::min(source->GetLevelCount(), staging->GetLevelCount());
            CopyLevels(source, staging, common, LevelCopy::Extension, nullptr, nullptr, colorKey, D3DX_FILTER_NONE,
                       thrower);
            FilterLevelsBelow(staging, nullptr, common, mipFilter, thrower);
            UpdateFromStaging(device, staging, created, thrower);
            return created;
        }

        const DWORD common = std::min(source->GetLevelCount(), created->GetLevelCount());
        CopyLevels(source, created, common, LevelCopy::Extension, nullptr, nullptr, colorKey, D3DX_FILTER_NONE,
                   thrower);
        FilterLevelsBelow(created, nullptr, common, mipFilter, thrower);
        return created;
    });
}

IDirect3DTexture9Ptr ZelkD3DSurface::CreateColorkeyMapAR(IDirect3DDevice9* device, const float colorKey[4],
                                                         UINT size, D3DFORMAT format, BYTE ignoreFirst,
                                                         BYTE ignoreSecond)
{
    return RunLogged([&]() -> IDirect3DTexture9Ptr {
        const IDirect3DDevice9Ptr held(device);
        if (!held) {
            ThrowZelkException(kCreateColorkeyMapARName, E_INVALIDARG, kBadDevice);
        }
        if (colorKey == nullptr) {
            ThrowZelkException(kCreateColorkeyMapARName, E_INVALIDARG, kBadColorKey);
        }
        return CreateColorkeyMap(kCreateColorkeyMapARName, held, colorKey[3], colorKey[0], size, format,
                                 ignoreFirst, ignoreSecond);
    });
}

IDirect3DTexture9Ptr ZelkD3DSurface::CreateColorkeyMapGB(IDirect3DDevice9* device, const float colorKey[4],
                                                         UINT size, D3DFORMAT format, BYTE ignoreFirst,
                                                         BYTE ignoreSecond)
{
    return RunLogged([&]() -> IDirect3DTexture9Ptr {
        const IDirect3DDevice9Ptr held(device);
        if (!held) {
            ThrowZelkException(kCreateColorkeyMapGBName, E_INVALIDARG, kBadDevice);
        }
        if (colorKey == nullptr) {
            ThrowZelkException(kCreateColorkeyMapGBName, E_INVALIDARG, kBadColorKey);
        }
        return CreateColorkeyMap(kCreateColorkeyMapGBName, held, colorKey[1], colorKey[2], size, format,
                                 ignoreFirst, ignoreSecond);
    });
}

}  // namespace zelk
