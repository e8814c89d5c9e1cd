#include "common/ReadBack.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "common/DeviceFixture.h"
#include "framework/ZelkD3DPtr.h"

namespace zelktest {

ReadBack::ReadBack(IDirect3DDevice9* device)
{
    IDirect3DSurface9Ptr target;
    if (device == nullptr || FAILED(device->GetRenderTarget(0, &target))) {
        ADD_FAILURE() << "no render target to read";
        return;
    }
    D3DSURFACE_DESC description = {};
    target->GetDesc(&description);
    if (description.Format != D3DFMT_X8R8G8B8 && description.Format != D3DFMT_A8R8G8B8) {
        ADD_FAILURE() << "render target format " << description.Format << " is not read back";
        return;
    }
    IDirect3DSurface9Ptr copy;
    if (FAILED(device->CreateOffscreenPlainSurface(description.Width, description.Height, description.Format,
                                                   D3DPOOL_SYSTEMMEM, &copy, nullptr)) ||
        FAILED(device->GetRenderTargetData(target, copy))) {
        ADD_FAILURE() << "copying the render target failed";
        return;
    }
    D3DLOCKED_RECT locked = {};
    if (FAILED(copy->LockRect(&locked, nullptr, D3DLOCK_READONLY))) {
        ADD_FAILURE() << "locking the copy failed";
        return;
    }
    width_ = description.Width;
    height_ = description.Height;
    hasAlpha_ = description.Format == D3DFMT_A8R8G8B8;
    pixels_.resize(static_cast<size_t>(width_) * height_);
    for (UINT y = 0; y < height_; ++y) {
        const BYTE* row = static_cast<const BYTE*>(locked.pBits) + static_cast<size_t>(y) * locked.Pitch;
        std::memcpy(&pixels_[static_cast<size_t>(y) * width_], row, static_cast<size_t>(width_) * 4);
    }
    copy->UnlockRect();
}

D3DCOLOR ReadBack::Pixel(UINT x, UINT y) const
{
    if (x >= width_ || y >= height_) {
        return 0;
    }
    return Mask(pixels_[static_cast<size_t>(y) * width_ + x]);
}

testing::AssertionResult ReadBack::RegionNear(int left, int top, int right, int bottom, D3DCOLOR expected,
                                              int tolerance) const
{
    if (!Valid()) {
        return testing::AssertionFailure() << "nothing was read back";
    }
    if (left < 0 || top < 0 || right > static_cast<int>(width_) || bottom > static_cast<int>(height_) ||
        left >= right || top >= bottom) {
        return testing::AssertionFailure() << "region outside the target";
    }
    const D3DCOLOR want = Mask(expected);
    for (int y = top; y < bottom; ++y) {
        for (int x = left; x < right; ++x) {
            const D3DCOLOR got = Pixel(static_cast<UINT>(x), static_cast<UINT>(y));
            if (!ColorsNear(want, got, tolerance)) {
                char text[128];
                std::snprintf(text, sizeof text, "pixel (%d, %d): expected 0x%08lX, got 0x%08lX (tolerance %d)", x,
                              y, static_cast<unsigned long>(want), static_cast<unsigned long>(got), tolerance);
                return testing::AssertionFailure() << text;
            }
        }
    }
    return testing::AssertionSuccess();
}

testing::AssertionResult ReadBack::PixelNear(UINT x, UINT y, D3DCOLOR expected, int tolerance) const
{
    return RegionNear(static_cast<int>(x), static_cast<int>(y), static_cast<int>(x) + 1, static_cast<int>(y) + 1,
                      expected, tolerance);
}

}  // namespace zelktest
