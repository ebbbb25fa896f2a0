#pragma once

#include "db/query.h"

namespace bkp::db {

// A whole table: browsed as "select * from" it, edited through statements built
// on its primary key. It also carries the column and index definitions from
// which the program creates and checks its own tables.
class Table : public Query {
    Q_OBJECT
public:
    explicit Table(QObject *parent = nullptr);

    // The name as the catalogue stores it ("BACKUPS", or "my table" with its blank
    // and case); statements quote it where SQL needs that.
    QString tableName() const { return m_tableName; }
    void setTableName(const QString &name);

    QList<FieldDef> &fieldDefs() { return m_fieldDefs; }
    const QList<FieldDef> &fieldDefs() const { return m_fieldDefs; }
    QList<IndexDef> &indexDefs() { return m_indexDefs; }
    const QList<IndexDef> &indexDefs() const { return m_indexDefs; }
    const FieldDef *findFieldDef(const QString &name) const;

    bool exists();
    QStringList indexNames(); // of the table in the database
    bool canModify() const override;

protected:
    void internalOpen() override;
    QString statementText() const override;

private:
    void buildUpdateStatements();

    QString m_tableName;
    QList<FieldDef> m_fieldDefs;
    QList<IndexDef> m_indexDefs;
    QStringList m_key;
    UpdateSQL m_generated;
};

} // namespace bkp::db
