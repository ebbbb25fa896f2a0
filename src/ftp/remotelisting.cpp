#include "ftp/remotelisting.h"

#include "backup/folderlist.h"
#include "db/dataset.h"
#include "ftp/ftpclient.h"
#include "lib/strings.h"
#include "platform/application.h"
#include "platform/clock.h"

#include <QLabel>
#include <QTreeWidget>

namespace bkp::ftp {

namespace {

QString jobText(const db::DataSet &jobs, const char *column) {
    const db::Field *f = jobs.findField(QString::fromLatin1(column));
    return f && jobs.active() && !jobs.isEmpty() ? f->asString() : QString();
}

void setWaitCursor(QWidget *widget, bool wait) {
    if (!widget)
        return;
    if (wait)
        widget->setCursor(Qt::WaitCursor);
    else
        widget->unsetCursor();
}

QString errorText(const std::exception &e) {
    if (const auto *f = dynamic_cast<const FtpError *>(&e))
        return f->message();
    if (const auto *l = dynamic_cast<const ListingError *>(&e))
        return l->message();
    return QString::fromLocal8Bit(e.what());
}

} // namespace

RemoteFolderListing::RemoteFolderListing(QLabel *Panel_Pasta_FTP, QWidget *Panel_Folder_FTP,
                                         QTreeWidget *ListView_FTP, StatusBarPort *statusBar,
                                         TimerSwitch timer)
    : m_heading(Panel_Pasta_FTP), m_panel(Panel_Folder_FTP), m_list(ListView_FTP),
      m_statusBar(statusBar), m_timer(std::move(timer)) {}

void RemoteFolderListing::Check_FTPFolder(const db::DataSet &jobs) {
    if (m_busy)
        return;
    m_busy = true;
    if (m_timer)
        m_timer(false);
    m_list->clear();
    QString host;
    {
        FtpClient client;
        try {
            listFolder(client, jobs, host);
        } catch (const std::exception &e) {
            ShowMessageBox(QStringLiteral("Não foi possível conectar-se a ") + host +
                               QLatin1Char('\r') + QStringLiteral("Erro: ") + errorText(e),
                           QString(), platform::MB_OK);
            setWaitCursor(m_panel, false);
        }
        setWaitCursor(m_heading, false);
    } // the client closes its connection as it goes
    if (m_timer)
        m_timer(true);
    m_busy = false;
}

void RemoteFolderListing::listFolder(FtpClient &client, const db::DataSet &jobs, QString &host) {
    host = jobText(jobs, "FTP_HOST");
    client.setHost(host);
    client.setUsername(jobText(jobs, "FTP_USER"));
    client.setPassword(jobText(jobs, "FTP_PASSWORD"));
    client.setPassive(false);
    client.setConnectTimeout(timeoutMs);
    client.setReplyTimeout(timeoutMs);
    client.setTransferTimeout(timeoutMs);
    if (configureClient)
        configureClient(client);
    const QString folder = jobText(jobs, "FTP_FOLDER");
    if (client.connected())
        client.disconnect();

    setWaitCursor(m_heading, true);
    if (m_heading)
        m_heading->setText(QStringLiteral("Conectando a ") + host + QStringLiteral("..."));
    platform::processMessages();

    client.connectToServer();
    ShowStatus(m_statusBar, 0, QStringLiteral("Conectado"));
    client.changeDir(folder);
    if (m_heading)
        m_heading->setText((host + QLatin1Char('\\') + folder).toLower());
    const QStringList lines = client.list();
    setWaitCursor(m_heading, false);

    const QDate today = platform::clock().now().date();
    for (const QString &line : lines) {
        const std::optional<ListingRow> row = ListingRowOf(line, today);
        if (row)
            new QTreeWidgetItem(m_list, {row->name, row->size, row->date});
    }
    backup::FitFolderColumns(m_list);
}

void RemoteFolderListing::Check_FTPFiles() {
    if (m_timer)
        m_timer(false);
    { FtpClient unused; }
    if (m_timer)
        m_timer(true);
}

} // namespace bkp::ftp
