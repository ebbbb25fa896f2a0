#include "jobs/jobpanels.h"

#include <QApplication>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QStyle>

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

} // namespace

QStringList JobPanels::tipoCaptions() {
    return {QStringLiteral("Dia da semana    (Ex: Sexta.rar)"),
            QStringLiteral("Dia do mês          (Ex: Mensal31.rar)"),
            QStringLiteral("Semana do ano   (Ex: Semana52.rar)"),
            QStringLiteral("Mês do ano         (Ex: Dezembro.rar)"),
            QStringLiteral("Dia do ano          (Ex: Dia365.rar)")};
}

JobPanels::JobPanels(QWidget *panelBackup, QWidget *panelFTPBackup, QObject *parent)
    : QObject(parent) {
    using widgets::CharCase;

    auto *setup = new QGridLayout(panelBackup);
    setup->setColumnStretch(1, 1);
    DBCheckBox_BACKUPACTIVE = new widgets::DBCheckBox(QStringLiteral("Backup ativo"), panelBackup);
    DBCheckBox_BACKUPACTIVE->setValues(QStringLiteral("0"), QStringLiteral("1"));
    // Tab passes it by; a click still reaches it.
    DBCheckBox_BACKUPACTIVE->setFocusPolicy(Qt::ClickFocus);
    setup->addWidget(DBCheckBox_BACKUPACTIVE, 0, 1);
    DBEdit_BACKUPNAME = edit(panelBackup, CharCase::Upper);
    addRow(setup, QStringLiteral("Backup Name"), DBEdit_BACKUPNAME);
    DBEdit_BACKUPFILE = edit(panelBackup, CharCase::Upper);
    addRow(setup, QStringLiteral("Backup Filename"), DBEdit_BACKUPFILE);
    DBEdit_UTILITARIO = edit(panelBackup, CharCase::Lower);
    BitBtnUtilitario = browseButton(panelBackup, QStyle::SP_FileDialogStart);
    addRow(setup, QStringLiteral("Utilitário"),
           withButton(panelBackup, DBEdit_UTILITARIO, BitBtnUtilitario));
    DBEdit_PARAMETROS = edit(panelBackup, CharCase::Lower);
    addRow(setup, QStringLiteral("Parâmetros"), DBEdit_PARAMETROS);
    DBEdit_BACKUPFOLDER = edit(panelBackup, CharCase::Lower);
    BitBtnPasta = browseButton(panelBackup, QStyle::SP_DirOpenIcon);
    addRow(setup, QStringLiteral("Salvar em..."),
           withButton(panelBackup, DBEdit_BACKUPFOLDER, BitBtnPasta));
    DBEdit_HORA = edit(panelBackup);
    addRow(setup, QStringLiteral("Horário para backup:"), DBEdit_HORA);
    DBEdit_DATA = edit(panelBackup);
    BitBtn_DataBackup = browseButton(panelBackup, QStyle::SP_FileDialogContentsView);
    addRow(setup, QStringLiteral("Próximo backup em:"),
           withButton(panelBackup, DBEdit_DATA, BitBtn_DataBackup));
    DBRadioGroup_TIPO = new widgets::DBRadioGroup(QStringLiteral("Tipo de backup"), panelBackup);
    DBRadioGroup_TIPO->setItems(tipoCaptions(),
                                {QStringLiteral("0"), QStringLiteral("1"), QStringLiteral("2"),
                                 QStringLiteral("3"), QStringLiteral("4")});
    setup->addWidget(DBRadioGroup_TIPO, setup->rowCount(), 0, 1, 2);

    auto *ftp = new QGridLayout(panelFTPBackup);
    ftp->setColumnStretch(1, 1);
    DBCheckBox_FTPAtivo = new widgets::DBCheckBox(QStringLiteral("FTP ativo"), panelFTPBackup);
    DBCheckBox_FTPAtivo->setValues(QStringLiteral("0"), QStringLiteral("1"));
    DBCheckBox_FTPAtivo->setFocusPolicy(Qt::ClickFocus);
    ftp->addWidget(DBCheckBox_FTPAtivo, 0, 1);
    DBCheckBox_FTPPassive = new widgets::DBCheckBox(QStringLiteral("Passive"), panelFTPBackup);
    DBCheckBox_FTPPassive->setValues(QStringLiteral("-1"), QStringLiteral("0"));
    ftp->addWidget(DBCheckBox_FTPPassive, 1, 1);
    DBEdit_FTP_HOST = edit(panelFTPBackup);
    addRow(ftp, QStringLiteral("Host"), DBEdit_FTP_HOST);
    DBEdit_FTP_USER = edit(panelFTPBackup);
    addRow(ftp, QStringLiteral("User"), DBEdit_FTP_USER);
    DBEdit_FTP_PASSWORD = edit(panelFTPBackup);
    DBEdit_FTP_PASSWORD->setPassword(true);
    addRow(ftp, QStringLiteral("Password"), DBEdit_FTP_PASSWORD);
    DBEdit_FTP_FOLDER = edit(panelFTPBackup);
    addRow(ftp, QStringLiteral("Folder"), DBEdit_FTP_FOLDER);
    DBEdit_FTP_HORA = edit(panelFTPBackup);
    addRow(ftp, QStringLiteral("Horário para envio:"), DBEdit_FTP_HORA);
    DBEdit_FTP_DATA = edit(panelFTPBackup);
    BitBtn1 = browseButton(panelFTPBackup, QStyle::SP_FileDialogContentsView);
    addRow(ftp, QStringLiteral("Próximo envio em:"),
           withButton(panelFTPBackup, DBEdit_FTP_DATA, BitBtn1));
    DBEdit_FTP_LASTSEND = edit(panelFTPBackup);
    DBEdit_FTP_LASTSEND->setEnabled(false);
    addRow(ftp, QStringLiteral("Último envio com sucesso:"), DBEdit_FTP_LASTSEND);
    DBEdit_FTP_LASTERR = edit(panelFTPBackup);
    DBEdit_FTP_LASTERR->setEnabled(false);
    addRow(ftp, QStringLiteral("Último erro:"), DBEdit_FTP_LASTERR);
}

