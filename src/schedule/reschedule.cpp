#include "schedule/reschedule.h"

#include "db/dataroutines.h"
#include "jobdb/archiveoutcome.h"
#include "jobdb/datamodule.h"
#include "jobdb/jobqueries.h"
#include "lib/calendar.h"
#include "lib/ui.h"

namespace bkp::schedule {

void SetupRsBackups(db::Query &rsBackups, db::UpdateSQL &update, jobdb::TDM *dm) {
    rsBackups.setObjectName(QStringLiteral("rsBackups"));
    rsBackups.setDatabase(dm->IBDatabase1);
    rsBackups.setTransaction(dm->IBTransaction1);
    rsBackups.setSql({QStringLiteral("select"), QStringLiteral("*"), QStringLiteral("from backups"),
                      QStringLiteral("order by ID")});
    // The outcome of the archive runs is the runs' own: a reschedule must not write
    // back what it read while an archiver ends.
    QStringList columns;
    const QStringList outcome = jobdb::backupsOutcomeColumns();
    for (const db::FieldDef &def : jobdb::backupsFieldDefs())
        if (!outcome.contains(def.name))
            columns.append(def.name);
    update = db::keyedUpdateSQL(QStringLiteral("BACKUPS"), columns);
    rsBackups.setUpdateObject(&update);
}

namespace {

// Gives every row, in order, today's date in `dateColumn` and `t` in `timeColumn`,
// advancing t by `step` minutes after each row; returns t after the last row.
TDateTime spread(db::Query &rows, const QString &dateColumn, const QString &timeColumn, TDateTime t,
                 int step) {
    for (rows.first(); !rows.eof(); rows.next()) {
        rows.edit();
        rows.fieldByName(dateColumn)->setAsDateTime(Date());
        rows.fieldByName(timeColumn)->setAsDateTime(t);
        rows.post();
        t = IncMinutes(step, t);
    }
    return t;
}

} // namespace

void Ajustar(db::Query &rsBackups, TDateTime start, db::Query *jobList) {
    TDateTime t = TimeOf(start);
    db::ReopenQuery(&rsBackups, false, false);
    t = spread(rsBackups, QStringLiteral("DATA"), QStringLiteral("HORA"), t, BackupStep);
    t = IncMinutes(UploadPause, t);
    spread(rsBackups, QStringLiteral("FTP_DATA"), QStringLiteral("FTP_HORA"), t, UploadStep);
    ShowMessageBox(QStringLiteral("Concluído."), QString(),
                   platform::MB_OK | platform::MB_ICONINFORMATION);
    if (jobList)
        db::ReopenQuery(jobList, true, true);
}

} // namespace bkp::schedule
