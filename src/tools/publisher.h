#pragma once

#include <QString>
#include <QStringList>

namespace bkp::platform {
class IniFile;
}

namespace bkp::tools {

// The file list as one comma-separated text: an item holding a blank, a control
// character, a comma or a double quote goes between double quotes, each quote in
// it doubled.
QString CommaText(const QStringList &items);
// The items of such a text again; an unquoted item runs to the next comma,
// trimmed.
QStringList SplitCommaText(const QString &text);

// The publisher's settings, one key per control in section "TfSDK".
struct SdkParams {
    QString FilenameEdit_FTP;     // upload program
    QString Edit_FTPFolder;       // remote folder
    QString FilenameEdit_Install; // installer script
    QStringList ListBox_FTPFiles; // files to send
};
SdkParams LoadSdkParams(const platform::IniFile &ini);
// Throws platform::IniWriteError when the file cannot be written.
void SaveSdkParams(platform::IniFile &ini, const SdkParams &params);

// The title, with " [version]" after it when the version is known.
QString ProductName(const QString &title, const QString &version);
// Where the compiler will put the installer: the output folder, "\\" and the base
// name with its extension replaced by ".exe" (added without one); always "\\",
// since the script and the installer are for the other desktop.
QString InstallerPath(const QString &outputDir, const QString &outputBaseFilename);

// Stamps the program's name and version into an installer script, read and
// written as an INI file so the rest of it stays as it is: the "Setup" keys, and
// the section "Aviso de atualização" rewritten with "Sistema" and "Instalador:".
// AppVersion and VersionInfoVersion are written only for a known version. A script
// that does not exist yet is created with just these sections. Throws
// platform::IniWriteError when the script cannot be written.
void StampInstallerScript(const QString &scriptPath, const QString &title, const QString &version);

// The upload program's command line: the program, "folder=" with the remote
// folder and "filenames=" with the file list, separated by single blanks.
QString UploadCommandLine(const QString &program, const QString &folder, const QStringList &files);

} // namespace bkp::tools
