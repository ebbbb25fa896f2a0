#pragma once

#include "backup/folderrows.h"

class QTreeWidget;

namespace bkp::backup {

// Sorts the list's rows by a column with CompareFolderRows (rows that compare
// equal keep their order); the current row stays current.
void SortFolderList(QTreeWidget *list, int column, bool ascending);

// The header click of both folder lists: updates the shared state and sorts the
// list that was clicked.
void ListView_PastaColumnClick(QTreeWidget *list, int column, FolderSortState &state);

// Sets a list up as both folder lists look: report view, whole-row selection,
// columns "Arquivo", "Tamanho" and "Data" of 120 pixels each, clickable header.
void SetupFolderList(QTreeWidget *list);
// Widens a column of a filled list whose texts would be cut (a date and time in
// this desktop's font, a long file name); no column gets narrower than it was set.
void FitFolderColumns(QTreeWidget *list);

// Makes the list's header clickable and sends its clicks to ListView_PastaColumnClick
// with `state` (which must live as long as the list).
void connectFolderSorting(QTreeWidget *list, FolderSortState &state);

} // namespace bkp::backup
