#pragma once

#include "widgets/dbcontrols.h"

#include <QWidget>

class QGroupBox;
class QLineEdit;
class QPushButton;

namespace bkp::backup {
class ArchiverWatch;
}

namespace bkp::jobs {

// The "Setup" page: the job's archive fields, each bound to a column of the current
// job, with the buttons that pick the archiver, the folder and the next date. Each
// control is named after its member, for the tests that find it.
class JobSetupPage : public QWidget {
    Q_OBJECT
public:
    explicit JobSetupPage(QWidget *parent = nullptr);

    void bind(db::DataSet *jobs);

    // "Tipo de backup", in order.
    static QStringList tipoCaptions();

    void BitBtnUtilitarioClick();
    void BitBtnPastaClick();
    void BitBtn_DataBackupClick();
    // "Saída do compactador": the output of the job's last archiver run, in the
    // text viewer.
    void showArchiverOutput();

    // Where the archivers' output is kept.
    void setArchiverWatch(const backup::ArchiverWatch *watch) { m_watch = watch; }

    // The archive fields take input only while a job is edited; the outcome of the
    // last run and its output are for browsing.
    void setEditing(bool editing);
    // The first field of a job being edited.
    void focusName();
    // The "Tipo de backup" chosen (0..4).
    int tipoIndex() const;

private:
    QWidget *PanelBackup = nullptr;
    widgets::DBCheckBox *DBCheckBox_BACKUPACTIVE = nullptr;
    widgets::DBRadioGroup *DBRadioGroup_TIPO = nullptr;
    widgets::DBEdit *DBEdit_BACKUPNAME = nullptr;
    widgets::DBEdit *DBEdit_BACKUPFILE = nullptr;
    widgets::DBEdit *DBEdit_UTILITARIO = nullptr;
    QPushButton *BitBtnUtilitario = nullptr;
    widgets::DBEdit *DBEdit_PARAMETROS = nullptr;
    widgets::DBEdit *DBEdit_BACKUPFOLDER = nullptr;
    QPushButton *BitBtnPasta = nullptr;
    widgets::DBEdit *DBEdit_HORA = nullptr;
    widgets::DBEdit *DBEdit_DATA = nullptr;
    QPushButton *BitBtn_DataBackup = nullptr;
    // The outcome of the last run, display only, outside the locked panel.
    widgets::DBEdit *DBEdit_BACKUP_LASTRUN = nullptr;
    widgets::DBEdit *DBEdit_BACKUP_LASTERR = nullptr;
    QPushButton *BitBtn_Saida = nullptr;

    db::DataSet *m_jobs = nullptr;
    const backup::ArchiverWatch *m_watch = nullptr;
};

// The "FTP" page: the job's upload fields and the box that names the one file to
// send. Each control is named after its member, for the tests that find it.
class JobFtpPage : public QWidget {
    Q_OBJECT
public:
    explicit JobFtpPage(QWidget *parent = nullptr);

    void bind(db::DataSet *jobs);

    void BitBtn1Click();

    // The upload fields take input only while a job is edited.
    void setEditing(bool editing);
    // The values the "Passive" box stores for on and off (-1 and 0).
    void resetPassiveValues();

private:
    QWidget *Panel_FTPBackup = nullptr;
    widgets::DBCheckBox *DBCheckBox_FTPAtivo = nullptr;
    widgets::DBCheckBox *DBCheckBox_FTPPassive = nullptr;
    widgets::DBEdit *DBEdit_FTP_HOST = nullptr;
    widgets::DBEdit *DBEdit_FTP_USER = nullptr;
    widgets::DBEdit *DBEdit_FTP_PASSWORD = nullptr;
    widgets::DBEdit *DBEdit_FTP_FOLDER = nullptr;
    widgets::DBEdit *DBEdit_FTP_HORA = nullptr;
    widgets::DBEdit *DBEdit_FTP_DATA = nullptr;
    QPushButton *BitBtn1 = nullptr;
    widgets::DBEdit *DBEdit_FTP_LASTSEND = nullptr;
    widgets::DBEdit *DBEdit_FTP_LASTERR = nullptr;
    QGroupBox *CheckCustomGroupBox_FTPFileUnique = nullptr;
    QLineEdit *Edit_FTPFileUnique = nullptr;

    db::DataSet *m_jobs = nullptr;
};

} // namespace bkp::jobs
