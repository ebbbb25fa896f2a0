#pragma once

#include <QDialog>
#include <functional>

class QListWidget;
class QPlainTextEdit;
class QToolBar;
class QToolButton;

namespace bkp::ftp {

class FtpClient;
class TfFTP_Config;

// What lies on the server of the program-wide FTP settings: the login folder and
// its "Chat" folder, one listing line per row, and the clicked row taken apart.
class TfFTPSize : public QDialog {
    Q_OBJECT
public:
    explicit TfFTPSize(TfFTP_Config *settings, QWidget *parent = nullptr);

    // Lists both folders; an error leaves here (the rows read before it stay).
    void Verificar();
    // The details of the selected row in Memo2; nothing without a selected row.
    // A row that cannot be taken apart raises and leaves Memo2 as it was.
    void ListBox1Click();

    QToolBar *ToolBar1 = nullptr;
    QToolButton *ToolButton1 = nullptr;
    QListWidget *ListBox1 = nullptr;
    QPlainTextEdit *Memo2 = nullptr;

    // How long a connection, a reply or a stalled listing may take (ms).
    int timeoutMs = 30000;

private:
    void addFolder(FtpClient &client);
    TfFTP_Config *m_settings;
};

} // namespace bkp::ftp
