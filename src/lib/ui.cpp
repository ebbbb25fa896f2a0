#include "lib/ui.h"

#include "platform/clock.h"

#include <QCoreApplication>

namespace bkp {

StatusBarPort::~StatusBarPort() = default;

void ShowStatus(StatusBarPort *statusBar, int panelIndex, const QString &text, int pauseMs) {
    if (!statusBar)
        return;
    if (statusBar->simplePanel())
        statusBar->setSimpleText(text);
    else if (panelIndex >= 0 && panelIndex < statusBar->panelCount())
        statusBar->setPanelText(panelIndex, text);
    // A panel the bar lacks shows nothing, but the caller's pacing stays the same.
    statusBar->repaintNow();
    if (pauseMs > 0)
        platform::sleeper().sleep(pauseMs);
}

int ShowMessageBox(const QString &text, const QString &caption, unsigned flags, QWidget *owner) {
    const QString title = caption.isEmpty() ? QCoreApplication::applicationName() : caption;
    return platform::dialogs().messageBox(text, title, flags, owner);
}

bool ConfirmBox(const QString &text, const QString &caption, bool yesDefault) {
    unsigned flags = platform::MB_ICONQUESTION | platform::MB_YESNO;
    if (!yesDefault)
        flags |= platform::MB_DEFBUTTON2;
    return ShowMessageBox(text, caption, flags, nullptr) == platform::IDYES;
}

platform::CursorKind SwapCursor(platform::CursorKind kind) {
    platform::CursorControl &cursor = platform::cursorControl();
    platform::CursorKind previous = cursor.current();
    cursor.set(kind);
    return previous;
}

} // namespace bkp
