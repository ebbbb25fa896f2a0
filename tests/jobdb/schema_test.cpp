#include "db/dataroutines.h"
#include "db/metadata.h"
#include "db/query.h"
#include "db/statement.h"
#include "jobdb/datamodule.h"
#include "jobdb/schema.h"
#include "platform/application.h"
#include "platform/clock.h"
#include "platform/dialogs.h"
#include "platform/hostinfo.h"
#include "platform/inifile.h"
#include "support/firebird.h"
#include "support/fixedclock.h"
#include "support/scripteddialogs.h"
#include "support/tempdir.h"

#include <QDir>
#include <QFile>
#include <csignal>
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <unistd.h>

using namespace bkp;
using namespace bkp::db;
using namespace bkp::jobdb;

namespace {

class SchemaTest : public ::testing::Test {
protected:
    SchemaTest() : sleeperScope(&sleeper), dialogsScope(&dialogs) { platform::resetTerminated(); }
    ~SchemaTest() override { platform::resetTerminated(); }

    QString dbPath() const { return dir.file("BKPZELTO.FB"); }

    // One start of the program's database opening, on a fresh data module.
    QStringList openOnce(bool *ok = nullptr) {
        TDM dm;
        dm.IBDatabase1->setDatabaseName(dbPath());
        MemoryLog log;
        bool opened = OpenDatabaseTables(&dm, QString(), &log);
        if (ok)
            *ok = opened;
        if (opened) {
            dm.IBTransaction1->commitRetaining();
            lastColumns = db::Metadata(dm.IBDatabase1).columns("BACKUPS");
            lastFileColumns = db::Metadata(dm.IBDatabase1).columns("ARQUIVOS");
            lastIndexes = db::Metadata(dm.IBDatabase1).indexes("BACKUPS") +
                          db::Metadata(dm.IBDatabase1).indexes("ARQUIVOS");
            backupsOpen = dm.Backups->active() && dm.Arquivos->active();
        }
        EXPECT_FALSE(log.isOpen());
        return log.lines();
    }

    static const ColumnInfo *column(const QList<ColumnInfo> &cols, const QString &name) {
        for (const ColumnInfo &c : cols)
            if (c.name == name)
                return &c;
        return nullptr;
    }

    test::TempDir dir;
    platform::RecordingSleeper sleeper;
    platform::ScopedSleeper sleeperScope;
    platform::ScriptedDialogs dialogs;
    platform::ScopedDialogs dialogsScope;
    QList<ColumnInfo> lastColumns, lastFileColumns;
    QList<IndexInfo> lastIndexes;
    bool backupsOpen = false;
};

QStringList withPrefix(const QStringList &lines, const QString &prefix) {
    QStringList out;
    for (const QString &l : lines)
        if (l.startsWith(prefix))
            out << l;
    return out;
}

} // namespace

TEST(FieldTypeToStr, GivesTheSqlTypeOfEachKind) {
    FieldDef d;
    d.type = FieldType::String;
    d.size = 8;
    EXPECT_EQ(FieldTypeToStr(d), "VarChar(8)");
    d.type = FieldType::BCD;
    d.scale = 2;
    EXPECT_EQ(FieldTypeToStr(d), "Numeric(18,2)");
    d.precision = 9;
    EXPECT_EQ(FieldTypeToStr(d), "Numeric(9,2)");
    d.type = FieldType::Largeint;
    EXPECT_EQ(FieldTypeToStr(d), "Numeric(18,0)");
    d.type = FieldType::Boolean;
    EXPECT_EQ(FieldTypeToStr(d), "Smallint");
    d.type = FieldType::Memo;
    EXPECT_EQ(FieldTypeToStr(d), "Blob Sub_Type 1");
    d.type = FieldType::DateTime;
    EXPECT_EQ(FieldTypeToStr(d), "TimeStamp");
    d.type = FieldType::Unknown;
    EXPECT_EQ(FieldTypeToStr(d), "Unknown");
}

TEST(NetworkPath, ServerNamesBecomeSharePaths) {
    EXPECT_EQ(NetworkPathOf("192.168.0.5:C:\\DADOS\\X.FB"), "\\\\192.168.0.5\\C\\DADOS\\X.FB");
}

