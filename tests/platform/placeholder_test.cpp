#include "platform/clock.h"

#include <gtest/gtest.h>

TEST(Clock, FixedClockAdvances) {
    bkp::platform::FixedClock c(QDateTime(QDate(2026, 1, 1), QTime(0, 0)));
    c.advanceMs(1500);
    EXPECT_EQ(c.now().time(), QTime(0, 0, 1, 500));
}
