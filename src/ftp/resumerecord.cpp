#include "ftp/resumerecord.h"

#include "ftp/ftpclient.h"
#include "ftp/tlstrust.h"

#include "platform/filesystem.h"
#include "platform/inifile.h"

#include <QDateTime>
#include <QDir>
#include <QFileInfo>

namespace bkp::ftp {

namespace {

struct LocalFile {
    QString path;
    qint64 size = -1;
    qint64 modified = 0; // ms since the epoch
};

LocalFile localFile(const QString &path) {
    const QFileInfo info(platform::fs::resolve(path));
    if (!info.exists())
        return {path};
    return {path, info.size(), info.lastModified().toMSecsSinceEpoch()};
}

} // namespace

QString ResumeRecord::fileName() {
    const QString settings = ftpSettingsFile();
    if (settings.isEmpty())
        return QString();
    const QFileInfo info(settings);
    return info.dir().filePath(info.completeBaseName() + QStringLiteral("_Envios.Ini"));
}

ResumeRecord::ResumeRecord(const QString &host, const QString &folder, const QString &tempName)
    : m_section(host.trimmed() + QLatin1Char('|') + folder.trimmed() + QLatin1Char('|') + tempName),
      m_temp(tempName) {
    // A section name ends at its first "]"; line ends would start another line.
    for (QChar &c : m_section)
        if (c == QLatin1Char(']') || c.unicode() < 0x20)
            c = QLatin1Char('_');
}

qint64 ResumeRecord::offset(FtpClient &client, const QString &localPath) const {
    const QString file = fileName();
    if (file.isEmpty() || !QFileInfo::exists(file))
        return 0;
    const platform::IniFile ini(file);
    if (!ini.sectionExists(m_section))
        return 0;
    const LocalFile local = localFile(localPath);
    if (local.size <= 0 || ini.readString(m_section, QStringLiteral("Temp")) != m_temp ||
        ini.readString(m_section, QStringLiteral("Local")) != local.path ||
        ini.readString(m_section, QStringLiteral("Size")) != QString::number(local.size) ||
        ini.readString(m_section, QStringLiteral("Modified")) != QString::number(local.modified))
        return 0;
    if (!client.canResume())
        return 0;
    qint64 remote = -1;
    try {
        remote = client.remoteSize(m_temp);
    } catch (const FtpError &) {
        if (!client.connected())
            throw;
        return 0; // no temporary file there any more
    }
    return remote > 0 && remote <= local.size ? remote : 0;
}

void ResumeRecord::remember(const QString &localPath) const {
    const QString file = fileName();
    if (file.isEmpty() || !FtpClient::safeArgument(localPath) || !FtpClient::safeArgument(m_temp))
        return;
    const LocalFile local = localFile(localPath);
    // A record that cannot be written costs only the going on after a cut.
    try {
        platform::IniFile ini(file);
        ini.writeString(m_section, QStringLiteral("Temp"), m_temp);
        ini.writeString(m_section, QStringLiteral("Local"), local.path);
        ini.writeString(m_section, QStringLiteral("Size"), QString::number(local.size));
        ini.writeString(m_section, QStringLiteral("Modified"), QString::number(local.modified));
    } catch (const std::exception &) {
    }
}

void ResumeRecord::forget() const {
    const QString file = fileName();
    if (file.isEmpty() || !QFileInfo::exists(file))
        return;
    try {
        platform::IniFile ini(file);
        if (ini.sectionExists(m_section))
            ini.eraseSection(m_section);
    } catch (const std::exception &) {
        // Left behind, it names a temporary file renamed since: the next upload
        // finds none there and starts over.
    }
}

} // namespace bkp::ftp
