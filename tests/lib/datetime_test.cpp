#include "lib/datetime.h"
#include "platform/ansi.h"
#include "platform/clock.h"
#include "support/fixedclock.h"

#include <gtest/gtest.h>

using namespace bkp;

TEST(DateTime, DaysCountFromTheEndOf1899AndTheFractionIsTheTimeOfDay) {
    EXPECT_EQ(EncodeDate(1899, 12, 30), 0.0);
    EXPECT_EQ(EncodeDate(1900, 1, 1), 2.0);
    EXPECT_EQ(EncodeDate(2026, 12, 8), 46364.0);
    EXPECT_DOUBLE_EQ(EncodeTime(12, 0, 0), 0.5);
    TDateTime v = EncodeDate(2026, 12, 8) + EncodeTime(23, 59, 59, 999);
    EXPECT_EQ(ToQDateTime(v), QDateTime(QDate(2026, 12, 8), QTime(23, 59, 59, 999)));
    EXPECT_EQ(DateOf(v), 46364.0);
    EXPECT_EQ(ToQTime(TimeOf(v)), QTime(23, 59, 59, 999));
    // A value a hair below midnight rounds to the next day, not to a broken time.
    EXPECT_EQ(ToQDateTime(46364.99999999999), QDateTime(QDate(2026, 12, 9), QTime(0, 0)));
}

TEST(DateTime, WeekdaysRunFromSundayAsOne) {
    EXPECT_EQ(DayOfWeek(EncodeDate(2026, 12, 6)), 1); // a Sunday
    EXPECT_EQ(DayOfWeek(EncodeDate(2026, 12, 12)), 7);
}

TEST(DateTime, NowComesFromTheProgramClock) {
    platform::FixedClock fixed(QDateTime(QDate(2027, 1, 1), QTime(9, 5, 30)));
    platform::ScopedClock scoped(&fixed);
    EXPECT_EQ(Date(), EncodeDate(2027, 1, 1));
    EXPECT_DOUBLE_EQ(Time(), EncodeTime(9, 5, 30));
}

TEST(Ansi, RoundTripsTheWindowsCodePage) {
    QString text = QStringLiteral("Terça Sábado € ¦");
    QByteArray bytes = toAnsi(text);
    EXPECT_EQ(bytes.size(), text.size());
    EXPECT_EQ(static_cast<unsigned char>(bytes.at(bytes.size() - 1)), 166);
    EXPECT_EQ(static_cast<unsigned char>(bytes.at(bytes.size() - 3)), 0x80);
    EXPECT_EQ(fromAnsi(bytes), text);
    EXPECT_EQ(toAnsi(QStringLiteral("日")), QByteArray("?"));
}

// A C or POSIX locale gives Brazilian formats; any other locale is the user's own.
TEST(DateTime, UserFormatsAreBrazilianUnderACLocale) {
    struct Case {
        QLocale system;
        QString date, number;
    } cases[] = {
        {QLocale::c(), "09/12/2026", "1.234,5"},
        {QLocale(QLocale::English, QLocale::UnitedStates), "12/9/26", "1,234.5"},
        {QLocale(QLocale::German, QLocale::Germany), "09.12.26", "1.234,5"},
    };
    for (const Case &c : cases) {
        const QLocale user = UserLocale(c.system);
        EXPECT_EQ(user.toString(QDate(2026, 12, 9), QLocale::ShortFormat), c.date)
            << c.system.name().toStdString();
        EXPECT_EQ(user.toString(1234.5, 'f', 1), c.number) << c.system.name().toStdString();
    }
    if (QLocale::system().language() == QLocale::C) {
        EXPECT_EQ(DateTimeToStr(EncodeDate(2026, 12, 9) + EncodeTime(0, 5, 51)),
                  "09/12/2026 00:05:51");
    }
}
