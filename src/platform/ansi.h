#pragma once

#include <QByteArray>
#include <QString>

namespace bkp {

// The program's texts are single-byte Windows-1252 in files, on the wire and in the
// database. Characters that code page lacks become '?'.
QByteArray toAnsi(const QString &text);
QString fromAnsi(const QByteArray &bytes);
QString fromAnsi(const char *data, int length);
// The characters of `text` that code page lacks, each once, in the order they come.
QString notInAnsi(const QString &text);

} // namespace bkp
