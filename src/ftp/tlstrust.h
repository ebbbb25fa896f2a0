#pragma once

#include <QList>
#include <QSslCertificate>
#include <QString>
#include <QStringList>

namespace bkp::ftp {

// The key of the settings file's "FTP" section that lists the servers trusted
// although their certificate does not verify (a self-signed one): SHA-256
// fingerprints in hex, comma-separated, with or without colons.
extern const char *const TlsFingerprintsKey; // "TLSFingerprints"

// The fingerprints of a "TLSFingerprints" value, in lower-case hex without
// separators; entries that are not 64 hex digits are left out.
QStringList ParseFingerprints(const QString &text);

// The SHA-256 fingerprint of a certificate in the form the key takes.
QString FingerprintOf(const QSslCertificate &certificate);

// What the FTP client trusts besides the system's authorities.
struct TlsTrust {
    QStringList fingerprints;
    QList<QSslCertificate> authorities;
};

// The settings file whose "FTP" section holds the fingerprints. It is read at
// every handshake, so that a fingerprint the operator adds counts at once.
void setTlsSettingsFile(const QString &fileName);
// That settings file (empty when none was set); the SSH settings and the record
// of interrupted uploads are read beside it too.
QString ftpSettingsFile();
// Authorities trusted besides the system's (a private authority of a test);
// never written into the system's store.
void setExtraAuthorities(const QList<QSslCertificate> &authorities);

TlsTrust currentTlsTrust();

} // namespace bkp::ftp
