#include "uploadfixture.h"

#include "ftp/resumerecord.h"
#include "ftp/sftpclient.h"
#include "ftp/tlstrust.h"
#include "platform/inifile.h"
#include "support/sshserver.h"
#include "support/testcerts.h"

#include <QCryptographicHash>
#include <QFileInfo>
#include <QSslCertificate>
#include <QTcpServer>
#include <sys/stat.h>

using namespace bkp;
using namespace bkp::ftp;
using namespace bkp::test;

namespace {

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

QByteArray sha256(const QByteArray &data) {
    return QCryptographicHash::hash(data, QCryptographicHash::Sha256).toHex();
}

// An archive whose upload a relay cuts off at 90 %: the next attempt sends only
// what the server is missing, and the copy on the server is whole.
class ResumeTest : public UploadTest {
protected:
    static constexpr int ArchiveSize = 32 * 1024 * 1024;

    ResumeTest() : ini(local.file(QStringLiteral("BKPZelto.Ini"))) {
        setTlsSettingsFile(ini.fileName());
    }
    ~ResumeTest() override {
        setTlsSettingsFile(QString());
        setExtraAuthorities({});
    }

    // The job on the server behind the relay, due again.
    void job(const QString &host, const QString &user) {
        db::ExecSQL(dm->IBDatabase1, QStringLiteral("update BACKUPS set FTP_DATA='1-DEC-2026', "
                                                    "FTP_LASTSEND=null, FTP_LASTERR=null"));
        set(QStringLiteral("FTP_HOST"), host);
        set(QStringLiteral("FTP_USER"), user);
        set(QStringLiteral("FTP_FOLDER"), QStringLiteral("up"));
        timer = RecordingTimer(true);
    }

    platform::IniFile ini;
};

TEST_F(ResumeTest, CutUploadGoesOnWhereTheServerStopped) {
    TestCertificates certs;
    const TestCertificates::Pair cert =
        certs.make(QStringLiteral("local"), QStringLiteral("IP:127.0.0.1"), true);
    ASSERT_TRUE(certs.ok()) << certs.error().toStdString();
    setExtraAuthorities(QSslCertificate::fromPath(certs.authority()));
    const QByteArray data = content(ArchiveSize, 'c');
    const QString rar = archive(QStringLiteral("backup.rar"), data);
    // Sent again from the first byte: another local file at the same path, or a
    // server that cannot go on from an offset.
    const struct {
        const char *scheme;
        bool touched; // the local archive written again after the cut
        bool noRest;  // an FTP server without REST
    } cases[] = {{"", false, false},
                 {"ftpes://", false, false},
                 {"sftp://", false, false},
                 {"sftp://", true, false},
                 {"", false, true}};
    for (const auto &c : cases) {
        SCOPED_TRACE(std::string(c.scheme) + (c.touched ? " touched" : "") +
                     (c.noRest ? " without REST" : ""));
        const bool sftp = QLatin1String(c.scheme) == QLatin1String("sftp://");
        if (sftp && !SshServerProcess::canRun())
            continue;
        TempDir root, logs;
        QDir(root.path()).mkpath(QStringLiteral("up"));
        FtpServerProcess ftp, relay;
        SshServerProcess sshd;
        const QList<int> ports = freePorts(4);
        ASSERT_EQ(ports.size(), 4);
        QList<int> relayed;
        QString user = QStringLiteral("zelto");
        if (sftp) {
            ASSERT_TRUE(sshd.start(root.path(), QStringLiteral("127.0.0.2")))
                << sshd.error().toStdString();
            relayed << sshd.port();
            user = QStringLiteral("root");
            ini.writeString(QStringLiteral("FTP"), QLatin1String(SshFingerprintsKey),
                            sshd.fingerprint());
            ini.writeString(QStringLiteral("FTP"), QLatin1String(SshKeyFileKey), sshd.clientKey());
        } else {
            QStringList passive;
            for (int p : ports.mid(1))
                passive << QString::number(p);
            QStringList options{QStringLiteral("--address"), QStringLiteral("127.0.0.2"),
                                QStringLiteral("--passive-ports"), passive.join(',')};
            if (*c.scheme)
                options << QStringLiteral("--tls") << cert.both;
            if (c.noRest)
                options << QStringLiteral("--norest");
            ASSERT_TRUE(ftp.startPyftpd(root.path(), user, QStringLiteral("s3cret"), options));
            relayed << ftp.port() << ports.mid(1);
        }
        ASSERT_TRUE(relay.startRelay(logs.path(), QStringLiteral("127.0.0.1"),
                                     QStringLiteral("127.0.0.2"), relayed,
                                     qint64(ArchiveSize) * 9 / 10))
            << relay.error().toStdString();
        job(QLatin1String(c.scheme) + QStringLiteral("127.0.0.1:%1").arg(relayed.first()), user);

        // The relay in between is slower than the servers.
        upload->client().setReplyTimeout(10000);
        upload->client().setTransferTimeout(10000);
        upload->uploadJob(jobs.IBQuery_Backups);
        EXPECT_FALSE(lastErr().isEmpty());
        EXPECT_EQ(ftpData(), QDate(2026, 12, 1));
        const qint64 kept = QFileInfo(root.file(QStringLiteral("up/backup.tmp"))).size();
        EXPECT_GT(kept, qint64(ArchiveSize) * 8 / 10);
        EXPECT_FALSE(QFileInfo::exists(root.file(QStringLiteral("up/backup.rar"))));
        if (c.touched) {
            QFile f(rar);
            ASSERT_TRUE(f.open(QIODevice::ReadWrite));
            f.setFileTime(QDateTime::currentDateTime().addSecs(-60),
                          QFileDevice::FileModificationTime);
        }

        const qint64 before = QFileInfo(logs.file(QStringLiteral("up"))).size();
        timer = RecordingTimer(true);
        upload->uploadJob(jobs.IBQuery_Backups);
        expectSent(); // the error text of the cut stays, as after any failure

        const qint64 again = QFileInfo(logs.file(QStringLiteral("up"))).size() - before;
        if (c.touched || c.noRest)
            EXPECT_GT(again, qint64(ArchiveSize));
        else
            EXPECT_LT(again, qint64(ArchiveSize) * 15 / 100);
        EXPECT_EQ(sha256(root.read(QStringLiteral("up/backup.rar"))), sha256(data));
        EXPECT_FALSE(QFileInfo::exists(root.file(QStringLiteral("up/backup.tmp"))));
        // Nothing is left to go on with.
        EXPECT_TRUE(platform::IniFile(ResumeRecord::fileName()).readSections().isEmpty());
    }
}

} // namespace
