#pragma once

#include "backup/folderlist.h"

#include <QWidget>

class QLabel;
class QToolButton;
class QTreeWidget;

namespace bkp::db {
class DataSet;
}

namespace bkp::backup {

// The upper half of the "Pasta" page: a heading bar that shows the job's backup
// folder with a refresh button at its right end, and the list of the job's
// archives in that folder, newest first. Header clicks sort through the sort state
// the window shares with its remote list.
class LocalFolderView : public QWidget {
    Q_OBJECT
public:
    // `sortState` is the window's shared state and must outlive the view; without
    // one the view keeps its own.
    explicit LocalFolderView(FolderSortState *sortState = nullptr, QWidget *parent = nullptr);

    // The main job list, whose current row's BACKUPFOLDER is listed.
    void setJobList(db::DataSet *jobs) { m_jobs = jobs; }
    db::DataSet *jobList() const { return m_jobs; }
    FolderSortState &sortState() { return *m_sortState; }

    // Lists the archives of the job list's current row: those of its archiver's
    // extension in its folder (nothing without a row).
    void RefreshFolder();
    // Lists this folder, as stored in BACKUPFOLDER, for archives of this extension.
    void RefreshFolder(const QString &backupFolder,
                       const QString &extension = QStringLiteral(".rar"));
    // A run of a job ended: the list is read again when it shows that job.
    void runEnded(int jobId);
    // The header click of this list.
    void ListView_PastaColumnClick(int column);

    QLabel *Panel_Pasta = nullptr;
    QToolButton *SpeedButton_RefreshFolder = nullptr;
    QTreeWidget *ListView_Pasta = nullptr;

private:
    FolderSortState m_ownState;
    FolderSortState *m_sortState;
    db::DataSet *m_jobs = nullptr;
};

} // namespace bkp::backup
