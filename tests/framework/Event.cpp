// The event wrapper and the performance timer on real Windows objects.
#include <gtest/gtest.h>

#include <windows.h>

#include "framework/ZelkEvent.h"
#include "framework/ZelkPerformanceTimer.h"

using zelk::ZelkEvent;
using zelk::ZelkPerformanceTimer;

struct EventKind {
    bool manualReset;
    bool initiallySet;
};

class EventTest : public testing::TestWithParam<EventKind> {};

TEST_P(EventTest, WaitReportsWhetherTheEventIsSet)
{
    const EventKind kind = GetParam();
    ZelkEvent event(kind.manualReset, kind.initiallySet);
    ASSERT_NE(event.Handle(), nullptr);
    EXPECT_EQ(event.Wait(0), kind.initiallySet);
    // An automatic event was cleared by the successful wait.
    EXPECT_EQ(event.Wait(0), kind.initiallySet && kind.manualReset);

    ASSERT_TRUE(ResetEvent(event.Handle()));
    const DWORD start = GetTickCount();
    EXPECT_FALSE(event.Wait(50));
    EXPECT_GE(GetTickCount() - start, 40u);

    ASSERT_TRUE(SetEvent(event.Handle()));
    EXPECT_TRUE(event.Wait(0));
    EXPECT_EQ(event.Wait(0), kind.manualReset);
}

INSTANTIATE_TEST_SUITE_P(Kinds, EventTest,
    testing::Values(EventKind{false, false}, EventKind{false, true}, EventKind{true, false}, EventKind{true, true}));

TEST(PerformanceTimerTest, MeasuresASleep)
{
    ZelkPerformanceTimer timer;
    ASSERT_GT(timer.Frequency(), 0);
    EXPECT_EQ(timer.ElapsedCount(), 0);
    timer.Restart();
    EXPECT_NE(timer.StartCount(), 0);
    Sleep(100);
    timer.Measure();
    const double seconds = static_cast<double>(timer.ElapsedCount()) / static_cast<double>(timer.Frequency());
    EXPECT_GE(seconds, 0.09);
    EXPECT_LT(seconds, 1.0);
}
