#include "app/mainwindow.h"

#include "app/application.h"

#include "db/dataroutines.h"
#include "db/errors.h"
#include "ftp/tlstrust.h"
#include "lib/datetime.h"
#include "lib/scopeguard.h"
#include "lib/ui.h"
#include "platform/application.h"
#include "schedule/reprogramarhorarios.h"
#include "tools/fbconsole.h"
#include "tools/sdk.h"

#include <QAction>
#include <QCloseEvent>
#include <QHBoxLayout>
#include <QTabWidget>
#include <QToolButton>
#include <QWindowStateChangeEvent>

namespace bkp::app {

TfMaster::TfMaster(TrayIcon *tray, QWidget *parent)
    : QMainWindow(parent), NotificationIcon1(tray ? tray : new QtTrayIcon) {
    NotificationIcon1->setParent(this);
    setObjectName(QStringLiteral("fMaster"));
    setWindowTitle(QStringLiteral("BKPZelto - Gerenciador de backups programados"));
    setWindowIcon(programIcon());
    resize(700, 561);
    setMinimumSize(700, 500);

    Timer1 = new QTimer(this);
    Timer1->setInterval(10000);
    Timer1Port = WindowTimer(Timer1);
    Timer_Now = new QTimer(this);
    Timer_Now->setInterval(1000);
    Timer_NowPort = WindowTimer(Timer_Now);
    connect(Timer_Now, &QTimer::timeout, this, &TfMaster::Timer_NowTimer);
    connect(Timer1, &QTimer::timeout, this, &TfMaster::Timer1Timer);

    PopupMenu_Tools = new ToolsMenu(this);
    PopupMenu_TrayIcon = new TrayMenu(this);
    ToolBar1 = new MainToolBar(PopupMenu_Tools, this);
    addToolBar(Qt::TopToolBarArea, ToolBar1);

    // The clock panel grows to show the whole date and time in the user's format.
    const int clock = fontMetrics().horizontalAdvance(
                          DateTimeToStr(EncodeDate(2026, 12, 28) + EncodeTime(20, 58, 58))) +
                      16;
    StatusBar1 = new widgets::PanelStatusBar({qMax(120, clock), 120, 120, 50}, this);
    setStatusBar(StatusBar1);

    auto *central = new QWidget(this);
    auto *layout = new QHBoxLayout(central);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(2);
    GroupBoxBackups = new jobs::JobListBox(central);
    layout->addWidget(GroupBoxBackups);
    PageControl_Backups = new QTabWidget(central);
    TabSheet_Setup = new jobs::JobSetupPage;
    PageControl_Backups->addTab(TabSheet_Setup, QStringLiteral("Setup"));
    TabSheet_FTP = new jobs::JobFtpPage;
    PageControl_Backups->addTab(TabSheet_FTP, QStringLiteral("FTP"));
    TabSheet_Arquivos = new jobs::FileSetsPage;
    PageControl_Backups->addTab(TabSheet_Arquivos, QStringLiteral("Arquivos"));
    TabSheet_Pasta =
        new ftp::FoldersPage(StatusBar1, [this](bool enabled) { return statusTimer(enabled); });
    PageControl_Backups->addTab(TabSheet_Pasta, QStringLiteral("Pasta"));
    layout->addWidget(PageControl_Backups, 1);
    setCentralWidget(central);
    m_editor = new jobs::JobEditor(TabSheet_Setup, TabSheet_FTP, TabSheet_Arquivos, this);
    connectParts();

    // The clock runs from the start, the window shown or not.
    Timer_Now->start();
}

TfMaster::~TfMaster() {
    m_enterToTab.remove();
}

void TfMaster::connectParts() {
    ToolsMenu *tools = PopupMenu_Tools;
    connect(tools->VerificarBackupsFTP1, &QAction::triggered, this, &TfMaster::Check_FTPFiles);
    connect(tools->Update1, &QAction::triggered, TabSheet_Arquivos,
            &jobs::FileSetsPage::Update1Click);
    connect(tools->ConfigurarFTP1, &QAction::triggered, this, &TfMaster::ConfigurarFTP1Click);
    connect(tools->VerificarEspacoFTP1, &QAction::triggered, this,
            &TfMaster::VerificarespaoocupadoporFTP1Click);
    connect(tools->SDK1, &QAction::triggered, this, &TfMaster::SDK1Click);
    connect(tools->FBConsole1, &QAction::triggered, this, &TfMaster::FBConsole1Click);
    connect(tools->ReprogramarHorarios1, &QAction::triggered, this,
            &TfMaster::Reprogramarhorrios1Click);
    connect(PopupMenu_TrayIcon->Restaurar1, &QAction::triggered, this, &TfMaster::Restaurar1Click);
    connect(PopupMenu_TrayIcon->Fechar1, &QAction::triggered, this, &TfMaster::Fechar1Click);

    MainToolBar *bar = ToolBar1;
    connect(bar->ToolButtonBackup, &QToolButton::clicked, this, &TfMaster::ToolButtonBackupClick);
    connect(bar->ToolButtonTimer, &QToolButton::clicked, this, &TfMaster::ToolButtonTimerClick);
    connect(bar->ToolButtonNew, &QToolButton::clicked, m_editor, &jobs::JobEditor::newJob);
    connect(bar->ToolButtonEdit, &QToolButton::clicked, m_editor, &jobs::JobEditor::editJob);
    connect(bar->ToolButtonDelete, &QToolButton::clicked, this, &TfMaster::ToolButtonDeleteClick);
    connect(bar->ToolButtonSave, &QToolButton::clicked, m_editor, &jobs::JobEditor::saveJob);
    connect(bar->ToolButtonCancel, &QToolButton::clicked, m_editor, &jobs::JobEditor::cancelEdit);
    connect(m_editor, &jobs::JobEditor::modeChanged, this, &TfMaster::StatusButtonsBackup);
    connect(m_editor, &jobs::JobEditor::editingStarted, this,
            [this] { PageControl_Backups->setCurrentWidget(TabSheet_Setup); });
    connect(bar->ToolButton_FTP, &QToolButton::clicked, this, &TfMaster::ToolButton_FTPClick);
}

bool TfMaster::FormCreate(const QString &programPath, jobdb::StartupLog *log) {
    Timer1Port.setEnabled(false);
    if (!openSettingsAndDatabase(state, programPath, log))
        return false;
    m_programPath = programPath;
    IniParams = state.IniParams.get();
    // Servers the operator trusts by fingerprint are listed in the settings file.
    if (IniParams)
        ftp::setTlsSettingsFile(IniParams->fileName());
    bindJobQuery();
    fFTP_Config = new ftp::TfFTP_Config(IniParams, state.DM.get(), this);
    fFTPSize = new ftp::TfFTPSize(fFTP_Config, this);
    FtpUpload1 = std::make_unique<ftp::FtpUpload>(*state.DM, state.queries->IBQuery_Backups,
                                                  StatusBar1, NotificationIcon1, &Timer1Port);
    // The archivers a previous run of the program left running are watched again.
    m_archivers = new backup::ArchiverWatch(
        state.DM->IBDatabase1, NotificationIcon1,
        IniParams ? IniParams->fileName() : programPath + QStringLiteral(".Ini"), this);
    FtpUpload1->setArchiverWatch(m_archivers);
    // The window answers clicks while an upload waits on the server: "FTP" is off
    // until it ends.
    FtpUpload1->onRunning = [this](bool running) {
        ToolBar1->ToolButton_FTP->setEnabled(!running);
    };
    TabSheet_Setup->setArchiverWatch(m_archivers);
    connect(m_archivers, &backup::ArchiverWatch::runEnded, this,
            [this](int jobId) { archiveRunEnded(jobId); });
    m_archivers->resume();

    schedule::ScheduleContext context;
    context.DM = state.DM.get();
    context.statusBar = StatusBar1;
    context.tray = NotificationIcon1;
    context.scheduleTimer = &Timer1Port;
    context.clockTimer = &Timer_NowPort;
    context.archiveRun = archiveRunContext();
    context.upload = FtpUpload1.get();
    context.showError = [](const std::exception &e) {
        showHandlerError(e);
    };
    context.views = state.queries.get();
    // The job list is back on its job: its file sets and archives are shown again.
    context.reconnected = [this] {
        IBQuery_BackupsAfterScroll();
    };
    ScheduleLoop1 = std::make_unique<schedule::ScheduleLoop>(Schedule, context);

    NotificationIcon1->setIcon(programIcon());
    NotificationIcon1->setMenu(PopupMenu_TrayIcon);
    NotificationIcon1->setHint(platform::applicationTitle());
    connect(NotificationIcon1, &TrayIcon::clicked, this, &TfMaster::NotificationIcon1Click);
    connect(NotificationIcon1, &TrayIcon::doubleClicked, this,
            &TfMaster::NotificationIcon1DblClick);
    m_withoutTray = !NotificationIcon1->available();
    NotificationIcon1->show();

    TimerPhase = 0;
    PageControl_Backups->setCurrentWidget(TabSheet_Setup);
    TabSheet_Pasta->SpeedButton_FTPFile->setToolTip(
        QStringLiteral("Verificar backups no servidor remoto"));
    Timer1Port.setEnabled(true);
    // Without a notification area the window itself is the way in.
    if (m_withoutTray)
        RestoreFromTray();
    return true;
}

void TfMaster::bindJobQuery() {
    db::Query &jobs = state.queries->IBQuery_Backups;
    TabSheet_Setup->bind(&jobs);
    TabSheet_FTP->bind(&jobs);
    jobs::FileSetsPage::Data files;
    files.jobs = &jobs;
    files.arquivos = &state.queries->IBQuery_Arquivos;
    files.updates = &state.queries->IBUpdateSQL_Arquivos;
    files.arquivosTable = state.DM->Arquivos;
    files.transaction = state.DM->IBTransaction1;
    TabSheet_Arquivos->bind(files);

    m_editor->bind({state.DM->IBDatabase1, &jobs, state.DM->Backups, state.DM->IBTransaction1},
                   [this] { return jobDefaults(); });
    connect(&jobs, &db::DataSet::afterScroll, this, &TfMaster::IBQuery_BackupsAfterScroll,
            Qt::UniqueConnection);

    GroupBoxBackups->bind(state.DM->IBDatabase1, &jobs);
    TabSheet_Pasta->setJobList(&jobs);

    // The list was opened before these events were in place.
    if (jobs.active())
        IBQuery_BackupsAfterScroll();
}

jobs::JobDefaults TfMaster::jobDefaults() const {
    jobs::JobDefaults defaults;
    defaults.programPath = m_programPath;
    // The maker's installations name their FTP server in the program's FTP settings.
    if (IniParams)
        defaults.defaultFtpHost =
            IniParams->readString(QStringLiteral("FTP"), QStringLiteral("Host"));
    return defaults;
}

void TfMaster::Reprogramarhorrios1Click() {
    if (!state.queries)
        return;
    // A window of its own each time, gone again however the reschedule ended.
    schedule::TfReprogramarHorarios window(state.DM.get(), &state.queries->IBQuery_Backups, this);
    window.exec();
}

void TfMaster::FBConsole1Click() {
    db::Database *database = state.DM->IBDatabase1;
    jobdb::OpenViews views(state.DM.get(), state.queries.get());
    // No archive run or upload may commit the console's pending work behind its back.
    const bool wasOn = statusTimer(false);
    ScopeGuard restore([&] {
        // "Refresh", a structure change or a full commit closed what the window shows.
        views.restore();
        TabSheet_Arquivos->followJob();
        statusTimer(wasOn);
    });
    // What the job writers left for the next commit is kept before the console opens:
    // its "Roolback", or its rollback at the program's end, discards only its own work.
    database->defaultTransaction()->commitRetaining();
    tools::TfFBConsole::Execute(database, QString(), false, QString(), this);
}

void TfMaster::SDK1Click() {
    tools::TfSDK window(QString(), this);
    window.exec();
}

void TfMaster::FormShow() {
    // A job left in editing when the window went to the tray keeps its mode.
    QString mode;
    if (state.queries) {
        const db::DataSetState s = state.queries->IBQuery_Backups.state();
        if (s == db::DataSetState::Insert)
            mode = QStringLiteral("N");
        else if (s == db::DataSetState::Edit)
            mode = QStringLiteral("E");
    }
    StatusButtonsBackup(mode);
    if (!mode.isEmpty())
        return;
    TabSheet_Setup->setEditing(false);
}

void TfMaster::showEvent(QShowEvent *event) {
    QMainWindow::showEvent(event);
    if (!event->spontaneous())
        FormShow();
}

void TfMaster::Timer_NowTimer() {
    ShowStatus(StatusBar1, 0, DateTimeToStr(Now()));
}

int TfMaster::Inc_Range(int &counter, int limit) {
    return bkp::Inc_Range(counter, limit);
}

void TfMaster::Timer1Timer() {
    if (!ScheduleLoop1)
        return;
    // The loop has put the timers, the cursor and its flags back before the error
    // reaches here.
    try {
        ScheduleLoop1->tick();
    } catch (const std::exception &e) {
        showHandlerError(e);
    }
}

void TfMaster::CheckBackups() {
    if (ScheduleLoop1)
        ScheduleLoop1->checkBackups();
}

void TfMaster::Check_FTP() {
    if (ScheduleLoop1)
        ScheduleLoop1->checkUploads();
}

void TfMaster::ToolButtonTimerClick() {
    schedule::toggleSchedule(Timer1Port, [this](const QString &caption) {
        ToolBar1->ToolButtonTimer->setText(caption);
    });
}

backup::ArchiveRunContext TfMaster::archiveRunContext() {
    backup::ArchiveRunContext context;
    context.DM = state.DM.get();
    context.IBQuery_Backups = &state.queries->IBQuery_Backups;
    context.pending = &PendingDates;
    context.watch = m_archivers;
    return context;
}

void TfMaster::GeraBackup(int jobId) {
    backup::runArchive(archiveRunContext(), jobId);
}

void TfMaster::Envia_FTP(db::DataSet &query) {
    if (FtpUpload1)
        FtpUpload1->uploadJob(query);
}

void TfMaster::ToolButton_FTPClick() {
    if (FtpUpload1)
        FtpUpload1->uploadSelectedJob();
}

void TfMaster::execWithTimerOff(QDialog *dialog) {
    if (!dialog)
        return;
    const bool wasOn = statusTimer(false);
    ScopeGuard restore([&] { statusTimer(wasOn); });
    if (dialog == fFTPSize)
        dialog->setWindowState(dialog->windowState() | Qt::WindowMaximized);
    dialog->exec();
}

bool TfMaster::statusTimer(bool enabled) {
    // An upload switches the schedule on again when it ends; nothing starts meanwhile.
    if (enabled && FtpUpload1 && FtpUpload1->uploading())
        enabled = false;
    return schedule::setScheduleEnabled(
        Timer1Port, [this](const QString &caption) { ToolBar1->ToolButtonTimer->setText(caption); },
        enabled);
}

bool TfMaster::refusedDuringItsUpload(const QString &text) {
    if (!FtpUpload1 || !FtpUpload1->uploading() || !state.queries)
        return false;
    const db::Query &jobs = state.queries->IBQuery_Backups;
    if (!jobs.active() || jobs.isEmpty() ||
        jobs.fieldByName(QStringLiteral("ID"))->asInteger() != FtpUpload1->uploadingJob())
        return false;
    ShowMessageBox(text, QString(), platform::MB_OK | platform::MB_ICONWARNING);
    return true;
}

void TfMaster::ToolButtonBackupClick() {
    // The rotation would rename the archive the upload is sending.
    if (refusedDuringItsUpload(QStringLiteral("O envio por FTP deste backup está em andamento: "
                                              "o backup só pode ser feito depois que ele "
                                              "terminar.")))
        return;
    backup::runSelectedJob(archiveRunContext());
}

void TfMaster::ToolButtonDeleteClick() {
    if (refusedDuringItsUpload(QStringLiteral("O envio por FTP deste backup está em andamento: "
                                              "ele só pode ser excluído depois que o envio "
                                              "terminar.")))
        return;
    m_editor->deleteJob();
}

void TfMaster::archiveRunEnded(int jobId) {
    // The outcome and the archive are shown: the job's row and the "Pasta" list.
    if (state.queries)
        db::RefreshUnlessEditing(&state.queries->IBQuery_Backups);
    TabSheet_Pasta->LocalFolderView1->runEnded(jobId);
}

void TfMaster::IBQuery_BackupsAfterScroll() {
    TabSheet_Pasta->LocalFolderView1->RefreshFolder();
    TabSheet_Arquivos->followJob();
}

void TfMaster::StatusButtonsBackup(const QString &mode) {
    const QString m = mode.toUpper();
    const bool browse = m.isEmpty() || m == QLatin1String("S") || m == QLatin1String("C");
    const bool editing = m == QLatin1String("N") || m == QLatin1String("E");
    ToolBar1->setEnabledFor(browse, editing);
    TabSheet_Setup->setEditing(editing);
    TabSheet_FTP->setEditing(editing);
    GroupBoxBackups->setEnabled(!editing);
    // The reschedule reads the job list again, which would throw an edit away.
    PopupMenu_Tools->ReprogramarHorarios1->setEnabled(!editing);
    if (!m.isEmpty() && QStringLiteral("SC").contains(m))
        GroupBoxBackups->DBGrid_Backups->setFocus();
}

void TfMaster::Fechar1Click() {
    NotificationIcon1->destroy();
    platform::terminateApplication();
}

void TfMaster::RestoreFromTray() {
    showMaximized();
    raise();
    activateWindow();
    m_enterToTab.install();
}

void TfMaster::ApplicationMinimize() {
    m_enterToTab.remove();
    // Without a notification area a hidden window could not come back: it stays
    // on the taskbar, minimised.
    if (m_withoutTray) {
        if (!isMinimized()) {
            m_minimizing = true;
            showMinimized();
            m_minimizing = false;
        }
        return;
    }
    hide();
}

void TfMaster::changeEvent(QEvent *event) {
    QMainWindow::changeEvent(event);
    if (event->type() == QEvent::WindowStateChange && isMinimized() && !m_minimizing)
        // Leave the state change first, then hide.
        QMetaObject::invokeMethod(this, &TfMaster::ApplicationMinimize, Qt::QueuedConnection);
}

void TfMaster::closeEvent(QCloseEvent *event) {
    // Closing only sends the program back to the tray.
    event->ignore();
    ApplicationMinimize();
}

int TfMaster::WMQueryEndSession() const {
    return TimerBusy ? 0 : 1;
}

void TfMaster::WMEndSession(bool ending) {
    WindowsEnding = ending;
    if (WindowsEnding)
        platform::terminateApplication();
}

} // namespace bkp::app
