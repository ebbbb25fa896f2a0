#pragma once

#include "lib/datetime.h"

namespace bkp::db {
class Query;
class UpdateSQL;
} // namespace bkp::db

namespace bkp::jobdb {
class TDM;
}

namespace bkp::schedule {

// Minutes between the backups of consecutive jobs, the pause before the first
// upload, and the minutes between uploads.
constexpr int BackupStep = 1;
constexpr int UploadPause = 30;
constexpr int UploadStep = 10;

// Sets up the reschedule's own list: every job in ID order, on the job database and
// in the shared transaction, each row stored through `update`, which rewrites every
// column of BACKUPS for the row whose ID it had when it was read.
void SetupRsBackups(db::Query &rsBackups, db::UpdateSQL &update, jobdb::TDM *dm);

// The reschedule itself, from the start time `start` (only its time of day counts):
// every job, in ID order, gets today as its next backup date and a backup time one
// minute after the previous job's; then, after a 30 minutes' pause, today as its
// next upload date and an upload time ten minutes after the previous job's. Times
// past midnight wrap to the small hours of the same date. Active flags are not
// looked at, and nothing is committed: the rows wait in the shared transaction for
// its next commit. Then "Concluído." is shown and the main window's job list
// `jobList` (when given) is read again, to its last row and back to its first.
// A database error while storing a row ends the reschedule there: the rows before
// it keep their new values, no "Concluído." is shown, and the error goes on.
void Ajustar(db::Query &rsBackups, TDateTime start, db::Query *jobList);

} // namespace bkp::schedule
