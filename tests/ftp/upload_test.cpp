#include "jobdb/jobclaim.h"
#include "support/firebird.h"
#include "support/postedclick.h"
#include "uploadfixture.h"

#include "backup/backupfolder.h"
#include "db/dataroutines.h"
#include "platform/clock.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QPushButton>
#include <QTcpServer>
#include <QTimer>
#include <gtest/gtest.h>

using namespace bkp;
using namespace bkp::ftp;
using namespace bkp::test;

namespace {

// Two archives of the job, in a folder below the login folder, in both modes.
class UploadModes : public UploadTest, public ::testing::WithParamInterface<int> {};

TEST_P(UploadModes, StoresAsTmpAndRenamesIntoPlace) {
    set(QStringLiteral("FTP_PASSIVE"), QString::number(GetParam()));
    const QByteArray rar = content(5 * 32768 + 17, 'r');
    const QByteArray zip = content(40000, 'z');
    archive(QStringLiteral("BACKUP.RAR"), rar);
    archive(QStringLiteral("backup.zip"), zip);
    archive(QStringLiteral("backup.txt"), "not an archive");
    // An old copy of the rar is replaced; the zip is sent for the first time.
    QFile old(ftpRoot->file(remote + QStringLiteral("/backup.rar")));
    ASSERT_TRUE(old.open(QIODevice::WriteOnly));
    old.write("old copy");
    old.close();

    jobs.IBQuery_Backups.first();
    upload->uploadSelectedJob();

    EXPECT_EQ(upload->client().passive(), GetParam() == -1);
    EXPECT_EQ(remoteFile(QStringLiteral("backup.rar")), rar);
    EXPECT_EQ(remoteFile(QStringLiteral("backup.zip")), zip);
    EXPECT_EQ(remoteNames(), (QStringList{"backup.rar", "backup.zip"}));
    EXPECT_EQ(lastErr(), QString());
    expectSent();

    // The balloons: progress, sent; for the zip the refused delete of a copy that
    // was not there.
    QList<RecordingTray::Balloon> sent, deletes;
    int progress = 0;
    for (const RecordingTray::Balloon &b : tray.balloons()) {
        if (b.title == QStringLiteral("Enviado backup por FTP"))
            sent << b;
        else if (b.title == QStringLiteral("Enviando backup por FTP"))
            ++progress;
        else
            deletes << b;
    }
    ASSERT_EQ(sent.size(), 2);
    EXPECT_TRUE(sent[0].text.startsWith(QLatin1String("250 ")));
    QStringList files;
    for (const RecordingTray::Balloon &b : sent) {
        EXPECT_EQ(b.kind, Kind::Info);
        EXPECT_EQ(b.timeoutMs, 5000);
        files << b.text.mid(b.text.indexOf(QStringLiteral("\rFile: ")) + 7);
    }
    files.sort();
    EXPECT_EQ(files, (QStringList{localPath("backup.rar"), localPath("backup.zip")}));
    ASSERT_EQ(deletes.size(), 1);
    EXPECT_TRUE(deletes[0].title.startsWith(QLatin1String("550"))) << qPrintable(deletes[0].title);
    EXPECT_EQ(deletes[0].text, deletes[0].title);
    EXPECT_EQ(deletes[0].kind, Kind::Error);
    EXPECT_EQ(deletes[0].timeoutMs, 3000);
    // One at the start of each transfer (6 and 2 work events).
    EXPECT_EQ(progress, 2);

    // The tray keeps the last progress text; the bar is cleared at the end.
    EXPECT_TRUE(tray.hint().startsWith(QLatin1String("(100%) 1"))) << qPrintable(tray.hint());
    for (int i = 0; i < 4; ++i)
        EXPECT_EQ(bar.panelText(i), QString());
    bool totals = false, sentText = false;
    for (const RecordingStatusBar::Write &w : bar.writes()) {
        totals = totals || (w.panel == 2 && w.text == QStringLiteral("40000 bytes totais"));
        sentText = sentText || (w.panel == 1 && w.text == QStringLiteral("40000 bytes enviados "));
    }
    EXPECT_TRUE(totals);
    EXPECT_TRUE(sentText);
    EXPECT_EQ(bar.writes().first().panel, 0);
    EXPECT_EQ(bar.writes().first().text, QStringLiteral("Conectando a ") + server->host());
}

INSTANTIATE_TEST_SUITE_P(PassiveAndActive, UploadModes, ::testing::Values(-1, 1),
                         [](const auto &info) {
                             return info.param == -1 ? std::string("Passive")
                                                     : std::string("Active");
                         });

TEST_F(UploadTest, AbsoluteFolderAndAZeroByteArchive) {
    set(QStringLiteral("FTP_FOLDER"), QLatin1Char('/') + remote);
    archive(QStringLiteral("backup.arj"), QByteArray());
    upload->uploadJob(jobs.IBQuery_Backups);
    EXPECT_EQ(remoteNames(), QStringList{"backup.arj"});
    EXPECT_EQ(remoteFile(QStringLiteral("backup.arj")), QByteArray());
    expectSent();
}

TEST_F(UploadTest, FolderWithoutQualifyingArchivesCountsAsSent) {
    archive(QStringLiteral("backup.tmp"), "x");
    archive(QStringLiteral("backup.txt"), "x");
    upload->uploadJob(jobs.IBQuery_Backups);
    EXPECT_TRUE(remoteNames().isEmpty());
    EXPECT_TRUE(tray.balloons().isEmpty());
    expectSent();
}

TEST_F(UploadTest, EmptyBackupFolderRecordsTheMaskAndStaysDue) {
    QDir().mkpath(backupFolder());
    upload->uploadJob(jobs.IBQuery_Backups);
    const QString mask = backupFolder() + QStringLiteral("/BACKUP.*");
    ASSERT_EQ(tray.balloons().size(), 1);
    EXPECT_EQ(tray.balloons()[0].text, QStringLiteral("Envio por FTP"));
    EXPECT_EQ(
        tray.balloons()[0].title,
        (QStringLiteral("Atenção: Não foi possível localizar o(s) arquivo(s)\r") + mask).left(63));
    EXPECT_EQ(tray.balloons()[0].kind, Kind::Error);
    EXPECT_EQ(tray.balloons()[0].timeoutMs, 10000);
    EXPECT_EQ(lastErr(),
              (stamp() + QStringLiteral(" - Não foi possivel localizar o(s) arquivo(s) ") + mask)
                  .left(80));
    EXPECT_EQ(ftpData(), QDate(2026, 12, 1));
    expectRestored();
}

TEST_F(UploadTest, QuoteInTheErrorTextIsStoredAsItIs) {
    // A backup folder whose name holds a quote ends up in the recorded mask.
    db::ExecSQL(dm->IBDatabase1, QStringLiteral("delete from BACKUPS"));
    const QString folder = local.file(QStringLiteral("o'b"));
    QDir().mkpath(folder);
    db::ExecSQL(dm->IBDatabase1,
                QStringLiteral("insert into BACKUPS (ID, BACKUPFILE, BACKUPFOLDER, FTP_HOST, "
                               "FTP_USER, FTP_PASSWORD, FTP_FOLDER, FTP_DATA) values (7, 'B', "
                               "'%1', '%2', 'zelto', 's3cret', '%3', '1-DEC-2026')")
                    .arg(QString(folder).replace("'", "''"), server->host(), remote));
    jobs.IBQuery_Backups.refresh();
    upload->uploadJob(jobs.IBQuery_Backups);
    const QString full = stamp() +
                         QStringLiteral(" - Não foi possivel localizar o(s) arquivo(s) ") + folder +
                         QStringLiteral("/B.*");
    const QString stored = lastErr();
    EXPECT_EQ(stored, full.left(80));
    EXPECT_EQ(stored.size(), 80);

    // And through the error handler: a host name with a quote.
    set(QStringLiteral("FTP_HOST"), QStringLiteral("o'host.invalid"));
    upload->uploadJob(jobs.IBQuery_Backups);
    EXPECT_EQ(lastErr(), stamp() + QStringLiteral(" - Servidor não encontrado: o'host.invalid"));
}

TEST_F(UploadTest, WrongPassword) {
    archive(QStringLiteral("backup.rar"), "x");
    set(QStringLiteral("FTP_PASSWORD"), QStringLiteral("wrong"));
    upload->uploadJob(jobs.IBQuery_Backups);
    EXPECT_TRUE(lastErr().startsWith(stamp() + QStringLiteral(" - 530"))) << qPrintable(lastErr());
    expectFailure(QStringLiteral("530 Authentication failed."));
}

TEST_F(UploadTest, MissingRemoteFolder) {
    archive(QStringLiteral("backup.rar"), "x");
    set(QStringLiteral("FTP_FOLDER"), QStringLiteral("not-there"));
    upload->uploadJob(jobs.IBQuery_Backups);
    expectFailure(QStringLiteral("550 No such file or directory."));
}

TEST_F(UploadTest, RefusedConnectionIsRecordedWithoutLookingAtTheFolder) {
    // The folder is empty, but the connection error comes first.
    QDir().mkpath(backupFolder());
    QTcpServer probe;
    ASSERT_TRUE(probe.listen(QHostAddress::LocalHost, 0));
    const QString host = QStringLiteral("127.0.0.1:%1").arg(probe.serverPort());
    probe.close();
    set(QStringLiteral("FTP_HOST"), host);
    upload->uploadJob(jobs.IBQuery_Backups);
    EXPECT_EQ(tray.balloons().size(), 1);
    expectFailure(QStringLiteral("Conexão recusada por ") + host);
}

TEST_F(UploadTest, MisbehavingServers) {
    archive(QStringLiteral("backup.rar"), content(8 * 1024 * 1024, 'b'));
    const struct {
        const char *mode;
        QString message;
    } cases[] = {
        {"silent", QStringLiteral("Tempo esgotado esperando resposta de ")},
        {"nopasv", QStringLiteral("Resposta PASV sem endereço: 227 Entering Passive Mode")},
        {"dropdata", QStringLiteral("426 Connection closed; transfer aborted.")},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.mode);
        test::FtpServerProcess fake;
        if (!serveJob(fake, c.mode))
            return;
        timer = RecordingTimer(true); // the upload keeps pointing at it
        upload->uploadJob(jobs.IBQuery_Backups);
        QString message = c.message;
        if (QLatin1String(c.mode) == QLatin1String("silent"))
            message += fake.host();
        expectFailure(message);
    }
}

