#pragma once

#include <QList>
#include <QObject>
#include <QString>
#include <QStringList>
#include <QVariant>

namespace bkp::db {
class Database;
class Table;
} // namespace bkp::db

namespace bkp::widgets {

// One column and the value it is to get.
struct TParametros {
    QString fieldName;
    QVariant value; // text, number, date or null
};

// Collects column/value pairs for one table and writes them with one
// parameterised UPDATE whose condition the caller gives. It runs in the
// connection's default transaction and commits nothing.
class TFBSQL : public QObject {
    Q_OBJECT
public:
    explicit TFBSQL(QObject *owner = nullptr) : QObject(owner) {}

    db::Database *Database = nullptr; // not owned
    QString TableName;
    db::Table *Table = nullptr; // not owned; its table name wins over TableName

    // Appends the pair when `include` is true.
    void Add(const QString &fieldName, const QVariant &value, bool include = true);
    const QList<TParametros> &params() const { return m_params; }

    // The statement for the pairs: "Update T", "Set", one "F=:F" line per pair
    // (with "," on all but the last), "Where " + condition.
    QStringList statementLines(const QString &condition) const;

    // Runs the update and returns the rows it changed. Without a table or a
    // condition it raises an error and runs nothing. A database error is shown
    // ("Falha ao inserir o registro:" and the error, then the statement in the
    // text viewer) and gives 0.
    int Update(const QString &condition);

private:
    QList<TParametros> m_params;
};

} // namespace bkp::widgets
