#include "app/settings.h"
#include "db/database.h"
#include "db/dataroutines.h"
#include "db/metadata.h"
#include "db/query.h"
#include "platform/inifile.h"
#include "support/firebird.h"
#include "support/ftpservers.h"
#include "support/tempdir.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QThread>
#include <csignal>
#include <functional>
#include <gtest/gtest.h>

using namespace bkp;

TEST(SettingsFiles, NamesFollowTheProgramsPath) {
    EXPECT_EQ(app::settingsFileName("/apps/BKP.EXE"), "/apps/BKP.Ini");
    EXPECT_EQ(app::settingsFileName("/work/build/bkpzelto"), "/work/build/bkpzelto.Ini");
    // The second file lies beside the first: only the file name is cut and upper-cased.
    const struct {
        QString program, backupsIni;
    } cases[] = {
        {"/apps/bkp.exe", "/apps/BKP_Backups.Ini"},
        {"/opt/v1.2/bkp", "/opt/v1.2/BKP_Backups.Ini"},
        {"/home/joao.silva/.local/share/bkpzelto/bkpzelto",
         "/home/joao.silva/.local/share/bkpzelto/BKPZELTO_Backups.Ini"},
        {"bkp.tar.exe", "BKP_Backups.Ini"},
    };
    for (const auto &c : cases)
        EXPECT_EQ(app::backupsIniFileName(c.program), c.backupsIni) << c.program.toStdString();
}

TEST(SettingsFiles, TheUpperCasedFolderIsTheProgramsOwn) {
    test::TempDir dir;
    const QString program = dir.file("Prog/bkp");
    dir.write("Prog/bkp");
    QString made = app::touchBackupsIni(program);
    EXPECT_EQ(made, dir.file("Prog/BKP_Backups.Ini"));
    EXPECT_TRUE(QFile::exists(made));
    EXPECT_EQ(QFile(made).size(), 0);
    EXPECT_FALSE(QDir(dir.file("PROG")).exists());
    // A dot in a folder above keeps it there, not in the folder before the dot.
    dir.write("joao.silva/.local/bkpzelto");
    EXPECT_EQ(app::touchBackupsIni(dir.file("joao.silva/.local/bkpzelto")),
              dir.file("joao.silva/.local/BKPZELTO_Backups.Ini"));
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList());

    auto ini = app::openSettingsFile(program);
    EXPECT_FALSE(ini->readString("Geral", "UpdateFile").isEmpty());
    EXPECT_TRUE(dir.read("Prog/bkp.Ini").startsWith("[Geral]"));
}

namespace {

// Runs the real program copied alone into a folder, until it has opened its
// database, then ends it as the session's end would.
class ProgramRun {
public:
    explicit ProgramRun(const QString &folder) : m_folder(folder) {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("QT_QPA_PLATFORM", "offscreen");
        m_process.setProcessEnvironment(env);
        m_process.setWorkingDirectory(folder);
        m_process.start(folder + "/bkpzelto", {});
    }
    // `marker`: the file the start makes, below the program's folder; none to end
    // it while it is still starting.
    bool startedAndResident(const QString &marker = "/DataBase/BKPZELTO.FB") {
        if (!started())
            return false;
        QElapsedTimer t;
        t.start();
        // The program catches SIGTERM once its window and database are open.
        while (t.elapsed() < 60000 && m_process.state() == QProcess::Running &&
               !(QFile::exists(m_folder + marker) && catchesSigterm()))
            QThread::msleep(50);
        return m_process.state() == QProcess::Running && catchesSigterm();
    }
    bool started() { return m_process.waitForStarted(10000); }
    int terminate() { return endWith(SIGTERM); }
    // Ends it as a service stop (SIGTERM) or a closing terminal (SIGHUP) would.
    int endWith(int signal) {
        ::kill(pid_t(m_process.processId()), signal);
        const bool finished = m_process.waitForFinished(20000);
        if (!finished) {
            m_process.kill();
            m_process.waitForFinished();
            return -1;
        }
        return m_process.exitStatus() == QProcess::NormalExit ? m_process.exitCode() : -2;
    }

private:
    bool catchesSigterm() const {
        QFile status(QStringLiteral("/proc/%1/status").arg(m_process.processId()));
        if (!status.open(QIODevice::ReadOnly))
            return false;
        for (const QByteArray &line : status.readAll().split('\n'))
            if (line.startsWith("SigCgt:"))
                return (line.mid(7).trimmed().toULongLong(nullptr, 16) >> (SIGTERM - 1)) & 1;
        return false;
    }
    QString m_folder;
    QProcess m_process;
};

// The program copied alone into the test's folder, as an operator installs it.
bool copyProgram(const QString &folder) {
    return QFile::copy(BKP_BINARY_DIR "/bkpzelto", folder + "/bkpzelto") &&
           QFile::setPermissions(folder + "/bkpzelto",
                                 QFile::ExeOwner | QFile::ReadOwner | QFile::WriteOwner);
}

// The program copied alone into the folder, started once so that it creates its
// settings file and database, and ended.
bool installedAndStartedOnce(const QString &folder) {
    if (!copyProgram(folder))
        return false;
    ProgramRun first(folder);
    return first.startedAndResident() && first.terminate() == 0;
}

int indexCount(db::Database *d) {
    int n = 0;
    for (const char *t : {"BACKUPS", "ARQUIVOS"})
        for (const db::IndexInfo &i : db::Metadata(d).indexes(t))
            n += i.name.startsWith("RDB$") ? 0 : 1;
    return n;
}

} // namespace

