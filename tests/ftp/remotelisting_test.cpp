#include "backup/folderlist.h"
#include "ftp/listingline.h"
#include "ftp/remotelisting.h"
#include "platform/clock.h"
#include "platform/dialogs.h"
#include "support/fixedclock.h"
#include "support/ftpservers.h"
#include "support/jobdatabase.h"
#include "support/recordingports.h"
#include "support/scripteddialogs.h"
#include "support/tempdir.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QLabel>
#include <QTreeWidget>
#include <gtest/gtest.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>
#include <utime.h>

using namespace bkp;
using namespace bkp::ftp;

namespace {

const QDate Today(2026, 12, 9);

struct RowCase {
    const char *line;
    bool row;
    const char *name = "";
    qint64 size = 0;
    const char *date = "";
};

TEST(ListingRowTest, PlainFileLinesBecomeRowsAndOthersAreSkipped) {
    const RowCase cases[] = {
        {"-rw-r--r--   1 ftp  ftp   1048576 Dec  7 14:05 backup.rar", true, "backup.rar", 1048576,
         "07/12/2026 14:05"},
        {"-rw-r--r--   1 ftp  ftp   2048 Jan 15  2025 old.zip", true, "old.zip", 2048,
         "15/01/2025"},
        // Over 2 GiB, and a name with blanks shows whole.
        {"-rw-r--r--   1 0    0     5368709120 Mar 01 2024 my backup.rar", true, "my backup.rar",
         5368709120, "01/03/2024"},
        {"-rw-r--r--   1 0    0     9 Mar 01 2024   dois  espaços .zip\r", true,
         "dois  espaços .zip", 9, "01/03/2024"},
        // A time in place of the year that would lie in the future belongs to last year.
        {"-rw-r--r--   1 ftp  ftp   10 Dec 11 08:00 late.arj", true, "late.arj", 10,
         "11/12/2025 08:00"},
        {"-rw-r--r--   1 ftp  ftp   10 Dec 10 23:59 tomorrow.arj", true, "tomorrow.arj", 10,
         "10/12/2026 23:59"},
        {"  -rw-r--r--  1 ftp ftp 7 Foo 3 2020 odd.rar", true, "odd.rar", 7, "03/00/2020"},
        {"drwxr-xr-x   2 ftp  ftp   4096 Dec  7 14:05 backups", false},
        {"lrwxrwxrwx   1 ftp  ftp   10 Dec  7 14:05 link -> backup.rar", false},
        {"total 12", false},
        {"", false},
        {"12-07-26  02:05PM       1048576 backup.rar", false},
        {"12-07-26  02:05PM       <DIR>          backups", false},
    };
    for (const RowCase &c : cases) {
        SCOPED_TRACE(c.line);
        const std::optional<ListingRow> row = ListingRowOf(QString::fromUtf8(c.line), Today);
        ASSERT_EQ(row.has_value(), c.row);
        if (!row)
            continue;
        EXPECT_EQ(row->name, QString::fromUtf8(c.name));
        // The space report's details name the same file.
        EXPECT_EQ(ParseListingLine(QString::fromUtf8(c.line), Today).at(1),
                  "FileName=" + QString::fromUtf8(c.name));
        EXPECT_EQ(row->size, backup::FormatFileSize(c.size));
        EXPECT_EQ(row->date, c.date);
    }
    for (const char *bad :
         {"-rw-r--r--   1 ftp  ftp   12ab Jan 15  2025 x.zip",
          "-rw-r--r--   1 ftp  ftp   -5 Jan 15  2025 x.zip",
          "-rw-r--r--   1 ftp  ftp   99999999999999999999 Jan 15 2025 x.zip",
          "-rw-r--r--   1 ftp  ftp   5 Jan xx  2025 x.zip", "-rw-r--r--   1 ftp  ftp   5 Jan 15"})
        EXPECT_THROW(ListingRowOf(QString::fromLatin1(bad), Today), ListingError) << bad;
}

// The lines the fuzz target started from, as pyftpdlib, vsftpd and a Windows
// server wrote them: every one gives a row, is skipped, or is refused cleanly,
// and the report can take every one apart.
TEST(ListingRowTest, TheFuzzCorpusOfRealServerLinesReadsCleanly) {
    const QDir corpus(QStringLiteral(BKP_SOURCE_DIR "/tests/fuzz/corpus"));
    const QStringList files = corpus.entryList(QDir::Files);
    ASSERT_GE(files.size(), 10);
    int rows = 0;
    for (const QString &name : files) {
        QFile f(corpus.filePath(name));
        ASSERT_TRUE(f.open(QIODevice::ReadOnly));
        const QString line = QString::fromLatin1(f.readAll());
        SCOPED_TRACE(line.toStdString());
        try {
            rows += ListingRowOf(line, Today) ? 1 : 0;
        } catch (const ListingError &) {
        }
        EXPECT_EQ(ParseListingLine(line, Today).size(), 4);
    }
    EXPECT_GE(rows, 5); // the archives of both servers and the big one
}

// A job on a real job database whose remote folder is listed into a real list.
class RemoteListingTest : public ::testing::Test {
protected:
    RemoteListingTest() : clockScope(&clock), dialogsScope(&dialogs) {
        heading.setText(QStringLiteral("FTP"));
        listing.timeoutMs = 2000;
        jobs.setDatabase(db.dm.IBDatabase1);
        jobs.setTransaction(db.dm.IBTransaction1);
        jobs.setSqlText(QStringLiteral("select * from BACKUPS"));
    }