// The copy on the server is measured before the old copy is deleted, and again
// after its rename, by SIZE or, where the server does not know SIZE, by its
// listing line: a short copy is an error with both sizes, the old copy stays and
// the job stays due.
TEST_F(UploadTest, ArrivalIsVerified) {
    const QByteArray rar = content(100001, 'v');
    archive(QStringLiteral("backup.rar"), rar);
    const struct {
        QStringList options;
        bool whole;
    } cases[] = {
        {{"--truncate"}, false},
        {{"--truncate", "--nosize"}, false},
        {{"--nosize"}, true},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.options.join(' ').toStdString());
        test::FtpServerProcess truncating;
        ASSERT_TRUE(truncating.startPyftpd(ftpRoot->path(), QStringLiteral("zelto"),
                                           QStringLiteral("s3cret"), c.options));
        db::ExecSQL(dm->IBDatabase1, QStringLiteral("update BACKUPS set FTP_DATA='1-DEC-2026', "
                                                    "FTP_LASTSEND=null, FTP_LASTERR=null"));
        set(QStringLiteral("FTP_HOST"), truncating.host());
        QFile old(ftpRoot->file(remote + QStringLiteral("/backup.rar")));
        ASSERT_TRUE(old.open(QIODevice::WriteOnly));
        old.write("last week");
        old.close();
        timer = RecordingTimer(true);
        upload->uploadJob(jobs.IBQuery_Backups);
        if (c.whole) {
            EXPECT_EQ(remoteFile(QStringLiteral("backup.rar")), rar);
            expectSent();
            continue;
        }
        EXPECT_EQ(remoteFile(QStringLiteral("backup.rar")), "last week");
        EXPECT_EQ(remoteNames(), QStringList{"backup.rar"});
        const QString message =
            QStringLiteral("Tamanho no servidor 50000 difere do local 100001: backup.tmp");
        EXPECT_EQ(message, ArrivalMismatchText(50000, 100001, QStringLiteral("backup.tmp")));
        expectFailure(message);
        // The sizes survive the cut to the column even at ten digits each.
        EXPECT_TRUE((stamp() + QStringLiteral(" - ") +
                     ArrivalMismatchText(4294967296, 8589934592, QString()))
                        .left(80)
                        .contains(QLatin1String("8589934592")));
    }
}

