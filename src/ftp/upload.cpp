#include "ftp/upload.h"

#include "backup/archiverwatch.h"
#include "backup/backupfolder.h"
#include "db/dataroutines.h"
#include "db/query.h"
#include "ftp/resumerecord.h"
#include "jobdb/datamodule.h"
#include "jobdb/jobclaim.h"
#include "lib/datetime.h"
#include "lib/paths.h"
#include "lib/scopeguard.h"
#include "lib/sqltext.h"
#include "platform/application.h"
#include "platform/filesystem.h"
#include "widgets/framegate.h"

#include <QFileInfo>
#include <QHash>
#include <QLocale>
#include <cmath>
#include <cstdio>
#include <cstdlib>

namespace bkp::ftp {

const char *const FtpExtensions = ".rar~.zip~.arj~.7z";

namespace {

// The column that keeps the last error holds this many characters.
constexpr int LastErrSize = 80;

QString messageOf(const std::exception &e) {
    if (const auto *f = dynamic_cast<const FtpError *>(&e))
        return f->message();
    if (const auto *d = dynamic_cast<const db::DatabaseError *>(&e))
        return d->message();
    return QString::fromLocal8Bit(e.what());
}

} // namespace

QString FloatToStrGeneral(double value, int precision, int digits, const QString &decimalPoint) {
    if (std::isnan(value))
        return QStringLiteral("NAN");
    if (std::isinf(value))
        return value < 0 ? QStringLiteral("-INF") : QStringLiteral("INF");
    if (value == 0)
        return QStringLiteral("0");
    precision = qBound(1, precision, 17);
    // The value rounded to `precision` significant digits: mantissa digits and exponent.
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, "%.*e", precision - 1, value);
    const QString text = QString::fromLatin1(buffer);
    const qsizetype e = text.indexOf(QLatin1Char('e'));
    int exponent = text.mid(e + 1).toInt();
    QString mantissa = text.left(e);
    const bool negative = mantissa.startsWith(QLatin1Char('-'));
    if (negative)
        mantissa.remove(0, 1);
    mantissa.remove(QLatin1Char('.'));
    while (mantissa.size() > 1 && mantissa.endsWith(QLatin1Char('0')))
        mantissa.chop(1);

    QString out = negative ? QStringLiteral("-") : QString();
    if (exponent + 1 <= precision && std::fabs(value) >= 0.00001) {
        if (exponent >= 0) {
            QString whole = mantissa.left(exponent + 1);
            whole = whole.leftJustified(exponent + 1, QLatin1Char('0'));
            out += whole;
            const QString fraction = mantissa.mid(exponent + 1);
            if (!fraction.isEmpty())
                out += decimalPoint + fraction;
        } else {
            out += QLatin1Char('0') + decimalPoint + QString(-exponent - 1, QLatin1Char('0')) +
                   mantissa;
        }
        return out;
    }
    out += mantissa.left(1);
    if (mantissa.size() > 1)
        out += decimalPoint + mantissa.mid(1);
    out += QLatin1Char('E');
    if (exponent < 0)
        out += QLatin1Char('-');
    out += QString::number(std::abs(exponent)).rightJustified(digits, QLatin1Char('0'));
    return out;
}

QString ProgressHint(const QString &reply, const QString &percent) {
    const qsizetype quote = reply.indexOf(QStringLiteral("\" ."));
    if (quote >= 0) // keeps the quote and the blank after it
        return reply.left(quote + 2) + QLatin1Char('(') + percent + QStringLiteral("%)");
    return QLatin1Char('(') + percent + QStringLiteral("%) ") + reply;
}

// ------------------------------------------------------------------ FtpUpload

FtpUpload::FtpUpload(jobdb::TDM &dm, db::Query &jobQuery, StatusBarPort *statusBar, TrayPort *tray,
                     TimerPort *scheduleTimer)
    : m_dm(dm), m_jobQuery(jobQuery), m_statusBar(statusBar), m_tray(tray), m_timer(scheduleTimer),
      m_paced(statusBar, widgets::screenRefreshInterval()) {
    m_client.onConnected = [this] {
        onConnected();
    };
    m_client.onStatus = [this](const QString &s) {
        onStatus(s);
    };
    m_client.onWorkBegin = [this](qint64 total) {
        onWorkBegin(total);
    };
    m_client.onWork = [this](qint64 count) {
        onWork(count);
    };
    m_client.onDisconnected = [this] {
        onDisconnected();
    };
}

