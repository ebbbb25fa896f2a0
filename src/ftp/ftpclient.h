#pragma once

#include <QByteArray>
#include <QDeadlineTimer>
#include <QHostAddress>
#include <QHostInfo>
#include <QObject>
#include <QString>
#include <QStringList>
#include <functional>
#include <memory>
#include <stdexcept>

class QFile;
class QSslError;
class QTcpSocket;
class QTcpServer;

namespace bkp::ftp {

class SftpSession;

// A failed FTP operation. For a reply the program did not accept, the message is
// the server's last reply line, code included ("550 No such file or directory.");
// otherwise it is the client's own text (refused connection, time-out, ...).
class FtpError : public std::runtime_error {
public:
    explicit FtpError(const QString &message)
        : std::runtime_error(message.toStdString()), m_message(message) {}
    QString message() const { return m_message; }

private:
    QString m_message;
};

// The program's FTP client (RFC 959), blocking on the calling thread: every
// operation returns when the server has answered, or raises FtpError. Progress of
// a data transfer arrives through the work callbacks on the same thread.
class FtpClient {
public:
    // Data blocks of a transfer: one work event after each.
    static constexpr int BlockSize = 32768;
    static constexpr int DefaultPort = 21;
    // The longest reply line taken from a server; a longer one is an error.
    static constexpr int MaxReplyLine = 8192;
    // The lines of one reply kept (a FEAT answer); a longer reply is read to its end.
    static constexpr int MaxReplyLines = 256;

    FtpClient();
    ~FtpClient();
    FtpClient(const FtpClient &) = delete;
    FtpClient &operator=(const FtpClient &) = delete;

    // The host may carry ":port" ("ftp.example.com:2121", "[::1]:2121"); without
    // it the port below is used. Written "ftpes://host" (with or without the
    // port), every connection is explicit FTP over TLS: AUTH TLS, a certificate
    // that verifies (or whose fingerprint the settings trust), PBSZ 0 and PROT P,
    // and protected data connections. A server that refuses is refused; the
    // client never goes on in clear text. Written "sftp://host" (port 22 unless
    // given), every operation goes over SSH file transfer instead (SftpSession).
    QString host() const { return m_host; }
    void setHost(const QString &host) { m_host = host; }
    int port() const { return m_port; }
    void setPort(int port) { m_port = port; }
    QString username() const { return m_username; }
    void setUsername(const QString &username) { m_username = username; }
    QString password() const { return m_password; }
    void setPassword(const QString &password) { m_password = password; }
    bool tls() const { return IsExplicitTls(m_host); }
    static bool IsExplicitTls(const QString &host);
    static constexpr const char *TlsPrefix = "ftpes://";
    bool sftp() const { return IsSftp(m_host); }
    static bool IsSftp(const QString &host);
    static constexpr const char *SftpPrefix = "sftp://";
    bool passive() const { return m_passive; }
    void setPassive(bool passive) { m_passive = passive; }

    // How long the client waits for a connection to open, for a whole reply
    // (continuation lines included) or a TLS handshake, and for a data transfer
    // that makes no progress, before it gives up (ms). Every wait also ends at once when the
    // session ends.
    int connectTimeout() const { return m_connectTimeout; }
    void setConnectTimeout(int ms) { m_connectTimeout = ms; }
    int replyTimeout() const { return m_replyTimeout; }
    void setReplyTimeout(int ms) { m_replyTimeout = ms; }
    int transferTimeout() const { return m_transferTimeout; }
    void setTransferTimeout(int ms) { m_transferTimeout = ms; }
    // A listing that never ends would fill the memory and hold everything else: one
    // listing fails past this many bytes or this long in all (ms).
    static constexpr qint64 DefaultListingBytes = qint64(64) * 1024 * 1024;
    static constexpr int DefaultListingTime = 5 * 60 * 1000;
    void setListingLimits(qint64 bytes, int ms) {
        m_listingBytes = bytes;
        m_listingTime = ms;
    }

