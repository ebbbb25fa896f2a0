#pragma once

#include "db/database.h"
#include "db/query.h"
#include "jobdb/datamodule.h"

#include <QString>
#include <memory>

namespace bkp::test {

// True when a Firebird server answers on localhost:3050 (ctest starts one).
bool serverAnswers();

// A connection to a new, empty database file created embedded at `path`, with a
// default transaction of the program's kind (read committed, no waiting).
struct TestDatabase {
    std::unique_ptr<db::Database> database;
    std::unique_ptr<db::Transaction> transaction;
    explicit TestDatabase(const QString &path, bool create = true);
    ~TestDatabase();
    db::Database *operator->() const { return database.get(); }
    db::Database *get() const { return database.get(); }
};

// What isql-fb prints for `commands` (each ended by ";") on the database served at
// 127.0.0.1:`path`, read by a connection of its own.
QString isql(const QString &path, const QString &commands);

// Creates a table, fills it and opens `query` on it ordered by ID, editable through
// statements over `columns` keyed on ID, as the program's own job queries are.
void openKeyedTable(db::Database *database, const QString &createTable, const QStringList &inserts,
                    const QString &table, const QStringList &columns, db::Query &query,
                    db::UpdateSQL &update);

} // namespace bkp::test