void FtpUpload::balloon(const QString &title, const QString &text, TrayPort::BalloonKind kind,
                        int seconds) {
    if (m_tray)
        m_tray->showBalloon(title, text, kind, seconds * 1000);
}

void FtpUpload::uploadSelectedJob() {
    if (m_uploading || !m_jobQuery.active() || m_jobQuery.isEmpty())
        return;
    // Another program on this database may be sending or archiving the job: two
    // uploads of one archive would replace each other's copy on the server.
    jobdb::JobClaim claim(m_dm.IBDatabase1);
    if (!claim.takeAfterCommit(m_jobQuery.fieldByName(QStringLiteral("ID"))->asInteger())) {
        ShowMessageBox(jobdb::JobClaim::ClaimedElsewhereText(
                           m_jobQuery.fieldByName(QStringLiteral("BACKUPNAME"))->asString()),
                       QString(), platform::MB_OK | platform::MB_ICONWARNING);
        return;
    }
    uploadJob(m_jobQuery, &claim);
}

void FtpUpload::uploadJob(db::DataSet &query, jobdb::JobClaim *claim) {
    if (m_uploading)
        return;
    m_uploading = true;
    m_claim = claim;
    // The schedule must not start another upload while this one waits on the server.
    if (m_timer)
        m_timer->setEnabled(false);
    if (onRunning)
        onRunning(true);
    const platform::CursorKind previous = SwapCursor(platform::CursorKind::Hourglass);
    auto endBlock = [&] {
        m_client.disconnect();
        m_client.endAttempt();
        if (m_timer)
            m_timer->setEnabled(true);
        m_transferTotal = 0;
        SwapCursor(previous);
        m_uploading = false;
        m_uploadingJob = 0;
        m_claim = nullptr;
        if (onRunning)
            onRunning(false);
    };

    ScopeGuard end(endBlock);
    // The claimed row is the job as it stands now; the caller's copy may be older.
    const db::DataSet &job = claim && claim->held() ? claim->row() : query;
    const QString folder = job.fieldByName(QStringLiteral("FTP_FOLDER"))->asString();
    const QString jobId = job.fieldByName(QStringLiteral("ID"))->asString();
    QString id;
    m_client.beginAttempt(m_attemptBound);
    try {
        sendFiles(job, folder, id);
    } catch (const std::exception &e) {
        // Without the job database nothing can be recorded: the job stays due, and
        // the schedule tells the operator once and connects again.
        if (const auto *d = dynamic_cast<const db::DatabaseError *>(&e); d && d->isConnectionLost())
            throw;
        const QString message = messageOf(e);
        balloon(QStringLiteral("Erro de envio por FTP"), message, TrayPort::BalloonKind::Error, 6);
        recordError(id.isEmpty() ? jobId : id, DatedText(message), QStringLiteral(" "));
    }
}

void FtpUpload::recordError(const QString &id, const QString &text, const QString &beforeWhere) {
    jobdb::JobClaim::store(m_dm.IBDatabase1, m_claim,
                           QStringLiteral("Update Backups\r\nSet\r\nFTP_LastErr=") +
                               FittedTextLiteral(text, LastErrSize) + beforeWhere +
                               QStringLiteral("Where ID=") + id);
    db::RefreshUnlessEditing(&m_jobQuery);
}

