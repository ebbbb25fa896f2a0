#include "ftp/ftpclient.h"
#include "ftp/listingline.h"
#include "support/ftpservers.h"
#include "support/tempdir.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QHostAddress>
#include <QTcpServer>
#include <gtest/gtest.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace bkp;
using namespace bkp::ftp;

namespace {

QByteArray pattern(qint64 size) {
    QByteArray b(size, Qt::Uninitialized);
    for (qint64 i = 0; i < size; ++i)
        b[i] = char((i * 7 + i / 251) & 0xff);
    return b;
}

// What the client reported through its events, in order.
struct EventLog {
    QStringList events;
    QList<qint64> work;
    void attach(FtpClient &c) {
        c.onConnected = [this] {
            events << QStringLiteral("connected");
        };
        c.onStatus = [this](const QString &s) {
            events << QStringLiteral("status:") + s;
        };
        c.onWorkBegin = [this](qint64 t) {
            events << QStringLiteral("begin:%1").arg(t);
        };
        c.onWork = [this](qint64 n) {
            work << n;
        };
        c.onDisconnected = [this] {
            events << QStringLiteral("disconnected");
        };
    }
};

// One pyftpdlib server for the whole suite, serving a fresh folder.
class FtpClientTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        root = new test::TempDir;
        server = new test::FtpServerProcess;
        ASSERT_TRUE(
            server->startPyftpd(root->path(), QStringLiteral("zelto"), QStringLiteral("s3cret")))
            << server->error().toStdString();
    }
    static void TearDownTestSuite() {
        delete server;
        delete root;
        server = nullptr;
        root = nullptr;
    }

    void SetUp() override {
        ASSERT_TRUE(server && server->port() > 0);
        client.setHost(server->host());
        client.setUsername(QStringLiteral("zelto"));
        client.setPassword(QStringLiteral("s3cret"));
    }

    static test::TempDir *root;
    static test::FtpServerProcess *server;
    test::TempDir local;
    FtpClient client;
};

test::TempDir *FtpClientTest::root = nullptr;
test::FtpServerProcess *FtpClientTest::server = nullptr;

TEST_F(FtpClientTest, StoresRenamesListsAndDeletesInBothModes) {
    QDir(root->path()).mkpath(QStringLiteral("modes"));
    const QByteArray content = pattern(3 * FtpClient::BlockSize + 123);
    const QString file = local.write(QStringLiteral("data.rar"), content);
    for (bool passive : {true, false}) {
        SCOPED_TRACE(passive ? "passive" : "active");
        const QString name = passive ? QStringLiteral("p.rar") : QStringLiteral("a.rar");
        client.setPassive(passive);
        client.connectToServer();
        ASSERT_TRUE(client.connected());
        client.changeDir(QStringLiteral("modes"));
        EXPECT_EQ(client.printWorkingDir(), QStringLiteral("/modes"));
        client.put(file, QStringLiteral("x.tmp"));
        EXPECT_TRUE(client.lastCmdResult().startsWith(QLatin1String("226")))
            << qPrintable(client.lastCmdResult());
        client.rename(QStringLiteral("x.tmp"), name);
        EXPECT_TRUE(client.lastCmdResult().startsWith(QLatin1String("250")));
        EXPECT_EQ(root->read(QStringLiteral("modes/") + name), content);

        const QStringList names = client.list(QString(), false);
        EXPECT_TRUE(names.contains(name)) << qPrintable(names.join(','));
        const QStringList lines = client.list();
        bool found = false;
        for (const QString &l : lines)
            found =
                found || (l.startsWith(QLatin1Char('-')) && l.endsWith(QLatin1Char(' ') + name) &&
                          l.contains(QString::number(content.size())));
        EXPECT_TRUE(found) << qPrintable(lines.join('\n'));
        client.deleteFile(name);
        EXPECT_FALSE(QFile::exists(root->file(QStringLiteral("modes/") + name)));
        client.disconnect();
        EXPECT_FALSE(client.connected());
    }
}

