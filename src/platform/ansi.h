#pragma once

#include <QByteArray>
#include <QString>

namespace bkp {

// The program's texts are single-byte Windows-1252 in files, on the wire and in the
// database. Characters that code page lacks become '?'.
QByteArray toAnsi(const QString &text);
QString fromAnsi(const QByteArray &bytes);
QString fromAnsi(const char *data, int length);
// Text from a peer that may speak either: bytes that are valid UTF-8 are read as
// UTF-8, any others as Windows-1252.
QString fromUtf8OrAnsi(const QByteArray &bytes);

} // namespace bkp