    void job(const QString &host, const QString &user, const QString &password,
             const QString &folder) {
        db.exec(QStringLiteral("delete from BACKUPS"));
        db.exec(QStringLiteral("insert into BACKUPS (ID, BACKUPNAME, FTP_HOST, FTP_USER, "
                               "FTP_PASSWORD, FTP_FOLDER) values (1, 'JOB', '%1', '%2', '%3', "
                               "'%4')")
                    .arg(host, user, password, folder));
        jobs.close();
        jobs.open();
    }

    QStringList rows() const {
        QStringList out;
        for (int i = 0; i < list.topLevelItemCount(); ++i) {
            const QTreeWidgetItem *item = list.topLevelItem(i);
            out << item->text(0) + "|" + item->text(1) + "|" + item->text(2);
        }
        out.sort();
        return out;
    }

    QString message() const {
        return dialogs.shown().isEmpty() ? QString() : dialogs.shown().last().text;
    }

    // Every listing leaves the timer on, whatever it was before.
    void expectTimerOn() {
        ASSERT_FALSE(timerCalls.isEmpty());
        EXPECT_FALSE(timerCalls.first());
        EXPECT_TRUE(timerCalls.last());
        EXPECT_EQ(timerCalls.size(), 2);
    }

    static void stamp(const QString &path, const QDateTime &when) {
        utimbuf times{when.toSecsSinceEpoch(), when.toSecsSinceEpoch()};
        ::utime(QFile::encodeName(path).constData(), &times);
    }

    // Files of every kind in `folder`: two archives, one of them old, one with a
    // blank in its name, a sub-folder and a link.
    static void fill(const test::TempDir &root, const QString &folder) {
        stamp(root.write(folder + "/backup.rar", QByteArray(1234567, 'x')),
              QDateTime(QDate(2026, 12, 7), QTime(14, 5), Qt::UTC));
        stamp(root.write(folder + "/old.zip", "abcd"),
              QDateTime(QDate(2025, 1, 15), QTime(10, 0), Qt::UTC));
        root.write(folder + "/my backup.arj", "z");
        stamp(root.file(folder + "/my backup.arj"),
              QDateTime(QDate(2020, 3, 1), QTime(10, 0), Qt::UTC));
        stamp(root.write(folder + "/relatório.zip", "ok"),
              QDateTime(QDate(2025, 1, 15), QTime(10, 0), Qt::UTC));
        QDir(root.file(folder)).mkpath("sub");
        QFile::link(root.file(folder + "/backup.rar"), root.file(folder + "/link.rar"));
    }

    const QStringList expectedRows{
        "backup.rar|" + backup::FormatFileSize(1234567) + "|07/12/2026 14:05",
        "my backup.arj|1|01/03/2020", "old.zip|4|15/01/2025", "relatório.zip|2|15/01/2025"};