// Names reach each server in its own encoding and come back readable from both:
// UTF-8 where the server lists UTF8 in FEAT, Windows-1252 elsewhere; each listing
// line is read as UTF-8 when it is valid UTF-8.
TEST(FtpNames, TravelInUtf8WhereTheServerListsItAndInWindows1252Elsewhere) {
    test::TempDir root, logs;
    root.write(QStringLiteral("pastá/relatório.zip"), "ok");
    root.write(QStringLiteral("pastá/my backup.rar"), "ok");
    test::FtpServerProcess modern, older;
    ASSERT_TRUE(modern.startPyftpd(root.path(), "zelto", "s3cret")) << modern.error().toStdString();
    ASSERT_TRUE(older.startFake("ansi", logs.path())) << older.error().toStdString();
    const struct {
        test::FtpServerProcess *server;
        bool utf8;
        QStringList names;
    } cases[] = {
        {&modern, true, {"my backup.rar", "relatório.zip"}},
        {&older, false, {"relatório antigo.zip", "relatório.zip"}},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.utf8 ? "pyftpdlib" : "older server");
        FtpClient client;
        client.setHost(c.server->host());
        client.setUsername(QStringLiteral("zelto"));
        client.setPassword(QStringLiteral("s3cret"));
        client.setPassive(true);
        client.connectToServer();
        EXPECT_EQ(client.features().contains(QStringLiteral("UTF8")), c.utf8)
            << client.features().join(',').toStdString();
        EXPECT_EQ(client.utf8(), c.utf8);
        client.changeDir(QStringLiteral("pastá"));
        QStringList names;
        for (const QString &line : client.list())
            if (const auto row = ListingRowOf(line, QDate(2026, 12, 9)))
                names << row->name;
        names.sort();
        EXPECT_EQ(names, c.names);
        client.disconnect();
    }
    const QByteArray commands = logs.read(QStringLiteral("commands"));
    EXPECT_TRUE(commands.contains("FEAT\n")) << commands.toStdString();
    EXPECT_TRUE(commands.contains("CWD past\xe1\n")) << commands.toStdString();
    EXPECT_FALSE(commands.contains("OPTS")) << commands.toStdString();
}

TEST_F(FtpClientTest, RaisesEventsAndReportsWorkPerBlock) {
    EventLog log;
    log.attach(client);
    client.setPassive(true);
    const qint64 size = 2 * FtpClient::BlockSize + 10;
    const QString file = local.write(QStringLiteral("b.zip"), pattern(size));
    client.connectToServer();
    client.put(file, QStringLiteral("events.tmp"));
    client.disconnect();
    client.disconnect(); // a second one has nothing to close and says nothing

    EXPECT_EQ(log.work, (QList<qint64>{FtpClient::BlockSize, 2 * FtpClient::BlockSize, size}));
    ASSERT_EQ(log.events.size(), 5) << qPrintable(log.events.join('|'));
    EXPECT_EQ(log.events[0], QStringLiteral("status:Conectando a ") + server->host());
    EXPECT_EQ(log.events[1], QStringLiteral("connected"));
    EXPECT_EQ(log.events[2], QStringLiteral("begin:%1").arg(size));
    EXPECT_EQ(log.events[3], QStringLiteral("status:Desconectando de ") + server->host());
    EXPECT_EQ(log.events[4], QStringLiteral("disconnected"));
}

TEST_F(FtpClientTest, RefusedRepliesRaiseTheServerLine) {
    client.setPassword(QStringLiteral("wrong"));
    EventLog log;
    log.attach(client);
    try {
        client.connectToServer();
        FAIL() << "logged in with a wrong password";
    } catch (const FtpError &e) {
        EXPECT_TRUE(e.message().startsWith(QLatin1String("530"))) << qPrintable(e.message());
        EXPECT_EQ(e.message(), client.lastCmdResult());
    }
    // The failed login closed the connection before the error left.
    EXPECT_FALSE(client.connected());
    EXPECT_EQ(log.events.last(), QStringLiteral("disconnected"));

    client.setPassword(QStringLiteral("s3cret"));
    client.connectToServer();
    try {
        client.changeDir(QStringLiteral("no/such/folder"));
        FAIL();
    } catch (const FtpError &e) {
        EXPECT_TRUE(e.message().startsWith(QLatin1String("550"))) << qPrintable(e.message());
    }
    EXPECT_THROW(client.deleteFile(QStringLiteral("never-there.rar")), FtpError);
    EXPECT_TRUE(client.lastCmdResult().startsWith(QLatin1String("550")));
    EXPECT_THROW(client.rename(QStringLiteral("never-there.tmp"), QStringLiteral("x")), FtpError);
    // The connection survives refused commands.
    EXPECT_TRUE(client.connected());
    EXPECT_EQ(client.printWorkingDir(), QStringLiteral("/"));
}

