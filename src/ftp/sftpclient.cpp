#include "ftp/sftpclient.h"

#include "ftp/ftpclient.h"
#include "ftp/tlstrust.h"

#include "lib/scopeguard.h"
#include "platform/application.h"
#include "platform/filesystem.h"
#include "platform/inifile.h"

#include <QDateTime>
#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHostAddress>
#include <QHostInfo>
#include <QMap>
#include <QtEndian>
#include <chrono>
#include <condition_variable>
#include <fcntl.h>
#include <libssh/libssh.h>
#include <libssh/sftp.h>
#include <mutex>
#include <sys/socket.h>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

namespace bkp::ftp {

const char *const SshKeyFileKey = "SSHKeyFile";
const char *const SshFingerprintsKey = "SSHFingerprints";

namespace {

// Writes kept in flight at once: enough to keep a long link busy while each
// block still gets its own progress event.
constexpr int WritesInFlight = 32;
// The longest reply taken from the server to one of the program's own requests.
constexpr quint32 MaxReply = 256 * 1024;
// How long closing a session may take.
constexpr int CloseWait = 2000;

const char *const PreferredCiphers =
    "aes128-gcm@openssh.com,aes256-gcm@openssh.com,chacha20-poly1305@openssh.com,"
    "aes256-ctr,aes192-ctr,aes128-ctr";

constexpr quint8 FxpWrite = 6;
constexpr quint8 FxpStatus = 101;
constexpr quint8 FxpExtended = 200;

QString stoppedText() {
    return QStringLiteral("Operação interrompida pelo fim da sessão");
}

QString hostPort(const QString &host, int port) {
    return (host.contains(QLatin1Char(':')) ? QLatin1Char('[') + host + QLatin1Char(']') : host) +
           QLatin1Char(':') + QString::number(port);
}

// Closes the connection under a call into the library when its deadline passes
// or the session ends: the call then fails at once instead of waiting on.
class Watchdog {
public:
    enum class Fired { None, TimedOut, Stopped };

    Watchdog() : m_thread([this] { run(); }) {}
    ~Watchdog() {
        {
            const std::lock_guard lock(m_mutex);
            m_quit = true;
        }
        m_wake.notify_all();
        m_thread.join();
    }
    Watchdog(const Watchdog &) = delete;
    Watchdog &operator=(const Watchdog &) = delete;

    void arm(int fd, int ms) {
        const std::lock_guard lock(m_mutex);
        m_fd = fd;
        m_deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
        m_armed = true;
        m_fired = Fired::None;
    }
    void disarm() {
        const std::lock_guard lock(m_mutex);
        m_armed = false;
    }
    // What ended the last armed wait early, if anything.
    Fired fired() {
        const std::lock_guard lock(m_mutex);
        return m_fired;
    }

private:
    void run() {
        std::unique_lock lock(m_mutex);
        while (!m_quit) {
            m_wake.wait_for(lock, std::chrono::milliseconds(50));
            if (!m_armed || m_fd < 0)
                continue;
            const bool ending = platform::sessionEnding();
            if (ending || std::chrono::steady_clock::now() >= m_deadline) {
                ::shutdown(m_fd, SHUT_RDWR);
                m_fired = ending ? Fired::Stopped : Fired::TimedOut;
                m_armed = false;
            }
        }
    }

