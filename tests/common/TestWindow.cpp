#include "common/TestWindow.h"

#include <stdexcept>

namespace zelktest {

namespace {

const char* const kClassName = "ZelkTestWindow";

void RegisterOnce()
{
    static bool registered = false;
    if (registered) {
        return;
    }
    WNDCLASSA windowClass = {};
    windowClass.lpfnWndProc = DefWindowProcA;
    windowClass.hInstance = GetModuleHandleA(nullptr);
    windowClass.hCursor = LoadCursor(nullptr, IDC_ARROW);
    windowClass.lpszClassName = kClassName;
    if (!RegisterClassA(&windowClass) && GetLastError() != ERROR_CLASS_ALREADY_EXISTS) {
        throw std::runtime_error("RegisterClass failed");
    }
    registered = true;
}

}  // namespace

TestWindow::TestWindow(int width, int height, const char* title)
{
    RegisterOnce();
    RECT frame = {0, 0, width, height};
    AdjustWindowRect(&frame, WS_OVERLAPPEDWINDOW, FALSE);
    window_ = CreateWindowExA(0, kClassName, title, WS_OVERLAPPEDWINDOW, 0, 0, frame.right - frame.left,
                              frame.bottom - frame.top, nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
    if (!window_) {
        throw std::runtime_error("CreateWindowEx failed");
    }
    ShowWindow(window_, SW_SHOWNORMAL);
    UpdateWindow(window_);
    PumpMessages();
}

TestWindow::~TestWindow()
{
    if (window_) {
        DestroyWindow(window_);
        PumpMessages();
    }
}

void TestWindow::PumpMessages()
{
    MSG message;
    while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
}

}  // namespace zelktest
