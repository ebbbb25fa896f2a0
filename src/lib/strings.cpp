#include "lib/strings.h"

#include "platform/ansi.h"

#include <QLocale>

namespace bkp {

namespace {

bool isTrimmed(QChar c) {
    return c.unicode() <= u' ';
}

QChar upperAnsi(QChar c) {
    char16_t u = c.unicode();
    if (u < 0x80)
        return (u >= u'a' && u <= u'z') ? QChar(char16_t(u - 32)) : c;
    QChar up = c.toUpper();
    if (up == c)
        return c;
    // Only capitals the code page can hold; µ has none there and stays.
    return toAnsi(QString(up)) == QByteArray("?") ? c : up;
}

const char *const kMonths[12] = {"JAN", "FEB", "MAR", "APR", "MAY", "JUN",
                                 "JUL", "AUG", "SEP", "OCT", "NOV", "DEC"};

} // namespace

QString Trim(const QString &text) {
    qsizetype first = 0;
    qsizetype last = text.size();
    while (first < last && isTrimmed(text.at(first)))
        ++first;
    while (last > first && isTrimmed(text.at(last - 1)))
        --last;
    return text.mid(first, last - first);
}

QString AnsiUpperCase(const QString &text) {
    QString out = text;
    for (QChar &c : out)
        c = upperAnsi(c);
    return out;
}

QString LeftStr(const QString &text, int n) {
    if (n <= 0)
        return QString();
    return text.left(n);
}

QString RightStr(const QString &text, int n) {
    if (n <= 0)
        return QString();
    if (n >= text.size())
        return text;
    return text.right(n);
}

QString MidStr(const QString &text, int from, int n) {
    qsizetype start = from < 1 ? 0 : qsizetype(from) - 1;
    if (start >= text.size() || n == 0)
        return QString();
    if (n < 0)
        return text.mid(start);
    return text.mid(start, n);
}

QString UpperTrim(const QString &text) {
    return Trim(AnsiUpperCase(text));
}

QString Spaces(int n) {
    return n <= 0 ? QString() : QString(n, QLatin1Char(' '));
}

QString RepeatText(const QString &text, int n) {
    return n <= 0 ? QString() : text.repeated(n);
}

QString ZeroPad(int width, qint64 value) {
    // Through the unsigned magnitude so that the smallest 64-bit value keeps its digits.
    quint64 magnitude = value < 0 ? 0 - static_cast<quint64>(value) : static_cast<quint64>(value);
    QString digits = QString::number(magnitude);
    QString sign = value < 0 ? QStringLiteral("-") : QString();
    qsizetype zeros = qsizetype(width) - sign.size() - digits.size();
    if (zeros > 0)
        digits.prepend(QString(zeros, QLatin1Char('0')));
    return sign + digits;
}

QString ReplaceText(const QString &text, const QString &find, const QString &replacement,
                    int count) {
    if (find.isEmpty())
        return text;
    // Upper-casing keeps the length, so positions in the upper-case copy are
    // positions in the text.
    const QString upperText = AnsiUpperCase(text);
    const QString upperFind = AnsiUpperCase(find);
    const qsizetype len = find.size();
    QString out;
    out.reserve(text.size());
    int replaced = 0;
    qsizetype i = 0;
    while (i < text.size()) {
        bool more = count <= 0 || replaced < count;
        if (more && i + len <= text.size() &&
            QStringView(upperText).mid(i, len) == QStringView(upperFind)) {
            out += replacement;
            i += len;
            ++replaced;
        } else {
            out += text.at(i);
            ++i;
        }
    }
    return out;
}

QString StripTrailing(const QString &text, const QString &chars) {
    QString out = Trim(text);
    while (!out.isEmpty() && chars.contains(out.back()))
        out.chop(1);
    return out;
}

QString QuotedText(const QString &text) {
    return QLatin1Char('\'') + text + QLatin1Char('\'');
}

QStringList SplitString(const QString &text, QChar separator, bool normalise) {
    QString source = text;
    if (normalise) {
        source = Trim(source);
        const QString twoBlanks = QStringLiteral("  ");
        while (source.contains(twoBlanks))
            source.replace(twoBlanks, QStringLiteral(" "));
    }
    QStringList items;
    qsizetype start = 0;
    for (;;) {
        qsizetype at = source.indexOf(separator, start);
        QString piece = source.mid(start, at < 0 ? -1 : at - start);
        items.append(normalise ? Trim(piece) : piece);
        if (at < 0)
            break;
        start = at + 1;
    }
    return items;
}

QStringList *SplitString(const QString &text, QStringList *list, QChar separator, bool normalise) {
    if (list)
        *list = SplitString(text, separator, normalise);
    return list;
}

int MonthNumber(const QString &text) {
    const QString month = UpperTrim(text);
    for (int i = 0; i < 12; ++i) {
        if (month == QLatin1String(kMonths[i]))
            return i + 1;
    }
    return 0;
}

QString WeekdayName(TDateTime date) {
    static const char16_t *const names[7] = {u"Domingo", u"Segunda", u"Terça", u"Quarta",
                                             u"Quinta",  u"Sexta",   u"Sábado"};
    return QString::fromUtf16(names[DayOfWeek(date) - 1]);
}

QString WeekdayShort(TDateTime date) {
    static const char16_t *const names[7] = {u"Dom", u"Seg", u"Ter", u"Qua",
                                             u"Qui", u"Sex", u"Sáb"};
    return QString::fromUtf16(names[DayOfWeek(date) - 1]);
}

QLocale GroupingLocale() {
    QLocale locale = UserLocale();
    locale.setNumberOptions(locale.numberOptions() & ~QLocale::OmitGroupSeparator);
    return locale;
}

QString OneLine(QString text) {
    for (QChar &c : text)
        if (c.unicode() < 0x20 || c.unicode() == 0x7f)
            c = QLatin1Char(' ');
    return text;
}

QString FormatThousands(qint64 value) {
    return GroupingLocale().toString(value);
}

} // namespace bkp