    std::mutex m_mutex;
    std::condition_variable m_wake;
    int m_fd = -1;
    std::chrono::steady_clock::time_point m_deadline;
    bool m_armed = false;
    bool m_quit = false;
    Fired m_fired = Fired::None;
    std::thread m_thread;
};

QString settingText(const char *key) {
    const QString file = ftpSettingsFile();
    if (file.isEmpty() || !QFileInfo::exists(file))
        return QString();
    return platform::IniFile(file).readString(QStringLiteral("FTP"), QString::fromLatin1(key));
}

// A name as it may stand in one listing line: no line ends or other control
// characters from the server.
QString printable(const QString &text) {
    QString t = text;
    for (QChar &c : t)
        if (c.unicode() < 0x20 || c.unicode() == 0x7f)
            c = QLatin1Char('?');
    return t;
}

void putU32(QByteArray &b, quint32 v) {
    char raw[4];
    qToBigEndian(v, raw);
    b.append(raw, 4);
}

void putString(QByteArray &b, const QByteArray &s) {
    putU32(b, quint32(s.size()));
    b.append(s);
}

quint32 u32At(const QByteArray &b, qsizetype at) {
    return qFromBigEndian<quint32>(b.constData() + at);
}

} // namespace

QStringList ParseSshFingerprints(const QString &text) {
    QStringList out;
    for (const QString &entry : text.split(QLatin1Char(',')))
        for (const QString &word : entry.split(QLatin1Char(' '), Qt::SkipEmptyParts))
            if (word.startsWith(QLatin1String("SHA256:")) && word.size() > 7)
                out << word;
    return out;
}

QString LongListingLine(quint32 permissions, const QString &owner, const QString &group,
                        qint64 size, qint64 mtimeSecs, const QString &name, qint64 nowSecs) {
    QString mode;
    switch (permissions & S_IFMT) {
    case S_IFDIR:
        mode = QStringLiteral("d");
        break;
    case S_IFLNK:
        mode = QStringLiteral("l");
        break;
    case S_IFREG:
    case 0:
        mode = QStringLiteral("-");
        break;
    default:
        mode = QStringLiteral("?");
        break;
    }
    const char *const rwx = "rwxrwxrwx";
    for (int i = 0; i < 9; ++i)
        mode += (permissions & (0400u >> i)) ? QLatin1Char(rwx[i]) : QLatin1Char('-');
    static const char *const months[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                         "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
    const QDateTime when = QDateTime::fromSecsSinceEpoch(mtimeSecs);
    const qint64 halfYear = 183LL * 24 * 3600;
    const bool recent = mtimeSecs > nowSecs - halfYear && mtimeSecs <= nowSecs + 3600;
    const QString date =
        QStringLiteral("%1 %2 %3")
            .arg(QLatin1String(months[when.date().month() - 1]))
            .arg(when.date().day(), 2)
            .arg(recent ? when.toString(QStringLiteral("HH:mm"))
                        : QStringLiteral(" ") + QString::number(when.date().year()));
    auto word = [](const QString &s) {
        QString w = printable(s);
        w.replace(QLatin1Char(' '), QLatin1Char('_'));
        return w.isEmpty() ? QStringLiteral("-") : w;
    };
    return QStringLiteral("%1    1 %2 %3 %4 %5 %6")
        .arg(mode, word(owner).leftJustified(8), word(group).leftJustified(8))
        .arg(size, 12)
        .arg(date, printable(name));
}

// ------------------------------------------------------------------ SftpSession

struct SftpSession::Impl {
    explicit Impl(FtpClient &o) : owner(o) {}

    FtpClient &owner;
    ssh_session ssh = nullptr;
    sftp_session sftp = nullptr;
    int fd = -1;
    QString peer;
    QString cwd;
    bool posixRename = false;
    std::unique_ptr<Watchdog> watchdog;
    // The watchdog's own descriptor of the connection: its number stays taken
    // until the watchdog is gone, whatever the library closes.
    int watchFd = -1;

    // While an archive's blocks go out (their waits are the transfer's own).
    bool transferring = false;

    // The watchdog over one call into the library.
    struct Armed {
        Impl &d;
        Armed(Impl &impl, int ms) : d(impl) {
            if (d.sftp)
                d.sftp->errnum = 0;
            // Waits for the server count against the attempt's bound; moving an
            // archive's bytes does not.
            if (!d.transferring)
                ms = int(qMax<qint64>(0, d.owner.bounded(ms).remainingTime()));
            if (d.watchdog)
                d.watchdog->arm(d.watchFd, ms);
        }
        ~Armed() {
            if (d.watchdog)
                d.watchdog->disarm();
        }
        Armed(const Armed &) = delete;
        Armed &operator=(const Armed &) = delete;
    };

    void reply(const QString &text) { owner.sessionReply(text); }

    void checkStop() const {
        if (platform::sessionEnding())
            throw FtpError(stoppedText());
    }

    // The error after a failed call: the watchdog's reason when it cut the
    // connection, else the connection's or the file transfer's own.
    [[noreturn]] void fail(const QString &what, const QString &path = QString()) {
        const Watchdog::Fired fired = watchdog ? watchdog->fired() : Watchdog::Fired::None;
        if (fired == Watchdog::Fired::Stopped)
            throw FtpError(stoppedText());
        if (fired == Watchdog::Fired::TimedOut) {
            if (owner.m_attempt.hasExpired())
                owner.timedOut(QString());
            throw FtpError(QStringLiteral("Tempo esgotado esperando %1 (%2)").arg(peer, what));
        }
        const int code = sftp ? sftp_get_error(sftp) : SSH_FX_OK;
        const QString where = path.isEmpty() ? QString() : QStringLiteral(": ") + path;
        switch (code) {
        case SSH_FX_NO_SUCH_FILE:
        case SSH_FX_NO_SUCH_PATH:
            throw FtpError(QStringLiteral("Arquivo ou pasta inexistente") + where);
        case SSH_FX_PERMISSION_DENIED:
        case SSH_FX_WRITE_PROTECT:
            throw FtpError(QStringLiteral("Permissão negada") + where);
        case SSH_FX_FILE_ALREADY_EXISTS:
            throw FtpError(QStringLiteral("Arquivo já existe") + where);
        case SSH_FX_OP_UNSUPPORTED:
            throw FtpError(
                QStringLiteral("Operação não suportada pelo servidor SFTP (%1)").arg(what));
        case SSH_FX_FAILURE:
            throw FtpError(QStringLiteral("Falha no servidor SFTP (%1)").arg(what) + where);
        default:
            break;
        }
        const char *error = ssh ? ssh_get_error(ssh) : "";
        if (ssh && ssh_is_connected(ssh) == 0)
            throw FtpError(QStringLiteral("Conexão encerrada por %1 (%2)").arg(peer, what));
        throw FtpError(QStringLiteral("Erro SFTP com %1 (%2): %3")
                           .arg(peer, what, QString::fromLocal8Bit(error)));
    }

    QString absolute(const QString &path) const {
        if (path.startsWith(QLatin1Char('/')))
            return path;
        if (path.isEmpty() || path == QLatin1String("."))
            return cwd;
        return (cwd.endsWith(QLatin1Char('/')) ? cwd : cwd + QLatin1Char('/')) + path;
    }

    QByteArray encoded(const QString &path) const { return absolute(path).toUtf8(); }

    static void requireSafe(const QString &value, const QString &what) {
        if (!FtpClient::safeArgument(value))
            throw FtpError(FtpClient::unsafeArgumentText(what));
    }

    void close() {
        if (ssh) {
            const Armed armed(*this, CloseWait);
            if (sftp)
                sftp_free(sftp);
            ssh_disconnect(ssh);
            ssh_free(ssh); // closes the socket too
        } else if (fd >= 0) {
            ::close(fd);
        }
        sftp = nullptr;
        ssh = nullptr;
        fd = -1;
        watchdog.reset();
        if (watchFd >= 0)
            ::close(watchFd);
        watchFd = -1;
    }

    void verifyHostKey();
    void authenticate();

    // The program's own requests, written straight to the file transfer's
    // channel between two calls of the library (which then finds nothing of
    // theirs waiting): several writes in flight, and the atomic rename.
    void writeRaw(const QByteArray &packet, int timeoutMs);
    QByteArray readRaw(int timeoutMs);
    quint32 nextId() { return ++sftp->id_counter; }
    // The status reply to request `id`; raises for anything but OK.
    void expectStatus(const QByteArray &packet, quint32 id, const QString &what,
                      const QString &path);
};

void SftpSession::Impl::writeRaw(const QByteArray &packet, int timeoutMs) {
    const Armed armed(*this, timeoutMs);
    qsizetype at = 0;
    while (at < packet.size()) {
        const int n =
            ssh_channel_write(sftp->channel, packet.constData() + at, uint32_t(packet.size() - at));
        if (n <= 0)
            fail(QStringLiteral("envio"));
        at += n;
    }
}

QByteArray SftpSession::Impl::readRaw(int timeoutMs) {
    const Armed armed(*this, timeoutMs);
    auto readExactly = [&](char *into, quint32 size) {
        quint32 got = 0;
        while (got < size) {
            const int n = ssh_channel_read(sftp->channel, into + got, size - got, 0);
            if (n < 0 || (n == 0 && ssh_channel_is_eof(sftp->channel)))
                fail(QStringLiteral("resposta"));
            got += quint32(n);
        }
    };
    char head[4];
    readExactly(head, 4);
    const quint32 size = qFromBigEndian<quint32>(head);
    if (size < 5 || size > MaxReply)
        throw FtpError(QStringLiteral("Resposta inválida de %1").arg(peer));
    QByteArray body(qsizetype(size), Qt::Uninitialized);
    readExactly(body.data(), size);
    return body;
}

void SftpSession::Impl::expectStatus(const QByteArray &packet, quint32 id, const QString &what,
                                     const QString &path) {
    if (quint8(packet.at(0)) != FxpStatus || packet.size() < 9 || u32At(packet, 1) != id)
        throw FtpError(QStringLiteral("Resposta inválida de %1 (%2)").arg(peer, what));
    const quint32 code = u32At(packet, 5);
    if (code == SSH_FX_OK)
        return;
    sftp->errnum = int(code);
    fail(what, path);
}

void SftpSession::Impl::verifyHostKey() {
    ssh_key key = nullptr;
    if (ssh_get_server_publickey(ssh, &key) != SSH_OK)
        fail(QStringLiteral("chave do servidor"));
    unsigned char *hash = nullptr;
    size_t length = 0;
    const int rc = ssh_get_publickey_hash(key, SSH_PUBLICKEY_HASH_SHA256, &hash, &length);
    ssh_key_free(key);
    if (rc != 0)
        fail(QStringLiteral("chave do servidor"));
    char *text = ssh_get_fingerprint_hash(SSH_PUBLICKEY_HASH_SHA256, hash, length);
    ssh_clean_pubkey_hash(&hash);
    const QString fingerprint = QString::fromLatin1(text ? text : "");
    ssh_string_free_char(text);

    if (ParseSshFingerprints(settingText(SshFingerprintsKey)).contains(fingerprint))
        return;
    switch (ssh_session_is_known_server(ssh)) {
    case SSH_KNOWN_HOSTS_OK:
        return;
    case SSH_KNOWN_HOSTS_CHANGED:
    case SSH_KNOWN_HOSTS_OTHER:
        throw FtpError(
            QStringLiteral("Chave SSH de %1 MUDOU, recusada (%2)").arg(peer, fingerprint));
    case SSH_KNOWN_HOSTS_ERROR:
        throw FtpError(QStringLiteral("Erro ao ler known_hosts para %1: %2")
                           .arg(peer, QString::fromLocal8Bit(ssh_get_error(ssh))));
    default:
        throw FtpError(
            QStringLiteral("Chave SSH desconhecida de %1, recusada (%2)").arg(peer, fingerprint));
    }
}

void SftpSession::Impl::authenticate() {
    const QString keyFile = settingText(SshKeyFileKey).trimmed();
    const int wait = owner.replyTimeout();
    if (!keyFile.isEmpty()) {
        ssh_key key = nullptr;
        if (ssh_pki_import_privkey_file(QFile::encodeName(keyFile).constData(), nullptr, nullptr,
                                        nullptr, &key) != SSH_OK)
            throw FtpError(QStringLiteral("Não foi possível ler a chave SSH %1").arg(keyFile));
        owner.status(QStringLiteral("Autenticando com a chave %1").arg(keyFile));
        int rc;
        {
            const Armed armed(*this, wait);
            rc = ssh_userauth_publickey(ssh, nullptr, key);
        }
        ssh_key_free(key);
        if (rc == SSH_AUTH_SUCCESS)
            return;
        if (rc == SSH_AUTH_ERROR)
            fail(QStringLiteral("autenticação"));
    }
    if (!owner.password().isEmpty()) {
        owner.status(QStringLiteral("Autenticando %1 com senha").arg(owner.username()));
        int rc;
        {
            const Armed armed(*this, wait);
            rc = ssh_userauth_password(ssh, nullptr, owner.password().toUtf8().constData());
        }
        if (rc == SSH_AUTH_SUCCESS)
            return;
        if (rc == SSH_AUTH_ERROR)
            fail(QStringLiteral("autenticação"));
    }
    throw FtpError(
        QStringLiteral("Login recusado por %1 (usuário %2)").arg(peer, owner.username()));
}

SftpSession::SftpSession(FtpClient &owner) : d(std::make_unique<Impl>(owner)) {}

SftpSession::~SftpSession() {
    d->close();
}

bool SftpSession::connected() const {
    return d->sftp && d->ssh && ssh_is_connected(d->ssh) == 1;
}

void SftpSession::close() {
    d->close();
}

void SftpSession::connect() {
    close();
    FtpClient &o = d->owner;
    const QString host = o.effectiveHost();
    const int port = o.effectivePort();
    d->peer = hostPort(host, port);
    d->requireSafe(o.username(), QStringLiteral("O usuário"));
    d->requireSafe(o.password(), QStringLiteral("A senha"));
    o.status(QStringLiteral("Conectando a %1").arg(d->peer));

    QHostAddress address(host);
    if (address.isNull()) {
        d->checkStop();
        const QList<QHostAddress> found = QHostInfo::fromName(host).addresses();
        for (const QHostAddress &a : found)
            if (address.isNull() || a.protocol() == QAbstractSocket::IPv4Protocol) {
                address = a;
                if (a.protocol() == QAbstractSocket::IPv4Protocol)
                    break;
            }
        if (address.isNull())
            throw FtpError(QStringLiteral("Servidor não encontrado: %1").arg(host));
    }
    d->fd = FtpClient::connectSocket(address, quint16(port), o.connectTimeout(), host);
    d->watchFd = ::fcntl(d->fd, F_DUPFD_CLOEXEC, 0);
    d->watchdog = std::make_unique<Watchdog>();
    o.m_announced = true;
    if (o.onConnected)
        o.onConnected();

    // A session half made is closed again: nothing of it outlives the failure.
    ScopeGuard closeOnError([this] { close(); });
    {
        d->ssh = ssh_new();
        if (!d->ssh)
            throw FtpError(QStringLiteral("Erro ao iniciar SSH"));
        const QByteArray hostName = host.toUtf8();
        const QByteArray user = o.username().toUtf8();
        const QByteArray knownHosts =
            QFile::encodeName(QDir::homePath() + QStringLiteral("/.ssh/known_hosts"));
        const unsigned int portNumber = unsigned(port);
        const int no = 0;
        socket_t socket = d->fd;
        ssh_options_set(d->ssh, SSH_OPTIONS_PROCESS_CONFIG, &no);
        ssh_options_set(d->ssh, SSH_OPTIONS_HOST, hostName.constData());
        ssh_options_set(d->ssh, SSH_OPTIONS_PORT, &portNumber);
        ssh_options_set(d->ssh, SSH_OPTIONS_KNOWNHOSTS, knownHosts.constData());
        // AES-GCM first: processors encrypt it in hardware, so archives go faster.
        for (const ssh_options_e direction : {SSH_OPTIONS_CIPHERS_C_S, SSH_OPTIONS_CIPHERS_S_C})
            ssh_options_set(d->ssh, direction, PreferredCiphers);
        if (!user.isEmpty())
            ssh_options_set(d->ssh, SSH_OPTIONS_USER, user.constData());
        ssh_options_set(d->ssh, SSH_OPTIONS_FD, &socket);
        {
            const Impl::Armed armed(*d, o.connectTimeout());
            if (ssh_connect(d->ssh) != SSH_OK)
                d->fail(QStringLiteral("conexão SSH"));
        }
        d->verifyHostKey();
        d->authenticate();
        o.status(QStringLiteral("Abrindo SFTP em %1").arg(d->peer));
        {
            const Impl::Armed armed(*d, o.replyTimeout());
            d->sftp = sftp_new(d->ssh);
            if (!d->sftp)
                d->fail(QStringLiteral("abertura do SFTP"));
            if (sftp_init(d->sftp) != SSH_OK)
                d->fail(QStringLiteral("abertura do SFTP"));
            d->posixRename =
                sftp_extension_supported(d->sftp, "posix-rename@openssh.com", "1") != 0;
            char *home = sftp_canonicalize_path(d->sftp, ".");
            if (!home)
                d->fail(QStringLiteral("pasta inicial"));
            d->cwd = QString::fromUtf8(home);
            ssh_string_free_char(home);
        }
        d->reply(QStringLiteral("Conectado a %1 por SFTP").arg(d->peer));
    }
    closeOnError.dismiss();
}

void SftpSession::changeDir(const QString &folder) {
    d->requireSafe(folder, QStringLiteral("A pasta"));
    if (folder.trimmed().isEmpty())
        return;
    QString target;
    {
        const Impl::Armed armed(*d, d->owner.replyTimeout());
        char *real = sftp_canonicalize_path(d->sftp, d->encoded(folder).constData());
        if (!real)
            d->fail(QStringLiteral("mudança de pasta"), folder);
        target = QString::fromUtf8(real);
        ssh_string_free_char(real);
        sftp_attributes a = sftp_stat(d->sftp, target.toUtf8().constData());
        if (!a)
            d->fail(QStringLiteral("mudança de pasta"), folder);
        const bool folderType = a->type == SSH_FILEXFER_TYPE_DIRECTORY;
        sftp_attributes_free(a);
        if (!folderType)
            throw FtpError(QStringLiteral("Não é uma pasta: %1").arg(folder));
    }
    d->cwd = target;
    d->reply(QStringLiteral("Pasta atual: %1").arg(target));
}

QString SftpSession::printWorkingDir() {
    return d->cwd;
}

void SftpSession::deleteFile(const QString &remoteName) {
    d->requireSafe(remoteName, QStringLiteral("O nome do arquivo"));
    {
        const Impl::Armed armed(*d, d->owner.replyTimeout());
        if (sftp_unlink(d->sftp, d->encoded(remoteName).constData()) != SSH_OK)
            d->fail(QStringLiteral("exclusão"), remoteName);
    }
    d->reply(QStringLiteral("\"%1\" excluído").arg(remoteName));
}

bool SftpSession::renameReplaces() const {
    return d->posixRename;
}

void SftpSession::rename(const QString &from, const QString &to) {
    d->requireSafe(from, QStringLiteral("O nome do arquivo"));
    d->requireSafe(to, QStringLiteral("O novo nome do arquivo"));
    const QString what = QStringLiteral("renomeação");
    if (d->posixRename) {
        const quint32 id = d->nextId();
        QByteArray body;
        body.append(char(FxpExtended));
        putU32(body, id);
        putString(body, QByteArrayLiteral("posix-rename@openssh.com"));
        putString(body, d->encoded(from));
        putString(body, d->encoded(to));
        QByteArray packet;
        putString(packet, body);
        d->writeRaw(packet, d->owner.replyTimeout());
        d->expectStatus(d->readRaw(d->owner.replyTimeout()), id, what, from);
    } else {
        const Impl::Armed armed(*d, d->owner.replyTimeout());
        if (sftp_rename(d->sftp, d->encoded(from).constData(), d->encoded(to).constData()) !=
            SSH_OK)
            d->fail(what, from);
    }
    d->reply(QStringLiteral("\"%1\" renomeado para \"%2\"").arg(from, to));
}

qint64 SftpSession::remoteSize(const QString &remoteName) {
    d->requireSafe(remoteName, QStringLiteral("O nome do arquivo"));
    const Impl::Armed armed(*d, d->owner.replyTimeout());
    sftp_attributes a = sftp_stat(d->sftp, d->encoded(remoteName).constData());
    if (!a)
        d->fail(QStringLiteral("tamanho"), remoteName);
    const qint64 size = (a->flags & SSH_FILEXFER_ATTR_SIZE) ? qint64(a->size) : -1;
    sftp_attributes_free(a);
    return size;
}

void SftpSession::put(const QString &localPath, const QString &remoteName, qint64 offset) {
    d->requireSafe(remoteName, QStringLiteral("O nome do arquivo"));
    QFile file(platform::fs::resolve(localPath));
    const qint64 total = FtpClient::openForSending(file, localPath, offset);
    FtpClient &o = d->owner;
    const QByteArray path = d->encoded(remoteName);

    sftp_file remote = nullptr;
    {
        const Impl::Armed armed(*d, o.replyTimeout());
        remote = sftp_open(d->sftp, path.constData(),
                           O_WRONLY | O_CREAT | (offset == 0 ? O_TRUNC : 0), 0644);
        if (!remote)
            d->fail(QStringLiteral("abertura"), remoteName);
    }
    d->reply(offset > 0
                 ? QStringLiteral("Continuando \"%1\" de %2 bytes").arg(remoteName).arg(offset)
                 : QStringLiteral("Enviando \"%1\"").arg(remoteName));
    try {
        d->transferring = true;
        const ScopeGuard counted([this] { d->transferring = false; });
        o.sessionWorkBegin(total);
        const QByteArray handle(static_cast<const char *>(ssh_string_data(remote->handle)),
                                qsizetype(ssh_string_len(remote->handle)));
        // Each request: length, type, id, handle, offset, data.
        const qsizetype header = 4 + 1 + 4 + 4 + handle.size() + 8 + 4;
        // A request fills one packet of the channel (32 KB at most for OpenSSH)
        // instead of spilling a few bytes into a second one.
        const qint64 block = qMax<qint64>(4096, FtpClient::BlockSize - header);
        QMap<quint32, qint64> inFlight;
        qint64 position = offset;
        qint64 done = offset;
        bool atEnd = false;
        for (;;) {
            while (!atEnd && inFlight.size() < WritesInFlight) {
                QByteArray packet(header + block, Qt::Uninitialized);
                const qint64 n = file.read(packet.data() + header, block);
                if (n < 0)
                    throw FtpError(
                        QStringLiteral("Erro ao ler %1: %2").arg(localPath, file.errorString()));
                if (n == 0) {
                    atEnd = true;
                    break;
                }
                packet.resize(header + n);
                const quint32 id = d->nextId();
                char *p = packet.data();
                qToBigEndian(quint32(header - 4 + n), p);
                p[4] = char(FxpWrite);
                qToBigEndian(id, p + 5);
                qToBigEndian(quint32(handle.size()), p + 9);
                memcpy(p + 13, handle.constData(), size_t(handle.size()));
                qToBigEndian(quint64(position), p + 13 + handle.size());
                qToBigEndian(quint32(n), p + 21 + handle.size());
                d->writeRaw(packet, o.transferTimeout());
                inFlight.insert(id, n);
                position += n;
            }
            if (inFlight.isEmpty())
                break;
            const QByteArray answer = d->readRaw(o.transferTimeout());
            const quint32 id = answer.size() >= 5 ? u32At(answer, 1) : 0;
            if (!inFlight.contains(id))
                throw FtpError(QStringLiteral("Resposta inválida de %1 (envio)").arg(d->peer));
            d->expectStatus(answer, id, QStringLiteral("gravação"), remoteName);
            done += inFlight.take(id);
            o.sessionWork(done);
            if (!connected())
                throw FtpError(QStringLiteral("Não conectado a %1").arg(d->peer));
            d->checkStop();
        }
        {
            const Impl::Armed armed(*d, o.replyTimeout());
            const int rc = sftp_close(remote);
            remote = nullptr;
            if (rc != SSH_OK)
                d->fail(QStringLiteral("fechamento"), remoteName);
        }
    } catch (...) {
        // Replies may still be on their way: this session is of no further use.
        // The remote file is let go without waiting for the server.
        if (remote) {
            ::shutdown(d->fd, SHUT_RDWR);
            sftp_close(remote);
        }
        d->close();
        throw;
    }
    d->reply(QStringLiteral("\"%1\" gravado, %2 bytes").arg(remoteName).arg(total));
}

QStringList SftpSession::list(const QString &pattern, bool details) {
    d->requireSafe(pattern, QStringLiteral("A especificação da listagem"));
    FtpClient &o = d->owner;
    const QDeadlineTimer whole(ListingTimeout);
    const qint64 now = QDateTime::currentSecsSinceEpoch();
    QStringList lines;
    qint64 bytes = 0;
    auto add = [&](sftp_attributes a, const QString &name) {
        const quint32 mode =
            a->permissions | (a->type == SSH_FILEXFER_TYPE_DIRECTORY ? quint32(S_IFDIR)
                              : a->type == SSH_FILEXFER_TYPE_SYMLINK ? quint32(S_IFLNK)
                                                                     : 0u);
        const QString owner = a->owner ? QString::fromUtf8(a->owner) : QString::number(a->uid);
        const QString group = a->group ? QString::fromUtf8(a->group) : QString::number(a->gid);
        const QString line = details ? LongListingLine(mode, owner, group, qint64(a->size),
                                                       qint64(a->mtime), name, now)
                                     : printable(name);
        bytes += line.size() + 2;
        if (bytes > MaxListing)
            throw FtpError(QStringLiteral("Listagem de %1 maior que 64 MB").arg(d->peer));
        lines << line;
    };
    const QByteArray path = d->encoded(pattern);
    o.sessionWorkBegin(0);
    sftp_attributes target = nullptr;
    {
        const Impl::Armed armed(*d, o.replyTimeout());
        target = sftp_stat(d->sftp, path.constData());
    }
    if (!target)
        d->fail(QStringLiteral("listagem"), pattern.isEmpty() ? d->cwd : pattern);
    const bool folder = target->type == SSH_FILEXFER_TYPE_DIRECTORY;
    if (!folder) {
        ScopeGuard release([target] { sftp_attributes_free(target); });
        add(target, QFileInfo(QString::fromUtf8(path)).fileName());
        return lines;
    }
    sftp_attributes_free(target);

    sftp_dir dir = nullptr;
    {
        const Impl::Armed armed(*d, o.replyTimeout());
        dir = sftp_opendir(d->sftp, path.constData());
    }
    if (!dir)
        d->fail(QStringLiteral("listagem"), pattern.isEmpty() ? d->cwd : pattern);
    struct CloseDir {
        Impl &d;
        sftp_dir dir;
        ~CloseDir() {
            if (d.sftp) {
                const Impl::Armed armed(d, d.owner.replyTimeout());
                sftp_closedir(dir);
            }
        }
    } closeAtEnd{*d, dir};
    for (;;) {
        if (whole.hasExpired())
            throw FtpError(QStringLiteral("Listagem de %1 demorou mais de 5 minutos").arg(d->peer));
        sftp_attributes a = nullptr;
        {
            const Impl::Armed armed(
                *d, int(qMin<qint64>(o.transferTimeout(), qMax<qint64>(1, whole.remainingTime()))));
            a = sftp_readdir(d->sftp, dir);
        }
        if (!a) {
            if (sftp_dir_eof(dir))
                break;
            d->fail(QStringLiteral("listagem"), pattern);
        }
        const QByteArray name(a->name ? a->name : "");
        if (name != "." && name != "..") {
            try {
                add(a, QString::fromUtf8(name));
            } catch (...) {
                sftp_attributes_free(a);
                throw;
            }
            if (lines.size() % 64 == 0)
                o.sessionWork(bytes);
        }
        sftp_attributes_free(a);
        d->checkStop();
    }
    o.sessionWork(bytes);
    d->reply(QStringLiteral("Listagem de %1: %2 linhas")
                 .arg(QString::fromUtf8(d->encoded(pattern)))
                 .arg(lines.size()));
    return lines;
}

} // namespace bkp::ftp
