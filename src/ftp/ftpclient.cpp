#include "ftp/ftpclient.h"

#include "ftp/listingline.h"
#include "ftp/sftpclient.h"
#include "ftp/tlstrust.h"

#include "lib/scopeguard.h"
#include "platform/ansi.h"
#include "platform/application.h"
#include "platform/filesystem.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QFile>
#include <QHostInfo>
#include <QRegularExpression>
#include <QSslConfiguration>
#include <QSslSocket>
#include <QTcpServer>
#include <QTcpSocket>
#include <QThread>
#include <arpa/inet.h>
#include <cerrno>
#include <condition_variable>
#include <cstring>
#include <exception>
#include <fcntl.h>
#include <mutex>
#include <netinet/in.h>
#include <optional>
#include <poll.h>
#include <sys/socket.h>
#include <thread>
#include <unistd.h>

namespace bkp::ftp {

namespace {

// The control connection's send buffer; commands are short.
constexpr int ControlSendBuffer = 16384;
// After a data connection broke, how long the server is given to say why.
constexpr int BrokenTransferReplyWait = 1000;
// Waits are cut into slices this long, so that the end of the session is noticed.
constexpr int WaitSlice = 50;
// What the control connection keeps of a server's unread bytes.
constexpr int ControlReadBuffer = 8 * FtpClient::MaxReplyLine;

int sliceOf(const QDeadlineTimer &deadline) {
    return int(qBound<qint64>(0, deadline.remainingTime(), qint64(WaitSlice)));
}

// Between the slices of a wait the window repaints and answers clicks: a slow
// server must not freeze it. The callers refuse a second operation meanwhile.
void letWindowWork() {
    platform::processMessages();
}

// Set on the thread that runs a call into the SFTP session for the window's thread.
thread_local bool t_sessionThread = false;

QString stoppedText() {
    return QStringLiteral("Operação interrompida pelo fim da sessão");
}

// Closes a data connection with a reset: bytes still queued are dropped, so the
// server sees a broken transfer instead of a complete, shorter file.
void resetConnection(QTcpSocket &socket) {
    const qintptr fd = socket.socketDescriptor();
    if (fd >= 0) {
        const linger l{1, 0};
        ::setsockopt(int(fd), SOL_SOCKET, SO_LINGER, &l, sizeof l);
    }
    socket.abort();
}

QString hostPort(const QString &host, int port) {
    return (host.contains(QLatin1Char(':')) ? QLatin1Char('[') + host + QLatin1Char(']') : host) +
           QLatin1Char(':') + QString::number(port);
}

// Why a connection to host:port could not be opened (errno, or ETIMEDOUT for the
// time-out), naming the host.
QString connectErrorText(int error, const QString &host, int port) {
    const QString where = hostPort(host, port);
    switch (error) {
    case ECONNREFUSED:
        return QStringLiteral("Conexão recusada por %1").arg(where);
    case ETIMEDOUT:
        return QStringLiteral("Tempo esgotado ao conectar a %1").arg(where);
    case ENETUNREACH:
    case EHOSTUNREACH:
        return QStringLiteral("Rede inacessível ao conectar a %1").arg(where);
    default:
        return QStringLiteral("Erro ao conectar a %1: %2")
            .arg(where, QString::fromLocal8Bit(std::strerror(error)));
    }
}

bool isOneOf(int code, std::initializer_list<int> codes) {
    for (int c : codes)
        if (c == code)
            return true;
    return false;
}

QString withoutLineEnd(const QByteArray &line) {
    QByteArray l = line;
    while (l.endsWith('\n') || l.endsWith('\r'))
        l.chop(1);
    return fromUtf8OrAnsi(l);
}

// The three-digit code a reply line starts with, or 0.
int replyCode(const QString &line) {
    if (line.size() < 3)
        return 0;
    for (int i = 0; i < 3; ++i)
        if (!line.at(i).isDigit())
            return 0;
    if (line.size() > 3 && line.at(3) != QLatin1Char(' ') && line.at(3) != QLatin1Char('-'))
        return 0;
    return line.left(3).toInt();
}

enum class SendResult { Sent, Stalled, Broken, Stopped };

// How much a protected data connection keeps queued before the next block is read:
// enough to keep the connection busy, little enough to notice a stall.
constexpr qint64 TlsQueueLimit = 4 * FtpClient::BlockSize;

// Writes a block through the TLS socket (which encrypts it) and waits until no
// more than the queue limit is left to send; a wait without progress ends after
// `timeoutMs`.
SendResult sendEncrypted(QSslSocket &socket, const char *data, qint64 size, int timeoutMs) {
    if (socket.write(data, size) != size)
        return SendResult::Broken;
    QDeadlineTimer stall(timeoutMs);
    while (socket.bytesToWrite() + socket.encryptedBytesToWrite() > TlsQueueLimit) {
        if (platform::sessionEnding())
            return SendResult::Stopped;
        if (socket.state() != QAbstractSocket::ConnectedState)
            return SendResult::Broken;
        if (socket.waitForBytesWritten(qMax(1, sliceOf(stall)))) {
            stall = QDeadlineTimer(timeoutMs);
            continue;
        }
        if (socket.state() != QAbstractSocket::ConnectedState ||
            socket.error() != QAbstractSocket::SocketTimeoutError)
            return SendResult::Broken;
        if (stall.hasExpired())
            return SendResult::Stalled;
        // The window's turn may also send some of the queue.
        const qint64 queued = socket.bytesToWrite() + socket.encryptedBytesToWrite();
        letWindowWork();
        if (socket.bytesToWrite() + socket.encryptedBytesToWrite() < queued)
            stall = QDeadlineTimer(timeoutMs);
    }
    return SendResult::Sent;
}

// The listener of an active-mode data connection; for a protected one the socket
// it hands over can start TLS.
class DataListener : public QTcpServer {
public:
    explicit DataListener(bool tls) : m_tls(tls) {}

protected:
    void incomingConnection(qintptr descriptor) override {
        QTcpSocket *socket = m_tls ? new QSslSocket(this) : new QTcpSocket(this);
        if (!socket->setSocketDescriptor(descriptor)) {
            ::close(int(descriptor));
            delete socket;
            return;
        }
        addPendingConnection(socket);
    }

private:
    bool m_tls;
};

// Writes a block straight to the socket, so the file's bytes are not copied once
// more into a buffer of the socket object; waits for room at most `timeoutMs`
// at a time, and not at all once the session ends.
SendResult sendBlock(qintptr descriptor, const char *data, qint64 size, int timeoutMs) {
    const int fd = int(descriptor);
    while (size > 0) {
        const ssize_t written = ::send(fd, data, size_t(size), MSG_NOSIGNAL);
        if (written > 0) {
            data += written;
            size -= written;
            continue;
        }
        if (written < 0 && errno == EINTR)
            continue;
        if (written < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) {
            const QDeadlineTimer stall(timeoutMs);
            for (;;) {
                if (platform::sessionEnding())
                    return SendResult::Stopped;
                pollfd p{fd, POLLOUT, 0};
                const int ready = ::poll(&p, 1, sliceOf(stall));
                if (ready > 0)
                    break;
                if (ready < 0 && errno != EINTR)
                    return SendResult::Broken;
                if (stall.hasExpired())
                    return SendResult::Stalled;
                letWindowWork();
            }
            continue;
        }
        return SendResult::Broken;
    }
    return SendResult::Sent;
}

// How long a protected upload's data connection waits for the server to close
// its side once the archive and the end of the stream are sent.
constexpr int LingerWait = 5000;

// A descriptor of its own for a data connection, closed with it; it keeps the
// connection open after the socket object has closed.
struct KeptDescriptor {
    int fd;
    explicit KeptDescriptor(qintptr socket)
        : fd(socket >= 0 ? ::fcntl(int(socket), F_DUPFD_CLOEXEC, 0) : -1) {}
    ~KeptDescriptor() {
        if (fd >= 0)
            ::close(fd);
    }
    KeptDescriptor(const KeptDescriptor &) = delete;
    KeptDescriptor &operator=(const KeptDescriptor &) = delete;
};

// Ends the sending side and reads what the server still sends until it closes
// too. Closing with unread bytes (a TLS server's late session tickets) resets
// the connection, and a reset may cost the server the archive's last bytes.
void drainUntilPeerCloses(int fd, const QDeadlineTimer &deadline) {
    ::shutdown(fd, SHUT_WR);
    char sink[4096];
    while (!deadline.hasExpired() && !platform::sessionEnding()) {
        pollfd p{fd, POLLIN, 0};
        const int ready = ::poll(&p, 1, sliceOf(deadline));
        if (ready < 0 && errno != EINTR)
            return;
        if (ready <= 0) {
            letWindowWork();
            continue;
        }
        const ssize_t n = ::recv(fd, sink, sizeof sink, MSG_DONTWAIT);
        if (n == 0 || (n < 0 && errno != EAGAIN && errno != EWOULDBLOCK && errno != EINTR))
            return;
    }
}

} // namespace

FtpClient::FtpClient() = default;

FtpClient::~FtpClient() {
    // Closing with the owner raises no events: their receivers may already be gone.
    m_announced = false;
    closeControl();
}

// ------------------------------------------------------------------ settings

bool FtpClient::IsExplicitTls(const QString &host) {
    return host.trimmed().startsWith(QLatin1String(TlsPrefix), Qt::CaseInsensitive);
}

bool FtpClient::IsSftp(const QString &host) {
    return host.trimmed().startsWith(QLatin1String(SftpPrefix), Qt::CaseInsensitive);
}

QString FtpClient::hostWithoutScheme() const {
    QString h = m_host.trimmed();
    const char *scheme = IsExplicitTls(h) ? TlsPrefix : IsSftp(h) ? SftpPrefix : nullptr;
    if (scheme) {
        h = h.mid(qsizetype(std::strlen(scheme))).trimmed();
        while (h.endsWith(QLatin1Char('/')))
            h.chop(1);
    }
    return h;
}

QString FtpClient::effectiveHost() const {
    const QString h = hostWithoutScheme();
    if (h.startsWith(QLatin1Char('['))) {
        const qsizetype close = h.indexOf(QLatin1Char(']'));
        if (close > 0)
            return h.mid(1, close - 1);
        return h;
    }
    if (h.count(QLatin1Char(':')) == 1) {
        const qsizetype colon = h.indexOf(QLatin1Char(':'));
        bool ok = false;
        const int p = h.mid(colon + 1).trimmed().toInt(&ok);
        if (ok && p > 0 && p < 65536)
            return h.left(colon).trimmed();
    }
    return h;
}

int FtpClient::effectivePort() const {
    const QString h = hostWithoutScheme();
    QString portText;
    if (h.startsWith(QLatin1Char('['))) {
        const qsizetype close = h.indexOf(QLatin1Char(']'));
        if (close > 0 && h.mid(close + 1).startsWith(QLatin1Char(':')))
            portText = h.mid(close + 2);
    } else if (h.count(QLatin1Char(':')) == 1) {
        portText = h.mid(h.indexOf(QLatin1Char(':')) + 1);
    }
    bool ok = false;
    const int p = portText.trimmed().toInt(&ok);
    if (ok && p > 0 && p < 65536)
        return p;
    return sftp() && m_port == DefaultPort ? SftpSession::DefaultPort : m_port;
}

QString FtpClient::peerText() const {
    return hostPort(effectiveHost(), effectivePort());
}

// ------------------------------------------------------------ the connection

bool FtpClient::connected() const {
    if (m_sftp)
        return m_sftp->connected();
    return m_control && m_control->state() == QAbstractSocket::ConnectedState;
}

void FtpClient::status(const QString &text) {
    if (t_sessionThread)
        return handToWindow([this, text] { status(text); });
    if (onStatus)
        onStatus(text);
}

void FtpClient::sessionReply(const QString &text) {
    if (t_sessionThread)
        return handToWindow([this, text] { m_lastReply = text; });
    m_lastReply = text;
}

void FtpClient::sessionWorkBegin(qint64 total) {
    if (t_sessionThread)
        return handToWindow([this, total] { sessionWorkBegin(total); });
    if (onWorkBegin)
        onWorkBegin(total);
}

void FtpClient::sessionWork(qint64 count) {
    if (t_sessionThread)
        return handToWindow([this, count] { sessionWork(count); });
    if (onWork)
        onWork(count);
}

void FtpClient::handToWindow(std::function<void()> event) {
    QMetaObject::invokeMethod(&m_mailbox, std::move(event), Qt::QueuedConnection);
}

void FtpClient::awayFromWindow(const std::function<void()> &call) {
    if (!QCoreApplication::instance() || t_sessionThread ||
        QThread::currentThread() != m_mailbox.thread()) {
        call();
        return;
    }
    std::mutex lock;
    std::condition_variable ended;
    bool done = false;
    std::exception_ptr error;
    std::thread session([&] {
        t_sessionThread = true;
        try {
            call();
        } catch (...) {
            error = std::current_exception();
        }
        const std::lock_guard<std::mutex> hold(lock);
        done = true;
        ended.notify_one();
    });
    for (;;) {
        {
            std::unique_lock<std::mutex> hold(lock);
            if (ended.wait_for(hold, std::chrono::milliseconds(WaitSlice), [&] { return done; }))
                break;
        }
        letWindowWork();
    }
    session.join();
    // What the session handed over last reaches its receivers before the result.
    QCoreApplication::sendPostedEvents(&m_mailbox, QEvent::MetaCall);
    if (error)
        std::rethrow_exception(error);
}

void FtpClient::closeControl() {
    m_sftp.reset();
    if (!m_control)
        return;
    m_control->abort();
    m_control.reset();
}

void FtpClient::checkStop() const {
    if (platform::sessionEnding())
        throw FtpError(stoppedText());
}

void FtpClient::beginAttempt(int boundMs) {
    m_attemptBound = boundMs;
    m_attempt = boundMs > 0 ? QDeadlineTimer(boundMs) : QDeadlineTimer(QDeadlineTimer::Forever);
}

void FtpClient::endAttempt() {
    m_attemptBound = 0;
    m_attempt = QDeadlineTimer(QDeadlineTimer::Forever);
}

QDeadlineTimer FtpClient::bounded(int timeoutMs) const {
    const QDeadlineTimer own(timeoutMs);
    return m_attempt < own ? m_attempt : own;
}

void FtpClient::timedOut(const QString &text) const {
    if (m_attempt.hasExpired())
        throw FtpError(QStringLiteral("Tempo esgotado: %1 levou mais de %2 s para responder "
                                      "nesta tentativa")
                           .arg(peerText())
                           .arg(m_attemptBound / 1000.0));
    throw FtpError(text);
}

QHostInfo FtpClient::lookUp(const QString &host) {
    checkStop();
    if (!QCoreApplication::instance())
        return QHostInfo::fromName(host);
    // Asked in the background: a name server that does not answer neither freezes
    // the window nor holds the attempt past the connection's time-out.
    QObject receiver;
    std::optional<QHostInfo> found;
    const int id =
        QHostInfo::lookupHost(host, &receiver, [&found](const QHostInfo &info) { found = info; });
    ScopeGuard abandon([id] { QHostInfo::abortHostLookup(id); });
    const QDeadlineTimer deadline = bounded(m_connectTimeout);
    while (!found) {
        checkStop();
        if (deadline.hasExpired())
            timedOut(QStringLiteral("Tempo esgotado procurando o endereço de %1").arg(host));
        letWindowWork();
        if (!found)
            QThread::msleep(10);
    }
    abandon.dismiss();
    return *found;
}

void FtpClient::openSocket(QTcpSocket &socket, const QHostAddress &address, quint16 port,
                           const QString &hostText) {
    // Connected here, not by the socket object, so that the wait can be cut short.
    int fd = -1;
    try {
        fd = connectSocket(address, port, int(bounded(m_connectTimeout).remainingTime()), hostText);
    } catch (const FtpError &) {
        if (m_attempt.hasExpired())
            timedOut(QString());
        throw;
    }
    if (!socket.setSocketDescriptor(fd)) {
        ::close(fd);
        throw FtpError(QStringLiteral("Erro ao conectar a %1: %2")
                           .arg(hostPort(hostText, port), socket.errorString()));
    }
}

int FtpClient::connectSocket(const QHostAddress &address, quint16 port, int timeoutMs,
                             const QString &hostText) {
    sockaddr_storage storage{};
    socklen_t length = 0;
    bool ipv4 = false;
    const quint32 v4 = address.toIPv4Address(&ipv4);
    if (ipv4) {
        auto *in = reinterpret_cast<sockaddr_in *>(&storage);
        in->sin_family = AF_INET;
        in->sin_port = htons(port);
        in->sin_addr.s_addr = htonl(v4);
        length = sizeof(sockaddr_in);
    } else {
        auto *in6 = reinterpret_cast<sockaddr_in6 *>(&storage);
        in6->sin6_family = AF_INET6;
        in6->sin6_port = htons(port);
        const Q_IPV6ADDR v6 = address.toIPv6Address();
        std::memcpy(&in6->sin6_addr, &v6, sizeof v6);
        in6->sin6_scope_id = address.scopeId().toUInt();
        length = sizeof(sockaddr_in6);
    }
    const int fd = ::socket(storage.ss_family, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
    if (fd < 0)
        throw FtpError(connectErrorText(errno, hostText, port));
    auto fail = [&](int error) {
        ::close(fd);
        throw FtpError(connectErrorText(error, hostText, port));
    };
    if (::connect(fd, reinterpret_cast<sockaddr *>(&storage), length) != 0) {
        if (errno != EINPROGRESS)
            fail(errno);
        const QDeadlineTimer deadline(timeoutMs);
        for (;;) {
            if (platform::sessionEnding()) {
                ::close(fd);
                throw FtpError(stoppedText());
            }
            pollfd p{fd, POLLOUT, 0};
            const int ready = ::poll(&p, 1, sliceOf(deadline));
            if (ready > 0)
                break;
            if (ready < 0 && errno != EINTR)
                fail(errno);
            if (deadline.hasExpired())
                fail(ETIMEDOUT);
            letWindowWork();
        }
        int error = 0;
        socklen_t size = sizeof error;
        ::getsockopt(fd, SOL_SOCKET, SO_ERROR, &error, &size);
        if (error != 0)
            fail(error);
    }
    return fd;
}

void FtpClient::connectToServer() {
    if (m_control || m_sftp)
        disconnect();
    m_lastReply.clear();
    m_lastCode = 0;
    m_features.clear();
    m_utf8 = false;
    if (sftp()) {
        m_sftp = std::make_unique<SftpSession>(*this);
        ScopeGuard hangUp([this] { disconnect(); });
        awayFromWindow([this] { m_sftp->connect(); });
        hangUp.dismiss();
        return;
    }
    // Nothing at all goes to the server when the login could not travel.
    requireSafe(m_username, QStringLiteral("O usuário"));
    requireSafe(m_password, QStringLiteral("A senha"));
    const QString host = effectiveHost();
    const int port = effectivePort();
    status(QStringLiteral("Conectando a %1").arg(hostPort(host, port)));

    // PASV and PORT carry IPv4 addresses only, so a name goes to its IPv4 address
    // ("localhost" would otherwise often be ::1); an address given as such is
    // used as it is.
    QHostAddress address(host);
    if (address.isNull()) {
        for (const QHostAddress &a : lookUp(host).addresses())
            if (a.protocol() == QAbstractSocket::IPv4Protocol) {
                address = a;
                break;
            }
        if (address.isNull())
            throw FtpError(QStringLiteral("Servidor não encontrado: %1").arg(host));
    }
    const bool secure = tls();
    if (secure)
        m_control = std::make_unique<QSslSocket>();
    else
        m_control = std::make_unique<QTcpSocket>();
    {
        ScopeGuard close([this] { closeControl(); });
        openSocket(*m_control, address, quint16(port), host);
        close.dismiss();
    }
    // A server that sends without end fills this much and no more.
    m_control->setReadBufferSize(ControlReadBuffer);
    m_control->setSocketOption(QAbstractSocket::SendBufferSizeSocketOption, ControlSendBuffer);
    m_control->setSocketOption(QAbstractSocket::LowDelayOption, 1);
    m_announced = true;
    if (onConnected)
        onConnected();

    ScopeGuard hangUp([this] { disconnect(); });
    if (readReply() != 220)
        raiseReply();
    if (secure) {
        // Nothing else, the login least of all, goes before the handshake.
        sendCommand(QStringLiteral("AUTH TLS"));
        if (readReply() != 234)
            throw FtpError(QStringLiteral("Servidor recusou AUTH TLS: ") + m_lastReply);
        startTls(*m_control, true);
    }
    if (command(QStringLiteral("USER ") + m_username, {230, 331}) == 331)
        command(QStringLiteral("PASS ") + m_password, {230});
    if (secure) {
        command(QStringLiteral("PBSZ 0"), {200});
        command(QStringLiteral("PROT P"), {200});
    }
    askFeatures();
    command(QStringLiteral("TYPE I"), {200});
    command(QStringLiteral("SYST"), {200, 215, 500});
    hangUp.dismiss();
}

void FtpClient::askFeatures() {
    sendCommand(QStringLiteral("FEAT"));
    if (readReply() == 211)
        // Between the first line ("211-Features:") and the last ("211 End").
        for (qsizetype i = 1; i + 1 < m_replyLines.size(); ++i)
            if (!m_replyLines.at(i).trimmed().isEmpty())
                m_features.append(m_replyLines.at(i).trimmed());
    for (const QString &feature : std::as_const(m_features))
        if (feature.section(QLatin1Char(' '), 0, 0)
                .compare(QLatin1String("UTF8"), Qt::CaseInsensitive) == 0) {
            // Some servers want to be asked; whatever they answer, they said UTF8.
            sendCommand(QStringLiteral("OPTS UTF8 ON"));
            readReply();
            m_utf8 = true;
            break;
        }
}

void FtpClient::disconnect() {
    if (!m_control && !m_sftp)
        return;
    const bool announced = m_announced;
    m_announced = false;
    if (announced)
        status(QStringLiteral("Desconectando de %1").arg(peerText()));
    closeControl();
    if (announced && onDisconnected)
        onDisconnected();
}

QString FtpClient::certificateRefusal(const QSslError &error) const {
    switch (error.error()) {
    case QSslError::HostNameMismatch:
        return QStringLiteral("Certificado TLS não confere com o host %1").arg(effectiveHost());
    case QSslError::SelfSignedCertificate:
        return QStringLiteral("Certificado TLS autoassinado, não confiável");
    case QSslError::SelfSignedCertificateInChain:
    case QSslError::UnableToGetLocalIssuerCertificate:
    case QSslError::UnableToGetIssuerCertificate:
    case QSslError::UnableToVerifyFirstCertificate:
    case QSslError::CertificateUntrusted:
        return QStringLiteral("Certificado TLS de autoridade não confiável");
    case QSslError::CertificateExpired:
        return QStringLiteral("Certificado TLS vencido");
    case QSslError::CertificateNotYetValid:
        return QStringLiteral("Certificado TLS ainda não válido");
    case QSslError::CertificateRevoked:
        return QStringLiteral("Certificado TLS revogado");
    case QSslError::NoPeerCertificate:
        return QStringLiteral("Servidor TLS sem certificado");
    default:
        return QStringLiteral("Certificado TLS recusado: ") + error.errorString();
    }
}

void FtpClient::startTls(QTcpSocket &socket, bool control) {
    auto &ssl = static_cast<QSslSocket &>(socket);
    QSslConfiguration config;
    if (control) {
        config = QSslConfiguration::defaultConfiguration();
        config.setPeerVerifyMode(QSslSocket::VerifyPeer);
        // Kept, so that the data connections resume this session.
        config.setSslOption(QSsl::SslOptionDisableSessionPersistence, false);
        const TlsTrust trust = currentTlsTrust();
        m_trustedFingerprints = trust.fingerprints;
        if (!trust.authorities.isEmpty())
            config.setCaCertificates(QSslConfiguration::systemCaCertificates() + trust.authorities);
    } else {
        config = static_cast<QSslSocket &>(*m_control).sslConfiguration();
    }
    ssl.setSslConfiguration(config);
    ssl.setPeerVerifyName(effectiveHost());

    QString refusal;
    const QMetaObject::Connection check =
        QObject::connect(&ssl, &QSslSocket::sslErrors, [&](const QList<QSslError> &errors) {
            const QString fingerprint = FingerprintOf(ssl.peerCertificate());
            if (m_trustedFingerprints.contains(fingerprint)) {
                ssl.ignoreSslErrors();
                return;
            }
            refusal = (errors.isEmpty() ? QStringLiteral("Certificado TLS recusado")
                                        : certificateRefusal(errors.first())) +
                      QStringLiteral(" (SHA-256 %1)").arg(fingerprint);
        });
    struct Disconnect {
        const QMetaObject::Connection &c;
        ~Disconnect() { QObject::disconnect(c); }
    } disconnectAtEnd{check};

    status(QStringLiteral("Negociando TLS com %1").arg(peerText()));
    ssl.startClientEncryption();
    const QDeadlineTimer deadline = bounded(m_replyTimeout);
    while (!ssl.isEncrypted()) {
        checkStop();
        if (!refusal.isEmpty() || ssl.state() != QAbstractSocket::ConnectedState)
            break;
        if (deadline.hasExpired())
            timedOut(QStringLiteral("Tempo esgotado na negociação TLS com %1").arg(peerText()));
        if (!ssl.waitForEncrypted(qMax(1, sliceOf(deadline))))
            letWindowWork();
    }
    if (ssl.isEncrypted())
        return;
    if (!refusal.isEmpty())
        throw FtpError(refusal);
    throw FtpError(
        QStringLiteral("Falha na negociação TLS com %1: %2").arg(peerText(), ssl.errorString()));
}

void FtpClient::requireConnected() const {
    if (!connected())
        throw FtpError(QStringLiteral("Não conectado a %1").arg(peerText()));
}

// ----------------------------------------------------- commands and replies

bool FtpClient::safeArgument(const QString &value) {
    for (QChar c : value)
        if (c == QLatin1Char('\r') || c == QLatin1Char('\n') || c == QChar(0))
            return false;
    return true;
}

QString FtpClient::unsafeArgumentText(const QString &what) {
    return what + QStringLiteral(" contém caractere inválido (CR, LF ou NUL)");
}

void FtpClient::requireSafe(const QString &value, const QString &what) const {
    if (!safeArgument(value))
        throw FtpError(unsafeArgumentText(what));
}

void FtpClient::sendCommand(const QString &command) {
    requireConnected();
    requireSafe(command, QStringLiteral("O comando"));
    m_control->write((m_utf8 ? command.toUtf8() : toAnsi(command)) + "\r\n");
    const QDeadlineTimer deadline = bounded(m_replyTimeout);
    while (m_control && m_control->bytesToWrite() > 0) {
        checkStop();
        if (deadline.hasExpired())
            timedOut(QStringLiteral("Tempo esgotado enviando comando a %1").arg(peerText()));
        if (m_control->waitForBytesWritten(qMax(1, sliceOf(deadline))))
            continue;
        if (m_control->state() != QAbstractSocket::ConnectedState ||
            m_control->error() != QAbstractSocket::SocketTimeoutError)
            throw FtpError(QStringLiteral("Conexão encerrada por %1").arg(peerText()));
        letWindowWork();
    }
}

bool FtpClient::waitReadable(QTcpSocket &socket, const QDeadlineTimer &deadline) {
    auto *ssl = qobject_cast<QSslSocket *>(&socket);
    for (;;) {
        checkStop();
        if (deadline.hasExpired())
            return false;
        // Records that came with the handshake (a session ticket, the close_notify
        // of an empty listing) wait inside the TLS layer until something makes it
        // read them; a flush does, without waiting for more bytes that never come.
        if (ssl && ssl->isEncrypted()) {
            const qint64 before = ssl->bytesAvailable();
            const bool closedBefore = ssl->error() == QAbstractSocket::RemoteHostClosedError;
            ssl->flush();
            if (ssl->bytesAvailable() > before || ssl->state() != QAbstractSocket::ConnectedState ||
                (!closedBefore && ssl->error() == QAbstractSocket::RemoteHostClosedError))
                return true;
        }
        if (socket.waitForReadyRead(qMax(1, sliceOf(deadline))) ||
            socket.state() != QAbstractSocket::ConnectedState)
            return true;
        if (socket.error() != QAbstractSocket::SocketTimeoutError)
            throw FtpError(
                QStringLiteral("Erro na conexão com %1: %2").arg(peerText(), socket.errorString()));
        // The window's turn may read what arrives meanwhile into the socket.
        const qint64 before = socket.bytesAvailable();
        letWindowWork();
        if (socket.bytesAvailable() > before || socket.state() != QAbstractSocket::ConnectedState)
            return true;
    }
}

QByteArray FtpClient::readControlLine(const QDeadlineTimer &deadline) {
    for (;;) {
        if (!m_control)
            throw FtpError(QStringLiteral("Não conectado a %1").arg(peerText()));
        const bool whole = m_control->canReadLine();
        if (whole || m_control->bytesAvailable() > MaxReplyLine) {
            const QByteArray line = m_control->readLine(MaxReplyLine + 2);
            if (!whole || (line.size() > MaxReplyLine && !line.endsWith('\n')))
                throw FtpError(
                    QStringLiteral("Linha de resposta longa demais de %1").arg(peerText()));
            return line;
        }
        if (m_control->state() != QAbstractSocket::ConnectedState) {
            // What the server wrote before closing still counts as its last line.
            if (m_control->bytesAvailable() > 0)
                return m_control->readAll();
            throw FtpError(QStringLiteral("Conexão encerrada por %1").arg(peerText()));
        }
        if (!waitReadable(*m_control, deadline))
            timedOut(QStringLiteral("Tempo esgotado esperando resposta de %1").arg(peerText()));
    }
}

int FtpClient::readReply() {
    // One deadline for the whole reply: continuation lines do not extend it.
    const QDeadlineTimer deadline = bounded(m_replyTimeout);
    QString line = withoutLineEnd(readControlLine(deadline));
    m_replyLines = QStringList{line};
    const int code = replyCode(line);
    if (code == 0) {
        m_lastReply = line;
        m_lastCode = 0;
        throw FtpError(QStringLiteral("Resposta inválida de %1: %2").arg(peerText(), line));
    }
    if (line.size() > 3 && line.at(3) == QLatin1Char('-')) {
        // A reply of several lines ends with the line that has the code and a blank.
        const QString end = line.left(3) + QLatin1Char(' ');
        for (;;) {
            line = withoutLineEnd(readControlLine(deadline));
            if (m_replyLines.size() < MaxReplyLines)
                m_replyLines.append(line);
            if (line.startsWith(end) || line == end.trimmed())
                break;
        }
    }
    m_lastReply = line;
    m_lastCode = code;
    return code;
}

void FtpClient::raiseReply() const {
    throw FtpError(m_lastReply);
}

int FtpClient::command(const QString &cmd, std::initializer_list<int> accepted) {
    sendCommand(cmd);
    const int code = readReply();
    if (!isOneOf(code, accepted))
        raiseReply();
    return code;
}

// ---------------------------------------------------------------- operations

void FtpClient::deleteFile(const QString &remoteName) {
    if (m_sftp)
        return awayFromWindow([&] { m_sftp->deleteFile(remoteName); });
    requireSafe(remoteName, QStringLiteral("O nome do arquivo"));
    command(QStringLiteral("DELE ") + remoteName, {250});
}

void FtpClient::changeDir(const QString &folder) {
    if (m_sftp)
        return awayFromWindow([&] { m_sftp->changeDir(folder); });
    requireSafe(folder, QStringLiteral("A pasta"));
    command(QStringLiteral("CWD ") + folder, {250});
}

void FtpClient::rename(const QString &from, const QString &to) {
    if (m_sftp)
        return awayFromWindow([&] { m_sftp->rename(from, to); });
    requireSafe(from, QStringLiteral("O nome do arquivo"));
    requireSafe(to, QStringLiteral("O novo nome do arquivo"));
    command(QStringLiteral("RNFR ") + from, {350});
    command(QStringLiteral("RNTO ") + to, {250});
}

QString FtpClient::printWorkingDir() {
    if (m_sftp) {
        QString folder;
        awayFromWindow([&] { folder = m_sftp->printWorkingDir(); });
        return folder;
    }
    command(QStringLiteral("PWD"), {257});
    const qsizetype open = m_lastReply.indexOf(QLatin1Char('"'));
    if (open < 0)
        return QString();
    const qsizetype close = m_lastReply.indexOf(QLatin1Char('"'), open + 1);
    return close < 0 ? m_lastReply.mid(open + 1) : m_lastReply.mid(open + 1, close - open - 1);
}

qint64 FtpClient::remoteSize(const QString &remoteName) {
    if (m_sftp) {
        qint64 size = -1;
        awayFromWindow([&] { size = m_sftp->remoteSize(remoteName); });
        return size;
    }
    requireSafe(remoteName, QStringLiteral("O nome do arquivo"));
    sendCommand(QStringLiteral("SIZE ") + remoteName);
    const int code = readReply();
    if (code == 213) {
        bool ok = false;
        const qint64 size = m_lastReply.mid(4).trimmed().toLongLong(&ok);
        if (ok && size >= 0)
            return size;
    } else if (code < 500) {
        raiseReply();
    }
    // SIZE not offered (500, 502) or refused for this file (550): its listing line.
    QStringList lines;
    try {
        lines = list(remoteName);
    } catch (const FtpError &) {
        if (!connected() || m_lastCode < 500)
            throw;
        return -1;
    }
    const QString tail = QLatin1Char(' ') + remoteName;
    for (const QString &line : lines) {
        const QStringList fields = ListingFields(line);
        if (fields.size() < 9 || !fields.first().startsWith(QLatin1Char('-')) ||
            !line.trimmed().endsWith(tail))
            continue;
        bool ok = false;
        const qint64 size = fields.at(4).toLongLong(&ok);
        if (ok && size >= 0)
            return size;
    }
    return -1;
}

bool FtpClient::parsePasvReply(const QString &reply, QHostAddress &address, quint16 &port) {
    QString part;
    const qsizetype open = reply.indexOf(QLatin1Char('('));
    const qsizetype close = open < 0 ? -1 : reply.indexOf(QLatin1Char(')'), open + 1);
    if (open >= 0 && close > open)
        part = reply.mid(open + 1, close - open - 1);
    else
        part = reply.mid(reply.trimmed().lastIndexOf(QLatin1Char(' ')) + 1);
    // Some servers end the numbers with a full stop.
    while (part.endsWith(QLatin1Char('.')))
        part.chop(1);
    const QStringList numbers = part.split(QLatin1Char(','));
    if (numbers.size() != 6)
        return false;
    int n[6];
    for (int i = 0; i < 6; ++i) {
        bool ok = false;
        n[i] = numbers.at(i).trimmed().toInt(&ok);
        if (!ok || n[i] < 0 || n[i] > 255)
            return false;
    }
    address = QHostAddress(quint32(n[0]) << 24 | quint32(n[1]) << 16 | quint32(n[2]) << 8 |
                           quint32(n[3]));
    port = quint16(n[4] * 256 + n[5]);
    return true;
}

void FtpClient::readFinalReply() {
    const int code = readReply();
    if (isOneOf(code, {225, 226, 250}))
        return;
    if (code != 426)
        raiseReply();
    // 426 is followed by the closing 226; without it the 426 is the answer.
    const QString aborted = m_lastReply;
    try {
        if (readReply() == 226)
            return;
    } catch (const FtpError &) {
        throw FtpError(aborted);
    }
    raiseReply();
}

void FtpClient::runTransfer(const QString &cmd, std::initializer_list<int> passiveCodes,
                            std::initializer_list<int> activeCodes,
                            const std::function<void(QTcpSocket &)> &transfer,
                            const QString &restart) {
    requireConnected();
    std::unique_ptr<QTcpSocket> passiveSocket;
    std::unique_ptr<QTcpServer> listener;
    if (m_passive) {
        command(QStringLiteral("PASV"), {227});
        QHostAddress address;
        quint16 port = 0;
        if (!parsePasvReply(m_lastReply, address, port))
            throw FtpError(QStringLiteral("Resposta PASV sem endereço: %1").arg(m_lastReply));
        // The data goes to the server this client talks to, whatever address the
        // reply names (0.0.0.0 from a server that does not know its own, or another
        // host altogether); only the port is the server's to choose.
        address = m_control->peerAddress();
        if (tls())
            passiveSocket = std::make_unique<QSslSocket>();
        else
            passiveSocket = std::make_unique<QTcpSocket>();
        try {
            openSocket(*passiveSocket, address, port, address.toString());
        } catch (const FtpError &e) {
            throw FtpError(QStringLiteral("Conexão de dados: ") + e.message());
        }
    } else {
        bool ipv4 = false;
        const quint32 local = m_control->localAddress().toIPv4Address(&ipv4);
        if (!ipv4)
            throw FtpError(
                QStringLiteral("O modo ativo precisa de uma conexão IPv4 com %1").arg(peerText()));
        listener = std::make_unique<DataListener>(tls());
        if (!listener->listen(QHostAddress(local), 0))
            throw FtpError(QStringLiteral("Não foi possível abrir a conexão de dados: %1")
                               .arg(listener->errorString()));
        const quint16 p = listener->serverPort();
        command(QStringLiteral("PORT %1,%2,%3,%4,%5,%6")
                    .arg(local >> 24)
                    .arg((local >> 16) & 0xff)
                    .arg((local >> 8) & 0xff)
                    .arg(local & 0xff)
                    .arg(p >> 8)
                    .arg(p & 0xff),
                {200});
    }

    // REST stands right before the command it applies to.
    if (!restart.isEmpty())
        command(restart, {350});
    sendCommand(cmd);
    if (!isOneOf(readReply(), m_passive ? passiveCodes : activeCodes))
        raiseReply();

    QTcpSocket *data = listener ? acceptFromPeer(*listener) : passiveSocket.get();
    // The attempt's bound stands still while the data moves: a large archive takes
    // what it takes.
    const qint64 left = m_attempt.remainingTime();
    m_attempt = QDeadlineTimer(QDeadlineTimer::Forever);
    ScopeGuard resume([&] {
        m_attempt = left < 0 ? QDeadlineTimer(QDeadlineTimer::Forever) : QDeadlineTimer(left);
    });
    {
        ScopeGuard reset([&] { resetConnection(*data); });
        if (tls())
            startTls(*data, false);
        transfer(*data);
        reset.dismiss();
    }
    // The server answers once it has all of the data, which may still be on its
    // way from the buffers between the two.
    readFinalReply();
}

QTcpSocket *FtpClient::acceptFromPeer(QTcpServer &listener) {
    const QHostAddress peer = m_control->peerAddress();
    const QDeadlineTimer deadline = bounded(m_connectTimeout);
    for (;;) {
        checkStop();
        while (listener.hasPendingConnections()) {
            QTcpSocket *incoming = listener.nextPendingConnection(); // owned by the listener
            // Anyone may connect to the port announced; the archive goes only to
            // the server itself.
            if (incoming->peerAddress().isEqual(peer, QHostAddress::ConvertV4MappedToIPv4)) {
                listener.close();
                return incoming;
            }
            resetConnection(*incoming);
        }
        if (deadline.hasExpired())
            timedOut(QStringLiteral("Tempo esgotado esperando a conexão de dados de %1")
                         .arg(peerText()));
        if (!listener.waitForNewConnection(qMax(1, sliceOf(deadline))))
            letWindowWork();
    }
}

bool FtpClient::canResume() {
    if (m_sftp)
        return true;
    // FEAT was asked once after the login; a server without it has no features.
    for (const QString &feature : std::as_const(m_features))
        if (feature.compare(QLatin1String("REST STREAM"), Qt::CaseInsensitive) == 0)
            return true;
    return false;
}

bool FtpClient::renameReplaces() const {
    return m_sftp && m_sftp->renameReplaces();
}

qint64 FtpClient::openForSending(QFile &file, const QString &localPath, qint64 &offset) {
    if (!file.open(QIODevice::ReadOnly | QIODevice::Unbuffered))
        throw FtpError(
            QStringLiteral("Não foi possível abrir %1: %2").arg(localPath, file.errorString()));
    const qint64 total = file.size();
    if (offset < 0 || offset > total)
        offset = 0;
    if (offset > 0 && !file.seek(offset))
        throw FtpError(QStringLiteral("Erro ao ler %1: %2").arg(localPath, file.errorString()));
    return total;
}

void FtpClient::put(const QString &localPath, const QString &remoteName, qint64 offset) {
    if (m_sftp)
        return awayFromWindow([&] { m_sftp->put(localPath, remoteName, offset); });
    requireConnected();
    requireSafe(remoteName, QStringLiteral("O nome do arquivo"));
    QFile file(platform::fs::resolve(localPath));
    const qint64 total = FtpClient::openForSending(file, localPath, offset);
    const bool secure = tls();

    runTransfer(
        QStringLiteral("STOR ") + remoteName, {110, 125, 150}, {125, 150},
        [&](QTcpSocket &data) {
            if (onWorkBegin)
                onWorkBegin(total);
            QByteArray block(BlockSize, Qt::Uninitialized);
            qint64 sent = offset;
            auto broken = [&](bool stalled) {
                const QString text =
                    stalled ? QStringLiteral("Transferência parada após %1 de %2 bytes")
                                  .arg(sent)
                                  .arg(total)
                            : QStringLiteral("Conexão de dados interrompida após %1 de "
                                             "%2 bytes")
                                  .arg(sent)
                                  .arg(total);
                data.abort();
                // The server may have said why it dropped the transfer.
                if (!stalled && m_control &&
                    (m_control->canReadLine() ||
                     m_control->waitForReadyRead(qMin(BrokenTransferReplyWait, m_replyTimeout)))) {
                    const int saved = m_replyTimeout;
                    m_replyTimeout = qMin(BrokenTransferReplyWait, m_replyTimeout);
                    int code = 0;
                    try {
                        code = readReply();
                    } catch (const FtpError &) {
                    }
                    m_replyTimeout = saved;
                    if (code >= 400)
                        raiseReply();
                }
                throw FtpError(text);
            };
            for (;;) {
                const qint64 n = file.read(block.data(), BlockSize);
                if (n < 0)
                    throw FtpError(
                        QStringLiteral("Erro ao ler %1: %2").arg(localPath, file.errorString()));
                if (n == 0)
                    break;
                SendResult r = SendResult::Broken;
                if (data.state() == QAbstractSocket::ConnectedState)
                    r = secure ? sendEncrypted(static_cast<QSslSocket &>(data), block.constData(),
                                               n, m_transferTimeout)
                               : sendBlock(data.socketDescriptor(), block.constData(), n,
                                           m_transferTimeout);
                if (r == SendResult::Stopped)
                    throw FtpError(stoppedText());
                if (r != SendResult::Sent)
                    broken(r == SendResult::Stalled);
                sent += n;
                if (onWork)
                    onWork(sent);
                if (!m_control)
                    throw FtpError(QStringLiteral("Não conectado a %1").arg(peerText()));
                checkStop();
            }
            const KeptDescriptor kept(secure ? data.socketDescriptor() : -1);
            data.disconnectFromHost();
            const QDeadlineTimer closing(m_transferTimeout);
            while (data.state() != QAbstractSocket::UnconnectedState) {
                checkStop();
                if (closing.hasExpired())
                    broken(true);
                if (!data.waitForDisconnected(qMax(1, sliceOf(closing))))
                    letWindowWork();
            }
            // The socket has sent the close_notify and let go of the connection.
            if (kept.fd >= 0)
                drainUntilPeerCloses(kept.fd, QDeadlineTimer(qMin(LingerWait, m_transferTimeout)));
        },
        offset > 0 ? QStringLiteral("REST %1").arg(offset) : QString());
}

QStringList FtpClient::list(const QString &pattern, bool details) {
    if (m_sftp) {
        QStringList lines;
        awayFromWindow([&] { lines = m_sftp->list(pattern, details); });
        return lines;
    }
    requireSafe(pattern, QStringLiteral("A especificação da listagem"));
    QString cmd = details ? QStringLiteral("LIST") : QStringLiteral("NLST");
    if (!pattern.isEmpty())
        cmd += QLatin1Char(' ') + pattern;
    QByteArray received;
    const QDeadlineTimer whole(m_listingTime);
    runTransfer(cmd, {125, 150}, {125, 150}, [&](QTcpSocket &data) {
        if (onWorkBegin)
            onWorkBegin(0);
        // The end of a protected listing is the server's close_notify, which the
        // socket reports as the remote host closing while the connection is open.
        // (It may have come with the handshake already, for an empty listing.)
        bool ended = data.error() == QAbstractSocket::RemoteHostClosedError;
        const QMetaObject::Connection end = QObject::connect(
            &data, &QAbstractSocket::errorOccurred, [&](QAbstractSocket::SocketError e) {
                ended = ended || e == QAbstractSocket::RemoteHostClosedError;
            });
        struct Disconnect {
            const QMetaObject::Connection &c;
            ~Disconnect() { QObject::disconnect(c); }
        } disconnectAtEnd{end};
        for (;;) {
            if (whole.hasExpired()) {
                received = QByteArray();
                throw FtpError(QStringLiteral("Listagem de %1 demorada demais: mais de %2 s")
                                   .arg(peerText())
                                   .arg(m_listingTime / 1000));
            }
            if (data.bytesAvailable() > 0) {
                if (received.size() + data.bytesAvailable() > m_listingBytes) {
                    received = QByteArray();
                    throw FtpError(QStringLiteral("Listagem de %1 longa demais: mais de %2 bytes")
                                       .arg(peerText())
                                       .arg(m_listingBytes));
                }
                received += data.readAll();
                if (onWork)
                    onWork(received.size());
                continue;
            }
            if (ended || data.state() != QAbstractSocket::ConnectedState)
                break;
            const QDeadlineTimer wait(qMin<qint64>(m_transferTimeout, whole.remainingTime()));
            if (!waitReadable(data, wait) && !whole.hasExpired())
                throw FtpError(
                    QStringLiteral("Transferência parada após %1 bytes").arg(received.size()));
        }
        // A TLS server ends the listing with its close_notify and waits for the
        // connection to close before its final reply.
        data.disconnectFromHost();
    });
    // Each line on its own: a server may send UTF-8 names beside older ones in
    // Windows-1252.
    QStringList lines;
    for (QByteArray line : received.split('\n')) {
        if (line.endsWith('\r'))
            line.chop(1);
        lines.append(fromUtf8OrAnsi(line));
    }
    if (!lines.isEmpty() && lines.last().isEmpty())
        lines.removeLast();
    return lines;
}

} // namespace bkp::ftp
