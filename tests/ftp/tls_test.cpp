#include "uploadfixture.h"

#include "ftp/ftpconfig.h"
#include "ftp/ftpspace.h"
#include "ftp/remotelisting.h"
#include "ftp/tlstrust.h"
#include "platform/inifile.h"
#include "support/testcerts.h"

#include <QLabel>
#include <QListWidget>
#include <QSslCertificate>
#include <QTcpServer>
#include <QTreeWidget>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace bkp;
using namespace bkp::ftp;
using namespace bkp::test;

namespace {

QString hexOf(const QString &opensslFingerprint) {
    return QString(opensslFingerprint).remove(QLatin1Char(':')).toLower();
}

// Free ports of 127.0.0.1 for the relay (and the same numbers on 127.0.0.2).
QList<int> freePorts(int count) {
    QList<int> ports;
    std::vector<std::unique_ptr<QTcpServer>> held;
    while (ports.size() < count) {
        auto probe = std::make_unique<QTcpServer>();
        if (!probe->listen(QHostAddress::LocalHost, 0))
            break;
        ports << probe->serverPort();
        held.push_back(std::move(probe));
    }
    return ports;
}

// Jobs whose FTP_HOST starts with "ftpes://", against servers with certificates
// the suite makes: pyftpdlib's TLS handler with one signed by a private test
// authority the client is told to trust, vsftpd with a self-signed one.
class TlsTest : public UploadTest {
protected:
    static void SetUpTestSuite() {
        UploadTest::SetUpTestSuite();
        certs = new TestCertificates;
        ASSERT_TRUE(certs->ok()) << certs->error().toStdString();
        local127 = certs->make(QStringLiteral("local"), QStringLiteral("IP:127.0.0.1"), true);
        otherHost = certs->make(QStringLiteral("other"), QStringLiteral("DNS:other.example"), true);
        selfSigned = certs->make(QStringLiteral("self"), QStringLiteral("IP:127.0.0.1"), false);
        ASSERT_TRUE(certs->ok()) << certs->error().toStdString();
        tlsServer = new FtpServerProcess;
        ASSERT_TRUE(tlsServer->startPyftpd(ftpRoot->path(), QStringLiteral("zelto"),
                                           QStringLiteral("s3cret"),
                                           {QStringLiteral("--tls"), local127.both}))
            << tlsServer->error().toStdString();
        setExtraAuthorities(QSslCertificate::fromPath(certs->authority()));
    }
    static void TearDownTestSuite() {
        setExtraAuthorities({});
        delete tlsServer;
        tlsServer = nullptr;
        delete certs;
        certs = nullptr;
        UploadTest::TearDownTestSuite();
    }

    TlsTest() : ini(local.file(QStringLiteral("BKPZelto.Ini"))) {
        setTlsSettingsFile(ini.fileName());
    }
    ~TlsTest() override { setTlsSettingsFile(QString()); }

    void trust(const QString &fingerprints) {
        ini.writeString(QStringLiteral("FTP"), QLatin1String(TlsFingerprintsKey), fingerprints);
    }
    // The job's FTP settings, due again, before an upload.
    void job(const QString &host, const QString &user, const QString &folder, int passive) {
        db::ExecSQL(dm->IBDatabase1, QStringLiteral("update BACKUPS set FTP_DATA='1-DEC-2026', "
                                                    "FTP_LASTSEND=null, FTP_LASTERR=null"));
        set(QStringLiteral("FTP_HOST"), host);
        set(QStringLiteral("FTP_USER"), user);
        set(QStringLiteral("FTP_FOLDER"), folder);
        set(QStringLiteral("FTP_PASSIVE"), QString::number(passive));
        timer = RecordingTimer(true);
    }

