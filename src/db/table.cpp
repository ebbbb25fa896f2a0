#include "db/table.h"

#include "db/database.h"

namespace bkp::db {

Table::Table(QObject *parent) : Query(parent) {}

void Table::setTableName(const QString &name) {
    if (active())
        close();
    unprepare();
    m_tableName = name;
    m_key.clear();
    setUpdateObject(nullptr);
}

const FieldDef *Table::findFieldDef(const QString &name) const {
    for (const FieldDef &d : m_fieldDefs)
        if (d.name.compare(name, Qt::CaseInsensitive) == 0)
            return &d;
    return nullptr;
}

bool Table::exists() {
    if (!database())
        throw DatabaseError(QStringLiteral("%1: banco de dados não definido").arg(objectName()));
    return database()->tableExists(m_tableName);
}

QStringList Table::indexNames() {
    QStringList out;
    for (const IndexInfo &i : database()->indexes(m_tableName))
        out.append(i.name);
    return out;
}

QString Table::statementText() const {
    return QStringLiteral("select * from ") + m_tableName;
}

bool Table::canModify() const {
    return !readOnly() && !m_key.isEmpty();
}

void Table::internalOpen() {
    if (m_tableName.trimmed().isEmpty())
        throw DatabaseError(QStringLiteral("%1: nome da tabela não informado").arg(objectName()));
    Query::internalOpen();
    m_key = database()->primaryKey(m_tableName);
    buildUpdateStatements();
}

void Table::buildUpdateStatements() {
    m_generated = UpdateSQL();
    if (m_key.isEmpty()) {
        setUpdateObject(nullptr);
        return;
    }
    QStringList cols;
    for (int i = 0; i < fieldCount(); ++i)
        if (!field(i)->calculated() && !field(i)->origin().isEmpty())
            cols.append(field(i)->fieldName());
    QStringList where;
    for (const QString &k : m_key)
        where.append(k + QStringLiteral(" = :OLD_") + k);
    QStringList sets, marks;
    for (const QString &c : cols) {
        sets.append(c + QStringLiteral(" = :") + c);
        marks.append(QLatin1Char(':') + c);
    }
    const QString t = m_tableName;
    m_generated.modifySQL = {QStringLiteral("update ") + t,
                             QStringLiteral("set ") + sets.join(", "),
                             QStringLiteral("where ") + where.join(QStringLiteral(" and "))};
    m_generated.insertSQL = {QStringLiteral("insert into ") + t + QStringLiteral(" (") +
                                 cols.join(", ") + QLatin1Char(')'),
                             QStringLiteral("values (") + marks.join(", ") + QLatin1Char(')')};
    m_generated.deleteSQL = {QStringLiteral("delete from ") + t,
                             QStringLiteral("where ") + where.join(QStringLiteral(" and "))};
    setUpdateObject(&m_generated);
}

} // namespace bkp::db