TEST_F(SchemaTest, FirstStartCreatesTheDatabaseTablesAndIndexesSecondChangesNothing) {
    bool ok = false;
    QStringList lines = openOnce(&ok);
    ASSERT_TRUE(ok);
    const QString path = dbPath();
    QStringList expected = {"", "Conectando database " + path.toLower(), "Criando database " + path,
                            "Criando BACKUPS"};
    for (const char *c :
         {"ID", "BACKUPACTIVE", "ATIVO", "TIPO", "DATA", "FTP", "FTP_ACTIVE", "FTP_DATA",
          "FTP_LASTSEND", "FTP_PASSIVE", "BACKUP_LASTSTART", "BACKUP_LASTRUN"})
        expected << QString("Criando índice BACKUPS.BACKUPS_%1").arg(c);
    expected << "Abrindo BACKUPS"
             << "Criando ARQUIVOS";
    for (const char *c : {"ID", "BACKUP", "SUBPASTAS", "SUBFOLDER"})
        expected << QString("Criando índice ARQUIVOS.ARQUIVOS_%1").arg(c);
    expected << "Abrindo ARQUIVOS"
             << "\r\nConcluído.";
    EXPECT_EQ(lines, expected);
    EXPECT_EQ(sleeper.total(), 1000);
    EXPECT_TRUE(backupsOpen);
    EXPECT_TRUE(dialogs.shown().isEmpty());

    // Columns, types and sizes as the program defines them.
    QStringList names;
    for (const ColumnInfo &c : lastColumns)
        names << c.name;
    EXPECT_EQ(names.join(","), "ID,BACKUPNAME,BACKUPFILE,BACKUPFOLDER,BACKUPACTIVE,ATIVO,TIPO,"
                               "UTILITARIO,PARAMETROS,DATA,HORA,FTP,FTP_ACTIVE,FTP_HOST,FTP_USER,"
                               "FTP_PASSWORD,FTP_FOLDER,FTP_DATA,FTP_HORA,FTP_LASTSEND,FTP_LASTERR,"
                               "FTP_PASSIVE,BACKUP_LASTSTART,BACKUP_LASTRUN,BACKUP_LASTERR");
    EXPECT_EQ(column(lastColumns, "BACKUP_LASTSTART")->fieldType, 35);
    EXPECT_EQ(column(lastColumns, "BACKUP_LASTRUN")->fieldType, 35);
    EXPECT_EQ(column(lastColumns, "BACKUP_LASTERR")->charLength, 80);
    EXPECT_EQ(column(lastColumns, "ID")->fieldType, 8);
    EXPECT_TRUE(column(lastColumns, "ID")->notNull);
    EXPECT_EQ(column(lastColumns, "BACKUPFOLDER")->charLength, 50);
    EXPECT_EQ(column(lastColumns, "FTP_LASTERR")->charLength, 80);
    EXPECT_EQ(column(lastColumns, "TIPO")->fieldType, 7);
    EXPECT_EQ(column(lastColumns, "HORA")->fieldType, 13);
    EXPECT_EQ(column(lastColumns, "DATA")->fieldType, 12);
    EXPECT_EQ(column(lastColumns, "FTP_LASTSEND")->fieldType, 35);
    EXPECT_EQ(column(lastFileColumns, "ARQUIVOS")->charLength, 120);
    EXPECT_EQ(column(lastFileColumns, "PASTA")->charLength, 60);
    int named = 0, primary = 0;
    for (const IndexInfo &i : lastIndexes) {
        if (i.name.startsWith("RDB$PRIMARY"))
            ++primary;
        else
            ++named;
    }
    EXPECT_EQ(named, 16);
    EXPECT_EQ(primary, 2);

    // The second start finds everything in place.
    lines = openOnce(&ok);
    ASSERT_TRUE(ok);
    EXPECT_TRUE(withPrefix(lines, "Criando").isEmpty()) << lines.join("|").toStdString();
    EXPECT_TRUE(withPrefix(lines, "Alterando").isEmpty());
}