    // Two archives sent in passive and in active mode into `root`/`folder`, then
    // the remote listing, the space report and the connection test on the server.
    void uploadListAndReport(const QString &host, const QString &user, const QString &folder,
                             const QString &root) {
        for (int passive : {-1, 0}) {
            SCOPED_TRACE(passive == -1 ? "passive" : "active");
            const QByteArray rar = content(3 * 32768 + 5, char('a' - passive));
            const QByteArray zip = content(1000, char('z' - passive));
            archive(QStringLiteral("backup.rar"), rar);
            archive(QStringLiteral("backup.zip"), zip);
            job(host, user, folder, passive);
            upload->uploadJob(jobs.IBQuery_Backups);
            EXPECT_EQ(lastErr(), QString());
            expectSent();
            for (const QString &name :
                 {QStringLiteral("backup.rar"), QStringLiteral("backup.zip")}) {
                QFile f(root + QLatin1Char('/') + folder + QLatin1Char('/') + name);
                ASSERT_TRUE(f.open(QIODevice::ReadOnly)) << name.toStdString();
                EXPECT_EQ(f.readAll(), name.endsWith(QLatin1String("rar")) ? rar : zip);
            }
        }

        QLabel heading;
        QWidget panel;
        QTreeWidget list;
        RemoteFolderListing listing(&heading, &panel, &list, &bar, [](bool on) { return on; });
        listing.timeoutMs = 5000;
        listing.Check_FTPFolder(jobs.IBQuery_Backups);
        ASSERT_TRUE(dialogs.shown().isEmpty()) << dialogs.shown().last().text.toStdString();
        QStringList names;
        for (int i = 0; i < list.topLevelItemCount(); ++i)
            names << list.topLevelItem(i)->text(0);
        names.sort();
        EXPECT_EQ(names, (QStringList{"backup.rar", "backup.zip"}));

        ini.writeString(QStringLiteral("FTP"), QStringLiteral("Host"), host);
        ini.writeString(QStringLiteral("FTP"), QStringLiteral("Login"), user);
        ini.writeString(QStringLiteral("FTP"), QStringLiteral("Password"),
                        QStringLiteral("s3cret"));
        TfFTP_Config config(&ini, nullptr);
        TfFTPSize space(&config);
        space.timeoutMs = 5000;
        space.Verificar();
        ASSERT_GE(space.ListBox1->count(), 2);
        EXPECT_EQ(space.ListBox1->item(0)->text(), QStringLiteral("/"));
        EXPECT_FALSE(
            space.ListBox1->findItems(QStringLiteral("/Chat"), Qt::MatchExactly).isEmpty());

        config.IdFTP_Backup.setReplyTimeout(5000);
        config.TestaConexao();
        ASSERT_EQ(dialogs.shown().size(), 1);
        EXPECT_EQ(dialogs.shown().last().text,
                  QStringLiteral("Conectado com sucesso ao host ") + host);
        EXPECT_TRUE(config.IdFTP_Backup.tls());
        dialogs.clear();
    }

