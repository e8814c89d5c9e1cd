#pragma once

// The row walk shared by every per-rectangle converter: rows top to
// bottom - 1, exactly right - left texels per row, each row converted in an
// unrolled main stage of K texels per step (K = 32, 16, 8 for 1-, 2-, 3/4-byte
// source texels) and tail stages of K/2, K/4, ..., 1 texels that run at most
// once each.  Texels are read and written byte-exact (LoadTexel and
// StoreTexel), so 3-byte and unaligned texels are safe, and nothing outside
// the rectangle is touched.
// An empty or inverted rectangle (right <= left or bottom <= top) writes
// nothing.
#include <windows.h>

#include <cstddef>
#include <cstdint>
#include <cstring>

namespace zelk {

// The texel of Size bytes (1 to 4) at p as a little-endian unsigned value.
// Three bytes are put together from single bytes: a copy into a zeroed word
// would store two pieces and load the whole word back, which stalls the load
// on every texel.
template <unsigned Size>
inline uint32_t LoadTexel(const void* p) {
    static_assert(Size >= 1 && Size <= 4, "texels are 1 to 4 bytes");
    if constexpr (Size == 3) {
        const uint8_t* const bytes = static_cast<const uint8_t*>(p);
        return uint32_t(bytes[0]) | uint32_t(bytes[1]) << 8 | uint32_t(bytes[2]) << 16;
    } else {
        uint32_t value = 0;
        std::memcpy(&value, p, Size);
        return value;
    }
}

// Stores the low Size bytes of value at p, little-endian.  Three bytes are
// stored as a 16-bit word and a byte taken from the value in its register.
template <unsigned Size>
inline void StoreTexel(void* p, uint32_t value) {
    static_assert(Size >= 1 && Size <= 4, "texels are 1 to 4 bytes");
    if constexpr (Size == 3) {
        const uint16_t low = uint16_t(value);
        std::memcpy(p, &low, 2);
        static_cast<uint8_t*>(p)[2] = uint8_t(value >> 16);
    } else {
        std::memcpy(p, &value, Size);
    }
}

// Texels per step of a row's main stage, by source texel size.
constexpr unsigned RowWalkMainStep(unsigned sourceTexelSize) {
    return sourceTexelSize == 1 ? 32u : sourceTexelSize == 2 ? 16u : 8u;
}

namespace rowwalk_detail {

// Where the rectangle starts in both images, and its extent; false when the
// rectangle is empty or inverted.
struct RectStart {
    const uint8_t* source;
    uint8_t* destination;
    unsigned width;
    unsigned height;
};

inline bool StartRect(const void* sourceBits, const RECT* sourceRect, int sourcePitch,
                      unsigned sourceTexelSize, void* destinationBits,
                      const POINT* destinationPoint, int destinationPitch,
                      unsigned destinationTexelSize, RectStart* start) {
    const int64_t width = int64_t(sourceRect->right) - sourceRect->left;
    const int64_t height = int64_t(sourceRect->bottom) - sourceRect->top;
    if (width <= 0 || height <= 0) {
        return false;
    }
    start->source = static_cast<const uint8_t*>(sourceBits) +
                    ptrdiff_t(sourceRect->top) * sourcePitch +
                    ptrdiff_t(sourceRect->left) * ptrdiff_t(sourceTexelSize);
    start->destination = static_cast<uint8_t*>(destinationBits) +
                         ptrdiff_t(destinationPoint->y) * destinationPitch +
                         ptrdiff_t(destinationPoint->x) * ptrdiff_t(destinationTexelSize);
    start->width = unsigned(width);
    start->height = unsigned(height);
    return true;
}

// Count consecutive texels, unrolled.
template <unsigned S, unsigned D, unsigned Count, typename TexelOp>
inline void ConvertRun(const uint8_t* source, uint8_t* destination, const TexelOp& op) {
#pragma GCC unroll 32
    for (unsigned i = 0; i < Count; ++i) {
        op(source + i * S, destination + i * D);
    }
}

// The tail stages Step, Step/2, ..., 1, each run once when its bit of n is set.
template <unsigned S, unsigned D, unsigned Step, typename TexelOp>
inline void ConvertTail(unsigned n, const uint8_t* source, uint8_t* destination,
                        const TexelOp& op) {
    if (n & Step) {
        ConvertRun<S, D, Step>(source, destination, op);
        source += Step * S;
        destination += Step * D;
    }
    if constexpr (Step > 1) {
        ConvertTail<S, D, Step / 2>(n, source, destination, op);
    }
}

}  // namespace rowwalk_detail

// Walks the rectangle's rows and calls rowOp(const uint8_t* sourceRow,
// uint8_t* destinationRow, unsigned width) once for each, top to bottom, with
// the addresses of the row's first texels and its width in texels.
template <unsigned SourceSize, unsigned DestinationSize, typename RowOp>
inline void WalkRows(const void* sourceBits, const RECT* sourceRect, int sourcePitch,
                     void* destinationBits, const POINT* destinationPoint, int destinationPitch,
                     const RowOp& rowOp) {
    rowwalk_detail::RectStart start;
    if (!rowwalk_detail::StartRect(sourceBits, sourceRect, sourcePitch, SourceSize,
                                   destinationBits, destinationPoint, destinationPitch,
                                   DestinationSize, &start)) {
        return;
    }
    const uint8_t* sourceRow = start.source;
    uint8_t* destinationRow = start.destination;
    for (unsigned row = 0; row < start.height; ++row) {
        rowOp(sourceRow, destinationRow, start.width);
        sourceRow += sourcePitch;
        destinationRow += destinationPitch;
    }
}

// Converts the `count` texels of one row with op, in the main stage of
// K = RowWalkMainStep(SourceSize) texels per step and the tail stages.
template <unsigned SourceSize, unsigned DestinationSize, typename TexelOp>
inline void WalkRow(const uint8_t* source, uint8_t* destination, unsigned count,
                    const TexelOp& op) {
    // A local copy: what op captures then stays in registers, where through
    // the reference it would be loaded again after every texel store (a byte
    // store may alias anything).
    const TexelOp body(op);
    constexpr unsigned K = RowWalkMainStep(SourceSize);
    for (unsigned step = count / K; step != 0; --step) {
        rowwalk_detail::ConvertRun<SourceSize, DestinationSize, K>(source, destination, body);
        source += K * SourceSize;
        destination += K * DestinationSize;
    }
    rowwalk_detail::ConvertTail<SourceSize, DestinationSize, K / 2>(count % K, source,
                                                                   destination, body);
}

// Walks the rectangle and calls op(const uint8_t* sourceTexel,
// uint8_t* destinationTexel) once for each of its texels, row by row, in
// increasing address order within a row.  SourceSize and DestinationSize are
// the texel sizes in bytes (3 for R8G8B8).
template <unsigned SourceSize, unsigned DestinationSize, typename TexelOp>
inline void WalkRect(const void* sourceBits, const RECT* sourceRect, int sourcePitch,
                     void* destinationBits, const POINT* destinationPoint, int destinationPitch,
                     const TexelOp& op) {
    WalkRows<SourceSize, DestinationSize>(
        sourceBits, sourceRect, sourcePitch, destinationBits, destinationPoint, destinationPitch,
        [&op](const uint8_t* source, uint8_t* destination, unsigned width) {
            WalkRow<SourceSize, DestinationSize>(source, destination, width, op);
        });
}

// Same-format copy of TexelSize-byte texels: one block when both images hold
// the rectangle's rows back to back, else one block per row.
template <unsigned TexelSize>
inline void CopyRect(const void* sourceBits, const RECT* sourceRect, int sourcePitch,
                     void* destinationBits, const POINT* destinationPoint, int destinationPitch) {
    rowwalk_detail::RectStart start;
    if (!rowwalk_detail::StartRect(sourceBits, sourceRect, sourcePitch, TexelSize,
                                   destinationBits, destinationPoint, destinationPitch, TexelSize,
                                   &start)) {
        return;
    }
    const size_t rowBytes = size_t(start.width) * TexelSize;
    if (rowBytes == size_t(sourcePitch) && rowBytes == size_t(destinationPitch)) {
        std::memcpy(start.destination, start.source, rowBytes * start.height);
        return;
    }
    const uint8_t* sourceRow = start.source;
    uint8_t* destinationRow = start.destination;
    for (unsigned row = 0; row < start.height; ++row) {
        std::memcpy(destinationRow, sourceRow, rowBytes);
        sourceRow += sourcePitch;
        destinationRow += destinationPitch;
    }
}

// Copies every TexelSize-byte texel whole, texel by texel on the row walk
// (no block shortcut).
template <unsigned TexelSize>
inline void CopyRectByTexel(const void* sourceBits, const RECT* sourceRect, int sourcePitch,
                            void* destinationBits, const POINT* destinationPoint,
                            int destinationPitch) {
    WalkRect<TexelSize, TexelSize>(
        sourceBits, sourceRect, sourcePitch, destinationBits, destinationPoint, destinationPitch,
        [](const uint8_t* source, uint8_t* destination) {
            std::memcpy(destination, source, TexelSize);
        });
}

}  // namespace zelk