TEST_F(SchemaTest, AnOlderDatabaseIsBroughtUpToDateKeepingItsRows) {
    {
        test::TestDatabase old(dbPath());
        ExecSQL(
            old.get(),
            "create table BACKUPS (ID Integer Not Null Primary Key, BACKUPNAME VarChar(8), "
            "BACKUPFILE VarChar(8), BACKUPFOLDER VarChar(30), BACKUPACTIVE Smallint, ATIVO Date, "
            "TIPO Smallint, UTILITARIO VarChar(50), PARAMETROS VarChar(50), DATA Date, HORA Time, "
            "FTP Date, FTP_ACTIVE Smallint, FTP_HOST VarChar(50), FTP_USER VarChar(50), "
            "FTP_PASSWORD VarChar(8), FTP_FOLDER VarChar(50), FTP_DATA Date, FTP_HORA Time, "
            "FTP_LASTSEND Date, FTP_LASTERR VarChar(40))");
        // As the job database really was: its own index on the text column, and a
        // temporary column that an earlier program's failed conversion left.
        ExecSQL(old.get(), "create table ARQUIVOS (ID Integer Not Null Primary Key, BACKUP "
                           "VarChar(10), PASTA VarChar(60), ARQUIVOS VarChar(120), "
                           "TMP__0001234 Integer)");
        old->defaultTransaction()->commitRetaining();
        ExecSQL(old.get(), "create ASC index ARQUIVOS_BACKUP on ARQUIVOS(BACKUP)");
        old->defaultTransaction()->commitRetaining();
        ExecSQL(old.get(), "insert into BACKUPS (ID, BACKUPNAME, BACKUPFOLDER, FTP_LASTSEND, "
                           "FTP_LASTERR) values (1, 'DIARIO', '/dados/backups', '2026-12-01', "
                           "'550 fail')");
        ExecSQL(old.get(), "insert into ARQUIVOS (ID, BACKUP, PASTA) values (1, '12', '/X')");
        ExecSQL(old.get(), "insert into ARQUIVOS (ID, BACKUP, PASTA) values (2, ' 7', '/Y')");
        old->defaultTransaction()->commit();
    }

    bool ok = false;
    QStringList lines = openOnce(&ok);
    ASSERT_TRUE(ok);
    EXPECT_TRUE(dialogs.shown().isEmpty());
    EXPECT_EQ(withPrefix(lines, "Alterando"),
              QStringList({"Alterando coluna BACKUPS.BACKUPFOLDER VarChar(50)",
                           "Alterando datatype da coluna ARQUIVOS.BACKUP"}));
    EXPECT_EQ(withPrefix(lines, "Criando coluna"),
              QStringList(
                  {"Criando coluna BACKUPS.FTP_PASSIVE", "Criando coluna BACKUPS.BACKUP_LASTSTART",
                   "Criando coluna BACKUPS.BACKUP_LASTRUN", "Criando coluna BACKUPS.BACKUP_LASTERR",
                   "Criando coluna ARQUIVOS.SUBPASTAS", "Criando coluna ARQUIVOS.SUBFOLDER"}));
    EXPECT_EQ(withPrefix(lines, "Atribuindo"),
              QStringList({"Atribuindo valor default para BACKUPS.BACKUP_LASTSTART",
                           "Atribuindo valor default para BACKUPS.BACKUP_LASTRUN",
                           "Atribuindo valor default para ARQUIVOS.SUBPASTAS"}));
    EXPECT_EQ(column(lastColumns, "BACKUPFOLDER")->charLength, 50);
    EXPECT_EQ(column(lastColumns, "FTP_LASTERR")->charLength, 40);
    EXPECT_EQ(column(lastColumns, "FTP_PASSIVE")->fieldType, 8);
    EXPECT_EQ(column(lastColumns, "FTP_LASTSEND")->fieldType, 12); // waits for the next start
    EXPECT_EQ(column(lastFileColumns, "BACKUP")->fieldType, 8);
    EXPECT_EQ(lastFileColumns.size(), 6);
    bool indexed = false;
    for (const IndexInfo &i : lastIndexes)
        indexed = indexed || (i.name == "ARQUIVOS_BACKUP" && i.columns == QStringList{"BACKUP"});
    EXPECT_TRUE(indexed);

    lines = openOnce(&ok);
    ASSERT_TRUE(ok);
    EXPECT_EQ(withPrefix(lines, "Alterando"),
              QStringList({"Alterando coluna BACKUPS.FTP_LASTSEND",
                           "Alterando coluna BACKUPS.FTP_LASTERR VarChar(80)"}));
    EXPECT_EQ(column(lastColumns, "FTP_LASTERR")->charLength, 80);
    EXPECT_EQ(column(lastColumns, "FTP_LASTSEND")->fieldType, 35);

    lines = openOnce(&ok);
    EXPECT_TRUE(withPrefix(lines, "Alterando").isEmpty());
    EXPECT_TRUE(withPrefix(lines, "Criando").isEmpty());

    test::TestDatabase check(dbPath(), false);
    Query q;
    q.setDatabase(check.get());
    q.setSqlText(
        "select BACKUPNAME, BACKUPFOLDER, FTP_LASTSEND, FTP_LASTERR, FTP_PASSIVE from BACKUPS");
    q.open();
    ASSERT_EQ(q.recordCount(), 1);
    EXPECT_EQ(q.fieldByName("BACKUPNAME")->asString(), "DIARIO");
    EXPECT_EQ(q.fieldByName("BACKUPFOLDER")->asString(), "/dados/backups");
    EXPECT_EQ(q.fieldByName("FTP_LASTSEND")->value().toDateTime(),
              QDateTime(QDate(2026, 12, 1), QTime(0, 0)));
    EXPECT_EQ(q.fieldByName("FTP_LASTERR")->asString(), "550 fail");
    EXPECT_TRUE(q.fieldByName("FTP_PASSIVE")->isNull());
    Query files;
    files.setDatabase(check.get());
    files.setSqlText("select ID, BACKUP from ARQUIVOS order by ID");
    files.open();
    EXPECT_EQ(files.fieldByName("BACKUP")->value(), QVariant(12));
    files.next();
    EXPECT_EQ(files.fieldByName("BACKUP")->value(), QVariant(7));
}

