#include "backup/archivers.h"
#include "backup/archiverun.h"
#include "backup/archiverwatch.h"
#include "backup/backupfolder.h"
#include "backup/folderrows.h"
#include "support/fixedclock.h"
#include "support/scripteddialogs.h"

#include "db/dataroutines.h"
#include "jobdb/datamodule.h"
#include "jobdb/jobclaim.h"
#include "jobdb/jobqueries.h"
#include "jobdb/schema.h"
#include "lib/calendar.h"
#include "lib/strings.h"
#include "platform/clock.h"
#include "platform/dialogs.h"
#include "platform/inifile.h"
#include "platform/process.h"
#include "support/firebird.h"
#include "support/recordingports.h"
#include "support/tempdir.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>
#include <gtest/gtest.h>
#include <optional>

#include "support/printers.h"

using namespace bkp;
using namespace bkp::backup;

inline void PrintTo(const QByteArray &b, std::ostream *os) {
    *os << '"' << b.toStdString() << '"';
}

namespace {

QByteArray readFile(const QString &path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

void writeFile(const QString &path, const QByteArray &content, const QDateTime &written = {}) {
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    f.write(content);
    f.flush(); // else the close would write the content, and the time, afterwards
    if (written.isValid()) {
        ASSERT_TRUE(f.setFileTime(written, QFileDevice::FileModificationTime));
    }
}

// Waits for a file the archiver writes last; empty when it does not come.
QByteArray waitForFile(const QString &path, int timeoutMs = 20000) {
    QElapsedTimer t;
    t.start();
    while (t.elapsed() < timeoutMs) {
        if (QFileInfo::exists(path))
            return readFile(path);
        QThread::msleep(50);
    }
    return QByteArray();
}

QStringList entries(const QString &folder) {
    return QDir(folder).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden,
                                  QDir::Name);
}

// Runs against a job database of the program's own schema, with the clock on
// Saturday 5 September 2026. Paths are short (the columns hold 50 characters) and
// the folder's own name has capitals, so the lower-cased paths the run builds only
// work through the file system's letter-case resolution.
class ArchiveRunTest : public ::testing::Test {
protected:
    ArchiveRunTest()
        : clock(QDateTime(QDate(2026, 9, 5), QTime(10, 0))), clockScope(&clock),
          sleeperScope(&sleeper), dialogsScope(&dialogs), base(QStringLiteral("/tmp/bk-XXXXXX")) {}

    void SetUp() override {
        ASSERT_TRUE(base.isValid());
        b = base.path();
        dm.IBDatabase1->setDatabaseName(dbDir.file("BKPZELTO.FB"));
        jobdb::MemoryLog log;
        ASSERT_TRUE(jobdb::OpenDatabaseTables(&dm, QString(), &log));
        dm.IBTransaction1->commitRetaining();
        queries = std::make_unique<jobdb::JobQueries>(&dm);
        context.DM = &dm;
        context.IBQuery_Backups = &queries->IBQuery_Backups;
        context.start = [this](const QString &line, int showMode) {
            lines.append(line);
            if (line.contains("winrar.exe"))
                recorderPending = true;
            showModes.append(showMode);
            return platform::winExec(line, showMode);
        };
    }

    void TearDown() override {
        queries.reset();
        // Give a recorder still running time to end before its folder goes.
        if (recorderPending)
            waitForFile(recorderOutput(), 10000);
    }

    // A job row; `tipo` null when it is an invalid QVariant.
    void addJob(int id, const QString &utilitario, const QString &parametros, const QString &folder,
                const QString &file, const QVariant &tipo, const QString &data = "'1-SEP-2026'") {
        db::ExecSQL(dm.IBDatabase1,
                    "insert into BACKUPS (ID, BACKUPNAME, BACKUPFILE, BACKUPFOLDER, BACKUPACTIVE, "
                    "TIPO, UTILITARIO, PARAMETROS, DATA, HORA) values (" +
                        QString::number(id) + ", 'DIARIO', " + QuotedText(file) + ", " +
                        QuotedText(folder) + ", 0, " +
                        (tipo.isValid() ? QString::number(tipo.toInt()) : QString("null")) + ", " +
                        QuotedText(utilitario) + ", " + QuotedText(parametros) + ", " + data +
                        ", '20:00')");
        dm.IBTransaction1->commitRetaining();
    }
    void addFiles(int id, int job, const QString &pasta, const QString &arquivos, int subfolder) {
        db::ExecSQL(dm.IBDatabase1,
                    "insert into ARQUIVOS (ID, BACKUP, PASTA, ARQUIVOS, SUBFOLDER) values (" +
                        QString::number(id) + ", " + QString::number(job) + ", " +
                        QuotedText(pasta) + ", " + QuotedText(arquivos) + ", " +
                        QString::number(subfolder) + ")");
        dm.IBTransaction1->commitRetaining();
    }
    void setTipo(int id, const QString &tipo) {
        db::ExecSQL(dm.IBDatabase1,
                    "update BACKUPS set TIPO=" + tipo + " where ID=" + QString::number(id));
        dm.IBTransaction1->commitRetaining();
    }
    QDate nextDate(int id) {
        db::Query q;
        q.setDatabase(dm.IBDatabase1);
        q.setSqlText("select DATA from BACKUPS where ID=" + QString::number(id));
        q.open();
        return ToQDate(q.fieldByName("DATA")->asDateTime());
    }

