#include "backup/folderrows.h"

#include "backup/backupfolder.h"
#include "lib/paths.h"
#include "lib/strings.h"
#include "platform/filesystem.h"

#include <QCollator>
#include <QLocale>

namespace bkp::backup {

void FolderSortState::columnClicked(int clicked) {
    if (clicked == column)
        ascending = !ascending;
    else
        column = clicked;
}

QString FormatFileSize(qint64 bytes) {
    return FormatThousands(bytes);
}

bool ReadFolderDate(const QString &text, TDateTime &value) {
    const QString t = Trim(text);
    if (t.isEmpty())
        return false;
    const QLocale locale = UserLocale();
    const QString date = ShortDateFormat();
    // The user's forms first: what the local list writes, then shorter ones.
    for (const QString &format :
         {date + QLatin1Char(' ') + LongTimeFormat(), date + QStringLiteral(" H:mm"), date}) {
        const QDateTime dt = locale.toDateTime(t, format);
        if (dt.isValid()) {
            value = FromQDateTime(dt);
            return true;
        }
    }
    // Day/month/year, as the remote listing builds its dates.
    for (const char *format : {"d/M/yyyy H:mm:ss", "d/M/yyyy H:mm", "d/M/yyyy"}) {
        const QDateTime dt = QDateTime::fromString(t, QLatin1String(format));
        if (dt.isValid()) {
            value = FromQDateTime(dt);
            return true;
        }
    }
    return false;
}

namespace {

int sign(qint64 v) {
    return v < 0 ? -1 : (v > 0 ? 1 : 0);
}

QString textOf(const QStringList &row, int column) {
    return column >= 0 && column < row.size() ? row.at(column) : QString();
}

// A row's column texts, with the date read once per sort.
struct SortKey {
    QString text;
    bool isDate = false;
    TDateTime date = 0;
};

SortKey keyOf(const QString &text, int column) {
    SortKey k;
    k.text = text;
    if (column >= 1)
        k.isDate = ReadFolderDate(text, k.date);
    return k;
}

int compareKeys(const SortKey &a, const SortKey &b, const QCollator &collator, bool ascending) {
    int result;
    if (a.isDate && b.isDate)
        result = a.date < b.date ? -1 : (a.date > b.date ? 1 : 0);
    else
        result = sign(collator.compare(a.text, b.text));
    return ascending ? result : -result;
}

QCollator folderCollator() {
    QCollator collator(UserLocale());
    collator.setCaseSensitivity(Qt::CaseInsensitive);
    return collator;
}

// A merge sort of its own: stable, and safe whatever the comparison answers
// (texts that only partly read as dates need not give a consistent order).
template <typename Less> void mergeSort(QList<int> &order, Less less) {
    if (order.size() < 2)
        return;
    QList<int> left = order.mid(0, order.size() / 2);
    QList<int> right = order.mid(order.size() / 2);
    mergeSort(left, less);
    mergeSort(right, less);
    qsizetype i = 0, j = 0, k = 0;
    while (i < left.size() && j < right.size())
        order[k++] = less(right[j], left[i]) ? right[j++] : left[i++];
    while (i < left.size())
        order[k++] = left[i++];
    while (j < right.size())
        order[k++] = right[j++];
}

} // namespace

int CompareFolderRows(const QStringList &a, const QStringList &b, int column, bool ascending) {
    return compareKeys(keyOf(textOf(a, column), column), keyOf(textOf(b, column), column),
                       folderCollator(), ascending);
}

QList<int> FolderRowOrder(const QList<QStringList> &rows, int column, bool ascending) {
    QList<SortKey> keys;
    QList<int> order;
    for (int i = 0; i < rows.size(); ++i) {
        keys.append(keyOf(textOf(rows[i], column), column));
        order.append(i);
    }
    const QCollator collator = folderCollator();
    mergeSort(order,
              [&](int x, int y) { return compareKeys(keys[x], keys[y], collator, ascending) < 0; });
    return order;
}

QList<FolderRow> LocalFolderRows(const QString &backupFolder, const QString &extension) {
    QList<FolderRow> rows;
    if (Trim(backupFolder).isEmpty())
        return rows;
    const QString mask =
        JoinPath(backupFolder, QLatin1Char('*') + extension, QString(platform::fs::separator()));
    for (const platform::FileEntry &entry : ListFiles(mask)) {
        // An archiver without extension writes names without one.
        if (extension.isEmpty() && !platform::fs::extractFileExt(entry.name).isEmpty())
            continue;
        FolderRow row;
        row.name = entry.name;
        row.size = FormatFileSize(entry.size);
        row.date = DateTimeToStr(FromQDateTime(entry.lastWrite));
        rows.append(row);
    }
    return rows;
}

QString FolderCaption(const QString &backupFolder) {
    return LowerCaseAZ(backupFolder);
}

} // namespace bkp::backup
