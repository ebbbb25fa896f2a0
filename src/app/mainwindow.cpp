#include "app/mainwindow.h"

#include "app/application.h"

#include "db/errors.h"
#include "lib/datetime.h"
#include "lib/ui.h"
#include "platform/application.h"
#include "schedule/reprogramarhorarios.h"
#include "tools/sdk.h"
#include "widgets/headingpanel.h"
#include "widgets/toolbarbutton.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QSplitter>
#include <QStyle>
#include <QTabWidget>
#include <QToolBar>
#include <QToolButton>
#include <QTreeWidget>
#include <QVBoxLayout>
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

    buildMenus();
    buildToolBar();

    auto *central = new QWidget(this);
    auto *layout = new QHBoxLayout(central);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(2);
    buildJobList();
    layout->addWidget(GroupBoxBackups);
    buildPages();
    layout->addWidget(PageControl_Backups, 1);
    setCentralWidget(central);

    // The clock panel grows to show the whole date and time in the user's format.
    const int clock = fontMetrics().horizontalAdvance(
                          DateTimeToStr(EncodeDate(2026, 12, 28) + EncodeTime(20, 58, 58))) +
                      16;
    StatusBar1 = new widgets::PanelStatusBar({qMax(120, clock), 120, 120, 50}, this);
    setStatusBar(StatusBar1);
    RemoteListing1 = std::make_unique<ftp::RemoteFolderListing>(
        Panel_Pasta_FTP, Panel_Folder_FTP, ListView_FTP, StatusBar1,
        [this](bool enabled) { return statusTimer(enabled); });

    // The clock runs from the start, the window shown or not.
    Timer_Now->start();
}

TfMaster::~TfMaster() {
    m_enterToTab.remove();
}

void TfMaster::buildMenus() {
    PopupMenu_Tools = new QMenu(this);
    SalvarRegistros1 = PopupMenu_Tools->addAction(QStringLiteral("Salvar registros"));
    SalvarRegistros1->setEnabled(false);
    QMenu *restore = PopupMenu_Tools->addMenu(QStringLiteral("Restaurar registros"));
    restore->addAction(QString());
    RestaurarRegistros1 = restore->menuAction();
    RestaurarRegistros1->setEnabled(false);
    QMenu *ftp = PopupMenu_Tools->addMenu(QStringLiteral("FTP"));
    VerificarBackupsFTP1 = ftp->addAction(QStringLiteral("Verificar backups enviados por FTP"));
    VerificarEspacoFTP1 = ftp->addAction(QStringLiteral("Verificar espaço ocupado por FTP"));
    ConfigurarFTP1 = ftp->addAction(QStringLiteral("Configurar FTP"));
    Update1 = PopupMenu_Tools->addAction(QStringLiteral("Update"));
    PopupMenu_Tools->addSeparator();
    ReprogramarHorarios1 = PopupMenu_Tools->addAction(QStringLiteral("Reprogramar horários"));
    FBConsole1 = PopupMenu_Tools->addAction(QStringLiteral("FBConsole"));
    PopupMenu_Tools->addSeparator();
    SDK1 = PopupMenu_Tools->addAction(QStringLiteral("SDK"));

    connect(VerificarBackupsFTP1, &QAction::triggered, this, &TfMaster::Check_FTPFiles);
    connect(Update1, &QAction::triggered, this, [this] {
        if (FileSets1)
            FileSets1->Update1Click();
    });
    connect(ConfigurarFTP1, &QAction::triggered, this, &TfMaster::ConfigurarFTP1Click);
    connect(VerificarEspacoFTP1, &QAction::triggered, this,
            &TfMaster::VerificarespaoocupadoporFTP1Click);
    // The console comes with a later part of the program.
    FBConsole1->setEnabled(false);
    connect(SDK1, &QAction::triggered, this, &TfMaster::SDK1Click);
    connect(ReprogramarHorarios1, &QAction::triggered, this, &TfMaster::Reprogramarhorrios1Click);

    PopupMenu_TrayIcon = new QMenu(this);
    Restaurar1 = PopupMenu_TrayIcon->addAction(QStringLiteral("Restaurar"));
    Fechar1 = PopupMenu_TrayIcon->addAction(QStringLiteral("Fechar"));
    connect(Restaurar1, &QAction::triggered, this, &TfMaster::Restaurar1Click);
    connect(Fechar1, &QAction::triggered, this, &TfMaster::Fechar1Click);
}