    // A recording archiver at "Meus Programas/WinRAR.exe": after a pause it writes
    // every argument ending in ".rar" as an archive (its content tells the run
    // apart), then one argument a line into "args.txt" beside itself.
    QString writeRecorder(int pauseSeconds = 0) {
        const QString path = b + "/Meus Programas/WinRAR.exe";
        writeFile(path,
                  "#!/bin/sh\n"
                  "sleep " +
                      QByteArray::number(pauseSeconds) +
                      "\n"
                      "dir=\"$(dirname \"$0\")\"\n"
                      "for a in \"$@\"; do case \"$a\" in *.rar) date +%s%N > \"$a\";; esac; done\n"
                      "for a in \"$@\"; do printf '%s\\n' \"$a\"; done > \"$dir/args.tmp\"\n"
                      "mv \"$dir/args.tmp\" \"$dir/args.txt\"\n");
        QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        return path;
    }
    QString recorderOutput() const { return b + "/Meus Programas/args.txt"; }
    QByteArray takeRecorderOutput() {
        const QByteArray out = waitForFile(recorderOutput());
        QFile::remove(recorderOutput());
        recorderPending = false;
        return out;
    }

    // The worked job: two file-set rows without sub-folders, the archive of the
    // previous run written on Friday 4 September 2026 at 20:05.
    void workedJob(int id, const QVariant &tipo, int recorderPause = 0) {
        writeRecorder(recorderPause);
        folder = SetPathBackup("DIARIO", b + "/dados");
        addJob(id, b.toUpper() + "/MEUS PROGRAMAS/WINRAR.EXE", "a -dh -r", folder, "DIARIO", tipo);
        addFiles(10 * id + 1, id, b.toUpper() + "/DADOS", "*.DBF  *.CDX ", 1);
        addFiles(10 * id + 2, id, b.toUpper() + "/SISTEMA/CONFIG", "*.INI", 1);
        writeFile(folder + "/diario.rar", "previous", QDateTime(QDate(2026, 9, 4), QTime(20, 5)));
    }

    platform::FixedClock clock;
    platform::ScopedClock clockScope;
    platform::RecordingSleeper sleeper;
    platform::ScopedSleeper sleeperScope;
    platform::ScriptedDialogs dialogs;
    platform::ScopedDialogs dialogsScope;
    QTemporaryDir base;
    test::TempDir dbDir;
    QString b;      // the base folder, as it really is spelt
    QString folder; // the job's folder as stored
    jobdb::TDM dm;
    std::unique_ptr<jobdb::JobQueries> queries;
    ArchiveRunContext context;
    QStringList lines;
    QList<int> showModes;
    bool recorderPending = false;
};

} // namespace

TEST(ArchiveExtension, ComesFromTheArchiverProgram) {
    EXPECT_EQ(ArchiveExtension("c:\\arquivos de programas\\winrar\\winrar.exe"), ".rar");
    EXPECT_EQ(ArchiveExtension("/opt/WinArj.exe"), ".arj");
    EXPECT_EQ(ArchiveExtension("/opt/winzip.exe"), ".zip");
    EXPECT_EQ(ArchiveExtension("/opt/WINZIP32.EXE"), ".zip");
    // Tested in order, the last match winning.
    EXPECT_EQ(ArchiveExtension("/winrar.exe/winarj.exe"), ".arj");
    EXPECT_EQ(ArchiveExtension("/winzip32.exe/winrar.exe"), ".zip");
    // Archivers installed under their plain names.
    EXPECT_EQ(ArchiveExtension("/usr/bin/rar"), ".rar");
    EXPECT_EQ(ArchiveExtension("/usr/bin/arj "), ".arj");
    EXPECT_EQ(ArchiveExtension("zip"), ".zip");
    EXPECT_EQ(ArchiveExtension("/usr/bin/unrar"), "");
    // 7-Zip under each of its names.
    EXPECT_EQ(ArchiveExtension("/usr/bin/7zz"), ".7z");
    EXPECT_EQ(ArchiveExtension("/usr/bin/7z"), ".7z");
    EXPECT_EQ(ArchiveExtension("/opt/7ZA"), ".7z");
    EXPECT_EQ(ArchiveExtension("/usr/bin/7zr"), "");
    EXPECT_EQ(ArchiveExtension("/usr/bin/rar.sh"), "");
    EXPECT_EQ(ArchiveExtension(""), "");
}

TEST_F(ArchiveRunTest, TheWorkedJobRotatesStartsItsCommandLineAndMovesTheDate) {
    workedJob(3, 0, 3);
    writeFile(folder + "/Sexta.rar", "a week old");
    queries->IBQuery_Backups.open();
    ASSERT_TRUE(queries->IBQuery_Backups.locate("ID", 3));

    const ArchiveRunResult r = runArchive(context, 3);
    EXPECT_TRUE(r.jobFound);
    const QString l = LowerCaseAZ(b);
    EXPECT_EQ(r.folder, l + "/dados/backups/diario/");
    EXPECT_EQ(r.archivePath, l + "/dados/backups/diario/diario.rar");

    // The run did not wait for the archiver, which is still in its pause.
    EXPECT_FALSE(QFileInfo::exists(recorderOutput()));
    EXPECT_FALSE(QFileInfo::exists(folder + "/diario.rar"));
    // The old archive now carries the weekday of its last write, replacing the
    // archive that had that name.
    EXPECT_EQ(readFile(folder + "/Sexta.rar"), "previous");
    EXPECT_EQ(r.rotatedTo, l + "/dados/backups/diario/Sexta.rar");

    ASSERT_EQ(lines.size(), 1);
    EXPECT_EQ(lines[0], l + "/meus programas/winrar.exe a -dh  " + l +
                            "/dados/backups/diario/diario.rar  " + l + "/dados/*.dbf " + l +
                            "/dados/*.cdx " + l + "/sistema/config/*.ini");
    EXPECT_EQ(r.commandLine, lines[0]);
    EXPECT_EQ(showModes, QList<int>{5});
    EXPECT_TRUE(r.started);
    EXPECT_EQ(r.updateSql, "Update Backups\r\nSet\r\nData='6-SEP-2026'\r\nWhere ID=3");
    EXPECT_EQ(nextDate(3), QDate(2026, 9, 6));
    // The grid's row was read again.
    EXPECT_EQ(ToQDate(queries->IBQuery_Backups.fieldByName("DATA")->asDateTime()),
              QDate(2026, 9, 6));
    EXPECT_EQ(queries->IBQuery_Backups.fieldByName("ID")->asInteger(), 3);

    // The archiver got the words of the line, its paths as they are spelt here.
    EXPECT_EQ(QString::fromUtf8(takeRecorderOutput()), "a\n-dh\n" + folder + "/diario.rar\n" + b +
                                                           "/dados/*.dbf\n" + b + "/dados/*.cdx\n" +
                                                           b + "/sistema/config/*.ini\n");
    // One folder, in the case SetPathBackup gave it: no lower-case twin appeared.
    EXPECT_EQ(entries(b + "/dados"), QStringList{"BACKUPS"});
    EXPECT_EQ(entries(folder), QStringList({"Sexta.rar", "diario.rar"}));
    if (l != b) {
        EXPECT_FALSE(QFileInfo::exists(l));
    }
    EXPECT_TRUE(dialogs.shown().isEmpty());
}

