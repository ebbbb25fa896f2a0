#include "platform/ansi.h"

#include <QList>
#include <QStringDecoder>

namespace bkp {

namespace {
// 0x80..0x9F of Windows-1252; the rest of the code page is Latin-1.
const char16_t kHigh[32] = {0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
                            0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,
                            0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
                            0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};
} // namespace

bool isUtf8(const QByteArray &bytes) {
    QStringDecoder probe(QStringConverter::Utf8, QStringConverter::Flag::Stateless);
    const QString decoded = probe.decode(bytes); // the conversion runs here
    Q_UNUSED(decoded);
    return !probe.hasError();
}

QString decodeText(const QByteArray &bytes) {
    if (!isUtf8(bytes))
        return fromAnsi(bytes);
    QString text = QString::fromUtf8(bytes);
    if (text.startsWith(QChar(0xFEFF)))
        text.remove(0, 1);
    return text;
}

QString notInAnsi(const QString &text) {
    QString missing;
    for (char32_t u : text.toUcs4()) {
        bool carried = u < 0x80 || (u >= 0xA0 && u <= 0xFF);
        for (int i = 0; i < 32 && !carried; ++i)
            carried = kHigh[i] == u;
        const QString c = QString::fromUcs4(&u, 1);
        if (!carried && !missing.contains(c))
            missing += c;
    }
    return missing;
}

QByteArray toAnsi(const QString &text) {
    QByteArray out;
    out.reserve(text.size());
    for (QChar c : text) {
        char16_t u = c.unicode();
        if (u < 0x80 || (u >= 0xA0 && u <= 0xFF)) {
            out.append(static_cast<char>(u));
            continue;
        }
        char b = '?';
        for (int i = 0; i < 32; ++i) {
            if (kHigh[i] == u) {
                b = static_cast<char>(0x80 + i);
                break;
            }
        }
        out.append(b);
    }
    return out;
}

QString fromAnsi(const char *data, int length) {
    QString out;
    out.reserve(length);
    for (int i = 0; i < length; ++i) {
        auto b = static_cast<unsigned char>(data[i]);
        out.append(b >= 0x80 && b < 0xA0 ? QChar(kHigh[b - 0x80]) : QChar(b));
    }
    return out;
}

QString fromAnsi(const QByteArray &bytes) {
    return fromAnsi(bytes.constData(), int(bytes.size()));
}

QString fromUtf8OrAnsi(const QByteArray &bytes) {
    return isUtf8(bytes) ? QString::fromUtf8(bytes) : fromAnsi(bytes);
}

} // namespace bkp
