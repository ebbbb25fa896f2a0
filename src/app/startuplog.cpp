#include "app/startuplog.h"

#include "platform/clock.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QGuiApplication>
#include <QPlainTextEdit>
#include <QScreen>
#include <QThread>
#include <QVBoxLayout>
#include <QWidget>
#include <QWindow>

namespace bkp::app {

StartupLogWindow::StartupLogWindow() = default;

StartupLogWindow::~StartupLogWindow() {
    delete m_window;
}

void StartupLogWindow::open(const QString &caption) {
    delete m_window;
    m_window = new QWidget(nullptr, Qt::Tool);
    m_window->setWindowTitle(caption);
    m_window->resize(600, 400);
    auto *layout = new QVBoxLayout(m_window);
    layout->setContentsMargins(0, 0, 0, 0);
    m_text = new QPlainTextEdit(m_window);
    m_text->setReadOnly(true);
    layout->addWidget(m_text);
    if (QScreen *screen = QGuiApplication::primaryScreen()) {
        QRect area = screen->availableGeometry();
        m_window->move(area.center() - QPoint(300, 200));
    }
    m_window->show();
    waitUntilExposed();
}

void StartupLogWindow::waitUntilExposed() {
    // The window is shown before the message loop runs: on a display the server maps
    // it in its own time, and until it is exposed nothing painted reaches the screen.
    QWindow *handle = m_window ? m_window->windowHandle() : nullptr;
    QDeadlineTimer deadline(3000);
    while (handle && !handle->isExposed() && !deadline.hasExpired()) {
        QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
        if (!handle->isExposed())
            QThread::msleep(5);
    }
    if (m_text)
        m_text->viewport()->repaint();
}

void StartupLogWindow::addLog(const QString &line, int pauseMs) {
    if (m_text) {
        // Line breaks inside a line ("\r\nConcluído.") show as breaks.
        QString shown = line;
        shown.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
        m_text->appendPlainText(shown);
        waitUntilExposed();
    }
    if (pauseMs > 0)
        platform::sleeper().sleep(pauseMs);
}

void StartupLogWindow::close() {
    if (m_window) {
        m_window->close();
        m_window->deleteLater();
        m_window = nullptr;
        m_text = nullptr;
    }
}

QString StartupLogWindow::text() const {
    return m_text ? m_text->toPlainText() : QString();
}

} // namespace bkp::app
