#include "schedule/scheduleloop.h"

#include "db/query.h"
#include "ftp/upload.h"
#include "jobdb/datamodule.h"
#include "jobdb/jobclaim.h"
#include "lib/ports.h"
#include "lib/scopeguard.h"
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

void ScheduleLoop::tick() {
    if (m_state.WindowsEnding) {
        ShowStatus(m_context.statusBar, SchedulePanel, WindowsEndingText);
        if (m_context.tray)
            m_context.tray->showBalloon(platform::applicationTitle(), WindowsEndingText,
                                        TrayPort::BalloonKind::Warning, WindowsEndingBalloonMs);
        return;
    }
    // An upload lets window messages through; a tick that slips in meanwhile
    // (the timer switched on by hand) must not start a second check on top.
    if (m_state.TimerBusy)
        return;

    m_state.TimerBusy = true;
    setTimer(m_context.scheduleTimer, false);
    setTimer(m_context.clockTimer, false);
    // The upload leaves its last progress text in the hint.
    if (m_context.tray)
        m_context.tray->setHint(platform::applicationTitle());
    SwapCursor(platform::CursorKind::Hourglass);

    ScopeGuard restore([this] {
        SwapCursor(platform::CursorKind::Default);
        setTimer(m_context.scheduleTimer, true);
        setTimer(m_context.clockTimer, true);
        m_state.TimerBusy = false;
    });
    try {
        Inc_Range(m_state.TimerPhase, 1);
        if (m_state.TimerPhase == 0)
            checkBackups();
        else if (m_state.TimerPhase == 1)
            checkUploads();
    } catch (const std::exception &e) {
        if (!m_context.showError)
            throw;
        // An upload switches the timer on at its end; the box keeps it off.
        setTimer(m_context.scheduleTimer, false);
        SwapCursor(platform::CursorKind::Default);
        m_context.showError(e);
    }
}

void ScheduleLoop::checkBackups() {
    walkJobs(QStringLiteral("Select * from Backups order by BackupName"),
             QStringLiteral("Verificando backups... "), 200, BackupDue, m_lastArchive,
             [this](db::Query &jobs, jobdb::JobClaim *claim) {
                 runArchive(jobs.fieldByName(QStringLiteral("ID"))->asInteger(), claim);
             });
}

void ScheduleLoop::checkUploads() {
    walkJobs(QStringLiteral("Select * from Backups Order By BackupName"),
             QStringLiteral("Verificando FTP... "), 100, FtpDue, m_lastUpload,
             [this](db::Query &jobs, jobdb::JobClaim *claim) { runUpload(jobs, claim); });
}

void ScheduleLoop::runArchive(int jobId, jobdb::JobClaim *claim) {
    backup::ArchiveRunContext run = m_context.archiveRun;
    run.claim = claim;
    backup::runArchive(run, jobId);
}

void ScheduleLoop::runUpload(db::Query &jobs, jobdb::JobClaim *claim) {
    if (m_context.upload)
        m_context.upload->uploadJob(jobs, claim);
}

template <typename Run>
void ScheduleLoop::walkJobs(const QString &sql, const QString &status, int pauseMs,
                            bool (*due)(const db::DataSet &, TDateTime), int &lastTried, Run run) {
    db::Query jobs;
    jobs.setDatabase(m_context.DM->IBDatabase1);
    jobs.setTransaction(m_context.DM->IBTransaction1);
    jobs.setSqlText(sql);
    jobs.open();
    // The walk starts after the job last tried and comes round to it last: the
    // rows after it, then those from the first up to it. A job done is no longer
    // due, so jobs due together still run in name order; one that failed waits
    // for the others.
    const int previous = lastTried;
    bool pastPrevious = previous == 0;
    bool ran = false;
    for (int pass = 0; pass < (previous == 0 ? 1 : 2) && !ran; ++pass) {
        for (jobs.first(); !jobs.eof(); jobs.next()) {
            const int id = jobs.fieldByName(QStringLiteral("ID"))->asInteger();
            if (!pastPrevious) {
                pastPrevious = id == previous;
                continue;
            }
            ShowStatus(m_context.statusBar, SchedulePanel,
                       status + jobs.fieldByName(QStringLiteral("BACKUPNAME"))->asString(),
                       pauseMs);
            const bool last = pass == 1 && id == previous;
            if (due(jobs, Now())) {
                // Another program on this database may be running the job: it is
                // claimed first, and one held elsewhere is left to that program.
                // Changes this program's shared transaction still holds on the row
                // would stop its own claim, so they are committed before.
                m_context.DM->IBTransaction1->commitRetaining();
                jobdb::JobClaim claim(m_context.DM->IBDatabase1);
                // The other program may have finished the run since the row was read.
                if (claim.take(id) && due(claim.row(), Now())) {
                    // Only the first due job is run; the others wait for the next check.
                    // Remembered before the run, which may raise.
                    lastTried = id;
                    run(jobs, &claim);
                    ran = true;
                    break;
                }
            }
            if (last)
                break;
        }
        pastPrevious = true;
    }
    ShowStatus(m_context.statusBar, SchedulePanel, QString());
}

bool setScheduleEnabled(TimerPort &timer, const CaptionSetter &setCaption, bool enabled) {
    const bool wasOn = timer.enabled();
    timer.setEnabled(enabled);
    if (setCaption)
        setCaption(timer.enabled() ? QStringLiteral("Timer(On)") : QStringLiteral("Timer(Off)"));
    return wasOn;
}

void toggleSchedule(TimerPort &timer, const CaptionSetter &setCaption) {
    timer.setEnabled(!timer.enabled());
    if (setCaption)
        setCaption(QStringLiteral("Timer ") +
                   (timer.enabled() ? QStringLiteral("(On)") : QStringLiteral("(Off)")));
}

} // namespace bkp::schedule
