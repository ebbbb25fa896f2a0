#include "platform/hostinfo.h"

#include "platform/filesystem.h"

#include <QDir>
#include <QFileInfo>
#include <QHostAddress>
#include <QHostInfo>
#include <QSysInfo>
#include <QUrl>

namespace bkp::platform {

namespace {
UrlOpener g_urlOpener;
QString &overriddenAddress() {
    static QString address;
    return address;
}
} // namespace

void overrideLocalIPAddress(const QString &address) {
    overriddenAddress() = address;
}

QString localIPAddress() {
    if (!overriddenAddress().isEmpty())
        return overriddenAddress();
    const QHostInfo info = QHostInfo::fromName(QHostInfo::localHostName());
    if (info.error() != QHostInfo::NoError)
        return QString();
    for (const QHostAddress &address : info.addresses()) {
        if (address.protocol() == QAbstractSocket::IPv4Protocol)
            return address.toString();
    }
    return QString();
}

QString computerName() {
    QString name = QHostInfo::localHostName();
    if (name.isEmpty())
        name = QSysInfo::machineHostName();
    return name;
}

QString tempFolder() {
    return QDir::tempPath();
}

bool openDocument(const QString &pathOrUrl) {
    const QString text = pathOrUrl.trimmed();
    if (text.isEmpty())
        return false;
    QUrl url;
    if (text.startsWith(fs::separator()) || fs::fileExists(text) || fs::folderExists(text)) {
        // A local file or folder (relative ones from the current folder).
        url = QUrl::fromLocalFile(QFileInfo(fs::resolve(text)).absoluteFilePath());
    } else {
        // An address: "http://...", "mailto:...", or "www.site.com.br".
        url = QUrl::fromUserInput(text, QDir::currentPath());
    }
    if (!url.isValid())
        return false;
    return g_urlOpener && g_urlOpener(url);
}

void setUrlOpener(UrlOpener opener) {
    g_urlOpener = std::move(opener);
}

} // namespace bkp::platform
