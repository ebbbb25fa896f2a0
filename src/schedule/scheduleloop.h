#pragma once

#include "backup/archiverun.h"
#include "lib/datetime.h"
#include "platform/dialogs.h"

#include <QList>
#include <QString>
#include <exception>
#include <functional>
#include <memory>

namespace bkp {
class StatusBarPort;
class TimerPort;
class TrayPort;
} // namespace bkp

namespace bkp::db {
class DataSet;
class Query;
} // namespace bkp::db

namespace bkp::jobdb {
class JobClaim;
class JobQueries;
class OpenViews;
class TDM;
} // namespace bkp::jobdb

namespace bkp::ftp {
class FtpUpload;
}

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
// shown there).
struct ScheduleContext {
    jobdb::TDM *DM = nullptr; // job database and the shared transaction
    StatusBarPort *statusBar = nullptr;
    TrayPort *tray = nullptr;
    TimerPort *scheduleTimer = nullptr; // the timer whose ticks run the checks
    TimerPort *clockTimer = nullptr;    // the status bar's clock
    // The archive run of a due job; the check adds its claim on the job's row, through
    // which the run stores its next date.
    backup::ArchiveRunContext archiveRun;
    // The upload of a due job; it records its outcome in the job's row through the
    // check's claim. Without one, due uploads wait.
    ftp::FtpUpload *upload = nullptr;
    // Shows an error that escaped a check, after its balloon, once the tick has
    // switched the schedule on again; one box at a time. When empty, the error
    // leaves the tick instead.
    std::function<void(const std::exception &error)> showError;
    // The window's job list and file sets. When the connection to the job database
    // is lost they are closed with it, and opened again on the same job once a
    // later tick has connected again; no reconnection is tried while a job is
    // being edited there. May be missing.
    jobdb::JobQueries *views = nullptr;
    // Told once the connection is back and the views are open again.
    std::function<void()> reconnected;
};

// The balloons of a lost job database and of its return.
QString ConnectionLostText();
QString ConnectionBackText();
// How long one reconnection waits for the server, in seconds.
constexpr int ReconnectTimeoutSeconds = 10;

// Status panel the checks write their progress into.
constexpr int SchedulePanel = 3;

// The job on the current row is due for its archive run: active (BACKUPACTIVE 0,
// or null), and both today's date has reached DATA and the time of day has
// reached HORA. Date and time are compared separately; a null reads as long past.
bool BackupDue(const db::DataSet &jobs, TDateTime now);
// The same for the upload: FTP_ACTIVE read as text is "0" (a null is off), with
// FTP_DATA and FTP_HORA.
bool FtpDue(const db::DataSet &jobs, TDateTime now);

// One schedule tick every timer interval: it alternates between a backup check
// and an FTP check, and each check hands the first due job, in BACKUPNAME order,
// to the archive run or the upload. Each check's walk starts after the job it last
// tried, so that a job whose attempts fail (still due after its run, or raising)
// does not hold back the others; it is tried again in its turn.
class ScheduleLoop {
public:
    ScheduleLoop(ScheduleState &state, ScheduleContext context);
    virtual ~ScheduleLoop();
    ScheduleLoop(const ScheduleLoop &) = delete;
    ScheduleLoop &operator=(const ScheduleLoop &) = delete;

    // The timer's handler. Timers, cursor and TimerBusy are restored whatever the
    // check does. The check's message boxes that ask nothing, and an error that
    // escapes it, are a balloon at once and a box after the schedule is on again,
    // one box at a time: the schedule never waits for someone to answer. Without
    // `showError` the error leaves here instead.
    void tick();

    void checkBackups();
    void checkUploads();

    // Whether the job database's connection is lost and not back yet.
    bool connectionLost() const { return m_lost; }

    ScheduleState &state() { return m_state; }
    ScheduleContext &context() { return m_context; }

protected:
    // The archive run of the job with this ID, and the upload of the job on the
    // current row of the check's own query; both get the check's claim on the row.
    virtual void runArchive(int jobId, jobdb::JobClaim *claim);
    virtual void runUpload(db::Query &jobs, jobdb::JobClaim *claim);

private:
    // Walks every job in name order on a query of its own, showing each, and
    // hands the first due one that this program can claim to `run`.
    template <typename Run>
    void walkJobs(const QString &sql, const QString &status, int pauseMs,
                  bool (*due)(const db::DataSet &, TDateTime), int &lastTried, Run run);

    // The dialogs for the length of a check: a box that asks nothing is kept.
    class DeferredBoxes : public platform::Dialogs {
    public:
        explicit DeferredBoxes(ScheduleLoop &loop);
        ~DeferredBoxes() override;
        DeferredBoxes(const DeferredBoxes &) = delete;
        DeferredBoxes &operator=(const DeferredBoxes &) = delete;
        int messageBox(const QString &text, const QString &caption, unsigned flags,
                       QWidget *owner) override;
        bool inputQuery(const QString &caption, const QString &prompt, QString &value) override;
        QString openFileName(const QString &title, const QString &folder,
                             const QString &filter) override;
        QString saveFileName(const QString &title, const QString &folder, const QString &filter,
                             const QString &defaultExtension) override;
        QString selectFolder(const QString &caption, const QString &folder) override;

    private:
        ScheduleLoop &m_loop;
        platform::Dialogs &m_previous;
    };
    struct PendingBox {
        QString text;
        QString caption;
        unsigned flags;
        std::exception_ptr error; // an error that escaped the check, for showError
    };
    void balloonError(const QString &text);
    void showPendingBoxes();
    // A lost connection: told once, and let go unless a job is being edited.
    void connectionLostNow();
    // Lets go of the lost connection, keeping what the window showed.
    void releaseLostConnection();
    // Connects again and reopens the views; false while the server is still away
    // or a job is being edited.
    bool reconnect();
    bool jobBeingEdited() const;

    ScheduleState &m_state;
    ScheduleContext m_context;
    QList<PendingBox> m_pending;
    bool m_boxOpen = false;
    // The job each check last handed on (0: none yet).
    int m_lastArchive = 0;
    int m_lastUpload = 0;
    bool m_lost = false;
    // What the window showed when the lost connection was let go.
    std::unique_ptr<jobdb::OpenViews> m_views;
};

using CaptionSetter = std::function<void(const QString &caption)>;

// Switches the schedule timer on or off, writes "Timer(On)" / "Timer(Off)" as the
// button's caption and returns whether the timer was on before, so the caller can
// give that back.
bool setScheduleEnabled(TimerPort &timer, const CaptionSetter &setCaption, bool enabled);

// The "&Timer" button: inverts the schedule timer and writes "Timer (On)" /
// "Timer (Off)". The clock timer is not touched.
void toggleSchedule(TimerPort &timer, const CaptionSetter &setCaption);

} // namespace bkp::schedule
