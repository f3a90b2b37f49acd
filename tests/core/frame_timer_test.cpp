#include "core/frame_timer.h"

#include <gtest/gtest.h>

#include "platform/clock.h"

namespace {

struct TimerFixture : testing::Test {
    plat::FakeClock clock{5000};
    plat::ScopedClock use{clock};
};

using FrameTimerTest = TimerFixture;

TEST_F(FrameTimerTest, InitChoosesTheCounterAndThePeriod) {
    CFrameTimer fresh;
    EXPECT_EQ(fresh.GetTicksPerFrame(), 30u);
    EXPECT_EQ(fresh.GetFps(), 0.0);

    CFrameTimer perf(30);  // the fake performance counter runs at 1 MHz
    EXPECT_TRUE(perf.UsesPerfCounter());
    EXPECT_EQ(perf.GetTicksPerFrame(), 33333u);
    EXPECT_EQ(perf.GetDeadline(), 5000000u);

    clock.SetHasPerfCounter(false);
    CFrameTimer ms(30);
    EXPECT_FALSE(ms.UsesPerfCounter());
    EXPECT_EQ(ms.GetTicksPerFrame(), 33u);
    EXPECT_EQ(ms.GetDeadline(), 5000u);
    clock.Advance(7);
    ms.Sample();
    EXPECT_EQ(ms.GetSample(), 5007u);

    // A rate below 1 would divide by zero; it counts as one frame a second.
    CFrameTimer slow(0);
    EXPECT_EQ(slow.GetTicksPerFrame(), 1000u);
}

TEST_F(FrameTimerTest, DeadlineMovesOnePeriodAndNeverBuildsABacklog) {
    for (bool perfCounter : {true, false}) {
        SCOPED_TRACE(perfCounter ? "performance counter" : "millisecond tick");
        clock.SetHasPerfCounter(perfCounter);
        CFrameTimer timer(30);
        const uint64_t period = timer.GetTicksPerFrame();
        const uint64_t start = timer.GetDeadline();

        // On time: one period on from the old deadline.
        clock.Advance(10);
        timer.Sample();
        timer.AdvanceDeadline();
        EXPECT_EQ(timer.GetDeadline(), start + period);

        // After a pause of several periods: exactly one period after the sample.
        clock.Advance(500);
        timer.Sample();
        timer.AdvanceDeadline();
        EXPECT_EQ(timer.GetDeadline(), timer.GetSample() + period);
        EXPECT_GT(timer.GetDeadline(), timer.GetSample());
    }
}

TEST_F(FrameTimerTest, RateIsMeasuredOverWindowsOfAtLeastOneSecond) {
    CFrameTimer timer(30);
    // 31 frames over 1,033 ms; the frame that closes the window counts.
    for (int i = 0; i < 30; ++i) {
        clock.Advance(33);
        EXPECT_EQ(timer.CountFps(), plat::timeGetTime());
        EXPECT_EQ(timer.GetFps(), 0.0);  // not a full second yet
    }
    clock.Advance(43);
    timer.CountFps();
    EXPECT_NEAR(timer.GetFps(), 30.01, 0.001);
    EXPECT_DOUBLE_EQ(timer.GetFps(), 1000.0 / 1033.0 * 31.0);
    EXPECT_EQ(timer.GetFramesCounted(), 0u);

    // Fewer than 1,000 ms leave the last rate as it is.
    for (int i = 0; i < 50; ++i) {
        clock.Advance(19);
        timer.CountFps();
    }
    EXPECT_NEAR(timer.GetFps(), 30.01, 0.001);
    clock.Advance(49);  // 999 ms in this window
    timer.CountFps();
    EXPECT_NEAR(timer.GetFps(), 30.01, 0.001);
    clock.Advance(1);
    timer.CountFps();
    EXPECT_DOUBLE_EQ(timer.GetFps(), 52.0);
}

TEST_F(FrameTimerTest, RateSurvivesTheMillisecondTickWrapping) {
    clock.SetMilliseconds(0xFFFFFE00u);
    clock.SetHasPerfCounter(false);
    CFrameTimer timer(30);
    for (int i = 0; i < 20; ++i) {
        clock.Advance(50);
        timer.CountFps();
    }
    EXPECT_LT(plat::timeGetTime(), 0x1000u);  // wrapped
    EXPECT_DOUBLE_EQ(timer.GetFps(), 20.0);
}

}  // namespace
