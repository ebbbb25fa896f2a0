#include "ftp/ftpclient.h"

#include "platform/ansi.h"
#include "platform/filesystem.h"

#include <QDeadlineTimer>
#include <QFile>
#include <QRegularExpression>
#include <QTcpServer>
#include <QTcpSocket>
#include <cerrno>
#include <poll.h>
#include <sys/socket.h>

namespace bkp::ftp {

namespace {

// The control connection's send buffer; commands are short.
constexpr int ControlSendBuffer = 16384;
// After a data connection broke, how long the server is given to say why.
constexpr int BrokenTransferReplyWait = 1000;

QString hostPort(const QString &host, int port) {
    return (host.contains(QLatin1Char(':')) ? QLatin1Char('[') + host + QLatin1Char(']') : host) +
           QLatin1Char(':') + QString::number(port);
}

// Why a connection to host:port could not be opened, naming the host.
QString connectErrorText(const QTcpSocket &socket, const QString &host, int port) {
    const QString where = hostPort(host, port);
    switch (socket.error()) {
    case QAbstractSocket::ConnectionRefusedError:
        return QStringLiteral("Conexão recusada por %1").arg(where);
    case QAbstractSocket::HostNotFoundError:
        return QStringLiteral("Servidor não encontrado: %1").arg(host);
    case QAbstractSocket::SocketTimeoutError:
        return QStringLiteral("Tempo esgotado ao conectar a %1").arg(where);
    case QAbstractSocket::NetworkError:
        return QStringLiteral("Rede inacessível ao conectar a %1").arg(where);
    default:
        return QStringLiteral("Erro ao conectar a %1: %2").arg(where, socket.errorString());
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
    return fromAnsi(l);
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

enum class SendResult { Sent, Stalled, Broken };

// Writes a block straight to the socket, so the file's bytes are not copied once
// more into a buffer of the socket object; waits for room at most `timeoutMs`
// at a time.
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
            pollfd p{fd, POLLOUT, 0};
            const int ready = ::poll(&p, 1, timeoutMs);
            if (ready == 0)
                return SendResult::Stalled;
            if (ready < 0 && errno != EINTR)
                return SendResult::Broken;
            continue;
        }
        return SendResult::Broken;
    }
    return SendResult::Sent;
}

} // namespace

FtpClient::FtpClient() = default;

FtpClient::~FtpClient() {
    // Closing with the owner raises no events: their receivers may already be gone.
    m_announced = false;
    closeControl();
}

// ------------------------------------------------------------------ settings

QString FtpClient::effectiveHost() const {
    const QString h = m_host.trimmed();
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
    const QString h = m_host.trimmed();
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
    return ok && p > 0 && p < 65536 ? p : m_port;
}

QString FtpClient::peerText() const {
    return hostPort(effectiveHost(), effectivePort());
}

// ------------------------------------------------------------ the connection

bool FtpClient::connected() const {
    return m_control && m_control->state() == QAbstractSocket::ConnectedState;
}

void FtpClient::status(const QString &text) {
    if (onStatus)
        onStatus(text);
}

void FtpClient::closeControl() {
    if (!m_control)
        return;
    m_control->abort();
    m_control.reset();
}

void FtpClient::connectToServer() {
    if (m_control)
        disconnect();
    m_lastReply.clear();
    m_lastCode = 0;
    const QString host = effectiveHost();
    const int port = effectivePort();
    status(QStringLiteral("Conectando a %1").arg(hostPort(host, port)));

    m_control = std::make_unique<QTcpSocket>();
    // PASV and PORT carry IPv4 addresses only, so a name goes to its IPv4 address
    // ("localhost" would otherwise often be ::1); an IPv6 address given as such is
    // used as it is.
    const QHostAddress literal(host);
    const bool ipv6 = !literal.isNull() && literal.protocol() == QAbstractSocket::IPv6Protocol;
    m_control->connectToHost(host, quint16(port), QIODevice::ReadWrite,
                             ipv6 ? QAbstractSocket::AnyIPProtocol : QAbstractSocket::IPv4Protocol);
    if (!m_control->waitForConnected(m_connectTimeout)) {
        const QString text = connectErrorText(*m_control, host, port);
        closeControl();
        throw FtpError(text);
    }
    m_control->setSocketOption(QAbstractSocket::SendBufferSizeSocketOption, ControlSendBuffer);
    m_control->setSocketOption(QAbstractSocket::LowDelayOption, 1);
    m_announced = true;
    if (onConnected)
        onConnected();

    try {
        if (readReply() != 220)
            raiseReply();
        if (command(QStringLiteral("USER ") + m_username, {230, 331}) == 331)
            command(QStringLiteral("PASS ") + m_password, {230});
        command(QStringLiteral("TYPE I"), {200});
        command(QStringLiteral("SYST"), {200, 215, 500});
    } catch (...) {
        disconnect();
        throw;
    }
}

