#include "jobdb/archiveoutcome.h"

#include "db/database.h"
#include "db/query.h"
#include "lib/sqltext.h"

namespace bkp::jobdb {

using db::DatabaseError;
using db::Field;
using db::Query;
using db::Transaction;

QStringList backupsOutcomeColumns() {
    return {QStringLiteral("BACKUP_LASTSTART"), QStringLiteral("BACKUP_LASTRUN"),
            QStringLiteral("BACKUP_LASTERR")};
}

ArchiveOutcome ReadArchiveOutcome(db::Database *database, int jobId, Transaction *transaction) {
    ArchiveOutcome outcome;
    Query q;
    q.setDatabase(database);
    if (transaction)
        q.setTransaction(transaction);
    q.setSqlText(QStringLiteral("select * from BACKUPS where ID=") + QString::number(jobId));
    q.open();
    const Field *start = q.isEmpty() ? nullptr : q.findField(QStringLiteral("BACKUP_LASTSTART"));
    const Field *run = q.isEmpty() ? nullptr : q.findField(QStringLiteral("BACKUP_LASTRUN"));
    const Field *error = q.isEmpty() ? nullptr : q.findField(QStringLiteral("BACKUP_LASTERR"));
    if (start && run && error) {
        outcome.known = true;
        outcome.lastStart = start->isNull() ? 0 : start->asDateTime();
        outcome.lastRun = run->isNull() ? 0 : run->asDateTime();
        outcome.lastError = error->asString();
    }
    q.close();
    return outcome;
}

QString ArchiveStartSql(int jobId, TDateTime start) {
    return QStringLiteral("Update Backups Set BACKUP_LastStart=") + SqlDateTime(start) +
           QStringLiteral(" Where ID=") + QString::number(jobId);
}

QString ArchiveEndSql(int jobId, bool good, TDateTime end, const QString &text) {
    QStringList set;
    if (good)
        set << QStringLiteral("BACKUP_LastRun=") + SqlDateTime(end);
    if (!text.isEmpty())
        set << QStringLiteral("BACKUP_LastErr=") + FittedTextLiteral(text, ArchiveErrorSize);
    if (set.isEmpty())
        return QString();
    return QStringLiteral("Update Backups Set ") + set.join(QStringLiteral(", ")) +
           QStringLiteral(" Where ID=") + QString::number(jobId);
}

void ExecOwnTransaction(db::Database *database, const QString &sql) {
    Transaction own(database);
    own.setParams({QStringLiteral("read_committed"), QStringLiteral("rec_version"),
                   QStringLiteral("nowait")});
    own.start();
    try {
        Query q;
        q.setDatabase(database);
        q.setTransaction(&own);
        q.setSqlText(sql);
        q.execSQL();
        q.close();
        own.commit();
    } catch (...) {
        try {
            own.rollback();
        } catch (const DatabaseError &) {
        }
        throw;
    }
}

} // namespace bkp::jobdb