    // One attempt (an upload) may spend at most `boundMs` in all waiting for
    // connections, replies and TLS handshakes; the time its data transfers take does
    // not count. Past it the waiting step fails as a time-out. Until endAttempt.
    void beginAttempt(int boundMs);
    void endAttempt();

    // The server's last reply line, kept after every command.
    QString lastCmdResult() const { return m_lastReply; }
    // The code of the last reply (0 before the first one).
    int lastReplyCode() const { return m_lastCode; }
    // The server's answer to FEAT after the login, one feature a line, trimmed
    // ("UTF8", "MDTM", "REST STREAM", ...); empty when it knows no FEAT.
    QStringList features() const { return m_features; }
    // Whether names travel in UTF-8 (the server listed UTF8); else in Windows-1252.
    // Replies and listing lines are read as UTF-8 when they are valid UTF-8 either way.
    bool utf8() const { return m_utf8; }

    // Events; each may be empty.
    std::function<void()> onConnected;
    std::function<void(const QString &status)> onStatus;
    std::function<void(qint64 total)> onWorkBegin;
    std::function<void(qint64 count)> onWork;
    std::function<void()> onDisconnected;

    // Connects, logs in (USER, PASS on 331), asks FEAT once (and, when the server
    // lists UTF8, says "OPTS UTF8 ON"), sets binary type (TYPE I) and asks SYST.
    // A failure after the connection opened closes it before raising.
    void connectToServer();
    // Closes the control connection without sending a command.
    void disconnect();
    bool connected() const;

    // STOR of a local file (opened for reading only) under `remoteName`. From
    // `offset` on when it is not 0: REST first, and only that part is sent.
    void put(const QString &localPath, const QString &remoteName, qint64 offset = 0);
    // Whether put can go on from an offset: over SFTP always, over FTP where the
    // server lists "REST STREAM" in its FEAT answer (asked once per connection).
    bool canResume();
    // Whether rename replaces an existing file in one step (SFTP's posix-rename),
    // so that the old copy need not be deleted first.
    bool renameReplaces() const;
    void deleteFile(const QString &remoteName);          // DELE
    void changeDir(const QString &folder);               // CWD
    void rename(const QString &from, const QString &to); // RNFR, RNTO
    // LIST (details) or NLST of `pattern` (the command alone when empty); the lines
    // of the reply, without line ends. Past the listing limits it raises, and what
    // was read is dropped.
    QStringList list(const QString &pattern = QString(), bool details = true);
    QString printWorkingDir(); // PWD: the folder between the first two double quotes
    // The size in bytes of a remote file: SIZE, or the file's line of a detailed
    // listing where the server refuses SIZE; -1 when it tells neither.
    qint64 remoteSize(const QString &remoteName);

    // The host and port a connection goes to, with a ":port" in the host applied.
    QString effectiveHost() const;
    int effectivePort() const;

    // Whether a value can travel inside a command: a CR, LF or NUL would end the
    // command early and start another one.
    static bool safeArgument(const QString &value);
    // The error for a value that cannot travel, naming what it is ("FTP_USER").
    static QString unsafeArgumentText(const QString &what);

