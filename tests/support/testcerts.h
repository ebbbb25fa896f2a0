#pragma once

#include "support/tempdir.h"

#include <QString>

namespace bkp::test {

// Certificates made by the openssl program for one test suite: a private
// authority and server certificates, signed by it or by themselves.
class TestCertificates {
public:
    struct Pair {
        QString cert;        // PEM certificate
        QString key;         // PEM key
        QString both;        // certificate and key in one file
        QString fingerprint; // as openssl prints it: "AB:CD:..."
    };

    TestCertificates();
    bool ok() const { return m_error.isEmpty(); }
    QString error() const { return m_error; }
    QString authority() const { return m_dir.file(QStringLiteral("ca.pem")); }

    // A server certificate for `altNames` ("IP:127.0.0.1,DNS:localhost").
    Pair make(const QString &name, const QString &altNames, bool signedByAuthority);

private:
    bool openssl(const QStringList &args);

    TempDir m_dir;
    QString m_error;
};

} // namespace bkp::test