TEST_F(ArchiveRunTest, EachRotationTypeNamesTheOldArchiveByItsDate) {
    workedJob(3, 0);
    const QList<QPair<QString, QString>> types = {
        {"1", "Mensal04.rar"}, {"2", "Semana36.rar"}, {"3", "Setembro.rar"},
        {"4", "Anual248.rar"}, {"-1", "Sexta.rar"},   {"null", "Sexta.rar"},
    };
    for (const auto &[tipo, name] : types) {
        setTipo(3, tipo);
        for (const QString &e : entries(folder))
            QFile::remove(folder + "/" + e);
        writeFile(folder + "/diario.rar", "previous " + tipo.toUtf8(),
                  QDateTime(QDate(2026, 9, 4), QTime(20, 5)));
        const ArchiveRunResult r = runArchive(context, 3);
        EXPECT_EQ(readFile(folder + "/" + name), "previous " + tipo.toUtf8()) << tipo.toStdString();
        EXPECT_EQ(QFileInfo(r.rotatedTo).fileName(), name);
        takeRecorderOutput(); // the recorder has written the new diario.rar
        EXPECT_EQ(entries(folder), QStringList({name, "diario.rar"})) << tipo.toStdString();
    }
    // A week number from the end of December stays in week 53.
    setTipo(3, "2");
    writeFile(folder + "/diario.rar", "december", QDateTime(QDate(2024, 12, 30), QTime(9, 0)));
    runArchive(context, 3);
    EXPECT_EQ(readFile(folder + "/Semana53.rar"), "december");
    takeRecorderOutput();
}

TEST_F(ArchiveRunTest, TwoDayOfYearRunsOnOneDayRotateToTheSameName) {
    workedJob(3, 4);
    runArchive(context, 3);
    EXPECT_EQ(readFile(folder + "/Anual248.rar"), "previous");
    takeRecorderOutput();
    // The recorder wrote a new archive; it now has today's real date, and type 4
    // still goes by the date of the run.
    const QByteArray second = readFile(folder + "/diario.rar");
    ASSERT_FALSE(second.isEmpty());
    clock.set(QDateTime(QDate(2026, 9, 5), QTime(18, 0)));
    runArchive(context, 3);
    EXPECT_EQ(readFile(folder + "/Anual248.rar"), second);
    takeRecorderOutput();
    EXPECT_EQ(entries(folder), QStringList({"Anual248.rar", "diario.rar"}));
}

TEST_F(ArchiveRunTest, TheOldArchiveIsNamedByItsRealLastWriteTime) {
    workedJob(3, 0);
    QFile::remove(folder + "/diario.rar");
    runArchive(context, 3); // first run: nothing to rotate
    takeRecorderOutput();
    EXPECT_EQ(entries(folder), QStringList{"diario.rar"});
    const QDateTime written = QFileInfo(folder + "/diario.rar").lastModified();
    const QByteArray content = readFile(folder + "/diario.rar");
    runArchive(context, 3);
    takeRecorderOutput();
    const QString expected = WeekdayName(FromQDateTime(written)) + ".rar";
    EXPECT_EQ(readFile(folder + "/" + expected), content) << expected.toStdString();
}

TEST_F(ArchiveRunTest, SwitchesParametersAndFileSetsAsTheRowsSay) {
    writeRecorder();
    folder = SetPathBackup("DIARIO", b + "/dados");
    const QString prog = b + "/meus programas/winrar.exe";
    const QString l = LowerCaseAZ(b);
    // No rows: "-r" goes in any case, even inside a switch; the line ends with the
    // archive and a blank.
    addJob(1, prog, "a -ri1 -R", folder, "DIARIO", 0);
    runArchive(context, 1);
    ASSERT_EQ(lines.size(), 1);
    EXPECT_EQ(lines[0],
              l + "/meus programas/winrar.exe a i1  " + l + "/dados/backups/diario/diario.rar ");
    takeRecorderOutput();

    // One row wants sub-folders: the switches stay as stored. An empty mask gives
    // the folder itself; a folder with a blank is two words; accented capitals in a
    // folder stay capitals.
    addJob(2, prog, "A -DH -R", folder, "DIARIO", 0);
    addFiles(21, 2, "/DADOS/AÇÃO", "", 1);
    addFiles(22, 2, "/MEUS DOCS", "*.DOC", 0);
    addFiles(23, 2, "/X", "*.A *.B", 1);
    runArchive(context, 2);
    ASSERT_EQ(lines.size(), 2);
    EXPECT_EQ(lines[1], l + "/meus programas/winrar.exe a -dh -r " + l +
                            "/dados/backups/diario/diario.rar  " +
                            QString::fromUtf8("/dados/aÇÃo/ /meus docs/*.doc /x/*.a /x/*.b"));
    EXPECT_EQ(QString::fromUtf8(takeRecorderOutput()).split('\n').mid(4, 4),
              QStringList({QString::fromUtf8("/dados/aÇÃo/"), "/meus", "docs/*.doc", "/x/*.a"}));
}

