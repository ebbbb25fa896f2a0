#include "db/table.h"

#include "db/database.h"
#include "db/editstatements.h"
#include "db/identifiers.h"
#include "db/metadata.h"

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
    return Metadata(database()).tableExists(m_tableName);
}

QStringList Table::indexNames() {
    QStringList out;
    for (const IndexInfo &i : Metadata(database()).indexes(m_tableName))
        out.append(i.name);
    return out;
}

QString Table::statementText() const {
    return QStringLiteral("select * from ") + QuoteIdentifier(m_tableName);
}

bool Table::canModify() const {
    return !readOnly() && !m_key.isEmpty();
}

void Table::internalOpen() {
    if (m_tableName.trimmed().isEmpty())
        throw DatabaseError(QStringLiteral("%1: nome da tabela não informado").arg(objectName()));
    Query::internalOpen();
    m_key = Metadata(database()).primaryKey(m_tableName);
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
    m_generated =
        GenerateEditStatements(QuoteIdentifier(m_tableName), m_key, cols, JobTableStyle());
    setUpdateObject(&m_generated);
}

} // namespace bkp::db
