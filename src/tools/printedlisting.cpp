#include "tools/printedlisting.h"

#include "db/dataset.h"
#include "db/field.h"
#include "lib/datetime.h"
#include "lib/strings.h"
#include "reports/reportprinter.h"
#include "tools/htmllisting.h"

#include <QHash>

namespace bkp::tools {

namespace {

// The width a column has before the records are seen: a text as wide as its
// field (at most 40 characters), a date or time as its format, a number as its
// caption; numbers then widen to their widest value.
int baseWidth(const db::Field &f) {
    int width;
    switch (f.dataType()) {
    case db::FieldType::Date:
        width = 10;
        break;
    case db::FieldType::Time:
        width = 8;
        break;
    case db::FieldType::DateTime:
        width = 19;
        break;
    case db::FieldType::String:
    case db::FieldType::FixedChar:
    case db::FieldType::WideString:
        width = qBound(1, f.size(), 40);
        break;
    default:
        width = f.isNumeric() ? 1 : 12;
    }
    return qMax(width, int(f.displayLabel().size()));
}

// A number is never cut: its column is as wide as its widest value. Any other text
// longer than its column ends in "…" where it is cut.
QString cell(const db::Field &f, const QString &text, int width) {
    QString value = OneLine(text);
    if (f.isNumeric())
        return value.rightJustified(width);
    if (value.size() > width)
        value = value.left(width - 1) + QChar(0x2026);
    return value.leftJustified(width);
}

QString groupValue(const db::DataSet &data, const QString &field) {
    const db::Field *f = field.isEmpty() ? nullptr : data.findField(field);
    return f ? f->asString() : QString();
}

// The sums of a group or of the whole listing, by field name.
struct Sums {
    QHash<QString, double> values;
    void add(const db::DataSet &data, const QStringList &fields) {
        for (const QString &name : fields)
            if (const db::Field *f = data.findField(name))
                values[name.toUpper()] += f->isNull() ? 0.0 : f->asFloat();
    }
    // The sum of a field as printed; null when the field is not summed.
    QString text(const db::Field &f) const {
        const auto at = values.constFind(f.fieldName().toUpper());
        if (at == values.constEnd())
            return QString();
        return GroupingLocale().toString(at.value(), 'f', qMax(0, f.scale()));
    }
    void widen(const db::DataSet &data, QList<int> &widths) const {
        for (int i = 0; i < data.fieldCount(); ++i)
            widths[i] = qMax(widths[i], int(text(*data.field(i)).size()));
    }
    QString line(const db::DataSet &data, const QList<int> &widths) const {
        QStringList cells;
        for (int i = 0; i < data.fieldCount(); ++i)
            cells.append(text(*data.field(i)).rightJustified(widths.at(i)));
        return cells.join(QLatin1Char(' '));
    }
};

bool endsGroup(const db::DataSet &data, const QString &groupField, const QString &group) {
    return !groupField.isEmpty() && (data.eof() || groupValue(data, groupField) != group);
}

} // namespace

QString ReportProgressText(int recNo, int count, int page) {
    return QStringLiteral("Gerando relatório... ") + PercentText(recNo, count) +
           QStringLiteral(" - Folha ") + QString::number(page);
}

QList<int> ListingColumnWidths(db::DataSet &data, const QString &groupField,
                               const QStringList &sumFields) {
    QList<int> widths;
    for (int i = 0; i < data.fieldCount(); ++i)
        widths.append(baseWidth(*data.field(i)));
    const db::ControlsDisabled quiet(data);
    const QString grouping = groupField.trimmed();
    Sums groupSums, grandSums;
    for (data.first(); !data.eof();) {
        for (int i = 0; i < data.fieldCount(); ++i)
            if (data.field(i)->isNumeric())
                widths[i] = qMax(widths[i], int(OneLine(data.field(i)->displayText()).size()));
        const QString group = groupValue(data, grouping);
        groupSums.add(data, sumFields);
        grandSums.add(data, sumFields);
        data.next();
        if (endsGroup(data, grouping, group)) {
            groupSums.widen(data, widths);
            groupSums = Sums();
        }
    }
    grandSums.widen(data, widths);
    return widths;
}

QString ListingHeaderLine(const db::DataSet &data, const QList<int> &widths) {
    QStringList cells;
    for (int i = 0; i < data.fieldCount(); ++i)
        cells.append(cell(*data.field(i), data.field(i)->displayLabel(), widths.at(i)));
    return cells.join(QLatin1Char(' '));
}

QString ListingRecordLine(const db::DataSet &data, const QList<int> &widths) {
    QStringList cells;
    for (int i = 0; i < data.fieldCount(); ++i)
        cells.append(cell(*data.field(i), data.field(i)->displayText(), widths.at(i)));
    return cells.join(QLatin1Char(' '));
}

void FillPrintedListing(reports::ReportPrinter &report, db::DataSet &data,
                        const PrintedListingSetup &setup, const ReportProgress &progress) {
    QStringList sumFields;
    for (const QString &s : setup.sumFields)
        if (!s.trimmed().isEmpty())
            sumFields.append(s.trimmed());
    const QString groupField = setup.groupField.trimmed();
    const QList<int> widths = ListingColumnWidths(data, groupField, sumFields);
    report.setHeader(setup.company.isEmpty() ? QStringLiteral("Orbelan Informática")
                                             : setup.company,
                     setup.title, setup.subtitle, ListingHeaderLine(data, widths));

    const db::ControlsDisabled quiet(data);
    data.last();
    const int count = data.recordCount();
    data.first();
    Sums groupSums, grandSums;
    int inGroup = 0;
    for (int recNo = 1; !data.eof(); ++recNo) {
        if (progress)
            progress(recNo, count, report.pageNumber());
        const QString line = ListingRecordLine(data, widths);
        const QString group = groupValue(data, groupField);
        groupSums.add(data, sumFields);
        grandSums.add(data, sumFields);
        ++inGroup;
        const Sums closing = groupSums;
        data.next();
        // A group ends with the last record or before a record of another value.
        const bool groupBreak = endsGroup(data, groupField, group);
        report.addLine(line, groupBreak ? QStringLiteral("Underline=True") : QString());
        if (!groupBreak)
            continue;
        if (!sumFields.isEmpty())
            report.addLine(closing.line(data, widths), QStringLiteral("Brush.Color=clInfoBk"));
        report.addLine(QStringLiteral("Total de registro para ") + UpperTrim(group) +
                           QStringLiteral(": ") + QString::number(inGroup),
                       QStringLiteral("Brush.Color=cl3DLight"));
        report.addLine(QString());
        inGroup = 0;
        groupSums = Sums();
    }
    if (!sumFields.isEmpty())
        report.addLine(grandSums.line(data, widths), QStringLiteral("Brush.Color=clInfoBk"));
    report.addDivider();
    report.addLine(QString::number(count) + QStringLiteral(" registros listados."),
                   QStringLiteral("Brush.Color=cl3DLight"));
}

} // namespace bkp::tools