QToolButton *TfMaster::addToolButton(const QString &caption, const QString &hint,
                                     int standardIcon) {
    auto *button = new widgets::ToolBarButton(ToolBar1);
    button->setText(caption);
    button->setToolTip(hint);
    button->setIcon(style()->standardIcon(QStyle::StandardPixmap(standardIcon)));
    button->setAutoRaise(true);
    button->setIconSize(QSize(16, 16));
    button->setFixedSize(65, 36);
    QFont font = button->font();
    font.setBold(true);
    font.setPointSize(8);
    button->setFont(font);
    ToolBar1->addWidget(button);
    return button;
}

void TfMaster::buildToolBar() {
    ToolBar1 = new QToolBar(QStringLiteral("ToolBar1"), this);
    ToolBar1->setMovable(false);
    ToolBar1->setFloatable(false);
    ToolBar1->setContextMenuPolicy(Qt::PreventContextMenu);
    addToolBar(Qt::TopToolBarArea, ToolBar1);

    ToolButtonNew =
        addToolButton(QStringLiteral("&Novo"), QStringLiteral("Insere um novo registro de backup"),
                      QStyle::SP_FileIcon);
    ToolButtonEdit =
        addToolButton(QStringLiteral("&Editar"),
                      QStringLiteral("Altera configurações atuais do backup selecionado"),
                      QStyle::SP_FileDialogDetailedView);
    ToolButtonDelete =
        addToolButton(QStringLiteral("E&xcluir"), QStringLiteral("Exclui um registro de backup"),
                      QStyle::SP_TrashIcon);
    ToolBar1->addSeparator();
    ToolButtonSave =
        addToolButton(QStringLiteral("&Salvar"), QStringLiteral("Salva registro de backup"),
                      QStyle::SP_DialogSaveButton);
    ToolButtonCancel =
        addToolButton(QStringLiteral("&Cancelar"), QStringLiteral("Cancela operação"),
                      QStyle::SP_DialogCancelButton);
    ToolBar1->addSeparator();
    ToolButtonBackup = addToolButton(
        QStringLiteral("&Backup"), QStringLiteral("Executar backup agora"), QStyle::SP_DriveHDIcon);
    ToolButton_FTP =
        addToolButton(QStringLiteral("FTP"), QStringLiteral("Enviar backup por FTP agora"),
                      QStyle::SP_DriveNetIcon);
    ToolBar1->addSeparator();
    ToolButtonTimer =
        addToolButton(QStringLiteral("&Timer"), QStringLiteral("Habilita/desabilita timer"),
                      QStyle::SP_BrowserReload);
    ToolButtonTools =
        addToolButton(QStringLiteral("Tools"), QStringLiteral("Menu de configurações"),
                      QStyle::SP_FileDialogListView);
    ToolButtonTools->setMenu(PopupMenu_Tools);
    ToolButtonTools->setPopupMode(QToolButton::InstantPopup);

    connect(ToolButtonBackup, &QToolButton::clicked, this, &TfMaster::ToolButtonBackupClick);
    connect(ToolButtonTimer, &QToolButton::clicked, this, &TfMaster::ToolButtonTimerClick);

    connect(ToolButtonNew, &QToolButton::clicked, this, &TfMaster::ToolButtonNewClick);
    connect(ToolButtonEdit, &QToolButton::clicked, this, &TfMaster::ToolButtonEditClick);
    connect(ToolButtonDelete, &QToolButton::clicked, this, &TfMaster::ToolButtonDeleteClick);
    connect(ToolButtonSave, &QToolButton::clicked, this, &TfMaster::ToolButtonSaveClick);
    connect(ToolButtonCancel, &QToolButton::clicked, this, &TfMaster::ToolButtonCancelClick);

    connect(ToolButton_FTP, &QToolButton::clicked, this, &TfMaster::ToolButton_FTPClick);
}

