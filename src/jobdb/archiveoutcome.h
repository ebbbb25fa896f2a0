#pragma once

#include "lib/datetime.h"

#include <QString>
#include <QStringList>

namespace bkp::db {
class Database;
class Transaction;
} // namespace bkp::db

namespace bkp::jobdb {

// The columns in which a job keeps the outcome of its archive runs: when the last
// run started the archiver (or tried to), when the last run ended well, and the last
// failure or warning, dated. Only the archive run writes them, each time in a
// transaction of its own.
QStringList backupsOutcomeColumns();

// The size of BACKUP_LASTERR.
constexpr int ArchiveErrorSize = 80;

// The outcome as another program on the database reads it.
struct ArchiveOutcome {
    bool known = false;      // the row was found and has the columns
    TDateTime lastStart = 0; // 0: null
    TDateTime lastRun = 0;   // 0: null
    QString lastError;

    // The last run has not ended well (yet): it started after the last good end.
    bool unfinished() const { return lastStart > 0 && lastStart > lastRun; }
};

// Reads the job's outcome columns in `transaction` (the database's default one
// when null). An unknown outcome when the row or the columns are missing.
ArchiveOutcome ReadArchiveOutcome(db::Database *database, int jobId,
                                  db::Transaction *transaction = nullptr);

// The statements that record a run: its start, its good end, a failure or warning
// (`text` as it is to be stored, dated), and both for a run that ended with warnings.
QString ArchiveStartSql(int jobId, TDateTime start);
QString ArchiveEndSql(int jobId, bool good, TDateTime end, const QString &text);

// Runs one statement in a read-committed, no-wait transaction of its own on the
// connection and commits it, leaving the shared transaction and whatever it holds
// alone. Errors (a row locked by another program) are raised.
void ExecOwnTransaction(db::Database *database, const QString &sql);

} // namespace bkp::jobdb
