#include "backup/backupfolder.h"

#include "lib/paths.h"
#include "lib/strings.h"
#include "platform/filesystem.h"

namespace bkp::backup {

namespace fs = platform::fs;

QString BackupFolderFor(const QString &jobName, const QString &folder) {
    const QString sep(fs::separator());
    const QString name = Trim(jobName);
    QString result = StripTrailing(folder, sep);
    const QString backups = sep + QStringLiteral("BACKUPS");
    if (!(UpperTrim(result) + sep).contains(backups + sep))
        result = JoinPath(result, backups, sep);
    const QString last = result.mid(result.lastIndexOf(fs::separator()) + 1);
    if (UpperTrim(last) != UpperTrim(name))
        result = JoinPath(result, name, sep);
    return result;
}

QString SetPathBackup(const QString &jobName, const QString &folder) {
    return ForceFolder(BackupFolderFor(jobName, folder));
}

QString SetFolderBackup(const QString &folder) {
    const QChar sep = fs::separator();
    QString result = folder;
    if (!result.endsWith(sep))
        result += sep;
    if (!AnsiUpperCase(result).contains(sep + QStringLiteral("BACKUPS"))) {
        result += QStringLiteral("Backups") + sep;
        fs::createFolder(result);
    }
    return result;
}

QString LowerCaseAZ(const QString &text) {
    QString out = text;
    for (QChar &c : out) {
        if (c >= QLatin1Char('A') && c <= QLatin1Char('Z'))
            c = QChar(char16_t(c.unicode() + 32));
    }
    return out;
}

QString AnsiLowerCase(const QString &text) {
    QString out = text;
    for (QChar &c : out)
        c = c.toLower();
    return out;
}

} // namespace bkp::backup

namespace bkp::backup {

bool ArchiveNameInsideFolder(const QString &name) {
    // A wildcard would make the rotation's mask match other jobs' archives.
    for (const char *refused : {"/", "\\", "..", "*", "?"})
        if (name.contains(QLatin1String(refused)))
            return false;
    return true;
}

QString ArchiveNameRefusedText(const QString &name) {
    return QStringLiteral("O nome do arquivo de backup \"") + name +
           QStringLiteral("\" não pode conter \"/\", \"\\\", \"..\", \"*\" nem \"?\".");
}

} // namespace bkp::backup
