#pragma once

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
// empty when no prefix of the words names an existing executable file).
struct CommandLine {
    QString program;
    QStringList arguments;
};
CommandLine parseCommandLine(const QString &commandLine);

} // namespace bkp::platform
