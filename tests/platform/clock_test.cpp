#include "platform/clock.h"
#include "support/fixedclock.h"

#include <gtest/gtest.h>

#include "support/printers.h"

using namespace bkp::platform;

TEST(Clock, FixedClockAdvances) {
    FixedClock c(QDateTime(QDate(2026, 1, 1), QTime(0, 0)));
    c.advanceMs(1500);
    EXPECT_EQ(c.now().time(), QTime(0, 0, 1, 500));
}

TEST(Clock, InstalledClockIsTheProgramsClockUntilRemoved) {
    const QDateTime fixed(QDate(2026, 9, 5), QTime(20, 5));
    FixedClock c(fixed);
    {
        ScopedClock scope(&c);
        EXPECT_EQ(bkp::platform::clock().now(), fixed);
    }
    EXPECT_LE(qAbs(bkp::platform::clock().now().msecsTo(QDateTime::currentDateTime())), 1000);
}

TEST(Clock, RecordingSleeperCountsAndAdvancesTheClock) {
    FixedClock c(QDateTime(QDate(2026, 1, 1), QTime(10, 0)));
    RecordingSleeper s(&c);
    ScopedSleeper scope(&s);
    sleeper().sleep(800);
    sleeper().sleep(0);
    sleeper().sleep(200);
    EXPECT_EQ(s.calls(), 3);
    EXPECT_EQ(s.total(), 1000);
    EXPECT_EQ(c.now().time(), QTime(10, 0, 1));
}
