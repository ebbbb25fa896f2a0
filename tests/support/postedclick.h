#pragma once

#include <QAbstractButton>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QList>
#include <QMouseEvent>
#include <QTimer>
#include <QWidget>
#include <functional>

namespace bkp::test {

// A left click in the middle of `widget`, queued as the window system queues the
// operator's: it is handled only when the program lets its events be processed.
inline void postClick(QWidget *widget) {
    const QPointF at = QRectF(widget->rect()).center();
    for (QEvent::Type type : {QEvent::MouseButtonPress, QEvent::MouseButtonRelease})
        QCoreApplication::postEvent(
            widget,
            new QMouseEvent(type, at, widget->mapToGlobal(at), Qt::LeftButton,
                            type == QEvent::MouseButtonPress ? Qt::LeftButton : Qt::NoButton,
                            Qt::NoModifier));
}

// An operator clicking `button` every 300 ms, the next click only once the last
// was handled; `answered` holds how long each click waited for its slot while
// `counts` said the operation under test was running.
class ClickingOperator {
public:
    ClickingOperator(QAbstractButton *button, std::function<bool()> counts) {
        QObject::connect(button, &QAbstractButton::clicked, &m_hand, [this, counts] {
            if (counts())
                answered << m_posted.elapsed();
            m_pending = false;
        });
        m_hand.setInterval(300);
        QObject::connect(&m_hand, &QTimer::timeout, [this, button] {
            if (m_pending)
                return;
            m_pending = true;
            m_posted.start();
            postClick(button);
        });
    }
    void start() {
        answered.clear();
        m_pending = false;
        m_hand.start();
    }
    void stop() { m_hand.stop(); }

    QList<qint64> answered;

private:
    QTimer m_hand;
    QElapsedTimer m_posted;
    bool m_pending = false;
};

} // namespace bkp::test
