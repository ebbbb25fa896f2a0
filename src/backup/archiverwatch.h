#pragma once

#include "platform/process.h"

#include <QHash>
#include <QObject>
#include <QString>
#include <memory>

class QTimer;

namespace bkp {
class TrayPort;
}

namespace bkp::db {
class Database;
}

namespace bkp::platform {
class IniFile;
}

namespace bkp::backup {

class ArchiverWatch;

// How an archive run ended, as the job records it.
struct RunOutcome {
    enum class Kind { Good, Warning, Failed };
    Kind kind = Kind::Good;
    QString text; // the failure or warning, undated; empty for a clean end
};

// The outcome of an archiver's end. Exit code 0 with the archive, or 1 with it (a
// warning for rar, arj and 7-Zip: some files were skipped), ended well; any other
// code, a signal, or an end without the archive it was told to write, failed. An end
// whose code is unknown (the program was started again meanwhile) is a warning when
// the archive is there.
RunOutcome JudgeArchiverEnd(const platform::ProcessEnd &end, bool archiveExists,
                            const QString &archivePath);
// The failure of an archiver that could not be started: `refusal` is the system's
// reason (0: the program was not found); a command line longer than the system
// takes is told with its size.
RunOutcome NotStartedOutcome(const QString &program, int refusal = 0,
                             qsizetype commandLineBytes = 0);

// Whether a job's archive may be sent: not while its run is in progress, nor after
// it failed. The run is in progress while this program's archiver of the job runs;
// an outcome this program could not store yet counts as stored; otherwise the job's
// columns tell, so any program on the database sees the same:
// a run that started after the last good end is failed when a failure was dated
// after its start, and in progress until then.
enum class ArchiveReadiness { Ready, InProgress, Failed };
ArchiveReadiness ReadArchiveReadiness(db::Database *database, int jobId,
                                      const ArchiverWatch *watch);

// Cuts a file to its last `bytes` bytes, starting after a line end when there is one
// in what is kept.
void KeepFileTail(const QString &path, qint64 bytes);

// The archivers this program has started, watched until they end, and the outcome
// of each run recorded in the job (BACKUP_LASTRUN, BACKUP_LASTERR) in a transaction
// of its own. The running ones are listed in a small file beside the settings file,
// so that a program started again while one still runs watches it too; an outcome
// that could not be stored yet (the job row locked elsewhere) waits there and is
// tried again every half minute. The output of each run goes to Saidas/<ID>.txt in
// the settings file's folder. A failure shows one error balloon "Erro no backup".
class ArchiverWatch : public QObject {
    Q_OBJECT
public:
    ArchiverWatch(db::Database *database, TrayPort *tray, const QString &settingsFile,
                  QObject *parent = nullptr);
    ~ArchiverWatch() override;

    // Where the job's archiver writes its output.
    QString outputFile(int jobId) const;
    // The file that lists the running archivers.
    QString stateFile() const;

    // Whether an archiver of the job started by this program still runs.
    bool running(int jobId) const;
    bool anyRunning() const { return !m_running.isEmpty(); }

    // Starts the job's archiver, watched, writing its output into outputFile(jobId).
    // False when nothing could be started; `failure` then tells why.
    bool start(int jobId, const QString &commandLine, const QString &archivePath,
               RunOutcome *failure = nullptr);

    // Records the end of a run that is over already (an archiver that could not be
    // started, a run refused), with its balloon.
    void recordEnd(int jobId, const RunOutcome &outcome);
    // Records in BACKUP_LASTERR, with an error balloon, a run that was not made at
    // all (the job's archiver still runs); the running one is left as it is.
    void recordRefusal(int jobId, const QString &text);

    // Watches again the archivers the file lists (started by an earlier run of the
    // program), records the end of those that ended meanwhile and stores the
    // outcomes still waiting.
    void resume();

    // Stores the outcomes still waiting; how many still wait afterwards.
    int storePending();
    // The outcome of the job's last run when it could not be stored yet.
    bool pendingOutcome(int jobId, RunOutcome *outcome) const;

Q_SIGNALS:
    // A run of the job ended and its outcome was recorded (or waits to be).
    void runEnded(int jobId, const bkp::backup::RunOutcome &outcome);

private:
    void watchProcess(int jobId, platform::WatchedProcess *process, const QString &archivePath);
    void ended(int jobId, const platform::ProcessEnd &end);
    // The outcome the file keeps for the job, stored and then forgotten.
    bool store(int jobId);
    bool storeOutcome(int jobId, bool good, double when, const QString &text);

    db::Database *m_database;
    TrayPort *m_tray;
    QString m_folder;
    std::unique_ptr<platform::IniFile> m_state;
    QHash<int, platform::WatchedProcess *> m_running;
    QTimer *m_retry;
};

} // namespace bkp::backup

Q_DECLARE_METATYPE(bkp::backup::RunOutcome)
