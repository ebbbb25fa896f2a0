#pragma once

#include "jobdb/schema.h"

#include <QPointer>
#include <QWidget>

class QPlainTextEdit;

namespace bkp::app {

// The window that shows the lines of the database opening: a tool window with a
// read-only text filling it, 600 x 400, centred on the screen.
class StartupLogWindow : public jobdb::StartupLog {
public:
    StartupLogWindow();
    ~StartupLogWindow() override;

    void open(const QString &caption) override;
    void addLog(const QString &line, int pauseMs = 0) override;
    void close() override;

    QWidget *window() const { return m_window; }
    QString text() const;

private:
    // Lets the window come on the screen (bounded), then paints the text at once.
    void waitUntilExposed();
    QPointer<QWidget> m_window;
    QPlainTextEdit *m_text = nullptr;
};

} // namespace bkp::app
