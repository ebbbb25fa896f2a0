#include "backup/archiverwatch.h"

#include "backup/folderrows.h"
#include "db/errors.h"
#include "jobdb/archiveoutcome.h"
#include "lib/ports.h"
#include "lib/sqltext.h"
#include "platform/filesystem.h"
#include "platform/inifile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QTimer>
#include <cerrno>

namespace bkp::backup {

namespace fs = platform::fs;

namespace {

// What is kept of an archiver's output.
constexpr qint64 OutputTail = 64 * 1024;
constexpr int RetryMs = 30000;
constexpr int BalloonMs = 10000;

QString section(int jobId) {
    return QStringLiteral("Job") + QString::number(jobId);
}

const QString Pid = QStringLiteral("Pid");
const QString Ticks = QStringLiteral("Inicio");
const QString Archive = QStringLiteral("Arquivo");
const QString Result = QStringLiteral("Resultado");
const QString Text = QStringLiteral("Texto");
const QString When = QStringLiteral("Fim");

} // namespace

RunOutcome JudgeArchiverEnd(const platform::ProcessEnd &end, bool archiveExists,
                            const QString &archivePath) {
    using Kind = platform::ProcessEnd::Kind;
    RunOutcome o;
    const QString missing =
        QStringLiteral("Compactador terminou sem gerar ") + fs::extractFileName(archivePath);
    if (end.kind == Kind::Signalled) {
        o.kind = RunOutcome::Kind::Failed;
        o.text = QStringLiteral("Compactador interrompido pelo sinal ") + QString::number(end.code);
    } else if (end.kind == Kind::Unknown) {
        o.kind = archiveExists ? RunOutcome::Kind::Warning : RunOutcome::Kind::Failed;
        o.text = archiveExists ? QStringLiteral("resultado desconhecido: o programa foi reiniciado")
                               : missing;
    } else if (end.code == 0 || end.code == 1) {
        if (!archiveExists) {
            o.kind = RunOutcome::Kind::Failed;
            o.text = end.code == 0 ? missing : missing + QStringLiteral(" (código 1)");
        } else if (end.code == 1) {
            o.kind = RunOutcome::Kind::Warning;
            o.text = QStringLiteral("Compactador terminou com avisos (código 1)");
        }
    } else {
        o.kind = RunOutcome::Kind::Failed;
        o.text = QStringLiteral("Compactador terminou com código ") + QString::number(end.code);
    }
    return o;
}

RunOutcome NotStartedOutcome(const QString &program, int refusal, qsizetype commandLineBytes) {
    if (refusal == E2BIG)
        return {RunOutcome::Kind::Failed,
                QStringLiteral("Linha de comando longa demais: %1 bytes").arg(commandLineBytes)};
    return {RunOutcome::Kind::Failed,
            QStringLiteral("Compactador não pôde ser iniciado: ") + program};
}

ArchiveReadiness ReadArchiveReadiness(db::Database *database, int jobId,
                                      const ArchiverWatch *watch) {
    if (watch && watch->running(jobId))
        return ArchiveReadiness::InProgress;
    RunOutcome waiting;
    if (watch && watch->pendingOutcome(jobId, &waiting))
        return waiting.kind == RunOutcome::Kind::Failed ? ArchiveReadiness::Failed
                                                        : ArchiveReadiness::Ready;
    const jobdb::ArchiveOutcome outcome = jobdb::ReadArchiveOutcome(database, jobId);
    if (!outcome.known || !outcome.unfinished())
        return ArchiveReadiness::Ready;
    // The failure text begins with its date, as DateTimeToStr wrote it (to the second).
    TDateTime failed = 0;
    const qsizetype dash = outcome.lastError.indexOf(QStringLiteral(" - "));
    const double second = 1.0 / 86400.0;
    if (dash > 0 && ReadFolderDate(outcome.lastError.left(dash), failed) &&
        failed + second >= outcome.lastStart)
        return ArchiveReadiness::Failed;
    return ArchiveReadiness::InProgress;
}

void KeepFileTail(const QString &path, qint64 bytes) {
    QFile file(path);
    if (file.size() <= bytes || !file.open(QIODevice::ReadOnly))
        return;
    file.seek(file.size() - bytes);
    QByteArray tail = file.read(bytes);
    file.close();
    // The first line kept is whole.
    const qsizetype newline = tail.indexOf('\n');
    if (newline >= 0 && newline + 1 < tail.size())
        tail.remove(0, newline + 1);
    QSaveFile out(path);
    if (out.open(QIODevice::WriteOnly)) {
        out.write(tail);
        out.commit();
    }
}

ArchiverWatch::ArchiverWatch(db::Database *database, TrayPort *tray, const QString &settingsFile,
                             QObject *parent)
    : QObject(parent), m_database(database), m_tray(tray),
      m_folder(QFileInfo(settingsFile).absolutePath()), m_retry(new QTimer(this)) {
    const QFileInfo settings(settingsFile);
    m_state = std::make_unique<platform::IniFile>(m_folder + QLatin1Char('/') +
                                                  settings.completeBaseName() +
                                                  QStringLiteral("_Compactadores.Ini"));
    m_retry->setInterval(RetryMs);
    connect(m_retry, &QTimer::timeout, this, [this] {
        if (storePending() == 0)
            m_retry->stop();
    });
}

// The archivers go on; only the watching ends.
ArchiverWatch::~ArchiverWatch() = default;

QString ArchiverWatch::outputFile(int jobId) const {
    return m_folder + QStringLiteral("/Saidas/") + QString::number(jobId) + QStringLiteral(".txt");
}

QString ArchiverWatch::stateFile() const {
    return m_state->fileName();
}

bool ArchiverWatch::running(int jobId) const {
    return m_running.contains(jobId);
}

bool ArchiverWatch::start(int jobId, const QString &commandLine, const QString &archivePath,
                          RunOutcome *failure) {
    QDir().mkpath(m_folder + QStringLiteral("/Saidas"));
    QString program;
    int refusal = 0;
    platform::WatchedProcess *process =
        platform::WatchedProcess::start(commandLine, outputFile(jobId), &program, this, &refusal);
    if (!process) {
        if (failure)
            *failure = NotStartedOutcome(program, refusal, QFile::encodeName(commandLine).size());
        return false;
    }
    try {
        m_state->eraseSection(section(jobId));
        m_state->writeString(section(jobId), Pid, QString::number(process->pid()));
        m_state->writeString(section(jobId), Ticks, QString::number(process->startTicks()));
        m_state->writeString(section(jobId), Archive, archivePath);
    } catch (const platform::IniWriteError &) {
        // Watched all the same; only a program started again would not know it.
    }
    watchProcess(jobId, process, archivePath);
    return true;
}

void ArchiverWatch::watchProcess(int jobId, platform::WatchedProcess *process,
                                 const QString &archivePath) {
    Q_UNUSED(archivePath);
    m_running.insert(jobId, process);
    connect(process, &platform::WatchedProcess::finished, this,
            [this, jobId](const platform::ProcessEnd &end) { ended(jobId, end); });
}

void ArchiverWatch::ended(int jobId, const platform::ProcessEnd &end) {
    if (platform::WatchedProcess *process = m_running.take(jobId))
        process->deleteLater();
    const QString archive = m_state->readString(section(jobId), Archive);
    KeepFileTail(outputFile(jobId), OutputTail);
    recordEnd(jobId, JudgeArchiverEnd(end, !archive.isEmpty() && fs::fileExists(archive), archive));
}

void ArchiverWatch::recordEnd(int jobId, const RunOutcome &outcome) {
    const QString text = outcome.text.isEmpty() ? QString() : DatedText(outcome.text);
    const double when = Now();
    // Kept in the file first, so that an outcome the database refuses now (or a
    // program ended meanwhile) is stored later.
    bool kept = true;
    try {
        m_state->eraseSection(section(jobId));
        m_state->writeInteger(section(jobId), Result, int(outcome.kind));
        m_state->writeString(section(jobId), Text, text);
        m_state->writeString(section(jobId), When, QString::number(when, 'g', 17));
    } catch (const platform::IniWriteError &) {
        kept = false;
    }
    const bool stored =
        kept ? store(jobId)
             : storeOutcome(jobId, outcome.kind != RunOutcome::Kind::Failed, when, text);
    if (!stored && kept && !m_retry->isActive())
        m_retry->start();
    if (m_tray && outcome.kind == RunOutcome::Kind::Failed)
        m_tray->showBalloon(QStringLiteral("Erro no backup"), text, TrayPort::BalloonKind::Error,
                            BalloonMs);
    else if (m_tray && outcome.kind == RunOutcome::Kind::Warning)
        m_tray->showBalloon(QStringLiteral("Backup com avisos"), text,
                            TrayPort::BalloonKind::Warning, BalloonMs);
    Q_EMIT runEnded(jobId, RunOutcome{outcome.kind, text});
}

void ArchiverWatch::recordRefusal(int jobId, const QString &text) {
    const QString dated = DatedText(text);
    try {
        jobdb::ExecOwnTransaction(m_database, jobdb::ArchiveEndSql(jobId, false, Now(), dated));
    } catch (const db::DatabaseError &) {
        // The balloon still tells; the running archiver records its own end.
    }
    if (m_tray)
        m_tray->showBalloon(QStringLiteral("Erro no backup"), dated, TrayPort::BalloonKind::Error,
                            BalloonMs);
    Q_EMIT runEnded(jobId, RunOutcome{RunOutcome::Kind::Failed, dated});
}

bool ArchiverWatch::storeOutcome(int jobId, bool good, double when, const QString &text) {
    const QString sql = jobdb::ArchiveEndSql(jobId, good, when, text);
    try {
        if (!sql.isEmpty())
            jobdb::ExecOwnTransaction(m_database, sql);
    } catch (const db::DatabaseError &) {
        return false;
    }
    return true;
}

bool ArchiverWatch::store(int jobId) {
    const QString s = section(jobId);
    if (!m_state->valueExists(s, Result))
        return false;
    const bool good = m_state->readInteger(s, Result) != int(RunOutcome::Kind::Failed);
    if (!storeOutcome(jobId, good, m_state->readString(s, When).toDouble(),
                      m_state->readString(s, Text)))
        return false;
    try {
        m_state->eraseSection(s);
    } catch (const platform::IniWriteError &) {
    }
    return true;
}

bool ArchiverWatch::pendingOutcome(int jobId, RunOutcome *outcome) const {
    const QString s = section(jobId);
    if (!m_state->valueExists(s, Result))
        return false;
    outcome->kind = RunOutcome::Kind(m_state->readInteger(s, Result));
    outcome->text = m_state->readString(s, Text);
    return true;
}

int ArchiverWatch::storePending() {
    int waiting = 0;
    for (const QString &s : m_state->readSections()) {
        bool ok = false;
        const int jobId = s.mid(3).toInt(&ok);
        if (ok && m_state->valueExists(s, Result) && !store(jobId))
            ++waiting;
    }
    return waiting;
}

void ArchiverWatch::resume() {
    for (const QString &s : m_state->readSections()) {
        bool ok = false;
        const int jobId = s.mid(3).toInt(&ok);
        if (!ok || !s.startsWith(QLatin1String("Job"), Qt::CaseInsensitive) ||
            m_running.contains(jobId) || !m_state->valueExists(s, Pid))
            continue;
        const qint64 pid = m_state->readString(s, Pid).toLongLong();
        const quint64 ticks = m_state->readString(s, Ticks).toULongLong();
        platform::WatchedProcess *process = platform::WatchedProcess::attach(pid, ticks, this);
        if (process)
            watchProcess(jobId, process, m_state->readString(s, Archive));
        else
            ended(jobId, platform::ProcessEnd{});
    }
    if (storePending() > 0 && !m_retry->isActive())
        m_retry->start();
}

} // namespace bkp::backup
