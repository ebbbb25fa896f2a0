#include "schedule/scheduleloop.h"

#include "db/errors.h"
#include "db/query.h"
#include "ftp/upload.h"
#include "jobdb/datamodule.h"
#include "jobdb/jobclaim.h"
#include "jobdb/jobqueries.h"
#include "lib/ports.h"
#include "lib/scopeguard.h"
#include "lib/ui.h"
#include "platform/application.h"
#include "platform/dialogs.h"

namespace bkp::schedule {

namespace {

const QString WindowsEndingText = QStringLiteral("Windows finalizando...");

// The balloons stay six seconds.
constexpr int WindowsEndingBalloonMs = 6000;
constexpr int ErrorBalloonMs = 6000;

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

QString ConnectionLostText() {
    return QStringLiteral("Conexão com o banco de dados perdida. O agendamento volta quando "
                          "ela for restabelecida.");
}

QString ConnectionBackText() {
    return QStringLiteral("Conexão com o banco de dados restabelecida.");
}

ScheduleLoop::ScheduleLoop(ScheduleState &state, ScheduleContext context)
    : m_state(state), m_context(std::move(context)) {}

ScheduleLoop::~ScheduleLoop() = default;

void ScheduleLoop::tick() {
    if (m_state.WindowsEnding) {
        ShowStatus(m_context.statusBar, SchedulePanel, WindowsEndingText);
        if (m_context.tray)
            m_context.tray->showBalloon(platform::applicationTitle(), WindowsEndingText,
                                        TrayPort::BalloonKind::Warning, WindowsEndingBalloonMs);
        return;
    }
    // An upload lets window messages through; a tick that slips in meanwhile
    // (the timer switched on by hand) must not start a second check on top, nor
    // start anything while an upload from the toolbar runs.
    if (m_state.TimerBusy || (m_context.upload && m_context.upload->uploading()))
        return;

    m_state.TimerBusy = true;
    setTimer(m_context.scheduleTimer, false);
    setTimer(m_context.clockTimer, false);
    // The upload leaves its last progress text in the hint.
    if (m_context.tray)
        m_context.tray->setHint(platform::applicationTitle());
    SwapCursor(platform::CursorKind::Hourglass);

    {
        // A box shown inside the check would hold the schedule until someone
        // answers it: the check's boxes become balloons now and boxes after it.
        DeferredBoxes deferred(*this);
        ScopeGuard restore([this] {
            SwapCursor(platform::CursorKind::Default);
            setTimer(m_context.scheduleTimer, true);
            setTimer(m_context.clockTimer, true);
            m_state.TimerBusy = false;
        });
        try {
            // While the server is away the ticks only try to connect again.
            if (!m_lost || reconnect()) {
                Inc_Range(m_state.TimerPhase, 1);
                if (m_state.TimerPhase == 0)
                    checkBackups();
                else if (m_state.TimerPhase == 1)
                    checkUploads();
            }
        } catch (const std::exception &e) {
            const auto *database = dynamic_cast<const db::DatabaseError *>(&e);
            if (!database || !database->isConnectionLost()) {
                if (!m_context.showError)
                    throw;
                balloonError(db::ErrorText(e));
                m_pending.append({QString(), QString(), 0, std::current_exception()});
            } else {
                connectionLostNow();
            }
        }
    }
    showPendingBoxes();
}

bool ScheduleLoop::jobBeingEdited() const {
    return m_context.views && jobdb::JobBeingEdited(*m_context.views);
}

void ScheduleLoop::connectionLostNow() {
    // One balloon for the whole outage, not an error at every tick.
    if (!m_lost && m_context.tray)
        m_context.tray->showBalloon(platform::applicationTitle(), ConnectionLostText(),
                                    TrayPort::BalloonKind::Warning, ErrorBalloonMs);
    m_lost = true;
    // A job being edited keeps its fields until the operator is done with it.
    if (!jobBeingEdited())
        releaseLostConnection();
}

void ScheduleLoop::releaseLostConnection() {
    db::Database *database = m_context.DM->IBDatabase1;
    if (!database->connected())
        return;
    if (m_context.views && !m_views)
        m_views = std::make_unique<jobdb::OpenViews>(m_context.DM, m_context.views);
    // Nothing of the shared transaction can be committed any more: the server
    // drops it with the connection, and the job whose outcome was in it stays due.
    database->abandon();
}

bool ScheduleLoop::reconnect() {
    if (jobBeingEdited())
        return false;
    releaseLostConnection();
    db::Database *database = m_context.DM->IBDatabase1;
    const int timeout = database->connectTimeout();
    database->setConnectTimeout(ReconnectTimeoutSeconds);
    ScopeGuard keepTimeout([&] { database->setConnectTimeout(timeout); });
    try {
        if (m_views)
            m_views->restore();
        else
            database->open();
    } catch (const db::DatabaseError &) {
        // Still away: tried again at the next tick, without a word.
        database->abandon();
        return false;
    }
    m_views.reset();
    m_lost = false;
    if (m_context.tray)
        m_context.tray->showBalloon(platform::applicationTitle(), ConnectionBackText(),
                                    TrayPort::BalloonKind::Info, ErrorBalloonMs);
    if (m_context.reconnected)
        m_context.reconnected();
    return true;
}

void ScheduleLoop::balloonError(const QString &text) {
    if (m_context.tray)
        m_context.tray->showBalloon(platform::applicationTitle(), text,
                                    TrayPort::BalloonKind::Error, ErrorBalloonMs);
}

void ScheduleLoop::showPendingBoxes() {
    // The schedule runs on while a box is open; an error of a later tick waits for
    // the open box to close.
    if (m_boxOpen)
        return;
    m_boxOpen = true;
    ScopeGuard closed([this] { m_boxOpen = false; });
    while (!m_pending.isEmpty()) {
        const PendingBox box = m_pending.takeFirst();
        if (!box.error) {
            platform::dialogs().messageBox(box.text, box.caption, box.flags, nullptr);
            continue;
        }
        try {
            std::rethrow_exception(box.error);
        } catch (const std::exception &e) {
            m_context.showError(e);
        }
    }
}

ScheduleLoop::DeferredBoxes::DeferredBoxes(ScheduleLoop &loop)
    : m_loop(loop), m_previous(platform::dialogs()) {
    platform::setDialogs(this);
}

ScheduleLoop::DeferredBoxes::~DeferredBoxes() {
    platform::setDialogs(&m_previous);
}

int ScheduleLoop::DeferredBoxes::messageBox(const QString &text, const QString &caption,
                                            unsigned flags, QWidget *owner) {
    // Only a box that asks nothing can wait; a question is put at once.
    if ((flags & platform::MB_BUTTONMASK) != platform::MB_OK)
        return m_previous.messageBox(text, caption, flags, owner);
    m_loop.balloonError(text);
    m_loop.m_pending.append({text, caption, flags, nullptr});
    return platform::IDOK;
}

bool ScheduleLoop::DeferredBoxes::inputQuery(const QString &caption, const QString &prompt,
                                             QString &value) {
    return m_previous.inputQuery(caption, prompt, value);
}

QString ScheduleLoop::DeferredBoxes::openFileName(const QString &title, const QString &folder,
                                                  const QString &filter) {
    return m_previous.openFileName(title, folder, filter);
}

QString ScheduleLoop::DeferredBoxes::saveFileName(const QString &title, const QString &folder,
                                                  const QString &filter,
                                                  const QString &defaultExtension) {
    return m_previous.saveFileName(title, folder, filter, defaultExtension);
}

QString ScheduleLoop::DeferredBoxes::selectFolder(const QString &caption, const QString &folder) {
    return m_previous.selectFolder(caption, folder);
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
                jobdb::JobClaim claim(m_context.DM->IBDatabase1);
                // The other program may have finished the run since the row was read.
                if (claim.takeAfterCommit(id) && due(claim.row(), Now())) {
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