// Servers that attack the client: each case ends in an error recorded with the job
// still due, or with the archive delivered to the server itself and to nobody else.
TEST_F(UploadTest, HostileServers) {
    const QByteArray data = content(300000, 'h');
    archive(QStringLiteral("backup.rar"), data);
    const struct {
        const char *mode;
        int passive;
        QString message; // empty: sent
    } cases[] = {
        {"endless", -1, QStringLiteral("Tempo esgotado esperando resposta de ")},
        {"longline", -1, QStringLiteral("Linha de resposta longa demais de ")},
        {"nulreply", -1,
         QStringLiteral("550 No") + QChar(0) +
             QStringLiteral("such\x01"
                            "folder\x7f"
                            " here")},
        {"elsewhere", -1, QString()},
        {"stranger", 0, QString()},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.mode);
        test::TempDir logs;
        test::FtpServerProcess fake;
        if (!serveJob(fake, c.mode, logs.path()))
            return;
        db::ExecSQL(dm->IBDatabase1, QStringLiteral("update BACKUPS set FTP_DATA='1-DEC-2026', "
                                                    "FTP_LASTSEND=null, FTP_LASTERR=null"));
        set(QStringLiteral("FTP_PASSIVE"), QString::number(c.passive));
        timer = RecordingTimer(true);
        QElapsedTimer took;
        took.start();
        upload->uploadJob(jobs.IBQuery_Backups);
        // The reply's deadline holds for the whole reply, not for each line.
        EXPECT_LT(took.elapsed(), 5000);
        EXPECT_FALSE(QFile::exists(logs.file(QStringLiteral("thief"))) &&
                     QFile(logs.file(QStringLiteral("thief"))).size() > 0);
        if (c.message.isEmpty()) {
            EXPECT_EQ(logs.read(QStringLiteral("legit")), data);
            expectSent();
            continue;
        }
        QString message = c.message;
        if (message.endsWith(QLatin1String("de ")))
            message += fake.host();
        QString stored = message;
        for (QChar &ch : stored)
            if (ch.unicode() < 0x20 || ch.unicode() == 0x7f)
                ch = QLatin1Char(' ');
        EXPECT_EQ(lastErr(), (stamp() + QStringLiteral(" - ") + stored).left(80));
        EXPECT_EQ(ftpData(), QDate(2026, 12, 1));
        EXPECT_EQ(tray.balloons().last().text, message);
        expectRestored();
    }
}

