#pragma once

#include <QString>

namespace bkp::db {
class DataSet;
class Database;
class Field;
class Query;
class Table;
} // namespace bkp::db

namespace bkp::jobs {

// What a new job starts with besides its fixed defaults.
struct JobDefaults {
    QString programPath;    // the running executable
    QString defaultFtpHost; // the maker's FTP server for installations below "KAPRI_10"
};

// The archiver a new job names, with its switches: the first of rar, 7zz, 7z and
// arj found on this system (/usr/bin/rar when none is).
QString defaultArchiver();
QString defaultArchiverSwitches();

// Whether the program runs from below a folder "KAPRI_10", where new jobs get
// the maker's FTP defaults.
bool insideKapriFolder(const QString &programPath);

// The FTP defaults of a job created below "KAPRI_10", each only for a null column;
// nothing elsewhere.
void SetDefaultValues(db::DataSet &jobs, const JobDefaults &defaults);

// A new job row: its key, archiver, switches, tomorrow at 12:00, weekday rotation,
// active, then the FTP defaults.
void IBQuery_BackupsAfterInsert(db::DataSet &jobs, db::Table *backupsTable,
                                const JobDefaults &defaults);

// A job put into editing: a missing date becomes tomorrow, a missing time 12:00.
void IBQuery_BackupsAfterEdit(db::DataSet &jobs, const JobDefaults &defaults);

// Before a job row is stored: its folder normalised below BACKUPS, the rotation type
// from the selected item (0 when none), a new job's key taken again; then, unless a
// value is too long for its column (ValueTooLongError), the folder is created.
void IBQuery_BackupsBeforePost(db::DataSet &jobs, db::Table *backupsTable, int tipoIndex);

// What saving the job on the current row should warn about (its archiver is no
// program here, or is zip); empty when nothing.
QString ArchiverSaveWarning(const db::DataSet &jobs);

// Deletes the current job and its file sets; the commit follows the deletion.
void DeleteJob(db::Database *database, db::DataSet &jobs);

// Why a job could not be stored because a value is too long for its column, in the
// page's words: the field by its caption, and for the backup folder what the save
// adds to the folder typed (sep + "BACKUPS" + sep + the job's name).
QString JobValueTooLongText(const db::DataSet &jobs, const QString &column, const QString &caption,
                            int limit);

// Orders the query by the field's column: ascending, then descending on a second
// click of the same column, remembered for the whole program. `ownerKey` names
// the window the query belongs to. A calculated, blob or memo column is refused
// with a message and the query is left as it is; false then.
bool OrderByColumn(db::Query &query, const QString &ownerKey, const QString &fieldName);

// Forgets the remembered column (tests).
void resetOrderMemory();

} // namespace bkp::jobs