TEST(Program, StartsInAnEmptyFolderCreatesItsFilesAndEndsOnSigterm) {
    test::TempDir dir;
    ASSERT_TRUE(copyProgram(dir.path()));
    {
        ProgramRun run(dir.path());
        ASSERT_TRUE(run.startedAndResident());
        EXPECT_EQ(run.terminate(), 0);
    }
    EXPECT_TRUE(QFile::exists(dir.file("BKPZELTO_Backups.Ini")));
    EXPECT_EQ(QFile(dir.file("BKPZELTO_Backups.Ini")).size(), 0);
    platform::IniFile ini(dir.file("bkpzelto.Ini"));
    EXPECT_FALSE(ini.readString("Geral", "UpdateFile").isEmpty());

    QList<db::ColumnInfo> columns;
    {
        test::TestDatabase check(dir.file("DataBase/BKPZELTO.FB"), false);
        columns = db::Metadata(check.get()).columns("BACKUPS");
        EXPECT_EQ(columns.size(), 25);
        EXPECT_EQ(db::Metadata(check.get()).columns("ARQUIVOS").size(), 6);
        EXPECT_EQ(indexCount(check.get()), 16);
    }

    // The second start finds the file and, with a server answering, goes through it.
    ASSERT_TRUE(test::serverAnswers());
    {
        ProgramRun run(dir.path());
        ASSERT_TRUE(run.startedAndResident());
        EXPECT_EQ(run.terminate(), 0);
    }
    // The end of the session may come while it is still opening its database.
    {
        ProgramRun run(dir.path());
        ASSERT_TRUE(run.startedAndResident(QString()));
        EXPECT_EQ(run.terminate(), 0);
    }
    test::TestDatabase check(dir.file("DataBase/BKPZELTO.FB"), false);
    EXPECT_EQ(db::Metadata(check.get()).columns("BACKUPS").size(), columns.size());
    EXPECT_EQ(indexCount(check.get()), 16);
}

namespace {

// An archiver as the jobs name it ("zip", so its archives end in ".zip"): it
// records when and how it was started and writes the archive it is given.
QString recordingZip(const test::TempDir &dir) {
    const QString path =
        dir.write("bin/zip", "#!/bin/sh\n"
                             "echo \"$(date +%s.%N) $*\" >> \"$(dirname \"$0\")/runs.log\"\n"
                             "echo archive > \"$2\"\n");
    QFile::setPermissions(path, QFile::ExeOwner | QFile::ReadOwner | QFile::WriteOwner);
    return path;
}

QString jobInsert(int id, const QString &name, const QString &folder, const QString &archiver,
                  const QString &ftpHost, bool upload) {
    // Long past, so due at whatever hour the test runs.
    const QString today = QStringLiteral("2020-01-01");
    return QStringLiteral("Insert into BACKUPS (ID, BACKUPNAME, BACKUPFILE, BACKUPFOLDER, "
                          "UTILITARIO, PARAMETROS, TIPO, BACKUPACTIVE, DATA, HORA, FTP_ACTIVE, "
                          "FTP_HOST, FTP_USER, FTP_PASSWORD, FTP_FOLDER, FTP_PASSIVE, FTP_DATA, "
                          "FTP_HORA) values (%1, '%2', '%3', '%4', '%5', 'a', 0, 0, '%6', "
                          "'00:00:00', %7, '%8', 'bkp', 'segredo', 'up', -1, '%6', '00:00:00')")
        .arg(id)
        .arg(name, name.toLower(), folder, archiver, today)
        .arg(upload ? 0 : 1)
        .arg(ftpHost);
}

} // namespace

