#pragma once

#include "lib/datetime.h"

#include <QString>
#include <exception>
#include <functional>

namespace bkp {
class StatusBarPort;
class TimerPort;
class TrayPort;
} // namespace bkp

namespace bkp::db {
class DataSet;
class JobClaim;
class Query;
class TDM;
} // namespace bkp::db

namespace bkp::schedule {

// The main window's schedule flags. The window owns them; the session handling
// reads TimerBusy (a shutdown query is refused while a tick works) and sets
// WindowsEnding.
struct ScheduleState {
    int TimerPhase = 0; // 0: the tick checks backups, 1: it checks FTP uploads
    bool TimerBusy = false;
    bool WindowsEnding = false;
};

// What a tick reaches in the main window. Any port may be missing (nothing is
// shown there); the two runners must be set for due jobs to be run.
struct ScheduleContext {
    db::TDM *DM = nullptr; // job database and the shared transaction
    StatusBarPort *StatusBar1 = nullptr;
    TrayPort *NotificationIcon1 = nullptr;
    TimerPort *Timer1 = nullptr;
    TimerPort *Timer_Now = nullptr;
    // The archive run for the job with this ID. Both runners get the check's claim
    // on the job's row and store their changes to it through the claim.
    std::function<void(int id, db::JobClaim *claim)> GeraBackup;
    // The upload of the job on the current row of the check's own query over
    // BACKUPS; it records its outcome in the job's row itself.
    std::function<void(db::Query &query, db::JobClaim *claim)> Envia_FTP;
    // Shows an error that escaped a check. The box is shown with the schedule
    // still off, so no check runs (and no second box opens) until it is closed.
    // When empty, the error leaves the tick instead.
    std::function<void(const std::exception &error)> ShowError;
};

// Status panel the checks write their progress into.
constexpr int SchedulePanel = 3;

// The job on the current row is due for its archive run: active (BACKUPACTIVE 0,
// or null), and both today's date has reached DATA and the time of day has
// reached HORA. Date and time are compared separately; a null reads as long past.
bool BackupDue(const db::DataSet &jobs, TDateTime now);
// The same for the upload: FTP_ACTIVE read as text is "0" (a null is off), with
// FTP_DATA and FTP_HORA.
bool FtpDue(const db::DataSet &jobs, TDateTime now);

// One schedule tick every Timer1 interval: it alternates between a backup check
// and an FTP check, and each check hands the first due job, in BACKUPNAME order,
// to its runner.
class ScheduleLoop {
public:
    ScheduleLoop(ScheduleState &state, ScheduleContext context);

    // The Timer1 handler. Timers, cursor and TimerBusy are restored whatever the
    // check does; an error of the check then leaves here for the general error display.
    void Timer1Timer();

    void CheckBackups();
    void Check_FTP();

    ScheduleState &state() { return m_state; }
    ScheduleContext &context() { return m_context; }

private:
    // Walks every job in name order on a query of its own, showing each, and
    // hands the first due one that this program can claim to `run`.
    void walkJobs(const QString &sql, const QString &status, int pauseMs,
                  bool (*due)(const db::DataSet &, TDateTime),
                  const std::function<void(db::Query &, db::JobClaim *)> &run);

    ScheduleState &m_state;
    ScheduleContext m_context;
};

using CaptionSetter = std::function<void(const QString &caption)>;

// Switches Timer1 on or off, writes "Timer(On)" / "Timer(Off)" as the button's
// caption and returns whether Timer1 was on before, so the caller can give that back.
bool Status_Timer(TimerPort &timer1, const CaptionSetter &setCaption, bool enabled);

// The "&Timer" button: inverts Timer1 and writes "Timer (On)" / "Timer (Off)".
// The clock timer is not touched.
void ToolButtonTimerClick(TimerPort &timer1, const CaptionSetter &setCaption);

} // namespace bkp::schedule
