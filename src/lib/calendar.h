#pragma once

#include "lib/datetime.h"

#include <QString>
#include <QStringList>

namespace bkp {

// Calendar properties of a date-time; the time of day is ignored.
int Day(TDateTime date);   // 1..31
int Month(TDateTime date); // 1..12
int Year(TDateTime date);
// "Janeiro" .. "Dezembro".
QString MonthFull(TDateTime date);

// Week 1 to 53: weeks run Monday to Sunday and week 1 holds the first Thursday of
// the year, as ISO 8601 has it, except that the last days of December stay in
// week 53 instead of moving to week 1 of the next year (30 December 2024 is week
// 53). A date the calendar cannot place (outside the years 1 to 9999) shows an
// error box and gives 0.
int WeekOfYear(TDateTime date);

// The day within its year, 1 to 366.
quint16 DayOfYear(TDateTime date);

// `minutes` later, without wrapping at midnight (a time-of-day column keeps the
// fraction when the value is stored).
TDateTime IncMinutes(double minutes, TDateTime value);

// The name an old archive is renamed to, by rotation type: 0 weekday ("Sexta"),
// 1 day of the month ("Mensal04"), 2 week of the year ("Semana36"), 3 month cut to
// 8 characters ("Fevereir"), 4 day of the year ("Anual248"). The caller passes the
// date the type goes by. Any other type has no name (empty).
QString RotationName(int type, TDateTime date);
// Every name a type can give, in calendar order; empty for an unknown type.
QStringList RotationNames(int type);

} // namespace bkp
