#include "ftp/ftpspace.h"

#include "ftp/ftpclient.h"
#include "ftp/ftpconfig.h"
#include "ftp/listingline.h"
#include "lib/scopeguard.h"

#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QStyle>
#include <QToolBar>
#include <QToolButton>
#include <QVBoxLayout>

namespace bkp::ftp {

TfFTPSize::TfFTPSize(TfFTP_Config *settings, QWidget *parent)
    : QDialog(parent), m_settings(settings) {
    setObjectName(QStringLiteral("fFTPSize"));
    setWindowTitle(QStringLiteral("FTPSize"));
    setWindowFlags(windowFlags() | Qt::WindowMinMaxButtonsHint);
    resize(640, 480);
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    ToolBar1 = new QToolBar(this);
    ToolButton1 = new QToolButton(ToolBar1);
    ToolButton1->setIcon(style()->standardIcon(QStyle::SP_BrowserReload));
    ToolButton1->setAutoRaise(true);
    ToolBar1->addWidget(ToolButton1);
    layout->addWidget(ToolBar1);

    QFont fixed(QStringLiteral("Courier New"));
    fixed.setStyleHint(QFont::TypeWriter);
    ListBox1 = new QListWidget(this);
    ListBox1->setFont(fixed);
    ListBox1->setUniformItemSizes(true);
    ListBox1->setStyleSheet(QStringLiteral("QListWidget::item { height: 14px; }"));
    layout->addWidget(ListBox1, 1);
    Memo2 = new QPlainTextEdit(this);
    Memo2->setReadOnly(true);
    Memo2->setFont(fixed);
    Memo2->setFixedHeight(89);
    layout->addWidget(Memo2);

    connect(ToolButton1, &QToolButton::clicked, this, &TfFTPSize::Verificar);
    connect(ListBox1, &QListWidget::itemClicked, this, &TfFTPSize::ListBox1Click);
}

void TfFTPSize::addFolder(FtpClient &client) {
    const QStringList lines = client.list();
    ListBox1->addItem(client.printWorkingDir());
    ListBox1->addItems(lines);
}

void TfFTPSize::Verificar() {
    // The window answers clicks while the report waits on the server; one at a time.
    if (!ToolButton1->isEnabled())
        return;
    ToolButton1->setEnabled(false);
    ScopeGuard enable([this] { ToolButton1->setEnabled(true); });
    if (m_settings)
        m_settings->LoadParams();
    ListBox1->clear();
    FtpClient client;
    client.setPassive(false);
    client.setConnectTimeout(timeoutMs);
    client.setReplyTimeout(timeoutMs);
    client.setTransferTimeout(timeoutMs);
    if (m_settings) {
        client.setHost(m_settings->LabeledEditHost->text());
        client.setUsername(m_settings->LabeledEditLogin->text());
        client.setPassword(m_settings->LabeledEditPassword->text());
    }
    // The client closes its connection as it goes, also on an error.
    client.connectToServer();
    addFolder(client);
    client.changeDir(QStringLiteral("Chat"));
    addFolder(client);
    client.disconnect();
}

void TfFTPSize::ListBox1Click() {
    const QListWidgetItem *item = ListBox1->currentItem();
    if (!item || !item->isSelected())
        return;
    const QStringList details = ParseListingLine(item->text());
    Memo2->setPlainText(details.join(QLatin1Char('\n')));
}

} // namespace bkp::ftp