void FtpClient::disconnect() {
    if (!m_control)
        return;
    const bool announced = m_announced;
    m_announced = false;
    if (announced)
        status(QStringLiteral("Desconectando de %1").arg(peerText()));
    closeControl();
    if (announced && onDisconnected)
        onDisconnected();
}

void FtpClient::requireConnected() const {
    if (!connected())
        throw FtpError(QStringLiteral("Não conectado a %1").arg(peerText()));
}

// ----------------------------------------------------- commands and replies

void FtpClient::sendCommand(const QString &command) {
    requireConnected();
    m_control->write(toAnsi(command) + "\r\n");
    while (m_control && m_control->bytesToWrite() > 0) {
        if (!m_control->waitForBytesWritten(m_replyTimeout)) {
            if (m_control->error() == QAbstractSocket::SocketTimeoutError &&
                m_control->state() == QAbstractSocket::ConnectedState)
                throw FtpError(
                    QStringLiteral("Tempo esgotado enviando comando a %1").arg(peerText()));
            throw FtpError(QStringLiteral("Conexão encerrada por %1").arg(peerText()));
        }
    }
}

QByteArray FtpClient::readControlLine() {
    QDeadlineTimer deadline(m_replyTimeout);
    for (;;) {
        if (!m_control)
            throw FtpError(QStringLiteral("Não conectado a %1").arg(peerText()));
        if (m_control->canReadLine())
            return m_control->readLine();
        if (m_control->state() != QAbstractSocket::ConnectedState) {
            // What the server wrote before closing still counts as its last line.
            if (m_control->bytesAvailable() > 0)
                return m_control->readAll();
            throw FtpError(QStringLiteral("Conexão encerrada por %1").arg(peerText()));
        }
        if (deadline.hasExpired())
            throw FtpError(
                QStringLiteral("Tempo esgotado esperando resposta de %1").arg(peerText()));
        if (!m_control->waitForReadyRead(int(qMax<qint64>(1, deadline.remainingTime()))) &&
            m_control->state() == QAbstractSocket::ConnectedState &&
            m_control->error() != QAbstractSocket::SocketTimeoutError)
            throw FtpError(QStringLiteral("Erro na conexão com %1: %2")
                               .arg(peerText(), m_control->errorString()));
    }
}

int FtpClient::readReply() {
    QString line = withoutLineEnd(readControlLine());
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
            line = withoutLineEnd(readControlLine());
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
    command(QStringLiteral("DELE ") + remoteName, {250});
}

void FtpClient::changeDir(const QString &folder) {
    command(QStringLiteral("CWD ") + folder, {250});
}

void FtpClient::rename(const QString &from, const QString &to) {
    command(QStringLiteral("RNFR ") + from, {350});
    command(QStringLiteral("RNTO ") + to, {250});
}

