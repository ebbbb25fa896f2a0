#pragma once

#include "ftp/ftpclient.h"

#include <QDialog>

class QCheckBox;
class QLineEdit;
class QPushButton;

namespace bkp::jobdb {
class TDM;
}
namespace bkp::platform {
class IniFile;
}
namespace bkp::widgets {
class BitBtn;
}

namespace bkp::ftp {

// The maker's FTP server, the host of the settings until one is stored.
extern const char *const DefaultFtpHost;

// The program-wide FTP settings: host, login, password and folder in the
// settings file's "FTP" section, a connection test, and a copy of host, login
// and password into every job.
class TfFTP_Config : public QDialog {
    Q_OBJECT
public:
    // The settings file and the job database (either may be null in tests of the
    // parts that do not need it).
    TfFTP_Config(platform::IniFile *IniParams, jobdb::TDM *DM, QWidget *parent = nullptr);

    void LoadParams();
    void SaveParams();
    void TestaConexao();
    void SalvaDatabase();
    void FormResize();

    QWidget *Panel1 = nullptr;
    QWidget *Panel2 = nullptr;
    QLineEdit *LabeledEditHost = nullptr;
    QLineEdit *LabeledEditLogin = nullptr;
    QLineEdit *LabeledEditPassword = nullptr;
    QLineEdit *LabeledEditFolder = nullptr;
    QCheckBox *CheckBox_SaveDB = nullptr;
    widgets::BitBtn *BitBtn_Testar = nullptr;
    widgets::BitBtn *BitBtn_Cancel = nullptr;
    widgets::BitBtn *BitBtn_OK = nullptr;
    FtpClient IdFTP_Backup;

protected:
    void showEvent(QShowEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;

private:
    bool m_testing = false; // a test is waiting on the server
    platform::IniFile *m_ini;
    jobdb::TDM *m_dm;
};

} // namespace bkp::ftp
