#pragma once

#include <QString>

namespace bkp::backup {

// Every job keeps its archives in a folder of its own below a folder BACKUPS:
// parent folder, "/BACKUPS", "/" and the job name, e.g. /dados/BACKUPS/DIARIO.

// The folder a job is stored with: the folder without trailing separators, with
// "/BACKUPS" added unless it already passes through a folder BACKUPS, and with the
// job name added unless it already is the last folder (names compared in upper
// case). Its own results come back unchanged. Nothing is created.
QString BackupFolderFor(const QString &jobName, const QString &folder);

// BackupFolderFor, and the folder is created with all its parents (failures are
// ignored: the archive run's file operations report them later). The job editor
// stores the result in BACKUPFOLDER.
QString SetPathBackup(const QString &jobName, const QString &folder);

// The stored folder as the archive run uses it: ending in a separator, and with a
// folder "Backups/" added (and created, that one level only) when the text has no
// "/BACKUPS" anywhere in it, in any letter case.
QString SetFolderBackup(const QString &folder);

// Whether an archive name (BACKUPFILE) names only archives of its own inside the
// backup folder: no path separator ("/" or "\\"), no ".." and no wildcard ("*", "?").
bool ArchiveNameInsideFolder(const QString &name);
// The message for a name that would leave the folder or match other archives.
QString ArchiveNameRefusedText(const QString &name);

// Lower case of the letters A to Z only; every other character stays as it is.
QString LowerCaseAZ(const QString &text);
// Lower case with the locale's rules, accented capitals included, letter by
// letter (the length never changes).
QString AnsiLowerCase(const QString &text);

} // namespace bkp::backup