TEST_F(ArchiveRunTest, AManualRunSetsTomorrowAndAnArchiverThatCannotStartIsIgnored) {
    folder = SetPathBackup("DIARIO", b + "/dados");
    addJob(4, "/nao/existe/winrar.exe", "a", folder, "DIARIO", 0, "'12-SEP-2026'");
    writeFile(folder + "/diario.rar", "previous", QDateTime(QDate(2026, 9, 4), QTime(20, 5)));
    queries->IBQuery_Backups.open();
    const ArchiveRunResult r = runSelectedJob(context);
    EXPECT_TRUE(r.jobFound);
    EXPECT_FALSE(r.started);
    EXPECT_EQ(lines.size(), 1);
    EXPECT_EQ(nextDate(4), QDate(2026, 9, 6));
    EXPECT_EQ(readFile(folder + "/Sexta.rar"), "previous");
    EXPECT_TRUE(dialogs.shown().isEmpty());
}

TEST_F(ArchiveRunTest, AnArchiverOutsideTheTableGivesNoExtension) {
    folder = SetPathBackup("DIARIO", b + "/dados");
    addJob(5, "/nao/existe/tar", "a", folder, "DIARIO", 1);
    writeFile(folder + "/diario", "previous", QDateTime(QDate(2026, 9, 4), QTime(20, 5)));
    writeFile(folder + "/diario.rar", "of another job");
    const ArchiveRunResult r = runArchive(context, 5);
    EXPECT_EQ(r.archivePath, LowerCaseAZ(b) + "/dados/backups/diario/diario");
    EXPECT_EQ(readFile(folder + "/Mensal04"), "previous");
    EXPECT_EQ(readFile(folder + "/diario.rar"), "of another job");
}

TEST_F(ArchiveRunTest, ATypeAboveFourMovesNothing) {
    workedJob(6, 5, 3); // the archiver waits, so the old archive is still as it was
    writeFile(b + "/dados/BACKUPS/outro.rar", "x");
    writeFile(b + "/dados/DIARIO.rar", "y");
    const QStringList before =
        entries(folder) + entries(b + "/dados/BACKUPS") + entries(b + "/dados");
    const ArchiveRunResult r = runArchive(context, 6);
    EXPECT_TRUE(r.rotatedTo.isEmpty());
    EXPECT_EQ(entries(folder) + entries(b + "/dados/BACKUPS") + entries(b + "/dados"), before);
    EXPECT_EQ(lines.size(), 1); // the archiver still runs
    EXPECT_EQ(nextDate(6), QDate(2026, 9, 6));
    takeRecorderOutput();
}

// The job row locked by another program: the next date cannot be stored, the job
// stays due, and the repeats must not rotate the archive just written onto last
// week's name.
TEST_F(ArchiveRunTest, ARunWhoseDateCouldNotBeStoredIsNotRepeated) {
    PendingNextDates pending;
    context.pending = &pending;
    workedJob(3, 0);
    writeFile(folder + "/Sexta.rar", "a week old");
    db::Transaction other(dm.IBDatabase1);
    other.setParams({"read_committed", "rec_version", "nowait"});
    db::Query lock;
    lock.setDatabase(dm.IBDatabase1);
    lock.setTransaction(&other);
    lock.setSqlText("update BACKUPS set HORA='21:00' where ID=3");
    lock.execSQL();

    EXPECT_THROW(runArchive(context, 3), db::DatabaseError); // said once
    EXPECT_EQ(takeRecorderOutput().isEmpty(), false);
    EXPECT_EQ(readFile(folder + "/Sexta.rar"), "previous");
    // The archiver's archive of this run, rotated away by a repeat, would replace it.
    writeFile(folder + "/diario.rar", "tonight", QDateTime(QDate(2026, 9, 5), QTime(20, 0)));
    for (int repeat = 0; repeat < 2; ++repeat) {
        const ArchiveRunResult r = runArchive(context, 3);
        EXPECT_TRUE(r.rotatedTo.isEmpty());
        EXPECT_TRUE(r.commandLine.isEmpty());
    }
    EXPECT_EQ(readFile(folder + "/Sexta.rar"), "previous");
    EXPECT_EQ(readFile(folder + "/diario.rar"), "tonight");
    EXPECT_EQ(nextDate(3), QDate(2026, 9, 1));

    other.rollback();
    runArchive(context, 3);
    EXPECT_TRUE(pending.isEmpty());
    EXPECT_EQ(nextDate(3), QDate(2026, 9, 6));
    EXPECT_EQ(readFile(folder + "/diario.rar"), "tonight");
}

// A scheduled run whose job already started today at or after its time (the
// program was restarted after its date could not be stored) only stores the date;
// a run by hand, or one that started before the time or on another day, runs.
TEST_F(ArchiveRunTest, AScheduledRunAlreadyStartedTodayOnlyStoresTheDate) {
    const struct {
        const char *lastStart;
        bool scheduled;
        bool runs;
    } cases[] = {
        {"'5-SEP-2026 20:05'", true, false},
        {"'5-SEP-2026 20:05'", false, true},
        {"'5-SEP-2026 19:00'", true, true},
        {"'4-SEP-2026 20:05'", true, true},
        {"null", true, true},
    };
    clock.set(QDateTime(QDate(2026, 9, 5), QTime(20, 30)));
    for (const auto &c : cases) {
        SCOPED_TRACE(std::string(c.lastStart) + (c.scheduled ? " scheduled" : " by hand"));
        workedJob(3, 0);
        writeFile(folder + "/Sexta.rar", "a week old");
        db::ExecSQL(dm.IBDatabase1,
                    QStringLiteral("update BACKUPS set BACKUP_LASTSTART=%1 where ID=3")
                        .arg(QLatin1String(c.lastStart)));
        dm.IBTransaction1->commitRetaining();
        ArchiveRunResult r;
        if (c.scheduled) {
            // The schedule runs a job under its claim; "&Backup" takes one of its own.
            jobdb::JobClaim claim(dm.IBDatabase1);
            ASSERT_TRUE(claim.take(3));
            context.claim = &claim;
            r = runArchive(context, 3);
            context.claim = nullptr;
        } else {
            queries->IBQuery_Backups.close();
            queries->IBQuery_Backups.open();
            r = runSelectedJob(context);
        }
        EXPECT_EQ(r.commandLine.isEmpty(), !c.runs);
        EXPECT_EQ(readFile(folder + "/Sexta.rar"), c.runs ? "previous" : "a week old");
        if (c.runs)
            takeRecorderOutput();
        EXPECT_EQ(nextDate(3), QDate(2026, 9, 6));
        db::ExecSQL(dm.IBDatabase1, QStringLiteral("delete from ARQUIVOS"));
        db::ExecSQL(dm.IBDatabase1, QStringLiteral("delete from BACKUPS"));
        dm.IBTransaction1->commitRetaining();
    }
}

