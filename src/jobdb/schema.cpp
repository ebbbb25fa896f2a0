#include "jobdb/schema.h"

#include "db/database.h"
#include "db/dataroutines.h"
#include "db/metadata.h"
#include "db/query.h"
#include "db/statement.h"
#include "db/table.h"
#include "jobdb/datamodule.h"
#include "lib/paths.h"
#include "lib/scopeguard.h"
#include "lib/strings.h"
#include "lib/ui.h"
#include "platform/application.h"
#include "platform/clock.h"
#include "platform/filesystem.h"
#include "platform/hostinfo.h"
#include "platform/inifile.h"

#include <QRegularExpression>

namespace bkp::jobdb {

using namespace db;

namespace fs = platform::fs;
using platform::CursorKind;

void MemoryLog::addLog(const QString &line, int pauseMs) {
    m_lines.append(line);
    if (pauseMs > 0)
        platform::sleeper().sleep(pauseMs);
}

QString FieldTypeToStr(const FieldDef &def) {
    switch (def.type) {
    case FieldType::String:
        return QStringLiteral("VarChar(%1)").arg(def.size);
    case FieldType::Smallint:
        return QStringLiteral("Smallint");
    case FieldType::Integer:
        return QStringLiteral("Integer");
    case FieldType::Word:
        return QStringLiteral("Word");
    case FieldType::Boolean:
        return QStringLiteral("Smallint");
    case FieldType::Float:
        return QStringLiteral("Float");
    case FieldType::Currency:
        return QStringLiteral("Double Precision");
    case FieldType::BCD:
        return QStringLiteral("Numeric(%1,%2)")
            .arg(def.precision ? def.precision : 18)
            .arg(def.scale);
    case FieldType::Date:
        return QStringLiteral("Date");
    case FieldType::Time:
        return QStringLiteral("Time");
    case FieldType::DateTime:
        return QStringLiteral("TimeStamp");
    case FieldType::Bytes:
        return QStringLiteral("Bytes");
    case FieldType::VarBytes:
        return QStringLiteral("VarBytes");
    case FieldType::AutoInc:
        return QStringLiteral("AutoInc");
    case FieldType::Blob:
        return QStringLiteral("Blob Sub_Type 0");
    case FieldType::Memo:
        return QStringLiteral("Blob Sub_Type 1");
    case FieldType::Graphic:
        return QStringLiteral("Graphic");
    case FieldType::FmtMemo:
        return QStringLiteral("FmtMemo");
    case FieldType::ParadoxOle:
        return QStringLiteral("ParadoxOle");
    case FieldType::DBaseOle:
        return QStringLiteral("DBaseOle");
    case FieldType::TypedBinary:
        return QStringLiteral("TypedBinary");
    case FieldType::Cursor:
        return QStringLiteral("Cursor");
    case FieldType::FixedChar:
        return QStringLiteral("FixedChar");
    case FieldType::WideString:
        return QStringLiteral("WideString");
    case FieldType::Largeint:
        return QStringLiteral("Numeric(18,0)");
    case FieldType::ADT:
        return QStringLiteral("ADT");
    case FieldType::Array:
        return QStringLiteral("Array");
    case FieldType::Reference:
        return QStringLiteral("Reference");
    case FieldType::DataSet:
        return QStringLiteral("DataSet");
    default:
        return QStringLiteral("Unknown");
    }
}

namespace {

void run(Database *db, const QStringList &lines) {
    Query q;
    q.setDatabase(db);
    q.setSql(lines);
    q.execSQL();
}

// "Alter Table T" / change, then commit-retaining unless told otherwise.
void alterTable(Table *t, const QString &change, bool commit = true) {
    run(t->database(), {QStringLiteral("Alter Table ") + t->tableName(), change});
    if (commit)
        t->transaction()->commitRetaining();
}

void log(StartupLog *l, const QString &line) {
    if (l)
        l->addLog(line);
}

} // namespace

void CreateTableFromFields(Table *table) {
    QStringList defs;
    for (const FieldDef &d : table->fieldDefs()) {
        if (d.calculated)
            continue;
        QString def = d.name + QLatin1Char(' ') + FieldTypeToStr(d);
        if (UpperTrim(d.name) == QLatin1String("ID"))
            def += QStringLiteral(" Not Null Primary Key");
        defs.append(def);
    }
    run(table->database(), {QStringLiteral("Create table ") + table->tableName(),
                            QLatin1Char('(') + defs.join(QLatin1Char(',')) + QLatin1Char(')')});
    table->transaction()->commitRetaining();
}

namespace {

bool isIndexedType(FieldType t) {
    return t == FieldType::Integer || t == FieldType::Smallint || t == FieldType::Largeint ||
           t == FieldType::Date || t == FieldType::DateTime;
}

const ColumnInfo *findColumn(const QList<ColumnInfo> &cols, const QString &name) {
    for (const ColumnInfo &c : cols)
        if (c.name.compare(UpperTrim(name), Qt::CaseInsensitive) == 0)
            return &c;
    return nullptr;
}

QString indexStatement(const QString &table, const QString &name, const QString &columns,
                       bool unique, bool descending) {
    return QStringLiteral("Create ") + (unique ? QStringLiteral("Unique ") : QString()) +
           (descending ? QStringLiteral("DESC") : QStringLiteral("ASC")) +
           QStringLiteral(" Index ") + name + QStringLiteral(" on ") + table + QLatin1Char('(') +
           columns + QLatin1Char(')');
}

// The temporary column of a text-to-integer conversion: "TMP__" and seven digits.
bool isConversionColumn(const QString &name) {
    static const QRegularExpression pattern(QStringLiteral("^TMP__\\d{7}$"),
                                            QRegularExpression::CaseInsensitiveOption);
    return pattern.match(name.trimmed()).hasMatch();
}

// The column a temporary column stands in for, as its description names it.
QString convertedColumnOf(Database *db, const QString &table, const QString &temp) {
    const auto rows = selectRows(db, db->defaultTransaction(),
                                 QStringLiteral("select rdb$description from rdb$relation_fields "
                                                "where rdb$relation_name = ? and "
                                                "rdb$field_name = ?"),
                                 {table.toUpper(), temp.toUpper()});
    return rows.isEmpty() ? QString() : rows.first().value(0).toString().trimmed();
}

// The values come back from the temporary column into the column, which is added
// when it is missing; then the temporary column goes.
void finishConversion(Table *t, const FieldDef &def, const QString &temp, bool columnPresent,
                      const QString &copy) {
    if (!columnPresent)
        alterTable(t, QStringLiteral("Add ") + def.name + QLatin1Char(' ') + FieldTypeToStr(def));
    run(t->database(), {QStringLiteral("Update ") + t->tableName(), QStringLiteral("Set ") + copy});
    t->transaction()->commitRetaining();
    alterTable(t, QStringLiteral("Drop ") + temp);
}

// A text column whose definition says Integer gets its values through a temporary
// column, which names the column in its description. The server only knows a
// column once its change is committed, so each step is committed. Indexes on the
// column would stop its drop: they go first and are made again afterwards. Until
// the original column is dropped a failure removes the temporary column; after
// that the temporary column holds the values and the next start finishes from it.
void convertTextToInteger(Table *t, const FieldDef &def, const QList<IndexInfo> &indexes) {
    Transaction *tr = t->transaction();
    Database *db = t->database();
    const QString table = t->tableName();
    const QString type = FieldTypeToStr(def);
    const qint64 hundredths = platform::clock().now().time().msecsSinceStartOfDay() / 10;
    const QString temp = QStringLiteral("tmp_") + QLatin1Char('_') + ZeroPad(7, hundredths);

    QList<IndexInfo> dropped;
    auto restoreIndexes = [&] {
        for (const IndexInfo &i : dropped) {
            try {
                run(db, {indexStatement(table, i.name, i.columns.join(QLatin1Char(',')), i.unique,
                                        i.descending)});
                tr->commitRetaining();
            } catch (const DatabaseError &) {
                // The index step of a later start makes the program's own indexes.
            }
        }
    };

    alterTable(t, QStringLiteral("Add ") + temp + QLatin1Char(' ') + type);
    try {
        run(db, {QStringLiteral("Comment on column ") + table + QLatin1Char('.') + temp +
                 QStringLiteral(" is '") + def.name.toUpper() + QLatin1Char('\'')});
        tr->commitRetaining();
        run(db, {QStringLiteral("Update ") + table, QStringLiteral("Set ") + temp +
                                                        QStringLiteral("=CAST( ") + def.name +
                                                        QStringLiteral(" as integer)")});
        tr->commitRetaining();
        for (const IndexInfo &i : indexes) {
            if (i.name.startsWith(QLatin1String("RDB$")) ||
                !i.columns.contains(def.name, Qt::CaseInsensitive))
                continue;
            run(db, {QStringLiteral("Drop Index ") + i.name});
            tr->commitRetaining();
            dropped.append(i);
        }
        alterTable(t, QStringLiteral("Drop ") + def.name);
    } catch (...) {
        // Nothing is lost: the column still holds its values.
        try {
            tr->rollbackRetaining();
            alterTable(t, QStringLiteral("Drop ") + temp);
        } catch (const DatabaseError &) {
        }
        restoreIndexes();
        throw;
    }
    ScopeGuard putBack(restoreIndexes);
    finishConversion(t, def, temp, false, def.name + QLatin1Char('=') + temp);
}

// Temporary columns that an interrupted conversion left: the conversion is finished
// from the one that holds the values; one left beside the intact text column is
// dropped, so that no start adds a second one.
bool finishInterruptedConversions(Table *t, const QList<ColumnInfo> &columns, StartupLog *l) {
    Database *db = t->database();
    const QString table = t->tableName();
    bool changed = false;
    for (const ColumnInfo &c : columns) {
        if (!isConversionColumn(c.name))
            continue;
        const QString target = convertedColumnOf(db, table, c.name);
        const FieldDef *def = target.isEmpty() ? nullptr : t->findFieldDef(target);
        const ColumnInfo *original = findColumn(columns, def ? def->name : target);
        if (!def) {
            // An earlier program did not name the column: the copy is spare only while
            // a text column still waits for its conversion.
            bool pending = false;
            for (const FieldDef &d : t->fieldDefs()) {
                const ColumnInfo *col = findColumn(columns, d.name);
                pending = pending || (col && col->isText() && d.type == FieldType::Integer);
            }
            if (pending) {
                alterTable(t, QStringLiteral("Drop ") + c.name);
                changed = true;
            }
            continue;
        }
        if (def->type != FieldType::Integer)
            continue;
        if (original && original->isText()) {
            alterTable(t, QStringLiteral("Drop ") + c.name);
        } else {
            log(l, QStringLiteral("Alterando datatype da coluna ") + table + QLatin1Char('.') +
                       def->name);
            // Rows stored since then keep their own values.
            finishConversion(t, *def, c.name, original != nullptr,
                             def->name + QStringLiteral("=coalesce(") + c.name +
                                 QStringLiteral(", ") + def->name + QLatin1Char(')'));
        }
        changed = true;
    }
    return changed;
}

} // namespace

void CheckTableStructure(Table *table, StartupLog *logWindow) {
    Database *db = table->database();
    const QString name = table->tableName();
    QList<ColumnInfo> columns = Metadata(db).columns(name);
    if (finishInterruptedConversions(table, columns, logWindow))
        columns = Metadata(db).columns(name);
    QList<IndexInfo> indexes = Metadata(db).indexes(name);

    // After one widening the other columns keep their types until the next start,
    // but missing columns are still added: the job statements name every column.
    bool widened = false;
    for (const FieldDef &def : table->fieldDefs()) {
        if (def.calculated)
            continue;
        const QString dotted = name + QLatin1Char('.') + def.name;
        const ColumnInfo *col = findColumn(columns, def.name);
        if (col && widened)
            continue;
        if (!col) {
            log(logWindow, QStringLiteral("Criando coluna ") + dotted);
            alterTable(table,
                       QStringLiteral("Add ") + def.name + QLatin1Char(' ') + FieldTypeToStr(def));
            if (def.type == FieldType::Date || def.type == FieldType::DateTime) {
                const ScopedCursor wait(CursorKind::Hourglass);
                log(logWindow, QStringLiteral("Atribuindo valor default para ") + dotted);
                ExecSQL(db, QStringLiteral("Update ") + name + QStringLiteral(" set ") + def.name +
                                QStringLiteral("=null"));
                table->transaction()->commitRetaining();
            }
            continue;
        }
        if (col->fieldType == 12 && def.type == FieldType::DateTime) {
            log(logWindow, QStringLiteral("Alterando coluna ") + dotted);
            alterTable(table,
                       QStringLiteral("Alter ") + def.name + QStringLiteral(" Type TimeStamp"));
        } else if (col->isText() && def.type == FieldType::Integer) {
            log(logWindow, QStringLiteral("Alterando datatype da coluna ") + dotted);
            convertTextToInteger(table, def, indexes);
            indexes = Metadata(db).indexes(name);
        } else if (col->isText() && def.type == FieldType::String && col->charLength < def.size) {
            const QString type = FieldTypeToStr(def);
            log(logWindow, QStringLiteral("Alterando coluna ") + dotted + QLatin1Char(' ') + type);
            alterTable(table,
                       QStringLiteral("Alter ") + def.name + QStringLiteral(" Type ") + type);
            widened = true;
        }
    }

    // Every key-like column gets its own ascending index.
    QList<IndexDef> &defs = table->indexDefs();
    for (const FieldDef &def : table->fieldDefs()) {
        if (!isIndexedType(def.type))
            continue;
        const QString indexName =
            LeftStr(name.toUpper() + QLatin1Char('_') + def.name.toUpper(), 31);
        bool listed = false;
        for (const IndexDef &i : defs)
            listed = listed || i.name.compare(indexName, Qt::CaseInsensitive) == 0;
        if (!listed)
            defs.append(IndexDef{indexName, def.name, false, false, false});
    }
    for (const IndexDef &i : defs) {
        bool present = false;
        for (const IndexInfo &have : indexes)
            present = present || have.name.compare(i.name, Qt::CaseInsensitive) == 0;
        if (present)
            continue;
        log(logWindow, QStringLiteral("Criando índice ") + name + QLatin1Char('.') + i.name);
        try {
            run(db, {indexStatement(name, i.name,
                                    QString(i.fields).replace(QLatin1Char(';'), QLatin1Char(',')),
                                    false, i.descending)});
        } catch (const DatabaseError &) {
            // An index that cannot be made is not worth stopping the start for.
        }
    }
}

QString NetworkPathOf(const QString &name) {
    QString out = name;
    int colon = int(out.indexOf(QLatin1Char(':')));
    if (colon < 0)
        return out;
    out.replace(colon, 1, QStringLiteral("\\"));
    out = QStringLiteral("\\\\") + out;
    out.replace(QStringLiteral(":\\"), QStringLiteral("\\"));
    return out;
}

namespace {
// "host:path" names: the first ":" after the second character.
bool isServerName(const QString &name) {
    int colon = int(name.indexOf(QLatin1Char(':')));
    return colon > 1;
}
} // namespace

bool ConnectOrCreateDatabase(Database *database, StartupLog *logWindow) {
    // The engine's own words on the first failure: the messages below name only
    // what the program could see, which hides a file it cannot read or use.
    QString engineMessage;
    try {
        database->open();
        return true;
    } catch (const DatabaseError &e) {
        engineMessage = e.message();
        // No server at this computer's own address: the file is local, so the embedded
        // engine opens it by its plain path. Any other host is used as it was named.
        const QString name = database->databaseName();
        const int colon = int(name.indexOf(QLatin1Char(':')));
        if (e.isNetworkError() && isServerName(name) &&
            name.left(colon) == platform::localIPAddress()) {
            const QString path = name.mid(colon + 1);
            if (fs::fileExists(path)) {
                database->setDatabaseName(path);
                try {
                    database->open();
                    return true;
                } catch (const DatabaseError &) {
                    database->setDatabaseName(name);
                }
            }
        }
    }

    const ScopedCursor wait(CursorKind::Hourglass);

    database->close();
    const QString ownName = database->databaseName();
    QString name = ownName;
    if (!fs::extractFileName(name).contains(QLatin1Char('.')))
        name += QStringLiteral(".FB");
    QString probe = name;
    if (isServerName(probe))
        probe = NetworkPathOf(probe);
    if (fs::fileExists(probe))
        return true;

    const QString folder = fs::extractFilePath(ownName);
    if (folder.isEmpty() || fs::folderExists(folder)) {
        log(logWindow, QStringLiteral("Criando database ") + name);
        try {
            database->createDatabase(
                {QStringLiteral("User 'SYSDBA'"),
                 QStringLiteral("password '") + QLatin1String(AdminPassword) + QLatin1Char('\'')});
            return true;
        } catch (const DatabaseError &e) {
            ShowMessageBox(QStringLiteral("Não foi possível conectar-se ao banco de dados\r") +
                               name + QStringLiteral("\r") + QStringLiteral("\r") +
                               QStringLiteral("Erro:") + QStringLiteral("\r") + e.message(),
                           QString(), platform::MB_OK | platform::MB_ICONERROR);
            platform::terminateApplication();
            return false;
        }
    }
    ShowMessageBox(
        QStringLiteral("Não foi possível conectar-se ao banco de dados\r") + name +
            QStringLiteral(".") + QStringLiteral("\r") + QStringLiteral("\r") +
            QStringLiteral("O endereço ") + QStringLiteral("\r") + folder + QStringLiteral("\r") +
            QStringLiteral("não existe, ou não está acessível no momento.") + QStringLiteral("\r") +
            QStringLiteral("\r") + QStringLiteral("Erro:") + QStringLiteral("\r") + engineMessage,
        QString(), platform::MB_OK | platform::MB_ICONERROR);
    return false;
}

bool OpenDatabaseTables(TDM *dm, const QString &titleSuffix, StartupLog *logWindow) {
    MemoryLog fallback;
    StartupLog *l = logWindow ? logWindow : &fallback;
    QString caption = platform::applicationTitle();
    if (!titleSuffix.isEmpty())
        caption += QStringLiteral(" - ") + titleSuffix;
    l->open(caption);

    for (Database *db : dm->databases()) {
        l->addLog(QString());
        db->close();
        if (fs::extractFilePath(db->databaseName()).isEmpty())
            db->setDatabaseName(JoinPath(fs::programFolder(), db->databaseName(), fs::separator()));
        l->addLog(QStringLiteral("Conectando database ") + db->databaseName().toLower());
        if (!ConnectOrCreateDatabase(db, l)) {
            l->close();
            return false;
        }
        try {
            db->open();
        } catch (const DatabaseError &e) {
            // A file that is there but is no database, or one the engine may not use.
            l->close();
            ShowMessageBox(QStringLiteral("Não foi possível conectar-se ao banco de dados\r") +
                               db->databaseName() + QStringLiteral("\r") + QStringLiteral("\r") +
                               QStringLiteral("Erro:") + QStringLiteral("\r") + e.message(),
                           QString(), platform::MB_OK | platform::MB_ICONERROR);
            return false;
        }
        db->defaultTransaction()->startIfNeeded();

        for (Table *t : dm->tables(db)) {
            t->setTableName(t->tableName().isEmpty() ? t->objectName().toUpper()
                                                     : t->tableName().toUpper());
            const QString name = t->tableName();
            try {
                if (!t->exists()) {
                    l->addLog(QStringLiteral("Criando ") + name);
                    CreateTableFromFields(t);
                }
                CheckTableStructure(t, l);
            } catch (const DatabaseError &) {
                ShowMessageBox(QStringLiteral("Erro ao verificar estrutura de ") + name,
                               QStringLiteral("Error"), platform::MB_OK);
            }
            l->addLog(QStringLiteral("Abrindo ") + name);
            try {
                t->open();
            } catch (const DatabaseError &) {
                ShowMessageBox(QStringLiteral("Erro ao tentar abrir ") + name,
                               QStringLiteral("Error"), platform::MB_OK);
            }
        }
    }
    l->addLog(QStringLiteral("\r\nConcluído."));
    platform::sleeper().sleep(1000);
    l->close();
    return true;
}

QString LocateDatabase(TDM *dm, platform::IniFile &settings) {
    const QString sep = fs::separator();
    QString folder = JoinPath(fs::programFolder(), QStringLiteral("DataBase"), sep);
    // A program on another drive keeps its database on drive C:.
    if (folder.size() >= 2 && folder.at(1) == QLatin1Char(':') &&
        UpperTrim(folder.left(2)) != QLatin1String("C:")) {
        int first = int(folder.indexOf(sep));
        folder = JoinPath(QStringLiteral("C:"), folder.mid(first + 1), sep);
    }
    ForceFolder(folder);
    Database *db = dm->IBDatabase1;
    db->close();
    QString name = JoinPath(folder, fs::extractFileName(db->databaseName()), sep);
    name = settings.readString(QStringLiteral("DataBase"), QStringLiteral("DataBaseName"), name);
    db->setDatabaseName(name);
    return name;
}

bool AbrirDataBase(TDM *dm, platform::IniFile &settings, StartupLog *logWindow) {
    QString name = LocateDatabase(dm, settings);
    if (fs::fileExists(name)) {
        // A local file is opened through the server at this computer's address.
        const QString address = platform::localIPAddress();
        if (!address.isEmpty())
            name = address + QLatin1Char(':') + fs::resolve(name);
        else
            name = fs::resolve(name);
        dm->IBDatabase1->setDatabaseName(name);
    }
    if (!OpenDatabaseTables(dm, QString(), logWindow))
        return false;
    dm->IBTransaction1->commitRetaining();
    return true;
}

} // namespace bkp::jobdb
