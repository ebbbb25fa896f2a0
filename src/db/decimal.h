#pragma once

#include <QLocale>
#include <QMetaType>
#include <QString>
#include <optional>

namespace bkp::db {

// An exact fixed-point number, as a NUMERIC or DECIMAL column holds it: a double
// would turn 0.1 into 0.1000000000000000055 and lose the last digits of 18.
struct Decimal {
    qint64 units = 0; // the value times 10^scale
    int scale = 0;    // digits after the point, 0 to 18

    // Reads "-1234.5678" (the point as given, group separators of `locale` allowed)
    // into `scale` decimals, rounding half away from zero; nothing for a text that is
    // not a number or does not fit.
    static std::optional<Decimal> fromText(const QString &text, int scale,
                                           const QLocale &locale = QLocale::c());
    static std::optional<Decimal> fromDouble(double value, int scale);
    // The same value with another number of decimals; nothing when it does not fit.
    std::optional<Decimal> rescaled(int scale) const;

    QString toString() const;                      // "-1234.5678": every decimal, C notation
    QString toString(const QLocale &locale) const; // with the locale's point and groups
    double toDouble() const;

    friend bool operator==(const Decimal &a, const Decimal &b);
    friend bool operator!=(const Decimal &a, const Decimal &b) { return !(a == b); }
    friend bool operator<(const Decimal &a, const Decimal &b);
};

// Lets QVariant turn a Decimal into text and double (toString, toDouble); called
// once by the data layer before the first value is read.
void registerDecimalType();

} // namespace bkp::db

Q_DECLARE_METATYPE(bkp::db::Decimal)
