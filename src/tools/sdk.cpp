#include "tools/sdk.h"

#include "lib/fileversion.h"
#include "lib/paths.h"
#include "lib/ui.h"
#include "platform/application.h"
#include "platform/dialogs.h"
#include "platform/inifile.h"
#include "platform/process.h"
#include "tools/publisher.h"
#include "widgets/buttonrow.h"
#include "widgets/infobackground.h"

#include <QFrame>
#include <QGridLayout>
#include <QGroupBox>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QScreen>
#include <QShowEvent>
#include <QStyle>
#include <QToolBar>
#include <QToolButton>
#include <QVBoxLayout>

namespace bkp::tools {

FilenameEdit::FilenameEdit(const QString &filter, QWidget *parent)
    : QWidget(parent), filter(filter) {
    auto *row = new QHBoxLayout(this);
    row->setContentsMargins(0, 0, 0, 0);
    row->setSpacing(0);
    edit = new QLineEdit(this);
    row->addWidget(edit, 1);
    button = new QToolButton(this);
    button->setIcon(style()->standardIcon(QStyle::SP_DirOpenIcon));
    row->addWidget(button);
    connect(button, &QToolButton::clicked, this, &FilenameEdit::browse);
}

QString FilenameEdit::fileName() const {
    return edit->text();
}

void FilenameEdit::setFileName(const QString &name) {
    edit->setText(name);
}

void FilenameEdit::browse() {
    if (beforeDialog)
        beforeDialog();
    const QString chosen = platform::dialogs().openFileName(QString(), initialFolder, filter);
    if (!chosen.isEmpty())
        setFileName(chosen);
}

namespace {

QToolButton *flatButton(QWidget *parent, QStyle::StandardPixmap icon, const QString &hint) {
    auto *b = new QToolButton(parent);
    b->setAutoRaise(true);
    b->setIcon(parent->style()->standardIcon(icon));
    b->setToolTip(hint);
    return b;
}

} // namespace

TfSDK::TfSDK(const QString &settingsFile, QWidget *parent) : QDialog(parent) {
    setObjectName(QStringLiteral("fSDK"));
    setWindowTitle(QStringLiteral("fSDK"));
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);
    resize(573, 415);

    auto *layout = new QVBoxLayout(this);
    auto *fields = new QGridLayout;
    FilenameEdit_Install =
        new FilenameEdit(QStringLiteral("ISS Files|*.iss|All files (*.*)|*.*"), this);
    FilenameEdit_Install->beforeDialog = [this] {
        FilenameEdit_InstallBeforeDialog();
    };
    SpeedButton2 = flatButton(this, QStyle::SP_DialogApplyButton,
                              QStringLiteral("Grava nome e versão no script e o abre"));
    FilenameEdit_FTP =
        new FilenameEdit(QStringLiteral("EXE Files|*.exe|All files (*.*)|*.*"), this);
    SpeedButton1 = flatButton(this, QStyle::SP_ArrowUp, QStringLiteral("Envia os arquivos"));
    Edit_FTPFolder = new QLineEdit(this);
    fields->addWidget(new QLabel(QStringLiteral("Instalador"), this), 0, 0);
    fields->addWidget(FilenameEdit_Install, 0, 1);
    fields->addWidget(SpeedButton2, 0, 2);
    fields->addWidget(new QLabel(QStringLiteral("FTP"), this), 1, 0);
    fields->addWidget(FilenameEdit_FTP, 1, 1);
    fields->addWidget(SpeedButton1, 1, 2);
    fields->addWidget(new QLabel(QStringLiteral("Folder FTP"), this), 2, 0);
    fields->addWidget(Edit_FTPFolder, 2, 1);
    layout->addLayout(fields);

    GroupBox1 = new QGroupBox(QStringLiteral("Files FTP"), this);
    auto *group = new QVBoxLayout(GroupBox1);
    auto *bar = new QToolBar(GroupBox1);
    bar->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    ToolButton1 = new QToolButton(bar);
    ToolButton1->setText(QStringLiteral("Incluir"));
    ToolButton1->setIcon(style()->standardIcon(QStyle::SP_FileDialogNewFolder));
    ToolButton1->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    ToolButton2 = new QToolButton(bar);
    ToolButton2->setText(QStringLiteral("Excluir"));
    ToolButton2->setIcon(style()->standardIcon(QStyle::SP_TrashIcon));
    ToolButton2->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    bar->addWidget(ToolButton1);
    bar->addWidget(ToolButton2);
    group->addWidget(bar);
    ListBox_FTPFiles = new QListWidget(GroupBox1);
    ListBox_FTPFiles->setSelectionMode(QAbstractItemView::ExtendedSelection);
    widgets::setInfoBackground(ListBox_FTPFiles);
    group->addWidget(ListBox_FTPFiles, 1);
    layout->addWidget(GroupBox1, 1);

