#pragma once

#include "app/entertotab.h"
#include "app/mainmenus.h"
#include "app/startup.h"
#include "app/tray.h"
#include "backup/archiverun.h"
#include "backup/archiverwatch.h"
#include "ftp/folderspage.h"
#include "ftp/ftpconfig.h"
#include "ftp/ftpspace.h"
#include "ftp/upload.h"
#include "jobs/filesets.h"
#include "jobs/jobediting.h"
#include "jobs/jobeditor.h"
#include "jobs/joblist.h"
#include "jobs/jobpanels.h"
#include "lib/ports.h"
#include "schedule/scheduleloop.h"
#include "widgets/statusbar.h"

#include <QMainWindow>
#include <QTimer>
#include <memory>

class QTabWidget;

namespace bkp::jobdb {
class StartupLog;
}

namespace bkp::app {

// A timer of the window as the routines that switch it see it.
class WindowTimer : public TimerPort {
public:
    explicit WindowTimer(QTimer *timer) : m_timer(timer) {}
    bool enabled() const override { return m_timer->isActive(); }
    void setEnabled(bool enabled) override {
        if (enabled)
            m_timer->start();
        else
            m_timer->stop();
    }

private:
    QTimer *m_timer;
};

// The program's one main window: the job list, the job pages, the toolbar and the
// status bar, living behind a notification-area icon.
class TfMaster : public QMainWindow {
    Q_OBJECT
public:
    // `tray` is the notification-area icon to live behind (the desktop's own when
    // none is given); the window takes it over.
    explicit TfMaster(TrayIcon *tray = nullptr, QWidget *parent = nullptr);
    ~TfMaster() override;

    // The window's creation proper: settings files, job database, job list, tray
    // icon and timers. False when the job database could not be opened (the
    // operator has been told); the program has nothing to run then.
    bool FormCreate(const QString &programPath, jobdb::StartupLog *log);

    // Shown on the first tray click or "Restaurar": toolbar in browse mode.
    void FormShow();
    void Timer_NowTimer();
    static int Inc_Range(int &counter, int limit);

    // Tray icon.
    void NotificationIcon1Click() { RestoreFromTray(); }
    void NotificationIcon1DblClick() {}
    void Restaurar1Click() { RestoreFromTray(); }
    void Fechar1Click();
    void RestoreFromTray();
    void ApplicationMinimize();

    // The end of the session: the query is refused while a schedule tick runs;
    // an end-session that really ends sets WindowsEnding and ends the program.
    int WMQueryEndSession() const;
    void WMEndSession(bool ending);

    // Enabled states of the toolbar and the panels for an edit mode ("", "N",
    // "E", "S", "C").
    void StatusButtonsBackup(const QString &mode);

    // A schedule tick; an error that escapes it is shown and the program goes on.
    void Timer1Timer();
    // The schedule's two checks, each handing the first due job to its run.
    void CheckBackups();
    void Check_FTP();
    void ToolButtonTimerClick();
    void ToolButtonBackupClick();
    void ToolButtonDeleteClick();
    void GeraBackup(int jobId);
    void Envia_FTP(db::DataSet &query);
    void ToolButton_FTPClick();
    void IBQuery_BackupsAfterScroll();
    // A run of the job ended (its outcome is recorded): its row and archives are
    // shown again.
    void archiveRunEnded(int jobId);

    // The remote folder list of the "Pasta" page.
    void Check_FTPFolder() { TabSheet_Pasta->SpeedButton_FTPFileClick(); }
    void Check_FTPFiles() { TabSheet_Pasta->remoteListing().Check_FTPFiles(); }

    // The FTP settings dialog and the FTP space report, created hidden at start.
    void ConfigurarFTP1Click() { execWithTimerOff(fFTP_Config); }
    void VerificarespaoocupadoporFTP1Click() { execWithTimerOff(fFTPSize); }

    // What a new job starts with.
    jobs::JobDefaults jobDefaults() const;

    // Tools menu.
    void Reprogramarhorrios1Click();
    void SDK1Click();
    // The SQL console on the job database, with the schedule off while it is open.
    void FBConsole1Click();
    backup::ArchiveRunContext archiveRunContext();

    // Whether the desktop has no notification area, so the window stands in.
    bool withoutTray() const { return m_withoutTray; }

