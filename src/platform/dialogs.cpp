#include "platform/dialogs.h"

#include "platform/portslot.h"

namespace bkp::platform {

namespace {

// What a run without a window system answers: the default button, or "cancelled".
class WindowlessDialogs : public Dialogs {
public:
    int messageBox(const QString &, const QString &, unsigned flags, QWidget *) override {
        return defaultAnswer(flags);
    }
    bool inputQuery(const QString &, const QString &, QString &) override { return false; }
    QString openFileName(const QString &, const QString &, const QString &) override {
        return QString();
    }
    QString saveFileName(const QString &, const QString &, const QString &,
                         const QString &) override {
        return QString();
    }
    QString selectFolder(const QString &, const QString &) override { return QString(); }
};

WindowlessDialogs g_windowless;
PortSlot<Dialogs> g_dialogs(&g_windowless);

} // namespace

Dialogs &dialogs() {
    return g_dialogs.get();
}
void setDialogs(Dialogs *d) {
    g_dialogs.set(d);
}
void setDefaultDialogs(Dialogs *d) {
    g_dialogs.setDefault(d);
}

QList<int> answersFor(unsigned flags) {
    switch (flags & MB_BUTTONMASK) {
    case MB_OKCANCEL:
        return {IDOK, IDCANCEL};
    case MB_ABORTRETRYIGNORE:
        return {IDABORT, IDRETRY, IDIGNORE};
    case MB_YESNOCANCEL:
        return {IDYES, IDNO, IDCANCEL};
    case MB_YESNO:
        return {IDYES, IDNO};
    case MB_RETRYCANCEL:
        return {IDRETRY, IDCANCEL};
    case MB_OK:
    default:
        return {IDOK};
    }
}

int defaultButtonIndex(unsigned flags) {
    int index = 0;
    switch (flags & MB_DEFMASK) {
    case MB_DEFBUTTON2:
        index = 1;
        break;
    case MB_DEFBUTTON3:
        index = 2;
        break;
    default:
        index = 0;
    }
    return index < answersFor(flags).size() ? index : 0;
}

int defaultAnswer(unsigned flags) {
    return answersFor(flags)[defaultButtonIndex(flags)];
}

} // namespace bkp::platform