// "&Backup" on a job whose row another program on the database holds (it is
// archiving or sending it) is refused with a message: nothing is rotated or
// started and the date stays. Once the other program lets go, the run goes on.
TEST_F(ArchiveRunTest, ARunByHandOfAJobAnotherProgramHoldsIsRefused) {
    workedJob(3, 0);
    queries->IBQuery_Backups.open();
    test::TestDatabase other(dm.IBDatabase1->databaseName(), false);
    db::ExecSQL(other.get(), "update BACKUPS set HORA='21:00' where ID=3");

    ArchiveRunResult r = runSelectedJob(context);
    EXPECT_TRUE(r.refused);
    ASSERT_EQ(dialogs.shown().size(), 1);
    EXPECT_EQ(dialogs.shown().first().text, jobdb::JobClaim::ClaimedElsewhereText("DIARIO"));
    EXPECT_TRUE(lines.isEmpty());
    EXPECT_EQ(readFile(folder + "/diario.rar"), "previous");
    EXPECT_EQ(nextDate(3), QDate(2026, 9, 1));

    other.transaction->rollback();
    r = runSelectedJob(context);
    EXPECT_FALSE(r.commandLine.isEmpty());
    EXPECT_EQ(readFile(folder + "/Sexta.rar"), "previous");
    EXPECT_EQ(nextDate(3), QDate(2026, 9, 6));
    takeRecorderOutput();
}

// A name leading out of the folder, or a wildcard that would make the rotation's
// mask match last week's archives: nothing is rotated, deleted or started.
TEST_F(ArchiveRunTest, AnArchiveNameLeadingOutOfTheFolderOrMatchingOthersTouchesNothing) {
    const QString folder = b + "/dados/BACKUPS/DIARIO";
    for (const char *name : {"../../ab", "*", "?????"}) {
        SCOPED_TRACE(name);
        addJob(9, b + "/meus programas/winrar.exe", "a", folder, QString::fromLatin1(name), 0);
        writeFile(b + "/dados/ab.rar", "outside");
        QDir().mkpath(folder);
        writeFile(folder + "/Terça.rar", "last week");
        writeRecorder();
        const QStringList before = entries(b) + entries(b + "/dados") + entries(folder);
        const int boxes = int(dialogs.shown().size());
        const ArchiveRunResult r = runArchive(context, 9);
        EXPECT_TRUE(r.rotatedTo.isEmpty());
        EXPECT_TRUE(r.commandLine.isEmpty());
        EXPECT_TRUE(lines.isEmpty());
        EXPECT_EQ(readFile(b + "/dados/ab.rar"), "outside");
        EXPECT_EQ(readFile(folder + "/Terça.rar"), "last week");
        EXPECT_EQ(entries(b) + entries(b + "/dados") + entries(folder), before);
        ASSERT_EQ(int(dialogs.shown().size()), boxes + 1);
        EXPECT_EQ(dialogs.shown().last().text, ArchiveNameRefusedText(QString::fromLatin1(name)));
        db::ExecSQL(dm.IBDatabase1, QStringLiteral("delete from BACKUPS where ID=9"));
        dm.IBTransaction1->commitRetaining();
    }
}

TEST_F(ArchiveRunTest, AJobWithoutRowOrFolderStartsNothing) {
    const bool rootBackups = QFileInfo::exists("/Backups") || QFileInfo::exists("/backups");
    queries->IBQuery_Backups.open();
    ArchiveRunResult r = runArchive(context, 99);
    EXPECT_FALSE(r.jobFound);
    EXPECT_TRUE(r.updateSql.isEmpty());
    // An empty job list has no current row for the button.
    r = runSelectedJob(context);
    EXPECT_FALSE(r.jobFound);

    addJob(7, b + "/meus programas/winrar.exe", "a", "  ", "DIARIO", 0, "'1-SEP-2026'");
    writeRecorder();
    r = runArchive(context, 7);
    EXPECT_TRUE(r.jobFound);
    EXPECT_TRUE(r.folder.isEmpty());
    EXPECT_TRUE(r.commandLine.isEmpty());
    EXPECT_TRUE(lines.isEmpty());
    // Its date still moves on, so that it does not hold up the jobs after it.
    EXPECT_EQ(nextDate(7), QDate(2026, 9, 6));
    if (!rootBackups) {
        EXPECT_FALSE(QFileInfo::exists("/Backups"));
        EXPECT_FALSE(QFileInfo::exists("/backups"));
    }
}

TEST_F(ArchiveRunTest, ARowBeingEditedIsNotStoredByTheRun) {
    workedJob(3, 0);
    queries->IBQuery_Backups.open();
    queries->IBQuery_Backups.edit();
    queries->IBQuery_Backups.fieldByName("BACKUPNAME")->setValue(QString("MEIO"));
    runArchive(context, 3);
    EXPECT_EQ(queries->IBQuery_Backups.state(), db::DataSetState::Edit);
    queries->IBQuery_Backups.cancel();
    db::Query q;
    q.setDatabase(dm.IBDatabase1);
    q.setSqlText("select BACKUPNAME from BACKUPS where ID=3");
    q.open();
    EXPECT_EQ(q.field(0)->asString(), "DIARIO");
    takeRecorderOutput();
}

