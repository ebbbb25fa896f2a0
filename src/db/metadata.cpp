#include "db/metadata.h"

#include "db/identifiers.h"
#include "db/statement.h"

namespace bkp::db {

namespace {
Transaction *readTransaction(Database *db) {
    if (!db->defaultTransaction())
        throw DatabaseError(QStringLiteral("O banco de dados não tem transação padrão"));
    return db->defaultTransaction();
}
QString trimmed(const QVariant &v) {
    return v.toString().trimmed();
}
} // namespace

QStringList Metadata::tables(bool systemTables) {
    QString sql = QStringLiteral("select rdb$relation_name from rdb$relations where "
                                 "rdb$view_blr is null%1 order by rdb$relation_name")
                      .arg(systemTables ? QString() : QStringLiteral(" and rdb$system_flag = 0"));
    QStringList names;
    for (const auto &row : rows(sql))
        names.append(trimmed(row[0]));
    return names;
}

bool Metadata::tableExists(const QString &table) {
    auto found = rows(QStringLiteral("select 1 from rdb$relations where rdb$relation_name = ?"),
                      {CatalogueName(table)});
    return !found.isEmpty();
}

QList<ColumnInfo> Metadata::columns(const QString &table) {
    auto found = rows(
        QStringLiteral(
            "select rf.rdb$field_name, f.rdb$field_type, f.rdb$field_sub_type, "
            "f.rdb$field_length, f.rdb$character_length, f.rdb$field_scale, "
            "f.rdb$field_precision, coalesce(rf.rdb$null_flag, f.rdb$null_flag, 0), "
            "case when f.rdb$computed_blr is null then 0 else 1 end "
            "from rdb$relation_fields rf join rdb$fields f on f.rdb$field_name = "
            "rf.rdb$field_source where rf.rdb$relation_name = ? order by rf.rdb$field_position"),
        {CatalogueName(table)});
    QList<ColumnInfo> out;
    for (const auto &r : found) {
        ColumnInfo c;
        c.name = trimmed(r[0]);
        c.fieldType = r[1].toInt();
        c.subType = r[2].toInt();
        c.length = r[3].toInt();
        c.charLength = r[4].isNull() ? c.length : r[4].toInt();
        c.scale = r[5].toInt();
        c.precision = r[6].toInt();
        c.notNull = r[7].toInt() != 0;
        c.computed = r[8].toInt() != 0;
        out.append(c);
    }
    return out;
}

QList<IndexInfo> Metadata::indexes(const QString &table) {
    auto found = rows(QStringLiteral("select i.rdb$index_name, i.rdb$unique_flag, "
                                     "i.rdb$index_type, s.rdb$field_name from rdb$indices i "
                                     "left join rdb$index_segments s on s.rdb$index_name = "
                                     "i.rdb$index_name where i.rdb$relation_name = ? "
                                     "order by i.rdb$index_name, s.rdb$field_position"),
                      {CatalogueName(table)});
    QList<IndexInfo> out;
    for (const auto &r : found) {
        QString name = trimmed(r[0]);
        if (out.isEmpty() || out.last().name != name) {
            IndexInfo i;
            i.name = name;
            i.unique = r[1].toInt() == 1;
            i.descending = r[2].toInt() == 1;
            out.append(i);
        }
        if (!r[3].isNull())
            out.last().columns.append(trimmed(r[3]));
    }
    return out;
}

QStringList Metadata::primaryKey(const QString &table) {
    auto found =
        rows(QStringLiteral("select s.rdb$field_name from rdb$relation_constraints c join "
                            "rdb$index_segments s on s.rdb$index_name = c.rdb$index_name where "
                            "c.rdb$relation_name = ? and c.rdb$constraint_type = 'PRIMARY KEY' "
                            "order by s.rdb$field_position"),
             {CatalogueName(table)});
    QStringList out;
    for (const auto &r : found)
        out.append(trimmed(r[0]));
    return out;
}

QList<QVector<QVariant>> Metadata::rows(const QString &sql, const QVector<QVariant> &params) {
    return selectRows(m_database, readTransaction(m_database), sql, params);
}

QList<ViewInfo> Metadata::views() {
    QList<ViewInfo> out;
    for (const auto &r :
         rows(QStringLiteral("select rdb$relation_name, rdb$view_source from rdb$relations "
                             "where rdb$view_blr is not null order by rdb$relation_name"))) {
        ViewInfo v;
        v.name = trimmed(r[0]);
        v.source = r[1].toString().trimmed();
        for (const ColumnInfo &c : columns(QuoteIdentifier(v.name)))
            v.columns.append(c.name);
        out.append(v);
    }
    return out;
}

QStringList ProcedureInfo::names(bool output) const {
    QStringList out;
    for (const ParameterInfo &p : parameters)
        if (p.output == output)
            out.append(p.name);
    return out;
}

QList<ProcedureInfo> Metadata::procedures() {
    QList<ProcedureInfo> out;
    for (const auto &r :
         rows(QStringLiteral("select rdb$procedure_name, rdb$procedure_source from rdb$procedures "
                             "where rdb$package_name is null order by rdb$procedure_name"))) {
        ProcedureInfo p;
        p.name = trimmed(r[0]);
        p.source = r[1].toString().trimmed();
        for (const auto &q : rows(QStringLiteral("select rdb$parameter_name, rdb$parameter_type "
                                                 "from rdb$procedure_parameters where "
                                                 "rdb$procedure_name = ? and rdb$package_name "
                                                 "is null order by rdb$parameter_type, "
                                                 "rdb$parameter_number"),
                                  {p.name}))
            p.parameters.append({trimmed(q[0]), q[1].toInt() == 1});
        out.append(p);
    }
    return out;
}

QString TriggerInfo::kindText() const {
    static const char *const databaseEvents[] = {"CONNECT", "DISCONNECT", "TRANSACTION START",
                                                 "TRANSACTION COMMIT", "TRANSACTION ROLLBACK"};
    if ((type & 0x6000) == 0x2000) { // database triggers
        const int e = type & 0x1FFF;
        return e < 5 ? QStringLiteral("ON ") + QLatin1String(databaseEvents[e]) : QString();
    }
    if (type & 0x4000)
        return QStringLiteral("DDL");
    // Insert, update or delete in up to three slots of two bits above the before/after bit.
    const int code = type + 1;
    QStringList actions;
    for (int slot = 0; slot < 3; ++slot) {
        switch ((code >> (1 + 2 * slot)) & 3) {
        case 1:
            actions.append(QStringLiteral("INSERT"));
            break;
        case 2:
            actions.append(QStringLiteral("UPDATE"));
            break;
        case 3:
            actions.append(QStringLiteral("DELETE"));
            break;
        default:
            break;
        }
    }
    return ((code & 1) ? QStringLiteral("AFTER ") : QStringLiteral("BEFORE ")) +
           actions.join(QStringLiteral(" OR "));
}

QList<TriggerInfo> Metadata::triggers(bool systemTriggers) {
    QList<TriggerInfo> out;
    for (const auto &r :
         rows(QStringLiteral("select rdb$trigger_name, rdb$relation_name, rdb$trigger_type, "
                             "rdb$trigger_sequence, coalesce(rdb$trigger_inactive, 0), "
                             "rdb$trigger_source from rdb$triggers%1 "
                             "order by rdb$trigger_name")
                  .arg(systemTriggers ? QString()
                                      : QStringLiteral(" where coalesce(rdb$system_flag, "
                                                       "0) = 0")))) {
        TriggerInfo t;
        t.name = trimmed(r[0]);
        t.table = trimmed(r[1]);
        t.type = r[2].toInt();
        t.sequence = r[3].toInt();
        t.active = r[4].toInt() == 0;
        t.source = r[5].toString().trimmed();
        out.append(t);
    }
    return out;
}

QStringList Metadata::generators(bool systemGenerators) {
    QStringList out;
    for (const auto &r :
         rows(QStringLiteral("select rdb$generator_name from rdb$generators%1 "
                             "order by rdb$generator_name")
                  .arg(systemGenerators
                           ? QString()
                           : QStringLiteral(" where coalesce(rdb$system_flag, 0) = 0"))))
        out.append(trimmed(r[0]));
    return out;
}

} // namespace bkp::db
