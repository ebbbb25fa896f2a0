#pragma once

#include <QString>
#include <QStringList>
#include <memory>

namespace bkp::ftp {

class FtpClient;

// The key of the settings file's "FTP" section naming the private key an SFTP
// login tries first, and the one listing the SSH servers trusted although the
// user's known_hosts does not name them: fingerprints as `ssh-keygen -lf` prints
// them ("SHA256:..."), comma-separated.
extern const char *const SshKeyFileKey;      // "SSHKeyFile"
extern const char *const SshFingerprintsKey; // "SSHFingerprints"

// The "SHA256:..." fingerprints of an "SSHFingerprints" value; anything else in
// it (the key size and comment of a pasted `ssh-keygen -lf` line) is left out.
QStringList ParseSshFingerprints(const QString &text);

// One long-format listing line ("-rw-r--r--    1 owner    group  1048576 Dec  7 14:05
// backup.rar") for a remote entry, in the form the listing parsers read: a time
// for files of the last six months before `nowSecs`, the year otherwise.
QString LongListingLine(quint32 permissions, const QString &owner, const QString &group,
                        qint64 size, qint64 mtimeSecs, const QString &name, qint64 nowSecs);

// The SSH file transfer behind an FtpClient whose host is written "sftp://host"
// or "sftp://host:port": the same operations, events and errors as FTP. The
// session is libssh's, in blocking mode; every wait is bounded by a watchdog that
// closes the connection when its deadline passes or the session ends, so no call
// into the library can hang. Not for use on its own: FtpClient owns it.
class SftpSession {
public:
    static constexpr int DefaultPort = 22;
    // The longest listing taken from a server, and the longest time one may take.
    static constexpr qint64 MaxListing = 64 * 1024 * 1024;
    static constexpr int ListingTimeout = 5 * 60 * 1000;

    explicit SftpSession(FtpClient &owner);
    ~SftpSession();
    SftpSession(const SftpSession &) = delete;
    SftpSession &operator=(const SftpSession &) = delete;

    // Connects to the owner's host, verifies the server's key, logs in (the key of
    // the settings first, then the password) and opens the file transfer in the
    // login folder. A failure closes what was opened before it raises.
    void connect();
    void close();
    bool connected() const;

    // Writes the local file to `remoteName`, from `offset` on when it is not 0
    // (the remote file is then kept up to there). The upload measures the result
    // before anything replaces the old copy, as it does over FTP.
    void put(const QString &localPath, const QString &remoteName, qint64 offset);
    void deleteFile(const QString &remoteName);
    void changeDir(const QString &folder);
    // Over the old file in one step where the server offers it (posix-rename).
    void rename(const QString &from, const QString &to);
    bool renameReplaces() const;
    QStringList list(const QString &pattern, bool details);
    QString printWorkingDir();
    qint64 remoteSize(const QString &remoteName);

private:
    struct Impl;
    std::unique_ptr<Impl> d;
};

} // namespace bkp::ftp
