#include "backup/folderlist.h"

#include "backup/backupfolder.h"
#include "lib/paths.h"
#include "lib/strings.h"
#include "platform/filesystem.h"

#include <QCollator>
#include <QHeaderView>
#include <QLocale>
#include <QTreeWidget>

namespace bkp::backup {

void FolderSortState::columnClicked(int clicked) {
    if (clicked == column)
        ascending = !ascending;
    else
        column = clicked;
}

QString FormatFileSize(qint64 bytes) {
    QLocale locale = UserLocale();
    locale.setNumberOptions(locale.numberOptions() & ~QLocale::OmitGroupSeparator);
    return locale.toString(bytes);
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

QStringList rowTexts(const QTreeWidgetItem *item) {
    QStringList texts;
    for (int c = 0; c < item->columnCount(); ++c)
        texts.append(item->text(c));
    return texts;
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

void SortFolderList(QTreeWidget *list, int column, bool ascending) {
    if (!list)
        return;
    // The view's own sorting would undo ours (and turning it off makes the
    // header unclickable, so that is given back).
    if (list->isSortingEnabled()) {
        list->setSortingEnabled(false);
        list->header()->setSectionsClickable(true);
    }
    QTreeWidgetItem *current = list->currentItem();
    QList<QTreeWidgetItem *> items;
    while (list->topLevelItemCount() > 0)
        items.append(list->takeTopLevelItem(0));
    QList<SortKey> keys;
    QList<int> order;
    for (int i = 0; i < items.size(); ++i) {
        keys.append(keyOf(textOf(rowTexts(items[i]), column), column));
        order.append(i);
    }
    const QCollator collator = folderCollator();
    mergeSort(order,
              [&](int x, int y) { return compareKeys(keys[x], keys[y], collator, ascending) < 0; });
    for (int i : order)
        list->addTopLevelItem(items[i]);
    if (current)
        list->setCurrentItem(current);
}

void ListView_PastaColumnClick(QTreeWidget *list, int column, FolderSortState &state) {
    state.columnClicked(column);
    SortFolderList(list, state.column, state.ascending);
}

namespace {
constexpr int FolderColumnWidth = 120;
}

void SetupFolderList(QTreeWidget *list) {
    list->setRootIsDecorated(false);
    list->setSelectionBehavior(QAbstractItemView::SelectRows);
    list->setHeaderLabels(
        {QStringLiteral("Arquivo"), QStringLiteral("Tamanho"), QStringLiteral("Data")});
    list->header()->setStretchLastSection(false);
    for (int c = 0; c < 3; ++c)
        list->setColumnWidth(c, FolderColumnWidth);
    list->header()->setSectionsClickable(true);
}

void FitFolderColumns(QTreeWidget *list) {
    for (int c = 0; c < list->columnCount(); ++c) {
        list->resizeColumnToContents(c);
        if (list->columnWidth(c) < FolderColumnWidth)
            list->setColumnWidth(c, FolderColumnWidth);
    }
}

void connectFolderSorting(QTreeWidget *list, FolderSortState &state) {
    list->header()->setSectionsClickable(true);
    QObject::connect(
        list->header(), &QHeaderView::sectionClicked, list,
        [list, &state](int column) { ListView_PastaColumnClick(list, column, state); });
}

QList<FolderRow> LocalFolderRows(const QString &backupFolder) {
    QList<FolderRow> rows;
    if (Trim(backupFolder).isEmpty())
        return rows;
    const QString mask =
        JoinPath(backupFolder, QStringLiteral("*.rar"), QString(platform::fs::separator()));
    for (const platform::FileEntry &entry : ListFiles(mask)) {
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