// A CR or LF in a value would reach the server as a second command: the upload
// names the value and sends nothing at all.
TEST_F(UploadTest, ValuesThatWouldCarryASecondCommandAreRefused) {
    archive(QStringLiteral("backup.rar"), "x");
    for (const char *column : {"FTP_USER", "FTP_PASSWORD", "FTP_FOLDER"}) {
        SCOPED_TRACE(column);
        test::TempDir logs;
        test::FtpServerProcess fake;
        ASSERT_TRUE(fake.startFake(QStringLiteral("elsewhere"), logs.path()));
        set(QStringLiteral("FTP_HOST"), fake.host());
        set(QStringLiteral("FTP_USER"), QStringLiteral("zelto"));
        set(QStringLiteral("FTP_PASSWORD"), QStringLiteral("s3cret"));
        set(QStringLiteral("FTP_FOLDER"), remote);
        set(QLatin1String(column), QStringLiteral("a\r\nDELE"));
        timer = RecordingTimer(true);
        upload->uploadJob(jobs.IBQuery_Backups);
        expectFailure(QLatin1String(column) +
                      QStringLiteral(" contém caractere inválido (CR, LF ou NUL)"));
        EXPECT_FALSE(QFile::exists(logs.file(QStringLiteral("commands"))));
    }
    // The client itself refuses such a value in any command.
    FtpClient client;
    client.setHost(server->host());
    client.setUsername(QStringLiteral("zelto"));
    client.setPassword(QStringLiteral("s3cret"));
    client.connectToServer();
    EXPECT_THROW(client.deleteFile(QStringLiteral("x\nDELE y")), FtpError);
    EXPECT_THROW(client.changeDir(QStringLiteral("x") + QChar(0)), FtpError);
    EXPECT_TRUE(client.connected());
    EXPECT_NO_THROW(client.changeDir(remote));
}

