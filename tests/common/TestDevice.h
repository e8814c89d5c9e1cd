#pragma once

// Creating the real windowed devices the tests draw on.
#include <windows.h>

#include "framework/ZelkD3DPtr.h"

namespace zelktest {

struct TestDeviceOptions {
    D3DFORMAT backBuffer = D3DFMT_X8R8G8B8;
    D3DFORMAT depthStencil = D3DFMT_D24S8;
    DWORD presentFlags = 0;
    UINT presentationInterval = D3DPRESENT_INTERVAL_IMMEDIATE;
    // Added to D3DCREATE_SOFTWARE_VERTEXPROCESSING.
    DWORD createFlags = D3DCREATE_MULTITHREADED;
};

// A windowed HAL device with one width x height back buffer and an automatic
// depth buffer, software vertex processing (multithreaded unless the options
// say otherwise); the result of CreateDevice (device stays null on failure).
HRESULT CreateTestDevice(IDirect3D9* d3d, HWND window, UINT width, UINT height, IDirect3DDevice9Ptr& device,
                         const TestDeviceOptions& options = TestDeviceOptions());

}  // namespace zelktest
