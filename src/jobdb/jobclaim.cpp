#include "jobdb/jobclaim.h"

#include "db/dataroutines.h"

#include "db/fbclient.h"

namespace bkp::jobdb {

using namespace db;

namespace {
// The row is locked or changed by a transaction still running elsewhere.
bool isLockConflict(const DatabaseError &e) {
    for (long code : e.codes())
        if (code == isc_lock_conflict || code == isc_deadlock || code == isc_update_conflict)
            return true;
    return false;
}
} // namespace

JobClaim::JobClaim(Database *database) : m_database(database), m_transaction(database) {
    m_transaction.setParams({QStringLiteral("read_committed"), QStringLiteral("rec_version"),
                             QStringLiteral("nowait")});
    m_row.setDatabase(database);
    m_row.setTransaction(&m_transaction);
    m_row.setSqlText(QStringLiteral("select * from BACKUPS where ID=:ID with lock"));
}

JobClaim::~JobClaim() {
    m_row.close();
    try {
        m_transaction.rollback();
    } catch (const DatabaseError &) {
    }
}

bool JobClaim::take(int jobId) {
    m_row.close();
    m_transaction.rollback();
    try {
        m_transaction.start();
        m_row.paramByName(QStringLiteral("ID")).setValue(jobId);
        m_row.open();
    } catch (const DatabaseError &e) {
        m_row.close();
        m_transaction.rollback();
        if (isLockConflict(e))
            return false;
        throw;
    }
    if (m_row.isEmpty()) {
        m_row.close();
        m_transaction.rollback();
        return false;
    }
    return true;
}

bool JobClaim::takeAfterCommit(int jobId) {
    if (Transaction *shared = m_database->defaultTransaction(); shared && shared->inTransaction())
        shared->commitRetaining();
    return take(jobId);
}

QString JobClaim::ClaimedElsewhereText(const QString &jobName) {
    return QStringLiteral("O backup \"%1\" está em execução ou em envio por outro programa "
                          "que usa este banco de dados. Tente de novo quando ele terminar.")
        .arg(jobName);
}

void JobClaim::store(const QString &sql) {
    execute(sql);
    m_transaction.commit();
}

void JobClaim::execute(const QString &sql) {
    Query q;
    q.setDatabase(m_database);
    q.setTransaction(&m_transaction);
    q.setSqlText(sql);
    q.execSQL();
    q.close();
}

void JobClaim::store(Database *database, JobClaim *claim, const QString &sql) {
    if (claim && claim->held())
        claim->store(sql);
    else
        ExecSQL(database, sql);
}

} // namespace bkp::jobdb
