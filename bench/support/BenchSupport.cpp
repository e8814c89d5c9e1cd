#include "bench/support/BenchSupport.h"

namespace zelkbench {

double Now()
{
    static const LARGE_INTEGER frequency = [] {
        LARGE_INTEGER f;
        QueryPerformanceFrequency(&f);
        return f;
    }();
    LARGE_INTEGER counter;
    QueryPerformanceCounter(&counter);
    return static_cast<double>(counter.QuadPart) / static_cast<double>(frequency.QuadPart);
}

HWND CreateBenchWindow(const char* className, const char* title, int width, int height)
{
    WNDCLASSA windowClass = {};
    windowClass.lpfnWndProc = DefWindowProcA;
    windowClass.hInstance = GetModuleHandleA(nullptr);
    windowClass.lpszClassName = className;
    RegisterClassA(&windowClass);
    RECT rect = {0, 0, width, height};
    AdjustWindowRect(&rect, WS_OVERLAPPEDWINDOW, FALSE);
    HWND window = CreateWindowA(className, title, WS_OVERLAPPEDWINDOW, 0, 0, rect.right - rect.left,
                                rect.bottom - rect.top, nullptr, nullptr, windowClass.hInstance, nullptr);
    if (window != nullptr) {
        ShowWindow(window, SW_SHOWNOACTIVATE);
    }
    return window;
}

IDirect3DDevice9Ptr CreateBenchDevice(IDirect3D9* d3d, HWND window, UINT width, UINT height,
                                            D3DFORMAT backBuffer, D3DFORMAT depthStencil, DWORD presentFlags,
                                            DWORD createFlags)
{
    D3DPRESENT_PARAMETERS present = {};
    present.BackBufferWidth = width;
    present.BackBufferHeight = height;
    present.BackBufferFormat = backBuffer;
    present.BackBufferCount = 1;
    present.SwapEffect = D3DSWAPEFFECT_DISCARD;
    present.hDeviceWindow = window;
    present.Windowed = TRUE;
    present.EnableAutoDepthStencil = TRUE;
    present.AutoDepthStencilFormat = depthStencil;
    present.Flags = presentFlags;
    present.PresentationInterval = D3DPRESENT_INTERVAL_IMMEDIATE;
    IDirect3DDevice9* device = nullptr;
    IDirect3DDevice9Ptr result;
    if (SUCCEEDED(d3d->CreateDevice(D3DADAPTER_DEFAULT, D3DDEVTYPE_HAL, window,
                                    D3DCREATE_SOFTWARE_VERTEXPROCESSING | createFlags, &present, &device))) {
        result.Attach(device);
    }
    return result;
}

}  // namespace zelkbench
