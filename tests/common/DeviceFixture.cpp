#include "common/DeviceFixture.h"

#include "common/TestDevice.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace zelktest {

bool ColorsNear(D3DCOLOR expected, D3DCOLOR actual, int tolerance)
{
    for (int shift = 0; shift < 32; shift += 8) {
        const int a = static_cast<int>((expected >> shift) & 0xFF);
        const int b = static_cast<int>((actual >> shift) & 0xFF);
        if (std::abs(a - b) > tolerance) {
            return false;
        }
    }
    return true;
}

testing::AssertionResult ColorNear(D3DCOLOR expected, D3DCOLOR actual, int tolerance)
{
    if (ColorsNear(expected, actual, tolerance)) {
        return testing::AssertionSuccess();
    }
    char text[96];
    std::snprintf(text, sizeof text, "expected 0x%08lX, got 0x%08lX (tolerance %d)",
                  static_cast<unsigned long>(expected), static_cast<unsigned long>(actual), tolerance);
    return testing::AssertionFailure() << text;
}

void DeviceFixture::SetUp()
{
    window = std::make_unique<TestWindow>(kWidth, kHeight);
    d3d.Attach(Direct3DCreate9(D3D_SDK_VERSION));
    ASSERT_TRUE(d3d != nullptr) << "Direct3DCreate9 failed";

    const HRESULT result = CreateTestDevice(d3d, window->Handle(), kWidth, kHeight, device);
    ASSERT_EQ(result, D3D_OK) << "CreateDevice failed";
}

void DeviceFixture::TearDown()
{
    device = nullptr;
    d3d = nullptr;
    window.reset();
}

std::vector<D3DCOLOR> DeviceFixture::ReadBackBuffer()
{
    std::vector<D3DCOLOR> pixels;
    IDirect3DSurface9Ptr backBuffer;
    if (FAILED(device->GetBackBuffer(0, 0, D3DBACKBUFFER_TYPE_MONO, &backBuffer))) {
        ADD_FAILURE() << "GetBackBuffer failed";
        return pixels;
    }
    D3DSURFACE_DESC description = {};
    backBuffer->GetDesc(&description);
    IDirect3DSurface9Ptr copy;
    if (FAILED(device->CreateOffscreenPlainSurface(description.Width, description.Height, description.Format,
                                                   D3DPOOL_SYSTEMMEM, &copy, nullptr)) ||
        FAILED(device->GetRenderTargetData(backBuffer, copy))) {
        ADD_FAILURE() << "reading the back buffer failed";
        return pixels;
    }
    D3DLOCKED_RECT locked = {};
    if (FAILED(copy->LockRect(&locked, nullptr, D3DLOCK_READONLY))) {
        ADD_FAILURE() << "LockRect failed";
        return pixels;
    }
    pixels.resize(description.Width * description.Height);
    for (UINT y = 0; y < description.Height; ++y) {
        const BYTE* row = static_cast<const BYTE*>(locked.pBits) + y * locked.Pitch;
        for (UINT x = 0; x < description.Width; ++x) {
            D3DCOLOR pixel;
            std::memcpy(&pixel, row + x * 4, 4);
            pixels[y * description.Width + x] = pixel;
        }
    }
    copy->UnlockRect();
    return pixels;
}

D3DCOLOR DeviceFixture::ReadPixel(UINT x, UINT y)
{
    const std::vector<D3DCOLOR> pixels = ReadBackBuffer();
    return pixels.empty() ? 0 : pixels.at(y * kWidth + x);
}

}  // namespace zelktest