// The archive run writes only inside the backup folder, so an archive name that
// leads out of it, or matches other archives, sends nothing.
TEST_F(UploadTest, ArchiveNamesOutsideTheFolderSendNothing) {
    archive(QStringLiteral("backup.rar"), "x");
    local.write(QStringLiteral("sec.zip"), "someone else's");
    for (const char *name : {"../SEC", "*", "?????"}) {
        SCOPED_TRACE(name);
        set(QStringLiteral("BACKUPFILE"), QLatin1String(name));
        timer = RecordingTimer(true);
        upload->uploadJob(jobs.IBQuery_Backups);
        expectFailure(backup::ArchiveNameRefusedText(QLatin1String(name)));
        EXPECT_EQ(remoteNames(), QStringList());
    }
}

TEST_F(UploadTest, FailureToRecordTheErrorLeavesAfterTheEndBlock) {
    // A job whose key is not a number: both the success and the error statement fail.
    archive(QStringLiteral("backup.rar"), "x");
    db::Query job;
    job.setDatabase(dm->IBDatabase1);
    job.setTransaction(dm->IBTransaction1);
    job.setSqlText(
        QStringLiteral("select 'x' as ID, 'BACKUP' as BACKUPFILE, '%1' as BACKUPFOLDER, "
                       "'%2' as FTP_HOST, 'zelto' as FTP_USER, 's3cret' as FTP_PASSWORD, "
                       "'%3' as FTP_FOLDER, -1 as FTP_PASSIVE from RDB$DATABASE")
            .arg(backupFolder(), server->host(), remote));
    job.open();
    EXPECT_THROW(upload->uploadJob(job), db::DatabaseError);
    expectRestored();
    EXPECT_EQ(remoteNames(), QStringList{"backup.rar"});
    EXPECT_EQ(tray.balloons().last().title, QStringLiteral("Erro de envio por FTP"));
}

TEST_F(UploadTest, ClickDuringAnUploadDoesNotStartAnother) {
    archive(QStringLiteral("backup.rar"), content(100000, 'c'));
    int clicks = 0;
    upload->client().onWork = [&](qint64 n) {
        upload->onWork(n);
        ++clicks;
        upload->uploadSelectedJob();
    };
    upload->uploadSelectedJob();
    EXPECT_EQ(clicks, 4);
    EXPECT_EQ(remoteNames(), QStringList{"backup.rar"});
    expectSent();
}

// A server that takes its time: the window answers a click within a second all
// along, and the attempt's waits for the server end at its bound, while the time
// the data itself takes does not count.
TEST_F(UploadTest, ASlowServerLeavesTheWindowAnsweringAndTheAttemptEndsAtItsBound) {
    archive(QStringLiteral("backup.rar"), content(1024 * 1024, 's'));
    QPushButton button(QStringLiteral("Outra coisa"));
    button.show();
    test::ClickingOperator operatorHand(&button, [&] { return upload->uploading(); });
    const struct {
        const char *mode;
        bool sent;
    } cases[] = {
        // Every line 0.4 s late, each well within the reply time-out: the login
        // alone needs more than the bound of 2 s.
        {"tardy:0.4", false},
        // The archive takes about 3 s to arrive (its end comes out of the buffers
        // after the last block was written); the commands are answered at once.
        {"slow", true},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.mode);
        test::TempDir logs;
        test::FtpServerProcess fake;
        if (!serveJob(fake, c.mode, logs.path()))
            return;
        timer = RecordingTimer(true);
        upload->setAttemptBound(2000);
        upload->client().setReplyTimeout(5000);
        operatorHand.start();
        QElapsedTimer took;
        took.start();
        upload->uploadJob(jobs.IBQuery_Backups);
        operatorHand.stop();
        EXPECT_GE(operatorHand.answered.size(), 3);
        for (qint64 ms : std::as_const(operatorHand.answered))
            EXPECT_LT(ms, 1000);
        if (c.sent) {
            EXPECT_EQ(logs.read(QStringLiteral("legit")).size(), 1024 * 1024);
            expectSent();
            continue;
        }
        EXPECT_LT(took.elapsed(), 3500);
        expectFailure(QStringLiteral("Tempo esgotado: %1 levou mais de 2 s para responder nesta "
                                     "tentativa")
                          .arg(fake.host()));
    }
}

