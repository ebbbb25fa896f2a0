#include "lib/sqltext.h"

#include <gtest/gtest.h>

using namespace bkp;

TEST(SqlDate, WritesUnpaddedDayAndYearWithTheEnglishMonth) {
    EXPECT_EQ(SqlDate(EncodeDate(2027, 1, 1)), "'1-JAN-2027'");
    EXPECT_EQ(SqlDate(EncodeDate(2026, 12, 8)), "'8-DEC-2026'");
    EXPECT_EQ(SqlDate(EncodeDate(2026, 5, 31)), "'31-MAY-2026'");
    EXPECT_EQ(SqlDate(EncodeDate(2026, 7, 10)), "'10-JUL-2026'");
    // The time of day is not part of a date literal.
    EXPECT_EQ(SqlDate(EncodeDate(2026, 9, 15) + EncodeTime(23, 59, 59, 999)), "'15-SEP-2026'");
}

TEST(SqlDateTime, AppendsUnpaddedTimeWithoutMilliseconds) {
    EXPECT_EQ(SqlDateTime(EncodeDate(2026, 12, 8) + EncodeTime(9, 5, 30)), "'8-DEC-2026 9:5:30'");
    EXPECT_EQ(SqlDateTime(EncodeDate(2026, 12, 8) + EncodeTime(23, 59, 59, 999)),
              "'8-DEC-2026 23:59:59'");
    EXPECT_EQ(SqlDateTime(EncodeDate(2027, 1, 1)), "'1-JAN-2027 0:0:0'");
}
