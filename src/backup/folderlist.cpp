#include "backup/folderlist.h"

#include <algorithm>

#include <QHeaderView>
#include <QTreeWidget>

namespace bkp::backup {

namespace {

QStringList rowTexts(const QTreeWidgetItem *item) {
    QStringList texts;
    for (int c = 0; c < item->columnCount(); ++c)
        texts.append(item->text(c));
    return texts;
}

} // namespace

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
    QList<QStringList> rows;
    while (list->topLevelItemCount() > 0) {
        items.append(list->takeTopLevelItem(0));
        rows.append(rowTexts(items.last()));
    }
    for (int i : FolderRowOrder(rows, column, ascending))
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
    // A blank of two characters after the widest text, so that a long name does
    // not run into the size beside it.
    const int gap = 2 * list->fontMetrics().averageCharWidth();
    for (int c = 0; c < list->columnCount(); ++c) {
        list->resizeColumnToContents(c);
        list->setColumnWidth(c, std::max(FolderColumnWidth, list->columnWidth(c) + gap));
    }
}

void connectFolderSorting(QTreeWidget *list, FolderSortState &state) {
    list->header()->setSectionsClickable(true);
    QObject::connect(
        list->header(), &QHeaderView::sectionClicked, list,
        [list, &state](int column) { ListView_PastaColumnClick(list, column, state); });
}

} // namespace bkp::backup
