#include "lib/sqltext.h"

namespace bkp {

namespace {

const char *const kMonths[12] = {"JAN", "FEB", "MAR", "APR", "MAY", "JUN",
                                 "JUL", "AUG", "SEP", "OCT", "NOV", "DEC"};

QString datePart(TDateTime value) {
    int year, month, day;
    DecodeDate(value, year, month, day);
    // A value outside the calendar decodes to month 0; it must not index the table.
    const QString monthName =
        month >= 1 && month <= 12 ? QLatin1String(kMonths[month - 1]) : QString::number(month);
    return QString::number(day) + QLatin1Char('-') + monthName + QLatin1Char('-') +
           QString::number(year);
}

} // namespace

QString SqlDate(TDateTime date) {
    return QLatin1Char('\'') + datePart(date) + QLatin1Char('\'');
}

QString SqlDateTime(TDateTime dateTime) {
    int hour, minute, second, msec;
    DecodeTime(dateTime, hour, minute, second, msec);
    return QLatin1Char('\'') + datePart(dateTime) + QLatin1Char(' ') + QString::number(hour) +
           QLatin1Char(':') + QString::number(minute) + QLatin1Char(':') + QString::number(second) +
           QLatin1Char('\'');
}

QString FittedTextLiteral(const QString &text, int size) {
    QString t = text.left(size);
    for (QChar &c : t)
        if (c.unicode() < 0x20 || c.unicode() == 0x7f)
            c = QLatin1Char(' ');
    t.replace(QLatin1Char('\''), QStringLiteral("''"));
    return QLatin1Char('\'') + t + QLatin1Char('\'');
}

QString DatedText(const QString &text) {
    return DateTimeToStr(Now()) + QStringLiteral(" - ") + text;
}

} // namespace bkp
