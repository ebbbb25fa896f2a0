#include "tools/consolescripts.h"

#include "lib/datetime.h"
#include "lib/paths.h"
#include "lib/ui.h"
#include "platform/ansi.h"
#include "platform/dialogs.h"
#include "platform/filesystem.h"
#include "tools/consolerules.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace bkp::tools {

QString ConsoleScripts::load() {
    const QString file = platform::dialogs().openFileName(QStringLiteral("Carregar script SQL"),
                                                          AppSubFolder(QStringLiteral("Scripts")),
                                                          QStringLiteral("SQL Files|*.sql"));
    if (file.isEmpty())
        return QString();
    QFile f(file);
    if (!f.open(QIODevice::ReadOnly)) {
        ShowMessageBox(QStringLiteral("Não foi possível abrir o script ") + file +
                           QStringLiteral("\r\rOcorrência:\r") + f.errorString(),
                       QString(), platform::MB_OK | platform::MB_ICONERROR);
        return QString();
    }
    return decodeText(f.readAll()); // a script of an older editor is Windows-1252
}

void ConsoleScripts::save(const QString &text) {
    if (text.isEmpty()) {
        ShowMessageBox(QStringLiteral("Não há nenhuma instrução SQL para ser salva."), QString(),
                       platform::MB_OK | platform::MB_ICONINFORMATION);
        return;
    }
    const QString file = platform::dialogs().saveFileName(
        QStringLiteral("Salvar script SQL"), AppSubFolder(QStringLiteral("Scripts")),
        QStringLiteral("SQL Files|*.sql"), QStringLiteral("SQL"));
    if (file.isEmpty())
        return;
    const QFileInfo info(file);
    const QString backup = info.dir().filePath(info.completeBaseName() + QStringLiteral(".bkp"));
    platform::fs::deleteFile(backup);
    if (platform::fs::fileExists(file))
        platform::fs::renameFile(file, backup);
    QFile f(file);
    // Told when it fails: the earlier script is in the ".bkp" copy by now.
    if (!f.open(QIODevice::WriteOnly) || f.write(text.toUtf8()) < 0 || !f.flush())
        ShowMessageBox(QStringLiteral("Não foi possível salvar o script ") + file +
                           QStringLiteral("\r\rOcorrência:\r") + f.errorString(),
                       QString(), platform::MB_OK | platform::MB_ICONERROR);
}

void ConsoleScripts::autoSave(const QStringList &history) {
    const QString name = AutoSaveFileName(Now());
    const QString path = AppSubFolder(QStringLiteral("Scripts/Auto"), name);
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly) || f.write(AutoSaveText(history).toUtf8()) < 0)
        ShowMessageBox(QStringLiteral("Não foi possível salvar o arquivo de scripts\r") + name +
                           QStringLiteral("\r\rOcorrência:\r") + f.errorString(),
                       QString(), platform::MB_OK | platform::MB_ICONINFORMATION);
}

} // namespace bkp::tools
