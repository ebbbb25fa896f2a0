#pragma once

#include <QList>
#include <QString>
#include <QStringList>
#include <functional>

class QWidget;

namespace bkp::platform {

// Message box flags and answers, with the desktop's values, because callers
// combine them the way the program always has.
enum MessageBoxFlag : unsigned {
    MB_OK = 0x0,
    MB_OKCANCEL = 0x1,
    MB_ABORTRETRYIGNORE = 0x2,
    MB_YESNOCANCEL = 0x3,
    MB_YESNO = 0x4,
    MB_RETRYCANCEL = 0x5,
    MB_ICONERROR = 0x10,
    MB_ICONQUESTION = 0x20,
    MB_ICONWARNING = 0x30,
    MB_ICONINFORMATION = 0x40,
    MB_DEFBUTTON1 = 0x000,
    MB_DEFBUTTON2 = 0x100,
    MB_DEFBUTTON3 = 0x200,
    MB_BUTTONMASK = 0x0F,
    MB_ICONMASK = 0xF0,
    MB_DEFMASK = 0xF00,
};

enum MessageBoxAnswer : int {
    IDOK = 1,
    IDCANCEL = 2,
    IDABORT = 3,
    IDRETRY = 4,
    IDIGNORE = 5,
    IDYES = 6,
    IDNO = 7,
};

// Message boxes, input boxes and file and folder choosers. The program installs
// its Qt dialogs at start; without them a message box answers its default button
// and an input box or a chooser answers "cancelled".

// The file chooser's filter for a program: the executable files, whatever their
// names (programs here have no ".EXE").
inline constexpr const char *ProgramsFilter = "Programas (*)";

class Dialogs {
public:
    virtual ~Dialogs() = default;
    // Modal box; returns the answer code of the button pressed.
    virtual int messageBox(const QString &text, const QString &caption, unsigned flags,
                           QWidget *owner) = 0;
    // Input box; false when cancelled (value then unchanged).
    virtual bool inputQuery(const QString &caption, const QString &prompt, QString &value) = 0;
    // Empty result when cancelled.
    virtual QString openFileName(const QString &title, const QString &folder,
                                 const QString &filter) = 0;
    virtual QString saveFileName(const QString &title, const QString &folder, const QString &filter,
                                 const QString &defaultExtension) = 0;
    virtual QString selectFolder(const QString &caption, const QString &folder) = 0;
};

Dialogs &dialogs();
void setDialogs(Dialogs *dialogs); // nullptr restores the default dialogs
// The dialogs setDialogs(nullptr) comes back to; nullptr: the windowless answers.
void setDefaultDialogs(Dialogs *dialogs);

// The answers of a box's buttons, in the order the desktop shows them.
QList<int> answersFor(unsigned flags);
// The position of the default button among them.
int defaultButtonIndex(unsigned flags);
// The default button's answer for a set of flags.
int defaultAnswer(unsigned flags);

class ScopedDialogs {
public:
    explicit ScopedDialogs(Dialogs *d) { setDialogs(d); }
    ~ScopedDialogs() { setDialogs(nullptr); }
    ScopedDialogs(const ScopedDialogs &) = delete;
    ScopedDialogs &operator=(const ScopedDialogs &) = delete;
};

} // namespace bkp::platform
