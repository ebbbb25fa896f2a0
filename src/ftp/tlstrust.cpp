#include "ftp/tlstrust.h"

#include "platform/inifile.h"

#include <QCryptographicHash>
#include <QFileInfo>

namespace bkp::ftp {

const char *const TlsFingerprintsKey = "TLSFingerprints";

namespace {

QString &settingsFile() {
    static QString name;
    return name;
}

QList<QSslCertificate> &extraAuthorities() {
    static QList<QSslCertificate> list;
    return list;
}

} // namespace

QStringList ParseFingerprints(const QString &text) {
    QStringList out;
    for (const QString &entry : text.split(QLatin1Char(','))) {
        QString hex;
        for (QChar c : entry)
            if (c != QLatin1Char(':') && !c.isSpace())
                hex += c.toLower();
        bool hexOnly = hex.size() == 64;
        for (QChar c : hex)
            hexOnly = hexOnly && (c.isDigit() || (c >= QLatin1Char('a') && c <= QLatin1Char('f')));
        if (hexOnly)
            out << hex;
    }
    return out;
}

QString FingerprintOf(const QSslCertificate &certificate) {
    return QString::fromLatin1(certificate.digest(QCryptographicHash::Sha256).toHex());
}

void setTlsSettingsFile(const QString &fileName) {
    settingsFile() = fileName;
}

QString ftpSettingsFile() {
    return settingsFile();
}

void setExtraAuthorities(const QList<QSslCertificate> &authorities) {
    extraAuthorities() = authorities;
}

TlsTrust currentTlsTrust() {
    TlsTrust trust;
    trust.authorities = extraAuthorities();
    if (!settingsFile().isEmpty() && QFileInfo::exists(settingsFile())) {
        const platform::IniFile ini(settingsFile());
        trust.fingerprints = ParseFingerprints(
            ini.readString(QStringLiteral("FTP"), QString::fromLatin1(TlsFingerprintsKey)));
    }
    return trust;
}

} // namespace bkp::ftp