TEST(Program, RunsDueJobsByItselfUploadFirstThenArchivesOneJobPerCheck) {
    test::TempDir dir;
    ASSERT_TRUE(installedAndStartedOnce(dir.path()));

    QDir().mkpath(dir.file("ftproot/up"));
    test::FtpServerProcess server;
    ASSERT_TRUE(server.startPyftpd(dir.file("ftproot"), "bkp", "segredo"))
        << server.error().toStdString();
    const QString archiver = recordingZip(dir);
    const QString alfa = dir.file("dados/BACKUPS/ALFA");
    const QString beta = dir.file("dados/BACKUPS/BETA");
    QDir().mkpath(beta);
    dir.write("dados/BACKUPS/ALFA/alfa.zip", "last night");
    {
        test::TestDatabase jobs(dir.file("DataBase/BKPZELTO.FB"), false);
        ASSERT_TRUE(
            db::ExecSQL(jobs.get(), jobInsert(1, "ALFA", alfa, archiver, server.host(), true)));
        ASSERT_TRUE(
            db::ExecSQL(jobs.get(), jobInsert(2, "BETA", beta, archiver, server.host(), false)));
        jobs.transaction->commit();
    }

    ProgramRun run(dir.path());
    ASSERT_TRUE(run.startedAndResident());
    // Ticks every 10 s: upload, archive ALFA, (nothing to upload), archive BETA. The
    // lower-cased archive paths land in the folders that exist.
    QElapsedTimer waited;
    waited.start();
    auto runs = [&] {
        return QString::fromUtf8(dir.read("bin/runs.log")).split('\n', Qt::SkipEmptyParts);
    };
    // Across midnight ALFA, due again at 00:00, may run once more before BETA.
    auto betaRan = [&] {
        return runs().filter("/BETA/beta.zip").size() > 0;
    };
    while (waited.elapsed() < 90000 && !betaRan())
        QThread::msleep(200);
    EXPECT_EQ(run.terminate(), 0);

    // Last night's archive, or, once past midnight, the one the archiver wrote since.
    const QByteArray sent = dir.read("ftproot/up/alfa.zip");
    EXPECT_TRUE(sent == "last night" || sent == "archive\n") << sent.toStdString();
    const QStringList lines = runs();
    ASSERT_GE(lines.size(), 2);
    ASSERT_LE(lines.size(), 3);
    EXPECT_TRUE(lines[0].contains("/ALFA/alfa.zip")) << lines[0].toStdString();
    EXPECT_TRUE(lines.last().contains("/BETA/beta.zip")) << lines.last().toStdString();
    // One job per check: at least two ticks of 10 s lie between two runs.
    for (qsizetype i = 1; i < lines.size(); ++i)
        EXPECT_GT(lines[i].section(' ', 0, 0).toDouble() -
                      lines[i - 1].section(' ', 0, 0).toDouble(),
                  15);
    const int lastAlfa = int(lines.size()) - 2;

    test::TestDatabase check(dir.file("DataBase/BKPZELTO.FB"), false);
    db::Query q;
    q.setDatabase(check.get());
    q.setTransaction(check.transaction.get());
    q.setSqlText("select ID, DATA, FTP_DATA, FTP_LASTSEND, FTP_LASTERR from BACKUPS order by ID");
    q.open();
    // The next dates are the day after the program's own date when it worked, so the
    // test holds across midnight.
    auto dayAfterRun = [&](int line) {
        const qint64 ms = qint64(lines[line].section(' ', 0, 0).toDouble() * 1000);
        return QDateTime::fromMSecsSinceEpoch(ms).date().addDays(1);
    };
    EXPECT_EQ(q.fieldByName("DATA")->value().toDate(), dayAfterRun(lastAlfa));
    ASSERT_FALSE(q.fieldByName("FTP_LASTSEND")->isNull());
    EXPECT_EQ(q.fieldByName("FTP_DATA")->value().toDate(),
              q.fieldByName("FTP_LASTSEND")->value().toDateTime().date().addDays(1));
    EXPECT_TRUE(q.fieldByName("FTP_LASTERR")->isNull())
        << q.fieldByName("FTP_LASTERR")->asString().toStdString();
    q.next();
    EXPECT_EQ(q.fieldByName("DATA")->value().toDate(), dayAfterRun(int(lines.size()) - 1));
    // The job that does not upload keeps its upload date.
    EXPECT_EQ(q.fieldByName("FTP_DATA")->value().toDate(), QDate(2020, 1, 1));
}

