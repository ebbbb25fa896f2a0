#include "support/sshserver.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTcpServer>
#include <QTcpSocket>
#include <QThread>
#include <unistd.h>

namespace bkp::test {

namespace {

const char *const Sshd = "/usr/sbin/sshd";

int freePort(const QHostAddress &address) {
    QTcpServer probe;
    if (!probe.listen(address, 0))
        return 0;
    return probe.serverPort();
}

bool answers(const QHostAddress &address, int port) {
    QTcpSocket s;
    s.connectToHost(address, quint16(port));
    return s.waitForConnected(200);
}

QString publicKeyOf(const TempDir &dir, const QString &name) {
    return QString::fromLatin1(dir.read(name + QStringLiteral(".pub"))).trimmed();
}

} // namespace

bool SshServerProcess::canRun() {
    return geteuid() == 0 && QFileInfo::exists(QLatin1String(Sshd));
}

bool SshServerProcess::ensureUser(const QString &name, const QString &password, QString *error) {
    QProcess p;
    QProcess id;
    id.setStandardOutputFile(QProcess::nullDevice());
    id.setStandardErrorFile(QProcess::nullDevice());
    id.start(QStringLiteral("/usr/bin/id"), {QStringLiteral("-u"), name});
    const bool exists = id.waitForFinished(10000) && id.exitCode() == 0;
    if (!exists && QProcess::execute(QStringLiteral("/usr/sbin/useradd"),
                                     {QStringLiteral("-M"), QStringLiteral("-s"),
                                      QStringLiteral("/bin/sh"), name}) != 0) {
        *error = QStringLiteral("useradd failed");
        return false;
    }
    p.start(QStringLiteral("/usr/sbin/chpasswd"), QStringList{});
    p.write((name + QLatin1Char(':') + password + QLatin1Char('\n')).toUtf8());
    p.closeWriteChannel();
    if (!p.waitForFinished(10000) || p.exitCode() != 0) {
        *error = QStringLiteral("chpasswd failed");
        return false;
    }
    return true;
}

bool SshServerProcess::run(const QString &program, const QStringList &args, QByteArray *output) {
    QProcess p;
    p.start(program, args);
    if (!p.waitForFinished(20000) || p.exitCode() != 0) {
        m_error = program + QStringLiteral(": ") + QString::fromLocal8Bit(p.readAllStandardError());
        return false;
    }
    if (output)
        *output = p.readAllStandardOutput();
    return true;
}

bool SshServerProcess::start(const QString &root, const QString &address) {
    stop();
    for (const char *name : {"host", "client", "other"}) {
        const QString key = m_dir.file(QLatin1String(name));
        if (!QFileInfo::exists(key) &&
            !run(QStringLiteral("/usr/bin/ssh-keygen"),
                 {QStringLiteral("-q"), QStringLiteral("-t"), QStringLiteral("ed25519"),
                  QStringLiteral("-N"), QString(), QStringLiteral("-f"), key}))
            return false;
    }
    QByteArray listing;
    if (!run(QStringLiteral("/usr/bin/ssh-keygen"),
             {QStringLiteral("-lf"), m_dir.file(QStringLiteral("host.pub"))}, &listing))
        return false;
    m_fingerprint = QString::fromLatin1(listing).section(QLatin1Char(' '), 1, 1);
    m_dir.write(QStringLiteral("authorized_keys"),
                publicKeyOf(m_dir, QStringLiteral("client")).toLatin1() + '\n');
    QDir().mkpath(QStringLiteral("/run/sshd"));

    const QHostAddress listenAt(address);
    for (int attempt = 0; attempt < 5; ++attempt) {
        const int port = freePort(listenAt);
        const QString config = m_dir.write(
            QStringLiteral("sshd_config"),
            QStringLiteral("ListenAddress %1:%2\nHostKey %3\nAuthorizedKeysFile %4\n"
                           "StrictModes no\nUsePAM no\nPasswordAuthentication yes\n"
                           "KbdInteractiveAuthentication no\nPermitRootLogin prohibit-password\n"
                           "PidFile none\nLoginGraceTime 30\n"
                           "Subsystem sftp internal-sftp -d %5\n")
                .arg(address)
                .arg(port)
                .arg(m_dir.file(QStringLiteral("host")),
                     m_dir.file(QStringLiteral("authorized_keys")), root)
                .toUtf8());
        m_process = std::make_unique<QProcess>();
        m_process->setStandardOutputFile(QProcess::nullDevice());
        m_process->setStandardErrorFile(QProcess::nullDevice());
        // Its log is kept beside its keys.
        m_process->start(QLatin1String(Sshd),
                         {QStringLiteral("-D"), QStringLiteral("-E"),
                          m_dir.file(QStringLiteral("sshd.log")), QStringLiteral("-f"), config});
        if (!m_process->waitForStarted(5000))
            continue;
        for (int i = 0; i < 50 && m_process->state() == QProcess::Running; ++i) {
            if (answers(listenAt, port)) {
                m_port = port;
                return true;
            }
            QThread::msleep(50);
        }
        stop();
    }
    m_error = QStringLiteral("sshd did not start");
    return false;
}

void SshServerProcess::stop() {
    if (m_process && m_process->state() != QProcess::NotRunning) {
        m_process->terminate();
        if (!m_process->waitForFinished(5000)) {
            m_process->kill();
            m_process->waitForFinished(5000);
        }
    }
    m_process.reset();
    m_port = 0;
}

QString SshServerProcess::knownHostsLine(const QString &hostPattern) const {
    return hostPattern + QLatin1Char(' ') +
           publicKeyOf(m_dir, QStringLiteral("host")).section(QLatin1Char(' '), 0, 1);
}

QString SshServerProcess::otherKnownHostsLine(const QString &hostPattern) const {
    return hostPattern + QLatin1Char(' ') +
           publicKeyOf(m_dir, QStringLiteral("other")).section(QLatin1Char(' '), 0, 1);
}

} // namespace bkp::test