    Panel1 = new QFrame(this);
    Panel1->setFixedHeight(41);
    BitBtn1 = new BitBtn(BitBtn::Kind::OK, Panel1);
    connect(BitBtn1, &QPushButton::clicked, this, &QDialog::accept);
    BitBtn2 = new BitBtn(BitBtn::Kind::Cancel, Panel1);
    connect(BitBtn2, &QPushButton::clicked, this, &QDialog::reject);
    layout->addWidget(Panel1);

    for (const auto &[control, name] : std::initializer_list<QPair<QWidget *, const char *>>{
             {FilenameEdit_Install, "FilenameEdit_Install"},
             {SpeedButton2, "SpeedButton2"},
             {FilenameEdit_FTP, "FilenameEdit_FTP"},
             {SpeedButton1, "SpeedButton1"},
             {Edit_FTPFolder, "Edit_FTPFolder"},
             {GroupBox1, "GroupBox1"},
             {ToolButton1, "ToolButton1"},
             {ToolButton2, "ToolButton2"},
             {ListBox_FTPFiles, "ListBox_FTPFiles"},
             {Panel1, "Panel1"},
             {BitBtn1, "BitBtn1"},
             {BitBtn2, "BitBtn2"}})
        control->setObjectName(QString::fromLatin1(name));

    connect(SpeedButton2, &QToolButton::clicked, this, &TfSDK::SpeedButton2Click);
    connect(SpeedButton1, &QToolButton::clicked, this, &TfSDK::SpeedButton1Click);
    connect(ToolButton1, &QToolButton::clicked, this, &TfSDK::ToolButton1Click);
    connect(ToolButton2, &QToolButton::clicked, this, &TfSDK::ToolButton2Click);

    // FormCreate: the window's own settings file.
    m_ini = std::make_unique<platform::IniFile>(
        settingsFile.isEmpty() ? AppSubFolder(QString(), QStringLiteral("TfSDK.ini"))
                               : settingsFile);
}

TfSDK::~TfSDK() = default;

QStringList TfSDK::files() const {
    QStringList out;
    for (int i = 0; i < ListBox_FTPFiles->count(); ++i)
        out.append(ListBox_FTPFiles->item(i)->text());
    return out;
}

void TfSDK::LoadParams() {
    const SdkParams p = LoadSdkParams(*m_ini);
    FilenameEdit_FTP->setFileName(p.FilenameEdit_FTP);
    Edit_FTPFolder->setText(p.Edit_FTPFolder);
    FilenameEdit_Install->setFileName(p.FilenameEdit_Install);
    ListBox_FTPFiles->clear();
    ListBox_FTPFiles->addItems(p.ListBox_FTPFiles);
}

void TfSDK::SaveParams() {
    SdkParams p;
    p.FilenameEdit_FTP = FilenameEdit_FTP->fileName();
    p.Edit_FTPFolder = Edit_FTPFolder->text();
    p.FilenameEdit_Install = FilenameEdit_Install->fileName();
    p.ListBox_FTPFiles = files();
    SaveSdkParams(*m_ini, p);
}

void TfSDK::FilenameEdit_InstallBeforeDialog() {
    FilenameEdit_Install->initialFolder = AppSubFolder();
}

void TfSDK::ToolButton1Click() {
    const QString chosen = platform::dialogs().openFileName(QString(), AppSubFolder(), QString());
    if (!chosen.isEmpty())
        ListBox_FTPFiles->addItem(chosen);
}

void TfSDK::ToolButton2Click() {
    qDeleteAll(ListBox_FTPFiles->selectedItems());
}

void TfSDK::SpeedButton2Click() {
    const QString script = FilenameEdit_Install->fileName();
    StampInstallerScript(script, platform::applicationTitle(), ProgramFileVersion());
    // The desktop opens the script with its program (normally the setup compiler).
    platform::winExec(QStringLiteral("explorer.exe ") + script, platform::SW_SHOWMAXIMIZED);
}

void TfSDK::SpeedButton1Click() {
    platform::winExec(
        UploadCommandLine(FilenameEdit_FTP->fileName(), Edit_FTPFolder->text(), files()),
        platform::SW_SHOWMAXIMIZED);
}

void TfSDK::done(int result) {
    // OK, Cancel and the close box all keep the fields; a settings file that cannot
    // be written is reported and the window closes anyway.
    try {
        SaveParams();
    } catch (const platform::IniWriteError &e) {
        ShowMessageBox(e.text(), QString(), platform::MB_OK | platform::MB_ICONERROR);
    }
    QDialog::done(result);
}

void TfSDK::showEvent(QShowEvent *event) {
    QDialog::showEvent(event);
    if (!event->spontaneous()) {
        layout()->activate();
        widgets::AlinhaBotoes(Panel1);
        LoadParams();
        QScreen *screen = this->screen() ? this->screen() : QGuiApplication::primaryScreen();
        if (screen)
            move(screen->availableGeometry().center() - rect().center());
    }
}

void TfSDK::resizeEvent(QResizeEvent *event) {
    QDialog::resizeEvent(event);
    layout()->activate();
    widgets::AlinhaBotoes(Panel1);
}

} // namespace bkp::tools