// "FTP" works on the job's row under a claim: a row another program on the
// database holds (it is sending the job) is refused with a message and nothing is
// sent; otherwise the columns are read as they stand now, not as the job list
// read them earlier.
TEST_F(UploadTest, ToolbarUploadWorksOnTheClaimedRow) {
    archive(QStringLiteral("backup.rar"), "claimed");
    test::TestDatabase other(dm->IBDatabase1->databaseName(), false);
    db::ExecSQL(other.get(), QStringLiteral("update BACKUPS set FTP_HORA='23:00' where ID=7"));
    upload->uploadSelectedJob();
    ASSERT_EQ(dialogs.shown().size(), 1);
    EXPECT_EQ(dialogs.shown().first().text, jobdb::JobClaim::ClaimedElsewhereText("JOB"));
    EXPECT_EQ(remoteNames(), QStringList());
    EXPECT_EQ(ftpData(), QDate(2026, 12, 1));
    EXPECT_TRUE(lastErr().isEmpty());
    EXPECT_FALSE(upload->uploading());
    other.transaction->rollback();

    // Another workstation moved the job to another folder after the list was read.
    const QString moved = remote + QStringLiteral("/moved");
    QDir(ftpRoot->path()).mkpath(moved);
    db::ExecSQL(other.get(),
                QStringLiteral("update BACKUPS set FTP_FOLDER='%1' where ID=7").arg(moved));
    other.transaction->commit();
    upload->uploadSelectedJob();
    EXPECT_EQ(ftpRoot->read(moved + QStringLiteral("/backup.rar")), "claimed");
    EXPECT_EQ(remoteNames(), QStringList());
    expectSent();
}

TEST_F(UploadTest, ToolbarUploadSwitchesAStoppedTimerOn) {
    timer.setEnabled(false);
    archive(QStringLiteral("backup.zip"), "z");
    upload->uploadSelectedJob();
    EXPECT_EQ(timer.history(), (QList<bool>{false, false, true}));
    EXPECT_TRUE(timer.enabled());
}

// ------------------------------------------------------------ progress display

TEST(ProgressDisplay, PercentInGeneralFormat) {
    const QString c = QStringLiteral(",");
    EXPECT_EQ(FloatToStrGeneral(12.345, 3, 2, c), QStringLiteral("12,3"));
    EXPECT_EQ(FloatToStrGeneral(100, 3, 2, c), QStringLiteral("100"));
    EXPECT_EQ(FloatToStrGeneral(0.5, 3, 2, c), QStringLiteral("0,5"));
    EXPECT_EQ(FloatToStrGeneral(0, 3, 2, c), QStringLiteral("0"));
    EXPECT_EQ(FloatToStrGeneral(99.96, 3, 2, c), QStringLiteral("100"));
    EXPECT_EQ(FloatToStrGeneral(33.3333, 3, 2, QStringLiteral(".")), QStringLiteral("33.3"));
    EXPECT_EQ(FloatToStrGeneral(0.0123456, 3, 2, c), QStringLiteral("0,0123"));
    EXPECT_EQ(FloatToStrGeneral(0.00001234, 3, 2, c), QStringLiteral("0,0000123"));
    EXPECT_EQ(FloatToStrGeneral(0.000001, 3, 2, c), QStringLiteral("1E-06"));
    EXPECT_EQ(FloatToStrGeneral(1234, 3, 2, c), QStringLiteral("1,23E03"));
    EXPECT_EQ(FloatToStrGeneral(999.6, 3, 2, c), QStringLiteral("1E03"));
    EXPECT_EQ(FloatToStrGeneral(-2.5, 3, 2, c), QStringLiteral("-2,5"));
}

TEST(ProgressDisplay, TrayHint) {
    EXPECT_EQ(ProgressHint(QStringLiteral("150 File status okay."), QStringLiteral("12,3")),
              QStringLiteral("(12,3%) 150 File status okay."));
    EXPECT_EQ(ProgressHint(QStringLiteral("150 Opening \"backup.tmp\" . now"), QStringLiteral("5")),
              QStringLiteral("150 Opening \"backup.tmp\" (5%)"));
}