TEST_F(SchemaTest, TextThatIsNoNumberStaysAsItWas) {
    {
        test::TestDatabase old(dbPath());
        ExecSQL(old.get(), "create table ARQUIVOS (ID Integer Not Null Primary Key, BACKUP "
                           "VarChar(10), PASTA VarChar(60), SUBPASTAS Date, ARQUIVOS VarChar(120), "
                           "SUBFOLDER Smallint)");
        old->defaultTransaction()->commitRetaining();
        ExecSQL(old.get(), "create ASC index ARQUIVOS_BACKUP on ARQUIVOS(BACKUP)");
        old->defaultTransaction()->commitRetaining();
        ExecSQL(old.get(), "insert into ARQUIVOS (ID, BACKUP) values (1, 'abc')");
        old->defaultTransaction()->commit();
    }
    bool ok = false;
    openOnce(&ok);
    ASSERT_TRUE(ok);
    ASSERT_EQ(dialogs.shown().size(), 1);
    EXPECT_EQ(dialogs.shown()[0].text, "Erro ao verificar estrutura de ARQUIVOS");
    EXPECT_EQ(dialogs.shown()[0].caption, "Error");
    EXPECT_TRUE(backupsOpen); // the start goes on

    EXPECT_EQ(column(lastFileColumns, "BACKUP")->fieldType, 37);
    for (const ColumnInfo &c : lastFileColumns)
        EXPECT_FALSE(c.name.startsWith("TMP_")) << c.name.toStdString();
    int backupIndexes = 0;
    for (const IndexInfo &i : lastIndexes)
        backupIndexes += i.name == "ARQUIVOS_BACKUP" ? 1 : 0;
    EXPECT_EQ(backupIndexes, 1);
    test::TestDatabase check(dbPath(), false);
    Query q;
    q.setDatabase(check.get());
    q.setSqlText("select BACKUP from ARQUIVOS");
    q.open();
    EXPECT_EQ(q.field(0)->asString(), "abc");
}

