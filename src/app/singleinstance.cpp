#include "app/singleinstance.h"

#include <QCryptographicHash>
#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLocalServer>
#include <QLocalSocket>
#include <QThread>
#include <unistd.h>

namespace bkp::app {

namespace {
const QByteArray restoreRequest = "restore\n";
const QByteArray restoreDone = "ok\n";

// A copy that has ended but whose parent has not yet taken notice still has its
// process number; it holds the folder no more.
bool processEnded(qint64 pid) {
    QFile stat(QStringLiteral("/proc/%1/stat").arg(pid));
    if (!stat.open(QIODevice::ReadOnly))
        return true;
    const QByteArray line = stat.readAll();
    const qsizetype close = line.lastIndexOf(')');
    return close < 0 || line.mid(close + 2, 1) == "Z" || line.mid(close + 2, 1) == "X";
}
} // namespace

QString SingleInstance::baseName(const QString &programFolder) {
    QString folder = QFileInfo(programFolder).canonicalFilePath();
    if (folder.isEmpty())
        folder = QFileInfo(programFolder).absoluteFilePath();
    const QByteArray hash =
        QCryptographicHash::hash(folder.toUtf8(), QCryptographicHash::Sha1).toHex().left(16);
    QString runtime = qEnvironmentVariable("XDG_RUNTIME_DIR");
    if (runtime.isEmpty() || !QFileInfo(runtime).isDir())
        runtime = QDir::tempPath();
    return runtime +
           QStringLiteral("/bkpzelto-%1-%2").arg(::getuid()).arg(QString::fromLatin1(hash));
}

SingleInstance::SingleInstance(const QString &programFolder, QObject *parent)
    : QObject(parent), m_base(baseName(programFolder)), m_lock(m_base + QStringLiteral(".lock")) {
    // A lock is stale only when its process is gone, however long a copy runs.
    m_lock.setStaleLockTime(0);
}

SingleInstance::~SingleInstance() {
    if (m_server)
        m_server->close();
}

SingleInstance::Role SingleInstance::claim(int waitMs) {
    if (!m_lock.tryLock(0)) {
        qint64 pid = 0;
        QString host, application;
        if (!m_lock.getLockInfo(&pid, &host, &application) || !processEnded(pid) ||
            !m_lock.removeStaleLockFile() || !m_lock.tryLock(0))
            return handOver(waitMs);
    }
    // The socket of a copy that died is left behind; the lock says it is ours now.
    const QString name = m_base + QStringLiteral(".socket");
    QLocalServer::removeServer(name);
    m_server = new QLocalServer(this);
    m_server->setSocketOptions(QLocalServer::UserAccessOption);
    connect(m_server, &QLocalServer::newConnection, this, [this] {
        while (QLocalSocket *socket = m_server->nextPendingConnection()) {
            connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
            connect(socket, &QLocalSocket::readyRead, this,
                    [this, socket] { readRequest(socket); });
            readRequest(socket);
        }
    });
    // Without the socket the program still runs; later starts are told it is busy.
    m_server->listen(name);
    return Role::First;
}

SingleInstance::Role SingleInstance::handOver(int waitMs) {
    const QDeadlineTimer deadline(waitMs);
    QLocalSocket socket;
    // The running copy may still be opening its database before it listens.
    for (;;) {
        socket.connectToServer(m_base + QStringLiteral(".socket"));
        if (socket.waitForConnected(int(qMax<qint64>(1, deadline.remainingTime()))))
            break;
        socket.abort();
        // The copy that held the lock has ended meanwhile: this one runs instead.
        if (m_lock.tryLock(0)) {
            m_lock.unlock();
            return claim(waitMs);
        }
        if (deadline.hasExpired())
            return Role::Unreachable;
        QThread::msleep(100);
    }
    socket.write(restoreRequest);
    if (!socket.waitForBytesWritten(int(qMax<qint64>(1, deadline.remainingTime()))))
        return Role::Unreachable;
    // A copy busy with a long transfer answers later; the request waits for it.
    QByteArray answer;
    while (!answer.endsWith('\n') &&
           socket.waitForReadyRead(int(qMax<qint64>(1, deadline.remainingTime()))))
        answer += socket.readAll();
    return Role::HandedOver;
}

void SingleInstance::readRequest(QLocalSocket *socket) {
    while (socket->canReadLine()) {
        if (socket->readLine(64) != restoreRequest)
            continue;
        if (m_restore)
            m_restore();
        else
            m_pending = true;
        socket->write(restoreDone);
        socket->flush();
    }
    // A peer that sends no line end is not kept waiting for.
    if (socket->bytesAvailable() > 64)
        socket->abort();
}

void SingleInstance::setRestoreHandler(std::function<void()> handler) {
    m_restore = std::move(handler);
    if (m_restore && m_pending) {
        m_pending = false;
        QMetaObject::invokeMethod(
            this,
            [this] {
                if (m_restore)
                    m_restore();
            },
            Qt::QueuedConnection);
    }
}

} // namespace bkp::app
