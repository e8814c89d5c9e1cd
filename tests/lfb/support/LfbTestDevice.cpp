#include "LfbTestDevice.h"

#include <gtest/gtest.h>

#include <cstring>

#include "common/TestDevice.h"

namespace zelktest {

HWND LfbWindow() {
    static TestWindow* window = new TestWindow(kLfbWidth, kLfbHeight, "lfb test");
    return window->Handle();
}

IDirect3DDevice9Ptr CreateLfbDevice(IDirect3D9* d3d, D3DFORMAT backBuffer, D3DFORMAT depth,
                                    bool lockableBackBuffer, UINT width, UINT height) {
    TestDeviceOptions options;
    options.backBuffer = backBuffer;
    options.depthStencil = depth;
    options.presentFlags = lockableBackBuffer ? D3DPRESENTFLAG_LOCKABLE_BACKBUFFER : 0;
    IDirect3DDevice9Ptr device;
    CreateTestDevice(d3d, LfbWindow(), width, height, device, options);
    return device;
}

std::vector<uint32_t> ReadBack(IDirect3DDevice9* device) {
    std::vector<uint32_t> pixels;
    IDirect3DSurface9Ptr back;
    if (FAILED(device->GetBackBuffer(0, 0, D3DBACKBUFFER_TYPE_MONO, &back))) {
        ADD_FAILURE() << "GetBackBuffer failed";
        return pixels;
    }
    D3DSURFACE_DESC desc = {};
    back->GetDesc(&desc);
    IDirect3DSurface9Ptr copy;
    if (FAILED(device->CreateOffscreenPlainSurface(desc.Width, desc.Height, desc.Format,
                                                   D3DPOOL_SYSTEMMEM, &copy, nullptr)) ||
        FAILED(device->GetRenderTargetData(back, copy))) {
        ADD_FAILURE() << "reading the back buffer failed";
        return pixels;
    }
    D3DLOCKED_RECT locked;
    if (FAILED(copy->LockRect(&locked, nullptr, D3DLOCK_READONLY))) {
        ADD_FAILURE() << "LockRect failed";
        return pixels;
    }
    for (UINT y = 0; y < desc.Height; ++y) {
        const uint8_t* row = static_cast<const uint8_t*>(locked.pBits) + y * locked.Pitch;
        for (UINT x = 0; x < desc.Width; ++x) {
            uint32_t p = 0;
            switch (desc.Format) {
            case D3DFMT_R5G6B5: {
                uint16_t v;
                std::memcpy(&v, row + x * 2, 2);
                p = 0xFF000000u | ((v >> 11) & 31u) << 19 | ((v >> 5) & 63u) << 10 | (v & 31u) << 3;
                break;
            }
            case D3DFMT_X1R5G5B5:
            case D3DFMT_A1R5G5B5: {
                uint16_t v;
                std::memcpy(&v, row + x * 2, 2);
                const uint32_t a = desc.Format == D3DFMT_X1R5G5B5 || (v & 0x8000) ? 0xFF000000u : 0u;
                p = a | ((v >> 10) & 31u) << 19 | ((v >> 5) & 31u) << 11 | (v & 31u) << 3;
                break;
            }
            default:
                std::memcpy(&p, row + x * 4, 4);
                if (desc.Format == D3DFMT_X8R8G8B8) {
                    p |= 0xFF000000u;
                }
            }
            pixels.push_back(p);
        }
    }
    copy->UnlockRect();
    return pixels;
}

std::vector<uint32_t> ReadDepth(IDirect3DDevice9* device) {
    std::vector<uint32_t> values;
    IDirect3DSurface9Ptr depth;
    if (FAILED(device->GetDepthStencilSurface(&depth))) {
        ADD_FAILURE() << "GetDepthStencilSurface failed";
        return values;
    }
    D3DSURFACE_DESC desc = {};
    depth->GetDesc(&desc);
    D3DLOCKED_RECT locked;
    if (FAILED(depth->LockRect(&locked, nullptr, D3DLOCK_READONLY))) {
        ADD_FAILURE() << "locking the depth surface failed";
        return values;
    }
    for (UINT y = 0; y < desc.Height; ++y) {
        const uint8_t* row = static_cast<const uint8_t*>(locked.pBits) + y * locked.Pitch;
        for (UINT x = 0; x < desc.Width; ++x) {
            if (desc.Format == D3DFMT_D16_LOCKABLE) {
                uint16_t v;
                std::memcpy(&v, row + x * 2, 2);
                values.push_back(v);
            } else {
                float f;
                std::memcpy(&f, row + x * 4, 4);
                values.push_back(uint32_t(double(f) * 65535.0));
            }
        }
    }
    depth->UnlockRect();
    return values;
}

void FillBack(IDirect3DDevice9* device, uint32_t argb) {
    ASSERT_EQ(device->Clear(0, nullptr, D3DCLEAR_TARGET, argb, 1.0f, 0), D3D_OK);
}

void FillDepth(IDirect3DDevice9* device, float z) {
    ASSERT_EQ(device->Clear(0, nullptr, D3DCLEAR_ZBUFFER, 0, z, 0), D3D_OK);
}

namespace {

uint32_t Cut(uint32_t v, int bits) { return (v & 0xFF) >> (8 - bits); }

}  // namespace

uint32_t EncodeLfb(uint32_t mode, int order, uint32_t argb, uint32_t depth) {
    const uint32_t a = argb >> 24, r = (argb >> 16) & 0xFF, g = (argb >> 8) & 0xFF, b = argb & 0xFF;
    const bool bgr = order == 1 || order == 3;
    const bool lowAlpha = order == 2 || order == 3;
    const uint32_t first = bgr ? b : r, last = bgr ? r : b;
    const uint32_t colourMode = mode == 0xFF ? 0 : (mode >= 12 && mode <= 14) ? mode - 12 : mode;
    uint32_t v = 0;
    switch (colourMode) {
    case 0: v = Cut(first, 5) << 11 | Cut(g, 6) << 5 | Cut(last, 5); break;
    case 1:
    case 2: {
        const uint32_t rgb = Cut(first, 5) << 10 | Cut(g, 5) << 5 | Cut(last, 5);
        const uint32_t a1 = colourMode == 2 && a != 0;
        v = lowAlpha ? rgb << 1 | a1 : a1 << 15 | rgb;
        break;
    }
    case 3: v = a; break;
    case 4:
    case 5: {
        const uint32_t alpha = colourMode == 5 ? a : 0;
        switch (order) {
        case 0: v = alpha << 24 | r << 16 | g << 8 | b; break;
        case 1: v = alpha << 24 | b << 16 | g << 8 | r; break;
        case 2: v = r << 24 | g << 16 | b << 8 | alpha; break;
        default: v = b << 24 | g << 16 | r << 8 | alpha; break;
        }
        break;
    }
    case 15: v = depth; break;
    }
    if (mode >= 12 && mode <= 14) {
        v |= depth << 16;
    }
    return v;
}

uint32_t ThroughFields(uint32_t mode, uint32_t argb) {
    const uint32_t colourMode = mode == 0xFF ? 0 : (mode >= 12 && mode <= 14) ? mode - 12 : mode;
    const int rb = colourMode <= 2 ? 5 : 8;
    const int gb = colourMode == 0 ? 6 : colourMode <= 2 ? 5 : 8;
    auto through = [](uint32_t v, int bits) { return (Cut(v, bits) << (8 - bits)) & 0xFF; };
    return (argb & 0xFF000000u) | through(argb >> 16, rb) << 16 | through(argb >> 8, gb) << 8 |
           through(argb, rb);
}

}  // namespace zelktest
