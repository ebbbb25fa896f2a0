#include "uploadfixture.h"

#include "ftp/ftpconfig.h"
#include "ftp/ftpspace.h"
#include "ftp/remotelisting.h"
#include "ftp/sftpclient.h"
#include "ftp/tlstrust.h"
#include "platform/application.h"
#include "platform/inifile.h"
#include "support/postedclick.h"
#include "support/sshserver.h"

#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QTreeWidget>
#include <chrono>
#include <sys/stat.h>
#include <thread>

using namespace bkp;
using namespace bkp::ftp;
using namespace bkp::test;

namespace {

const QString PasswordUser = QStringLiteral("bkpzsftp");

// Jobs whose FTP_HOST starts with "sftp://", against OpenSSH's sshd whose logins
// start in the suite's server folder.
class SftpTest : public UploadTest {
protected:
    static void SetUpTestSuite() {
        UploadTest::SetUpTestSuite();
        if (!SshServerProcess::canRun())
            return;
        // The password user writes there too.
        ::chmod(QFile::encodeName(ftpRoot->path()).constData(), 0777);
        ASSERT_TRUE(
            SshServerProcess::ensureUser(PasswordUser, QStringLiteral("s3cret"), &userError))
            << userError.toStdString();
        sshd = new SshServerProcess;
        ASSERT_TRUE(sshd->start(ftpRoot->path())) << sshd->error().toStdString();
    }
    static void TearDownTestSuite() {
        delete sshd;
        sshd = nullptr;
        UploadTest::TearDownTestSuite();
    }

    SftpTest() : ini(local.file(QStringLiteral("BKPZelto.Ini"))) {
        setTlsSettingsFile(ini.fileName());
    }
    ~SftpTest() override { setTlsSettingsFile(QString()); }

    void SetUp() override {
        if (!sshd)
            GTEST_SKIP() << "sshd needs root";
        UploadTest::SetUp();
        ::chmod(QFile::encodeName(ftpRoot->file(remote)).constData(), 0777);
    }

    QString host() const { return QStringLiteral("sftp://127.0.0.1:%1").arg(sshd->port()); }
    QString peer() const { return QStringLiteral("127.0.0.1:%1").arg(sshd->port()); }

    void settings(const QString &fingerprints, const QString &keyFile) {
        ini.writeString(QStringLiteral("FTP"), QLatin1String(SshFingerprintsKey), fingerprints);
        ini.writeString(QStringLiteral("FTP"), QLatin1String(SshKeyFileKey), keyFile);
    }
    // The job's settings, due again, before an upload.
    void job(const QString &user, const QString &password, const QString &folder) {
        db::ExecSQL(dm->IBDatabase1, QStringLiteral("update BACKUPS set FTP_DATA='1-DEC-2026', "
                                                    "FTP_LASTSEND=null, FTP_LASTERR=null"));
        set(QStringLiteral("FTP_HOST"), host());
        set(QStringLiteral("FTP_USER"), user);
        set(QStringLiteral("FTP_PASSWORD"), password);
        set(QStringLiteral("FTP_FOLDER"), folder);
        timer = RecordingTimer(true);
    }