QString FtpClient::printWorkingDir() {
    command(QStringLiteral("PWD"), {257});
    const qsizetype open = m_lastReply.indexOf(QLatin1Char('"'));
    if (open < 0)
        return QString();
    const qsizetype close = m_lastReply.indexOf(QLatin1Char('"'), open + 1);
    return close < 0 ? m_lastReply.mid(open + 1) : m_lastReply.mid(open + 1, close - open - 1);
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
                            const std::function<void(QTcpSocket &)> &transfer) {
    requireConnected();
    std::unique_ptr<QTcpSocket> passiveSocket;
    std::unique_ptr<QTcpServer> listener;
    if (m_passive) {
        command(QStringLiteral("PASV"), {227});
        QHostAddress address;
        quint16 port = 0;
        if (!parsePasvReply(m_lastReply, address, port))
            throw FtpError(QStringLiteral("Resposta PASV sem endereço: %1").arg(m_lastReply));
        // A server that does not know its own address answers 0.0.0.0.
        if (address == QHostAddress(QHostAddress::AnyIPv4))
            address = m_control->peerAddress();
        passiveSocket = std::make_unique<QTcpSocket>();
        passiveSocket->connectToHost(address, port);
        if (!passiveSocket->waitForConnected(m_connectTimeout))
            throw FtpError(QStringLiteral("Conexão de dados: ") +
                           connectErrorText(*passiveSocket, address.toString(), port));
    } else {
        bool ipv4 = false;
        const quint32 local = m_control->localAddress().toIPv4Address(&ipv4);
        if (!ipv4)
            throw FtpError(
                QStringLiteral("O modo ativo precisa de uma conexão IPv4 com %1").arg(peerText()));
        listener = std::make_unique<QTcpServer>();
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

    sendCommand(cmd);
    if (!isOneOf(readReply(), m_passive ? passiveCodes : activeCodes))
        raiseReply();

    QTcpSocket *data = passiveSocket.get();
    if (listener) {
        if (!listener->hasPendingConnections() && !listener->waitForNewConnection(m_connectTimeout))
            throw FtpError(QStringLiteral("Tempo esgotado esperando a conexão de dados de %1")
                               .arg(peerText()));
        data = listener->nextPendingConnection(); // owned by the listener
        listener->close();
    }
    transfer(*data);
    readFinalReply();
}

void FtpClient::put(const QString &localPath, const QString &remoteName) {
    requireConnected();
    QFile file(platform::fs::resolve(localPath));
    if (!file.open(QIODevice::ReadOnly | QIODevice::Unbuffered))
        throw FtpError(
            QStringLiteral("Não foi possível abrir %1: %2").arg(localPath, file.errorString()));
    const qint64 total = file.size();

    runTransfer(
        QStringLiteral("STOR ") + remoteName, {110, 125, 150}, {125, 150}, [&](QTcpSocket &data) {
            if (onWorkBegin)
                onWorkBegin(total);
            QByteArray block(BlockSize, Qt::Uninitialized);
            qint64 sent = 0;
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
                const SendResult r = data.state() == QAbstractSocket::ConnectedState
                                         ? sendBlock(data.socketDescriptor(), block.constData(), n,
                                                     m_transferTimeout)
                                         : SendResult::Broken;
                if (r != SendResult::Sent)
                    broken(r == SendResult::Stalled);
                sent += n;
                if (onWork)
                    onWork(sent);
                if (!m_control)
                    throw FtpError(QStringLiteral("Não conectado a %1").arg(peerText()));
            }
            data.disconnectFromHost();
            if (data.state() != QAbstractSocket::UnconnectedState &&
                !data.waitForDisconnected(m_transferTimeout) &&
                data.state() != QAbstractSocket::UnconnectedState)
                broken(true);
        });
}

QStringList FtpClient::list(const QString &pattern, bool details) {
    QString cmd = details ? QStringLiteral("LIST") : QStringLiteral("NLST");
    if (!pattern.isEmpty())
        cmd += QLatin1Char(' ') + pattern;
    QByteArray received;
    runTransfer(cmd, {125, 150}, {125, 150}, [&](QTcpSocket &data) {
        if (onWorkBegin)
            onWorkBegin(0);
        for (;;) {
            if (data.bytesAvailable() > 0) {
                received += data.readAll();
                if (onWork)
                    onWork(received.size());
                continue;
            }
            if (data.state() != QAbstractSocket::ConnectedState)
                break;
            if (!data.waitForReadyRead(m_transferTimeout) &&
                data.state() == QAbstractSocket::ConnectedState) {
                data.abort();
                throw FtpError(
                    QStringLiteral("Transferência parada após %1 bytes").arg(received.size()));
            }
        }
    });
    QString text = fromAnsi(received);
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    QStringList lines = text.split(QLatin1Char('\n'));
    if (!lines.isEmpty() && lines.last().isEmpty())
        lines.removeLast();
    return lines;
}

} // namespace bkp::ftp