void TfMaster::buildJobList() {
    GroupBoxBackups = new QGroupBox(QStringLiteral("Backups"));
    GroupBoxBackups->setFixedWidth(200);
    auto *box = new QVBoxLayout(GroupBoxBackups);
    box->setContentsMargins(2, 2, 2, 2);
    box->setSpacing(1);

    DBNavigator2 = new widgets::DBNavigator(GroupBoxBackups);
    DBNavigator2->setVisibleButtons({widgets::DBNavigator::First, widgets::DBNavigator::Prior,
                                     widgets::DBNavigator::Next, widgets::DBNavigator::Last,
                                     widgets::DBNavigator::Refresh});
    DBNavigator2->onRefresh = [this] {
        DBNavigator2Click();
    };
    box->addWidget(DBNavigator2);

    Panel_Reordenar =
        widgets::headingPanel(QStringLiteral("Clique para reordenar"), GroupBoxBackups, true);
    Panel_Reordenar->setAlignment(Qt::AlignCenter);
    box->addWidget(Panel_Reordenar);

    DBGrid_Backups = new widgets::DBGrid(GroupBoxBackups);
    QList<widgets::GridColumn> columns{
        {QStringLiteral("BACKUPNAME"), QStringLiteral("Backup"), 240},
        {QStringLiteral("ID"), QString(), 32, Qt::AlignLeft | Qt::AlignVCenter}};
    for (const char *name :
         {"BACKUPFILE", "BACKUPFOLDER", "BACKUPACTIVE", "ATIVO", "TIPO", "UTILITARIO", "PARAMETROS",
          "DATA", "HORA", "FTP", "FTP_ACTIVE", "FTP_HOST", "FTP_USER", "FTP_PASSWORD", "FTP_DATA",
          "FTP_HORA", "FTP_LASTSEND", "FTP_FOLDER", "FTP_LASTERR"})
        columns.append({QString::fromLatin1(name), QString(), 64});
    DBGrid_Backups->setColumns(columns);
    box->addWidget(DBGrid_Backups, 1);
}

void TfMaster::buildPages() {
    PageControl_Backups = new QTabWidget;

    TabSheet_Setup = new QWidget;
    auto *setup = new QVBoxLayout(TabSheet_Setup);
    PanelBackup = new QWidget(TabSheet_Setup);
    PanelBackup->setObjectName(QStringLiteral("PanelBackup"));
    setup->addWidget(PanelBackup);
    setup->addStretch(1);
    PageControl_Backups->addTab(TabSheet_Setup, QStringLiteral("Setup"));

    TabSheet_FTP = new QWidget;
    auto *ftp = new QVBoxLayout(TabSheet_FTP);
    Panel_FTPBackup = new QWidget(TabSheet_FTP);
    Panel_FTPBackup->setObjectName(QStringLiteral("Panel_FTPBackup"));
    ftp->addWidget(Panel_FTPBackup);
    CheckCustomGroupBox_FTPFileUnique =
        new QGroupBox(QStringLiteral("Enviar apenas o arquivo:"), TabSheet_FTP);
    CheckCustomGroupBox_FTPFileUnique->setCheckable(true);
    CheckCustomGroupBox_FTPFileUnique->setChecked(true);
    auto *unique = new QVBoxLayout(CheckCustomGroupBox_FTPFileUnique);
    Edit_FTPFileUnique = new QLineEdit(CheckCustomGroupBox_FTPFileUnique);
    Edit_FTPFileUnique->setObjectName(QStringLiteral("Edit_FTPFileUnique"));
    unique->addWidget(Edit_FTPFileUnique);
    ftp->addWidget(CheckCustomGroupBox_FTPFileUnique);
    ftp->addStretch(1);
    PageControl_Backups->addTab(TabSheet_FTP, QStringLiteral("FTP"));
    JobPanels1 = new jobs::JobPanels(PanelBackup, Panel_FTPBackup, this);

    TabSheet_Arquivos = new QWidget;
    auto *files = new QVBoxLayout(TabSheet_Arquivos);
    Panel_Backups_Arquivos = new QWidget(TabSheet_Arquivos);
    files->addWidget(Panel_Backups_Arquivos, 1);
    PageControl_Backups->addTab(TabSheet_Arquivos, QStringLiteral("Arquivos"));

    TabSheet_Pasta = new QWidget;
    auto *folder = new QVBoxLayout(TabSheet_Pasta);
    folder->setContentsMargins(0, 0, 0, 0);
    Splitter1 = new QSplitter(Qt::Vertical, TabSheet_Pasta);
    Splitter1->setHandleWidth(5);
    Splitter1->setStyleSheet(QStringLiteral("QSplitter::handle { background: yellow; }"));
    Panel_Folder_Local = new QWidget(Splitter1);
    auto *local = new QVBoxLayout(Panel_Folder_Local);
    local->setContentsMargins(0, 0, 0, 0);
    LocalFolderView1 = new backup::LocalFolderView(&FolderSort, Panel_Folder_Local);
    local->addWidget(LocalFolderView1);
    Splitter1->addWidget(Panel_Folder_Local);

    Panel_Folder_FTP = new QWidget(Splitter1);
    auto *remote = new QVBoxLayout(Panel_Folder_FTP);
    remote->setContentsMargins(0, 0, 0, 0);
    remote->setSpacing(0);
    Panel_Pasta_FTP = widgets::headingPanel(QStringLiteral("FTP"), Panel_Folder_FTP, true);
    Panel_Pasta_FTP->setMinimumHeight(40);
    SpeedButton_FTPFile = widgets::addHeadingButton(Panel_Pasta_FTP, QStyle::SP_BrowserReload);
    connect(SpeedButton_FTPFile, &QToolButton::clicked, this, &TfMaster::SpeedButton_FTPFileClick);
    remote->addWidget(Panel_Pasta_FTP);
    ListView_FTP = new QTreeWidget(Panel_Folder_FTP);
    backup::SetupFolderList(ListView_FTP);
    backup::connectFolderSorting(ListView_FTP, FolderSort);
    remote->addWidget(ListView_FTP, 1);
    Splitter1->addWidget(Panel_Folder_FTP);
    folder->addWidget(Splitter1);
    PageControl_Backups->addTab(TabSheet_Pasta, QStringLiteral("Pasta"));
}