    static inline SshServerProcess *sshd = nullptr;
    static inline QString userError;
    platform::IniFile ini;
};

// Two archives over SFTP, logged in with the key of the settings and with a
// password: stored under the temporary name, renamed over the old copy, whole.
TEST_F(SftpTest, UploadsWithKeyOrPassword) {
    const struct {
        QString user;
        QString password;
        bool key;
    } cases[] = {
        {QStringLiteral("root"), QString(), true},
        {PasswordUser, QStringLiteral("s3cret"), false},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.user.toStdString());
        const QByteArray rar = content(5 * 32768 + 17, c.key ? 'k' : 'p');
        const QByteArray zip = content(40000, 'z');
        archive(QStringLiteral("BACKUP.RAR"), rar);
        archive(QStringLiteral("backup.zip"), zip);
        QFile old(ftpRoot->file(remote + QStringLiteral("/backup.rar")));
        ASSERT_TRUE(old.open(QIODevice::WriteOnly));
        old.write("old copy");
        old.close();
        // As ssh-keygen -lf prints it, beside another server's.
        settings(QStringLiteral("256 SHA256:AAAAotherserverAAAAAAAAAAAAAAAAAAAAAAAAAAAA x, 256 ") +
                     sshd->fingerprint() + QStringLiteral(" root@host (ED25519)"),
                 c.key ? sshd->clientKey() : QString());
        job(c.user, c.password, remote);
        const qsizetype before = tray.balloons().size();
        upload->uploadJob(jobs.IBQuery_Backups);
        EXPECT_EQ(lastErr(), QString());
        expectSent();
        EXPECT_EQ(remoteFile(QStringLiteral("backup.rar")), rar);
        EXPECT_EQ(remoteFile(QStringLiteral("backup.zip")), zip);
        EXPECT_EQ(remoteNames(), (QStringList{"backup.rar", "backup.zip"}));
        // Replaced in one step: no deletion, so no balloon about one.
        QStringList titles;
        for (const RecordingTray::Balloon &b : tray.balloons().mid(before))
            titles << b.title;
        EXPECT_EQ(titles.count(QStringLiteral("Enviado backup por FTP")), 2);
        EXPECT_EQ(titles.count(QStringLiteral("Enviando backup por FTP")), 2);
        EXPECT_EQ(titles.size(), 4) << titles.join('|').toStdString();
        EXPECT_EQ(tray.balloons().last().text,
                  QStringLiteral("\"backup.tmp\" renomeado para \"backup.zip\"\rFile: ") +
                      localPath(QStringLiteral("backup.zip")));
        EXPECT_EQ(bar.writes().last().text, QString()); // cleared at the end
        bool total = false;
        for (const RecordingStatusBar::Write &w : bar.writes())
            total = total || (w.panel == 2 && w.text == QStringLiteral("40000 bytes totais"));
        EXPECT_TRUE(total);
    }
}

// The remote listing, the space report and the connection test read the server
// through the same listing lines as over FTP.
TEST_F(SftpTest, ListsReportsAndTestsTheConnection) {
    settings(sshd->fingerprint(), sshd->clientKey());
    QDir(ftpRoot->path()).mkpath(QStringLiteral("Chat"));
    ftpRoot->write(remote + QStringLiteral("/backup.rar"), content(1234567, 'l'));
    ftpRoot->write(remote + QStringLiteral("/old.zip"), "zip");
    QDir(ftpRoot->file(remote)).mkpath(QStringLiteral("folder"));
    job(QStringLiteral("root"), QString(), remote);

    QLabel heading;
    QWidget panel;
    QTreeWidget list;
    RemoteFolderListing listing(&heading, &panel, &list, &bar, [](bool on) { return on; });
    listing.timeoutMs = 5000;
    listing.Check_FTPFolder(jobs.IBQuery_Backups);
    ASSERT_TRUE(dialogs.shown().isEmpty()) << dialogs.shown().last().text.toStdString();
    QStringList rows;
    for (int i = 0; i < list.topLevelItemCount(); ++i)
        rows << list.topLevelItem(i)->text(0) + QLatin1Char('|') + list.topLevelItem(i)->text(1);
    rows.sort();
    EXPECT_EQ(rows, (QStringList{"backup.rar|1.234.567", "old.zip|3"}));

    ini.writeString(QStringLiteral("FTP"), QStringLiteral("Host"), host());
    ini.writeString(QStringLiteral("FTP"), QStringLiteral("Login"), QStringLiteral("root"));
    ini.writeString(QStringLiteral("FTP"), QStringLiteral("Password"), QString());
    TfFTP_Config config(&ini, nullptr);
    TfFTPSize space(&config);
    space.timeoutMs = 5000;
    space.Verificar();
    const QString login = QFileInfo(ftpRoot->path()).canonicalFilePath();
    ASSERT_GE(space.ListBox1->count(), 2);
    EXPECT_EQ(space.ListBox1->item(0)->text(), login);
    EXPECT_FALSE(
        space.ListBox1->findItems(login + QStringLiteral("/Chat"), Qt::MatchExactly).isEmpty());
    const QList<QListWidgetItem *> chat =
        space.ListBox1->findItems(QStringLiteral(" Chat"), Qt::MatchEndsWith);
    ASSERT_EQ(chat.size(), 1);
    EXPECT_EQ(ParseListingLine(chat.first()->text()).first(), QStringLiteral("Type=D"));

    config.TestaConexao();
    ASSERT_EQ(dialogs.shown().size(), 1);
    EXPECT_EQ(dialogs.shown().last().text,
              QStringLiteral("Conectado com sucesso ao host ") + host());
}

