#pragma once

#include <QString>

namespace bkp::ftp {

class FtpClient;

// What the program remembers of an archive on its way to a server, so that an
// upload cut off (lost connection, time-out, end of the program) goes on at the
// next attempt where the server's temporary file ends instead of from the first
// byte: the local file (path, size, modification time) that was being written to
// one remote temporary name. A job's archives share the temporary name, so the
// local path tells them apart. Kept in a file beside the settings file.
class ResumeRecord {
public:
    // "<settings>_Envios.Ini" beside the settings file; empty when the program
    // knows no settings file (nothing is remembered then).
    static QString fileName();

    // The temporary file `tempName` in `folder` of the server `host`, as the job
    // names them.
    ResumeRecord(const QString &host, const QString &folder, const QString &tempName);

    // Where the upload of `localPath` may go on: the size of the temporary file
    // on the server when the same local file was being sent there, the server can
    // go on from an offset and has no more than the file; 0 otherwise.
    qint64 offset(FtpClient &client, const QString &localPath) const;
    // Before sending: `localPath` is going to the temporary file.
    void remember(const QString &localPath) const;
    // After the temporary file is whole.
    void forget() const;

private:
    QString m_section;
    QString m_temp;
};

} // namespace bkp::ftp
