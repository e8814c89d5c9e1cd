// grLfbLock, grLfbUnlock, grLfbReadRegion and grLfbWriteRegion on the
// accessor.
#include <algorithm>
#include <cstring>

#include "framework/ZelkException.h"
#include "lfb/ZelkGrLfbAccessor.h"
#include "lfb/ZelkGrLfbRegionRows.h"

namespace zelk {

namespace {

const char* const kThrowerLock = "ZelkGrLfbAccessor::Lock";
const char* const kThrowerUnlock = "ZelkGrLfbAccessor::Unlock";
const char* const kThrowerReadRegion = "ZelkGrLfbAccessor::ReadRegion";
const char* const kThrowerWriteRegion = "ZelkGrLfbAccessor::WriteRegion";

const char* const kMessageBuffer = "The parameter [ GrBuffer_t bufferType ] is invalid.";
const char* const kMessageLockType = "The parameter [ GrLock_t lockType ] is invalid.";
const char* const kMessageWriteMode = "The parameter [ GrLfbWriteMode_t writeMode ] is invalid.";
const char* const kMessageInfo = "The parameter [ GrLfbInfo_t* info ] is invalid.";
const char* const kMessageSourceFormat = "The parameter [ GrLfbSrcFmt_t srcFormat ] is invalid.";
const char* const kMessageCreation = "It failed in LFB creation.";

bool IsGlideWriteMode(uint32_t mode) {
    return mode <= 5 || (mode >= 12 && mode <= 15) || mode == GR_LFBWRITEMODE_ANY;
}

// The memory a read hands out, by record: 565 colour, the alpha buffer's
// own mode, 16-bit depth.
uint32_t ReadMode(uint32_t recordIndex) {
    return recordIndex == kLfbRecordAlpha   ? GR_LFBWRITEMODE_RESERVED1
           : recordIndex == kLfbRecordDepth ? GR_LFBWRITEMODE_ZA16
                                            : GR_LFBWRITEMODE_565;
}

}  // namespace

static uint32_t MapBuffer(GrBuffer_t buffer, uint32_t auxIsDepth, const char* thrower) {
    switch (buffer) {
    case GR_BUFFER_FRONTBUFFER: return kLfbRecordFront;
    case GR_BUFFER_BACKBUFFER: return kLfbRecordBack;
    case GR_BUFFER_AUXBUFFER: return auxIsDepth ? kLfbRecordDepth : kLfbRecordAlpha;
    case GR_BUFFER_DEPTHBUFFER: return kLfbRecordDepth;
    case GR_BUFFER_ALPHABUFFER: return kLfbRecordAlpha;
    default: throw ZelkException(thrower, false, kMessageBuffer);
    }
}

bool ZelkGrLfbAccessor::Lock(GrLock_t type, GrBuffer_t buffer, GrLfbWriteMode_t writeMode,
                             GrOriginLocation_t origin, FxBool pixelPipeline,
                             GrLfbInfo_t* info) {
    int recordIndex = -1;
    try {
        if (info == nullptr) {
            throw ZelkException(kThrowerLock, false, kMessageInfo);
        }
        recordIndex = int(MapBuffer(buffer, auxIsDepth, kThrowerLock));
        ZelkGrLfbLockRecord& record = lockRecords[recordIndex];
        const uint32_t lockType = type & 0xF;
        if (lockType > 1) {
            throw ZelkException(kThrowerLock, false, kMessageLockType);
        }
        uint32_t mode = uint32_t(writeMode);
        if (!IsGlideWriteMode(mode)) {
            throw ZelkException(kThrowerLock, false, kMessageWriteMode);
        }
        if (mode == GR_LFBWRITEMODE_ANY) {
            mode = recordIndex == int(kLfbRecordFront) || recordIndex == int(kLfbRecordBack)
                       ? GR_LFBWRITEMODE_565
                       : GR_LFBWRITEMODE_ZA16;
        }
        if (recordIndex == int(kLfbRecordAlpha) && mode == GR_LFBWRITEMODE_ZA16) {
            mode = GR_LFBWRITEMODE_RESERVED1;
        }
        if (lockType == 0) {
            mode = ReadMode(uint32_t(recordIndex));
        }
        // A new lock of the record ends the one it held.
        EndLock(uint32_t(recordIndex));
        record.writeMode = mode;
        record.origin = origin == GR_ORIGIN_LOWER_LEFT ? GR_ORIGIN_LOWER_LEFT : GR_ORIGIN_UPPER_LEFT;
        record.pixelPipeline = pixelPipeline != FXFALSE;
        if (!device) {
            throw ZelkException(kThrowerLock, false, kMessageCreation);
        }
        const RECT screen = {0, 0, LONG(width), LONG(height)};
        if (!CreateSurfaceLFB(lockType, uint32_t(recordIndex), &screen, record)) {
            CreateSoftwareLFB(lockType, uint32_t(recordIndex), &screen, record);
        }
        if (record.lfbPointer == nullptr) {
            throw ZelkException(kThrowerLock, false, kMessageCreation);
        }
        info->lfbPtr = record.lfbPointer;
        info->strideInBytes = FxU32(record.stride);
        info->writeMode = GrLfbWriteMode_t(
            record.writeMode == GR_LFBWRITEMODE_RESERVED1 ? GR_LFBWRITEMODE_ZA16 : record.writeMode);
        info->origin = GrOriginLocation_t(record.origin);
        if (buffer == GR_BUFFER_AUXBUFFER) {
            auxLockRecord = uint32_t(recordIndex);
        }
        return true;
    } catch (ZelkException& e) {
        WriteErrorLog(e);
        if (recordIndex >= 0) {
            EndLock(uint32_t(recordIndex));
        }
        if (info) {
            std::memset(info, 0, sizeof(*info));
        }
        throw;
    }
}

bool ZelkGrLfbAccessor::Unlock(GrLock_t type, GrBuffer_t buffer) {
    uint32_t recordIndex = 0;
    bool result = false;
    bool ending = false;
    try {
        recordIndex = MapBuffer(buffer, auxIsDepth, kThrowerUnlock);
        const uint32_t lockType = type & 0xF;
        if (lockType > 1) {
            throw ZelkException(kThrowerUnlock, false, kMessageLockType);
        }
        // An aux unlock ends the aux lock that is open; with none open, the
        // lock of the buffer the aux buffer stands for now.
        if (buffer == GR_BUFFER_AUXBUFFER && auxLockRecord < kLfbRecordCount) {
            recordIndex = auxLockRecord;
        }
        ZelkGrLfbLockRecord& record = lockRecords[recordIndex];
        ending = true;
        if (record.kind == kLfbKindSurface) {
            result = ReleaseSurfaceLFB(lockType, recordIndex, record);
        } else if (record.kind == kLfbKindSoftware) {
            if (lockType == 1) {
                const POINT origin = {0, 0};
                result = LoadSurfaceFromSoftwareLFB(recordIndex, &origin, record);
            } else {
                result = true;
            }
        }
    } catch (ZelkException& e) {
        WriteErrorLog(e);
        // A failed write-back still ends the lock: nothing stays locked.
        if (ending) {
            EndLock(recordIndex);
        }
        throw;
    }
    EndLock(recordIndex);
    return result;
}

void ZelkGrLfbAccessor::EndLock(uint32_t recordIndex) {
    lockRecords[recordIndex].Reset();
    if (auxLockRecord == recordIndex) {
        auxLockRecord = kLfbRecordCount;
    }
}

bool ZelkGrLfbAccessor::ReadRegion(GrBuffer_t buffer, uint32_t x, uint32_t y, uint32_t regionWidth,
                                   uint32_t regionHeight, int32_t destinationStride,
                                   void* destination) {
    try {
        const uint32_t recordIndex = MapBuffer(buffer, auxIsDepth, kThrowerReadRegion);
        if (!device) {
            throw ZelkException(kThrowerReadRegion, false, kMessageCreation);
        }
        // A region wholly off the screen reads nothing.
        if (x >= width || y >= height) {
            return true;
        }
        const uint64_t w = std::min<uint64_t>(regionWidth, uint64_t(width) - x);
        const uint64_t h = std::min<uint64_t>(regionHeight, uint64_t(height) - y);
        if (w == 0 || h == 0) {
            return true;
        }
        const int64_t rowBytes = int64_t(w) * 2;
        if (destinationStride < 0 ||
            !LfbReadStrideAccepted(destination, uint64_t(destinationStride), h, uint64_t(rowBytes))) {
            return false;
        }
        ZelkGrLfbLockRecord record;
        record.writeMode = ReadMode(recordIndex);
        record.origin = GR_ORIGIN_UPPER_LEFT;
        const RECT rect = {LONG(x), LONG(y), LONG(x + w), LONG(y + h)};
        if (!CreateSurfaceLFB(0, recordIndex, &rect, record)) {
            CreateSoftwareLFB(0, recordIndex, &rect, record);
        }
        bool result = false;
        if (record.lfbPointer) {
            uint8_t* target = static_cast<uint8_t*>(destination);
            for (uint64_t row = 0; row < h; ++row) {
                std::memcpy(LfbRegionRow(target, destinationStride, row),
                            LfbRegionRow(record.lfbPointer, record.stride, row), size_t(rowBytes));
            }
            result = true;
        }
        if (record.kind == kLfbKindSurface) {
            ReleaseSurfaceLFB(0, recordIndex, record);
        }
        return result;
    } catch (ZelkException& e) {
        WriteErrorLog(e);
        throw;
    }
}

bool ZelkGrLfbAccessor::WriteRegion(GrBuffer_t buffer, GrLfbSrcFmt_t sourceFormat, uint32_t x,
                                    uint32_t y, uint32_t regionWidth, uint32_t regionHeight,
                                    int32_t sourceStride, const void* source) {
    try {
        if (sourceFormat == GR_LFB_SRC_FMT_RLE16) {
            return false;
        }
        uint32_t mode = sourceFormat;
        if (mode == GR_LFBWRITEMODE_RESERVED1 || !IsGlideWriteMode(mode) ||
            mode == GR_LFBWRITEMODE_ANY) {
            throw ZelkException(kThrowerWriteRegion, false, kMessageSourceFormat);
        }
        const uint32_t recordIndex = MapBuffer(buffer, auxIsDepth, kThrowerWriteRegion);
        if (recordIndex == kLfbRecordAlpha && mode == GR_LFBWRITEMODE_ZA16) {
            mode = GR_LFBWRITEMODE_RESERVED1;
        }
        if (!device) {
            throw ZelkException(kThrowerWriteRegion, false, kMessageCreation);
        }
        if (x >= width || y >= height || source == nullptr) {
            return true;
        }
        const uint64_t w = std::min<uint64_t>(regionWidth, uint64_t(width) - x);
        const uint64_t h = std::min<uint64_t>(regionHeight, uint64_t(height) - y);
        if (w == 0 || h == 0) {
            return true;
        }
        const int64_t rowBytes = int64_t(BytesPerPixel(mode)) * int64_t(w);
        // The rows lie between the source pointer and |stride| x (h - 1)
        // bytes past it; a bottom-up image starts at the last of them.
        const int64_t magnitude = sourceStride < 0 ? -int64_t(sourceStride) : int64_t(sourceStride);
        if (!LfbRegionRowsFit(source, magnitude, h, uint64_t(rowBytes))) {
            return false;
        }
        const uint8_t* firstRow = static_cast<const uint8_t*>(source);
        if (sourceStride < 0) {
            firstRow = LfbRegionRow(firstRow, magnitude, h - 1);
        }
        const RECT rect = {LONG(x), LONG(y), LONG(x + w), LONG(y + h)};

        ZelkGrLfbLockRecord surfaceRecord;
        surfaceRecord.writeMode = mode;
        surfaceRecord.origin = GR_ORIGIN_UPPER_LEFT;
        if (CreateSurfaceLFB(1, recordIndex, &rect, surfaceRecord, /*overwritesRect=*/true)) {
            if (surfaceRecord.stride >= rowBytes && surfaceRecord.lfbPointer) {
                for (uint64_t row = 0; row < h; ++row) {
                    std::memcpy(LfbRegionRow(surfaceRecord.lfbPointer, surfaceRecord.stride, row),
                                LfbRegionRow(firstRow, sourceStride, row), size_t(rowBytes));
                }
            }
            return ReleaseSurfaceLFB(1, recordIndex, surfaceRecord);
        }
        ZelkGrLfbLockRecord softwareRecord;
        softwareRecord.writeMode = mode;
        softwareRecord.origin = GR_ORIGIN_UPPER_LEFT;
        // ZA16 regions of the back buffer keep their constant-colour fill.
        softwareRecord.pixelPipeline = true;
        softwareRecord.kind = kLfbKindSoftware;
        softwareRecord.stride = sourceStride;
        softwareRecord.lfbPointer = const_cast<uint8_t*>(firstRow);
        softwareRecord.rect = ZelkGrRect(0, 0, LONG(w), LONG(h));
        const POINT target = {LONG(x), LONG(y)};
        return LoadSurfaceFromSoftwareLFB(recordIndex, &target, softwareRecord);
    } catch (ZelkException& e) {
        WriteErrorLog(e);
        throw;
    }
}

}  // namespace zelk
