#pragma once

// Where the rows of a region call lie in the application's memory: each
// row address is worked out in 64 bits, and a region whose rows would run
// past either end of the address space is refused rather than wrapped
// around onto memory the application never handed over.
#include <cstdint>

namespace zelk {

// Largest row stride a region read takes: strides are signed byte counts.
constexpr std::uint64_t kLfbMaxReadStride = 0x7FFFFFFFu;

// True when `rows` rows of `rowBytes` bytes, the first at `first` and each
// further one `stride` bytes after the one before (before it when
// negative), all lie inside the address space.
inline bool LfbRegionRowsFit(const void* first, std::int64_t stride, std::uint64_t rows,
                             std::uint64_t rowBytes) {
    if (rows == 0) {
        return true;
    }
    // The highest address, not one past it: in a 64-bit process that would
    // not fit 64 bits.  Every sum below stays at or under it.
    const std::uint64_t start = reinterpret_cast<std::uintptr_t>(first);
    const std::uint64_t last = std::uint64_t(UINTPTR_MAX);
    const std::uint64_t magnitude = stride < 0 ? 0u - std::uint64_t(stride) : std::uint64_t(stride);
    if (rows > 1 && magnitude > last / (rows - 1)) {
        return false;
    }
    const std::uint64_t span = magnitude * (rows - 1);
    // The first byte of the row nearest the top of memory, and the bytes
    // after it that its row takes.
    std::uint64_t top = start;
    if (stride < 0) {
        if (span > start) {
            return false;
        }
    } else {
        if (span > last - start) {
            return false;
        }
        top = start + span;
    }
    return rowBytes == 0 || rowBytes - 1 <= last - top;
}

// The address of row `row` of such a region (after LfbRegionRowsFit).
template <typename Byte>
inline Byte* LfbRegionRow(Byte* first, std::int64_t stride, std::uint64_t row) {
    const std::int64_t offset = stride * std::int64_t(row);
    return first + std::intptr_t(offset);
}

// True when a region read may copy rows of `rowBytes` bytes into the
// destination with this stride: a stride from the row size up to 2^31 - 1
// whose rows stay inside the address space.
inline bool LfbReadStrideAccepted(const void* destination, std::uint64_t stride, std::uint64_t rows,
                                  std::uint64_t rowBytes) {
    return destination != nullptr && stride >= rowBytes && stride <= kLfbMaxReadStride &&
           LfbRegionRowsFit(destination, std::int64_t(stride), rows, rowBytes);
}

}  // namespace zelk
