#pragma once

#include "lib/datetime.h"

#include <QList>
#include <QString>
#include <QStringList>

namespace bkp::backup {

// How the folder lists were sorted last. The local archive list and the remote
// listing share one of these for the whole run of the program, so a click on a
// column of one list continues from the order of the other.
struct FolderSortState {
    int column = 0;         // the column sorted last
    bool ascending = false; // false: descending

    // A click on a header: the same column again inverts the order; another
    // column is remembered and keeps the current direction.
    void columnClicked(int clicked);
};

// The size as the user reads it: a whole number with the user's thousands
// separator (1.234.567 in a Portuguese locale).
QString FormatFileSize(qint64 bytes);

// A date and time as the lists show them, read back: the user's short date and
// long time (also without seconds, or a date alone), or day/month/year with an
// optional time as the remote listing writes them. False when the text is neither.
bool ReadFolderDate(const QString &text, TDateTime &value);

// Compares two rows (their column texts, the first being the file name) by a
// column: file names ignoring case by the user's locale; other columns
// chronologically when both texts are dates, else as texts ignoring case (so sizes
// sort as texts). Descending order turns the sign. A missing text counts as empty.
int CompareFolderRows(const QStringList &a, const QStringList &b, int column, bool ascending);

// The order of `rows` by a column with CompareFolderRows, as indexes into `rows`:
// rows that compare equal keep their order.
QList<int> FolderRowOrder(const QList<QStringList> &rows, int column, bool ascending);

// One row of the local archive list: name, size and last-write time as shown.
struct FolderRow {
    QString name;
    QString size;
    QString date;
    QStringList texts() const { return {name, size, date}; }
};

// The archives of one extension (the job's, from its archiver: ".rar", ".arj", ".7z",
// ".zip"; empty for the files without one) in a job's backup folder (BACKUPFOLDER as
// stored), rotation names included, in the order the file system gives them; empty
// for an empty folder text.
QList<FolderRow> LocalFolderRows(const QString &backupFolder,
                                 const QString &extension = QStringLiteral(".rar"));

// The heading over the list: the folder with A to Z in lower case.
QString FolderCaption(const QString &backupFolder);

} // namespace bkp::backup
