#include "jobdb/datamodule.h"

namespace bkp::jobdb {

using namespace db;

const char *const AdminPassword = "pelorvine";

namespace {
FieldDef def(const char *name, FieldType type, int size = 0) {
    FieldDef d;
    d.name = QString::fromLatin1(name);
    d.type = type;
    d.size = size;
    return d;
}
} // namespace

QList<FieldDef> backupsFieldDefs() {
    using T = FieldType;
    return {def("ID", T::Integer),
            def("BACKUPNAME", T::String, 8),
            def("BACKUPFILE", T::String, 8),
            def("BACKUPFOLDER", T::String, 50),
            def("BACKUPACTIVE", T::Smallint),
            def("ATIVO", T::Date),
            def("TIPO", T::Smallint),
            def("UTILITARIO", T::String, 50),
            def("PARAMETROS", T::String, 50),
            def("DATA", T::Date),
            def("HORA", T::Time),
            def("FTP", T::Date),
            def("FTP_ACTIVE", T::Smallint),
            def("FTP_HOST", T::String, 50),
            def("FTP_USER", T::String, 50),
            def("FTP_PASSWORD", T::String, 8),
            def("FTP_FOLDER", T::String, 50),
            def("FTP_DATA", T::Date),
            def("FTP_HORA", T::Time),
            def("FTP_LASTSEND", T::DateTime),
            def("FTP_LASTERR", T::String, 80),
            def("FTP_PASSIVE", T::Integer),
            def("BACKUP_LASTSTART", T::DateTime),
            def("BACKUP_LASTRUN", T::DateTime),
            def("BACKUP_LASTERR", T::String, 80)};
}

QList<FieldDef> arquivosFieldDefs() {
    using T = FieldType;
    return {def("ID", T::Integer),           def("BACKUP", T::Integer),
            def("PASTA", T::String, 60),     def("SUBPASTAS", T::Date),
            def("ARQUIVOS", T::String, 120), def("SUBFOLDER", T::Smallint)};
}

TDM::TDM(QObject *parent) : QObject(parent) {
    setObjectName(QStringLiteral("DM"));
    IBDatabase1 = new Database(this);
    IBDatabase1->setObjectName(QStringLiteral("IBDatabase1"));
    IBDatabase1->setDatabaseName(QStringLiteral("BKPZELTO.FB"));
    IBDatabase1->setParams({QStringLiteral("user_name=SYSDBA"),
                            QStringLiteral("password=") + QLatin1String(AdminPassword)});
    IBDatabase1->setSqlDialect(3);

    IBTransaction1 = new Transaction(IBDatabase1);
    IBTransaction1->setParams({QStringLiteral("read_committed"), QStringLiteral("rec_version"),
                               QStringLiteral("nowait")});
    IBDatabase1->setDefaultTransaction(IBTransaction1);

    Backups = new Table(this);
    Backups->setObjectName(QStringLiteral("Backups"));
    Backups->setDatabase(IBDatabase1);
    Backups->fieldDefs() = backupsFieldDefs();

    Arquivos = new Table(this);
    Arquivos->setObjectName(QStringLiteral("Arquivos"));
    Arquivos->setDatabase(IBDatabase1);
    Arquivos->fieldDefs() = arquivosFieldDefs();
}

TDM::~TDM() {
    // Tables and their statements go first, then the transaction, then the connection.
    delete Backups;
    delete Arquivos;
    try {
        IBDatabase1->close();
    } catch (const DatabaseError &) {
    }
    delete IBTransaction1;
}

QList<Table *> TDM::tables(Database *database) const {
    QList<Table *> out;
    for (Table *t : {Backups, Arquivos})
        if (t->database() == database)
            out.append(t);
    return out;
}

} // namespace bkp::jobdb
