#pragma once

#include "ftp/ftpclient.h"
#include "lib/pacedstatus.h"
#include "lib/ports.h"
#include "lib/ui.h"

#include <QList>
#include <QString>
#include <utility>

namespace bkp::db {
class DataSet;
class JobClaim;
class Query;
class TDM;
} // namespace bkp::db

namespace bkp::ftp {

// The archive extensions that are sent.
extern const char *const FtpExtensions; // ".rar~.zip~.arj"

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
// `IdFTP_Backup`, its event handlers (status bar, tray hint, balloons) and the two
// counters of the progress display. The window owns one and forwards to it.
class FtpUpload {
public:
    // The job database, the window's job query (refreshed after every upload), the
    // status bar `StatusBar1`, the tray icon and the schedule timer `Timer1`; the
    // ports may be null.
    FtpUpload(db::TDM &dm, db::Query &IBQuery_Backups, StatusBarPort *statusBar, TrayPort *tray,
              TimerPort *Timer1);
    FtpUpload(const FtpUpload &) = delete;
    FtpUpload &operator=(const FtpUpload &) = delete;

    // Sends the archives of the job on the current row of `query` and records the
    // outcome in the job's row. Errors are recorded, not raised; only a failure to
    // record one leaves here (after the timer, connection and cursor are restored).
    // A call while an upload is running (from a click handled during the transfer)
    // does nothing. With the schedule's claim on the job's row, the outcome is stored
    // through it.
    void Envia_FTP(db::DataSet &query, db::JobClaim *claim = nullptr);
    // The toolbar button: Envia_FTP of the job selected in the job query.
    void ToolButton_FTPClick();
    bool uploading() const { return m_uploading; }

    FtpClient IdFTP_Backup;

    // Handlers bound to IdFTP_Backup's events.
    void IdFTP_BackupConnected();
    void IdFTP_BackupStatus(const QString &status);
    void IdFTP_BackupWorkBegin(qint64 total);
    void IdFTP_BackupWork(qint64 count);
    void IdFTP_BackupDisconnected();

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
    void sendFiles(db::DataSet &query, const QString &folder, QString &id);
    // Raises when the renamed copy on the server is not as long as the local file.
    void verifyArrival(const QString &localPath, const QString &remoteName);

    db::TDM &m_dm;
    db::Query &m_jobQuery;
    StatusBarPort *m_statusBar;
    TrayPort *m_tray;
    TimerPort *m_timer;
    // The status bar as the progress handler writes it.
    PacedStatusBar m_paced;

    qint64 m_transferTotal = 0;
    int m_balloonCounter = 0;
    bool m_uploading = false;
    db::JobClaim *m_claim = nullptr; // for the length of one upload
    QString m_decimalPoint;
};

} // namespace bkp::ftp