TEST(Program, CopiedIntoAnAccentedFolderStartsTwiceAndRunsAJobWithAnAccentedFolder) {
    test::TempDir dir;
    const QString home = dir.file("Cópia de segurança");
    ASSERT_TRUE(QDir().mkpath(home));
    ASSERT_TRUE(installedAndStartedOnce(home));
    QDir().mkpath(dir.file("ftproot/up"));
    test::FtpServerProcess server;
    ASSERT_TRUE(server.startPyftpd(dir.file("ftproot"), "bkp", "segredo"))
        << server.error().toStdString();
    const QString archiver = recordingZip(dir);
    const QString folder = dir.file("Cópias/BACKUPS/ALFA");
    QDir().mkpath(folder);
    QFile previous(folder + "/alfa.zip");
    ASSERT_TRUE(previous.open(QIODevice::WriteOnly));
    previous.write("last night");
    previous.close();
    {
        test::TestDatabase jobs(home + "/DataBase/BKPZELTO.FB", false);
        ASSERT_TRUE(
            db::ExecSQL(jobs.get(), jobInsert(1, "ALFA", folder, archiver, server.host(), true)));
        jobs.transaction->commit();
    }

    // The second start reopens the database (through the server) and runs the job:
    // the upload at the first check, the archive at the next.
    ProgramRun run(home);
    ASSERT_TRUE(run.startedAndResident());
    QElapsedTimer waited;
    waited.start();
    while (waited.elapsed() < 60000 && dir.read("bin/runs.log").isEmpty())
        QThread::msleep(200);
    EXPECT_EQ(run.terminate(), 0);
    EXPECT_EQ(QFile(dir.file("ftproot/up/alfa.zip")).size(), 10);
    const QString line = QString::fromUtf8(dir.read("bin/runs.log")).trimmed();
    EXPECT_TRUE(line.contains(QString("/Cópias/BACKUPS/ALFA/alfa.zip"), Qt::CaseInsensitive))
        << line.toStdString();
}

