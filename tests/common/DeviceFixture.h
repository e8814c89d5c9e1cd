#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "common/TestWindow.h"
#include "framework/ZelkD3DPtr.h"

namespace zelktest {

// True when every channel of the two colours differs by at most tolerance.
bool ColorsNear(D3DCOLOR expected, D3DCOLOR actual, int tolerance = 2);

// gtest helper: prints both colours in hexadecimal when they differ.
testing::AssertionResult ColorNear(D3DCOLOR expected, D3DCOLOR actual, int tolerance = 2);

// A window with a real windowed IDirect3DDevice9 (X8R8G8B8 back buffer,
// D24S8 depth, software vertex processing, multithreaded) and read-back of
// the back buffer's pixels.
class DeviceFixture : public testing::Test {
protected:
    static constexpr UINT kWidth = 64;
    static constexpr UINT kHeight = 64;

    void SetUp() override;
    void TearDown() override;

    // The back buffer's pixels, row by row, as X8R8G8B8 values.
    std::vector<D3DCOLOR> ReadBackBuffer();
    D3DCOLOR ReadPixel(UINT x, UINT y);

    std::unique_ptr<TestWindow> window;
    IDirect3D9Ptr d3d;
    IDirect3DDevice9Ptr device;
};

}  // namespace zelktest
