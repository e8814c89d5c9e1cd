// The bodies of the linear-frame-buffer exports.  With frame-buffer access
// on they go to the front end's accessor (locks and region calls first let
// the renderer play everything recorded); with it off, locks hand out scratch memory that
// is never shown and the other calls succeed without effect.
#include <algorithm>
#include <cstring>
#include <vector>

#include "framework/ZelkException.h"
#include "glide/ZelkGlide.h"
#include "glide/ZelkGlideBodies.h"
#include "lfb/ZelkGrLfbRegionRows.h"

namespace zelk {
namespace glidebody {

namespace {

// Scratch memory of the locks made while frame-buffer access is off, one
// for read locks and one for write locks; kept until the library unloads.
std::vector<std::uint8_t>& ScratchBuffer(std::uint32_t lockType) {
    static std::vector<std::uint8_t> buffers[2];
    return buffers[lockType];
}

// Every write mode hands out no more than 4 bytes a pixel.
constexpr std::uint32_t kScratchBytesPerPixel = 4;

FxBool ScratchLock(ZelkGlide& glide, GrLock_t type, GrBuffer_t buffer, GrLfbWriteMode_t writeMode,
                   GrLfbInfo_t* info) {
    const std::uint32_t lockType = type & 0xF;
    if (lockType > 1 || info == nullptr || !glide.IsOpen()) {
        return FXFALSE;
    }
    std::uint32_t mode = std::uint32_t(writeMode);
    if (mode == GR_LFBWRITEMODE_ANY) {
        mode = (buffer == GR_BUFFER_FRONTBUFFER || buffer == GR_BUFFER_BACKBUFFER) ? GR_LFBWRITEMODE_565
                                                                                    : GR_LFBWRITEMODE_ZA16;
    }
    if (lockType == GR_LFB_READ_ONLY) {
        mode = GR_LFBWRITEMODE_565;
    }
    const std::uint32_t bpp = ZelkGrLfbAccessor::BytesPerPixel(mode);
    if (bpp == 0) {
        return FXFALSE;
    }
    // Grows (zero-filled) when a larger mode opens.
    std::vector<std::uint8_t>& scratch = ScratchBuffer(lockType);
    const std::size_t needed = std::size_t(glide.screenWidth) * glide.screenHeight * kScratchBytesPerPixel;
    if (scratch.size() < needed) {
        scratch.assign(needed, 0);
    }
    info->lfbPtr = scratch.data();
    info->strideInBytes = glide.screenWidth * bpp;
    info->writeMode = GrLfbWriteMode_t(mode);
    info->origin = GrOriginLocation_t(glide.state.origin);
    return FXTRUE;
}

// Lets the renderer play everything recorded so far and waits until its
// worker has left the device: frame-buffer access then sees every earlier
// draw, and no other thread uses the surfaces it locks.
void PlayRecordedWork(ZelkGlide& glide) {
    if (glide.renderer) {
        glide.renderer->Flush(true);
    }
}

// The aux buffer is the depth buffer while depth buffering is on.
ZelkGrLfbAccessor& Accessor(ZelkGlide& glide) {
    glide.lfbAccessor.auxIsDepth = glide.state.depthBufferMode != GR_DEPTHBUFFER_DISABLE;
    return glide.lfbAccessor;
}

}  // namespace

FxBool grLfbLock(GrLock_t type, GrBuffer_t buffer, GrLfbWriteMode_t writeMode, GrOriginLocation_t origin,
                 FxBool pixelPipeline, GrLfbInfo_t* info) {
    ZelkGlide& glide = *GetGlide();
    if (!glide.settings.enableLfbAccessing) {
        return ScratchLock(glide, type, buffer, writeMode, info);
    }
    PlayRecordedWork(glide);
    return Accessor(glide).Lock(type, buffer, writeMode, origin, pixelPipeline, info) ? FXTRUE : FXFALSE;
}

FxBool grLfbUnlock(GrLock_t type, GrBuffer_t buffer) {
    ZelkGlide& glide = *GetGlide();
    if (!glide.settings.enableLfbAccessing) {
        return FXTRUE;
    }
    return Accessor(glide).Unlock(type, buffer) ? FXTRUE : FXFALSE;
}

FxBool grLfbReadRegion(GrBuffer_t buffer, FxU32 x, FxU32 y, FxU32 width, FxU32 height, FxU32 stride,
                       void* destination) {
    ZelkGlide& glide = *GetGlide();
    // Strides are signed byte counts: one above 2^31 - 1 is no stride.
    if (stride > kLfbMaxReadStride) {
        return FXFALSE;
    }
    if (!glide.settings.enableLfbAccessing) {
        // Nothing to read: the application gets zero pixels, not stale memory.
        if (destination && glide.IsOpen() && x < glide.screenWidth && y < glide.screenHeight) {
            const std::uint64_t w = std::min<std::uint64_t>(width, glide.screenWidth - x);
            const std::uint64_t h = std::min<std::uint64_t>(height, glide.screenHeight - y);
            if (!LfbReadStrideAccepted(destination, stride, h, w * 2)) {
                return FXFALSE;
            }
            std::uint8_t* const first = static_cast<std::uint8_t*>(destination);
            for (std::uint64_t row = 0; row < h; ++row) {
                std::memset(LfbRegionRow(first, std::int64_t(stride), row), 0, std::size_t(w * 2));
            }
        }
        return FXTRUE;
    }
    PlayRecordedWork(glide);
    return Accessor(glide).ReadRegion(buffer, x, y, width, height, std::int32_t(stride), destination) ? FXTRUE
                                                                                                      : FXFALSE;
}

FxBool grLfbWriteRegion(GrBuffer_t buffer, FxU32 x, FxU32 y, GrLfbSrcFmt_t sourceFormat, FxU32 width,
                        FxU32 height, FxI32 stride, void* source) {
    ZelkGlide& glide = *GetGlide();
    if (!glide.settings.enableLfbAccessing) {
        return FXTRUE;
    }
    PlayRecordedWork(glide);
    return Accessor(glide).WriteRegion(buffer, sourceFormat, x, y, width, height, stride, source) ? FXTRUE
                                                                                                   : FXFALSE;
}

FxBool grLfbWriteRegionImpl(GrBuffer_t buffer, FxU32 x, FxU32 y, GrLfbSrcFmt_t sourceFormat, FxU32 width,
                            FxU32 height, FxBool /*pixelPipeline*/, FxI32 stride, void* source) {
    return grLfbWriteRegion(buffer, x, y, sourceFormat, width, height, stride, source);
}

void grLfbConstantAlpha(GrAlpha_t alpha) {
    GetGlide()->lfbAccessor.constantAlpha = alpha & 0xFF;
}

void grLfbConstantDepth(FxU16 depth) {
    GetGlide()->lfbAccessor.constantDepth = std::uint32_t(depth) << 16;
}

// Swizzling and the write colour format are not emulated.
void grLfbWriteColorSwizzle(FxBool, FxBool) { GetGlide(); }
void grLfbWriteColorFormat(GrColorFormat_t) { GetGlide(); }

}  // namespace glidebody
}  // namespace zelk
