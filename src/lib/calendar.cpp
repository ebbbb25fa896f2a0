#include "lib/calendar.h"

#include "lib/strings.h"
#include "lib/ui.h"

#include <cmath>

namespace bkp {

namespace {

const char16_t *const kMonthNames[12] = {u"Janeiro",  u"Fevereiro", u"Março",    u"Abril",
                                         u"Maio",     u"Junho",     u"Julho",    u"Agosto",
                                         u"Setembro", u"Outubro",   u"Novembro", u"Dezembro"};

// Weekday of 31 December of `year` (0 = Sunday .. 6 = Saturday): the days from
// 1 January of year 1, counted as day 1, up to that date, modulo 7. Year 0 gives 0.
int weekdayOfLastDecember(qint64 year) {
    const qint64 days = year * 365 + year / 4 - year / 100 + year / 400;
    return int(days % 7);
}

// The calendar only knows the years 1 to 9999; anything else is a date the
// program cannot have produced.
bool placeDate(TDateTime value, QDate &date) {
    if (!std::isfinite(value) || std::fabs(value) > 1.0e7)
        return false;
    date = ToQDate(value);
    return date.isValid() && date.year() >= 1 && date.year() <= 9999;
}

int weekOfYearFailed() {
    ShowMessageBox(QStringLiteral("Internal Error in procedure: WeekOfYear") +
                       QStringLiteral("\n\r") +
                       QStringLiteral("Please contact the programmer of this function: Leandro "
                                      "Velmor"),
                   QStringLiteral("Error"), platform::MB_ICONERROR | platform::MB_OK);
    return 0;
}

} // namespace

int Day(TDateTime date) {
    return ToQDate(date).day();
}

int Month(TDateTime date) {
    return ToQDate(date).month();
}

int Year(TDateTime date) {
    return ToQDate(date).year();
}

QString MonthFull(TDateTime date) {
    const int month = Month(date);
    if (month < 1 || month > 12)
        return QString();
    return QString::fromUtf16(kMonthNames[month - 1]);
}

int WeekOfYear(TDateTime value) {
    QDate date;
    if (!placeDate(value, date))
        return weekOfYearFailed();
    const int year = date.year();
    const int o = weekdayOfLastDecember(year - 1);
    const qint64 d = QDate(year, 1, 1).daysTo(date);
    const qint64 week = (d + o) / 7 + (o < 4 ? 1 : 0);
    if (week > 0)
        return int(week);
    // Before the first Monday of a year that starts on Friday, Saturday or
    // Sunday: the last week of the year before.
    if (year - 2 < 0)
        return weekOfYearFailed();
    return weekdayOfLastDecember(year - 2) < 4 ? 53 : 52;
}

quint16 DayOfYear(TDateTime date) {
    return quint16(ToQDate(date).dayOfYear());
}

TDateTime IncMinutes(double minutes, TDateTime value) {
    const long double result =
        static_cast<long double>(value) + static_cast<long double>(minutes) / 1440.0L;
    return static_cast<double>(result);
}

QString RotationName(int type, TDateTime date) {
    switch (type) {
    case 0:
        return WeekdayName(date);
    case 1:
        return QStringLiteral("Mensal") + ZeroPad(2, Day(date));
    case 2:
        return QStringLiteral("Semana") + ZeroPad(2, WeekOfYear(date));
    case 3:
        return LeftStr(Trim(MonthFull(date)), 8);
    case 4:
        return QStringLiteral("Anual") + ZeroPad(3, DayOfYear(date));
    default:
        return QString();
    }
}

QStringList RotationNames(int type) {
    QStringList names;
    switch (type) {
    case 0:
        // 2 January 2000 was a Sunday.
        for (int i = 0; i < 7; ++i)
            names.append(WeekdayName(EncodeDate(2000, 1, 2) + i));
        break;
    case 1:
        for (int i = 1; i <= 31; ++i)
            names.append(QStringLiteral("Mensal") + ZeroPad(2, i));
        break;
    case 2:
        for (int i = 1; i <= 53; ++i)
            names.append(QStringLiteral("Semana") + ZeroPad(2, i));
        break;
    case 3:
        for (const char16_t *month : kMonthNames)
            names.append(LeftStr(QString::fromUtf16(month), 8));
        break;
    case 4:
        for (int i = 1; i <= 366; ++i)
            names.append(QStringLiteral("Anual") + ZeroPad(3, i));
        break;
    default:
        break;
    }
    return names;
}

} // namespace bkp