    static inline TestCertificates *certs = nullptr;
    static inline TestCertificates::Pair local127, otherHost, selfSigned;
    static inline FtpServerProcess *tlsServer = nullptr;
    platform::IniFile ini;
};

TEST_F(TlsTest, UploadsListsAndReportsOnPyftpdlibAndVsftpd) {
    QDir(ftpRoot->path()).mkpath(QStringLiteral("Chat"));
    uploadListAndReport(QStringLiteral("ftpes://") + tlsServer->host(), QStringLiteral("zelto"),
                        remote, ftpRoot->path());

    if (!canRunVsftpd() || !::getpwnam("ftp"))
        GTEST_SKIP() << "vsftpd needs root and its ftp user";
    // vsftpd with a self-signed certificate, trusted through its fingerprint as
    // openssl prints it, among others.
    TempDir root;
    QDir(root.path()).mkpath(QStringLiteral("up"));
    QDir(root.path()).mkpath(QStringLiteral("Chat"));
    ::chmod(QFile::encodeName(root.path()).constData(), 0555);
    const passwd *ftpUser = ::getpwnam("ftp");
    ASSERT_EQ(::chown(QFile::encodeName(root.file(QStringLiteral("up"))).constData(),
                      ftpUser->pw_uid, ftpUser->pw_gid),
              0);
    FtpServerProcess vsftpd;
    ASSERT_TRUE(vsftpd.startVsftpd(root.path(), selfSigned.cert, selfSigned.key))
        << vsftpd.error().toStdString();
    trust(hexOf(otherHost.fingerprint) + QStringLiteral(", ") + selfSigned.fingerprint);
    uploadListAndReport(QStringLiteral("ftpes://") + vsftpd.host(), QStringLiteral("anonymous"),
                        QStringLiteral("up"), root.path());
}

// Each refusal is recorded with its reason and the job stays due; the server
// never sees the login.
TEST_F(TlsTest, UntrustedServersAreRefusedAndRecorded) {
    archive(QStringLiteral("backup.rar"), "x");
    FtpServerProcess selfServer, otherServer, plain, silent;
    TempDir plainLogs;
    ASSERT_TRUE(selfServer.startPyftpd(ftpRoot->path(), QStringLiteral("zelto"),
                                       QStringLiteral("s3cret"),
                                       {QStringLiteral("--tls"), selfSigned.both}));
    ASSERT_TRUE(otherServer.startPyftpd(ftpRoot->path(), QStringLiteral("zelto"),
                                        QStringLiteral("s3cret"),
                                        {QStringLiteral("--tls"), otherHost.both}));
    ASSERT_TRUE(plain.startFake(QStringLiteral("elsewhere"), plainLogs.path()));
    ASSERT_TRUE(silent.startFake(QStringLiteral("tlssilent")));

    // Trusted by its fingerprint it is sent; once the fingerprint is removed, refused.
    trust(selfSigned.fingerprint);
    job(QStringLiteral("ftpes://") + selfServer.host(), QStringLiteral("zelto"), remote, -1);
    upload->uploadJob(jobs.IBQuery_Backups);
    expectSent();

    const struct {
        FtpServerProcess *server;
        QString message;
    } cases[] = {
        {&selfServer, QStringLiteral("Certificado TLS autoassinado, não confiável (SHA-256 %1)")
                          .arg(hexOf(selfSigned.fingerprint))},
        {&otherServer,
         QStringLiteral("Certificado TLS não confere com o host 127.0.0.1 (SHA-256 %1)")
             .arg(hexOf(otherHost.fingerprint))},
        {&plain, QStringLiteral("Servidor recusou AUTH TLS: 500 Unknown command")},
        {&silent, QStringLiteral("Tempo esgotado na negociação TLS com ") + silent.host()},
    };
    trust(QString());
    for (const auto &c : cases) {
        SCOPED_TRACE(c.message.toStdString());
        job(QStringLiteral("ftpes://") + c.server->host(), QStringLiteral("zelto"), remote, -1);
        upload->uploadJob(jobs.IBQuery_Backups);
        expectFailure(c.message);
    }
    // The server that knows no TLS heard AUTH TLS and nothing else.
    EXPECT_EQ(plainLogs.read(QStringLiteral("commands")), QByteArray("AUTH TLS\n"));
}

// What travels between client and server, recorded by a relay in between, holds
// neither the password nor the archive's content.
TEST_F(TlsTest, NothingTravelsInClearText) {
    const QList<int> ports = freePorts(7);
    ASSERT_EQ(ports.size(), 7);
    QStringList passive;
    for (int p : ports.mid(1))
        passive << QString::number(p);
    TempDir logs, root;
    FtpServerProcess server, relay;
    QDir(root.path()).mkpath(QStringLiteral("up"));
    ASSERT_TRUE(server.startPyftpd(root.path(), QStringLiteral("zelto"), QStringLiteral("s3cret"),
                                   {QStringLiteral("--tls"), local127.both,
                                    QStringLiteral("--address"), QStringLiteral("127.0.0.2"),
                                    QStringLiteral("--passive-ports"), passive.join(',')}));
    QList<int> relayed = ports.mid(1);
    relayed.prepend(server.port());
    ASSERT_TRUE(relay.startRelay(logs.path(), QStringLiteral("127.0.0.1"),
                                 QStringLiteral("127.0.0.2"), relayed))
        << relay.error().toStdString();

    const QByteArray marker("MARKER-of-the-archive-7f3a");
    QByteArray data;
    for (int i = 0; i < 4000; ++i)
        data += marker;
    archive(QStringLiteral("backup.rar"), data);
    archive(QStringLiteral("backup.zip"), marker);
    job(QStringLiteral("ftpes://127.0.0.1:%1").arg(server.port()), QStringLiteral("zelto"),
        QStringLiteral("up"), -1);
    upload->uploadJob(jobs.IBQuery_Backups);
    expectSent();
    EXPECT_EQ(root.read(QStringLiteral("up/backup.rar")), data);

    const QByteArray up = logs.read(QStringLiteral("up"));
    const QByteArray down = logs.read(QStringLiteral("down"));
    EXPECT_GT(up.size(), data.size()); // the archives went through the relay
    EXPECT_TRUE(up.contains("AUTH TLS"));
    for (const QByteArray &secret : {QByteArray("s3cret"), marker, QByteArray("zelto")}) {
        EXPECT_FALSE(up.contains(secret)) << secret.constData();
        EXPECT_FALSE(down.contains(secret)) << secret.constData();
    }
}

TEST(TlsSettings, FingerprintsAndHosts) {
    const QString a(64, QLatin1Char('a'));
    EXPECT_EQ(ParseFingerprints(QStringLiteral(" AA:") + QString(62, QLatin1Char('A')) +
                                QStringLiteral(" ,, nothex, ") + a.left(63)),
              QStringList{a});
    const struct {
        const char *host;
        bool tls;
        const char *effective;
        int port;
    } hosts[] = {
        {"ftpes://ftp.example.com", true, "ftp.example.com", 21},
        {" FTPES://127.0.0.1:2121/", true, "127.0.0.1", 2121},
        {"ftpes://[::1]:990", true, "::1", 990},
        {"ftp.example.com:2121", false, "ftp.example.com", 2121},
    };
    for (const auto &h : hosts) {
        FtpClient client;
        client.setHost(QLatin1String(h.host));
        EXPECT_EQ(client.tls(), h.tls) << h.host;
        EXPECT_EQ(client.effectiveHost(), QLatin1String(h.effective)) << h.host;
        EXPECT_EQ(client.effectivePort(), h.port) << h.host;
    }
}

} // namespace
