#pragma once

#include <QList>
#include <QString>
#include <QStringList>
#include <functional>

namespace bkp::db {
class DataSet;
}
namespace bkp::reports {
class ReportPrinter;
}

namespace bkp::tools {

// What the printed listing takes from the console and the statement's directives.
struct PrintedListingSetup {
    QString company;       // empty: the maker's name
    QString title;         // the "Title" directive, or "Listagem da tabela " + table
    QString subtitle;      // "SubTitle"
    QString groupField;    // "Group"; empty: no groups, only the grand totals
    QStringList sumFields; // "Sum"
};

// Told before each record: its number (from 1), the record count and the page
// the record goes to.
using ReportProgress = std::function<void(int recNo, int count, int page)>;

// "Gerando relatório... 50,0% - Folha 2"
QString ReportProgressText(int recNo, int count, int page);

// The width of each column of the printed listing: a text as wide as its field
// (at most 40 characters), a number as wide as its widest value or sum, so no
// number is ever cut. Walks every record.
QList<int> ListingColumnWidths(db::DataSet &data, const QString &groupField,
                               const QStringList &sumFields);
// The columns of a data set as the printed listing lines them up: the header line
// of display names and a record's line, each field in its width (numbers on the
// right; a longer text cut with "…").
QString ListingHeaderLine(const db::DataSet &data, const QList<int> &widths);
QString ListingRecordLine(const db::DataSet &data, const QList<int> &widths);

// Lays the listing of every record of `data` into `report`: record lines, group
// breaks with their sums and counts, the grand sums, a divider and the count.
void FillPrintedListing(reports::ReportPrinter &report, db::DataSet &data,
                        const PrintedListingSetup &setup, const ReportProgress &progress = {});

} // namespace bkp::tools
