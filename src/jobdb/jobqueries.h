#pragma once

#include "db/query.h"

namespace bkp::db {

class TDM;

// Column order of the job and file-set update statements.
QStringList backupsUpdateColumns();
QStringList arquivosUpdateColumns();

// The main window's job query and file-set query with their update statements,
// on the job database and the shared transaction.
class JobQueries {
public:
    explicit JobQueries(TDM *dm);

    Query IBQuery_Backups;
    UpdateSQL IBUpdateSQL__Backups;
    Query IBQuery_Arquivos;
    UpdateSQL IBUpdateSQL_Arquivos;
};

// Reopens the job query and fetches all its rows under the hourglass cursor,
// coming back to the row it started on.
void AbrirTabelas(Query *jobQuery);

} // namespace bkp::db