// "localhost" may resolve to ::1 first; the client takes the IPv4 address, which
// the server listens on and which active mode needs for PORT.
TEST_F(FtpClientTest, HostNameGoesToItsIPv4Address) {
    client.setHost(QStringLiteral("localhost:%1").arg(server->port()));
    client.setPassive(false);
    client.connectToServer();
    client.list();
    EXPECT_TRUE(client.lastCmdResult().startsWith(QLatin1String("226")));
    client.disconnect();
}

TEST_F(FtpClientTest, MissingLocalFileIsReportedBeforeAnythingIsSent) {
    client.connectToServer();
    try {
        client.put(local.file(QStringLiteral("absent.rar")), QStringLiteral("absent.tmp"));
        FAIL();
    } catch (const FtpError &e) {
        EXPECT_TRUE(e.message().contains(QLatin1String("absent.rar"))) << qPrintable(e.message());
    }
    EXPECT_TRUE(client.connected());
    EXPECT_FALSE(QFile::exists(root->file(QStringLiteral("absent.tmp"))));
}

TEST_F(FtpClientTest, HostMayCarryThePort) {
    FtpClient c;
    EXPECT_EQ(c.effectivePort(), 21);
    c.setHost(QStringLiteral("ftp.example.com"));
    EXPECT_EQ(c.effectiveHost(), QStringLiteral("ftp.example.com"));
    EXPECT_EQ(c.effectivePort(), 21);
    c.setHost(QStringLiteral(" ftp.example.com:2121 "));
    EXPECT_EQ(c.effectiveHost(), QStringLiteral("ftp.example.com"));
    EXPECT_EQ(c.effectivePort(), 2121);
    c.setHost(QStringLiteral("[::1]:2121"));
    EXPECT_EQ(c.effectiveHost(), QStringLiteral("::1"));
    EXPECT_EQ(c.effectivePort(), 2121);
    c.setHost(QStringLiteral("fe80::1"));
    EXPECT_EQ(c.effectiveHost(), QStringLiteral("fe80::1"));
    EXPECT_EQ(c.effectivePort(), 21);
}

TEST(FtpPasvReply, AddressWithOrWithoutParentheses) {
    QHostAddress a;
    quint16 p = 0;
    ASSERT_TRUE(FtpClient::parsePasvReply(
        QStringLiteral("227 Entering Passive Mode (192,168,0,5,19,137)."), a, p));
    EXPECT_EQ(a, QHostAddress(QStringLiteral("192.168.0.5")));
    EXPECT_EQ(p, 19 * 256 + 137);
    ASSERT_TRUE(
        FtpClient::parsePasvReply(QStringLiteral("227 Entering Passive Mode 10,0,0,1,0,21"), a, p));
    EXPECT_EQ(a, QHostAddress(QStringLiteral("10.0.0.1")));
    EXPECT_EQ(p, 21);
    EXPECT_FALSE(FtpClient::parsePasvReply(QStringLiteral("227 Entering Passive Mode"), a, p));
    EXPECT_FALSE(FtpClient::parsePasvReply(QStringLiteral("227 (1,2,3,4,5)"), a, p));
    EXPECT_FALSE(FtpClient::parsePasvReply(QStringLiteral("227 (1,2,3,400,5,6)"), a, p));
}

// Servers that refuse, hang or break off; every case ends in an error, quickly.
class FtpFailureTest : public ::testing::Test {
protected:
    void SetUp() override {
        client.setUsername(QStringLiteral("u"));
        client.setPassword(QStringLiteral("p"));
        client.setConnectTimeout(400);
        client.setReplyTimeout(400);
        client.setTransferTimeout(400);
        client.setPassive(true);
    }
    QString failure(const std::function<void()> &operation) {
        try {
            operation();
        } catch (const FtpError &e) {
            return e.message();
        }
        return QStringLiteral("(no error)");
    }
    test::TempDir local;
    test::FtpServerProcess server;
    FtpClient client;
};