TEST_F(SchemaTest, AConversionStoppedAfterTheDropIsFinishedByTheNextStart) {
    {
        test::TestDatabase old(dbPath());
        ExecSQL(old.get(), "create table ARQUIVOS (ID Integer Not Null Primary Key, BACKUP "
                           "VarChar(10), PASTA VarChar(60), SUBPASTAS Date, ARQUIVOS VarChar(120), "
                           "SUBFOLDER Smallint)");
        ExecSQL(old.get(), "create generator G_UPDATES");
        ExecSQL(old.get(), "create exception E_STOP 'stopped'");
        old->defaultTransaction()->commitRetaining();
        ExecSQL(old.get(), "create ASC index ARQUIVOS_BACKUP on ARQUIVOS(BACKUP)");
        // Lets the first update of the two rows through and stops every later one:
        // the copy back into the converted column fails.
        ExecSQL(old.get(), "create trigger T_STOP for ARQUIVOS before update as begin if "
                           "(gen_id(G_UPDATES, 1) > 2) then exception E_STOP; end");
        old->defaultTransaction()->commitRetaining();
        ExecSQL(old.get(), "insert into ARQUIVOS (ID, BACKUP) values (1, '12')");
        ExecSQL(old.get(), "insert into ARQUIVOS (ID, BACKUP) values (2, '7')");
        old->defaultTransaction()->commit();
    }
    auto tempColumns = [&] {
        QStringList out;
        for (const ColumnInfo &c : lastFileColumns)
            if (c.name.startsWith("TMP__"))
                out << c.name;
        return out;
    };
    // Two starts while the update still fails: one message each, one temporary
    // column in all, which keeps the values.
    for (int start = 1; start <= 2; ++start) {
        SCOPED_TRACE(start);
        dialogs.clear();
        bool ok = false;
        openOnce(&ok);
        ASSERT_TRUE(ok);
        ASSERT_EQ(dialogs.shown().size(), 1);
        EXPECT_EQ(dialogs.shown()[0].text, "Erro ao verificar estrutura de ARQUIVOS");
        ASSERT_EQ(tempColumns().size(), 1) << tempColumns().join(",").toStdString();
    }
    {
        test::TestDatabase fix(dbPath(), false);
        ExecSQL(fix.get(), "drop trigger T_STOP");
        fix->defaultTransaction()->commit();
    }
    dialogs.clear();
    bool ok = false;
    QStringList lines = openOnce(&ok);
    ASSERT_TRUE(ok);
    EXPECT_TRUE(dialogs.shown().isEmpty()) << dialogs.shown().value(0).text.toStdString();
    EXPECT_TRUE(lines.contains("Alterando datatype da coluna ARQUIVOS.BACKUP"));
    EXPECT_TRUE(tempColumns().isEmpty()) << tempColumns().join(",").toStdString();
    EXPECT_EQ(column(lastFileColumns, "BACKUP")->fieldType, 8);
    bool indexed = false;
    for (const IndexInfo &i : lastIndexes)
        indexed = indexed || i.name == "ARQUIVOS_BACKUP";
    EXPECT_TRUE(indexed);
    test::TestDatabase check(dbPath(), false);
    const auto rows = db::selectRows(check.get(), check.transaction.get(),
                                     "select BACKUP from ARQUIVOS order by ID");
    ASSERT_EQ(rows.size(), 2);
    EXPECT_EQ(rows[0][0], QVariant(12));
    EXPECT_EQ(rows[1][0], QVariant(7));
}

TEST_F(SchemaTest, MissingFolderIsReportedAndTheProgramIsNotEnded) {
    TDM dm;
    dm.IBDatabase1->setDatabaseName(dir.file("nowhere/BKPZELTO.FB"));
    MemoryLog log;
    EXPECT_FALSE(OpenDatabaseTables(&dm, "x", &log));
    EXPECT_EQ(log.caption(), platform::applicationTitle() + " - x");
    EXPECT_FALSE(log.isOpen());
    ASSERT_EQ(dialogs.shown().size(), 1);
    // The engine's own words follow.
    EXPECT_TRUE(dialogs.shown()[0].text.startsWith(
        "Não foi possível conectar-se ao banco de dados\r" + dir.file("nowhere/BKPZELTO.FB") +
        ".\r\rO endereço \r" + dir.file("nowhere") +
        "\rnão existe, ou não está acessível no momento.\r\rErro:\r"))
        << dialogs.shown()[0].text.toStdString();
    EXPECT_FALSE(platform::terminated());
}

