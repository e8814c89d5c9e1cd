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

}  // namespace zelkbench
