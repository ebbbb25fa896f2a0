#pragma once

#include <QString>
#include <QUrl>
#include <functional>

namespace bkp::platform {

// The first IPv4 address that the lookup of this computer's own name returns,
// as four decimal numbers joined by "."; empty when the name does not resolve.
QString localIPAddress();
// Tests make another address this computer's own; an empty text restores the lookup.
void overrideLocalIPAddress(const QString &address);
QString computerName();
QString tempFolder(); // without a trailing separator

// Opens a file or an address with the desktop's associated program. A path
// (absolute, or one that exists from the current folder) is resolved ignoring
// case and opened as a local file; anything else is read as an address.
bool openDocument(const QString &pathOrUrl);

// Hands an address to the desktop; the window layer installs it. Without one,
// nothing opens and openDocument answers false.
using UrlOpener = std::function<bool(const QUrl &url)>;
void setUrlOpener(UrlOpener opener);

} // namespace bkp::platform
