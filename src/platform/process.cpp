#include "platform/process.h"

#include "platform/filesystem.h"
#include "platform/hostinfo.h"

#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QSocketNotifier>
#include <QStandardPaths>
#include <QTimer>

#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <spawn.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

extern char **environ;

namespace bkp::platform {

namespace {

bool isBlank(QChar c) {
    return c == QLatin1Char(' ') || c == QLatin1Char('\t');
}

struct Word {
    qsizetype start; // position in the command line
    qsizetype end;   // one past the last character
    QString value;   // the word with its grouping quotes taken out
};

// Splits at runs of blanks outside double quotes, as the C runtime splits a
// command line: a quoted part may hold blanks, "" inside quotes is one quote
// character, and the quotes themselves are not part of the argument. A '\\' is
// an ordinary name character here, so it escapes nothing.
QList<Word> splitWords(const QString &line) {
    QList<Word> words;
    const QChar quote = QLatin1Char('"');
    qsizetype i = 0;
    while (i < line.size()) {
        while (i < line.size() && isBlank(line[i]))
            ++i;
        if (i >= line.size())
            break;
        Word word{i, i, QString()};
        bool quoted = false;
        while (i < line.size() && (quoted || !isBlank(line[i]))) {
            if (line[i] == quote) {
                if (quoted && i + 1 < line.size() && line[i + 1] == quote) {
                    word.value += quote;
                    ++i;
                } else {
                    quoted = !quoted;
                }
            } else {
                word.value += line[i];
            }
            ++i;
        }
        word.end = i;
        words.append(word);
    }
    return words;
}

// The executable a command word names, or an empty text.
QString executableFor(const QString &word, fs::Resolver &resolver) {
    if (word.contains(fs::separator())) {
        const QString resolved = resolver.resolve(word);
        QFileInfo fi(resolved);
        if (fi.isFile() && fi.isExecutable())
            return resolved;
        return QString();
    }
    // A bare name is looked up in PATH, as the shell would.
    return QStandardPaths::findExecutable(word);
}

// An argument word that names a path passes resolved ignoring case (a folder
// that resolves with a name or mask after it gives the resolved folder and the
// name as written). Words without a separator are never touched, so switches
// and commands such as "a" or "-r" stay as they are.
QString argumentFor(const QString &word, fs::Resolver &resolver) {
    if (!word.contains(fs::separator()))
        return word;
    return resolver.resolve(word);
}

// No program path is longer than the system takes for one (PATH_MAX): longer
// prefixes of the line are not tried.
constexpr qsizetype LongestProgramPath = 4096;

bool isExplorer(const QString &word) {
    return word.compare(QLatin1String("explorer.exe"), Qt::CaseInsensitive) == 0 ||
           word.compare(QLatin1String("explorer"), Qt::CaseInsensitive) == 0;
}

} // namespace

CommandLine parseCommandLine(const QString &commandLine, fs::Resolver *resolver) {
    CommandLine result;
    // Thousands of words below the same folders: each folder is listed once.
    fs::Resolver own;
    fs::Resolver &paths = resolver ? *resolver : own;
    const QList<Word> words = splitWords(commandLine);
    for (qsizetype count = 1; count <= words.size(); ++count) {
        if (count > 1 && words[count - 1].end - words[0].start > LongestProgramPath)
            break;
        // The prefix as it stands in the line, so a path with blanks keeps them.
        const QString prefix =
            count == 1 ? words[0].value
                       : commandLine.mid(words[0].start, words[count - 1].end - words[0].start)
                             .remove(QLatin1Char('"'));
        const QString program = executableFor(prefix, paths);
        if (program.isEmpty())
            continue;
        result.program = program;
        for (qsizetype i = count; i < words.size(); ++i)
            result.arguments.append(argumentFor(words[i].value, paths));
        return result;
    }
    return result; // nothing to start
}

bool winExec(const QString &commandLine, int showMode) {
    Q_UNUSED(showMode); // windows are shown as their programs decide
    const CommandLine parsed = parseCommandLine(commandLine);
    if (parsed.program.isEmpty()) {
        // "explorer.exe <file>" asks the shell to open a file with its program.
        const QList<Word> words = splitWords(commandLine);
        if (words.size() >= 2 && isExplorer(words[0].value)) {
            // A path with blanks passes whole, quoted or not.
            const QString target =
                words.size() == 2
                    ? words[1].value
                    : commandLine.mid(words[1].start, words.last().end - words[1].start);
            return openDocument(target);
        }
        return false;
    }
    return QProcess::startDetached(parsed.program, parsed.arguments);
}

namespace {

int openPidfd(qint64 pid) {
#ifdef SYS_pidfd_open
    return int(::syscall(SYS_pidfd_open, pid_t(pid), 0));
#else
    Q_UNUSED(pid);
    errno = ENOSYS;
    return -1;
#endif
}

// Where the output goes: the file, or nowhere when it cannot be written.
int openOutput(const QString &outputFile) {
    int fd = -1;
    if (!outputFile.isEmpty())
        fd = ::open(QFile::encodeName(outputFile).constData(),
                    O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (fd < 0)
        fd = ::open("/dev/null", O_WRONLY | O_CLOEXEC);
    return fd;
}

} // namespace

quint64 processStartTicks(qint64 pid) {
    if (pid <= 0)
        return 0;
    QFile stat(QStringLiteral("/proc/%1/stat").arg(pid));
    if (!stat.open(QIODevice::ReadOnly))
        return 0;
    const QByteArray line = stat.readAll();
    // The program's name is in parentheses and may hold anything, blanks included.
    const qsizetype close = line.lastIndexOf(')');
    if (close < 0)
        return 0;
    const QList<QByteArray> fields = line.mid(close + 2).split(' ');
    // After the name: the state (field 3) ... the start time (field 22).
    if (fields.size() < 20 || fields[0] == "Z" || fields[0] == "X")
        return 0;
    return fields[19].toULongLong();
}

WatchedProcess::WatchedProcess(qint64 pid, quint64 startTicks, bool child, QObject *parent)
    : QObject(parent), m_pid(pid), m_startTicks(startTicks), m_child(child) {}

WatchedProcess::~WatchedProcess() {
    if (m_pidfd >= 0)
        ::close(m_pidfd);
}

WatchedProcess *WatchedProcess::start(const QString &commandLine, const QString &outputFile,
                                      QString *program, QObject *parent, int *refusal) {
    if (refusal)
        *refusal = 0;
    const CommandLine parsed = parseCommandLine(commandLine);
    if (program) {
        *program = parsed.program;
        if (program->isEmpty()) {
            const QList<Word> words = splitWords(commandLine);
            *program = words.isEmpty() ? QString() : words.first().value;
        }
    }
    if (parsed.program.isEmpty())
        return nullptr;

    QList<QByteArray> args;
    args.append(QFile::encodeName(parsed.program));
    for (const QString &a : parsed.arguments)
        args.append(QFile::encodeName(a));
    QList<char *> argv;
    for (QByteArray &a : args)
        argv.append(a.data());
    argv.append(nullptr);

    const int out = openOutput(outputFile);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
    if (out >= 0) {
        posix_spawn_file_actions_adddup2(&actions, out, 1);
        posix_spawn_file_actions_adddup2(&actions, out, 2);
    }
    posix_spawnattr_t attr;
    posix_spawnattr_init(&attr);
    // A session of its own: no hang-up or terminal signal of the program's reaches it.
    short flags = POSIX_SPAWN_SETSID | POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETSIGDEF;
    posix_spawnattr_setflags(&attr, flags);
    sigset_t none;
    sigemptyset(&none);
    posix_spawnattr_setsigmask(&attr, &none);
    sigset_t defaults;
    sigemptyset(&defaults);
    for (int sig : {SIGPIPE, SIGHUP, SIGTERM, SIGINT, SIGCHLD, SIGQUIT})
        sigaddset(&defaults, sig);
    posix_spawnattr_setsigdefault(&attr, &defaults);

    pid_t pid = 0;
    const int failed = posix_spawn(&pid, argv.first(), &actions, &attr, argv.data(), environ);
    posix_spawnattr_destroy(&attr);
    posix_spawn_file_actions_destroy(&actions);
    if (out >= 0)
        ::close(out);
    if (failed != 0) {
        if (refusal)
            *refusal = failed;
        return nullptr;
    }

    auto *process = new WatchedProcess(pid, processStartTicks(pid), true, parent);
    process->watch();
    return process;
}

WatchedProcess *WatchedProcess::attach(qint64 pid, quint64 startTicks, QObject *parent) {
    if (startTicks == 0 || processStartTicks(pid) != startTicks)
        return nullptr;
    auto *process = new WatchedProcess(pid, startTicks, false, parent);
    process->watch();
    // The pid may have been taken by another process between the two looks.
    if (!process->m_ended && processStartTicks(pid) != startTicks) {
        delete process;
        return nullptr;
    }
    return process;
}

void WatchedProcess::watch() {
    m_pidfd = openPidfd(m_pid);
    if (m_pidfd >= 0) {
        m_notifier = new QSocketNotifier(qintptr(m_pidfd), QSocketNotifier::Read, this);
        connect(m_notifier, &QSocketNotifier::activated, this, &WatchedProcess::check);
    } else {
        // Without pidfds the process is looked at every second.
        m_poll = new QTimer(this);
        m_poll->setInterval(1000);
        connect(m_poll, &QTimer::timeout, this, &WatchedProcess::check);
        m_poll->start();
    }
}

void WatchedProcess::check() {
    if (m_ended)
        return;
    ProcessEnd end;
    if (m_child) {
        int status = 0;
        const pid_t done = ::waitpid(pid_t(m_pid), &status, WNOHANG);
        if (done == 0)
            return; // still running
        if (done == pid_t(m_pid) && WIFEXITED(status)) {
            end.kind = ProcessEnd::Kind::Exited;
            end.code = WEXITSTATUS(status);
        } else if (done == pid_t(m_pid) && WIFSIGNALED(status)) {
            end.kind = ProcessEnd::Kind::Signalled;
            end.code = WTERMSIG(status);
        }
    } else if (processStartTicks(m_pid) == m_startTicks) {
        return;
    }
    m_ended = true;
    if (m_notifier)
        m_notifier->setEnabled(false);
    if (m_poll)
        m_poll->stop();
    Q_EMIT finished(end);
}

} // namespace bkp::platform
