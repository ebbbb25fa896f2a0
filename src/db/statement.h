#pragma once

#include "db/errors.h"

#include <QList>
#include <QString>
#include <QVariant>
#include <QVector>
#include <memory>

namespace bkp::db {

class Database;
class Transaction;

// What the server says about one output column of a prepared statement.
struct ColumnDesc {
    QString name;     // the alias: what the data set calls the field
    QString field;    // column name in its table (empty for expressions)
    QString relation; // table name (empty for expressions)
    unsigned sqlType = 0;
    int subType = 0;
    unsigned length = 0; // bytes
    int scale = 0;
    unsigned charSet = 0;
    bool nullable = true;
};

// What a prepared statement is, as the engine describes it.
enum class StatementKind {
    Unknown,
    Select,
    SelectForUpdate,
    Insert,
    Update,
    Delete,
    DDL,
    ExecProcedure,
    SetGenerator,
    Transaction, // set transaction, commit, rollback, savepoint
    Blob,        // get / put segment
};

// Replaces ":NAME" parameters by "?" and lists the names in order. Quoted
// strings, quoted identifiers and comments are left alone.
struct ParsedSql {
    QString sql;
    QStringList names;
};
ParsedSql parseParams(const QString &sql);

// One prepared statement on the client library. Values travel as QVariant:
// null, QString, integers, double, Decimal (NUMERIC and DECIMAL columns), QDate,
// QTime, QDateTime, bool, QByteArray.
class Statement {
public:
    Statement(Database *database, Transaction *transaction);
    ~Statement();
    Statement(const Statement &) = delete;
    Statement &operator=(const Statement &) = delete;

    void prepare(const QString &sql); // with "?" parameters
    bool prepared() const;
    void unprepare();
    QString sql() const { return m_sql; }

    int paramCount() const;
    const QList<ColumnDesc> &columns() const { return m_columns; }
    bool returnsRows() const; // a select (or a procedure with a result set)
    StatementKind kind() const;

    // Runs a statement without a cursor; returns the rows it changed (or -1).
    qint64 execute(const QVector<QVariant> &params);
    // Output row of an "execute procedure" or "returning" statement.
    const QVector<QVariant> &singletonRow() const { return m_singleton; }

    void open(const QVector<QVariant> &params);
    bool fetch(QVector<QVariant> &row);
    void closeCursor();

    qint64 affectedRows() const;

private:
    friend class Database;
    friend class Transaction;
    struct Impl;
    std::unique_ptr<Impl> d;
    Database *m_database;
    Transaction *m_transaction;
    QString m_sql;
    QList<ColumnDesc> m_columns;
    QVector<QVariant> m_singleton;
};

// Runs a select with "?" parameters once and returns all its rows.
QList<QVector<QVariant>> selectRows(Database *database, Transaction *transaction,
                                    const QString &sql, const QVector<QVariant> &params = {});

} // namespace bkp::db
