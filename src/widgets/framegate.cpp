#include "widgets/framegate.h"

#include <QGuiApplication>
#include <QScreen>

namespace bkp::widgets {

int screenRefreshInterval() {
    const QScreen *screen = QGuiApplication::primaryScreen();
    const qreal rate = screen ? screen->refreshRate() : 0;
    return rate >= 1 ? qMax(1, int(1000 / rate)) : 16;
}

FrameGate::FrameGate(std::function<void()> apply, QObject *parent, int minimumMs)
    : QObject(parent), m_apply(std::move(apply)) {
    m_frame.setSingleShot(true);
    m_frame.setInterval(qMax(screenRefreshInterval(), minimumMs));
    connect(&m_frame, &QTimer::timeout, this, &FrameGate::frameEnded);
}

void FrameGate::request() {
    if (m_frame.isActive()) {
        m_pending = true;
        return;
    }
    m_pending = false;
    m_apply();
    m_frame.start();
}

void FrameGate::frameEnded() {
    if (!m_pending)
        return;
    m_pending = false;
    m_apply();
    m_frame.start();
}

} // namespace bkp::widgets
