// Frame-buffer access speed on a 32-bit and a 16-bit back buffer, against a
// plain LockRect of the back buffer and a copy of the same screen in the
// same run: full-screen write locks (the application fills the memory it is
// handed) and read locks (it copies the memory out), in both origins, and
// full-screen region writes, in 565 and 8888.  Accesses whose layout is not
// the back buffer's own convert: through a render target of the layout's
// format where the device converts, else (and for lower-left locks, always)
// through a copy in system memory.  Prints operations per second and the
// ratio to the plain copy.
#include <windows.h>

#include <d3d9.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <functional>
#include <vector>

#include "bench/support/BenchSupport.h"
#include "lfb/ZelkGrLfbAccessor.h"

using namespace zelk;
using zelkbench::Now;

namespace {

const UINT kWidth = 640;
const UINT kHeight = 480;
const int kRounds = 3;
const double kSecondsPerRound = 0.25;

// Best operations per second over the rounds.
double Rate(const std::function<void()>& operation) {
    double best = 0;
    for (int round = 0; round < kRounds; ++round) {
        int count = 0;
        const double start = Now();
        double elapsed = 0;
        do {
            operation();
            ++count;
            elapsed = Now() - start;
        } while (elapsed < kSecondsPerRound);
        best = std::max(best, count / elapsed);
    }
    return best;
}

// One full-screen write lock of the back buffer, filled row by row.
void FillThroughWriteLock(ZelkGrLfbAccessor& accessor, GrLfbWriteMode_t mode, GrOriginLocation_t origin,
                          const std::vector<uint8_t>& screen) {
    const UINT bpp = ZelkGrLfbAccessor::BytesPerPixel(mode);
    GrLfbInfo_t info = {};
    info.size = sizeof info;
    accessor.Lock(GR_LFB_WRITE_ONLY, GR_BUFFER_BACKBUFFER, mode, origin, FXFALSE, &info);
    for (UINT y = 0; y < kHeight; ++y) {
        std::memcpy(static_cast<uint8_t*>(info.lfbPtr) + y * info.strideInBytes,
                    screen.data() + size_t(y) * kWidth * bpp, kWidth * bpp);
    }
    accessor.Unlock(GR_LFB_WRITE_ONLY, GR_BUFFER_BACKBUFFER);
}

// One full-screen read lock of the back buffer (565), copied out row by row.
void CopyOutOfReadLock(ZelkGrLfbAccessor& accessor, GrOriginLocation_t origin, std::vector<uint8_t>& screen) {
    GrLfbInfo_t info = {};
    info.size = sizeof info;
    accessor.Lock(GR_LFB_READ_ONLY, GR_BUFFER_BACKBUFFER, GR_LFBWRITEMODE_565, origin, FXFALSE, &info);
    for (UINT y = 0; y < kHeight; ++y) {
        std::memcpy(screen.data() + size_t(y) * kWidth * 2,
                    static_cast<const uint8_t*>(info.lfbPtr) + y * info.strideInBytes, kWidth * 2);
    }
    accessor.Unlock(GR_LFB_READ_ONLY, GR_BUFFER_BACKBUFFER);
}

void Report(const char* backName, const char* what, const char* how, double rate, double plain) {
    std::printf("%-9s %-30s %-14s %8.1f /s  ratio %.3f\n", backName, what, how, rate, rate / plain);
}

void Bench(IDirect3DDevice9* device, const char* backName) {
    IDirect3DSurface9Ptr back;
    device->GetBackBuffer(0, 0, D3DBACKBUFFER_TYPE_MONO, &back);
    D3DSURFACE_DESC desc = {};
    back->GetDesc(&desc);
    const UINT surfaceBytes = desc.Format == D3DFMT_R5G6B5 ? 2 : 4;
    std::vector<uint8_t> screen(size_t(kWidth) * kHeight * 4, 0x5A);

    // The plain copy: lock the back buffer and copy one screen into it.
    const double plain = Rate([&] {
        D3DLOCKED_RECT locked;
        if (SUCCEEDED(back->LockRect(&locked, nullptr, 0))) {
            for (UINT y = 0; y < kHeight; ++y) {
                std::memcpy(static_cast<uint8_t*>(locked.pBits) + y * locked.Pitch,
                            screen.data() + size_t(y) * kWidth * surfaceBytes, kWidth * surfaceBytes);
            }
            back->UnlockRect();
        }
    });
    std::printf("%-9s %-30s %-14s %8.1f /s\n", backName, "plain LockRect + copy", "", plain);

    const ZelkGrLfbSettings settings = {1, 1, 1, 0, 1, 1};
    ZelkGrLfbAccessor accessor(device, kWidth, kHeight, GR_COLORFORMAT_ARGB, settings);
    // The same accessor without the device's conversions: every converting
    // access goes through the copy in system memory.
    ZelkGrLfbAccessor software = accessor;
    std::fill(std::begin(software.canConvert), std::end(software.canConvert), 0);

    for (GrLfbWriteMode_t mode : {GR_LFBWRITEMODE_565, GR_LFBWRITEMODE_8888}) {
        const bool lossless = (mode == GR_LFBWRITEMODE_565) == (surfaceBytes == 2);
        const UINT bpp = ZelkGrLfbAccessor::BytesPerPixel(mode);
        const char* upper = mode == GR_LFBWRITEMODE_565 ? "565 write lock" : "8888 write lock";
        const char* lower = mode == GR_LFBWRITEMODE_565 ? "565 write lock, lower-left" : "8888 write lock, lower-left";
        const char* region = mode == GR_LFBWRITEMODE_565 ? "565 region write" : "8888 region write";
        Report(backName, upper, lossless ? "as it is" : "render target",
               Rate([&] { FillThroughWriteLock(accessor, mode, GR_ORIGIN_UPPER_LEFT, screen); }), plain);
        if (!lossless) {
            Report(backName, upper, "software copy",
                   Rate([&] { FillThroughWriteLock(software, mode, GR_ORIGIN_UPPER_LEFT, screen); }), plain);
        }
        Report(backName, lower, "software copy",
               Rate([&] { FillThroughWriteLock(accessor, mode, GR_ORIGIN_LOWER_LEFT, screen); }), plain);
        Report(backName, region, lossless ? "as it is" : "render target", Rate([&] {
                   accessor.WriteRegion(GR_BUFFER_BACKBUFFER, mode, 0, 0, kWidth, kHeight, int(kWidth * bpp),
                                        screen.data());
               }),
               plain);
        if (!lossless) {
            Report(backName, region, "software copy", Rate([&] {
                       software.WriteRegion(GR_BUFFER_BACKBUFFER, mode, 0, 0, kWidth, kHeight, int(kWidth * bpp),
                                            screen.data());
                   }),
                   plain);
        }
    }
    const bool readLossless = surfaceBytes == 2;
    Report(backName, "565 read lock", readLossless ? "as it is" : "render target",
           Rate([&] { CopyOutOfReadLock(accessor, GR_ORIGIN_UPPER_LEFT, screen); }), plain);
    if (!readLossless) {
        Report(backName, "565 read lock", "software copy",
               Rate([&] { CopyOutOfReadLock(software, GR_ORIGIN_UPPER_LEFT, screen); }), plain);
    }
    Report(backName, "565 read lock, lower-left", "software copy",
           Rate([&] { CopyOutOfReadLock(accessor, GR_ORIGIN_LOWER_LEFT, screen); }), plain);
}

}  // namespace

