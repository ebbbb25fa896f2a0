#include "support/ftpservers.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTcpServer>
#include <QTcpSocket>
#include <QThread>
#include <csignal>
#include <unistd.h>

namespace bkp::test {

namespace {

// Debian's interpreter, which sees the pyftpdlib package.
const char *const Python = "/usr/bin/python3";

QString scriptPath(const char *name) {
    return QStringLiteral(BKP_SOURCE_DIR "/tests/ftp/") + QLatin1String(name);
}

int freePort() {
    QTcpServer probe;
    if (!probe.listen(QHostAddress::LocalHost, 0))
        return 0;
    return probe.serverPort();
}

bool answers(int port) {
    QTcpSocket s;
    s.connectToHost(QHostAddress::LocalHost, quint16(port));
    return s.waitForConnected(200);
}

} // namespace

bool canRunVsftpd() {
    return geteuid() == 0 && QFileInfo::exists(QStringLiteral("/usr/sbin/vsftpd"));
}

bool FtpServerProcess::startScript(const QString &script, const QStringList &args) {
    stop();
    m_process = std::make_unique<QProcess>();
    m_process->setProcessChannelMode(QProcess::ForwardedErrorChannel);
    m_process->start(QLatin1String(Python), QStringList{script} + args);
    if (!m_process->waitForStarted(5000)) {
        m_error = m_process->errorString();
        return false;
    }
    while (!m_process->canReadLine()) {
        if (!m_process->waitForReadyRead(10000)) {
            m_error = QStringLiteral("no port from ") + script;
            stop();
            return false;
        }
    }
    m_port = m_process->readLine().trimmed().toInt();
    return m_port > 0;
}

bool FtpServerProcess::startPyftpd(const QString &root, const QString &user,
                                   const QString &password, const QStringList &options) {
    return startScript(scriptPath("pyftpd.py"), QStringList{root, user, password} + options);
}

bool FtpServerProcess::startFake(const QString &mode, const QString &logFolder) {
    QStringList args{mode};
    if (!logFolder.isEmpty())
        args << logFolder;
    return startScript(scriptPath("fakeftp.py"), args);
}

bool FtpServerProcess::startVsftpd(const QString &root, const QString &tlsCert,
                                   const QString &tlsKey) {
    stop();
    m_configDir = std::make_unique<QTemporaryDir>();
    QDir().mkpath(QStringLiteral("/var/run/vsftpd/empty"));
    const QString config = m_configDir->filePath(QStringLiteral("vsftpd.conf"));
    QFile f(config);
    if (!f.open(QIODevice::WriteOnly))
        return false;
    f.write(QStringLiteral("listen=YES\nlisten_ipv6=NO\nbackground=NO\nlisten_address=127.0.0.1\n"
                           "anonymous_enable=YES\nlocal_enable=NO\nwrite_enable=YES\n"
                           "anon_upload_enable=YES\nanon_mkdir_write_enable=YES\n"
                           "anon_other_write_enable=YES\nno_anon_password=YES\nanon_umask=022\n"
                           "anon_root=%1\nseccomp_sandbox=NO\nallow_writeable_chroot=YES\n"
                           "secure_chroot_dir=/var/run/vsftpd/empty\npasv_address=127.0.0.1\n"
                           "xferlog_enable=NO\nconnect_from_port_20=NO\n")
                .arg(root)
                .toUtf8());
    // Data connections must resume the control connection's TLS session.
    if (!tlsCert.isEmpty())
        f.write(QStringLiteral("ssl_enable=YES\nallow_anon_ssl=YES\nforce_anon_logins_ssl=YES\n"
                               "force_anon_data_ssl=YES\nrequire_ssl_reuse=YES\n"
                               "rsa_cert_file=%1\nrsa_private_key_file=%2\n")
                    .arg(tlsCert, tlsKey)
                    .toUtf8());
    f.close();
    // vsftpd cannot take port 0: try free ports until one is ours.
    for (int attempt = 0; attempt < 5; ++attempt) {
        const int port = freePort();
        m_process = std::make_unique<QProcess>();
        m_process->setProcessChannelMode(QProcess::ForwardedChannels);
        m_process->start(QStringLiteral("/usr/sbin/vsftpd"),
                         {config, QStringLiteral("-olisten_port=%1").arg(port)});
        if (!m_process->waitForStarted(5000))
            continue;
        for (int i = 0; i < 50 && m_process->state() == QProcess::Running; ++i) {
            if (answers(port)) {
                m_port = port;
                return true;
            }
            QThread::msleep(50);
        }
        stop();
    }
    m_error = QStringLiteral("vsftpd did not start");
    return false;
}

bool FtpServerProcess::startRelay(const QString &logFolder, const QString &listen,
                                  const QString &target, const QList<int> &ports, qint64 cutAfter) {
    QStringList args{logFolder, listen, target};
    if (cutAfter > 0)
        args = QStringList{QStringLiteral("--cut-after"), QString::number(cutAfter)} + args;
    for (int p : ports)
        args << QString::number(p);
    // It says "ready" where the servers print their port.
    startScript(scriptPath("relay.py"), args);
    if (!m_process || m_process->state() != QProcess::Running)
        return false;
    m_port = ports.value(0);
    return true;
}

void FtpServerProcess::setRelayUp(bool up) {
    if (m_process && m_process->state() == QProcess::Running)
        ::kill(pid_t(m_process->processId()), up ? SIGUSR2 : SIGUSR1);
    // The relay acts on the signal within its pause.
    QThread::msleep(500);
}

void FtpServerProcess::stop() {
    if (!m_process)
        return;
    if (m_process->state() != QProcess::NotRunning) {
        m_process->terminate(); // SIGTERM to its own pid
        if (!m_process->waitForFinished(3000)) {
            m_process->kill();
            m_process->waitForFinished(3000);
        }
    }
    m_process.reset();
    m_port = 0;
}

} // namespace bkp::test
