#pragma once

#include "backup/folderrows.h"
#include "backup/localfolderview.h"
#include "ftp/remotelisting.h"

#include <QWidget>
#include <memory>

class QLabel;
class QSplitter;
class QToolButton;
class QTreeWidget;

namespace bkp::ftp {

// The "Pasta" page: the archives in the job's backup folder above, the files of
// its remote folder below, split by a bar the operator can drag. Both lists sort
// through one shared state.
class FoldersPage : public QWidget {
    Q_OBJECT
public:
    // The remote listing reports to `statusBar` and switches the schedule with `timer`.
    FoldersPage(StatusBarPort *statusBar, RemoteFolderListing::TimerSwitch timer,
                QWidget *parent = nullptr);
    ~FoldersPage() override;

    // The main job list whose current job's folders are shown.
    void setJobList(db::DataSet *jobs);

    // The refresh button of the remote heading: lists the current job's remote folder.
    void SpeedButton_FTPFileClick();
    RemoteFolderListing &remoteListing() { return *RemoteListing1; }

    QSplitter *Splitter1 = nullptr;
    QWidget *Panel_Folder_Local = nullptr;
    backup::LocalFolderView *LocalFolderView1 = nullptr;
    QWidget *Panel_Folder_FTP = nullptr;
    QLabel *Panel_Pasta_FTP = nullptr;
    QToolButton *SpeedButton_FTPFile = nullptr;
    QTreeWidget *ListView_FTP = nullptr;

private:
    // One sort state for the local and the remote folder lists.
    backup::FolderSortState FolderSort;
    std::unique_ptr<RemoteFolderListing> RemoteListing1;
    db::DataSet *m_jobs = nullptr;
};

} // namespace bkp::ftp
