// The device fixture itself: a real device under Wine clears and reads back.
#include "common/DeviceFixture.h"

using zelktest::ColorNear;

using DeviceFixtureTest = zelktest::DeviceFixture;

TEST_F(DeviceFixtureTest, ClearReadsBackEverywhere)
{
    const D3DCOLOR color = D3DCOLOR_XRGB(0x20, 0x80, 0xE0);
    ASSERT_EQ(device->Clear(0, nullptr, D3DCLEAR_TARGET, color, 1.0f, 0), D3D_OK);
    const std::vector<D3DCOLOR> pixels = ReadBackBuffer();
    ASSERT_EQ(pixels.size(), size_t(kWidth * kHeight));
    for (UINT i : {0u, kWidth - 1, kWidth * kHeight / 2 + 7, kWidth * kHeight - 1}) {
        EXPECT_TRUE(ColorNear(color & 0xFFFFFF, pixels[i] & 0xFFFFFF)) << "pixel " << i;
    }
}
