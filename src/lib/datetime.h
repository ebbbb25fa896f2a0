#pragma once

#include <QDate>
#include <QDateTime>
#include <QLocale>
#include <QString>
#include <QTime>

namespace bkp {

// The program's date-time value: days since 30 December 1899, the fraction
// being the time of day. Date columns hold whole days, time columns only the
// fraction.
using TDateTime = double;

constexpr qint64 MSecsPerDay = 86400000;

QDate epochDate(); // 30 December 1899

TDateTime EncodeDate(int year, int month, int day);
TDateTime EncodeTime(int hour, int minute, int second, int msec = 0);
void DecodeDate(TDateTime value, int &year, int &month, int &day);
void DecodeTime(TDateTime value, int &hour, int &minute, int &second, int &msec);

TDateTime DateOf(TDateTime value); // whole days
TDateTime TimeOf(TDateTime value); // time of day only

TDateTime FromQDate(const QDate &date);
TDateTime FromQTime(const QTime &time);
TDateTime FromQDateTime(const QDateTime &dateTime);
QDate ToQDate(TDateTime value);
QTime ToQTime(TDateTime value);
QDateTime ToQDateTime(TDateTime value);

// From the program's clock.
TDateTime Now();
TDateTime Date();
TDateTime Time();

// 1 = Sunday ... 7 = Saturday.
int DayOfWeek(TDateTime value);

// The user's formats: the system locale's, except that a C or POSIX locale (usual
// on servers) gives Brazilian Portuguese: day/month/year, "." thousands, "," decimals.
QLocale UserLocale();
QLocale UserLocale(const QLocale &system);
QString ShortDateFormat();
QString LongTimeFormat();
QString DateToStr(TDateTime value);
QString TimeToStr(TDateTime value);
QString DateTimeToStr(TDateTime value); // short date, a blank, long time
// Formats with Qt's date-time format letters (the program uses "hh:mm:ss.zzz" and the like).
QString FormatDateTime(const QString &format, TDateTime value);

} // namespace bkp
