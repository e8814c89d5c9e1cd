#pragma once

#include <gtest/gtest.h>

#include <d3d9.h>

#include <vector>

namespace zelktest {

// One copy of a device's render target, taken when the object is built, for
// pixel checks.  32-bit targets only (X8R8G8B8, A8R8G8B8).  On a target
// without alpha bits the undefined X byte is masked out of every pixel and
// of every expected colour, so checks compare red, green and blue only.
class ReadBack {
public:
    explicit ReadBack(IDirect3DDevice9* device);

    bool Valid() const { return !pixels_.empty(); }
    UINT Width() const { return width_; }
    UINT Height() const { return height_; }
    bool HasAlpha() const { return hasAlpha_; }

    // The pixel, X masked; 0 outside the target.
    D3DCOLOR Pixel(UINT x, UINT y) const;

    // Every pixel of [left, right) x [top, bottom) is within tolerance of
    // the expected colour on each channel; reports the first that is not.
    testing::AssertionResult RegionNear(int left, int top, int right, int bottom, D3DCOLOR expected,
                                        int tolerance = 2) const;
    testing::AssertionResult PixelNear(UINT x, UINT y, D3DCOLOR expected, int tolerance = 2) const;

private:
    D3DCOLOR Mask(D3DCOLOR color) const { return hasAlpha_ ? color : (color & 0x00FFFFFF); }

    UINT width_ = 0;
    UINT height_ = 0;
    bool hasAlpha_ = false;
    std::vector<D3DCOLOR> pixels_;
};

}  // namespace zelktest
