#pragma once

#include <QProcess>
#include <QString>
#include <QTemporaryDir>
#include <memory>

namespace bkp::test {

// An FTP server process of a test: started on a free loopback port, stopped by
// its own pid when the object goes.
class FtpServerProcess {
public:
    FtpServerProcess() = default;
    ~FtpServerProcess() { stop(); }
    FtpServerProcess(const FtpServerProcess &) = delete;
    FtpServerProcess &operator=(const FtpServerProcess &) = delete;

    // pyftpdlib serving `root` to one user, with the options of pyftpd.py
    // ("--truncate", "--nosize", "--tls", pem file).
    bool startPyftpd(const QString &root, const QString &user, const QString &password,
                     const QStringList &options = {});
    // The scripted misbehaving server of fakeftp.py in `mode`; with a log folder
    // it records there the commands and data it received.
    bool startFake(const QString &mode, const QString &logFolder = QString());
    // vsftpd serving `root` to anonymous users with upload rights (root only); with
    // a certificate and its key, only over explicit TLS.
    bool startVsftpd(const QString &root, const QString &tlsCert = QString(),
                     const QString &tlsKey = QString());
    // The loopback relay of relay.py: `ports` of `listen` forwarded to `target`,
    // both directions recorded in `logFolder` ("up", "down"); with `cutAfter`, the
    // first connection is cut once its client has sent that many bytes.
    bool startRelay(const QString &logFolder, const QString &listen, const QString &target,
                    const QList<int> &ports, qint64 cutAfter = 0);
    // The relay cuts every connection and refuses new ones (false), or lets them
    // through again (true).
    void setRelayUp(bool up);

    void stop();
    int port() const { return m_port; }
    QString host() const { return QStringLiteral("127.0.0.1:") + QString::number(m_port); }
    QString error() const { return m_error; }

private:
    bool startScript(const QString &script, const QStringList &args);

    std::unique_ptr<QProcess> m_process;
    std::unique_ptr<QTemporaryDir> m_configDir;
    int m_port = 0;
    QString m_error;
};

// Whether this process may run vsftpd (it needs root).
bool canRunVsftpd();

} // namespace bkp::test
