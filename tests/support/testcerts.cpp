#include "support/testcerts.h"

#include <QProcess>

namespace bkp::test {

namespace {

const QStringList EcKey{QStringLiteral("-newkey"), QStringLiteral("ec"), QStringLiteral("-pkeyopt"),
                        QStringLiteral("ec_paramgen_curve:prime256v1"), QStringLiteral("-nodes")};

} // namespace

bool TestCertificates::openssl(const QStringList &args) {
    QProcess p;
    p.start(QStringLiteral("openssl"), args);
    if (!p.waitForFinished(30000) || p.exitStatus() != QProcess::NormalExit || p.exitCode() != 0) {
        m_error =
            QStringLiteral("openssl %1: %2")
                .arg(args.join(QLatin1Char(' ')), QString::fromLocal8Bit(p.readAllStandardError()));
        return false;
    }
    return true;
}

TestCertificates::TestCertificates() {
    openssl(QStringList{QStringLiteral("req"), QStringLiteral("-x509")} + EcKey +
            QStringList{QStringLiteral("-keyout"), m_dir.file(QStringLiteral("ca.key")),
                        QStringLiteral("-out"), authority(), QStringLiteral("-days"),
                        QStringLiteral("2"), QStringLiteral("-subj"),
                        QStringLiteral("/CN=BKPZelto test authority"), QStringLiteral("-addext"),
                        QStringLiteral("basicConstraints=critical,CA:TRUE"),
                        QStringLiteral("-addext"),
                        QStringLiteral("keyUsage=critical,keyCertSign,cRLSign")});
}

TestCertificates::Pair TestCertificates::make(const QString &name, const QString &altNames,
                                              bool signedByAuthority) {
    Pair p{m_dir.file(name + QStringLiteral(".pem")), m_dir.file(name + QStringLiteral(".key")),
           m_dir.file(name + QStringLiteral(".both.pem")), QString()};
    const QString subject = QStringLiteral("/CN=") + name;
    if (signedByAuthority) {
        const QString csr = m_dir.file(name + QStringLiteral(".csr"));
        const QString ext =
            m_dir.write(name + QStringLiteral(".ext"),
                        QStringLiteral("subjectAltName=%1\nbasicConstraints=CA:FALSE\n"
                                       "extendedKeyUsage=serverAuth\n")
                            .arg(altNames)
                            .toUtf8());
        if (!openssl(QStringList{QStringLiteral("req")} + EcKey +
                     QStringList{QStringLiteral("-keyout"), p.key, QStringLiteral("-out"), csr,
                                 QStringLiteral("-subj"), subject}) ||
            !openssl({QStringLiteral("x509"), QStringLiteral("-req"), QStringLiteral("-in"), csr,
                      QStringLiteral("-CA"), authority(), QStringLiteral("-CAkey"),
                      m_dir.file(QStringLiteral("ca.key")), QStringLiteral("-CAcreateserial"),
                      QStringLiteral("-out"), p.cert, QStringLiteral("-days"), QStringLiteral("2"),
                      QStringLiteral("-extfile"), ext}))
            return p;
    } else if (!openssl(QStringList{QStringLiteral("req"), QStringLiteral("-x509")} + EcKey +
                        QStringList{QStringLiteral("-keyout"), p.key, QStringLiteral("-out"),
                                    p.cert, QStringLiteral("-days"), QStringLiteral("2"),
                                    QStringLiteral("-subj"), subject, QStringLiteral("-addext"),
                                    QStringLiteral("subjectAltName=") + altNames})) {
        return p;
    }
    m_dir.write(name + QStringLiteral(".both.pem"), m_dir.read(name + QStringLiteral(".pem")) +
                                                        m_dir.read(name + QStringLiteral(".key")));
    QProcess f;
    f.start(QStringLiteral("openssl"),
            {QStringLiteral("x509"), QStringLiteral("-noout"), QStringLiteral("-fingerprint"),
             QStringLiteral("-sha256"), QStringLiteral("-in"), p.cert});
    f.waitForFinished(30000);
    const QString out = QString::fromLatin1(f.readAllStandardOutput()).trimmed();
    p.fingerprint = out.mid(out.indexOf(QLatin1Char('=')) + 1);
    return p;
}

} // namespace bkp::test
