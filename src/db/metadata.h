#pragma once

#include "db/database.h"

#include <QList>
#include <QString>
#include <QStringList>

namespace bkp::db {

struct ColumnInfo {
    QString name;
    int fieldType = 0; // RDB$FIELD_TYPE: 7 smallint, 8 integer, 16 bigint, 10 float, 27 double,
                       // 12 date, 13 time, 35 timestamp, 14 char, 37 varchar, 261 blob, 23 boolean
    int subType = 0;
    int length = 0;     // bytes
    int charLength = 0; // characters (text columns)
    int scale = 0;
    int precision = 0;
    bool notNull = false;
    bool computed = false;

    bool isText() const { return fieldType == 14 || fieldType == 37; }
};

struct IndexInfo {
    QString name;
    QStringList columns;
    bool unique = false;
    bool descending = false;
};

struct ViewInfo {
    QString name;
    QString source; // the select it was created from
    QStringList columns;
};

struct ParameterInfo {
    QString name;
    bool output = false;
};

struct ProcedureInfo {
    QString name;
    QString source;
    QList<ParameterInfo> parameters; // inputs first, each side in its declared order
    QStringList inputs() const { return names(false); }
    QStringList outputs() const { return names(true); }
    QStringList names(bool output) const;
};

struct TriggerInfo {
    QString name;
    QString table; // empty for a database trigger
    int type = 0;  // RDB$TRIGGER_TYPE
    int sequence = 0;
    bool active = true;
    QString source;
    QString kindText() const; // "BEFORE INSERT", "AFTER INSERT OR UPDATE", "ON CONNECT", ...
};

// What a database holds, read from its catalogue in the default transaction. Names
// are given as the catalogue stores them; a plain name ("backups") is found as the
// engine stores it (upper case), a quoted one ("\"my table\"") as it stands.
class Metadata {
public:
    explicit Metadata(Database *database) : m_database(database) {}

    QStringList tables(bool systemTables = false);
    bool tableExists(const QString &table);
    QList<ColumnInfo> columns(const QString &table);
    QList<IndexInfo> indexes(const QString &table);
    QStringList primaryKey(const QString &table);
    QList<ViewInfo> views();
    QList<ProcedureInfo> procedures();
    QList<TriggerInfo> triggers(bool systemTriggers = false);
    QStringList generators(bool systemGenerators = false);

private:
    QList<QVector<QVariant>> rows(const QString &sql, const QVector<QVariant> &params = {});
    Database *m_database;
};

} // namespace bkp::db