TEST_F(FtpFailureTest, RefusedConnectionNamesTheHost) {
    QTcpServer probe;
    ASSERT_TRUE(probe.listen(QHostAddress::LocalHost, 0));
    const int port = probe.serverPort();
    probe.close();
    client.setHost(QStringLiteral("127.0.0.1:%1").arg(port));
    EXPECT_EQ(failure([&] { client.connectToServer(); }),
              QStringLiteral("Conexão recusada por 127.0.0.1:%1").arg(port));
    EXPECT_FALSE(client.connected());

    client.setHost(QStringLiteral("no-such-host.invalid"));
    EXPECT_EQ(failure([&] { client.connectToServer(); }),
              QStringLiteral("Servidor não encontrado: no-such-host.invalid"));
}

TEST_F(FtpFailureTest, ServerThatNeverCompletesTheConnectionTimesOut) {
    ASSERT_TRUE(server.startFake(QStringLiteral("backlog"))) << server.error().toStdString();
    client.setHost(server.host());
    QElapsedTimer t;
    t.start();
    EXPECT_EQ(failure([&] { client.connectToServer(); }),
              QStringLiteral("Tempo esgotado ao conectar a ") + server.host());
    EXPECT_LT(t.elapsed(), 3000);
}

TEST_F(FtpFailureTest, SilentServerTimesOutWaitingForTheGreeting) {
    ASSERT_TRUE(server.startFake(QStringLiteral("silent"))) << server.error().toStdString();
    client.setHost(server.host());
    EventLog log;
    log.attach(client);
    QElapsedTimer t;
    t.start();
    EXPECT_EQ(failure([&] { client.connectToServer(); }),
              QStringLiteral("Tempo esgotado esperando resposta de ") + server.host());
    EXPECT_LT(t.elapsed(), 3000);
    EXPECT_FALSE(client.connected());
    EXPECT_EQ(log.events.last(), QStringLiteral("disconnected"));
}

TEST_F(FtpFailureTest, PasvReplyWithoutNumbers) {
    ASSERT_TRUE(server.startFake(QStringLiteral("nopasv"))) << server.error().toStdString();
    client.setHost(server.host());
    client.connectToServer();
    const QString file = local.write(QStringLiteral("a.rar"), "abc");
    EXPECT_EQ(failure([&] { client.put(file, QStringLiteral("a.tmp")); }),
              QStringLiteral("Resposta PASV sem endereço: 227 Entering Passive Mode"));
    EXPECT_EQ(failure([&] { client.list(); }),
              QStringLiteral("Resposta PASV sem endereço: 227 Entering Passive Mode"));
}

TEST_F(FtpFailureTest, DroppedDataConnectionEndsWithTheServersReply) {
    ASSERT_TRUE(server.startFake(QStringLiteral("dropdata"))) << server.error().toStdString();
    client.setHost(server.host());
    client.connectToServer();
    const QString file = local.write(QStringLiteral("big.rar"), pattern(32 * 1024 * 1024));
    EXPECT_EQ(failure([&] { client.put(file, QStringLiteral("big.tmp")); }),
              QStringLiteral("426 Connection closed; transfer aborted."));
}

TEST_F(FtpFailureTest, StalledTransferTimesOut) {
    ASSERT_TRUE(server.startFake(QStringLiteral("stall"))) << server.error().toStdString();
    client.setHost(server.host());
    client.connectToServer();
    const qint64 size = 64 * 1024 * 1024;
    const QString file = local.write(QStringLiteral("big.rar"), pattern(size));
    QElapsedTimer t;
    t.start();
    const QString message = failure([&] { client.put(file, QStringLiteral("big.tmp")); });
    EXPECT_TRUE(message.startsWith(QStringLiteral("Transferência parada após ")))
        << qPrintable(message);
    EXPECT_TRUE(message.endsWith(QStringLiteral(" de %1 bytes").arg(size))) << qPrintable(message);
    EXPECT_LT(t.elapsed(), 5000);
}