int main() {
    HWND window = zelkbench::CreateBenchWindow("zelk lfb bench", "lfb bench", kWidth, kHeight);
    IDirect3D9Ptr d3d;
    d3d.Attach(Direct3DCreate9(D3D_SDK_VERSION));
    if (!d3d || !window) {
        std::printf("no Direct3D\n");
        return 1;
    }
    const struct {
        D3DFORMAT format;
        const char* name;
    } backs[] = {{D3DFMT_X8R8G8B8, "X8R8G8B8"}, {D3DFMT_R5G6B5, "R5G6B5"}};
    for (const auto& back : backs) {
        zelktest::TestDeviceOptions options;
        options.backBuffer = back.format;
        options.depthStencil = D3DFMT_D16_LOCKABLE;
        options.presentFlags = D3DPRESENTFLAG_LOCKABLE_BACKBUFFER;
        options.createFlags = 0;
        IDirect3DDevice9Ptr device;
        if (FAILED(zelktest::CreateTestDevice(d3d, window, kWidth, kHeight, device, options))) {
            std::printf("%s back buffer not offered\n", back.name);
            continue;
        }
        try {
            Bench(device, back.name);
        } catch (...) {
            std::printf("%s: frame-buffer access failed\n", back.name);
        }
    }
    DestroyWindow(window);
    return 0;
}
