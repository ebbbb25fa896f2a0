#include "jobs/jobpanels.h"

#include "backup/archiverwatch.h"
#include "db/dataset.h"
#include "lib/ui.h"
#include "platform/dialogs.h"
#include "widgets/calendario.h"
#include "widgets/rascunho.h"

#include <QApplication>
#include <QFile>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QStyle>
#include <QVBoxLayout>

namespace bkp::jobs {

namespace {

widgets::DBEdit *edit(QWidget *parent, widgets::CharCase charCase = widgets::CharCase::Normal) {
    auto *e = new widgets::DBEdit(parent);
    e->setCharCase(charCase);
    return e;
}

QPushButton *browseButton(QWidget *parent, QStyle::StandardPixmap icon) {
    auto *b = new QPushButton(parent);
    b->setIcon(QApplication::style()->standardIcon(icon));
    b->setFixedSize(25, 25);
    return b;
}

// An edit with its button (if any) on its right.
QWidget *withButton(QWidget *parent, QWidget *field, QPushButton *button = nullptr) {
    auto *row = new QWidget(parent);
    auto *layout = new QHBoxLayout(row);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(2);
    field->setParent(row);
    layout->addWidget(field, 1);
    if (button) {
        button->setParent(row);
        layout->addWidget(button);
    }
    // A short field keeps its width; the rest of the row stays empty.
    layout->addStretch(0);
    return row;
}

void addRow(QGridLayout *grid, const QString &label, QWidget *field) {
    const int row = grid->rowCount();
    auto *l = new QLabel(label, field->parentWidget());
    l->setBuddy(field);
    if (qobject_cast<widgets::DBEdit *>(field))
        field = withButton(field->parentWidget(), field);
    grid->addWidget(l, row, 0);
    grid->addWidget(field, row, 1);
}

template <typename Control>
void bindAll(db::DataSet *jobs, const QList<QPair<Control, const char *>> &bindings) {
    for (const auto &[control, column] : bindings)
        control->bind(jobs, QString::fromLatin1(column));
}

void nameControls(std::initializer_list<QPair<QWidget *, const char *>> controls) {
    for (const auto &[control, name] : controls)
        control->setObjectName(QString::fromLatin1(name));
}

db::Field *jobField(db::DataSet *jobs, const char *column) {
    return jobs ? jobs->fieldByName(QString::fromLatin1(column)) : nullptr;
}

} // namespace

QStringList JobSetupPage::tipoCaptions() {
    return {QStringLiteral("Dia da semana    (Ex: Sexta.rar)"),
            QStringLiteral("Dia do mês          (Ex: Mensal31.rar)"),
            QStringLiteral("Semana do ano   (Ex: Semana52.rar)"),
            QStringLiteral("Mês do ano         (Ex: Dezembro.rar)"),
            QStringLiteral("Dia do ano          (Ex: Dia365.rar)")};
}

JobSetupPage::JobSetupPage(QWidget *parent) : QWidget(parent) {
    using widgets::CharCase;
    auto *page = new QVBoxLayout(this);
    PanelBackup = new QWidget(this);
    page->addWidget(PanelBackup);
    auto *outcome = new QWidget(this);
    page->addWidget(outcome);
    page->addStretch(1);
    QWidget *panel = PanelBackup;

    auto *setup = new QGridLayout(panel);
    setup->setColumnStretch(1, 1);
    DBCheckBox_BACKUPACTIVE = new widgets::DBCheckBox(QStringLiteral("Backup ativo"), panel);
    DBCheckBox_BACKUPACTIVE->setValues(QStringLiteral("0"), QStringLiteral("1"));
    // Tab passes it by; a click still reaches it.
    DBCheckBox_BACKUPACTIVE->setFocusPolicy(Qt::ClickFocus);
    setup->addWidget(DBCheckBox_BACKUPACTIVE, 0, 1);
    DBEdit_BACKUPNAME = edit(panel, CharCase::Upper);
    addRow(setup, QStringLiteral("Backup Name"), DBEdit_BACKUPNAME);
    DBEdit_BACKUPFILE = edit(panel, CharCase::Upper);
    addRow(setup, QStringLiteral("Backup Filename"), DBEdit_BACKUPFILE);
    DBEdit_UTILITARIO = edit(panel, CharCase::Lower);
    BitBtnUtilitario = browseButton(panel, QStyle::SP_FileDialogStart);
    addRow(setup, QStringLiteral("Utilitário"),
           withButton(panel, DBEdit_UTILITARIO, BitBtnUtilitario));
    DBEdit_PARAMETROS = edit(panel, CharCase::Lower);
    addRow(setup, QStringLiteral("Parâmetros"), DBEdit_PARAMETROS);
    DBEdit_BACKUPFOLDER = edit(panel, CharCase::Lower);
    BitBtnPasta = browseButton(panel, QStyle::SP_DirOpenIcon);
    addRow(setup, QStringLiteral("Salvar em..."),
           withButton(panel, DBEdit_BACKUPFOLDER, BitBtnPasta));
    DBEdit_HORA = edit(panel);
    addRow(setup, QStringLiteral("Horário para backup:"), DBEdit_HORA);
    DBEdit_DATA = edit(panel);
    BitBtn_DataBackup = browseButton(panel, QStyle::SP_FileDialogContentsView);
    addRow(setup, QStringLiteral("Próximo backup em:"),
           withButton(panel, DBEdit_DATA, BitBtn_DataBackup));
    DBRadioGroup_TIPO = new widgets::DBRadioGroup(QStringLiteral("Tipo de backup"), panel);
    DBRadioGroup_TIPO->setItems(tipoCaptions(),
                                {QStringLiteral("0"), QStringLiteral("1"), QStringLiteral("2"),
                                 QStringLiteral("3"), QStringLiteral("4")});
    setup->addWidget(DBRadioGroup_TIPO, setup->rowCount(), 0, 1, 2);

    auto *last = new QGridLayout(outcome);
    last->setColumnStretch(1, 1);
    DBEdit_BACKUP_LASTRUN = edit(outcome);
    DBEdit_BACKUP_LASTRUN->setEnabled(false);
    addRow(last, QStringLiteral("Último backup com sucesso:"), DBEdit_BACKUP_LASTRUN);
    DBEdit_BACKUP_LASTERR = edit(outcome);
    DBEdit_BACKUP_LASTERR->setEnabled(false);
    addRow(last, QStringLiteral("Último erro do backup:"), DBEdit_BACKUP_LASTERR);
    BitBtn_Saida = new QPushButton(QStringLiteral("Saída do compactador"), outcome);
    last->addWidget(BitBtn_Saida, last->rowCount(), 1, Qt::AlignLeft);
    nameControls({{PanelBackup, "PanelBackup"},
                  {DBEdit_BACKUP_LASTRUN, "DBEdit_BACKUP_LASTRUN"},
                  {DBEdit_BACKUP_LASTERR, "DBEdit_BACKUP_LASTERR"},
                  {BitBtn_Saida, "BitBtn_Saida"},
                  {DBCheckBox_BACKUPACTIVE, "DBCheckBox_BACKUPACTIVE"},
                  {DBRadioGroup_TIPO, "DBRadioGroup_TIPO"},
                  {DBEdit_BACKUPNAME, "DBEdit_BACKUPNAME"},
                  {DBEdit_BACKUPFILE, "DBEdit_BACKUPFILE"},
                  {DBEdit_UTILITARIO, "DBEdit_UTILITARIO"},
                  {BitBtnUtilitario, "BitBtnUtilitario"},
                  {DBEdit_PARAMETROS, "DBEdit_PARAMETROS"},
                  {DBEdit_BACKUPFOLDER, "DBEdit_BACKUPFOLDER"},
                  {BitBtnPasta, "BitBtnPasta"},
                  {DBEdit_HORA, "DBEdit_HORA"},
                  {DBEdit_DATA, "DBEdit_DATA"},
                  {BitBtn_DataBackup, "BitBtn_DataBackup"}});

    connect(BitBtnUtilitario, &QPushButton::clicked, this, &JobSetupPage::BitBtnUtilitarioClick);
    connect(BitBtnPasta, &QPushButton::clicked, this, &JobSetupPage::BitBtnPastaClick);
    connect(BitBtn_DataBackup, &QPushButton::clicked, this, &JobSetupPage::BitBtn_DataBackupClick);
    connect(BitBtn_Saida, &QPushButton::clicked, this, &JobSetupPage::showArchiverOutput);
}

void JobSetupPage::bind(db::DataSet *jobs) {
    m_jobs = jobs;
    bindAll<widgets::DBEdit *>(jobs, {{DBEdit_BACKUPNAME, "BACKUPNAME"},
                                      {DBEdit_BACKUPFILE, "BACKUPFILE"},
                                      {DBEdit_UTILITARIO, "UTILITARIO"},
                                      {DBEdit_PARAMETROS, "PARAMETROS"},
                                      {DBEdit_BACKUPFOLDER, "BACKUPFOLDER"},
                                      {DBEdit_HORA, "HORA"},
                                      {DBEdit_DATA, "DATA"},
                                      {DBEdit_BACKUP_LASTRUN, "BACKUP_LASTRUN"},
                                      {DBEdit_BACKUP_LASTERR, "BACKUP_LASTERR"}});
    DBCheckBox_BACKUPACTIVE->bind(jobs, QStringLiteral("BACKUPACTIVE"));
    DBRadioGroup_TIPO->bind(jobs, QStringLiteral("TIPO"));
}

void JobSetupPage::setEditing(bool editing) {
    PanelBackup->setEnabled(editing);
    BitBtn_Saida->setEnabled(!editing);
}

void JobSetupPage::focusName() {
    DBEdit_BACKUPNAME->setFocus();
}

int JobSetupPage::tipoIndex() const {
    return DBRadioGroup_TIPO->itemIndex();
}

void JobSetupPage::BitBtnUtilitarioClick() {
    const QString chosen = platform::dialogs().openFileName(
        QString(), QString(), QLatin1String(platform::ProgramsFilter));
    if (!chosen.isEmpty())
        jobField(m_jobs, "UTILITARIO")->setValue(chosen);
}

void JobSetupPage::showArchiverOutput() {
    if (!m_jobs || !m_jobs->active() || m_jobs->isEmpty() || !m_watch)
        return;
    const int id = jobField(m_jobs, "ID")->asInteger();
    QFile file(m_watch->outputFile(id));
    if (!file.open(QIODevice::ReadOnly)) {
        ShowMessageBox(QStringLiteral("Nenhuma saída do compactador guardada para este backup."),
                       QString(), platform::MB_OK | platform::MB_ICONINFORMATION);
        return;
    }
    QStringList lines = QString::fromLocal8Bit(file.readAll()).split(QLatin1Char('\n'));
    if (!lines.isEmpty() && lines.last().isEmpty())
        lines.removeLast();
    for (QString &line : lines)
        if (line.endsWith(QLatin1Char('\r')))
            line.chop(1);
    widgets::ShowLines(lines, QStringLiteral("Saída do compactador - ") +
                                  jobField(m_jobs, "BACKUPNAME")->asString());
}

void JobSetupPage::BitBtnPastaClick() {
    const QString chosen = platform::dialogs().selectFolder(QString(), QString());
    if (!chosen.isEmpty())
        jobField(m_jobs, "BACKUPFOLDER")->setValue(chosen);
}

void JobSetupPage::BitBtn_DataBackupClick() {
    widgets::GetDateToField(jobField(m_jobs, "DATA"), QString(), this);
}

JobFtpPage::JobFtpPage(QWidget *parent) : QWidget(parent) {
    auto *page = new QVBoxLayout(this);
    Panel_FTPBackup = new QWidget(this);
    page->addWidget(Panel_FTPBackup);
    CheckCustomGroupBox_FTPFileUnique =
        new QGroupBox(QStringLiteral("Enviar apenas o arquivo:"), this);
    CheckCustomGroupBox_FTPFileUnique->setCheckable(true);
    CheckCustomGroupBox_FTPFileUnique->setChecked(true);
    auto *unique = new QVBoxLayout(CheckCustomGroupBox_FTPFileUnique);
    Edit_FTPFileUnique = new QLineEdit(CheckCustomGroupBox_FTPFileUnique);
    unique->addWidget(Edit_FTPFileUnique);
    page->addWidget(CheckCustomGroupBox_FTPFileUnique);
    page->addStretch(1);
    QWidget *panel = Panel_FTPBackup;

    auto *ftp = new QGridLayout(panel);
    ftp->setColumnStretch(1, 1);
    DBCheckBox_FTPAtivo = new widgets::DBCheckBox(QStringLiteral("FTP ativo"), panel);
    DBCheckBox_FTPAtivo->setValues(QStringLiteral("0"), QStringLiteral("1"));
    DBCheckBox_FTPAtivo->setFocusPolicy(Qt::ClickFocus);
    ftp->addWidget(DBCheckBox_FTPAtivo, 0, 1);
    DBCheckBox_FTPPassive = new widgets::DBCheckBox(QStringLiteral("Passive"), panel);
    DBCheckBox_FTPPassive->setValues(QStringLiteral("-1"), QStringLiteral("0"));
    ftp->addWidget(DBCheckBox_FTPPassive, 1, 1);
    DBEdit_FTP_HOST = edit(panel);
    addRow(ftp, QStringLiteral("Host"), DBEdit_FTP_HOST);
    DBEdit_FTP_USER = edit(panel);
    addRow(ftp, QStringLiteral("User"), DBEdit_FTP_USER);
    DBEdit_FTP_PASSWORD = edit(panel);
    DBEdit_FTP_PASSWORD->setPassword(true);
    addRow(ftp, QStringLiteral("Password"), DBEdit_FTP_PASSWORD);
    DBEdit_FTP_FOLDER = edit(panel);
    addRow(ftp, QStringLiteral("Folder"), DBEdit_FTP_FOLDER);
    DBEdit_FTP_HORA = edit(panel);
    addRow(ftp, QStringLiteral("Horário para envio:"), DBEdit_FTP_HORA);
    DBEdit_FTP_DATA = edit(panel);
    BitBtn1 = browseButton(panel, QStyle::SP_FileDialogContentsView);
    addRow(ftp, QStringLiteral("Próximo envio em:"), withButton(panel, DBEdit_FTP_DATA, BitBtn1));
    DBEdit_FTP_LASTSEND = edit(panel);
    DBEdit_FTP_LASTSEND->setEnabled(false);
    addRow(ftp, QStringLiteral("Último envio com sucesso:"), DBEdit_FTP_LASTSEND);
    DBEdit_FTP_LASTERR = edit(panel);
    DBEdit_FTP_LASTERR->setEnabled(false);
    addRow(ftp, QStringLiteral("Último erro:"), DBEdit_FTP_LASTERR);

    nameControls({{Panel_FTPBackup, "Panel_FTPBackup"},
                  {DBCheckBox_FTPAtivo, "DBCheckBox_FTPAtivo"},
                  {DBCheckBox_FTPPassive, "DBCheckBox_FTPPassive"},
                  {DBEdit_FTP_HOST, "DBEdit_FTP_HOST"},
                  {DBEdit_FTP_USER, "DBEdit_FTP_USER"},
                  {DBEdit_FTP_PASSWORD, "DBEdit_FTP_PASSWORD"},
                  {DBEdit_FTP_FOLDER, "DBEdit_FTP_FOLDER"},
                  {DBEdit_FTP_HORA, "DBEdit_FTP_HORA"},
                  {DBEdit_FTP_DATA, "DBEdit_FTP_DATA"},
                  {BitBtn1, "BitBtn1"},
                  {DBEdit_FTP_LASTSEND, "DBEdit_FTP_LASTSEND"},
                  {DBEdit_FTP_LASTERR, "DBEdit_FTP_LASTERR"},
                  {CheckCustomGroupBox_FTPFileUnique, "CheckCustomGroupBox_FTPFileUnique"},
                  {Edit_FTPFileUnique, "Edit_FTPFileUnique"}});

    connect(BitBtn1, &QPushButton::clicked, this, &JobFtpPage::BitBtn1Click);
}

void JobFtpPage::bind(db::DataSet *jobs) {
    m_jobs = jobs;
    bindAll<widgets::DBEdit *>(jobs, {{DBEdit_FTP_HOST, "FTP_HOST"},
                                      {DBEdit_FTP_USER, "FTP_USER"},
                                      {DBEdit_FTP_PASSWORD, "FTP_PASSWORD"},
                                      {DBEdit_FTP_FOLDER, "FTP_FOLDER"},
                                      {DBEdit_FTP_HORA, "FTP_HORA"},
                                      {DBEdit_FTP_DATA, "FTP_DATA"},
                                      {DBEdit_FTP_LASTSEND, "FTP_LASTSEND"},
                                      {DBEdit_FTP_LASTERR, "FTP_LASTERR"}});
    bindAll<widgets::DBCheckBox *>(
        jobs, {{DBCheckBox_FTPAtivo, "FTP_ACTIVE"}, {DBCheckBox_FTPPassive, "FTP_PASSIVE"}});
}

void JobFtpPage::setEditing(bool editing) {
    Panel_FTPBackup->setEnabled(editing);
}

void JobFtpPage::resetPassiveValues() {
    DBCheckBox_FTPPassive->setValues(QStringLiteral("-1"), QStringLiteral("0"));
}

void JobFtpPage::BitBtn1Click() {
    widgets::GetDateToField(jobField(m_jobs, "FTP_DATA"), QStringLiteral("Próximo backup"), this);
}

} // namespace bkp::jobs
