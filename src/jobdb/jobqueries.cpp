#include "jobdb/jobqueries.h"

#include "db/dataroutines.h"
#include "jobdb/datamodule.h"
#include "lib/ui.h"

namespace bkp::jobdb {

using namespace db;

QStringList backupsUpdateColumns() {
    return {QStringLiteral("ID"),           QStringLiteral("BACKUPNAME"),
            QStringLiteral("BACKUPFILE"),   QStringLiteral("ATIVO"),
            QStringLiteral("TIPO"),         QStringLiteral("UTILITARIO"),
            QStringLiteral("PARAMETROS"),   QStringLiteral("DATA"),
            QStringLiteral("HORA"),         QStringLiteral("FTP"),
            QStringLiteral("FTP_HOST"),     QStringLiteral("FTP_USER"),
            QStringLiteral("FTP_PASSWORD"), QStringLiteral("FTP_DATA"),
            QStringLiteral("FTP_HORA"),     QStringLiteral("FTP_LASTSEND"),
            QStringLiteral("BACKUPFOLDER"), QStringLiteral("BACKUPACTIVE"),
            QStringLiteral("FTP_ACTIVE"),   QStringLiteral("FTP_FOLDER"),
            QStringLiteral("FTP_LASTERR"),  QStringLiteral("FTP_PASSIVE")};
}

QStringList arquivosUpdateColumns() {
    return {QStringLiteral("ID"),        QStringLiteral("BACKUP"),   QStringLiteral("PASTA"),
            QStringLiteral("SUBPASTAS"), QStringLiteral("ARQUIVOS"), QStringLiteral("SUBFOLDER")};
}

JobQueries::JobQueries(TDM *dm) {
    IBQuery_Backups.setObjectName(QStringLiteral("IBQuery_Backups"));
    IBQuery_Backups.setDatabase(dm->IBDatabase1);
    IBQuery_Backups.setTransaction(dm->IBTransaction1);
    IBQuery_Backups.setSql(
        {QStringLiteral("select * from BACKUPS"), QStringLiteral("order by backupname")});
    IBUpdateSQL__Backups = keyedUpdateSQL(QStringLiteral("BACKUPS"), backupsUpdateColumns());
    IBQuery_Backups.setUpdateObject(&IBUpdateSQL__Backups);

    IBQuery_Arquivos.setObjectName(QStringLiteral("IBQuery_Arquivos"));
    IBQuery_Arquivos.setDatabase(dm->IBDatabase1);
    IBQuery_Arquivos.setTransaction(dm->IBTransaction1);
    IBQuery_Arquivos.setSql({QStringLiteral("select * from ARQUIVOS"),
                             QStringLiteral("where backup=:backup"),
                             QStringLiteral("order by pasta")});
    IBUpdateSQL_Arquivos = keyedUpdateSQL(QStringLiteral("ARQUIVOS"), arquivosUpdateColumns());
    IBQuery_Arquivos.setUpdateObject(&IBUpdateSQL_Arquivos);
}

void AbrirTabelas(Query *jobQuery) {
    jobQuery->close();
    jobQuery->open();
    ScopedCursor wait(platform::CursorKind::Hourglass);
    int start = jobQuery->recNo();
    jobQuery->last();
    jobQuery->setRecNo(start);
}

bool JobBeingEdited(const JobQueries &queries) {
    for (const DataSet *ds : {static_cast<const DataSet *>(&queries.IBQuery_Backups),
                              static_cast<const DataSet *>(&queries.IBQuery_Arquivos)})
        if (ds->state() == DataSetState::Edit || ds->state() == DataSetState::Insert)
            return true;
    return false;
}

OpenViews::OpenViews(TDM *dm, JobQueries *queries)
    : m_database(dm->IBDatabase1), m_jobs(&queries->IBQuery_Backups) {
    for (DataSet *ds : {static_cast<DataSet *>(&queries->IBQuery_Backups),
                        static_cast<DataSet *>(&queries->IBQuery_Arquivos),
                        static_cast<DataSet *>(dm->Backups), static_cast<DataSet *>(dm->Arquivos)})
        if (ds->active())
            m_open.append(ds);
    if (m_jobs->active() && !m_jobs->isEmpty())
        m_jobId = m_jobs->fieldByName(QStringLiteral("ID"))->value();
}

void OpenViews::restore() {
    if (!m_database->connected())
        m_database->open();
    for (DataSet *ds : std::as_const(m_open))
        if (!ds->active())
            ds->open();
    if (!m_jobId.isNull() && m_jobs->active())
        m_jobs->locate(QStringLiteral("ID"), m_jobId);
}

} // namespace bkp::jobdb
