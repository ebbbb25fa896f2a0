#include "schedule/scheduleloop.h"

#include "db/query.h"
#include "jobdb/datamodule.h"
#include "jobdb/jobclaim.h"
#include "lib/ports.h"
#include "lib/ui.h"
#include "platform/application.h"

namespace bkp::schedule {

namespace {

const QString WindowsEndingText = QStringLiteral("Windows finalizando...");

// The balloon stays six seconds.
constexpr int WindowsEndingBalloonMs = 6000;

bool dateAndTimeReached(const db::DataSet &jobs, const QString &dateColumn,
                        const QString &timeColumn, TDateTime now) {
    const TDateTime date = DateOf(jobs.fieldByName(dateColumn)->asDateTime());
    const TDateTime time = TimeOf(jobs.fieldByName(timeColumn)->asDateTime());
    return DateOf(now) >= date && TimeOf(now) >= time;
}

void setTimer(TimerPort *timer, bool enabled) {
    if (timer)
        timer->setEnabled(enabled);
}

} // namespace

bool BackupDue(const db::DataSet &jobs, TDateTime now) {
    if (jobs.fieldByName(QStringLiteral("BACKUPACTIVE"))->asInteger() != 0)
        return false;
    return dateAndTimeReached(jobs, QStringLiteral("DATA"), QStringLiteral("HORA"), now);
}

bool FtpDue(const db::DataSet &jobs, TDateTime now) {
    if (jobs.fieldByName(QStringLiteral("FTP_ACTIVE"))->asString() != QLatin1String("0"))
        return false;
    return dateAndTimeReached(jobs, QStringLiteral("FTP_DATA"), QStringLiteral("FTP_HORA"), now);
}

ScheduleLoop::ScheduleLoop(ScheduleState &state, ScheduleContext context)
    : m_state(state), m_context(std::move(context)) {}

void ScheduleLoop::Timer1Timer() {
    if (m_state.WindowsEnding) {
        ShowStatus(m_context.StatusBar1, SchedulePanel, WindowsEndingText);
        if (m_context.NotificationIcon1)
            m_context.NotificationIcon1->showBalloon(
                platform::applicationTitle(), WindowsEndingText, TrayPort::BalloonKind::Warning,
                WindowsEndingBalloonMs);
        return;
    }
    // An upload lets window messages through; a tick that slips in meanwhile
    // (the timer switched on by hand) must not start a second check on top.
    if (m_state.TimerBusy)
        return;

    m_state.TimerBusy = true;
    setTimer(m_context.Timer1, false);
    setTimer(m_context.Timer_Now, false);
    // The upload leaves its last progress text in the hint.
    if (m_context.NotificationIcon1)
        m_context.NotificationIcon1->setHint(platform::applicationTitle());
    SwapCursor(platform::CursorKind::Hourglass);

    auto restore = [this] {
        SwapCursor(platform::CursorKind::Default);
        setTimer(m_context.Timer1, true);
        setTimer(m_context.Timer_Now, true);
        m_state.TimerBusy = false;
    };
    try {
        Inc_Range(m_state.TimerPhase, 1);
        if (m_state.TimerPhase == 0)
            CheckBackups();
        else if (m_state.TimerPhase == 1)
            Check_FTP();
    } catch (const std::exception &e) {
        if (!m_context.ShowError) {
            restore();
            throw;
        }
        // An upload switches Timer1 on at its end; the box keeps it off.
        setTimer(m_context.Timer1, false);
        SwapCursor(platform::CursorKind::Default);
        try {
            m_context.ShowError(e);
        } catch (...) {
            restore();
            throw;
        }
    } catch (...) {
        restore();
        throw;
    }
    restore();
}

void ScheduleLoop::CheckBackups() {
    walkJobs(QStringLiteral("Select * from Backups order by BackupName"),
             QStringLiteral("Verificando backups... "), 200, BackupDue,
             [this](db::Query &jobs, db::JobClaim *claim) {
                 if (m_context.GeraBackup)
                     m_context.GeraBackup(jobs.fieldByName(QStringLiteral("ID"))->asInteger(),
                                          claim);
             });
}

void ScheduleLoop::Check_FTP() {
    walkJobs(QStringLiteral("Select * from Backups Order By BackupName"),
             QStringLiteral("Verificando FTP... "), 100, FtpDue,
             [this](db::Query &jobs, db::JobClaim *claim) {
                 if (m_context.Envia_FTP)
                     m_context.Envia_FTP(jobs, claim);
             });
}

void ScheduleLoop::walkJobs(const QString &sql, const QString &status, int pauseMs,
                            bool (*due)(const db::DataSet &, TDateTime),
                            const std::function<void(db::Query &, db::JobClaim *)> &run) {
    db::Query jobs;
    jobs.setDatabase(m_context.DM->IBDatabase1);
    jobs.setTransaction(m_context.DM->IBTransaction1);
    jobs.setSqlText(sql);
    jobs.open();
    for (jobs.first(); !jobs.eof(); jobs.next()) {
        ShowStatus(m_context.StatusBar1, SchedulePanel,
                   status + jobs.fieldByName(QStringLiteral("BACKUPNAME"))->asString(), pauseMs);
        if (!due(jobs, Now()))
            continue;
        // Another program on this database may be running the job: it is claimed
        // first, and one held elsewhere is left to that program. Changes this
        // program's shared transaction still holds on the row would stop its own
        // claim, so they are committed before.
        m_context.DM->IBTransaction1->commitRetaining();
        db::JobClaim claim(m_context.DM->IBDatabase1);
        if (!claim.take(jobs.fieldByName(QStringLiteral("ID"))->asInteger()))
            continue;
        // The other program may have finished the run since the row was read.
        if (!due(claim.row(), Now()))
            continue;
        // Only the first due job is run; the others wait for the next check.
        run(jobs, &claim);
        break;
    }
    ShowStatus(m_context.StatusBar1, SchedulePanel, QString());
}

bool Status_Timer(TimerPort &timer1, const CaptionSetter &setCaption, bool enabled) {
    const bool wasOn = timer1.enabled();
    timer1.setEnabled(enabled);
    if (setCaption)
        setCaption(timer1.enabled() ? QStringLiteral("Timer(On)") : QStringLiteral("Timer(Off)"));
    return wasOn;
}

void ToolButtonTimerClick(TimerPort &timer1, const CaptionSetter &setCaption) {
    timer1.setEnabled(!timer1.enabled());
    if (setCaption)
        setCaption(QStringLiteral("Timer ") +
                   (timer1.enabled() ? QStringLiteral("(On)") : QStringLiteral("(Off)")));
}

} // namespace bkp::schedule
