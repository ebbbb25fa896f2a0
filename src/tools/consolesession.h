#pragma once

#include "db/editstatements.h"
#include "db/query.h"
#include "tools/consolerules.h"

#include <QString>

namespace bkp {
class StatusBarPort;
}

namespace bkp::tools {

// One opening of the SQL console without its window: the connection it was handed,
// the statement query with its update statements, the history, the key map and the
// pending-changes flag, and the commands that work on them.
class ConsoleSession {
public:
    ConsoleSession(db::Database *database, bool readOnly, StatusBarPort *statusBar = nullptr);

    db::Database *database() const { return m_database; }
    bool readOnly() const { return m_readOnly; }
    db::Query &query() { return IBQuery1; }
    db::UpdateSQL &updateSQL() { return IBUpdateSQL; }
    StatementHistory &history() { return m_history; }
    TValueFrom &keys() { return m_keys; }
    QString lastStatement() const { return m_lastStatement; }
    bool pending() const { return m_pending; }
    void setPending() { m_pending = true; }
    // The shared transaction was committed whole ("Commit && Refresh"): nothing is
    // pending any more.
    void committed() { m_pending = false; }

    struct RunResult {
        bool ran = false;         // the statement reached the engine and succeeded
        bool reconnected = false; // a structure change reloaded the connection
        QString keyword;
        StatementClass kind = StatementClass::Command;
    };
    // "SQL": runs the editor's text by the keyword rule, with the read-only refusal,
    // timing, rows affected and history. Database errors reach the caller after the
    // status line and the cursor are restored.
    RunResult run(const QString &editorText);
    // The table queries: the text opened as a result, without entering the history.
    void openQuery(const QString &text);
    // The status line after a run: elapsed + " ¦ Rows Affected: " + rows.
    QString rowsAffectedText() const;

    // Before IBQuery1 opens: editable only while the map holds a key for its table.
    void prepareEditing();
    QString tableOfQuery() const;

    void commit();   // "Commit": commit-retaining, pending cleared
    void rollback(); // "Roolback"
    // "Refresh" and "Sistema": the pending work committed, then the connection closed
    // and opened again. A commit the server refuses reaches the caller with its
    // message, the connection still open and the pending work (and flag) kept.
    void reconnect();

private:
    // The reconnect of a structure change: its work is rolled back to the savepoint
    // taken before it when the commit fails (Firebird builds an index or drops a
    // table only at the commit), so the earlier pending work stays.
    void commitAndReconnect(bool toSavepoint);

    db::Database *m_database;
    bool m_readOnly;
    StatusBarPort *m_statusBar;
    db::Query IBQuery1;
    db::UpdateSQL IBUpdateSQL;
    StatementHistory m_history;
    TValueFrom m_keys;
    QString m_lastStatement;
    QString m_elapsed;
    qint64 m_rowsAffected = 0; // of the last run; 0 after an error
    bool m_pending = false;
};

} // namespace bkp::tools
