#pragma once

#include "widgets/dbcontrols.h"

#include <QObject>

class QPushButton;
class QWidget;

namespace bkp::jobs {

// The job's fields: the "Setup" panel and the "FTP" panel, each bound to a column
// of the current job.
class JobPanels : public QObject {
    Q_OBJECT
public:
    // Builds the controls into the two panels the window gives.
    JobPanels(QWidget *panelBackup, QWidget *panelFTPBackup, QObject *parent = nullptr);

    void bind(db::DataSet *jobs);

    // "Tipo de backup", in order.
    static QStringList tipoCaptions();

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
};

} // namespace bkp::jobs
