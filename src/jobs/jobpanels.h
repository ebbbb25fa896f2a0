#pragma once

#include "widgets/dbcontrols.h"

#include <QWidget>

class QGroupBox;
class QLineEdit;
class QPushButton;

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

    // The archive fields take input only while a job is edited.
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

    db::DataSet *m_jobs = nullptr;
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
