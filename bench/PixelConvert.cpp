// Texture conversion speed: a 256 x 256 texture converted through
// ZelkGrPixelConverter for the common pairs, against memcpy of the same
// number of destination bytes in the same run.  Prints MB/s of destination
// bytes and the ratio to memcpy.
#include "pixelformat/ZelkGrPixelConverter.h"

#include "bench/support/BenchSupport.h"

#include <windows.h>

#include <d3d9.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <vector>

using namespace zelk;
using zelkbench::Now;

namespace {

const int kSize = 256;
// Each pair is timed in rounds that alternate the conversion with memcpy;
// the best round of each counts, so that other load on the machine does not
// skew the ratio.
const int kRounds = 5;
const double kSecondsPerRound = 0.04;

struct Format {
    DWORD code;
    const char* name;
    unsigned bytes;
};

const Format kR8G8B8 = {D3DFMT_R8G8B8, "R8G8B8", 3};
const Format kA8R8G8B8 = {D3DFMT_A8R8G8B8, "A8R8G8B8", 4};
const Format kX8R8G8B8 = {D3DFMT_X8R8G8B8, "X8R8G8B8", 4};
const Format kR5G6B5 = {D3DFMT_R5G6B5, "R5G6B5", 2};
const Format kX1R5G5B5 = {D3DFMT_X1R5G5B5, "X1R5G5B5", 2};
const Format kA1R5G5B5 = {D3DFMT_A1R5G5B5, "A1R5G5B5", 2};
const Format kA4R4G4B4 = {D3DFMT_A4R4G4B4, "A4R4G4B4", 2};
const Format kA8R3G3B2 = {D3DFMT_A8R3G3B2, "A8R3G3B2", 2};
const Format kX4R4G4B4 = {D3DFMT_X4R4G4B4, "X4R4G4B4", 2};
const Format kA8P8 = {D3DFMT_A8P8, "A8P8", 2};
const Format kA8L8 = {D3DFMT_A8L8, "A8L8", 2};
const Format kP8 = {D3DFMT_P8, "P8", 1};
const Format kR3G3B2 = {D3DFMT_R3G3B2, "R3G3B2", 1};
const Format kA8 = {D3DFMT_A8, "A8", 1};
const Format kL8 = {D3DFMT_L8, "L8", 1};
const Format kA4L4 = {D3DFMT_A4L4, "A4L4", 1};

// Destination bytes per second of `run`, repeated for about kSecondsPerRound.
template <typename Run>
double Rate(size_t bytesPerRun, const Run& run) {
    run();  // warm the caches
    unsigned repetitions = 1;
    double elapsed = 0;
    for (;;) {
        const double start = Now();
        for (unsigned i = 0; i < repetitions; ++i) {
            run();
        }
        elapsed = Now() - start;
        if (elapsed >= kSecondsPerRound / 4) {
            break;
        }
        repetitions *= 2;
    }
    repetitions = unsigned(repetitions * (kSecondsPerRound / elapsed)) + 1;
    const double start = Now();
    for (unsigned i = 0; i < repetitions; ++i) {
        run();
    }
    elapsed = Now() - start;
    return double(bytesPerRun) * repetitions / elapsed;
}

// Called through a volatile pointer so that the copies are not elided.
void* (*volatile copyBytes)(void*, const void*, size_t) = std::memcpy;

void Measure(const Format& source, const Format& destination,
             const std::vector<uint8_t>& sourceData, const PALETTEENTRY* palette) {
    ZelkGrPixelConverter converter(source.code, destination.code, palette, nullptr, 0xFFFFFFFF);
    char name[64];
    std::snprintf(name, sizeof(name), "%s -> %s", source.name, destination.name);
    if (converter.ConvertRect == ConvertRectNone) {
        std::printf("%-26s %12s\n", name, "no converter");
        return;
    }
    const size_t destinationBytes = size_t(kSize) * kSize * destination.bytes;
    std::vector<uint8_t> destinationData(destinationBytes);
    const RECT rect = {0, 0, kSize, kSize};
    const POINT point = {0, 0};
    double convert = 0;
    double copy = 0;
    for (int round = 0; round < kRounds; ++round) {
        convert = std::max(convert, Rate(destinationBytes, [&] {
            converter.ConvertRect(&converter, sourceData.data(), &rect, kSize * int(source.bytes),
                                  destinationData.data(), &point, kSize * int(destination.bytes));
        }));
        copy = std::max(copy, Rate(destinationBytes, [&] {
            copyBytes(destinationData.data(), sourceData.data(), destinationBytes);
        }));
    }
    std::printf("%-26s %12.0f %12.0f %8.2f\n", name, convert / 1e6, copy / 1e6, convert / copy);
}

}  // namespace

int main() {
    // Pseudo-random texels and palette.
    std::vector<uint8_t> sourceData(size_t(kSize) * kSize * 4);
    uint32_t state = 2024;
    for (uint8_t& byte : sourceData) {
        state = state * 1664525u + 1013904223u;
        byte = uint8_t(state >> 24);
    }
    std::vector<PALETTEENTRY> palette(256);
    for (unsigned i = 0; i < 256; ++i) {
        palette[i] = {BYTE(i * 73), BYTE(i * 151), BYTE(255 - i), BYTE(i)};
    }

    std::printf("%d x %d texture, MB/s of destination bytes\n", kSize, kSize);
    std::printf("%-26s %12s %12s %8s\n", "pair", "convert", "memcpy", "ratio");
    // Texture downloads: every Glide source layout into the 32-bit
    // destinations, the common ones into R5G6B5, and the 32-bit layouts into
    // the 16-bit destinations.
    const Format* glideSources[] = {&kR5G6B5, &kX1R5G5B5, &kA1R5G5B5, &kA4R4G4B4, &kX4R4G4B4,
                                    &kA8R3G3B2, &kA8L8,   &kR3G3B2,   &kA8,       &kL8,
                                    &kA4L4,     &kA8P8,   &kP8,       &kR8G8B8};
    for (const Format* destination : {&kA8R8G8B8, &kX8R8G8B8}) {
        for (const Format* source : glideSources) {
            Measure(*source, *destination, sourceData, palette.data());
        }
    }
    for (const Format* source :
         {&kA1R5G5B5, &kA4R4G4B4, &kA8R3G3B2, &kA8P8, &kA8L8, &kP8, &kR8G8B8}) {
        Measure(*source, kR5G6B5, sourceData, palette.data());
    }
    for (const Format* source : {&kA8R8G8B8, &kX8R8G8B8}) {
        for (const Format* destination :
             {&kR5G6B5, &kX1R5G5B5, &kA1R5G5B5, &kA4R4G4B4, &kA8R3G3B2, &kX4R4G4B4}) {
            Measure(*source, *destination, sourceData, palette.data());
        }
    }
    return 0;
}