TEST_F(ArchiveRunTest, ARealArchiverWritesTheArchiveAndTheNextRunRotatesIt) {
    if (!QFileInfo::exists("/usr/bin/arj"))
        GTEST_SKIP() << "arj is not installed";
    folder = SetPathBackup("DIARIO", b + "/dados");
    // arj matches masks with their letter case: the files are in lower case.
    writeFile(b + "/fontes/a.dbf", "alpha");
    writeFile(b + "/fontes/sub/b.dbf", "beta");
    writeFile(b + "/fontes/c.txt", "gamma");
    addJob(8, "/usr/bin/arj", "a -r", folder, "DIARIO", 0);
    addFiles(81, 8, b.toUpper() + "/FONTES", "*.DBF", 0);

    auto waitForArchive = [&](const QString &path) {
        QElapsedTimer t;
        t.start();
        while (t.elapsed() < 30000) {
            if (QFileInfo::exists(path) &&
                QProcess::execute("/usr/bin/arj", {"t", path, "-y"}) == 0)
                return true;
            QThread::msleep(200);
        }
        return false;
    };
    auto listing = [](const QString &path) {
        QProcess p;
        p.start("/usr/bin/arj", {"l", path});
        p.waitForFinished(30000);
        return QString::fromLocal8Bit(p.readAllStandardOutput());
    };

    ArchiveRunResult r = runArchive(context, 8);
    EXPECT_EQ(r.commandLine, "/usr/bin/arj a -r " + LowerCaseAZ(b) +
                                 "/dados/backups/diario/diario.arj  " + LowerCaseAZ(b) +
                                 "/fontes/*.dbf");
    ASSERT_TRUE(waitForArchive(folder + "/diario.arj"));
    QString list = listing(folder + "/diario.arj");
    EXPECT_TRUE(list.contains("a.dbf")) << list.toStdString();
    EXPECT_TRUE(list.contains("b.dbf")) << list.toStdString();
    EXPECT_FALSE(list.contains("c.txt")) << list.toStdString();

    // The next run renames it by its last write and writes a new one.
    const TDateTime written = FromQDateTime(QFileInfo(folder + "/diario.arj").lastModified());
    const QString rotated = folder + "/" + WeekdayName(written) + ".arj";
    r = runArchive(context, 8);
    EXPECT_EQ(QFileInfo(r.rotatedTo).fileName(), WeekdayName(written) + ".arj");
    ASSERT_TRUE(waitForArchive(folder + "/diario.arj"));
    EXPECT_TRUE(listing(rotated).contains("a.dbf"));
    EXPECT_TRUE(listing(folder + "/diario.arj").contains("a.dbf"));
    EXPECT_EQ(entries(folder), QStringList({WeekdayName(written) + ".arj", "diario.arj"}));
}

namespace {

// The archive runs watched to their end, with the outcome recorded in the job.
class WatchedRunTest : public ArchiveRunTest {
protected:
    void SetUp() override {
        ArchiveRunTest::SetUp();
        watch = std::make_unique<ArchiverWatch>(dm.IBDatabase1, &tray, b + "/BKPZELTO.Ini");
        context.watch = watch.get();
    }
    void TearDown() override {
        watch.reset();
        ArchiveRunTest::TearDown();
    }

    // An archiver named `name` in a folder of its own that writes a line of output,
    // writes the archive it is given (an argument ending in `ext`) unless told not to,
    // and ends as `end` says (a shell command: "exit 1", "kill -TERM $$", ...).
    QString writeArchiver(const QString &folderName, const QString &ext, bool writes,
                          const QString &end, const QString &name = "arj") {
        const QString path = b + "/" + folderName + "/" + name;
        QByteArray body = "#!/bin/sh\necho \"saida do compactador: $1\"\necho erro >&2\n";
        if (writes)
            body += "for a in \"$@\"; do case \"$a\" in *" + ext.toUtf8() +
                    ") echo arquivo > \"$a\";; esac; done\n";
        body += end.toUtf8() + "\n";
        writeFile(path, body);
        QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        return path;
    }
    // Runs the job and waits for its end to be recorded.
    RunOutcome runToTheEnd(int id) {
        QSignalSpy ended(watch.get(), &ArchiverWatch::runEnded);
        runArchive(context, id);
        if (ended.isEmpty() && !ended.wait(30000))
            return {RunOutcome::Kind::Good, "no end"};
        return ended.first().at(1).value<RunOutcome>();
    }
    QVariant column(int id, const QString &name) {
        db::Query q;
        q.setDatabase(dm.IBDatabase1);
        q.setSqlText("select " + name + " from BACKUPS where ID=" + QString::number(id));
        q.open();
        return q.field(0)->value();
    }

    RecordingTray tray;
    std::unique_ptr<ArchiverWatch> watch;
};

} // namespace