void JobPanels::bind(db::DataSet *jobs) {
    const QList<QPair<QObject *, const char *>> bindings{{DBCheckBox_BACKUPACTIVE, "BACKUPACTIVE"},
                                                         {DBRadioGroup_TIPO, "TIPO"},
                                                         {DBEdit_BACKUPNAME, "BACKUPNAME"},
                                                         {DBEdit_BACKUPFILE, "BACKUPFILE"},
                                                         {DBEdit_UTILITARIO, "UTILITARIO"},
                                                         {DBEdit_PARAMETROS, "PARAMETROS"},
                                                         {DBEdit_BACKUPFOLDER, "BACKUPFOLDER"},
                                                         {DBEdit_HORA, "HORA"},
                                                         {DBEdit_DATA, "DATA"},
                                                         {DBCheckBox_FTPAtivo, "FTP_ACTIVE"},
                                                         {DBCheckBox_FTPPassive, "FTP_PASSIVE"},
                                                         {DBEdit_FTP_HOST, "FTP_HOST"},
                                                         {DBEdit_FTP_USER, "FTP_USER"},
                                                         {DBEdit_FTP_PASSWORD, "FTP_PASSWORD"},
                                                         {DBEdit_FTP_FOLDER, "FTP_FOLDER"},
                                                         {DBEdit_FTP_HORA, "FTP_HORA"},
                                                         {DBEdit_FTP_DATA, "FTP_DATA"},
                                                         {DBEdit_FTP_LASTSEND, "FTP_LASTSEND"},
                                                         {DBEdit_FTP_LASTERR, "FTP_LASTERR"}};
    for (const auto &[control, column] : bindings) {
        const QString name = QString::fromLatin1(column);
        if (auto *e = qobject_cast<widgets::DBEdit *>(control))
            e->bind(jobs, name);
        else if (auto *c = qobject_cast<widgets::DBCheckBox *>(control))
            c->bind(jobs, name);
        else if (auto *r = qobject_cast<widgets::DBRadioGroup *>(control))
            r->bind(jobs, name);
    }
}

} // namespace bkp::jobs
