#include "common/TestDevice.h"

namespace zelktest {

HRESULT CreateTestDevice(IDirect3D9* d3d, HWND window, UINT width, UINT height, IDirect3DDevice9Ptr& device,
                         const TestDeviceOptions& options)
{
    D3DPRESENT_PARAMETERS present = {};
    present.BackBufferWidth = width;
    present.BackBufferHeight = height;
    present.BackBufferFormat = options.backBuffer;
    present.BackBufferCount = 1;
    present.SwapEffect = D3DSWAPEFFECT_DISCARD;
    present.hDeviceWindow = window;
    present.Windowed = TRUE;
    present.EnableAutoDepthStencil = TRUE;
    present.AutoDepthStencilFormat = options.depthStencil;
    present.Flags = options.presentFlags;
    present.PresentationInterval = options.presentationInterval;
    IDirect3DDevice9* created = nullptr;
    const HRESULT result = d3d->CreateDevice(D3DADAPTER_DEFAULT, D3DDEVTYPE_HAL, window,
                                             D3DCREATE_SOFTWARE_VERTEXPROCESSING | options.createFlags, &present,
                                             &created);
    device = nullptr;
    if (SUCCEEDED(result)) {
        device.Attach(created);
    }
    return result;
}

}  // namespace zelktest
