#include "platform/clock.h"

#include <gtest/gtest.h>

namespace {

TEST(ClockTest, FakeClockDrivesTheGameCalls) {
    plat::FakeClock clock(0xFFFFFFF0u);
    plat::ScopedClock use(clock);
    EXPECT_EQ(plat::timeGetTime(), 0xFFFFFFF0u);
    clock.Advance(0x20);
    EXPECT_EQ(plat::timeGetTime(), 0x10u);  // wraps like a 32-bit counter

    uint64_t f = 0, c0 = 0, c1 = 0;
    ASSERT_TRUE(plat::QueryPerformanceFrequency(&f));
    EXPECT_EQ(f, 1000000u);
    ASSERT_TRUE(plat::QueryPerformanceCounter(&c0));
    plat::Sleep(5);
    ASSERT_TRUE(plat::QueryPerformanceCounter(&c1));
    EXPECT_EQ(c1 - c0, 5000u);
    EXPECT_EQ(clock.TotalSlept(), 5u);

    clock.SetHasPerfCounter(false);
    EXPECT_FALSE(plat::QueryPerformanceFrequency(&f));
    EXPECT_FALSE(plat::QueryPerformanceCounter(&c0));
}

TEST(ClockTest, SystemClockMovesForward) {
    uint64_t f = 0, a = 0, b = 0;
    ASSERT_TRUE(plat::QueryPerformanceFrequency(&f));
    EXPECT_GT(f, 0u);
    plat::QueryPerformanceCounter(&a);
    plat::Sleep(2);
    plat::QueryPerformanceCounter(&b);
    EXPECT_GE(b - a, f / 1000);
}

}  // namespace
