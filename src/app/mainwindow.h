#pragma once

#include "app/entertotab.h"
#include "app/startup.h"
#include "app/tray.h"
#include "backup/archiverun.h"
#include "backup/localfolderview.h"
#include "ftp/ftpconfig.h"
#include "ftp/ftpspace.h"
#include "ftp/remotelisting.h"
#include "ftp/upload.h"
#include "jobs/filesets.h"
#include "jobs/jobediting.h"
#include "jobs/jobpanels.h"
#include "lib/ports.h"
#include "schedule/calendario.h"
#include "schedule/scheduleloop.h"
#include "widgets/dbgrid.h"
#include "widgets/dbnavigator.h"
#include "widgets/statusbar.h"

#include <QMainWindow>
#include <QTimer>
#include <memory>

class QAction;
class QGroupBox;
class QLabel;
class QLineEdit;
class QMenu;
class QSplitter;
class QTabWidget;
class QToolBar;
class QToolButton;
class QTreeWidget;

namespace bkp::db {
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
    bool FormCreate(const QString &programPath, db::StartupLog *log);

    // Shown on the first tray click or "Restaurar": toolbar in browse mode.
    void FormShow();
    void Timer_NowTimer();
    static int Inc_Range(int &counter, int limit);

    // Tray icon.
    void NotificationIcon1Click();
    void NotificationIcon1DblClick() {}
    void Restaurar1Click();
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
    void ToolButtonTimerClick();
    void ToolButtonBackupClick();
    void GeraBackup(int jobId);
    void Envia_FTP(db::DataSet &query);
    void ToolButton_FTPClick();
    // The upload with its client IdFTP_Backup and its progress display.
    std::unique_ptr<ftp::FtpUpload> FtpUpload1;
    void IBQuery_BackupsAfterScroll();

    // The remote folder list of the "Pasta" page.
    void SpeedButton_FTPFileClick();
    void Check_FTPFolder();
    void Check_FTPFiles();
    std::unique_ptr<ftp::RemoteFolderListing> RemoteListing1;

    // The FTP settings dialog and the FTP space report, created hidden at start.
    void ConfigurarFTP1Click();
    void VerificarespaoocupadoporFTP1Click();
    ftp::TfFTP_Config *fFTP_Config = nullptr;
    ftp::TfFTPSize *fFTPSize = nullptr;

    // Job editing.
    void ToolButtonNewClick();
    void ToolButtonEditClick();
    void ToolButtonSaveClick();
    void ToolButtonCancelClick();
    void ToolButtonDeleteClick();
    void BitBtnUtilitarioClick();
    void BitBtnPastaClick();
    void BitBtn_DataBackupClick();
    void BitBtn1Click();
    void DBGrid_BackupsTitleClick(const QString &fieldName);
    jobs::JobDefaults jobDefaults() const;

    // Tools menu.
    void Reprogramarhorrios1Click();
    void SDK1Click();
    backup::ArchiveRunContext archiveRunContext();

    // Whether the desktop has no notification area, so the window stands in.
    bool withoutTray() const { return m_withoutTray; }

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
    // One sort state for the local and the remote folder lists.
    backup::FolderSortState FolderSort;

    QTimer *Timer1 = nullptr;
    QTimer *Timer_Now = nullptr;
    WindowTimer Timer1Port{nullptr};
    WindowTimer Timer_NowPort{nullptr};

    QToolBar *ToolBar1 = nullptr;
    QToolButton *ToolButtonNew = nullptr;
    QToolButton *ToolButtonEdit = nullptr;
    QToolButton *ToolButtonDelete = nullptr;
    QToolButton *ToolButtonSave = nullptr;
    QToolButton *ToolButtonCancel = nullptr;
    QToolButton *ToolButtonBackup = nullptr;
    QToolButton *ToolButton_FTP = nullptr;
    QToolButton *ToolButtonTimer = nullptr;
    QToolButton *ToolButtonTools = nullptr;

    QMenu *PopupMenu_Tools = nullptr;
    QAction *SalvarRegistros1 = nullptr;
    QAction *RestaurarRegistros1 = nullptr;
    QAction *VerificarBackupsFTP1 = nullptr;
    QAction *VerificarEspacoFTP1 = nullptr;
    QAction *ConfigurarFTP1 = nullptr;
    QAction *Update1 = nullptr;
    QAction *ReprogramarHorarios1 = nullptr;
    QAction *FBConsole1 = nullptr;
    QAction *SDK1 = nullptr;

    QMenu *PopupMenu_TrayIcon = nullptr;
    QAction *Restaurar1 = nullptr;
    QAction *Fechar1 = nullptr;

    QGroupBox *GroupBoxBackups = nullptr;
    widgets::DBNavigator *DBNavigator2 = nullptr;
    QLabel *Panel_Reordenar = nullptr;
    widgets::DBGrid *DBGrid_Backups = nullptr;

    QTabWidget *PageControl_Backups = nullptr;
    QWidget *TabSheet_Setup = nullptr;
    QWidget *TabSheet_FTP = nullptr;
    QWidget *TabSheet_Arquivos = nullptr;
    QWidget *TabSheet_Pasta = nullptr;
    QWidget *PanelBackup = nullptr;
    QWidget *Panel_FTPBackup = nullptr;
    QGroupBox *CheckCustomGroupBox_FTPFileUnique = nullptr;
    QLineEdit *Edit_FTPFileUnique = nullptr;
    QWidget *Panel_Backups_Arquivos = nullptr;
    jobs::JobPanels *JobPanels1 = nullptr;
    jobs::FileSetsPage *FileSets1 = nullptr;

    QSplitter *Splitter1 = nullptr;
    QWidget *Panel_Folder_Local = nullptr;
    backup::LocalFolderView *LocalFolderView1 = nullptr;
    QWidget *Panel_Folder_FTP = nullptr;
    QLabel *Panel_Pasta_FTP = nullptr;
    QToolButton *SpeedButton_FTPFile = nullptr;
    QTreeWidget *ListView_FTP = nullptr;

    widgets::PanelStatusBar *StatusBar1 = nullptr;

protected:
    void closeEvent(QCloseEvent *event) override;
    void changeEvent(QEvent *event) override;
    void showEvent(QShowEvent *event) override;

private:
    void buildToolBar();
    void buildJobList();
    void buildPages();
    void buildMenus();
    QToolButton *addToolButton(const QString &caption, const QString &hint, int standardIcon);
    void DBNavigator2Click();
    void bindJobQuery();
    // Status_Timer with the timer button's caption.
    bool statusTimer(bool enabled);
    // Shows the dialog modally with the schedule off, then gives the timer back
    // its state, also after an error.
    void execWithTimerOff(QDialog *dialog);
    QString m_programPath;

    EnterToTab m_enterToTab;
    bool m_withoutTray = false;
    bool m_minimizing = false;
};

} // namespace bkp::app
