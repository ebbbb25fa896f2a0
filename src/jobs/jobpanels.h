#pragma once

#include "widgets/dbcontrols.h"

#include <QWidget>

class QGroupBox;
class QLineEdit;
class QPushButton;

namespace bkp::jobs {

// The "Setup" page: the job's archive fields in `PanelBackup`, each bound to a
// column of the current job, with the buttons that pick the archiver, the folder
// and the next date.
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

private:
    db::DataSet *m_jobs = nullptr;
};

// The "FTP" page: the job's upload fields in `Panel_FTPBackup` and the box that
// names the one file to send.
class JobFtpPage : public QWidget {
    Q_OBJECT
public:
    explicit JobFtpPage(QWidget *parent = nullptr);

    void bind(db::DataSet *jobs);

    void BitBtn1Click();

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

private:
    db::DataSet *m_jobs = nullptr;
};

} // namespace bkp::jobs
