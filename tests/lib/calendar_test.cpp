#include "lib/calendar.h"
#include "platform/dialogs.h"
#include "support/scripteddialogs.h"

#include <QSet>
#include <gtest/gtest.h>

using namespace bkp;

namespace {

TDateTime date(int y, int m, int d) {
    return EncodeDate(y, m, d);
}

} // namespace

TEST(Calendar, DayMonthYearAndMonthNameIgnoreTheTimeOfDay) {
    const TDateTime t = date(2026, 9, 4) + EncodeTime(20, 5, 0);
    EXPECT_EQ(Day(t), 4);
    EXPECT_EQ(Month(t), 9);
    EXPECT_EQ(Year(t), 2026);
    EXPECT_EQ(MonthFull(t), "Setembro");
    EXPECT_EQ(MonthFull(date(2026, 3, 31) + 0.99), QString::fromUtf8("Março"));
    for (int d = 1; d <= 28; ++d)
        EXPECT_EQ(MonthFull(date(2027, 2, d)), "Fevereiro");
}

TEST(Calendar, WeeksRunMondayToSundayAndTheLastDaysOfDecemberStayInWeek53) {
    platform::ScriptedDialogs dialogs;
    platform::ScopedDialogs scoped(&dialogs);
    EXPECT_EQ(WeekOfYear(date(2026, 9, 4) + 0.8), 36);
    EXPECT_EQ(WeekOfYear(date(2021, 1, 1)), 53); // a Friday: last week of 2020
    EXPECT_EQ(WeekOfYear(date(2022, 1, 1)), 52); // a Saturday
    EXPECT_EQ(WeekOfYear(date(2027, 1, 3)), 53); // a Sunday
    EXPECT_EQ(WeekOfYear(date(2027, 1, 4)), 1);  // the Monday after
    EXPECT_EQ(WeekOfYear(date(2026, 12, 31)), 53);
    // ISO 8601 puts these into week 1 of 2025.
    EXPECT_EQ(WeekOfYear(date(2024, 12, 30)), 53);
    EXPECT_EQ(WeekOfYear(date(2024, 12, 31)), 53);
    EXPECT_EQ(WeekOfYear(date(2025, 1, 1)), 1);

    // Everywhere else the count is ISO's. A week number changes from Sunday to
    // Monday, or on 1 January after those late December days.
    int changes = 0;
    for (TDateTime d = date(1990, 1, 1); d < date(2040, 1, 1); d += 1) {
        const QDate q = ToQDate(d);
        const int week = WeekOfYear(d);
        ASSERT_GE(week, 1);
        ASSERT_LE(week, 53);
        const bool lateDecember = q.month() == 12 && q.weekNumber() == 1;
        if (!lateDecember)
            ASSERT_EQ(week, q.weekNumber()) << q.toString(Qt::ISODate).toStdString();
        else
            ASSERT_EQ(week, 53) << q.toString(Qt::ISODate).toStdString();
        if (week != WeekOfYear(d - 1)) {
            ++changes;
            ASSERT_TRUE(q.dayOfWeek() == 1 || q.dayOfYear() == 1)
                << q.toString(Qt::ISODate).toStdString();
        }
    }
    EXPECT_GT(changes, 50 * 52);
    EXPECT_TRUE(dialogs.shown().isEmpty());
}

TEST(Calendar, AWeekTheCalendarCannotPlaceIsReportedAndGivesZero) {
    platform::ScriptedDialogs dialogs;
    platform::ScopedDialogs scoped(&dialogs);
    EXPECT_EQ(WeekOfYear(date(1, 1, 1)), 1); // the first day the calendar knows
    EXPECT_EQ(WeekOfYear(date(9999, 12, 31)), 52);
    EXPECT_TRUE(dialogs.shown().isEmpty());

    EXPECT_EQ(WeekOfYear(date(1, 1, 1) - 1), 0);
    EXPECT_EQ(WeekOfYear(1.0e300), 0);
    ASSERT_EQ(dialogs.shown().size(), 2);
    const auto &shown = dialogs.shown().at(0);
    EXPECT_EQ(shown.kind, "message");
    EXPECT_EQ(shown.text, "Internal Error in procedure: WeekOfYear\n\rPlease contact the "
                          "programmer of this function: Leandro Velmor");
    EXPECT_EQ(shown.flags, platform::MB_ICONERROR | platform::MB_OK);
    EXPECT_EQ(RotationName(2, date(1, 1, 1) - 1), "Semana00");
}

