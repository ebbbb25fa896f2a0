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

// Message boxes, input boxes and file and folder choosers. The program shows Qt
// dialogs; tests install ScriptedDialogs and answer from a script.
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
void setDialogs(Dialogs *dialogs); // nullptr restores the Qt dialogs

class QtDialogs : public Dialogs {
public:
    int messageBox(const QString &text, const QString &caption, unsigned flags,
                   QWidget *owner) override;
    bool inputQuery(const QString &caption, const QString &prompt, QString &value) override;
    QString openFileName(const QString &title, const QString &folder,
                         const QString &filter) override;
    QString saveFileName(const QString &title, const QString &folder, const QString &filter,
                         const QString &defaultExtension) override;
    QString selectFolder(const QString &caption, const QString &folder) override;
};

// Answers from a script, in order, and records every dialog it was asked to show.
// Message boxes take the codes of answer(); input boxes and choosers take the
// texts of answerText(), where a null QString() scripts "cancelled" and any other
// text (also an empty "") is the value typed or the path chosen. With its script
// empty, a message box answers its default button, an input box and a chooser
// answer "cancelled".
class ScriptedDialogs : public Dialogs {
public:
    struct Shown {
        QString kind;    // "message", "input", "open", "save", "folder"
        QString text;    // message text, prompt, title (open, save) or caption (folder)
        QString caption; // caption of a message or input box; the title of the others
        unsigned flags = 0;
        QString folder;           // starting folder of a chooser
        QString filter;           // filter of a file chooser, as given
        QString value;            // the value an input box was opened with
        QString defaultExtension; // of a "save" chooser
    };

    void answer(int code) { m_codes.append(code); }
    void answerText(const QString &text) { m_texts.append(text); }
    void answerCancel() { m_texts.append(QString()); }

    const QList<Shown> &shown() const { return m_shown; }
    void clear() { m_shown.clear(); }

    int messageBox(const QString &text, const QString &caption, unsigned flags,
                   QWidget *owner) override;
    bool inputQuery(const QString &caption, const QString &prompt, QString &value) override;
    QString openFileName(const QString &title, const QString &folder,
                         const QString &filter) override;
    QString saveFileName(const QString &title, const QString &folder, const QString &filter,
                         const QString &defaultExtension) override;
    QString selectFolder(const QString &caption, const QString &folder) override;

    // The default button's answer for a set of flags.
    static int defaultAnswer(unsigned flags);

private:
    QString nextText(bool &ok);
    // Records a chooser and answers it from the script; empty when cancelled.
    QString choose(Shown shown);
    QList<int> m_codes;
    QStringList m_texts;
    QList<Shown> m_shown;
};

class ScopedDialogs {
public:
    explicit ScopedDialogs(Dialogs *d) { setDialogs(d); }
    ~ScopedDialogs() { setDialogs(nullptr); }
    ScopedDialogs(const ScopedDialogs &) = delete;
    ScopedDialogs &operator=(const ScopedDialogs &) = delete;
};

} // namespace bkp::platform