TEST_F(WatchedRunTest, EachEndOfTheArchiverIsRecordedInTheJob) {
    using K = RunOutcome::Kind;
    const QString stamp = DateTimeToStr(Now()) + " - ";
    struct Case {
        QString name;
        QString archiver; // empty: none
        bool writes;
        QString end;
        K kind;
        QString text;
    };
    const QList<Case> cases = {
        {"clean", "arj", true, "exit 0", K::Good, ""},
        {"warning", "arj", true, "exit 1", K::Warning,
         "Compactador terminou com avisos (código 1)"},
        {"error", "arj", true, "exit 2", K::Failed, "Compactador terminou com código 2"},
        {"signal", "arj", true, "kill -TERM $$", K::Failed,
         "Compactador interrompido pelo sinal 15"},
        {"nothing", "arj", false, "exit 0", K::Failed, "Compactador terminou sem gerar diario.arj"},
        {"missing", "", false, "", K::Failed, "Compactador não pôde ser iniciado: "},
    };
    int id = 0;
    for (const Case &c : cases) {
        ++id;
        SCOPED_TRACE(c.name.toStdString());
        const QString stored = SetPathBackup("DIARIO", b + "/" + c.name);
        const QString program = c.archiver.isEmpty()
                                    ? b + "/nao/existe/arj"
                                    : writeArchiver("bin-" + c.name, ".arj", c.writes, c.end);
        addJob(id, program, "a", stored, "DIARIO", 0);
        const int balloons = tray.balloons().size();

        const RunOutcome o = runToTheEnd(id);
        const QString text =
            c.text.isEmpty() ? ""
                             : stamp + c.text + (c.archiver.isEmpty() ? LowerCaseAZ(program) : "");
        EXPECT_EQ(o.kind, c.kind);
        EXPECT_EQ(o.text, text);
        EXPECT_EQ(column(id, "BACKUP_LASTSTART").toDateTime(), ToQDateTime(Now()));
        EXPECT_EQ(column(id, "BACKUP_LASTRUN").isNull(), c.kind == K::Failed);
        EXPECT_EQ(column(id, "BACKUP_LASTERR").toString(), text.left(80));
        EXPECT_EQ(nextDate(id), QDate(2026, 9, 6));
        EXPECT_FALSE(watch->running(id));
        // One balloon for a failure, one warning for a warning, none for a clean end.
        if (c.kind == K::Good) {
            EXPECT_EQ(tray.balloons().size(), balloons);
        } else {
            ASSERT_EQ(tray.balloons().size(), balloons + 1);
            const RecordingTray::Balloon &ball = tray.balloons().last();
            EXPECT_EQ(ball.title, c.kind == K::Failed ? "Erro no backup" : "Backup com avisos");
            EXPECT_EQ(ball.text, text);
            EXPECT_EQ(ball.kind, c.kind == K::Failed ? TrayPort::BalloonKind::Error
                                                     : TrayPort::BalloonKind::Warning);
        }
        // The archiver's own words, standard output and error, are kept for the job.
        if (!c.archiver.isEmpty()) {
            EXPECT_EQ(readFile(watch->outputFile(id)), "saida do compactador: a\nerro\n");
        }
    }
    // Nothing waits in the list of running archivers.
    EXPECT_TRUE(platform::IniFile(watch->stateFile()).readSections().isEmpty());
}

// Thousands of file-set rows make a line longer than the system takes: the start is
// refused, and the run is recorded as failed with the line's size.
TEST_F(WatchedRunTest, ACommandLineTooLongToStartIsAFailedRun) {
    const QString stored = SetPathBackup("DIARIO", b + "/longa");
    addJob(1, writeArchiver("bin-longa", ".arj", true, "exit 0"), "a", stored, "DIARIO", 0);
    // 60 one-letter masks below a 60-character folder: about 4 KB of arguments a
    // row, 8 MB in all, above what the system takes even without a stack limit.
    const QString pasta = "/" + QString(59, 'p');
    const QString masks = QString("a ").repeated(60).trimmed();
    for (int row = 0; row < 2000; ++row)
        db::ExecSQL(dm.IBDatabase1,
                    "insert into ARQUIVOS (ID, BACKUP, PASTA, ARQUIVOS, SUBFOLDER) values (" +
                        QString::number(100 + row) + ", 1, '" + pasta + "', '" + masks + "', 1)");
    dm.IBTransaction1->commitRetaining();

    const RunOutcome o = runToTheEnd(1);
    EXPECT_EQ(o.kind, RunOutcome::Kind::Failed);
    EXPECT_TRUE(o.text.startsWith(DateTimeToStr(Now()) + " - Linha de comando longa demais: "))
        << o.text.toStdString();
    EXPECT_EQ(column(1, "BACKUP_LASTERR").toString(), o.text.left(80));
    EXPECT_TRUE(column(1, "BACKUP_LASTRUN").isNull());
    EXPECT_EQ(nextDate(1), QDate(2026, 9, 6));
    EXPECT_FALSE(watch->running(1));
}

// A slow archiver: a second run of the job while it writes is refused, and the
// output is cut to its last 64 KB when it ends.
TEST_F(WatchedRunTest, ARunningArchiverIsNotRotatedUnderItselfAndItsOutputIsCut) {
    const QString stored = SetPathBackup("DIARIO", b + "/lento");
    const QString program = writeArchiver("bin", ".arj", true,
                                          "i=0; while [ $i -lt 2000 ]; do echo "
                                          "linha-$i-0123456789012345678901234567890123456789; "
                                          "i=$((i+1)); done; sleep 2");
    addJob(1, program, "a", stored, "DIARIO", 0);
    QSignalSpy ended(watch.get(), &ArchiverWatch::runEnded);
    runArchive(context, 1);
    ASSERT_TRUE(watch->running(1));
    EXPECT_TRUE(column(1, "BACKUP_LASTRUN").isNull());

    queries->IBQuery_Backups.open();
    ASSERT_TRUE(queries->IBQuery_Backups.locate("ID", 1));
    const ArchiveRunResult manual = runSelectedJob(context);
    EXPECT_TRUE(manual.refused);
    ASSERT_EQ(dialogs.shown().size(), 1);
    EXPECT_EQ(dialogs.shown().first().text, StillRunningText() + ".");
    const ArchiveRunResult scheduled = runArchive(context, 1);
    EXPECT_TRUE(scheduled.refused);
    EXPECT_TRUE(scheduled.rotatedTo.isEmpty());
    EXPECT_TRUE(scheduled.commandLine.isEmpty());
    EXPECT_EQ(tray.balloons().last().title, "Erro no backup");

    ASSERT_TRUE(QTest::qWaitFor([&] { return !watch->running(1); }, 30000));
    EXPECT_EQ(entries(stored), QStringList{"diario.arj"});
    EXPECT_FALSE(column(1, "BACKUP_LASTRUN").isNull());
    const QByteArray output = readFile(watch->outputFile(1));
    EXPECT_LE(output.size(), 64 * 1024);
    EXPECT_GT(output.size(), 60 * 1024);
    EXPECT_TRUE(output.startsWith("linha-")) << output.left(60).toStdString();
    EXPECT_TRUE(output.endsWith("linha-1999-0123456789012345678901234567890123456789\n"));
}

