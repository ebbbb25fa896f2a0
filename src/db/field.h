#pragma once

#include "lib/datetime.h"

#include <QString>
#include <QVariant>

namespace bkp::db {

class DataSet;

// The kinds of column a data set or a table definition knows.
enum class FieldType {
    Unknown,
    String,
    Smallint,
    Integer,
    Word,
    Boolean,
    Float,
    Currency,
    BCD,
    Date,
    Time,
    DateTime,
    Bytes,
    VarBytes,
    AutoInc,
    Blob,
    Memo,
    Graphic,
    FmtMemo,
    ParadoxOle,
    DBaseOle,
    TypedBinary,
    Cursor,
    FixedChar,
    WideString,
    Largeint,
    ADT,
    Array,
    Reference,
    DataSet,
};

// One column definition of a table as the program carries it.
struct FieldDef {
    QString name;
    FieldType type = FieldType::String;
    int size = 0;      // characters of a text column
    int precision = 0; // digits of a BCD column
    int scale = 0;     // decimals of a BCD column
    bool required = false;
    bool calculated = false;
};

struct IndexDef {
    QString name;
    QString fields; // column names separated by ';'
    bool primary = false;
    bool unique = false;
    bool descending = false;
};

// A column of an open data set: its description and access to the current row's value.
class Field {
public:
    Field(DataSet *dataSet, int index, const QString &name, FieldType type, int size);

    DataSet *dataSet() const { return m_dataSet; }
    int index() const { return m_index; }
    QString fieldName() const { return m_name; }
    FieldType dataType() const { return m_type; }
    int size() const { return m_size; }
    int precision() const { return m_precision; }
    int scale() const { return m_scale; }
    QString origin() const { return m_origin; } // "TABLE.COLUMN", empty for expressions
    bool required() const { return m_required; }
    bool readOnly() const { return m_readOnly; }
    bool calculated() const { return m_calculated; }
    bool isBlob() const;
    bool isMemo() const { return m_type == FieldType::Memo || m_type == FieldType::FmtMemo; }
    bool isText() const { return m_type == FieldType::String || m_type == FieldType::FixedChar; }
    bool isNumeric() const;
    QString displayLabel() const { return m_label.isEmpty() ? m_name : m_label; }

    void setPrecision(int p) { m_precision = p; }
    void setScale(int s) { m_scale = s; }
    void setOrigin(const QString &origin) { m_origin = origin; }
    void setRequired(bool r) { m_required = r; }
    void setReadOnly(bool r) { m_readOnly = r; }
    void setCalculated(bool c) { m_calculated = c; }
    void setDisplayLabel(const QString &label) { m_label = label; }
    void setCurrency(bool c) { m_currency = c; }
    bool currency() const { return m_currency; }
    // A value of this field as text, as currency when the field is shown so.
    QString textOf(const QVariant &value) const;

    bool isNull() const;
    QVariant value() const;
    QVariant oldValue() const; // the value before the current edit
    // Writing needs the data set in edit or insert state. A text longer than the
    // field's size is kept as it is and refused when the row is stored.
    void setValue(const QVariant &value);
    // Raises ValueTooLongError when the value is a text longer than the size.
    void checkSize() const;
    void clear();

    QString asString() const;
    void setAsString(const QString &text);
    int asInteger() const;
    void setAsInteger(int value);
    qint64 asLargeInt() const;
    double asFloat() const;
    void setAsFloat(double value);
    bool asBoolean() const;
    TDateTime asDateTime() const;
    void setAsDateTime(TDateTime value);

    // What a grid shows; memo and blob columns show their kind.
    QString displayText() const;

    // The value converted to this field's kind (invalid input raises DatabaseError).
    QVariant convert(const QVariant &value) const;

private:
    DataSet *m_dataSet;
    int m_index;
    QString m_name;
    FieldType m_type;
    int m_size;
    int m_precision = 0;
    int m_scale = 0;
    QString m_origin;
    QString m_label;
    bool m_required = false;
    bool m_readOnly = false;
    bool m_calculated = false;
    bool m_currency = false;
};

// Text forms of values as the user sees them.
QString formatValue(const QVariant &value, FieldType type);
// A number in the locale's currency format, with its two decimals: "R$ 1.234,50"
// under the Brazilian formats; a NUMERIC keeps every digit of its integer part.
QString formatCurrency(const QVariant &value);

} // namespace bkp::db