// A file that is there but cannot be opened (garbage, no rights) is reported with
// the engine's own words, whether named by path or through the server.
TEST_F(SchemaTest, AFileThatCannotBeOpenedIsReportedWithTheEnginesMessage) {
    QFile garbage(dbPath());
    ASSERT_TRUE(garbage.open(QIODevice::WriteOnly));
    garbage.write(QByteArray(40000, 'g'));
    garbage.close();
    for (const QString &name : {dbPath(), "127.0.0.1:" + dbPath()}) {
        SCOPED_TRACE(name.toStdString());
        dialogs.clear();
        TDM dm;
        dm.IBDatabase1->setDatabaseName(name);
        MemoryLog log;
        bool opened = true;
        try {
            opened = OpenDatabaseTables(&dm, QString(), &log);
        } catch (const DatabaseError &e) {
            ADD_FAILURE() << e.message().toStdString();
        }
        EXPECT_FALSE(opened);
        ASSERT_EQ(dialogs.shown().size(), 1);
        const QString text = dialogs.shown()[0].text;
        EXPECT_TRUE(text.startsWith("Não foi possível conectar-se ao banco de dados\r"))
            << text.toStdString();
        const QString engine = text.mid(text.indexOf("\rErro:\r") + 7);
        EXPECT_TRUE(text.contains("\rErro:\r") && !engine.trimmed().isEmpty())
            << text.toStdString();
    }
}

TEST_F(SchemaTest, DatabaseThatCannotBeCreatedEndsTheProgram) {
    // A folder stands where the database file should be made.
    QDir().mkpath(dbPath() + "/X");
    TDM dm;
    dm.IBDatabase1->setDatabaseName(dbPath() + "/X");
    MemoryLog log;
    EXPECT_FALSE(OpenDatabaseTables(&dm, QString(), &log));
    ASSERT_EQ(dialogs.shown().size(), 1);
    EXPECT_TRUE(dialogs.shown()[0].text.startsWith(
        "Não foi possível conectar-se ao banco de dados\r" + dbPath() + "/X.FB\r\rErro:\r"))
        << dialogs.shown()[0].text.toStdString();
    EXPECT_TRUE(platform::terminated());
}

TEST_F(SchemaTest, ACreationThatFailsPartWayLeavesNoFileAndTheNextStartCreatesIt) {
    // The engine writes a new database of about 1.4 MB; a file-size limit of 1200 KB makes
    // its creation fail part way, as a full disk does. The limit is set in a child process
    // of its own, which runs this test again up to here: it finds the parent's path in the
    // environment.
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    if (qEnvironmentVariableIsEmpty("BKP_TEST_CREATE_PATH"))
        qputenv("BKP_TEST_CREATE_PATH", dbPath().toUtf8());
    const QString path = qEnvironmentVariable("BKP_TEST_CREATE_PATH");
    auto createUnderLimit = [&] {
        const rlimit limit{1200 * 1024, 1200 * 1024};
        setrlimit(RLIMIT_FSIZE, &limit);
        signal(SIGXFSZ, SIG_IGN);
        TDM dm;
        dm.IBDatabase1->setDatabaseName(path);
        MemoryLog log;
        const bool opened = OpenDatabaseTables(&dm, QString(), &log);
        const bool reported = dialogs.shown().size() == 1 &&
                              dialogs.shown()[0].text.contains("Erro:\r") && platform::terminated();
        return opened ? 1 : !reported ? 2 : QFile::exists(path) ? 3 : 0;
    };
    EXPECT_EXIT(_exit(createUnderLimit()), ::testing::ExitedWithCode(0), "");
    qunsetenv("BKP_TEST_CREATE_PATH");
    EXPECT_FALSE(QFile::exists(path));

    bool ok = false;
    QStringList lines = openOnce(&ok);
    EXPECT_TRUE(ok);
    EXPECT_TRUE(lines.contains("Criando database " + path));
    EXPECT_TRUE(dialogs.shown().isEmpty());
}

namespace {
// Makes an address this computer's own for the life of a scope.
struct LocalAddress {
    explicit LocalAddress(const QString &address) { platform::overrideLocalIPAddress(address); }
    ~LocalAddress() { platform::overrideLocalIPAddress(QString()); }
};
} // namespace

