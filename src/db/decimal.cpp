#include "db/decimal.h"

#include <cmath>
#include <limits>

namespace bkp::db {

namespace {

constexpr int kMaxScale = 18;

// Room for two values brought to one scale (18 digits each side of the point).
__extension__ typedef __int128 Wide;

qint64 power10(int n) {
    qint64 p = 1;
    for (int i = 0; i < n; ++i)
        p *= 10;
    return p;
}

bool mulAdd(qint64 &x, qint64 factor, qint64 add) {
    return !__builtin_mul_overflow(x, factor, &x) && !__builtin_add_overflow(x, add, &x);
}

// Compares a and b exactly by bringing both to the larger scale in 128 bits.
int compare(const Decimal &a, const Decimal &b) {
    const int s = qMax(a.scale, b.scale);
    Wide x = Wide(a.units) * power10(s - a.scale);
    Wide y = Wide(b.units) * power10(s - b.scale);
    return x < y ? -1 : x > y ? 1 : 0;
}

} // namespace

std::optional<Decimal> Decimal::fromText(const QString &text, int scale, const QLocale &locale) {
    if (scale < 0 || scale > kMaxScale)
        return std::nullopt;
    QString t = text.trimmed();
    const QString group = locale.groupSeparator();
    const QString point = locale.decimalPoint();
    if (!group.isEmpty() && group != point)
        t.remove(group);
    if (point != QLatin1String("."))
        t.replace(point, QLatin1String("."));
    bool negative = false;
    if (t.startsWith(QLatin1Char('-')) || t.startsWith(QLatin1Char('+'))) {
        negative = t.startsWith(QLatin1Char('-'));
        t.remove(0, 1);
    }
    const qsizetype dot = t.indexOf(QLatin1Char('.'));
    const QString whole = dot < 0 ? t : t.left(dot);
    const QString fraction = dot < 0 ? QString() : t.mid(dot + 1);
    if (whole.isEmpty() && fraction.isEmpty())
        return std::nullopt;
    // Built with its sign from the start: the smallest value has no positive twin.
    const int sign = negative ? -1 : 1;
    qint64 units = 0;
    for (QChar c : whole) {
        if (!c.isDigit() || !mulAdd(units, 10, sign * c.digitValue()))
            return std::nullopt;
    }
    for (int i = 0; i < scale; ++i) {
        const int digit = i < fraction.size() ? fraction.at(i).digitValue() : 0;
        if (digit < 0 || !mulAdd(units, 10, sign * digit))
            return std::nullopt;
    }
    for (qsizetype i = scale; i < fraction.size(); ++i)
        if (!fraction.at(i).isDigit())
            return std::nullopt;
    if (scale < fraction.size() && fraction.at(scale).digitValue() >= 5 && !mulAdd(units, 1, sign))
        return std::nullopt;
    return Decimal{units, scale};
}

std::optional<Decimal> Decimal::fromDouble(double value, int scale) {
    if (scale < 0 || scale > kMaxScale || !std::isfinite(value))
        return std::nullopt;
    const long double scaled = std::round((long double)value * power10(scale));
    if (scaled > (long double)std::numeric_limits<qint64>::max() ||
        scaled < (long double)std::numeric_limits<qint64>::min())
        return std::nullopt;
    return Decimal{qint64(scaled), scale};
}

std::optional<Decimal> Decimal::rescaled(int to) const {
    if (to < 0 || to > kMaxScale)
        return std::nullopt;
    if (to >= scale) {
        qint64 u = units;
        if (!mulAdd(u, power10(to - scale), 0))
            return std::nullopt;
        return Decimal{u, to};
    }
    const qint64 div = power10(scale - to);
    qint64 q = units / div, r = units % div;
    if (2 * (r < 0 ? -r : r) >= div)
        q += units < 0 ? -1 : 1;
    return Decimal{q, to};
}

QString Decimal::toString() const {
    const bool negative = units < 0;
    // The magnitude in unsigned form: the smallest qint64 has no positive twin.
    quint64 magnitude = negative ? 0 - quint64(units) : quint64(units);
    QString digits = QString::number(magnitude);
    if (scale > 0) {
        if (digits.size() <= scale)
            digits.prepend(QString(scale - digits.size() + 1, QLatin1Char('0')));
        digits.insert(digits.size() - scale, QLatin1Char('.'));
    }
    return negative ? QLatin1Char('-') + digits : digits;
}

QString Decimal::toString(const QLocale &locale) const {
    const QString plain = toString();
    const qsizetype dot = plain.indexOf(QLatin1Char('.'));
    const QString whole = dot < 0 ? plain : plain.left(dot);
    QString out = locale.toString(whole.toLongLong());
    if (whole == QLatin1String("-0"))
        out = QLatin1Char('-') + locale.toString(0);
    if (dot >= 0)
        out += locale.decimalPoint() + plain.mid(dot + 1);
    return out;
}

double Decimal::toDouble() const {
    return double(units) / double(power10(scale));
}

bool operator==(const Decimal &a, const Decimal &b) {
    return compare(a, b) == 0;
}

bool operator<(const Decimal &a, const Decimal &b) {
    return compare(a, b) < 0;
}

void registerDecimalType() {
    static const bool once = [] {
        QMetaType::registerConverter<Decimal, QString>(
            [](const Decimal &d) { return d.toString(); });
        QMetaType::registerConverter<Decimal, double>(&Decimal::toDouble);
        return true;
    }();
    (void)once;
}

} // namespace bkp::db
