#pragma once

// The frame-buffer accessor: how the Glide linear-frame-buffer calls reach
// the Direct3D surfaces.  A lock either hands out a locked Direct3D surface
// (the back buffer, the depth buffer or a lockable render target in the
// write mode's format) or a copy in system memory that is filled through the
// read converters and written back through the write converters.
#include <windows.h>

#include <cstdint>
#include <vector>

#include "framework/ZelkD3DPtr.h"
#include "framework/ZelkGrRect.h"
#include "glideapi/Glide2Types.h"

namespace zelk {

class ZelkGrLfbAccessor;

// One pixel of a frame-buffer conversion; only compared with the no-op to
// learn whether a surface has anything to convert.
typedef void (*LfbPixelConverter)(const ZelkGrLfbAccessor* accessor, const void* sourcePixel,
                                  void* destinationPixel);

// A rectangle of a frame-buffer conversion: exactly bottom - top rows of
// right - left pixels; both pitches are signed (a negative pitch walks its
// buffer upwards from the first row).
typedef void (*LfbRowConverter)(const ZelkGrLfbAccessor* accessor, const void* sourceBits,
                                const RECT* sourceRect, int sourcePitch, void* destinationBits,
                                const POINT* destinationPoint, int destinationPitch);

// The no-op pair: nothing to convert.
void ConvertTexelNone(const ZelkGrLfbAccessor* accessor, const void* sourcePixel,
                      void* destinationPixel);
void ConvertRectNone(const ZelkGrLfbAccessor* accessor, const void* sourceBits,
                     const RECT* sourceRect, int sourcePitch, void* destinationBits,
                     const POINT* destinationPoint, int destinationPitch);

// The six access switches of the "lfb accessing" settings (0 or 1 each).
struct ZelkGrLfbSettings {
    std::uint8_t readFront = 0;
    std::uint8_t readBack = 0;
    std::uint8_t readDepth = 0;
    std::uint8_t writeFront = 0;
    std::uint8_t writeBack = 1;
    std::uint8_t writeDepth = 0;
};

enum LfbKind : std::uint32_t {
    kLfbKindSurface = 0,
    kLfbKindSoftware = 1,
    kLfbKindNone = 0xFF,
};

// Holds a surface reference and unlocks the surface before letting it go.
class ZelkLockedSurfaceHolder {
public:
    ZelkLockedSurfaceHolder() = default;
    ZelkLockedSurfaceHolder(const ZelkLockedSurfaceHolder& other);
    ZelkLockedSurfaceHolder& operator=(const ZelkLockedSurfaceHolder& other);
    ~ZelkLockedSurfaceHolder();

    // Drops the held surface (unlocking it when it was locked through this
    // holder) and takes a reference of its own on the new one (null: none).
    void Reset(IDirect3DSurface9* surface = nullptr);
    IDirect3DSurface9* Get() const { return surface_; }

    // Locks a rectangle of the held surface; the holder then unlocks it.
    HRESULT LockRect(D3DLOCKED_RECT* locked, const RECT* rect, DWORD flags);
    // Unlocks the held surface if the holder locked it.
    void UnlockRect();
    bool IsLocked() const { return locked_; }
    // True while the holder's lock is read-only (D3DLOCK_READONLY): its
    // memory may be read but not written.
    bool IsLockedReadOnly() const { return locked_ && readOnly_; }

private:
    IDirect3DSurface9* surface_ = nullptr;
    bool locked_ = false;
    bool readOnly_ = false;
};

// The state of one locked Glide buffer.
struct ZelkGrLfbLockRecord {
    ZelkGrLfbLockRecord() = default;

    std::uint32_t writeMode = 0xFF;
    std::uint32_t origin = 0xFF;
    std::uint32_t kind = kLfbKindNone;
    std::int32_t stride = 0;
    // The pixel pipeline of a write lock: with it off, ZA16 pixels write
    // depth only and leave the colour as it was.
    bool pixelPipeline = false;
    std::uint8_t* lfbPointer = nullptr;
    ZelkGrRect rect;
    ZelkLockedSurfaceHolder surface;
    std::vector<std::uint8_t> bytes;

    // Copies of a software record point into their own bytes.
    ZelkGrLfbLockRecord(const ZelkGrLfbLockRecord& other);
    ZelkGrLfbLockRecord& operator=(const ZelkGrLfbLockRecord& other);

    // Back to the empty record (unlocks and releases a held surface).
    void Reset();
};

// Record indices.
enum : std::uint32_t {
    kLfbRecordFront = 0,
    kLfbRecordBack = 1,
    kLfbRecordAlpha = 2,
    kLfbRecordDepth = 3,
    kLfbRecordCount = 4,
};

// Conversion formats, in the order of canConvert and conversionTargets.
enum : std::uint32_t { kLfbConversionFormatCount = 6 };
extern const D3DFORMAT kLfbConversionFormats[kLfbConversionFormatCount];

class ZelkGrLfbAccessor {
public:
    ZelkGrLfbAccessor(IDirect3DDevice9* device, std::uint32_t width, std::uint32_t height,
                      GrColorFormat_t colorFormat, const ZelkGrLfbSettings& settings);
    // Copies share the device and surfaces; lock records copy as records do.
    ZelkGrLfbAccessor(const ZelkGrLfbAccessor& other) = default;
    ZelkGrLfbAccessor& operator=(const ZelkGrLfbAccessor& other) = default;
    virtual ~ZelkGrLfbAccessor() = default;

