#include "backup/localfolderview.h"

#include "backup/archiverun.h"
#include "db/dataset.h"
#include "widgets/headingpanel.h"

#include <QHeaderView>
#include <QLabel>
#include <QStyle>
#include <QToolButton>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace bkp::backup {

LocalFolderView::LocalFolderView(FolderSortState *sortState, QWidget *parent)
    : QWidget(parent), m_sortState(sortState ? sortState : &m_ownState) {
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);

    // A long folder keeps its end, the job's own part, in view.
    Panel_Pasta = widgets::headingPanel(QString(), this, false, 19, Qt::ElideLeft);
    Panel_Pasta->setObjectName(QStringLiteral("Panel_Pasta"));
    Panel_Pasta->setFixedHeight(40);
    Panel_Pasta->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    SpeedButton_RefreshFolder = widgets::addHeadingButton(Panel_Pasta, QStyle::SP_BrowserReload);
    SpeedButton_RefreshFolder->setObjectName(QStringLiteral("SpeedButton_RefreshFolder"));
    SpeedButton_RefreshFolder->setToolTip(QStringLiteral("Atualiza lista de backups"));
    layout->addWidget(Panel_Pasta);

    ListView_Pasta = new QTreeWidget(this);
    ListView_Pasta->setObjectName(QStringLiteral("ListView_Pasta"));
    SetupFolderList(ListView_Pasta);
    layout->addWidget(ListView_Pasta, 1);

    connect(SpeedButton_RefreshFolder, &QToolButton::clicked, this, [this] { RefreshFolder(); });
    connect(ListView_Pasta->header(), &QHeaderView::sectionClicked, this,
            &LocalFolderView::ListView_PastaColumnClick);
}

void LocalFolderView::RefreshFolder() {
    QString folder;
    QString archiver;
    if (m_jobs && m_jobs->active() && !m_jobs->isEmpty()) {
        if (db::Field *f = m_jobs->findField(QStringLiteral("BACKUPFOLDER")))
            folder = f->asString();
        if (db::Field *f = m_jobs->findField(QStringLiteral("UTILITARIO")))
            archiver = f->asString();
    }
    RefreshFolder(folder, ArchiveExtension(archiver));
}

void LocalFolderView::runEnded(int jobId) {
    if (!m_jobs || !m_jobs->active() || m_jobs->isEmpty())
        return;
    const db::Field *id = m_jobs->findField(QStringLiteral("ID"));
    if (id && id->asInteger() == jobId)
        RefreshFolder();
}

void LocalFolderView::RefreshFolder(const QString &backupFolder, const QString &extension) {
    ListView_Pasta->clear();
    const QList<FolderRow> rows = LocalFolderRows(backupFolder, extension);
    Panel_Pasta->setText(FolderCaption(backupFolder));
    for (const FolderRow &row : rows)
        new QTreeWidgetItem(ListView_Pasta, row.texts());
    // Newest first; the column remembered for the next header click stays.
    m_sortState->ascending = false;
    SortFolderList(ListView_Pasta, 2, false);
    FitFolderColumns(ListView_Pasta);
}

void LocalFolderView::ListView_PastaColumnClick(int column) {
    backup::ListView_PastaColumnClick(ListView_Pasta, column, *m_sortState);
}

} // namespace bkp::backup
