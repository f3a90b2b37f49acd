#include "platform/local_time.h"

#include <gtest/gtest.h>

namespace {

TEST(LocalTimeTest, FixedTimeWhileInstalledThenTheClock) {
    {
        plat::ScopedLocalTime fixed({2007, 3, 3, 14, 5, 9});
        EXPECT_EQ(plat::GetLocalTime().minute, 5);
        {
            plat::ScopedLocalTime inner({2010, 1, 2, 3, 4, 5});
            EXPECT_EQ(plat::GetLocalTime().year, 2010);
        }
        EXPECT_EQ(plat::GetLocalTime().year, 2007);
    }
    plat::LocalTime now = plat::GetLocalTime();
    EXPECT_GE(now.year, 2020);
    EXPECT_GE(now.month, 1);
    EXPECT_LE(now.month, 12);
}

}  // namespace
