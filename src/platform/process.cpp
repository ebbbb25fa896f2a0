#include "platform/process.h"

#include "platform/filesystem.h"
#include "platform/hostinfo.h"

#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>

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
QString executableFor(const QString &word) {
    if (word.contains(fs::separator())) {
        const QString resolved = fs::resolve(word);
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
QString argumentFor(const QString &word) {
    if (!word.contains(fs::separator()))
        return word;
    return fs::resolve(word);
}

bool isExplorer(const QString &word) {
    return word.compare(QLatin1String("explorer.exe"), Qt::CaseInsensitive) == 0 ||
           word.compare(QLatin1String("explorer"), Qt::CaseInsensitive) == 0;
}

} // namespace

CommandLine parseCommandLine(const QString &commandLine) {
    CommandLine result;
    const QList<Word> words = splitWords(commandLine);
    for (qsizetype count = 1; count <= words.size(); ++count) {
        // The prefix as it stands in the line, so a path with blanks keeps them.
        const QString prefix =
            count == 1 ? words[0].value
                       : commandLine.mid(words[0].start, words[count - 1].end - words[0].start)
                             .remove(QLatin1Char('"'));
        const QString program = executableFor(prefix);
        if (program.isEmpty())
            continue;
        result.program = program;
        for (qsizetype i = count; i < words.size(); ++i)
            result.arguments.append(argumentFor(words[i].value));
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

} // namespace bkp::platform
