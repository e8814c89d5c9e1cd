#include "framework/ZelkPerformanceTimer.h"

namespace zelk {

ZelkPerformanceTimer::ZelkPerformanceTimer() : startCount_(0), elapsedCount_(0), frequency_(0)
{
    LARGE_INTEGER frequency;
    if (QueryPerformanceFrequency(&frequency) && frequency.QuadPart > 0) {
        frequency_ = frequency.QuadPart;
    }
}

ZelkPerformanceTimer::~ZelkPerformanceTimer() = default;

}  // namespace zelk
