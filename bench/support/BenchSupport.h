// What the benchmarks share: a clock, a window and a Direct3D 9 device.
#pragma once

#include <windows.h>

#include <d3d9.h>

#include "framework/ZelkD3DPtr.h"

namespace zelkbench {

// Seconds since an arbitrary start, from the performance counter.
double Now();

// A visible window whose client area is width x height; the class is
// registered on first use.
HWND CreateBenchWindow(const char* className, const char* title, int width, int height);

// A windowed HAL device with one back buffer of the format and size, an
// automatic depth buffer of the format, no vertical sync and software
// vertex processing; null when the device cannot be created.
IDirect3DDevice9Ptr CreateBenchDevice(IDirect3D9* d3d, HWND window, UINT width, UINT height,
                                            D3DFORMAT backBuffer, D3DFORMAT depthStencil, DWORD presentFlags,
                                            DWORD createFlags);

}  // namespace zelkbench
