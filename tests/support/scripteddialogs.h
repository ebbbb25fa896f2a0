#pragma once

#include "platform/dialogs.h"

#include <QList>
#include <QString>
#include <QStringList>

namespace bkp::platform {

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

} // namespace bkp::platform