// The resident size of this process, in bytes.
qint64 residentBytes() {
    QFile statm(QStringLiteral("/proc/self/statm"));
    if (!statm.open(QIODevice::ReadOnly))
        return 0;
    return statm.readAll().split(' ').value(1).toLongLong() * sysconf(_SC_PAGESIZE);
}

// A listing that never ends, fast or a line at a time, whether asked for or as
// the size of a file the server gives no SIZE for: it fails with its message once
// past its bytes or its time, and the memory it took is bounded.
TEST_F(FtpFailureTest, EndlessListingsFailWithinTheirBounds) {
    const struct {
        const char *mode;
        QString message;
    } cases[] = {
        {"endlesslist",
         QStringLiteral("longa demais: mais de %1 bytes").arg(FtpClient::DefaultListingBytes)},
        {"driplist", QStringLiteral("demorada demais: mais de 1 s")},
    };
    for (const auto &c : cases) {
        for (const bool asSize : {false, true}) {
            SCOPED_TRACE(std::string(c.mode) + (asSize ? " SIZE" : " LIST"));
            test::FtpServerProcess fake;
            ASSERT_TRUE(fake.startFake(QLatin1String(c.mode))) << fake.error().toStdString();
            client.setHost(fake.host());
            client.setListingLimits(FtpClient::DefaultListingBytes, 1500);
            // A busy machine may hold the script back longer than the fixture's wait.
            client.setTransferTimeout(5000);
            client.connectToServer();
            const qint64 start = residentBytes();
            qint64 peak = start;
            client.onWork = [&](qint64) {
                peak = qMax(peak, residentBytes());
            };
            const QString message = failure([&] {
                if (asSize)
                    client.remoteSize(QStringLiteral("backup.tmp"));
                else
                    client.list(QStringLiteral("x"));
            });
            client.onWork = nullptr;
            EXPECT_EQ(message,
                      QStringLiteral("Listagem de ") + fake.host() + QLatin1Char(' ') + c.message);
            EXPECT_LT(peak - start, qint64(100) * 1024 * 1024);
            client.disconnect();
        }
    }
}

// vsftpd opens the active data connection only after STOR, where pyftpdlib opens it
// at PORT; both must work.
TEST(FtpVsftpdTest, StoresAndRenamesInBothModes) {
    if (!test::canRunVsftpd())
        GTEST_SKIP() << "vsftpd needs root";
    test::TempDir root, local;
    QDir(root.path()).mkpath(QStringLiteral("backups"));
    ::chmod(QFile::encodeName(root.path()).constData(), 0555);
    const passwd *ftpUser = ::getpwnam("ftp");
    if (!ftpUser)
        GTEST_SKIP() << "no ftp user for vsftpd";
    ASSERT_EQ(::chown(QFile::encodeName(root.file(QStringLiteral("backups"))).constData(),
                      ftpUser->pw_uid, ftpUser->pw_gid),
              0);
    test::FtpServerProcess server;
    ASSERT_TRUE(server.startVsftpd(root.path())) << server.error().toStdString();

    const QByteArray content = pattern(100000);
    const QString file = local.write(QStringLiteral("v.arj"), content);
    FtpClient client;
    client.setHost(server.host());
    client.setUsername(QStringLiteral("anonymous"));
    client.setPassword(QStringLiteral("x@y"));
    for (bool passive : {true, false}) {
        SCOPED_TRACE(passive ? "passive" : "active");
        client.setPassive(passive);
        client.connectToServer();
        client.changeDir(QStringLiteral("backups"));
        client.put(file, QStringLiteral("v.tmp"));
        EXPECT_TRUE(client.lastCmdResult().startsWith(QLatin1String("226")));
        client.rename(QStringLiteral("v.tmp"), QStringLiteral("v.arj"));
        EXPECT_EQ(root.read(QStringLiteral("backups/v.arj")), content);
        EXPECT_TRUE(client.list().join('\n').contains(QLatin1String("v.arj")));
        client.deleteFile(QStringLiteral("v.arj"));
        client.disconnect();
    }
}

} // namespace
