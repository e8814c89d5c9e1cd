#pragma once

#include <windows.h>

namespace zelk {

// An interval timer on the performance counter.  Restart marks the start;
// Measure stores the ticks since then.  Counts are in ticks of Frequency()
// per second; the frequency is 0 when the machine has no performance counter.
class ZelkPerformanceTimer {
public:
    ZelkPerformanceTimer();
    virtual ~ZelkPerformanceTimer();

    void Restart()
    {
        LARGE_INTEGER now;
        if (QueryPerformanceCounter(&now)) {
            startCount_ = now.QuadPart;
        }
    }

    void Measure()
    {
        LARGE_INTEGER now;
        if (QueryPerformanceCounter(&now)) {
            elapsedCount_ = now.QuadPart - startCount_;
        }
    }

    LONGLONG StartCount() const { return startCount_; }
    LONGLONG ElapsedCount() const { return elapsedCount_; }
    LONGLONG Frequency() const { return frequency_; }

private:
    LONGLONG startCount_;
    LONGLONG elapsedCount_;
    LONGLONG frequency_;
};

}  // namespace zelk
