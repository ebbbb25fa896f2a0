#pragma once

#include "lib/datetime.h"

#include <QList>
#include <QPair>
#include <QString>
#include <QStringList>
#include <functional>

class QIODevice;

namespace bkp::db {
class DataSet;
}

namespace bkp::tools {

// Told before each record is written: its number (from 1) and the record count.
using ListingProgress = std::function<void(int recNo, int count)>;

// What the HTML listing shows above and below the records.
struct HtmlListingInfo {
    QString title; // as typed; the page shows it capitalised
    QString company;
    QString user;
    QString computer;
    QString programPath;  // the running program; its base name is shown
    QString databaseName; // shown in lower case
    QString statement;    // the last statement, under the records
    TDateTime when = 0;
};

// A program's file name without its folder and anything from its first ".".
QString ProgramBaseName(const QString &programPath);
// Each word's first letter upper-case when it is a letter, every other letter lower-case.
QString CapitalizeWords(const QString &text);
// The file name the HTML listing proposes for a title: the title capitalised with
// ".html", each folder separator or character a file name cannot hold ("\/:*?\"<>|",
// control characters) turned into "-", so the name stays one file of the folder.
QString HtmlListingFileName(const QString &title);
// "Qua 09/Dez/2026 14:05": the short weekday, day, month abbreviation, year and time.
QString HtmlListingDate(TDateTime when);
// A value as the page must show it: "&", "<" and ">" as entities, so that no value
// becomes markup, and every blank as "&nbsp;".
QString HtmlText(const QString &text);
// A record's position as the listings' progress shows it: "50,0%", one decimal
// with the user's separators.
QString PercentText(int recNo, int count);
// "Gerando HTML... 50,0% - 5 registros exportados"
QString HtmlProgressText(int recNo, int count);

// Writes the HTML listing of `data`, all its records from the first, to `out`
// (UTF-8 with a byte-order mark, so any browser reads the accents right).
void WriteHtmlListing(QIODevice &out, db::DataSet &data, const HtmlListingInfo &info,
                      const ListingProgress &progress = {});

// One column of the grid being exported: its title and the field it shows.
struct GridHtmlColumn {
    QString title;
    QString fieldName;
};

// What the grid export writes around the records.
struct GridHtmlInfo {
    QString title; // optional
    QString tableName;
    QString statement;
    QList<QPair<QString, QString>> params; // name, value
};

// Writes the grid export of `data` through `columns` to `out` (UTF-8 with a mark).
void WriteGridHtml(QIODevice &out, db::DataSet &data, const QList<GridHtmlColumn> &columns,
                   const GridHtmlInfo &info, const ListingProgress &progress = {});

// The label-parameter block, as appended to a statement.
QStringList LabelScriptLines();
enum class LabelScriptResult { Inserted, AlreadyThere, NoSelect };
// Appends the block to a statement that holds a select and has none yet (after an
// empty line when the last line is not empty).
LabelScriptResult AddLabelScript(QStringList &lines);

} // namespace bkp::tools
