#pragma once

#include "support/tempdir.h"

#include <QProcess>
#include <QString>
#include <memory>

namespace bkp::test {

// OpenSSH's sshd for the SFTP tests, on a free loopback port, with a host key
// and an authorised client key made for it; every login starts in `root` (its
// internal SFTP server's start folder). Stopped by its own pid when the object goes.
class SshServerProcess {
public:
    SshServerProcess() = default;
    ~SshServerProcess() { stop(); }
    SshServerProcess(const SshServerProcess &) = delete;
    SshServerProcess &operator=(const SshServerProcess &) = delete;

    // sshd runs as root only.
    static bool canRun();
    // A local user `name` with `password` for password logins, made once and
    // kept (root only).
    static bool ensureUser(const QString &name, const QString &password, QString *error);

    bool start(const QString &root, const QString &address = QStringLiteral("127.0.0.1"));
    void stop();

    int port() const { return m_port; }
    QString error() const { return m_error; }
    // The client's private key, which the server accepts for every user.
    QString clientKey() const { return m_dir.file(QStringLiteral("client")); }
    // The host key's fingerprint as `ssh-keygen -lf` prints it ("SHA256:...").
    QString fingerprint() const { return m_fingerprint; }
    // The known_hosts line for the host key at `hostPattern` ("[127.0.0.1]:2222").
    QString knownHostsLine(const QString &hostPattern) const;
    // A host key of another server, as a known_hosts line for `hostPattern`.
    QString otherKnownHostsLine(const QString &hostPattern) const;

private:
    bool run(const QString &program, const QStringList &args, QByteArray *output = nullptr);

    TempDir m_dir;
    std::unique_ptr<QProcess> m_process;
    int m_port = 0;
    QString m_fingerprint;
    QString m_error;
};

} // namespace bkp::test
