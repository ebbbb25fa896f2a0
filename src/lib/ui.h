#pragma once

#include "platform/cursor.h"
#include "platform/dialogs.h"

#include <QList>
#include <QString>
#include <QStringList>

class QWidget;

namespace bkp {

// A status bar as the program's routines see it: either one simple text or
// numbered panels (from 0). The main window implements it over its status bar;
// tests use RecordingStatusBar.
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

// Keeps the texts in memory and the history of every write.
class RecordingStatusBar : public StatusBarPort {
public:
    struct Write {
        int panel; // -1 for the simple text
        QString text;
    };

    explicit RecordingStatusBar(int panels = 4);

    bool simplePanel() const override { return m_simple; }
    int panelCount() const override { return int(m_panels.size()); }
    void setSimpleText(const QString &text) override;
    void setPanelText(int index, const QString &text) override;
    void repaintNow() override { ++m_repaints; }

    void setSimplePanel(bool simple) { m_simple = simple; }
    QString simpleText() const { return m_simpleText; }
    QString panelText(int index) const; // empty for an index the bar does not have
    const QList<Write> &writes() const { return m_writes; }
    int repaints() const { return m_repaints; }
    void clearHistory();

private:
    bool m_simple = false;
    QString m_simpleText;
    QStringList m_panels;
    QList<Write> m_writes;
    int m_repaints = 0;
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

} // namespace bkp
