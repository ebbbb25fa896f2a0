#include "app/settings.h"

#include "lib/datetime.h"
#include "lib/paths.h"
#include "platform/filesystem.h"

namespace bkp::app {

namespace fs = platform::fs;

QString settingsFileName(const QString &programPath) {
    const QString folder = fs::extractFilePath(programPath);
    QString name = fs::extractFileName(programPath);
    int dot = int(name.lastIndexOf(QLatin1Char('.')));
    if (dot > 0)
        name.truncate(dot);
    name += QStringLiteral(".Ini");
    return folder.isEmpty() ? name : folder + fs::separator() + name;
}

QString backupsIniFileName(const QString &programPath) {
    // Only the file name is cut and upper-cased: a dot or a lower-case letter in a
    // folder ("~/.local", "/home/joao.silva") must not move the file elsewhere.
    const QString folder = fs::extractFilePath(programPath);
    const QString name =
        fs::extractFileName(programPath).section(QLatin1Char('.'), 0, 0).toUpper() +
        QStringLiteral("_Backups.Ini");
    return folder.isEmpty() ? name : folder + fs::separator() + name;
}

std::unique_ptr<platform::IniFile> openSettingsFile(const QString &programPath,
                                                    QString *writeError) {
    auto ini = std::make_unique<platform::IniFile>(fs::resolve(settingsFileName(programPath)));
    try {
        ini->writeString(QStringLiteral("Geral"), QStringLiteral("UpdateFile"),
                         DateTimeToStr(Now()));
        ini->updateFile();
    } catch (const platform::IniWriteError &e) {
        if (!writeError)
            throw;
        *writeError = e.text();
    }
    return ini;
}

QString touchBackupsIni(const QString &programPath) {
    const QString name = fs::resolve(backupsIniFileName(programPath));
    ForceFolder(fs::extractFilePath(name));
    platform::IniFile file(name);
    const QString section = QStringLiteral("tmp_") + name;
    file.writeString(section, QStringLiteral("Date"), DateTimeToStr(Now()));
    file.updateFile();
    file.eraseSection(section);
    return name;
}

} // namespace bkp::app
