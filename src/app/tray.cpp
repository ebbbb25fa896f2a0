#include "app/tray.h"

#include "widgets/headingpanel.h"

#include <QMenu>
#include <QPainter>
#include <QPixmap>
#include <QSystemTrayIcon>

namespace bkp::app {

QtTrayIcon::QtTrayIcon(QObject *parent) : TrayIcon(parent), m_icon(new QSystemTrayIcon(this)) {
    connect(m_icon, &QSystemTrayIcon::activated, this,
            [this](QSystemTrayIcon::ActivationReason reason) {
                if (reason == QSystemTrayIcon::Trigger)
                    Q_EMIT clicked();
                else if (reason == QSystemTrayIcon::DoubleClick)
                    Q_EMIT doubleClicked();
            });
}

QtTrayIcon::~QtTrayIcon() = default;

bool QtTrayIcon::available() const {
    return QSystemTrayIcon::isSystemTrayAvailable();
}

void QtTrayIcon::setIcon(const QIcon &icon) {
    if (m_icon)
        m_icon->setIcon(icon);
}

void QtTrayIcon::setMenu(QMenu *menu) {
    // The right click shows the menu at the mouse position.
    if (m_icon)
        m_icon->setContextMenu(menu);
}

void QtTrayIcon::show() {
    if (m_icon)
        m_icon->show();
}

void QtTrayIcon::destroy() {
    if (!m_icon)
        return;
    m_icon->hide();
    delete m_icon;
    m_icon = nullptr;
}

bool QtTrayIcon::visible() const {
    return m_icon && m_icon->isVisible();
}

void QtTrayIcon::setHint(const QString &hint) {
    m_hint = hint.left(127);
    // A shown icon rebuilds its tool tip on every change: only a new text goes there.
    if (m_icon && m_icon->toolTip() != m_hint)
        m_icon->setToolTip(m_hint);
}

void QtTrayIcon::showBalloon(const QString &title, const QString &text, BalloonKind kind,
                             int timeoutMs) {
    if (!m_icon)
        return;
    QSystemTrayIcon::MessageIcon icon = QSystemTrayIcon::NoIcon;
    switch (kind) {
    case BalloonKind::Info:
        icon = QSystemTrayIcon::Information;
        break;
    case BalloonKind::Warning:
        icon = QSystemTrayIcon::Warning;
        break;
    case BalloonKind::Error:
        icon = QSystemTrayIcon::Critical;
        break;
    case BalloonKind::None:
        break;
    }
    m_icon->showMessage(title.left(63), text.left(255), icon, timeoutMs);
}

QIcon programIcon() {
    QIcon icon;
    for (int size : {16, 22, 24, 32, 48, 64}) {
        QPixmap pixmap(size, size);
        pixmap.fill(Qt::transparent);
        QPainter p(&pixmap);
        p.setRenderHint(QPainter::Antialiasing);
        // A dark teal box with a yellow "B", the colours of the window's captions.
        p.setBrush(widgets::headingBackground());
        p.setPen(QPen(QColor(32, 64, 64), qMax(1, size / 16)));
        p.drawRoundedRect(QRectF(0.5, 0.5, size - 1, size - 1), size / 6.0, size / 6.0);
        QFont font;
        font.setBold(true);
        font.setPixelSize(int(size * 0.72));
        p.setFont(font);
        p.setPen(widgets::headingText());
        p.drawText(QRect(0, 0, size, size), Qt::AlignCenter, QStringLiteral("B"));
        p.end();
        icon.addPixmap(pixmap);
    }
    return icon;
}

} // namespace bkp::app
