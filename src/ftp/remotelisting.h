#pragma once

#include "ftp/listingline.h"
#include "lib/ui.h"

#include <QString>
#include <functional>

class QLabel;
class QTreeWidget;
class QWidget;

namespace bkp::db {
class DataSet;
}

namespace bkp::ftp {

class FtpClient;

// The lower half of the "Pasta" page: the files of the selected job's remote
// folder, listed on demand with a client of its own in active mode.
class RemoteFolderListing {
public:
    // Switches the schedule timer on or off (with the timer button's caption)
    // and returns whether it was on.
    using TimerSwitch = std::function<bool(bool enabled)>;

    // The heading bar (`Panel_Pasta_FTP`), the panel holding it and the list
    // (`Panel_Folder_FTP`, `ListView_FTP`), the window's status bar; any may be null
    // but the list.
    RemoteFolderListing(QLabel *Panel_Pasta_FTP, QWidget *Panel_Folder_FTP,
                        QTreeWidget *ListView_FTP, StatusBarPort *statusBar, TimerSwitch timer);

    // Lists the remote folder of the job on the current row of `jobs`. Failures
    // are shown in a message box; the rows read before one stay. The schedule
    // timer is on afterwards, whatever it was before. A call while a listing runs
    // (a click handled while the caption is painted) does nothing.
    void Check_FTPFolder(const db::DataSet &jobs);
    // The Tools entry "Verificar backups enviados por FTP": it checks nothing and
    // leaves the timer on.
    void Check_FTPFiles();

    // How long a connection, a reply or a stalled listing may take (ms).
    int timeoutMs = 30000;
    // Applied to the listing's client before it connects (tests).
    std::function<void(FtpClient &)> configureClient;

private:
    void listFolder(FtpClient &client, const db::DataSet &jobs, QString &host);

    QLabel *m_heading;
    QWidget *m_panel;
    QTreeWidget *m_list;
    StatusBarPort *m_statusBar;
    TimerSwitch m_timer;
    bool m_busy = false;
};

} // namespace bkp::ftp