void FtpUpload::sendFiles(const db::DataSet &job, const QString &folder, QString &id) {
    // Read before the claim's store closes the claimed row.
    QHash<QString, QString> columns;
    for (const char *name :
         {"FTP_HOST", "FTP_USER", "FTP_PASSWORD", "FTP_FOLDER", "ID", "BACKUPFILE", "BACKUPFOLDER"})
        columns.insert(QString::fromLatin1(name),
                       job.fieldByName(QString::fromLatin1(name))->asString());
    auto text = [&](const char *name) {
        return columns.value(QString::fromLatin1(name));
    };
    m_client.setHost(text("FTP_HOST"));
    m_client.setUsername(text("FTP_USER"));
    m_client.setPassword(text("FTP_PASSWORD"));
    m_client.setPassive(job.fieldByName(QStringLiteral("FTP_PASSIVE"))->asInteger() == -1);
    id = text("ID");
    m_uploadingJob = id.toInt();
    // An archive still being written, or left by a failed run, is not sent: the
    // good copy on the server stays, and the job stays due.
    switch (backup::ReadArchiveReadiness(m_dm.IBDatabase1, id.toInt(), m_watch)) {
    case backup::ArchiveReadiness::InProgress:
        recordError(id, DatedText(QStringLiteral("arquivo ainda em geração")),
                    QStringLiteral("\r\n"));
        return;
    case backup::ArchiveReadiness::Failed:
        balloon(QStringLiteral("Erro de envio por FTP"), QStringLiteral("último backup falhou"),
                TrayPort::BalloonKind::Error, 6);
        recordError(id, DatedText(QStringLiteral("último backup falhou")), QStringLiteral("\r\n"));
        return;
    case backup::ArchiveReadiness::Ready:
        break;
    }
    // A value that would carry a second command is refused before anything is sent.
    for (const char *column : {"FTP_USER", "FTP_PASSWORD", "FTP_FOLDER", "BACKUPFILE"})
        if (!FtpClient::safeArgument(text(column)))
            throw FtpError(FtpClient::unsafeArgumentText(QString::fromLatin1(column)));
    // The archive run never writes outside the backup folder, so nothing from there is sent.
    if (!backup::ArchiveNameInsideFolder(text("BACKUPFILE")))
        throw FtpError(backup::ArchiveNameRefusedText(text("BACKUPFILE")));

    if (m_client.connected())
        m_client.disconnect();
    m_client.connectToServer();

    const QString mask = JoinPath(text("BACKUPFOLDER"), text("BACKUPFILE") + QStringLiteral(".*"),
                                  platform::fs::separator());
    QString currentPath = mask;
    const QList<platform::FileEntry> files = ListFiles(mask);
    if (files.isEmpty()) {
        balloon(QStringLiteral("Atenção: Não foi possível localizar o(s) arquivo(s)\r") + mask,
                QStringLiteral("Envio por FTP"), TrayPort::BalloonKind::Error, 10);
        recordError(id,
                    DateTimeToStr(Now()) +
                        QStringLiteral(" - Não foi possivel localizar o(s) arquivo(s) ") + mask,
                    QStringLiteral("\r\n"));
        return;
    }

    // A relative folder is below the login folder for every file, so each file
    // after the first goes back there before changing to it.
    const bool relative = !folder.trimmed().startsWith(QLatin1Char('/'));
    QString loginFolder;
    bool first = true;
    const QString extensions = QString::fromLatin1(FtpExtensions);
    for (const platform::FileEntry &entry : files) {
        const QString ext = platform::fs::extractFileExt(entry.name).toLower();
        if (ext.isEmpty() || !extensions.contains(ext))
            continue;
        currentPath = platform::fs::changeFileExt(currentPath, ext).toLower();
        if (relative) {
            if (first)
                loginFolder = m_client.printWorkingDir();
            else
                m_client.changeDir(loginFolder);
        }
        first = false;
        m_client.changeDir(folder);

        const QString remoteName = platform::fs::extractFileName(currentPath);
        const QString tempName = platform::fs::changeFileExt(remoteName, QStringLiteral(".tmp"));
        // An archive cut off before goes on where the server's temporary file ends.
        const ResumeRecord resume(text("FTP_HOST"), folder, tempName);
        const qint64 offset = resume.offset(m_client, currentPath);
        resume.remember(currentPath);
        m_client.put(currentPath, tempName, offset);
        resume.forget();
        // A server may report the transfer complete and keep part of it: the old
        // copy goes only once the new one is known to be whole.
        try {
            verifyArrival(currentPath, tempName);
        } catch (const FtpError &) {
            try {
                m_client.deleteFile(tempName);
            } catch (const std::exception &) {
                // The short copy stays under its temporary name; the error that counts is raised.
            }
            throw;
        }
        // Where the rename replaces the old copy in one step, no moment is left
        // without one.
        if (!m_client.renameReplaces()) {
            try {
                m_client.deleteFile(remoteName);
            } catch (const std::exception &e) {
                balloon(messageOf(e), m_client.lastCmdResult(), TrayPort::BalloonKind::Error, 3);
            }
        }
        m_client.rename(tempName, remoteName);
        const QString renamed = m_client.lastCmdResult();
        verifyArrival(currentPath, remoteName);
        balloon(QStringLiteral("Enviado backup por FTP"),
                renamed + QStringLiteral("\rFile: ") + currentPath, TrayPort::BalloonKind::Info, 5);
    }

    jobdb::JobClaim::store(m_dm.IBDatabase1, m_claim,
                           QStringLiteral("Update Backups\r\nSet\r\nFTP_Data=") +
                               SqlDate(Date() + 1) + QStringLiteral(",\r\nFTP_LastSend=") +
                               SqlDateTime(Now()) + QStringLiteral("\r\nWhere ID=") + id);
    m_dm.IBTransaction1->commitRetaining();
    db::RefreshUnlessEditing(&m_jobQuery);
}

