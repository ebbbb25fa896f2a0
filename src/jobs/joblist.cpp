#include "jobs/joblist.h"

#include "db/query.h"
#include "jobs/jobediting.h"
#include "widgets/headingpanel.h"

#include <QLabel>
#include <QVBoxLayout>

namespace bkp::jobs {

JobListBox::JobListBox(QWidget *parent) : QGroupBox(QStringLiteral("Backups"), parent) {
    setFixedWidth(200);
    auto *box = new QVBoxLayout(this);
    box->setContentsMargins(2, 2, 2, 2);
    box->setSpacing(1);

    DBNavigator2 = new widgets::DBNavigator(this);
    DBNavigator2->setVisibleButtons({widgets::DBNavigator::First, widgets::DBNavigator::Prior,
                                     widgets::DBNavigator::Next, widgets::DBNavigator::Last,
                                     widgets::DBNavigator::Refresh});
    DBNavigator2->onRefresh = [this] {
        DBNavigator2Click();
    };
    box->addWidget(DBNavigator2);

    Panel_Reordenar = widgets::headingPanel(QStringLiteral("Clique para reordenar"), this, true);
    Panel_Reordenar->setAlignment(Qt::AlignCenter);
    box->addWidget(Panel_Reordenar);

    DBGrid_Backups = new widgets::DBGrid(this);
    QList<widgets::GridColumn> columns{
        {QStringLiteral("BACKUPNAME"), QStringLiteral("Backup"), 240},
        {QStringLiteral("ID"), QString(), 32, Qt::AlignLeft | Qt::AlignVCenter}};
    for (const char *name :
         {"BACKUPFILE", "BACKUPFOLDER", "BACKUPACTIVE", "ATIVO", "TIPO", "UTILITARIO", "PARAMETROS",
          "DATA", "HORA", "FTP", "FTP_ACTIVE", "FTP_HOST", "FTP_USER", "FTP_PASSWORD", "FTP_DATA",
          "FTP_HORA", "FTP_LASTSEND", "FTP_FOLDER", "FTP_LASTERR"})
        columns.append({QString::fromLatin1(name), QString(), 64});
    DBGrid_Backups->setColumns(columns);
    box->addWidget(DBGrid_Backups, 1);

    // A Ctrl+Delete in the grid takes the job's file sets along, as "E&xcluir" does.
    DBGrid_Backups->onDelete = [this] {
        if (m_jobs)
            DeleteJob(m_database, *m_jobs);
    };
    connect(DBGrid_Backups, &widgets::DBGrid::titleClicked, this,
            [this](int, const QString &fieldName) { DBGrid_BackupsTitleClick(fieldName); });
}

void JobListBox::bind(db::Database *database, db::Query *jobs) {
    m_database = database;
    m_jobs = jobs;
    DBGrid_Backups->setDataSet(jobs);
    DBNavigator2->setDataSet(jobs);
}

void JobListBox::DBNavigator2Click() {
    if (!m_jobs)
        return;
    m_jobs->refresh();
    m_jobs->close();
    m_jobs->open();
    m_jobs->first();
}

void JobListBox::DBGrid_BackupsTitleClick(const QString &fieldName) {
    if (m_jobs)
        OrderByColumn(*m_jobs, QString::number(reinterpret_cast<quintptr>(this)), fieldName);
}

} // namespace bkp::jobs
