#include "support/scripteddialogs.h"

namespace bkp::platform {

int ScriptedDialogs::defaultAnswer(unsigned flags) {
    return platform::defaultAnswer(flags);
}

QString ScriptedDialogs::nextText(bool &ok) {
    if (m_texts.isEmpty()) {
        ok = false;
        return QString();
    }
    QString text = m_texts.takeFirst();
    ok = !text.isNull();
    return text;
}

int ScriptedDialogs::messageBox(const QString &text, const QString &caption, unsigned flags,
                                QWidget *owner) {
    Q_UNUSED(owner);
    Shown s;
    s.kind = QStringLiteral("message");
    s.text = text;
    s.caption = caption;
    s.flags = flags;
    m_shown.append(s);
    if (!m_codes.isEmpty())
        return m_codes.takeFirst();
    return defaultAnswer(flags);
}

bool ScriptedDialogs::inputQuery(const QString &caption, const QString &prompt, QString &value) {
    Shown s;
    s.kind = QStringLiteral("input");
    s.text = prompt;
    s.caption = caption;
    s.value = value;
    m_shown.append(s);
    bool ok = false;
    const QString text = nextText(ok);
    if (ok)
        value = text;
    return ok;
}

QString ScriptedDialogs::openFileName(const QString &title, const QString &folder,
                                      const QString &filter) {
    Shown s;
    s.kind = QStringLiteral("open");
    s.text = s.caption = title;
    s.folder = folder;
    s.filter = filter;
    return choose(s);
}

QString ScriptedDialogs::saveFileName(const QString &title, const QString &folder,
                                      const QString &filter, const QString &defaultExtension) {
    Shown s;
    s.kind = QStringLiteral("save");
    s.text = s.caption = title;
    s.folder = folder;
    s.filter = filter;
    s.defaultExtension = defaultExtension;
    return choose(s);
}

QString ScriptedDialogs::selectFolder(const QString &caption, const QString &folder) {
    Shown s;
    s.kind = QStringLiteral("folder");
    s.text = s.caption = caption;
    s.folder = folder;
    return choose(s);
}

QString ScriptedDialogs::choose(Shown shown) {
    m_shown.append(shown);
    bool ok = false;
    const QString text = nextText(ok);
    return ok ? text : QString();
}

} // namespace bkp::platform
