#pragma once

#include "ftp/ftpclient.h"
#include "lib/pacedstatus.h"
#include "lib/ports.h"
#include "lib/ui.h"

#include <QList>
#include <QString>
#include <functional>
#include <utility>

namespace bkp::db {
class DataSet;
class Query;
} // namespace bkp::db

namespace bkp::jobdb {
class JobClaim;
class TDM;
} // namespace bkp::jobdb

namespace bkp::backup {
class ArchiverWatch;
}

namespace bkp::ftp {

// The archive extensions that are sent.
extern const char *const FtpExtensions; // ".rar~.zip~.arj~.7z"

// A number in general format: `precision` significant digits, fixed notation
// without trailing zeros while the value is at least 0.00001 and has no more than
// `precision` digits before the point, else scientific with at least `digits`
// exponent digits ("1,23E04", "1E-06"). 12.345 with "," gives "12,3".
QString FloatToStrGeneral(double value, int precision, int digits, const QString &decimalPoint);

// The tray hint during a transfer: the percentage after the reply, or, for a
// reply that names a file as `"name" .`, in place of the text after the name.
QString ProgressHint(const QString &reply, const QString &percent);

// The error of an archive whose copy on the server has another size than the
// local file; the sizes come first, so that both fit in the last-error column.
QString ArrivalMismatchText(qint64 remote, qint64 local, const QString &remoteName);

// The main window's upload of a job's archives to its FTP server: the client
// `client()`, its event handlers (status bar, tray hint, balloons) and the two
// counters of the progress display. The window owns one; the schedule and the toolbar call it.
class FtpUpload {
public:
    // The job database, the window's job query (refreshed after every upload), the
    // status bar, the tray icon and the schedule timer; the
    // ports may be null.
    FtpUpload(jobdb::TDM &dm, db::Query &jobQuery, StatusBarPort *statusBar, TrayPort *tray,
              TimerPort *scheduleTimer);
    FtpUpload(const FtpUpload &) = delete;
    FtpUpload &operator=(const FtpUpload &) = delete;

    // Sends the archives of the job on the current row of `query` and records the
    // outcome in the job's row. Errors are recorded, not raised; only a failure to
    // record one leaves here (after the timer, connection and cursor are restored).
    // A call while an upload is running (from a click handled while it waits on the
    // server) does nothing. With a claim on the job's row, the job's columns are
    // read from the claimed row and the outcome is stored through it.
    void uploadJob(db::DataSet &query, jobdb::JobClaim *claim = nullptr);
    // The toolbar button: uploadJob of the job selected in the job query, under a
    // claim on its row; a job another program holds is refused with a message.
    void uploadSelectedJob();
    bool uploading() const { return m_uploading; }
    // The job being sent (0 outside an upload).
    int uploadingJob() const { return m_uploadingJob; }
    // Called with true when an upload starts and false when it ends, so that the
    // window can switch off what would start another.
    std::function<void(bool running)> onRunning;
    // One attempt's bound on its waits for the server, the transfers not counted (ms).
    static constexpr int DefaultAttemptBound = 120 * 1000;
    void setAttemptBound(int ms) { m_attemptBound = ms; }
    // The archivers this program runs: a job whose archiver still runs is not sent.
    void setArchiverWatch(const backup::ArchiverWatch *watch) { m_watch = watch; }

    FtpClient &client() { return m_client; }

    // Handlers bound to the client's events.
    void onConnected();
    void onStatus(const QString &status);
    void onWorkBegin(qint64 total);
    void onWork(qint64 count);
    void onDisconnected();

    // Bytes announced by the current transfer (0 outside an upload) and the
    // progress events counted for the balloon.
    qint64 transferTotal() const { return m_transferTotal; }
    int balloonCounter() const { return m_balloonCounter; }

    // The progress handler hands its texts to the status bar at most once per
    // interval (ms), and always at the end of a transfer, so that each painting
    // shows the latest texts without a layout and paint of the bar for every
    // 32 KB sent. 0 writes and paints on every event. The default is the
    // screen's refresh interval.
    void setRepaintInterval(int ms) { m_paced.setInterval(ms); }
    int repaintInterval() const { return m_paced.interval(); }

private:
    void balloon(const QString &title, const QString &text, TrayPort::BalloonKind kind,
                 int seconds);
    void recordError(const QString &id, const QString &text, const QString &beforeWhere);
    void sendFiles(const db::DataSet &job, const QString &folder, QString &id);
    // Raises when a copy on the server (the temporary one before the old copy is
    // deleted, the renamed one after) is not as long as the local file.
    void verifyArrival(const QString &localPath, const QString &remoteName);

    FtpClient m_client;
    jobdb::TDM &m_dm;
    db::Query &m_jobQuery;
    StatusBarPort *m_statusBar;
    TrayPort *m_tray;
    TimerPort *m_timer;
    // The status bar as the progress handler writes it.
    PacedStatusBar m_paced;

    qint64 m_transferTotal = 0;
    int m_balloonCounter = 0;
    bool m_uploading = false;
    int m_uploadingJob = 0;
    int m_attemptBound = DefaultAttemptBound;
    const backup::ArchiverWatch *m_watch = nullptr;
    jobdb::JobClaim *m_claim = nullptr; // for the length of one upload
    QString m_decimalPoint;
};

} // namespace bkp::ftp
