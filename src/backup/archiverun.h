#pragma once

#include <QHash>
#include <QString>
#include <functional>

namespace bkp::db {
class DataSet;
}

namespace bkp::jobdb {
class JobClaim;
class TDM;
} // namespace bkp::jobdb

namespace bkp::backup {

class ArchiverWatch;

// The archive extension the archiver program gives its archives, by the upper-cased
// program text: "WINRAR.EXE" ".rar", "WINARJ.EXE" ".arj", "WINZIP.EXE" or
// "WINZIP32.EXE" ".zip" (tested in that order, the last match winning); a program
// whose file name is exactly rar, arj or zip counts the same, and 7z, 7za or 7zz
// (7-Zip) gives ".7z". Anything else has no extension.
QString ArchiveExtension(const QString &archiver);

// Starts a command line and returns at once (platform::winExec by default).
using ProcessStart = std::function<bool(const QString &commandLine, int showMode)>;

// Runs that happened but whose next date could not be stored (the job row was
// locked by another program): the job id and the date still to be stored. Kept in
// memory by the window for the life of the program.
using PendingNextDates = QHash<int, double>;

// What an archive run reaches in the main window.
struct ArchiveRunContext {
    jobdb::TDM *DM = nullptr; // job database and the shared transaction
    // The main job list (IBQuery_Backups): read again after the next date is
    // written so that the grid shows it. May be missing.
    db::DataSet *IBQuery_Backups = nullptr;
    ProcessStart start; // empty: platform::winExec
    // With it, a run whose date could not be stored is not repeated: a later call
    // for that job on the same day only tries to store the date again, silently.
    PendingNextDates *pending = nullptr;
    // The claim on the job's row: the next date is stored through it.
    jobdb::JobClaim *claim = nullptr;
    // The run was asked for by hand ("&Backup"), not by the schedule.
    bool byHand = false;
    // With it, the archiver is started watched (`start` is not used) and the run's
    // outcome is recorded in the job: its start in BACKUP_LASTSTART before anything
    // is touched, its end when the archiver ends.
    ArchiverWatch *watch = nullptr;
};

// What one run did, for the caller's tests; the window ignores it.
struct ArchiveRunResult {
    bool jobFound = false;
    QString folder;      // the backup folder, lower case, ending in a separator
    QString archivePath; // the archive the archiver is told to write
    QString rotatedTo;   // where the previous archive was moved; empty when none was
    QString commandLine; // as handed to the process start; empty when nothing was started
    bool started = false;
    // The job's archiver, started by an earlier run, still runs: nothing was
    // rotated or started (the archive it writes would have been renamed).
    bool refused = false;
    QString updateSql; // the next-date statement; empty when none was run
};

// The archive run of one job: reads the job and its file sets, makes sure its
// backup folder exists, renames the archive of the previous run to its rotation
// name, starts the archiver with one command line without waiting for it, and
// moves the job's next backup date to tomorrow (committed with commit-retaining).
// Database errors reach the caller.
//
// A job id without a row does nothing. A job without a backup folder (an empty
// BACKUPFOLDER) touches no file and starts nothing, but its date still moves to
// tomorrow so that it does not hold up the jobs after it. A rotation type above 4
// leaves the previous archive where it is (the archiver then adds to it).
ArchiveRunResult runArchive(const ArchiveRunContext &context, int jobId);

// The text of a run refused because the job's archiver still runs.
QString StillRunningText();

// The "&Backup" button: the run of the job on the current row of the job list
// (nothing when the list has no row), under a claim on the job's row. While the
// job's archiver still runs, or another program on the database holds the job,
// the run is refused with a message.
ArchiveRunResult runSelectedJob(const ArchiveRunContext &context);

} // namespace bkp::backup
