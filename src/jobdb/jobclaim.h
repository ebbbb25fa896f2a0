#pragma once

#include "db/database.h"
#include "db/query.h"

#include <QString>

namespace bkp::jobdb {

// A job being archived or uploaded, held in the database for the length of the run
// so that another program on the same database does not start it too: its BACKUPS
// row locked, without waiting, in a read-committed transaction of its own on the
// same connection. The run's own changes to that row go through the claim (a change
// made in the shared transaction would wait on it); storing them ends the claim.
class JobClaim {
public:
    explicit JobClaim(db::Database *database);
    ~JobClaim(); // a claim still held is given up, with nothing stored
    JobClaim(const JobClaim &) = delete;
    JobClaim &operator=(const JobClaim &) = delete;

    // Locks the job's row and reads it again. False when another transaction holds it
    // (another program running the job) or the row is gone; other errors are raised.
    bool take(int jobId);
    // take, after committing what the connection's shared transaction holds: its own
    // changes to the row would stop the claim.
    bool takeAfterCommit(int jobId);
    bool held() const { return m_transaction.inTransaction(); }
    // The job's row as it stands under the claim.
    const db::DataSet &row() const { return m_row; }

    // Runs a change to the claimed row and commits it, which ends the claim.
    void store(const QString &sql);
    // Runs a change to the claimed row, left to the store that ends the claim.
    void execute(const QString &sql);
    // The change through `claim` when there is one, else in the database's shared
    // transaction (left to its next commit).
    static void store(db::Database *database, JobClaim *claim, const QString &sql);

    // The refusal of a run asked for by hand while another program holds the job.
    static QString ClaimedElsewhereText(const QString &jobName);

private:
    db::Database *m_database;
    db::Transaction m_transaction;
    db::Query m_row; // after the transaction, so it closes first
};

} // namespace bkp::jobdb
