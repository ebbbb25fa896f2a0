#pragma once

#include <QByteArray>
#include <QString>

namespace bkp {

// The program's texts are single-byte Windows-1252 in files, on the wire and in the
// database. Characters that code page lacks become '?'.
QByteArray toAnsi(const QString &text);
QString fromAnsi(const QByteArray &bytes);
QString fromAnsi(const char *data, int length);
// True when the bytes are valid UTF-8 (plain ASCII is).
bool isUtf8(const QByteArray &bytes);
// A text file's bytes as text: UTF-8 when they are valid UTF-8 (a byte-order mark
// dropped), else Windows-1252, as the program's older files are written.
QString decodeText(const QByteArray &bytes);
// The characters of `text` that code page lacks, each once, in the order they come.
QString notInAnsi(const QString &text);
// Text from a peer that may speak either: bytes that are valid UTF-8 are read as
// UTF-8, any others as Windows-1252.
QString fromUtf8OrAnsi(const QByteArray &bytes);

} // namespace bkp