void FtpUpload::verifyArrival(const QString &localPath, const QString &remoteName) {
    const qint64 remote = m_client.remoteSize(remoteName);
    if (remote < 0)
        return; // the server tells no sizes: taken as sent, as it always was
    // Read after the transfer: an archive the archiver was still writing differs too.
    const qint64 local = QFileInfo(platform::fs::resolve(localPath)).size();
    if (remote != local)
        throw FtpError(ArrivalMismatchText(remote, local, remoteName));
}

QString ArrivalMismatchText(qint64 remote, qint64 local, const QString &remoteName) {
    return QStringLiteral("Tamanho no servidor %1 difere do local %2: %3")
        .arg(remote)
        .arg(local)
        .arg(remoteName);
}

// ------------------------------------------------------------------- handlers

void FtpUpload::onConnected() {
    m_paced.flush();
    ShowStatus(m_statusBar, 0, QStringLiteral("Conectado"), 0);
}

void FtpUpload::onStatus(const QString &status) {
    m_paced.flush();
    ShowStatus(m_statusBar, 0, status, 0);
}

void FtpUpload::onWorkBegin(qint64 total) {
    m_transferTotal = total;
    m_balloonCounter = 0;
    m_decimalPoint = UserLocale().decimalPoint();
    m_paced.flush();
    ShowStatus(m_statusBar, 2, QString::number(total) + QStringLiteral(" bytes totais"), 0);
}

void FtpUpload::onWork(qint64 count) {
    if (m_transferTotal <= 0)
        m_transferTotal = 1;
    if (m_decimalPoint.isEmpty())
        m_decimalPoint = UserLocale().decimalPoint();
    const QString percent =
        FloatToStrGeneral(double(count) / double(m_transferTotal) * 100.0, 3, 2, m_decimalPoint);
    const QString reply = m_client.lastCmdResult();

    StatusBarPort *bar = m_statusBar ? static_cast<StatusBarPort *>(&m_paced) : nullptr;
    ShowStatus(bar, 1, QString::number(count) + QStringLiteral(" bytes enviados "), 0);
    ShowStatus(bar, 3, reply, 0);
    // The last block is always shown: it is where the transfer ended. Pending
    // events are handled once a frame too: more often shows nothing more.
    bool frame = true;
    if (count >= m_transferTotal)
        m_paced.flush();
    else
        frame = m_paced.flushWhenDue() || !m_statusBar;
    if (m_tray)
        m_tray->setHint(ProgressHint(reply, percent));

    Inc_Range(m_balloonCounter, 10);
    if (m_balloonCounter == 1)
        balloon(QStringLiteral("Enviando backup por FTP"),
                reply + QStringLiteral("\rEnviados ") + QString::number(count) +
                    QStringLiteral(" bytes (") + percent + QStringLiteral("%)"),
                TrayPort::BalloonKind::Info, 5);
    if (frame)
        platform::processMessages();
}

void FtpUpload::onDisconnected() {
    if (!m_statusBar)
        return;
    m_paced.flush();
    for (int i = 0; i < m_statusBar->panelCount(); ++i)
        ShowStatus(m_statusBar, i, QString(), 0);
}

} // namespace bkp::ftp