// The server's key is trusted only through the user's known_hosts or the
// settings' fingerprints; an unknown or changed key and a refused login are
// recorded, with the key's fingerprint, and nothing reaches the server.
TEST_F(SftpTest, RefusesUnknownKeysAndWrongPasswords) {
    TempDir home;
    const QByteArray savedHome = qgetenv("HOME");
    qputenv("HOME", QFile::encodeName(home.path()));
    const QString pattern = QStringLiteral("[127.0.0.1]:%1").arg(sshd->port());
    archive(QStringLiteral("backup.rar"), "rar");
    const struct {
        QString knownHosts;
        QString fingerprints;
        QString password;
        QString message; // empty: sent
    } cases[] = {
        {QString(), QString(), QStringLiteral("s3cret"),
         QStringLiteral("Chave SSH desconhecida de %1, recusada (%2)")
             .arg(peer(), sshd->fingerprint())},
        {sshd->otherKnownHostsLine(pattern), QString(), QStringLiteral("s3cret"),
         QStringLiteral("Chave SSH de %1 MUDOU, recusada (%2)").arg(peer(), sshd->fingerprint())},
        {sshd->knownHostsLine(pattern), QString(), QStringLiteral("s3cret"), QString()},
        {QString(), sshd->fingerprint(), QStringLiteral("wrong"),
         QStringLiteral("Login recusado por %1 (usuário %2)").arg(peer(), PasswordUser)},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.message.toStdString());
        home.write(QStringLiteral(".ssh/known_hosts"), c.knownHosts.toLatin1() + '\n');
        settings(c.fingerprints, QString());
        QFile::remove(ftpRoot->file(remote + QStringLiteral("/backup.rar")));
        job(PasswordUser, c.password, remote);
        upload->uploadJob(jobs.IBQuery_Backups);
        if (c.message.isEmpty()) {
            expectSent();
            EXPECT_EQ(remoteFile(QStringLiteral("backup.rar")), QByteArray("rar"));
            continue;
        }
        expectFailure(c.message);
        EXPECT_TRUE(remoteNames().isEmpty());
    }
    qputenv("HOME", savedHome);
}