    // The window's parts, for the routines and tests that look at them.
    MainToolBar *toolBar() const { return ToolBar1; }
    ToolsMenu *toolsMenu() const { return PopupMenu_Tools; }
    TrayMenu *trayMenu() const { return PopupMenu_TrayIcon; }
    jobs::JobListBox *jobList() const { return GroupBoxBackups; }
    QTabWidget *pages() const { return PageControl_Backups; }
    jobs::JobSetupPage *setupPage() const { return TabSheet_Setup; }
    jobs::JobFtpPage *ftpPage() const { return TabSheet_FTP; }
    jobs::FileSetsPage *fileSetsPage() const { return TabSheet_Arquivos; }
    ftp::FoldersPage *foldersPage() const { return TabSheet_Pasta; }
    widgets::PanelStatusBar *panelStatusBar() const { return StatusBar1; }
    ftp::TfFTP_Config *ftpConfigDialog() const { return fFTP_Config; }
    ftp::TfFTPSize *ftpSizeDialog() const { return fFTPSize; }
    ftp::FtpUpload *upload() const { return FtpUpload1.get(); }
    // The archivers this program started, watched to their end.
    backup::ArchiverWatch *archivers() const { return m_archivers; }
    // The job database and its queries; null until FormCreate has opened them.
    jobdb::TDM *dataModule() const { return state.DM.get(); }
    jobdb::JobQueries *jobQueries() const { return state.queries.get(); }
    QTimer *scheduleTimer() const { return Timer1; }
    QTimer *clockTimer() const { return Timer_Now; }

protected:
    void closeEvent(QCloseEvent *event) override;
    void changeEvent(QEvent *event) override;
    void showEvent(QShowEvent *event) override;

private:
    // Tests look at the schedule's flags through it.
    friend class TfMasterPeer;

    void connectParts();
    void bindJobQuery();
    // setScheduleEnabled with the timer button's caption.
    bool statusTimer(bool enabled);
    // Shows `text` and answers true when the selected job is the one being uploaded.
    bool refusedDuringItsUpload(const QString &text);
    // Shows the dialog modally with the schedule off, then gives the timer back
    // its state, also after an error.
    void execWithTimerOff(QDialog *dialog);
    QString m_programPath;

    TrayIcon *NotificationIcon1 = nullptr;
    StartupState state;
    platform::IniFile *IniParams = nullptr;

    // The schedule's flags, shared with the loop that runs the ticks.
    schedule::ScheduleState Schedule;
    int &TimerPhase = Schedule.TimerPhase;
    bool &TimerBusy = Schedule.TimerBusy;
    bool &WindowsEnding = Schedule.WindowsEnding;
    std::unique_ptr<schedule::ScheduleLoop> ScheduleLoop1;
    // Archive runs whose next date could not be stored yet.
    backup::PendingNextDates PendingDates;

    QTimer *Timer1 = nullptr;
    QTimer *Timer_Now = nullptr;
    WindowTimer Timer1Port{nullptr};
    WindowTimer Timer_NowPort{nullptr};

    ToolsMenu *PopupMenu_Tools = nullptr;
    TrayMenu *PopupMenu_TrayIcon = nullptr;
    MainToolBar *ToolBar1 = nullptr;
    jobs::JobListBox *GroupBoxBackups = nullptr;
    QTabWidget *PageControl_Backups = nullptr;
    jobs::JobSetupPage *TabSheet_Setup = nullptr;
    jobs::JobFtpPage *TabSheet_FTP = nullptr;
    jobs::FileSetsPage *TabSheet_Arquivos = nullptr;
    ftp::FoldersPage *TabSheet_Pasta = nullptr;
    jobs::JobEditor *m_editor = nullptr;
    widgets::PanelStatusBar *StatusBar1 = nullptr;
    ftp::TfFTP_Config *fFTP_Config = nullptr;
    ftp::TfFTPSize *fFTPSize = nullptr;
    // The upload with its FTP client and its progress display.
    std::unique_ptr<ftp::FtpUpload> FtpUpload1;
    // Deleted with the window, the archivers go on (a program started again
    // watches them).
    backup::ArchiverWatch *m_archivers = nullptr;

    EnterToTab m_enterToTab;
    bool m_withoutTray = false;
    bool m_minimizing = false;
};

} // namespace bkp::app