class ProgressTest : public ::testing::Test {
protected:
    test::TempDir dir;
    jobdb::TDM dm;
    db::Query jobs;
    RecordingStatusBar bar{4};
    RecordingTray tray;
    FtpUpload upload{dm, jobs, &bar, &tray, nullptr};
};

TEST_F(ProgressTest, PanelsHintAndABalloonEveryElevenEvents) {
    upload.onWorkBegin(2500);
    EXPECT_EQ(bar.panelText(2), QStringLiteral("2500 bytes totais"));
    for (int i = 1; i <= 25; ++i)
        upload.onWork(i * 100);
    EXPECT_EQ(bar.panelText(1), QStringLiteral("2500 bytes enviados "));
    EXPECT_EQ(bar.panelText(3), QString()); // no reply yet
    EXPECT_EQ(tray.hint(), QStringLiteral("(100%) "));
    ASSERT_EQ(tray.balloons().size(), 3); // events 1, 12 and 23
    EXPECT_EQ(tray.balloons()[0].title, QStringLiteral("Enviando backup por FTP"));
    const QString dp = UserLocale().decimalPoint();
    EXPECT_EQ(tray.balloons()[0].text, QStringLiteral("\rEnviados 100 bytes (4%)"));
    EXPECT_EQ(tray.balloons()[1].text, QStringLiteral("\rEnviados 1200 bytes (48%)"));
    EXPECT_EQ(tray.balloons()[2].text, QStringLiteral("\rEnviados 2300 bytes (92%)"));
    EXPECT_EQ(tray.balloons()[2].kind, Kind::Info);
    EXPECT_EQ(tray.balloons()[2].timeoutMs, 5000);
    EXPECT_EQ(upload.balloonCounter(), 3);
    upload.onWork(1);
    EXPECT_EQ(tray.hint(), QStringLiteral("(0") + dp + QStringLiteral("04%) "));

    upload.onWorkBegin(5);
    EXPECT_EQ(upload.balloonCounter(), 0);
    upload.onDisconnected();
    for (int i = 0; i < 4; ++i)
        EXPECT_EQ(bar.panelText(i), QString());
}

TEST_F(ProgressTest, NothingAnnouncedIsTakenAsOneByte) {
    upload.onWorkBegin(0);
    upload.onWork(0);
    EXPECT_EQ(upload.transferTotal(), 1);
    EXPECT_EQ(tray.hint(), QStringLiteral("(0%) "));
}

TEST_F(ProgressTest, PacedBarShowsTheLatestTextsAndTheEnd) {
    upload.setRepaintInterval(60000);
    upload.onWorkBegin(1000);
    bar.clearHistory();
    for (int i = 1; i <= 50; ++i)
        upload.onWork(i * 20);
    // The first event and the last one reach the bar, each painted once.
    EXPECT_EQ(bar.repaints(), 2);
    ASSERT_EQ(bar.writes().size(), 4);
    EXPECT_EQ(bar.writes()[0].text, QStringLiteral("20 bytes enviados "));
    EXPECT_EQ(bar.writes()[2].text, QStringLiteral("1000 bytes enviados "));
    EXPECT_EQ(bar.panelText(1), QStringLiteral("1000 bytes enviados "));
    // The tray hint and the balloon counter follow every event.
    EXPECT_EQ(upload.balloonCounter(), 6);

    // A transfer that breaks off: its latest texts go to the bar before anything
    // else is written there.
    upload.onWorkBegin(1000);
    upload.onWork(100);
    upload.onWork(300);
    bar.clearHistory();
    upload.onStatus(QStringLiteral("Desconectando"));
    ASSERT_GE(bar.writes().size(), 2);
    EXPECT_EQ(bar.writes()[0].text, QStringLiteral("300 bytes enviados "));
    EXPECT_EQ(bar.writes().last().text, QStringLiteral("Desconectando"));
}

TEST_F(ProgressTest, WithoutPacingEveryEventIsPainted) {
    upload.setRepaintInterval(0);
    upload.onWorkBegin(1000);
    bar.clearHistory();
    for (int i = 1; i <= 10; ++i)
        upload.onWork(i * 10);
    EXPECT_EQ(bar.repaints(), 10);
    EXPECT_EQ(bar.writes().size(), 20);
}

} // namespace
