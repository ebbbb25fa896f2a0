#pragma once

#include "db/query.h"

namespace bkp::jobdb {

class TDM;

// Column order of the job and file-set update statements.
QStringList backupsUpdateColumns();
QStringList arquivosUpdateColumns();

// The main window's job query and file-set query with their update statements,
// on the job database and the shared transaction.
class JobQueries {
public:
    explicit JobQueries(TDM *dm);

    db::Query IBQuery_Backups;
    db::UpdateSQL IBUpdateSQL__Backups;
    db::Query IBQuery_Arquivos;
    db::UpdateSQL IBUpdateSQL_Arquivos;
};

// Reopens the job query and fetches all its rows under the hourglass cursor,
// coming back to the row it started on.
void AbrirTabelas(db::Query *jobQuery);

// Whether a job or one of its file-set rows is being edited in the window.
bool JobBeingEdited(const JobQueries &queries);

// What the window shows of the job database (the job list, the file sets and the
// table definitions), as it stands now, so that it can be shown again after the
// connection was closed: by the console's refresh, or by a server that went away.
class OpenViews {
public:
    OpenViews(TDM *dm, JobQueries *queries);
    // Opens the connection again when it is closed, then every view that was open,
    // and comes back to the job the list was on. Database errors are raised.
    void restore();

private:
    db::Database *m_database;
    db::Query *m_jobs;
    QList<db::DataSet *> m_open;
    QVariant m_jobId; // null when the list had no row
};

} // namespace bkp::jobdb
