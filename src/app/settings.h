#pragma once

#include "platform/inifile.h"

#include <QString>
#include <memory>

namespace bkp::app {

// The program's settings file: the executable's path with its extension
// replaced by ".Ini" (/opt/bkp/BKP.EXE reads /opt/bkp/BKP.Ini).
QString settingsFileName(const QString &programPath);

// The second, always empty file, beside the settings file: the executable's file
// name cut before its first "." and upper-cased, followed by "_Backups.Ini", in the
// executable's folder as it is (/opt/v1.2/bkp.exe gives /opt/v1.2/BKP_Backups.Ini).
QString backupsIniFileName(const QString &programPath);

// Opens the settings file and records the start in "Geral" / "UpdateFile", so the
// file is on disk after every start. Throws platform::IniWriteError when the file
// cannot be written; the returned object is still usable for reading then.
std::unique_ptr<platform::IniFile> openSettingsFile(const QString &programPath,
                                                    QString *writeError = nullptr);

// Creates the "_Backups.Ini" file (and its folder) by writing and erasing a
// temporary section. Returns the file's path; throws IniWriteError on failure.
QString touchBackupsIni(const QString &programPath);

} // namespace bkp::app