    // grLfbLock / grLfbUnlock.  Lock returns true with info filled or throws;
    // Unlock returns false when the buffer had no lock.
    bool Lock(GrLock_t type, GrBuffer_t buffer, GrLfbWriteMode_t writeMode,
              GrOriginLocation_t origin, FxBool pixelPipeline, GrLfbInfo_t* info);
    bool Unlock(GrLock_t type, GrBuffer_t buffer);

    // grLfbReadRegion / grLfbWriteRegion.
    bool ReadRegion(GrBuffer_t buffer, std::uint32_t x, std::uint32_t y, std::uint32_t width,
                    std::uint32_t height, std::int32_t destinationStride, void* destination);
    bool WriteRegion(GrBuffer_t buffer, GrLfbSrcFmt_t sourceFormat, std::uint32_t x,
                     std::uint32_t y, std::uint32_t width, std::uint32_t height,
                     std::int32_t sourceStride, const void* source);

    // Converter pickers: store a pair and load the working values; false
    // (with the no-op pair) for an unsupported combination.
    bool SetupReadConverter(std::uint32_t writeMode, std::uint32_t colorOrder,
                            std::uint32_t surfaceFormat);
    bool SetupWriteConverter(std::uint32_t writeMode, std::uint32_t colorOrder,
                             std::uint32_t surfaceFormat);
    bool SetupReadDepthConverter(std::uint32_t writeMode, std::uint32_t depthFormat);
    bool SetupWriteDepthConverter(std::uint32_t writeMode, std::uint32_t depthFormat);

    // The two paths of a lock (rectangles in Glide screen pixels).  A write
    // that will overwrite every pixel of the rectangle (a region write)
    // passes overwritesRect: a render target then starts without the back
    // buffer's pixels.
    bool CreateSurfaceLFB(std::uint32_t lockType, std::uint32_t recordIndex, const RECT* rect,
                          ZelkGrLfbLockRecord& record, bool overwritesRect = false);
    bool ReleaseSurfaceLFB(std::uint32_t lockType, std::uint32_t recordIndex,
                           ZelkGrLfbLockRecord& record);
    bool CreateSoftwareLFB(std::uint32_t lockType, std::uint32_t recordIndex, const RECT* rect,
                           ZelkGrLfbLockRecord& record);
    bool LoadSurfaceFromSoftwareLFB(std::uint32_t recordIndex, const POINT* target,
                                    const ZelkGrLfbLockRecord& record);

    // The lock record of this accessor that holds the surface locked, or
    // null.  Conversions borrow such a lock instead of locking twice.
    const ZelkGrLfbLockRecord* FindHeldLock(IDirect3DSurface9* surface) const;

    // Bytes per pixel of a write mode (0 for modes outside Glide's set).
    static std::uint32_t BytesPerPixel(std::uint32_t writeMode);

    // Access switches (after construction ANDed with what the device can do).
    std::uint8_t readFront = 0;
    std::uint8_t readBack = 0;
    std::uint8_t readDepth = 0;
    std::uint8_t writeFront = 0;
    std::uint8_t writeBack = 0;
    std::uint8_t writeDepth = 0;

    IDirect3DDevice9Ptr device;
    std::uint32_t width = 0;
    std::uint32_t height = 0;
    std::uint32_t colorFormat = 0;
    // Non-zero while depth buffering is on: GR_BUFFER_AUXBUFFER then means
    // the depth buffer, else the alpha buffer.
    std::uint32_t auxIsDepth = 0;

    // Constants for pixel parts a write mode does not carry: colour in
    // A8R8G8B8 layout, alpha 0-255, depth in the upper 16 bits.
    std::uint32_t constantColor = 0;
    std::uint32_t constantAlpha = 0xFF;
    std::uint32_t constantDepth = 0;
    std::uint32_t readFillColor = 0;
    std::uint32_t readFillAlpha = 0xFF;
    std::uint32_t readFillDepth = 0;

    // Loaded by the pickers for the row converters.
    std::uint32_t workingColor = 0;
    std::uint32_t workingAlpha = 0;
    std::uint32_t workingDepth = 0;
    std::uint32_t workingAlphaNonZero = 0;

    ZelkGrLfbLockRecord lockRecords[kLfbRecordCount];
    // The record of the aux-buffer lock that is open (kLfbRecordCount:
    // none), so that its unlock ends that lock even if depth buffering was
    // switched in between.  Set by an aux lock that succeeds; forgotten by
    // whatever ends or replaces that lock.
    std::uint32_t auxLockRecord = kLfbRecordCount;
    std::uint8_t canConvert[kLfbConversionFormatCount] = {};
    // Lockable render targets of the screen's size, one per conversion
    // format, kept from one lock to the next.
    IDirect3DSurface9Ptr conversionTargets[kLfbConversionFormatCount];

    LfbPixelConverter colorPixelConverter = ConvertTexelNone;
    LfbPixelConverter depthPixelConverter = ConvertTexelNone;
    LfbRowConverter colorRowConverter = ConvertRectNone;
    LfbRowConverter depthRowConverter = ConvertRectNone;

private:
    void Probe();
    // Ends the lock of a record: the record is empty again, and an aux lock
    // it held is forgotten.
    void EndLock(std::uint32_t recordIndex);
    // The render target of a conversion format, made when the slot holds
    // none of the screen's size or a lock record still holds it.
    IDirect3DSurface9* ConversionTarget(std::uint32_t index);
};

}  // namespace zelk
