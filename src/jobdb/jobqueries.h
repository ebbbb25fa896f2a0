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

} // namespace bkp::jobdb