// The end of the session during an upload to a slow server: the transfer stops at
// once, the failure is recorded (the job stays due) and the program ends long
// before the server could have had the whole archive.
TEST(Program, SigtermDuringAnUploadEndsTheProgramAtOnce) {
    test::TempDir dir;
    ASSERT_TRUE(installedAndStartedOnce(dir.path()));
    test::TempDir logs;
    test::FtpServerProcess server;
    ASSERT_TRUE(server.startFake("slow", logs.path())) << server.error().toStdString();
    const QString folder = dir.file("dados/BACKUPS/ALFA");
    const qint64 size = 16 * 1024 * 1024;
    dir.write("dados/BACKUPS/ALFA/alfa.zip", QByteArray(size, 'z'));
    {
        test::TestDatabase jobs(dir.file("DataBase/BKPZELTO.FB"), false);
        ASSERT_TRUE(db::ExecSQL(
            jobs.get(), jobInsert(1, "ALFA", folder, recordingZip(dir), server.host(), true)));
        ASSERT_TRUE(db::ExecSQL(jobs.get(), "update BACKUPS set BACKUPACTIVE=1"));
        jobs.transaction->commit();
    }
    ProgramRun run(dir.path());
    ASSERT_TRUE(run.startedAndResident());
    const QString received = logs.file("legit");
    QElapsedTimer waited;
    waited.start();
    while (waited.elapsed() < 30000 && QFileInfo(received).size() < 100000)
        QThread::msleep(50);
    ASSERT_GE(QFileInfo(received).size(), 100000);
    QElapsedTimer ending;
    ending.start();
    EXPECT_EQ(run.terminate(), 0);
    EXPECT_LT(ending.elapsed(), 5000);
    server.stop();
    EXPECT_LT(QFileInfo(received).size(), size);

    test::TestDatabase check(dir.file("DataBase/BKPZELTO.FB"), false);
    db::Query q;
    q.setDatabase(check.get());
    q.setTransaction(check.transaction.get());
    q.setSqlText("select FTP_DATA, FTP_LASTSEND, FTP_LASTERR from BACKUPS where ID=1");
    q.open();
    // Still due: the upload date is the one the job was given.
    EXPECT_EQ(q.fieldByName("FTP_DATA")->value().toDate(), QDate(2020, 1, 1));
    EXPECT_TRUE(q.fieldByName("FTP_LASTSEND")->isNull());
    EXPECT_TRUE(q.fieldByName("FTP_LASTERR")->asString().contains("fim da sessão"))
        << q.fieldByName("FTP_LASTERR")->asString().toStdString();
}

// Two programs, each in a folder of its own, on one job database through the
// server, as two workstations share it: the upload one of them is running is not
// started by the other, so the server gets one copy, recorded as sent.
TEST(Program, TwoProgramsOnOneDatabaseUploadAJobOnce) {
    ASSERT_TRUE(test::serverAnswers());
    const QDate started = QDate::currentDate();
    test::TempDir a, b;
    ASSERT_TRUE(installedAndStartedOnce(a.path()));
    ASSERT_TRUE(copyProgram(b.path()));
    const QString shared = "127.0.0.1:" + a.file("DataBase/BKPZELTO.FB");
    for (const test::TempDir *dir : {&a, &b})
        platform::IniFile(dir->file("bkpzelto.Ini"))
            .writeString("DataBase", "DataBaseName", shared);

    test::TempDir logs;
    test::FtpServerProcess server;
    ASSERT_TRUE(server.startFake("slow", logs.path())) << server.error().toStdString();
    // About 25 s at the server's pace: the other program's checks fall inside it.
    const qint64 size = 8 * 1024 * 1024;
    const QString folder = a.file("dados/BACKUPS/ALFA");
    a.write("dados/BACKUPS/ALFA/alfa.zip", QByteArray(size, 'z'));
    {
        test::TestDatabase jobs(shared, false);
        ASSERT_TRUE(db::ExecSQL(
            jobs.get(), jobInsert(1, "ALFA", folder, recordingZip(a), server.host(), true)));
        ASSERT_TRUE(db::ExecSQL(jobs.get(), "update BACKUPS set BACKUPACTIVE=1"));
        jobs.transaction->commit();
    }

    ProgramRun runA(a.path());
    ProgramRun runB(b.path());
    ASSERT_TRUE(runA.startedAndResident("/BKPZELTO_Backups.Ini"));
    ASSERT_TRUE(runB.startedAndResident("/BKPZELTO_Backups.Ini"));

    auto stores = [&] {
        return QString::fromLatin1(logs.read("commands")).count(QStringLiteral("STOR "));
    };
    test::TestDatabase check(shared, false);
    auto sent = [&] {
        db::Query q;
        q.setDatabase(check.get());
        q.setTransaction(check.transaction.get());
        q.setSqlText("select FTP_LASTSEND from BACKUPS where ID=1");
        q.open();
        return !q.fieldByName("FTP_LASTSEND")->isNull();
    };
    QElapsedTimer waited;
    waited.start();
    while (waited.elapsed() < 90000 && !sent())
        QThread::msleep(200);
    EXPECT_TRUE(sent());
    EXPECT_EQ(stores(), 1) << logs.read("commands").toStdString();
    EXPECT_EQ(runA.terminate(), 0);
    EXPECT_EQ(runB.terminate(), 0);
    EXPECT_EQ(QFileInfo(logs.file("legit")).size(), size);

    db::Query q;
    q.setDatabase(check.get());
    q.setTransaction(check.transaction.get());
    q.setSqlText("select FTP_DATA, FTP_LASTERR from BACKUPS where ID=1");
    q.open();
    // The day after the upload, by the program's clock (the run may cross midnight).
    const QDate next = q.fieldByName("FTP_DATA")->value().toDate();
    EXPECT_TRUE(next == started.addDays(1) || next == QDate::currentDate().addDays(1))
        << next.toString(Qt::ISODate).toStdString();
    EXPECT_TRUE(q.fieldByName("FTP_LASTERR")->isNull())
        << q.fieldByName("FTP_LASTERR")->asString().toStdString();
}

