#include "db/query.h"

#include "db/database.h"
#include "db/statement.h"

#include <firebird/Interface.h>

namespace bkp::db {

FieldType fieldTypeOf(const ColumnDesc &c) {
    switch (c.sqlType) {
    case SQL_VARYING:
        return c.charSet == 1 ? FieldType::VarBytes : FieldType::String;
    case SQL_TEXT:
        return c.charSet == 1 ? FieldType::Bytes : FieldType::String;
    case SQL_SHORT:
        return c.scale < 0 ? FieldType::BCD : FieldType::Smallint;
    case SQL_LONG:
        return c.scale < 0 ? FieldType::BCD : FieldType::Integer;
    case SQL_INT64:
        return c.scale < 0 ? FieldType::BCD : FieldType::Largeint;
    case SQL_FLOAT:
    case SQL_DOUBLE:
    case SQL_D_FLOAT:
        return FieldType::Float;
    case SQL_TYPE_DATE:
        return FieldType::Date;
    case SQL_TYPE_TIME:
        return FieldType::Time;
    case SQL_TIMESTAMP:
        return FieldType::DateTime;
    case SQL_BLOB:
        return c.subType == 1 ? FieldType::Memo : FieldType::Blob;
    case SQL_BOOLEAN:
        return FieldType::Boolean;
    case SQL_ARRAY:
        return FieldType::Array;
    default:
        return FieldType::Unknown;
    }
}

// ------------------------------------------------------------------ UpdateSQL

void UpdateSQL::apply(Kind kind, DataSet &ds, const QVector<QVariant> &values,
                      const QVector<QVariant> &oldValues) const {
    const QStringList &lines = kind == Modify ? modifySQL : kind == Insert ? insertSQL : deleteSQL;
    if (lines.isEmpty())
        throw DatabaseError(QStringLiteral("%1: sem comando de %2 para gravar o registro")
                                .arg(ds.objectName(), kind == Modify ? QStringLiteral("alteração")
                                                      : kind == Insert
                                                          ? QStringLiteral("inclusão")
                                                          : QStringLiteral("exclusão")));
    ParsedSql parsed = parseParams(lines.join(QLatin1Char('\n')));
    QVector<QVariant> params;
    for (const QString &name : parsed.names) {
        Field *f = nullptr;
        const QVector<QVariant> *source = &values;
        if (name.startsWith(QLatin1String("OLD_"), Qt::CaseInsensitive)) {
            f = ds.findField(name.mid(4));
            source = &oldValues;
        }
        if (!f) {
            f = ds.findField(name);
            source = &values;
        }
        params.append(f ? source->value(f->index()) : QVariant());
    }
    Statement st(ds.database(), ds.transaction());
    st.prepare(parsed.sql);
    st.execute(params);
}

// ---------------------------------------------------------------------- Query

Query::Query(QObject *parent) : DataSet(parent) {}

Query::~Query() {
    // The statement must go before the connection it belongs to.
    m_statement.reset();
}

void Query::setSql(const QStringList &lines) {
    if (active())
        close();
    unprepare();
    m_sql = lines;
    // Parameters of the new text; values of parameters that keep their name survive.
    QList<Param> kept;
    m_paramOrder = m_paramCheck ? parseParams(sqlText()).names : QStringList();
    for (const QString &name : m_paramOrder) {
        bool seen = false;
        for (const Param &p : kept)
            seen = seen || p.name.compare(name, Qt::CaseInsensitive) == 0;
        if (seen)
            continue;
        Param np{name, QVariant()};
        if (Param *old = findParam(name))
            np.value = old->value;
        kept.append(np);
    }
    m_params = kept;
}

void Query::setSqlText(const QString &text) {
    setSql(text.split(QLatin1Char('\n')));
}

Param *Query::findParam(const QString &name) {
    for (Param &p : m_params)
        if (p.name.compare(name, Qt::CaseInsensitive) == 0)
            return &p;
    return nullptr;
}

Param &Query::paramByName(const QString &name) {
    if (Param *p = findParam(name))
        return *p;
    throw DatabaseError(
        QStringLiteral("%1: parâmetro '%2' não encontrado").arg(objectName(), name));
}

bool Query::canModify() const {
    return DataSet::canModify() && m_update && !m_update->empty();
}

QVector<QVariant> Query::paramValues() const {
    QVector<QVariant> out;
    for (const QString &name : m_paramOrder) {
        QVariant v;
        for (const Param &p : m_params)
            if (p.name.compare(name, Qt::CaseInsensitive) == 0)
                v = p.value;
        out.append(v);
    }
    return out;
}

bool Query::prepared() const {
    return m_statement && m_statement->prepared();
}

void Query::prepare() {
    if (prepared())
        return;
    if (!database())
        throw DatabaseError(QStringLiteral("%1: banco de dados não definido").arg(objectName()));
    if (!transaction())
        throw DatabaseError(QStringLiteral("%1: transação não definida").arg(objectName()));
    QString text = statementText();
    if (text.trimmed().isEmpty())
        throw DatabaseError(QStringLiteral("%1: consulta vazia").arg(objectName()));
    const ParsedSql parsed = m_paramCheck ? parseParams(text) : ParsedSql{text, {}};
    m_paramOrder = parsed.names;
    auto st = std::make_unique<Statement>(database(), transaction());
    st->prepare(parsed.sql);
    m_statement = std::move(st);
    describeFields(m_statement->columns());
}

void Query::unprepare() {
    m_statement.reset();
}

void Query::describeFields(const QList<ColumnDesc> &columns) {
    bool same = fieldCount() == columns.size();
    for (int i = 0; same && i < columns.size(); ++i)
        same = field(i)->fieldName() == columns[i].name &&
               field(i)->dataType() == fieldTypeOf(columns[i]);
    if (same)
        return;
    clearFields();
    QStringList seen;
    for (const ColumnDesc &c : columns) {
        FieldType type = fieldTypeOf(c);
        int size =
            (type == FieldType::String || type == FieldType::Bytes || type == FieldType::VarBytes)
                ? int(c.length)
                : 0;
        Field *f = addField(c.name, type, size);
        if (type == FieldType::BCD) {
            f->setScale(-c.scale);
            f->setPrecision(c.sqlType == SQL_SHORT ? 4 : c.sqlType == SQL_LONG ? 9 : 18);
        }
        if (!c.relation.isEmpty() && !c.field.isEmpty())
            f->setOrigin(c.relation + QLatin1Char('.') + c.field);
        f->setRequired(!c.nullable && !c.relation.isEmpty());
    }
}

void Query::internalOpen() {
    prepare();
    if (!m_statement->returnsRows())
        throw DatabaseError(QStringLiteral("%1: o comando não retorna linhas").arg(objectName()));
    m_statement->open(paramValues());
    m_rowsAffected = 0;
}

bool Query::internalFetch(int count) {
    if (!m_statement)
        return false;
    QVector<QVariant> row;
    for (int i = 0; i < count; ++i) {
        if (!m_statement->fetch(row)) {
            m_statement->closeCursor();
            m_rowsAffected = recordCount();
            return false;
        }
        appendRow(std::move(row));
        row = QVector<QVariant>();
    }
    m_rowsAffected = recordCount();
    return true;
}

StatementKind Query::statementKind() {
    prepare();
    return m_statement->kind();
}

void Query::internalClose() {
    if (m_statement)
        m_statement->closeCursor();
}

void Query::execSQL() {
    prepare();
    m_rowsAffected = m_statement->execute(paramValues());
}

void Query::internalPost(bool inserting) {
    if (!m_update)
        throw DatabaseError(
            QStringLiteral("Não é possível alterar um conjunto de dados somente leitura"));
    m_update->apply(inserting ? UpdateSQL::Insert : UpdateSQL::Modify, *this, bufferValues(),
                    oldValues());
}

void Query::internalDelete() {
    if (!m_update)
        throw DatabaseError(
            QStringLiteral("Não é possível alterar um conjunto de dados somente leitura"));
    m_update->apply(UpdateSQL::Delete, *this, bufferValues(), oldValues());
}

} // namespace bkp::db
