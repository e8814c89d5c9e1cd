#pragma once

#include <windows.h>

namespace zelktest {

// A plain visible top-level window with a client area of the given size,
// destroyed with the object.
class TestWindow {
public:
    TestWindow(int width, int height, const char* title = "zelk test");
    ~TestWindow();
    TestWindow(const TestWindow&) = delete;
    TestWindow& operator=(const TestWindow&) = delete;

    HWND Handle() const { return window_; }

    // Dispatches whatever messages wait for this thread's windows.
    static void PumpMessages();

private:
    HWND window_ = nullptr;
};

}  // namespace zelktest
