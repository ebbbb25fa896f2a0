#pragma once

#include "platform/filesystem.h"

#include <QString>
#include <QStringList>

namespace bkp::platform {

// Show modes the callers pass; they have no effect on this desktop.
enum ShowMode { SW_HIDE = 0, SW_SHOWMAXIMIZED = 3, SW_SHOW = 5 };

// Starts a program from one command line and returns at once, never waiting for
// it. The line is split at runs of blanks, double quotes grouping words into one
// argument (the quotes taken out, "" inside quotes giving one quote); when the first word is
// not an existing program, the following words are joined to it with blanks
// until one is, so a program path with blanks still starts. Path words are
// resolved ignoring case (only words holding a '/': switches such as "a" or "-r"
// pass as written). A bare program name is looked up in PATH. The desktop's
// "explorer.exe <file>" opens the file with its associated program (openDocument).
// Returns false when nothing could be started.
bool winExec(const QString &commandLine, int showMode = SW_SHOW);

// How winExec reads a command line: the program and its arguments (the program
// empty when no prefix of the words names an existing executable file). The path
// words are resolved through `resolver` when one is given (its listings can be
// counted), else through one of its own: each folder is listed once per line.
struct CommandLine {
    QString program;
    QStringList arguments;
};
CommandLine parseCommandLine(const QString &commandLine, fs::Resolver *resolver = nullptr);

} // namespace bkp::platform

#include <QObject>

class QSocketNotifier;
class QTimer;

namespace bkp::platform {

// How a watched process ended.
struct ProcessEnd {
    enum class Kind {
        Exited,    // `code` is its exit code
        Signalled, // `code` is the signal that ended it
        Unknown,   // not our child (started by an earlier run of the program): its end is
                   // seen, its exit code is not
    };
    Kind kind = Kind::Unknown;
    int code = 0;
};

// When the kernel started a process, in clock ticks since boot (the 22nd field of
// /proc/<pid>/stat): with the pid it tells a process apart from a later one that
// got the same pid. 0 when the process does not exist (or is a zombie already).
quint64 processStartTicks(qint64 pid);

// A program started from one command line (read as winExec reads it) in a session
// of its own, with no input and its standard output and error written straight
// into a file, so that it never meets a closed pipe or a hang-up of the program
// and goes on to its end when the program ends. Its end is learnt through the
// event loop from a descriptor of this one process (a pidfd), never by waiting
// for any child, so the children of other parts of the program are left alone.
// Deleting the object stops the watching, never the process.
class WatchedProcess : public QObject {
    Q_OBJECT
public:
    ~WatchedProcess() override;

    // Starts the program; the output file is created or emptied first (when it
    // cannot be, the output is lost and the program still starts). Null, with the
    // program named in `program` (the first word when none was found), when
    // nothing could be started; `refusal` then holds the system's reason (E2BIG for
    // a line longer than it takes, ...), 0 when no program was found.
    static WatchedProcess *start(const QString &commandLine, const QString &outputFile,
                                 QString *program = nullptr, QObject *parent = nullptr,
                                 int *refusal = nullptr);
    // Watches a process this program did not start (its exit code cannot be
    // known), provided it is still the one that started at `startTicks`. Null when
    // that process is no longer running.
    static WatchedProcess *attach(qint64 pid, quint64 startTicks, QObject *parent = nullptr);

    qint64 pid() const { return m_pid; }
    quint64 startTicks() const { return m_startTicks; }
    bool ended() const { return m_ended; }

Q_SIGNALS:
    // Emitted once, from the event loop.
    void finished(bkp::platform::ProcessEnd end);

private:
    WatchedProcess(qint64 pid, quint64 startTicks, bool child, QObject *parent);
    void watch();
    void check();

    qint64 m_pid;
    quint64 m_startTicks;
    bool m_child;
    bool m_ended = false;
    int m_pidfd = -1;
    QSocketNotifier *m_notifier = nullptr;
    QTimer *m_poll = nullptr; // where no pidfd can be had
};

} // namespace bkp::platform

Q_DECLARE_METATYPE(bkp::platform::ProcessEnd)
