#pragma once

// A plain reference of the pixel conversion rules, written channel by channel
// from the format layouts, for checking the converters against.
#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

namespace pixeltest {

// The 21 formats every colour destination accepts as sources.
const std::vector<DWORD>& CommonSources();

// The destinations with their accepted sources (238 pairs in all).
const std::vector<std::pair<DWORD, DWORD>>& SupportedPairs();

unsigned TexelBytes(DWORD format);
std::string FormatName(DWORD format);

// What converting one texel writes: the low `bytes` bytes of `value`.
struct ReferenceTexel {
    uint32_t value;
    unsigned bytes;
};

// The conversion of the source texel `sourceValue` (its texel bytes as a
// little-endian value) into `destination`, with the palette and fill colour.
ReferenceTexel ReferenceConvert(DWORD destination, DWORD source, uint32_t sourceValue,
                                const PALETTEENTRY* palette, uint32_t fillColor);

// A palette whose entries differ in every byte (flags included).
const PALETTEENTRY* TestPalette();

// Deterministic pseudo-random numbers.
class Random {
public:
    explicit Random(uint32_t seed) : state_(seed) {}
    uint32_t Next() {
        state_ = state_ * 1664525u + 1013904223u;
        return (state_ >> 16) | (state_ << 16);
    }

private:
    uint32_t state_;
};

// Source values to try for a format: every value for 1- and 2-byte texels,
// edge and pseudo-random values for 3- and 4-byte texels.
std::vector<uint32_t> SourceValues(DWORD format);

// Two pages, the second inaccessible: `Tail(n)` is the address of the last n
// bytes before the inaccessible page, so reading past them faults.
class GuardedBuffer {
public:
    GuardedBuffer();
    ~GuardedBuffer();
    GuardedBuffer(const GuardedBuffer&) = delete;
    GuardedBuffer& operator=(const GuardedBuffer&) = delete;
    uint8_t* Tail(size_t bytes) const { return base_ + pageSize_ - bytes; }
    size_t PageSize() const { return pageSize_; }

private:
    uint8_t* base_;
    size_t pageSize_;
};

}  // namespace pixeltest