    platform::FixedClock clock{QDateTime(Today, QTime(10, 0))};
    platform::ScopedClock clockScope;
    platform::ScriptedDialogs dialogs;
    platform::ScopedDialogs dialogsScope;
    test::JobDatabase db;
    db::Query jobs;
    QLabel heading;
    QWidget panel;
    QTreeWidget list;
    RecordingStatusBar bar;
    QList<bool> timerCalls;
    RemoteFolderListing listing{&heading, &panel, &list, &bar, [this](bool on) {
                                    timerCalls.append(on);
                                    return true;
                                }};
};

TEST_F(RemoteListingTest, ListsTheJobsFolderOnPyftpdlibAndVsftpd) {
    test::TempDir root;
    fill(root, "backups");
    test::FtpServerProcess server;
    ASSERT_TRUE(server.startPyftpd(root.path(), "zelto", "s3cret"));
    job(server.host(), "zelto", "s3cret", "Backups/../backups");
    listing.Check_FTPFolder(jobs);
    EXPECT_TRUE(dialogs.shown().isEmpty()) << message().toStdString();
    EXPECT_EQ(rows(), expectedRows);
    EXPECT_EQ(heading.text(), (server.host() + "\\backups/../backups"));
    EXPECT_EQ(bar.panelText(0), "Conectado");
    EXPECT_TRUE(heading.cursor().shape() == Qt::ArrowCursor);
    expectTimerOn();

    if (!test::canRunVsftpd() || !::getpwnam("ftp"))
        GTEST_SKIP() << "vsftpd needs root and its ftp user";
    test::TempDir anonymous;
    fill(anonymous, "backups");
    ::chmod(QFile::encodeName(anonymous.path()).constData(), 0555);
    test::FtpServerProcess vsftpd;
    ASSERT_TRUE(vsftpd.startVsftpd(anonymous.path())) << vsftpd.error().toStdString();
    job(vsftpd.host(), "anonymous", "x@y", "backups");
    timerCalls.clear();
    listing.Check_FTPFolder(jobs);
    EXPECT_TRUE(dialogs.shown().isEmpty()) << message().toStdString();
    EXPECT_EQ(rows(), expectedRows);
    expectTimerOn();
}

TEST_F(RemoteListingTest, FailuresAreShownWithTheHostAndTheRowsReadBeforeStay) {
    test::TempDir root;
    fill(root, "backups");
    test::FtpServerProcess server;
    ASSERT_TRUE(server.startPyftpd(root.path(), "zelto", "s3cret"));
    test::FtpServerProcess badList, silent;
    ASSERT_TRUE(badList.startFake("badlist"));
    ASSERT_TRUE(silent.startFake("silent"));

    struct Case {
        QString host, password, folder, message;
        QStringList rows;
    } cases[] = {
        {server.host(), "wrong", "backups", "530 Authentication failed.", {}},
        {server.host(), "s3cret", "missing", "550 No such file or directory.", {}},
        {badList.host(),
         "x",
         "/",
         "'12ab' não é um tamanho de arquivo válido",
         {"first.zip|" + backup::FormatFileSize(2048) + "|15/01/2025"}},
        {silent.host(), "x", "/", "Tempo esgotado esperando resposta de " + silent.host(), {}},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.host.toStdString() + " " + c.folder.toStdString());
        job(c.host, "zelto", c.password, c.folder);
        new QTreeWidgetItem(&list, {"stale"});
        dialogs.clear();
        timerCalls.clear();
        QElapsedTimer took;
        took.start();
        listing.Check_FTPFolder(jobs);
        EXPECT_LT(took.elapsed(), 4 * listing.timeoutMs);
        ASSERT_EQ(dialogs.shown().size(), 1);
        EXPECT_EQ(message(), "Não foi possível conectar-se a " + c.host + "\rErro: " + c.message);
        EXPECT_EQ(dialogs.shown().last().flags, platform::MB_OK);
        EXPECT_EQ(rows(), c.rows);
        expectTimerOn();
    }

    // The Tools entry checks nothing and leaves the timer on.
    timerCalls.clear();
    listing.Check_FTPFiles();
    expectTimerOn();
}

} // namespace
