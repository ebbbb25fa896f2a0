#include "backup/archivers.h"

#include "lib/strings.h"
#include "platform/filesystem.h"
#include "platform/process.h"

#include <QStandardPaths>

namespace bkp::backup {

namespace {

QString programName(const QString &program) {
    return platform::fs::extractFileName(Trim(program)).toLower();
}

} // namespace

QString ArchiverSwitches(const QString &program) {
    return programName(program) == QLatin1String("rar") ? QStringLiteral("a -dh -r")
                                                        : QStringLiteral("a -r");
}

ArchiverChoice DefaultArchiver() {
    for (const char *name : {"rar", "7zz", "7z", "arj"}) {
        const QString found = QStandardPaths::findExecutable(QString::fromLatin1(name));
        if (!found.isEmpty())
            return {found, ArchiverSwitches(found)};
    }
    return {QStringLiteral("/usr/bin/rar"), QStringLiteral("a -dh -r")};
}

QString ArchiverWarning(const QString &utilitario) {
    if (platform::parseCommandLine(Trim(utilitario)).program.isEmpty())
        return QStringLiteral("O compactador \"") + Trim(utilitario) +
               QStringLiteral("\" não é um programa executável neste computador: "
                              "o backup deste job não será feito.");
    if (programName(utilitario) == QLatin1String("zip"))
        return QStringLiteral("O zip não expande as máscaras de arquivos que recebe "
                              "(*.dbf, ...): o backup sairia vazio. Use rar, 7zz, 7z ou arj.");
    return QString();
}

} // namespace bkp::backup
