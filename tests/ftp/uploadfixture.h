#pragma once

#include "db/dataroutines.h"
#include "db/query.h"
#include "ftp/upload.h"
#include "jobdb/datamodule.h"
#include "jobdb/jobqueries.h"
#include "jobdb/schema.h"
#include "lib/datetime.h"
#include "platform/clock.h"
#include "platform/cursor.h"
#include "platform/dialogs.h"
#include "support/fixedclock.h"
#include "support/ftpservers.h"
#include "support/recordingcursor.h"
#include "support/recordingports.h"
#include "support/scripteddialogs.h"
#include "support/tempdir.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QTcpServer>

#include <gtest/gtest.h>

namespace bkp::test {

using namespace bkp::ftp;
using Kind = TrayPort::BalloonKind;

inline const QDateTime Now0(QDate(2026, 12, 8), QTime(9, 5, 30));

inline QString stamp() {
    return DateTimeToStr(FromQDateTime(Now0));
}

// The job database (embedded, made by the program's own opening) and one
// pyftpdlib server, shared by the suite; every test starts from one fresh job.
class UploadTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        dbDir = new test::TempDir;
        ftpRoot = new test::TempDir;
        server = new test::FtpServerProcess;
        ASSERT_TRUE(
            server->startPyftpd(ftpRoot->path(), QStringLiteral("zelto"), QStringLiteral("s3cret")))
            << server->error().toStdString();
        platform::RecordingSleeper sleeper;
        platform::ScopedSleeper sleeperScope(&sleeper);
        dm = new jobdb::TDM;
        dm->IBDatabase1->setDatabaseName(dbDir->file(QStringLiteral("BKPZELTO.FB")));
        jobdb::MemoryLog log;
        ASSERT_TRUE(jobdb::OpenDatabaseTables(dm, QString(), &log));
        dm->IBTransaction1->commitRetaining();
    }
    static void TearDownTestSuite() {
        delete dm;
        delete server;
        delete ftpRoot;
        delete dbDir;
        dm = nullptr;
        server = nullptr;
    }

    UploadTest() : clockScope(&clock), dialogsScope(&dialogs) {
        platform::setCursorControl(&cursor);
    }
    ~UploadTest() override { platform::setCursorControl(nullptr); }

    void SetUp() override {
        ASSERT_TRUE(dm && server->port() > 0);
        remote = QStringLiteral("r%1").arg(++serial);
        QDir(ftpRoot->path()).mkpath(remote);
        db::ExecSQL(dm->IBDatabase1, QStringLiteral("delete from BACKUPS"));
        insertJob(server->host(), QStringLiteral("s3cret"), remote, -1);
        upload = std::make_unique<FtpUpload>(*dm, jobs.IBQuery_Backups, &bar, &tray, &timer);
        upload->client().setConnectTimeout(1000);
        upload->client().setReplyTimeout(1000);
        upload->client().setTransferTimeout(1000);
    }

    void insertJob(const QString &host, const QString &password, const QString &folder,
                   int passive) {
        db::ExecSQL(dm->IBDatabase1,
                    QStringLiteral("insert into BACKUPS (ID, BACKUPNAME, BACKUPFILE, BACKUPFOLDER, "
                                   "FTP_HOST, FTP_USER, FTP_PASSWORD, FTP_FOLDER, FTP_DATA, "
                                   "FTP_HORA, FTP_PASSIVE) values (7, 'JOB', 'BACKUP', '%1', '%2', "
                                   "'zelto', '%3', '%4', '1-DEC-2026', '22:30:00', %5)")
                        .arg(QString(backupFolder()).replace("'", "''"), host, password, folder)
                        .arg(passive));
        dm->IBTransaction1->commitRetaining();
        jobs.IBQuery_Backups.close();
        jobs.IBQuery_Backups.open();
    }

    // The local backup folder, named in mixed case: the upload lower-cases paths.
    QString backupFolder() const { return local.file(QStringLiteral("Bkp")); }
    QString archive(const QString &name, const QByteArray &content) const {
        return local.write(QStringLiteral("Bkp/") + name, content);
    }
    QString localPath(const QString &name) const { return (backupFolder() + "/" + name).toLower(); }

    void set(const QString &column, const QString &value) {
        db::ExecSQL(dm->IBDatabase1, QStringLiteral("update BACKUPS set %1 = '%2' where ID=7")
                                         .arg(column, QString(value).replace("'", "''")));
        jobs.IBQuery_Backups.refresh();
    }
    // A scripted server in `mode` made the job's host; false (with the failure
    // reported) when it did not start.
    bool serveJob(test::FtpServerProcess &fake, const char *mode, const QString &logs = {}) {
        if (!fake.startFake(QLatin1String(mode), logs)) {
            ADD_FAILURE() << fake.error().toStdString();
            return false;
        }
        set(QStringLiteral("FTP_HOST"), fake.host());
        return true;
    }

    // The job's row as the program's transaction sees it (errors are not committed).
    QVariant column(const QString &name) {
        db::Query q;
        q.setDatabase(dm->IBDatabase1);
        q.setTransaction(dm->IBTransaction1);
        q.setSqlText(QStringLiteral("select %1 from BACKUPS where ID=7").arg(name));
        q.open();
        return q.field(0)->value();
    }
    QString lastErr() { return column(QStringLiteral("FTP_LASTERR")).toString(); }
    QDate ftpData() { return column(QStringLiteral("FTP_DATA")).toDate(); }

    QByteArray remoteFile(const QString &name) const {
        return ftpRoot->read(remote + QLatin1Char('/') + name);
    }
    QStringList remoteNames() const { return QDir(ftpRoot->file(remote)).entryList(QDir::Files); }

    // What every ending leaves behind, success or not.
    void expectRestored() {
        EXPECT_TRUE(timer.enabled());
        EXPECT_EQ(timer.history(), (QList<bool>{false, true}));
        EXPECT_EQ(cursor.current(), platform::CursorKind::Default);
        EXPECT_EQ(upload->transferTotal(), 0);
        EXPECT_FALSE(upload->client().connected());
        EXPECT_FALSE(upload->uploading());
    }
    // A failure: recorded with the message, the job still due (FTP_DATA unchanged).
    void expectFailure(const QString &message) {
        EXPECT_EQ(lastErr(), (stamp() + QStringLiteral(" - ") + message).left(80));
        EXPECT_EQ(ftpData(), QDate(2026, 12, 1));
        EXPECT_TRUE(column(QStringLiteral("FTP_LASTSEND")).isNull());
        ASSERT_FALSE(tray.balloons().isEmpty());
        const RecordingTray::Balloon &b = tray.balloons().last();
        EXPECT_EQ(b.title, QStringLiteral("Erro de envio por FTP"));
        EXPECT_EQ(b.text, message.left(255));
        EXPECT_EQ(b.kind, Kind::Error);
        EXPECT_EQ(b.timeoutMs, 6000);
        expectRestored();
    }
    void expectSent() {
        EXPECT_EQ(ftpData(), QDate(2026, 12, 9));
        EXPECT_EQ(column(QStringLiteral("FTP_LASTSEND")).toDateTime(), Now0);
        expectRestored();
    }

    static inline test::TempDir *dbDir = nullptr;
    static inline test::TempDir *ftpRoot = nullptr;
    static inline test::FtpServerProcess *server = nullptr;
    static inline jobdb::TDM *dm = nullptr;
    static inline int serial = 0;

    platform::FixedClock clock{Now0};
    platform::ScopedClock clockScope;
    platform::ScriptedDialogs dialogs;
    platform::ScopedDialogs dialogsScope;
    platform::RecordingCursor cursor;
    jobdb::JobQueries jobs{dm};
    RecordingStatusBar bar{4};
    RecordingTray tray;
    RecordingTimer timer{true};
    test::TempDir local;
    QString remote;
    std::unique_ptr<FtpUpload> upload;
};

inline QByteArray content(int size, char seed) {
    QByteArray b(size, Qt::Uninitialized);
    for (int i = 0; i < size; ++i)
        b[i] = char(seed + i * 13 + i / 977);
    return b;
}

} // namespace bkp::test