// The program ends, by a service stop or a closing terminal, while its archiver
// runs and writes: the archiver goes on to its end, and the program started again
// meanwhile records that end.
TEST(Program, AnArchiverOutlivesTheProgramAndTheNextStartRecordsItsEnd) {
    for (int signal : {SIGTERM, SIGHUP}) {
        SCOPED_TRACE(signal);
        test::TempDir dir;
        ASSERT_TRUE(installedAndStartedOnce(dir.path()));
        const QString archiver =
            dir.write("bin/arj", "#!/bin/sh\n"
                                 "i=0; while [ $i -lt 60 ]; do echo linha $i; sleep 0.1; "
                                 "i=$((i+1)); done\n"
                                 "echo inteiro > \"$2\"\n");
        QFile::setPermissions(archiver, QFile::ExeOwner | QFile::ReadOwner | QFile::WriteOwner);
        const QString folder = dir.file("dados/BACKUPS/ALFA");
        QDir().mkpath(folder);
        {
            test::TestDatabase jobs(dir.file("DataBase/BKPZELTO.FB"), false);
            ASSERT_TRUE(db::ExecSQL(jobs.get(), jobInsert(1, "ALFA", folder, archiver, "", false)));
            jobs.transaction->commit();
        }
        auto waitFor = [](const std::function<bool()> &done, int ms) {
            QElapsedTimer t;
            t.start();
            while (t.elapsed() < ms && !done())
                QThread::msleep(100);
            return done();
        };
        const QString output = dir.file("Saidas/1.txt");
        {
            ProgramRun run(dir.path());
            ASSERT_TRUE(run.startedAndResident());
            ASSERT_TRUE(
                waitFor([&] { return dir.read("Saidas/1.txt").contains("linha 5"); }, 60000));
            EXPECT_EQ(run.endWith(signal), 0);
        }
        // Still writing after the program has gone.
        const qint64 written = QFileInfo(output).size();
        EXPECT_TRUE(waitFor([&] { return QFileInfo(output).size() > written; }, 5000));
        EXPECT_FALSE(QFile::exists(folder + "/alfa.arj"));
        {
            ProgramRun again(dir.path());
            ASSERT_TRUE(again.startedAndResident());
            ASSERT_TRUE(waitFor(
                [&] { return dir.read("dados/BACKUPS/ALFA/alfa.arj") == "inteiro\n"; }, 30000));
            // The end is recorded, and the list of running archivers empty again.
            EXPECT_TRUE(waitFor(
                [&] { return !dir.read("bkpzelto_Compactadores.Ini").contains("[Job1]"); }, 10000));
            EXPECT_EQ(again.terminate(), 0);
        }
        EXPECT_TRUE(dir.read("Saidas/1.txt").endsWith("linha 59\n"));
        test::TestDatabase check(dir.file("DataBase/BKPZELTO.FB"), false);
        db::Query q;
        q.setDatabase(check.get());
        q.setTransaction(check.transaction.get());
        q.setSqlText("select BACKUP_LASTSTART, BACKUP_LASTRUN, BACKUP_LASTERR from BACKUPS");
        q.open();
        EXPECT_FALSE(q.fieldByName("BACKUP_LASTSTART")->isNull());
        EXPECT_FALSE(q.fieldByName("BACKUP_LASTRUN")->isNull());
        EXPECT_TRUE(q.fieldByName("BACKUP_LASTERR")
                        ->asString()
                        .endsWith(" - resultado desconhecido: o programa foi reiniciado"))
            << q.fieldByName("BACKUP_LASTERR")->asString().toStdString();
    }
}
