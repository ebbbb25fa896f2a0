#include "tools/publisher.h"

#include "lib/paths.h"
#include "platform/filesystem.h"
#include "platform/inifile.h"

namespace bkp::tools {

namespace {

const QChar Quote = QLatin1Char('"');
const QChar Comma = QLatin1Char(',');

bool needsQuotes(const QString &item) {
    for (QChar c : item) {
        if (c.unicode() <= ' ' || c == Quote || c == Comma)
            return true;
    }
    return false;
}

bool isBlankOrControl(QChar c) {
    return c.unicode() <= ' ';
}

const QString Section = QStringLiteral("TfSDK");

} // namespace

QString CommaText(const QStringList &items) {
    // One empty item must not read back as no item at all.
    if (items.size() == 1 && items.first().isEmpty())
        return QStringLiteral("\"\"");
    QStringList parts;
    for (const QString &item : items) {
        if (needsQuotes(item))
            parts.append(Quote + QString(item).replace(Quote, QStringLiteral("\"\"")) + Quote);
        else
            parts.append(item);
    }
    return parts.join(Comma);
}

QStringList SplitCommaText(const QString &text) {
    QStringList items;
    qsizetype i = 0;
    const qsizetype n = text.size();
    while (i < n && isBlankOrControl(text[i]))
        ++i;
    while (i < n) {
        QString item;
        if (text[i] == Quote) {
            ++i;
            while (i < n) {
                if (text[i] == Quote) {
                    if (i + 1 < n && text[i + 1] == Quote) {
                        item += Quote;
                        i += 2;
                        continue;
                    }
                    ++i;
                    break;
                }
                item += text[i++];
            }
            // Anything after the closing quote up to the comma belongs to the item.
            const qsizetype comma = text.indexOf(Comma, i);
            const qsizetype end = comma < 0 ? n : comma;
            item += text.mid(i, end - i).trimmed();
            i = end;
        } else {
            const qsizetype comma = text.indexOf(Comma, i);
            const qsizetype end = comma < 0 ? n : comma;
            item = text.mid(i, end - i).trimmed();
            i = end;
        }
        items.append(item);
        if (i < n && text[i] == Comma) {
            ++i;
            if (i >= n)
                items.append(QString()); // a trailing comma: an empty last item
            while (i < n && isBlankOrControl(text[i]))
                ++i;
        }
    }
    return items;
}

SdkParams LoadSdkParams(const platform::IniFile &ini) {
    SdkParams p;
    p.FilenameEdit_FTP = ini.readString(Section, QStringLiteral("FilenameEdit_FTP"));
    p.Edit_FTPFolder = ini.readString(Section, QStringLiteral("Edit_FTPFolder"));
    p.FilenameEdit_Install = ini.readString(Section, QStringLiteral("FilenameEdit_Install"));
    const QString files = ini.readString(Section, QStringLiteral("ListBox_FTPFiles"));
    if (!files.isEmpty())
        p.ListBox_FTPFiles = SplitCommaText(files);
    return p;
}

void SaveSdkParams(platform::IniFile &ini, const SdkParams &params) {
    ini.writeString(Section, QStringLiteral("FilenameEdit_FTP"), params.FilenameEdit_FTP);
    ini.writeString(Section, QStringLiteral("Edit_FTPFolder"), params.Edit_FTPFolder);
    ini.writeString(Section, QStringLiteral("FilenameEdit_Install"), params.FilenameEdit_Install);
    QString files = CommaText(params.ListBox_FTPFiles);
    // Reading takes one pair of quotes off a value that starts and ends with one
    // ("a b","c d"): such a list gets one more pair, so it reads back whole.
    if (files.size() >= 2 && files.startsWith(Quote) && files.endsWith(Quote))
        files = Quote + files + Quote;
    ini.writeString(Section, QStringLiteral("ListBox_FTPFiles"), files);
    ini.updateFile();
}

QString ProductName(const QString &title, const QString &version) {
    if (version.trimmed().isEmpty())
        return title;
    return title + QStringLiteral(" [") + version + QLatin1Char(']');
}

QString InstallerPath(const QString &outputDir, const QString &outputBaseFilename) {
    // The script and the installer belong to the other desktop: always its "\".
    const QString separator = QStringLiteral("\\");
    // The extension of the name alone: a dot in the folder is not one.
    const QString name =
        platform::fs::changeFileExt(outputBaseFilename.trimmed(), QStringLiteral(".exe"));
    return JoinPath(outputDir, name, separator);
}

void StampInstallerScript(const QString &scriptPath, const QString &title, const QString &version) {
    const QString product = ProductName(title, version);
    platform::IniFile script(scriptPath);
    const QString setup = QStringLiteral("Setup");
    script.writeString(setup, QStringLiteral("AppName"), product);
    script.writeString(setup, QStringLiteral("AppVerName"), product);
    if (!version.trimmed().isEmpty()) {
        script.writeString(setup, QStringLiteral("AppVersion"), version);
        script.writeString(setup, QStringLiteral("VersionInfoVersion"), version);
    }
    script.writeString(setup, QStringLiteral("UninstallDisplayName"), product);
    script.writeString(setup, QStringLiteral("UninstallLogMode"), QStringLiteral("overwrite"));
    const QString installer =
        InstallerPath(script.readString(setup, QStringLiteral("OutputDir")),
                      script.readString(setup, QStringLiteral("OutputBaseFilename")));
    const QString notice = QStringLiteral("Aviso de atualização");
    script.eraseSection(notice);
    script.writeString(notice, QStringLiteral("Sistema"), product);
    script.writeString(notice, QStringLiteral("Instalador:"), installer);
    script.updateFile();
}

QString UploadCommandLine(const QString &program, const QString &folder, const QStringList &files) {
    return program + QStringLiteral(" folder=") + folder + QStringLiteral(" filenames=") +
           CommaText(files);
}

} // namespace bkp::tools