// The program ends while its archiver runs: the archiver goes on, and a program
// started again watches it and records its end, whose code it cannot know.
TEST_F(WatchedRunTest, AProgramStartedAgainRecordsTheEndOfAnArchiverStillRunning) {
    const QString stored = SetPathBackup("DIARIO", b + "/dados");
    addJob(1, writeArchiver("bin1", ".arj", true, "sleep 2"), "a", stored, "DIARIO", 0);
    addJob(2, writeArchiver("bin2", ".arj", false, "sleep 2"), "a",
           SetPathBackup("OUTRO", b + "/dados"), "OUTRO", 0);
    runArchive(context, 1);
    runArchive(context, 2);
    ASSERT_TRUE(watch->running(1));
    watch.reset(); // the program ends

    ArchiverWatch again(dm.IBDatabase1, &tray, b + "/BKPZELTO.Ini");
    QSignalSpy ended(&again, &ArchiverWatch::runEnded);
    again.resume();
    EXPECT_TRUE(again.running(1));
    EXPECT_TRUE(again.running(2));
    ASSERT_TRUE(QTest::qWaitFor([&] { return ended.size() == 2; }, 30000));
    EXPECT_TRUE(QFileInfo::exists(stored + "/diario.arj"));
    EXPECT_FALSE(column(1, "BACKUP_LASTRUN").isNull());
    EXPECT_EQ(column(1, "BACKUP_LASTERR").toString(),
              DateTimeToStr(Now()) + " - resultado desconhecido: o programa foi reiniciado");
    EXPECT_TRUE(column(2, "BACKUP_LASTRUN").isNull());
    EXPECT_EQ(column(2, "BACKUP_LASTERR").toString(),
              DateTimeToStr(Now()) + " - Compactador terminou sem gerar outro.arj");
    context.watch = nullptr;
}

// The archivers of this desktop, real ones: each archive is written, recorded as a
// good run, listed, and rotated by the next run.
TEST_F(WatchedRunTest, RealArchiversAreRecordedListedAndRotated) {
    for (const char *program : {"/usr/bin/arj", "/usr/bin/7zz"}) {
        if (!QFileInfo::exists(program))
            GTEST_SKIP() << program << " is not installed";
    }
    writeFile(b + "/fontes/a.dbf", "alpha");
    writeFile(b + "/fontes/sub/b.dbf", "beta");
    int id = 0;
    for (const char *name : {"/usr/bin/arj", "/usr/bin/7zz"}) {
        const QString program = name;
        ++id;
        SCOPED_TRACE(program.toStdString());
        const QString ext = ArchiveExtension(program);
        const QString stored = SetPathBackup("DIARIO", b + "/real" + QString::number(id));
        addJob(id, program, "a -r", stored, "DIARIO", 0);
        addFiles(10 * id, id, b.toUpper() + "/FONTES", "*.DBF", 0);
        EXPECT_EQ(runToTheEnd(id).kind, RunOutcome::Kind::Good);
        EXPECT_TRUE(column(id, "BACKUP_LASTERR").isNull());
        const TDateTime written = FromQDateTime(QFileInfo(stored + "/diario" + ext).lastModified());
        EXPECT_EQ(runToTheEnd(id).kind, RunOutcome::Kind::Good);
        QStringList listed;
        for (const FolderRow &row : LocalFolderRows(stored, ext))
            listed << row.name;
        listed.sort();
        EXPECT_EQ(listed, QStringList({WeekdayName(written) + ext, "diario" + ext}));
        EXPECT_FALSE(readFile(watch->outputFile(id)).isEmpty());
    }
}

// The archiver of a new job is looked up in PATH, in the order rar, 7zz, 7z, arj.
TEST(Archivers, TheDefaultIsTheFirstFoundAndUnusableOnesAreWarnedAbout) {
    test::TempDir dir;
    const QByteArray path = qgetenv("PATH");
    struct Case {
        QStringList installed;
        QString program; // empty: none found
        QString switches;
    };
    const QList<Case> cases = {
        {{"arj", "7z", "7zz", "rar"}, "rar", "a -dh -r"},
        {{"arj", "7z", "7zz"}, "7zz", "a -r"},
        {{"arj", "7z"}, "7z", "a -r"},
        {{"arj", "zip"}, "arj", "a -r"},
        {{"zip"}, "", "a -dh -r"},
    };
    int n = 0;
    for (const Case &c : cases) {
        const QString bin = dir.file("bin" + QString::number(++n));
        for (const QString &name : c.installed) {
            dir.write("bin" + QString::number(n) + "/" + name, "#!/bin/sh\n");
            QFile::setPermissions(bin + "/" + name, QFile::ReadOwner | QFile::ExeOwner);
        }
        qputenv("PATH", bin.toUtf8());
        const ArchiverChoice choice = DefaultArchiver();
        EXPECT_EQ(choice.program, c.program.isEmpty() ? "/usr/bin/rar" : bin + "/" + c.program);
        EXPECT_EQ(choice.switches, c.switches);
    }
    qputenv("PATH", path);

    dir.write("texto/arj", "not a program");
    EXPECT_EQ(ArchiverWarning("/usr/bin/arj"), "");
    EXPECT_EQ(ArchiverWarning(dir.file("bin1/rar")), "");
    for (const QString &bad : {dir.file("texto/arj"), QString("/nao/existe/rar"), QString()})
        EXPECT_TRUE(ArchiverWarning(bad).contains("não é um programa executável"))
            << bad.toStdString();
    EXPECT_TRUE(ArchiverWarning(dir.file("bin4/zip")).startsWith("O zip não expande as máscaras"));
}
