#include "lib/datetime.h"

#include "platform/clock.h"

#include <QLocale>
#include <QRegularExpression>
#include <cmath>

namespace bkp {

QDate epochDate() {
    return QDate(1899, 12, 30);
}

TDateTime FromQDate(const QDate &date) {
    if (!date.isValid())
        return 0;
    return static_cast<double>(epochDate().daysTo(date));
}

TDateTime FromQTime(const QTime &time) {
    if (!time.isValid())
        return 0;
    return static_cast<double>(time.msecsSinceStartOfDay()) / MSecsPerDay;
}

TDateTime FromQDateTime(const QDateTime &dateTime) {
    if (!dateTime.isValid())
        return 0;
    return FromQDate(dateTime.date()) + FromQTime(dateTime.time());
}

namespace {
// Whole days and milliseconds of the day, rounded to the millisecond so that
// 0.9999999 of a day does not turn into 23:59:59.999 by a rounding error.
void split(TDateTime value, qint64 &days, qint64 &msecs) {
    double whole = std::floor(value);
    qint64 ms = std::llround((value - whole) * MSecsPerDay);
    days = static_cast<qint64>(whole);
    if (ms >= MSecsPerDay) {
        ++days;
        ms -= MSecsPerDay;
    }
    msecs = ms;
}
} // namespace

QDate ToQDate(TDateTime value) {
    qint64 days, ms;
    split(value, days, ms);
    return epochDate().addDays(days);
}

QTime ToQTime(TDateTime value) {
    qint64 days, ms;
    split(value, days, ms);
    return QTime::fromMSecsSinceStartOfDay(static_cast<int>(ms));
}

QDateTime ToQDateTime(TDateTime value) {
    return QDateTime(ToQDate(value), ToQTime(value));
}

TDateTime EncodeDate(int year, int month, int day) {
    return FromQDate(QDate(year, month, day));
}

TDateTime EncodeTime(int hour, int minute, int second, int msec) {
    return FromQTime(QTime(hour, minute, second, msec));
}

void DecodeDate(TDateTime value, int &year, int &month, int &day) {
    QDate d = ToQDate(value);
    year = d.year();
    month = d.month();
    day = d.day();
}

void DecodeTime(TDateTime value, int &hour, int &minute, int &second, int &msec) {
    QTime t = ToQTime(value);
    hour = t.hour();
    minute = t.minute();
    second = t.second();
    msec = t.msec();
}

TDateTime DateOf(TDateTime value) {
    return FromQDate(ToQDate(value));
}
TDateTime TimeOf(TDateTime value) {
    return FromQTime(ToQTime(value));
}

TDateTime Now() {
    return FromQDateTime(platform::clock().now());
}
TDateTime Date() {
    return DateOf(Now());
}
TDateTime Time() {
    return TimeOf(Now());
}

int DayOfWeek(TDateTime value) {
    return ToQDate(value).dayOfWeek() % 7 + 1;
}

QLocale UserLocale(const QLocale &system) {
    if (system.language() == QLocale::C)
        return QLocale(QLocale::Portuguese, QLocale::Brazil);
    return system;
}

QLocale UserLocale() {
    return UserLocale(QLocale::system());
}

QString ShortDateFormat() {
    return UserLocale().dateFormat(QLocale::ShortFormat);
}

QString LongTimeFormat() {
    // Qt's long time format carries the time zone ("t"); the desktop's does not.
    QString f = UserLocale().timeFormat(QLocale::LongFormat);
    f.remove(QRegularExpression(QStringLiteral("\\s*\\bt+\\b")));
    return f.trimmed();
}

QString DateToStr(TDateTime value) {
    return UserLocale().toString(ToQDate(value), ShortDateFormat());
}

QString TimeToStr(TDateTime value) {
    return UserLocale().toString(ToQTime(value), LongTimeFormat());
}

QString DateTimeToStr(TDateTime value) {
    return DateToStr(value) + QLatin1Char(' ') + TimeToStr(value);
}

QString FormatDateTime(const QString &format, TDateTime value) {
    return UserLocale().toString(ToQDateTime(value), format);
}

} // namespace bkp