    // "227 Entering Passive Mode (h1,h2,h3,h4,p1,p2)": the address and port given,
    // read between the parentheses or, without them, after the last blank.
    // False when the reply holds no such six numbers.
    static bool parsePasvReply(const QString &reply, QHostAddress &address, quint16 &port);

private:
    friend class SftpSession;
    // Opens the local archive for sending from `offset` and returns its size; an
    // offset the file no longer reaches sends it from its start (offset set to 0).
    static qint64 openForSending(QFile &file, const QString &localPath, qint64 &offset);
    // A non-blocking socket connected to address:port within `timeoutMs`; raises
    // with the reason, naming `hostText`.
    // The addresses of a host name, the window answering meanwhile; raises on a
    // time-out or the end of the session.
    QHostInfo lookUp(const QString &host);
    static int connectSocket(const QHostAddress &address, quint16 port, int timeoutMs,
                             const QString &hostText);
    void sendCommand(const QString &command);
    int readReply();
    void askFeatures();
    QByteArray readControlLine(const QDeadlineTimer &deadline);
    void requireSafe(const QString &value, const QString &what) const;
    // Raises when the session is ending: nothing more is waited for.
    void checkStop() const;
    // The deadline of a wait of `timeoutMs`, cut short by the attempt's bound.
    QDeadlineTimer bounded(int timeoutMs) const;
    // A wait ran out: the attempt's time-out when its bound has passed, else `text`.
    [[noreturn]] void timedOut(const QString &text) const;
    // Opens `socket` to address:port within the connect time-out.
    void openSocket(QTcpSocket &socket, const QHostAddress &address, quint16 port,
                    const QString &hostText);
    // Waits in short slices for the socket to become readable, until `deadline`;
    // false when it passed.
    bool waitReadable(QTcpSocket &socket, const QDeadlineTimer &deadline);
    // The active-mode data connection: only one from the control connection's peer.
    QTcpSocket *acceptFromPeer(QTcpServer &listener);
    // The TLS handshake on the control connection (after AUTH TLS) or on a data
    // connection (which resumes the control connection's session, as servers that
    // tie the two together demand); raises with the reason when the server's
    // certificate is not trusted or the handshake does not end in time.
    void startTls(QTcpSocket &socket, bool control);
    QString certificateRefusal(const QSslError &error) const;
    // Sends the command and reads its reply; raises with the reply line unless
    // its code is one of `accepted`.
    int command(const QString &command, std::initializer_list<int> accepted);
    [[noreturn]] void raiseReply() const;
    void requireConnected() const;
    void status(const QString &text);
    void closeControl();
    // Runs a call into the SFTP session on a thread of its own while the window
    // answers: libssh waits inside its calls. The session's events and replies are
    // handed to this thread and reach their receivers here, in their order.
    void awayFromWindow(const std::function<void()> &call);
    // The session's events and its last reply, from whichever thread runs it.
    void sessionReply(const QString &text);
    void sessionWorkBegin(qint64 total);
    void sessionWork(qint64 count);
    void handToWindow(std::function<void()> event);

    // Opens the data connection for a transfer command and runs it: `transfer`
    // is called with the open data socket once the server accepted the command.
    void runTransfer(const QString &command, std::initializer_list<int> passiveCodes,
                     std::initializer_list<int> activeCodes,
                     const std::function<void(QTcpSocket &)> &transfer,
                     const QString &restart = QString());
    void readFinalReply();
    QString peerText() const;
    QString hostWithoutScheme() const;

    QString m_host;
    int m_port = DefaultPort;
    QString m_username;
    QString m_password;
    bool m_passive = false;
    int m_connectTimeout = 30000;
    int m_replyTimeout = 30000;
    int m_transferTimeout = 30000;
    qint64 m_listingBytes = DefaultListingBytes;
    int m_listingTime = DefaultListingTime;
    int m_attemptBound = 0;
    // When the attempt's bound passes; it stands still while data is transferred.
    QDeadlineTimer m_attempt{QDeadlineTimer::Forever};

    std::unique_ptr<QTcpSocket> m_control;
    QObject m_mailbox; // receives what a session thread hands to the window's thread
    QString m_lastReply;
    QStringList m_replyLines; // every line of the last reply
    int m_lastCode = 0;
    QStringList m_features;
    bool m_utf8 = false;
    bool m_announced = false;            // the connected event was raised for this connection
    QStringList m_trustedFingerprints;   // read from the settings at each connection
    std::unique_ptr<SftpSession> m_sftp; // the connection of an "sftp://" host
};

} // namespace bkp::ftp
