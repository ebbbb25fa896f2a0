#pragma once

#include <QCoreApplication>
#include <QMouseEvent>
#include <QWidget>

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

} // namespace bkp::test
