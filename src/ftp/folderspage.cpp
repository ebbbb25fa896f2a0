#include "ftp/folderspage.h"

#include "backup/folderlist.h"
#include "lib/scopeguard.h"
#include "widgets/headingpanel.h"

#include <QLabel>
#include <QSplitter>
#include <QStyle>
#include <QToolButton>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace bkp::ftp {

FoldersPage::FoldersPage(StatusBarPort *statusBar, RemoteFolderListing::TimerSwitch timer,
                         QWidget *parent)
    : QWidget(parent) {
    auto *folder = new QVBoxLayout(this);
    folder->setContentsMargins(0, 0, 0, 0);
    Splitter1 = new QSplitter(Qt::Vertical, this);
    Splitter1->setHandleWidth(5);
    Splitter1->setStyleSheet(QStringLiteral("QSplitter::handle { background: yellow; }"));
    Panel_Folder_Local = new QWidget(Splitter1);
    auto *local = new QVBoxLayout(Panel_Folder_Local);
    local->setContentsMargins(0, 0, 0, 0);
    LocalFolderView1 = new backup::LocalFolderView(&FolderSort, Panel_Folder_Local);
    local->addWidget(LocalFolderView1);
    Splitter1->addWidget(Panel_Folder_Local);

    Panel_Folder_FTP = new QWidget(Splitter1);
    auto *remote = new QVBoxLayout(Panel_Folder_FTP);
    remote->setContentsMargins(0, 0, 0, 0);
    remote->setSpacing(0);
    Panel_Pasta_FTP = widgets::headingPanel(QStringLiteral("FTP"), Panel_Folder_FTP, true);
    Panel_Pasta_FTP->setMinimumHeight(40);
    SpeedButton_FTPFile = widgets::addHeadingButton(Panel_Pasta_FTP, QStyle::SP_BrowserReload);
    connect(SpeedButton_FTPFile, &QToolButton::clicked, this,
            &FoldersPage::SpeedButton_FTPFileClick);
    remote->addWidget(Panel_Pasta_FTP);
    ListView_FTP = new QTreeWidget(Panel_Folder_FTP);
    backup::SetupFolderList(ListView_FTP);
    backup::connectFolderSorting(ListView_FTP, FolderSort);
    remote->addWidget(ListView_FTP, 1);
    Splitter1->addWidget(Panel_Folder_FTP);
    folder->addWidget(Splitter1);

    RemoteListing1 = std::make_unique<RemoteFolderListing>(
        Panel_Pasta_FTP, Panel_Folder_FTP, ListView_FTP, statusBar, std::move(timer));
}

FoldersPage::~FoldersPage() = default;

void FoldersPage::setJobList(db::DataSet *jobs) {
    m_jobs = jobs;
    LocalFolderView1->setJobList(jobs);
}

void FoldersPage::SpeedButton_FTPFileClick() {
    if (!m_jobs)
        return;
    // The window answers clicks while the listing waits on the server.
    SpeedButton_FTPFile->setEnabled(false);
    ScopeGuard enable([this] { SpeedButton_FTPFile->setEnabled(true); });
    RemoteListing1->Check_FTPFolder(*m_jobs);
}

} // namespace bkp::ftp
