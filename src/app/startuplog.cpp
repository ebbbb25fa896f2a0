#include "app/startuplog.h"

#include "platform/clock.h"

#include <QGuiApplication>
#include <QPlainTextEdit>
#include <QScreen>
#include <QVBoxLayout>
#include <QWidget>

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
    m_window->repaint();
}

void StartupLogWindow::addLog(const QString &line, int pauseMs) {
    if (m_text) {
        // Line breaks inside a line ("\r\nConcluído.") show as breaks.
        QString shown = line;
        shown.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
        m_text->appendPlainText(shown);
        m_text->repaint();
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