TEST(Calendar, DayOfYearCountsFromTheFirstOfJanuary) {
    EXPECT_EQ(DayOfYear(date(2026, 1, 1) + 0.5), 1);
    EXPECT_EQ(DayOfYear(date(2026, 9, 5)), 248);
    EXPECT_EQ(DayOfYear(date(2024, 12, 31)), 366);
    EXPECT_EQ(DayOfYear(date(2026, 12, 31)), 365);
}

TEST(Calendar, IncMinutesDoesNotWrapAtMidnight) {
    EXPECT_DOUBLE_EQ(IncMinutes(30, 0.5), EncodeTime(12, 30, 0));
    const TDateTime later = IncMinutes(10, EncodeTime(23, 55, 0));
    EXPECT_EQ(ToQDateTime(later), QDateTime(epochDate().addDays(1), QTime(0, 5)));
    EXPECT_EQ(ToQTime(TimeOf(later)), QTime(0, 5));
    EXPECT_EQ(ToQDateTime(IncMinutes(-90.5, date(2026, 9, 5))),
              QDateTime(QDate(2026, 9, 4), QTime(22, 29, 30)));
}

TEST(Calendar, RotationNamesOfEveryTypeComeFromTheirSets) {
    platform::ScriptedDialogs dialogs;
    platform::ScopedDialogs scoped(&dialogs);
    // The worked dates: an archive of Friday 4 September 2026, a run on the 5th.
    const TDateTime old = date(2026, 9, 4) + EncodeTime(20, 5, 0);
    EXPECT_EQ(RotationName(0, old), "Sexta");
    EXPECT_EQ(RotationName(1, old), "Mensal04");
    EXPECT_EQ(RotationName(2, old), "Semana36");
    EXPECT_EQ(RotationName(3, old), "Setembro");
    EXPECT_EQ(RotationName(4, date(2026, 9, 5)), "Anual248");
    EXPECT_EQ(RotationName(3, date(2026, 2, 10)), "Fevereir");
    EXPECT_EQ(RotationName(0, date(2026, 9, 1)), QString::fromUtf8("Terça"));
    EXPECT_EQ(RotationName(0, date(2026, 9, 5)), QString::fromUtf8("Sábado"));
    EXPECT_EQ(RotationName(2, date(2024, 12, 30)), "Semana53");
    EXPECT_TRUE(RotationName(5, old).isEmpty());
    EXPECT_TRUE(RotationName(-1, old).isEmpty());
    EXPECT_TRUE(RotationNames(5).isEmpty());

    // Twelve years of dates give exactly the names of each set, and every name.
    const int sizes[5] = {7, 31, 53, 12, 366};
    for (int type = 0; type <= 4; ++type) {
        const QStringList set = RotationNames(type);
        EXPECT_EQ(set.size(), sizes[type]);
        const QSet<QString> allowed(set.begin(), set.end());
        EXPECT_EQ(allowed.size(), sizes[type]);
        QSet<QString> seen;
        for (TDateTime d = date(2015, 1, 1); d < date(2027, 1, 1); d += 1) {
            const QString name = RotationName(type, d);
            ASSERT_TRUE(allowed.contains(name)) << type << " " << name.toStdString();
            ASSERT_LE(name.size(), 8);
            seen.insert(name);
        }
        EXPECT_EQ(seen, allowed) << type;
    }
    EXPECT_EQ(RotationNames(3).at(1), "Fevereir");
    EXPECT_EQ(RotationNames(0).first(), "Domingo");
    EXPECT_TRUE(dialogs.shown().isEmpty());
}
