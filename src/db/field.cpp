#include "db/field.h"

#include "db/dataset.h"
#include "db/decimal.h"

#include <QLocale>

namespace bkp::db {

Field::Field(DataSet *dataSet, int index, const QString &name, FieldType type, int size)
    : m_dataSet(dataSet), m_index(index), m_name(name), m_type(type), m_size(size) {}

bool Field::isBlob() const {
    switch (m_type) {
    case FieldType::Blob:
    case FieldType::Memo:
    case FieldType::Graphic:
    case FieldType::FmtMemo:
    case FieldType::ParadoxOle:
    case FieldType::DBaseOle:
    case FieldType::TypedBinary:
        return true;
    default:
        return false;
    }
}

bool Field::isNumeric() const {
    switch (m_type) {
    case FieldType::Smallint:
    case FieldType::Integer:
    case FieldType::Word:
    case FieldType::Largeint:
    case FieldType::AutoInc:
    case FieldType::Float:
    case FieldType::Currency:
    case FieldType::BCD:
        return true;
    default:
        return false;
    }
}

bool Field::isNull() const {
    return value().isNull();
}
QVariant Field::value() const {
    return m_dataSet->fieldValue(m_index);
}
QVariant Field::oldValue() const {
    return m_dataSet->oldFieldValue(m_index);
}
void Field::setValue(const QVariant &value) {
    m_dataSet->setFieldValue(m_index, convert(value));
}
void Field::checkSize() const {
    if (!isText() && m_type != FieldType::WideString)
        return;
    const QVariant v = value();
    const int length = v.isNull() ? 0 : int(v.toString().size());
    if (m_size > 0 && length > m_size)
        throw ValueTooLongError(displayLabel(), m_size, length);
}

void Field::clear() {
    m_dataSet->setFieldValue(m_index, QVariant());
}

namespace {
QDate parseDate(const QString &text) {
    QLocale loc = UserLocale();
    QDate d = loc.toDate(text, QLocale::ShortFormat);
    if (!d.isValid())
        d = loc.toDate(text, ShortDateFormat());
    if (!d.isValid())
        d = QDate::fromString(text, Qt::ISODate);
    if (!d.isValid()) {
        for (const char *f : {"d/M/yyyy", "d/M/yy", "d-M-yyyy", "d.M.yyyy", "M/d/yyyy"}) {
            d = QDate::fromString(text, QString::fromLatin1(f));
            if (d.isValid())
                break;
        }
    }
    return d;
}

QTime parseTime(const QString &text) {
    QTime t = UserLocale().toTime(text, LongTimeFormat());
    if (!t.isValid())
        t = UserLocale().toTime(text, QLocale::ShortFormat);
    for (const char *f : {"H:mm:ss", "H:mm", "H:mm:ss.zzz"}) {
        if (t.isValid())
            break;
        t = QTime::fromString(text, QString::fromLatin1(f));
    }
    return t;
}

[[noreturn]] void badValue(const QString &text, const QString &field, const char *kind) {
    throw DatabaseError(QStringLiteral("'%1' não é um valor válido de %2 para o campo '%3'")
                            .arg(text, QLatin1String(kind), field));
}
} // namespace

QVariant Field::convert(const QVariant &v) const {
    if (v.isNull())
        return QVariant();
    bool ok = true;
    const bool isText = v.typeId() == QMetaType::QString;
    const QString text = isText ? v.toString().trimmed() : QString();
    if (isText && text.isEmpty() && !this->isText() && m_type != FieldType::Memo)
        return QVariant(); // an empty edit of a number or a date means no value
    switch (m_type) {
    case FieldType::String:
    case FieldType::FixedChar:
    case FieldType::WideString:
        return v.toString();
    case FieldType::Memo:
    case FieldType::FmtMemo:
        return v.toString();
    case FieldType::Smallint:
    case FieldType::Integer:
    case FieldType::Word:
    case FieldType::AutoInc: {
        int x = isText ? UserLocale().toInt(text, &ok) : v.toInt(&ok);
        if (!ok && isText)
            x = text.toInt(&ok);
        if (!ok)
            badValue(v.toString(), m_name, "número inteiro");
        return x;
    }
    case FieldType::Largeint: {
        qlonglong x = isText ? text.toLongLong(&ok) : v.toLongLong(&ok);
        if (!ok)
            badValue(v.toString(), m_name, "número inteiro");
        return x;
    }
    case FieldType::BCD: {
        // Exact: a text or a Decimal keeps every digit; the field's decimals decide.
        std::optional<Decimal> d;
        if (v.metaType() == QMetaType::fromType<Decimal>())
            d = v.value<Decimal>().rescaled(m_scale);
        else if (isText) {
            // The user's notation when the text is a number in it ("1.234,5"), else C's.
            bool userNotation = false;
            UserLocale().toDouble(text, &userNotation);
            d = userNotation ? Decimal::fromText(text, m_scale, UserLocale())
                             : Decimal::fromText(text, m_scale);
        } else if (v.typeId() == QMetaType::Double || v.typeId() == QMetaType::Float)
            d = Decimal::fromDouble(v.toDouble(), m_scale);
        else if (qlonglong x = v.toLongLong(&ok); ok)
            d = Decimal{x, 0}.rescaled(m_scale);
        if (!d)
            badValue(v.toString(), m_name, "número");
        return QVariant::fromValue(*d);
    }
    case FieldType::Float:
    case FieldType::Currency: {
        double x = isText ? UserLocale().toDouble(text, &ok) : v.toDouble(&ok);
        if (!ok && isText)
            x = text.toDouble(&ok);
        if (!ok)
            badValue(v.toString(), m_name, "número");
        return x;
    }
    case FieldType::Boolean:
        if (isText) {
            QString t = text.toLower();
            return !(t == QLatin1String("false") || t == QLatin1String("0") || t.isEmpty());
        }
        return v.toBool();
    case FieldType::Date:
        switch (v.typeId()) {
        case QMetaType::QDate:
            return v;
        case QMetaType::QDateTime:
            return v.toDateTime().date();
        case QMetaType::Double:
        case QMetaType::Int:
            return ToQDate(v.toDouble());
        default: {
            QDate d = parseDate(text);
            if (!d.isValid())
                badValue(text, m_name, "data");
            return d;
        }
        }
    case FieldType::Time:
        switch (v.typeId()) {
        case QMetaType::QTime:
            return v;
        case QMetaType::QDateTime:
            return v.toDateTime().time();
        case QMetaType::Double:
            return ToQTime(v.toDouble());
        default: {
            QTime t = parseTime(text);
            if (!t.isValid())
                badValue(text, m_name, "hora");
            return t;
        }
        }
    case FieldType::DateTime:
        switch (v.typeId()) {
        case QMetaType::QDateTime:
            return v;
        case QMetaType::QDate:
            return QDateTime(v.toDate(), QTime(0, 0));
        case QMetaType::Double:
        case QMetaType::Int:
            return ToQDateTime(v.toDouble());
        default: {
            int blank = int(text.indexOf(QLatin1Char(' ')));
            QDate d = parseDate(blank < 0 ? text : text.left(blank));
            QTime t = blank < 0 ? QTime(0, 0) : parseTime(text.mid(blank + 1).trimmed());
            if (!d.isValid() || !t.isValid()) {
                QDateTime iso = QDateTime::fromString(text, Qt::ISODate);
                if (!iso.isValid())
                    badValue(text, m_name, "data e hora");
                return iso;
            }
            return QDateTime(d, t);
        }
        }
    case FieldType::Blob:
    case FieldType::Graphic:
    case FieldType::Bytes:
    case FieldType::VarBytes:
        return v.toByteArray();
    default:
        return v;
    }
}

QString formatValue(const QVariant &v, FieldType type) {
    if (v.isNull())
        return QString();
    QLocale loc = UserLocale();
    switch (type) {
    case FieldType::Float:
    case FieldType::Currency:
        return loc.toString(v.toDouble(), 'g', 15);
    case FieldType::BCD:
        if (v.metaType() == QMetaType::fromType<Decimal>()) {
            // Every digit, without the zeros that end the decimals: 1.000,5 for 1000.50.
            QString text = v.value<Decimal>().toString(loc);
            const QString point = loc.decimalPoint();
            if (text.contains(point)) {
                while (text.endsWith(QLatin1Char('0')))
                    text.chop(1);
                if (text.endsWith(point))
                    text.chop(point.size());
            }
            return text;
        }
        return loc.toString(v.toDouble(), 'g', 15);
    case FieldType::Array:
        return QStringLiteral("(ARRAY)");
    case FieldType::Date:
        return DateToStr(FromQDate(v.toDate()));
    case FieldType::Time:
        return TimeToStr(FromQTime(v.toTime()));
    case FieldType::DateTime: {
        // The time is left out at midnight, as the desktop shows a date-time.
        QDateTime dt = v.toDateTime();
        if (dt.time() == QTime(0, 0))
            return DateToStr(FromQDate(dt.date()));
        return DateTimeToStr(FromQDateTime(dt));
    }
    case FieldType::Boolean:
        return v.toBool() ? QStringLiteral("True") : QStringLiteral("False");
    case FieldType::Blob:
    case FieldType::Graphic:
    case FieldType::Bytes:
    case FieldType::VarBytes:
        return QString::fromLatin1(v.toByteArray());
    default:
        return v.toString();
    }
}

QString formatCurrency(const QVariant &v) {
    if (v.isNull())
        return QString();
    const QLocale loc = UserLocale();
    constexpr int digits = 2;
    QString amount;
    bool negative = false;
    std::optional<Decimal> exact;
    if (v.metaType() == QMetaType::fromType<Decimal>())
        exact = v.value<Decimal>().rescaled(digits);
    if (exact) {
        negative = exact->units < 0;
        amount = exact->toString(loc);
    } else {
        const double d = v.toDouble();
        negative = d < 0;
        amount = loc.toString(d, 'f', digits);
    }
    if (negative && amount.startsWith(loc.negativeSign()))
        amount.remove(0, loc.negativeSign().size());
    // The locale's pattern (symbol, its place, the sign) taken from a known amount.
    const double sample = negative ? -1.0 : 1.0;
    QString text = loc.toCurrencyString(sample, QString(), digits);
    text.replace(loc.toString(1.0, 'f', digits), amount);
    // Qt puts a no-break space after "R$"; a listing or a copied cell wants a blank.
    text.replace(QChar(0x00A0), QLatin1Char(' ')).replace(QChar(0x202F), QLatin1Char(' '));
    return text;
}

QString Field::asString() const {
    return formatValue(value(), m_type);
}
void Field::setAsString(const QString &text) {
    setValue(text);
}
int Field::asInteger() const {
    return value().toInt();
}
void Field::setAsInteger(int v) {
    setValue(v);
}
qint64 Field::asLargeInt() const {
    return value().toLongLong();
}
double Field::asFloat() const {
    return value().toDouble();
}
void Field::setAsFloat(double v) {
    setValue(v);
}

bool Field::asBoolean() const {
    QVariant v = value();
    if (v.typeId() == QMetaType::QString)
        return convert(v).toBool();
    return v.toBool();
}

TDateTime Field::asDateTime() const {
    QVariant v = value();
    switch (v.typeId()) {
    case QMetaType::QDate:
        return FromQDate(v.toDate());
    case QMetaType::QTime:
        return FromQTime(v.toTime());
    case QMetaType::QDateTime:
        return FromQDateTime(v.toDateTime());
    default:
        return v.isNull() ? 0 : v.toDouble();
    }
}

void Field::setAsDateTime(TDateTime value) {
    setValue(QVariant(value));
}

QString Field::displayText() const {
    QVariant v = value();
    switch (m_type) {
    case FieldType::Memo:
    case FieldType::FmtMemo:
        return v.toString().isEmpty() ? QStringLiteral("(Memo)") : QStringLiteral("(MEMO)");
    case FieldType::Blob:
    case FieldType::TypedBinary:
        return v.toByteArray().isEmpty() ? QStringLiteral("(Blob)") : QStringLiteral("(BLOB)");
    case FieldType::Graphic:
        return v.toByteArray().isEmpty() ? QStringLiteral("(Graphic)")
                                         : QStringLiteral("(GRAPHIC)");
    default:
        break;
    }
    return textOf(v);
}

QString Field::textOf(const QVariant &v) const {
    return m_currency ? formatCurrency(v) : formatValue(v, m_type);
}

} // namespace bkp::db
