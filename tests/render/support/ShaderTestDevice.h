#pragma once

// One window and one real device shared by the tests of a suite, with an
// A8R8G8B8 render target so that pixel checks see alpha too.
#include <gtest/gtest.h>

#include <memory>

#include "common/TestDevice.h"
#include "common/TestWindow.h"
#include "framework/ZelkD3DPtr.h"

namespace zelktest {

class ShaderTestDevice {
public:
    static constexpr UINT kSize = 16;

    ShaderTestDevice()
    {
        window = std::make_unique<TestWindow>(kSize, kSize);
        d3d.Attach(Direct3DCreate9(D3D_SDK_VERSION));
        if (d3d == nullptr) {
            return;
        }
        TestDeviceOptions options;
        options.presentationInterval = D3DPRESENT_INTERVAL_DEFAULT;
        if (FAILED(CreateTestDevice(d3d, window->Handle(), kSize, kSize, device, options))) {
            return;
        }
        device->CreateRenderTarget(kSize, kSize, D3DFMT_A8R8G8B8, D3DMULTISAMPLE_NONE, 0, FALSE, &target, nullptr);
        device->CreateOffscreenPlainSurface(kSize, kSize, D3DFMT_A8R8G8B8, D3DPOOL_SYSTEMMEM, &readBack, nullptr);
    }

    bool Valid() const { return device != nullptr && target != nullptr && readBack != nullptr; }

    // Reads one pixel of the A8R8G8B8 target.
    D3DCOLOR ReadTarget(UINT x, UINT y)
    {
        if (FAILED(device->GetRenderTargetData(target, readBack))) {
            ADD_FAILURE() << "GetRenderTargetData failed";
            return 0;
        }
        D3DLOCKED_RECT locked = {};
        if (FAILED(readBack->LockRect(&locked, nullptr, D3DLOCK_READONLY))) {
            ADD_FAILURE() << "LockRect failed";
            return 0;
        }
        const D3DCOLOR value =
            reinterpret_cast<const D3DCOLOR*>(static_cast<const BYTE*>(locked.pBits) + y * locked.Pitch)[x];
        readBack->UnlockRect();
        return value;
    }

    // A 1 x 1 managed texture of one colour.
    IDirect3DTexture9Ptr SolidTexture(D3DCOLOR color)
    {
        IDirect3DTexture9Ptr texture;
        if (FAILED(device->CreateTexture(1, 1, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, &texture, nullptr))) {
            ADD_FAILURE() << "CreateTexture failed";
            return texture;
        }
        D3DLOCKED_RECT locked = {};
        texture->LockRect(0, &locked, nullptr, 0);
        *static_cast<D3DCOLOR*>(locked.pBits) = color;
        texture->UnlockRect(0);
        return texture;
    }

    std::unique_ptr<TestWindow> window;
    IDirect3D9Ptr d3d;
    IDirect3DDevice9Ptr device;
    IDirect3DSurface9Ptr target;
    IDirect3DSurface9Ptr readBack;
};

}  // namespace zelktest
