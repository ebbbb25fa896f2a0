#include "app/tray.h"

#include "app/trayballoon.h"

#include <QMenu>
#include <QSystemTrayIcon>

namespace bkp::app {

QtTrayIcon::QtTrayIcon(QObject *parent)
    : TrayIcon(parent), m_icon(new QSystemTrayIcon(this)),
      m_hintGate([this] { applyHint(); }, this, ReadingPauseMs) {
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
    m_balloon.reset();
    delete m_icon;
    m_icon = nullptr;
}

bool QtTrayIcon::visible() const {
    return m_icon && m_icon->isVisible();
}

void QtTrayIcon::setHint(const QString &hint) {
    m_hint = hint.left(127);
    // A shown icon rebuilds its tool tip on every change: only a new text goes
    // there, and at most once a frame.
    if (m_icon && m_icon->toolTip() != m_hint)
        m_hintGate.request();
}

void QtTrayIcon::applyHint() {
    if (m_icon)
        m_icon->setToolTip(m_hint);
}

void QtTrayIcon::showBalloon(const QString &title, const QString &text, BalloonKind kind,
                             int timeoutMs) {
    if (!m_icon)
        return;
    if (!m_balloon) {
        m_balloon = std::make_unique<TrayBalloon>();
        m_balloon->setAnchor([this] { return m_icon ? m_icon->geometry() : QRect(); });
    }
    m_balloon->showMessage(title.left(63), text.left(255), kind, timeoutMs);
}

QIcon programIcon() {
    // The same pictures the desktop's menu shows, compiled into the program.
    QIcon icon;
    icon.addFile(QStringLiteral(":/icons/bkpzelto-48.png"), QSize(48, 48));
    icon.addFile(QStringLiteral(":/icons/bkpzelto-256.png"), QSize(256, 256));
    return icon;
}

} // namespace bkp::app