// A server that takes the connection and never speaks: the wait ends at the
// time-out, or at once when the session ends, and is recorded either way.
TEST_F(SftpTest, SilentServerEndsAtTheTimeOutOrTheSessionEnd) {
    archive(QStringLiteral("backup.rar"), "rar");
    QTcpServer silent; // never accepts: the kernel completes the connection alone
    ASSERT_TRUE(silent.listen(QHostAddress::LocalHost, 0));
    const QString where = QStringLiteral("127.0.0.1:%1").arg(silent.serverPort());
    // The window answers the operator while the session waits.
    QPushButton button(QStringLiteral("Outra coisa"));
    button.show();
    test::ClickingOperator operatorHand(&button, [&] { return upload->uploading(); });
    const struct {
        const char *name;
        int connectMs, boundMs;
        bool ending;
        QString message;
    } cases[] = {
        {"time-out", 2000, 60000, false,
         QStringLiteral("Tempo esgotado esperando %1 (conexão SSH)").arg(where)},
        {"attempt bound", 60000, 1500, false,
         QStringLiteral("Tempo esgotado: %1 levou mais de 1.5 s para responder nesta tentativa")
             .arg(where)},
        {"session end", 60000, 60000, true,
         QStringLiteral("Operação interrompida pelo fim da sessão")},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        job(QStringLiteral("root"), QStringLiteral("s3cret"), remote);
        set(QStringLiteral("FTP_HOST"), QStringLiteral("sftp://") + where);
        upload->client().setConnectTimeout(c.connectMs);
        upload->setAttemptBound(c.boundMs);
        std::thread announcer;
        if (c.ending)
            announcer = std::thread([] {
                std::this_thread::sleep_for(std::chrono::milliseconds(300));
                platform::announceSessionEnd();
            });
        operatorHand.start();
        upload->uploadJob(jobs.IBQuery_Backups);
        operatorHand.stop();
        if (announcer.joinable())
            announcer.join();
        platform::resetSessionEnding();
        if (!c.ending) {
            EXPECT_GE(operatorHand.answered.size(), 3);
            for (qint64 ms : std::as_const(operatorHand.answered))
                EXPECT_LT(ms, 1000);
        }
        expectFailure(c.message);
    }
}

TEST(SftpListing, LongFormatLines) {
    const qint64 now = QDateTime(QDate(2026, 12, 9), QTime(12, 0)).toSecsSinceEpoch();
    const qint64 recent = QDateTime(QDate(2026, 12, 7), QTime(14, 5)).toSecsSinceEpoch();
    const qint64 old = QDateTime(QDate(2025, 1, 15), QTime(9, 0)).toSecsSinceEpoch();
    const struct {
        quint32 mode;
        qint64 size;
        qint64 mtime;
        QString name;
        QString row; // name|size|date, or empty for no row
    } cases[] = {
        {S_IFREG | 0644, 1048576, recent, QStringLiteral("backup.rar"),
         QStringLiteral("backup.rar|1.048.576|07/12/2026 14:05")},
        {S_IFREG | 0600, 2048, old, QStringLiteral("old.zip"),
         QStringLiteral("old.zip|2.048|15/01/2025")},
        {S_IFREG | 0644, 5000000000LL, old, QStringLiteral("big.7z"),
         QStringLiteral("big.7z|5.000.000.000|15/01/2025")},
        {S_IFDIR | 0755, 4096, recent, QStringLiteral("folder"), QString()},
        {S_IFLNK | 0777, 7, recent, QStringLiteral("link"), QString()},
        // A line end in a name cannot start another listing line; the blank stays in it.
        {S_IFREG | 0644, 1, recent, QStringLiteral("a\r\n-rw x"),
         QStringLiteral("a?"
                        "?-rw x|1|07/12/2026 14:05")},
    };
    for (const auto &c : cases) {
        const QString line = LongListingLine(c.mode, QStringLiteral("the owner"),
                                             QStringLiteral("grp"), c.size, c.mtime, c.name, now);
        SCOPED_TRACE(line.toStdString());
        EXPECT_FALSE(line.contains(QLatin1Char('\n')) || line.contains(QLatin1Char('\r')));
        const std::optional<ListingRow> row = ListingRowOf(line, QDate(2026, 12, 9));
        EXPECT_EQ(row ? row->name + '|' + row->size + '|' + row->date : QString(), c.row);
    }
    EXPECT_EQ(ParseSshFingerprints(QStringLiteral("256 SHA256:abc/+1 me (ED25519), SHA256:x,,md5")),
              (QStringList{"SHA256:abc/+1", "SHA256:x"}));
}

} // namespace
