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

int columnWidth(const db::Field &f) {
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
        width = f.isNumeric() ? 14 : 12;
    }
    return qMax(width, int(f.displayLabel().size()));
}

QString cell(const db::Field &f, const QString &text) {
    const int width = columnWidth(f);
    const QString cut = OneLine(text).left(width);
    return f.isNumeric() ? cut.rightJustified(width) : cut.leftJustified(width);
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
    QString line(const db::DataSet &data) const {
        QStringList cells;
        const QLocale locale = GroupingLocale();
        for (int i = 0; i < data.fieldCount(); ++i) {
            const db::Field &f = *data.field(i);
            const QString key = f.fieldName().toUpper();
            cells.append(values.contains(key)
                             ? locale.toString(values.value(key), 'f', qMax(0, f.scale()))
                                   .rightJustified(columnWidth(f))
                             : QString(columnWidth(f), QLatin1Char(' ')));
        }
        return cells.join(QLatin1Char(' '));
    }
};

} // namespace

QString ReportProgressText(int recNo, int count, int page) {
    return QStringLiteral("Gerando relatório... ") + PercentText(recNo, count) +
           QStringLiteral(" - Folha ") + QString::number(page);
}

QString ListingHeaderLine(const db::DataSet &data) {
    QStringList cells;
    for (int i = 0; i < data.fieldCount(); ++i)
        cells.append(cell(*data.field(i), data.field(i)->displayLabel()));
    return cells.join(QLatin1Char(' '));
}

QString ListingRecordLine(const db::DataSet &data) {
    QStringList cells;
    for (int i = 0; i < data.fieldCount(); ++i)
        cells.append(cell(*data.field(i), data.field(i)->displayText()));
    return cells.join(QLatin1Char(' '));
}

void FillPrintedListing(reports::ReportPrinter &report, db::DataSet &data,
                        const PrintedListingSetup &setup, const ReportProgress &progress) {
    report.setHeader(setup.company.isEmpty() ? QStringLiteral("Orbelan Informática")
                                             : setup.company,
                     setup.title, setup.subtitle, ListingHeaderLine(data));
    QStringList sumFields;
    for (const QString &s : setup.sumFields)
        if (!s.trimmed().isEmpty())
            sumFields.append(s.trimmed());
    const bool grouped = !setup.groupField.trimmed().isEmpty();
    const QString groupField = setup.groupField.trimmed();

    const db::ControlsDisabled quiet(data);
    data.last();
    const int count = data.recordCount();
    data.first();
    Sums groupSums, grandSums;
    int inGroup = 0;
    for (int recNo = 1; !data.eof(); ++recNo) {
        if (progress)
            progress(recNo, count, report.pageNumber());
        const QString line = ListingRecordLine(data);
        const QString group = groupValue(data, groupField);
        groupSums.add(data, sumFields);
        grandSums.add(data, sumFields);
        ++inGroup;
        const Sums closing = groupSums;
        data.next();
        // A group ends with the last record or before a record of another value.
        const bool groupBreak = grouped && (data.eof() || groupValue(data, groupField) != group);
        report.addLine(line, groupBreak ? QStringLiteral("Underline=True") : QString());
        if (!groupBreak)
            continue;
        if (!sumFields.isEmpty())
            report.addLine(closing.line(data), QStringLiteral("Brush.Color=clInfoBk"));
        report.addLine(QStringLiteral("Total de registro para ") + UpperTrim(group) +
                           QStringLiteral(": ") + QString::number(inGroup),
                       QStringLiteral("Brush.Color=cl3DLight"));
        report.addLine(QString());
        inGroup = 0;
        groupSums = Sums();
    }
    if (!sumFields.isEmpty())
        report.addLine(grandSums.line(data), QStringLiteral("Brush.Color=clInfoBk"));
    report.addDivider();
    report.addLine(QString::number(count) + QStringLiteral(" registros listados."),
                   QStringLiteral("Brush.Color=cl3DLight"));
}

} // namespace bkp::tools