TEST_F(SchemaTest, OnlyThisComputersOwnAddressFallsBackToTheEmbeddedEngine) {
    { test::TestDatabase made(dbPath()); }
    // Nothing listens on 127.0.0.2: as this computer's own address the local file
    // is opened embedded, as any other host it is used as named and its failure told.
    for (const bool own : {true, false}) {
        SCOPED_TRACE(own ? "own address" : "another host");
        LocalAddress local(own ? "127.0.0.2" : "127.0.0.1");
        TDM dm;
        dm.IBDatabase1->setDatabaseName("127.0.0.2:" + dbPath());
        MemoryLog log;
        dialogs.clear();
        EXPECT_EQ(ConnectOrCreateDatabase(dm.IBDatabase1, &log), own);
        EXPECT_EQ(dm.IBDatabase1->connected(), own);
        EXPECT_EQ(dm.IBDatabase1->databaseName(), own ? dbPath() : "127.0.0.2:" + dbPath());
        EXPECT_TRUE(log.lines().isEmpty());
        ASSERT_EQ(dialogs.shown().size(), own ? 0 : 1);
        if (!own) {
            EXPECT_TRUE(dialogs.shown()[0].text.contains(
                "\rnão existe, ou não está acessível no momento.\r\rErro:\r"));
        }
    }
}

TEST_F(SchemaTest, AccentedFoldersAndNamesOpenEmbeddedAndThroughTheServer) {
    ASSERT_TRUE(test::serverAnswers()) << "the tests start a Firebird server on 3050";
    const QString folder = dir.file("Cópia de segurança");
    ASSERT_TRUE(QDir().mkpath(folder));
    const QString name = folder + "/BKP ZELTO.FB";
    platform::IniFile settings(dir.file("bkpzelto.Ini"));
    settings.writeString("DataBase", "DataBaseName", name);
    // First start creates it; the next ones open it embedded (no server at this
    // computer's address) and through the server at the address that answers.
    for (const char *route : {"127.0.0.2", "127.0.0.2", "127.0.0.1"}) {
        SCOPED_TRACE(route);
        LocalAddress local(route);
        TDM dm;
        MemoryLog log;
        ASSERT_TRUE(AbrirDataBase(&dm, settings, &log)) << log.lines().join("|").toStdString();
        EXPECT_TRUE(dialogs.shown().isEmpty()) << dialogs.shown().value(0).text.toStdString();
        EXPECT_TRUE(dm.Backups->active());
        ASSERT_TRUE(
            ExecSQL(dm.IBDatabase1, "Insert into BACKUPS (ID, BACKUPFOLDER) values ((select "
                                    "count(*) + 1 from BACKUPS), '" +
                                        folder + "')"));
        dm.IBTransaction1->commitRetaining();
        dm.Backups->refresh();
        dm.Backups->last();
        EXPECT_EQ(dm.Backups->fieldByName("BACKUPFOLDER")->asString(), folder);
    }
    EXPECT_TRUE(QFile::exists(name));
}

TEST_F(SchemaTest, AnExistingLocalFileIsOpenedThroughTheServer) {
    ASSERT_TRUE(test::serverAnswers()) << "the tests start a Firebird server on 3050";
    const QString address = platform::localIPAddress();
    ASSERT_FALSE(address.isEmpty());
    { test::TestDatabase made(dbPath()); }
    platform::IniFile settings(dir.file("bkpzelto.Ini"));
    settings.writeString("DataBase", "DataBaseName", dbPath());
    TDM dm;
    MemoryLog log;
    ASSERT_TRUE(AbrirDataBase(&dm, settings, &log));
    EXPECT_EQ(dm.IBDatabase1->databaseName(), address + ":" + dbPath());
    EXPECT_TRUE(
        log.lines().contains("Conectando database " + (address + ":" + dbPath()).toLower()));
    EXPECT_TRUE(log.lines().contains("Criando BACKUPS"));
    EXPECT_FALSE(withPrefix(log.lines(), "Criando database").size());
    EXPECT_TRUE(dm.Backups->active());
}
