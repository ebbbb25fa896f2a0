#pragma once

#include "platform/cursor.h"
#include "platform/dialogs.h"

#include <QList>
#include <QString>
#include <QStringList>

class QWidget;

namespace bkp {

// A status bar as the program's routines see it: either one simple text or
// numbered panels (from 0). The main window implements it over its status bar.
class StatusBarPort {
public:
    virtual ~StatusBarPort();
    virtual bool simplePanel() const = 0;
    virtual int panelCount() const = 0;
    virtual void setSimpleText(const QString &text) = 0;
    // An index the bar does not have is ignored.
    virtual void setPanelText(int index, const QString &text) = 0;
    // Paints the bar now, without going back to the message loop.
    virtual void repaintNow() = 0;
};

// Shows the text (the simple text in simple mode, else panel `panelIndex`), paints
// the bar at once and then, for a pause above 0, waits that many milliseconds so
// the text can be read while a long operation goes on. Without a status bar
// nothing is shown and nothing waits.
void ShowStatus(StatusBarPort *statusBar, int panelIndex, const QString &text, int pauseMs = 0);

// A modal message box; an empty caption becomes the application title
// (QCoreApplication::applicationName(), which the program sets at start).
// Returns the answer code of the button pressed (platform::IDOK, IDYES, ...).
int ShowMessageBox(const QString &text, const QString &caption = QString(),
                   unsigned flags = platform::MB_OK, QWidget *owner = nullptr);

// A Yes/No question; No is the default button unless `yesDefault`. True on Yes.
bool ConfirmBox(const QString &text, const QString &caption = QString(), bool yesDefault = false);

// Sets the application-wide cursor and returns the one it replaces.
platform::CursorKind SwapCursor(platform::CursorKind kind);

// Shows a cursor for its lifetime and puts the previous one back however the
// step ends, an error included.
class ScopedCursor {
public:
    explicit ScopedCursor(platform::CursorKind kind) : m_previous(SwapCursor(kind)) {}
    ~ScopedCursor() { SwapCursor(m_previous); }
    ScopedCursor(const ScopedCursor &) = delete;
    ScopedCursor &operator=(const ScopedCursor &) = delete;

private:
    platform::CursorKind m_previous;
};

} // namespace bkp
