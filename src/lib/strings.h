#pragma once

#include "lib/datetime.h"

#include <QLocale>
#include <QString>
#include <QStringList>
#include <type_traits>

namespace bkp {

// Text routines every window uses to build archive names, command lines and SQL.
// Positions are counted from 1; out-of-range arguments give the nearest sensible
// result and never fail.

// Leading and trailing blanks and control characters (everything up to ' ') removed.
QString Trim(const QString &text);
// Upper case letter by letter with the letters of the Windows code page, so the
// length never changes (a letter whose capital the code page lacks stays as it is).
QString AnsiUpperCase(const QString &text);

QString LeftStr(const QString &text, int n);
QString RightStr(const QString &text, int n);
// n characters from position `from` (a position before the first counts as the
// first); a negative n takes everything up to the end.
QString MidStr(const QString &text, int from, int n);
QString UpperTrim(const QString &text);
QString Spaces(int n);
QString RepeatText(const QString &text, int n);
// Width 2, value 7 gives "07"; longer values stay whole. A negative value keeps
// its sign in front of the zeros ("-05" for width 3).
QString ZeroPad(int width, qint64 value);
// Replaces `find`, compared ignoring case, walking once from the left (replacements
// are not looked at again). count > 0 replaces only the first count occurrences;
// 0 or less replaces all. An empty `find` leaves the text as it is.
QString ReplaceText(const QString &text, const QString &find, const QString &replacement,
                    int count = 0);
// Trims, then drops trailing characters found in `chars`.
QString StripTrailing(const QString &text, const QString &chars);
QString QuotedText(const QString &text);

// Cuts the text at every separator, keeping empty pieces: "" gives one empty item
// and a trailing separator an empty last item. With `normalise` the text is trimmed,
// runs of blanks become one blank and every piece is trimmed.
QStringList SplitString(const QString &text, QChar separator, bool normalise);
// The same into a list the caller owns, cleared first; returns `list`. A null list
// is left alone (nothing to fill).
QStringList *SplitString(const QString &text, QStringList *list, QChar separator, bool normalise);

template <typename A, typename B>
std::common_type_t<A, B> IfThenValue(bool condition, const A &ifTrue, const B &ifFalse) {
    if (condition)
        return ifTrue;
    return ifFalse;
}

template <typename A, typename B> std::common_type_t<A, B> VarMax(const A &a, const B &b) {
    if (a < b)
        return b;
    return a;
}

// 1..12 for "Jan".."Dec" in any letter case, 0 for anything else (FTP listings
// name their months in English).
int MonthNumber(const QString &text);
// "Domingo" .. "Sábado" and "Dom" .. "Sáb".
QString WeekdayName(TDateTime date);
// The user's locale writing thousands separators, as the listings show numbers.
QLocale GroupingLocale();
// A whole number with the user's thousands separator (1.234.567 in Portuguese).
QString FormatThousands(qint64 value);
// Line breaks, tabs and other control characters as blanks, so a stored value
// stays on its own printed line.
QString OneLine(QString text);
QString WeekdayShort(TDateTime date);

} // namespace bkp