bool TfMaster::FormCreate(const QString &programPath, db::StartupLog *log) {
    Timer1Port.setEnabled(false);
    if (!openSettingsAndDatabase(state, programPath, log))
        return false;
    m_programPath = programPath;
    IniParams = state.IniParams.get();
    bindJobQuery();
    fFTP_Config = new ftp::TfFTP_Config(IniParams, state.DM.get(), this);
    fFTPSize = new ftp::TfFTPSize(fFTP_Config, this);
    FtpUpload1 = std::make_unique<ftp::FtpUpload>(*state.DM, state.queries->IBQuery_Backups,
                                                  StatusBar1, NotificationIcon1, &Timer1Port);

    schedule::ScheduleContext context;
    context.DM = state.DM.get();
    context.StatusBar1 = StatusBar1;
    context.NotificationIcon1 = NotificationIcon1;
    context.Timer1 = &Timer1Port;
    context.Timer_Now = &Timer_NowPort;
    context.GeraBackup = [this](int id, db::JobClaim *claim) {
        backup::ArchiveRunContext run = archiveRunContext();
        run.claim = claim;
        backup::GeraBackup(run, id);
    };
    context.Envia_FTP = [this](db::Query &query, db::JobClaim *claim) {
        if (FtpUpload1)
            FtpUpload1->Envia_FTP(query, claim);
    };
    context.ShowError = [](const std::exception &e) {
        showHandlerError(e);
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
    SpeedButton_FTPFile->setToolTip(QStringLiteral("Verificar backups no servidor remoto"));
    Timer1Port.setEnabled(true);
    // Without a notification area the window itself is the way in.
    if (m_withoutTray)
        RestoreFromTray();
    return true;
}

void TfMaster::bindJobQuery() {
    db::Query &jobs = state.queries->IBQuery_Backups;
    JobPanels1->bind(&jobs);
    jobs::FileSetsPage::Data files;
    files.jobs = &jobs;
    files.arquivos = &state.queries->IBQuery_Arquivos;
    files.updates = &state.queries->IBUpdateSQL_Arquivos;
    files.arquivosTable = state.DM->Arquivos;
    files.transaction = state.DM->IBTransaction1;
    FileSets1 = new jobs::FileSetsPage(Panel_Backups_Arquivos, files, this);

    jobs.beforeOpen = [this](db::DataSet &) {
        JobPanels1->DBCheckBox_FTPPassive->setValues(QStringLiteral("-1"), QStringLiteral("0"));
    };
    jobs.afterInsert = [this](db::DataSet &ds) {
        PageControl_Backups->setCurrentWidget(TabSheet_Setup);
        jobs::IBQuery_BackupsAfterInsert(ds, state.DM->Backups, jobDefaults());
        JobPanels1->DBEdit_BACKUPNAME->setFocus();
    };
    jobs.afterEdit = [this](db::DataSet &ds) {
        PageControl_Backups->setCurrentWidget(TabSheet_Setup);
        jobs::IBQuery_BackupsAfterEdit(ds, jobDefaults());
        JobPanels1->DBEdit_BACKUPNAME->setFocus();
    };
    jobs.beforePost = [this](db::DataSet &ds) {
        jobs::IBQuery_BackupsBeforePost(ds, state.DM->Backups,
                                        JobPanels1->DBRadioGroup_TIPO->itemIndex());
    };
    jobs.afterPost = [this](db::DataSet &) {
        state.DM->IBTransaction1->commitRetaining();
        // A new job has its own key now: its file sets can be added.
        FileSets1->followJob();
    };
    jobs.afterDelete = [this](db::DataSet &) {
        state.DM->IBTransaction1->commitRetaining();
    };
    jobs.afterScroll = [this](db::DataSet &) {
        IBQuery_BackupsAfterScroll();
    };

    DBGrid_Backups->setDataSet(&jobs);
    DBNavigator2->setDataSet(&jobs);
    LocalFolderView1->setJobList(&jobs);
    // A Ctrl+Delete in the grid takes the job's file sets along, as "E&xcluir" does.
    DBGrid_Backups->onDelete = [this] {
        jobs::DeleteJob(state.DM->IBDatabase1, state.queries->IBQuery_Backups);
    };
    connect(DBGrid_Backups, &widgets::DBGrid::titleClicked, this,
            [this](int, const QString &fieldName) { DBGrid_BackupsTitleClick(fieldName); });
    connect(JobPanels1->BitBtnUtilitario, &QPushButton::clicked, this,
            &TfMaster::BitBtnUtilitarioClick);
    connect(JobPanels1->BitBtnPasta, &QPushButton::clicked, this, &TfMaster::BitBtnPastaClick);
    connect(JobPanels1->BitBtn_DataBackup, &QPushButton::clicked, this,
            &TfMaster::BitBtn_DataBackupClick);
    connect(JobPanels1->BitBtn1, &QPushButton::clicked, this, &TfMaster::BitBtn1Click);

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

void TfMaster::ToolButtonNewClick() {
    StatusButtonsBackup(QStringLiteral("N"));
    state.queries->IBQuery_Backups.append();
}

void TfMaster::ToolButtonEditClick() {
    StatusButtonsBackup(QStringLiteral("E"));
    state.queries->IBQuery_Backups.edit();
}

void TfMaster::ToolButtonSaveClick() {
    db::Query &jobs = state.queries->IBQuery_Backups;
    const QString before =
        jobs.state() == db::DataSetState::Insert ? QStringLiteral("N") : QStringLiteral("E");
    StatusButtonsBackup(QStringLiteral("S"));
    try {
        jobs.post();
        state.DM->IBTransaction1->commitRetaining();
    } catch (const std::exception &e) {
        // A row that could not be stored is still being edited: the toolbar says so.
        if (jobs.state() == db::DataSetState::Insert || jobs.state() == db::DataSetState::Edit)
            StatusButtonsBackup(before);
        if (!dynamic_cast<const db::AbortError *>(&e))
            showHandlerError(e);
    }
}

void TfMaster::ToolButtonCancelClick() {
    StatusButtonsBackup(QStringLiteral("C"));
    state.queries->IBQuery_Backups.cancel();
}

void TfMaster::ToolButtonDeleteClick() {
    db::Query &jobs = state.queries->IBQuery_Backups;
    if (!jobs.active() || jobs.isEmpty())
        return;
    const QString text = QStringLiteral("Confirma a exclusão do backup ") +
                         jobs.fieldByName(QStringLiteral("BACKUPNAME"))->asString() +
                         QStringLiteral("?");
    if (!ConfirmBox(text, QStringLiteral("Excluir registro"), true))
        return;
    jobs::DeleteJob(state.DM->IBDatabase1, jobs);
}

void TfMaster::BitBtnUtilitarioClick() {
    const QString chosen =
        platform::dialogs().openFileName(QString(), QString(), QStringLiteral("EXE Files|*.EXE"));
    if (!chosen.isEmpty())
        state.queries->IBQuery_Backups.fieldByName(QStringLiteral("UTILITARIO"))->setValue(chosen);
}

void TfMaster::BitBtnPastaClick() {
    const QString chosen = platform::dialogs().selectFolder(QString(), QString());
    if (!chosen.isEmpty())
        state.queries->IBQuery_Backups.fieldByName(QStringLiteral("BACKUPFOLDER"))
            ->setValue(chosen);
}

void TfMaster::BitBtn_DataBackupClick() {
    schedule::GetDateToField(state.queries->IBQuery_Backups.fieldByName(QStringLiteral("DATA")),
                             QString(), this);
}

void TfMaster::BitBtn1Click() {
    schedule::GetDateToField(state.queries->IBQuery_Backups.fieldByName(QStringLiteral("FTP_DATA")),
                             QStringLiteral("Próximo backup"), this);
}

void TfMaster::DBGrid_BackupsTitleClick(const QString &fieldName) {
    jobs::OrderByColumn(state.queries->IBQuery_Backups,
                        QString::number(reinterpret_cast<quintptr>(this)), fieldName);
}

void TfMaster::Reprogramarhorrios1Click() {
    if (!state.queries)
        return;
    // A window of its own each time, gone again however the reschedule ended.
    schedule::TfReprogramarHorarios window(state.DM.get(), &state.queries->IBQuery_Backups, this);
    window.exec();
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
    PanelBackup->setEnabled(false);
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
        ScheduleLoop1->Timer1Timer();
    } catch (const std::exception &e) {
        showHandlerError(e);
    }
}

void TfMaster::ToolButtonTimerClick() {
    schedule::ToolButtonTimerClick(
        Timer1Port, [this](const QString &caption) { ToolButtonTimer->setText(caption); });
}

backup::ArchiveRunContext TfMaster::archiveRunContext() {
    backup::ArchiveRunContext context;
    context.DM = state.DM.get();
    context.IBQuery_Backups = &state.queries->IBQuery_Backups;
    context.pending = &PendingDates;
    return context;
}

void TfMaster::GeraBackup(int jobId) {
    backup::GeraBackup(archiveRunContext(), jobId);
}

void TfMaster::Envia_FTP(db::DataSet &query) {
    if (FtpUpload1)
        FtpUpload1->Envia_FTP(query);
}

void TfMaster::ToolButton_FTPClick() {
    if (FtpUpload1)
        FtpUpload1->ToolButton_FTPClick();
}

void TfMaster::SpeedButton_FTPFileClick() {
    Check_FTPFolder();
}

void TfMaster::Check_FTPFolder() {
    if (RemoteListing1 && state.queries)
        RemoteListing1->Check_FTPFolder(state.queries->IBQuery_Backups);
}

void TfMaster::Check_FTPFiles() {
    if (RemoteListing1)
        RemoteListing1->Check_FTPFiles();
}

void TfMaster::ConfigurarFTP1Click() {
    execWithTimerOff(fFTP_Config);
}

void TfMaster::VerificarespaoocupadoporFTP1Click() {
    execWithTimerOff(fFTPSize);
}

void TfMaster::execWithTimerOff(QDialog *dialog) {
    if (!dialog)
        return;
    const bool wasOn = statusTimer(false);
    try {
        if (dialog == fFTPSize)
            dialog->setWindowState(dialog->windowState() | Qt::WindowMaximized);
        dialog->exec();
    } catch (...) {
        statusTimer(wasOn);
        throw;
    }
    statusTimer(wasOn);
}

bool TfMaster::statusTimer(bool enabled) {
    return schedule::Status_Timer(
        Timer1Port, [this](const QString &caption) { ToolButtonTimer->setText(caption); }, enabled);
}

void TfMaster::ToolButtonBackupClick() {
    backup::ToolButtonBackupClick(archiveRunContext());
}

void TfMaster::IBQuery_BackupsAfterScroll() {
    LocalFolderView1->RefreshFolder();
    if (FileSets1)
        FileSets1->followJob();
}

void TfMaster::StatusButtonsBackup(const QString &mode) {
    const QString m = mode.toUpper();
    const bool browse = m.isEmpty() || m == QLatin1String("S") || m == QLatin1String("C");
    const bool editing = m == QLatin1String("N") || m == QLatin1String("E");
    for (QToolButton *b : {ToolButtonNew, ToolButtonEdit, ToolButtonDelete})
        b->setEnabled(browse);
    for (QToolButton *b : {ToolButtonSave, ToolButtonCancel})
        b->setEnabled(editing);
    ToolButtonBackup->setEnabled(browse);
    PanelBackup->setEnabled(editing);
    Panel_FTPBackup->setEnabled(editing);
    GroupBoxBackups->setEnabled(!editing);
    // The reschedule reads the job list again, which would throw an edit away.
    ReprogramarHorarios1->setEnabled(!editing);
    if (!m.isEmpty() && QStringLiteral("SC").contains(m))
        DBGrid_Backups->setFocus();
}

void TfMaster::DBNavigator2Click() {
    db::Query &jobs = state.queries->IBQuery_Backups;
    jobs.refresh();
    jobs.close();
    jobs.open();
    jobs.first();
}

void TfMaster::NotificationIcon1Click() {
    RestoreFromTray();
}

void TfMaster::Restaurar1Click() {
    RestoreFromTray();
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
