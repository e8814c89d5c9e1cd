// What the benchmarks share: a clock and a window (devices come from the
// tests' CreateTestDevice).
#pragma once

#include <windows.h>

#include "common/TestDevice.h"

namespace zelkbench {

// Seconds since an arbitrary start, from the performance counter.
double Now();

// A visible window whose client area is width x height; the class is
// registered on first use.
HWND CreateBenchWindow(const char* className, const char* title, int width, int height);

}  // namespace zelkbench
