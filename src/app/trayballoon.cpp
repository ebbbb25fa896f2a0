#include "app/trayballoon.h"

#include <QGridLayout>
#include <QGuiApplication>
#include <QLabel>
#include <QScreen>
#include <QStyle>
#include <QToolTip>

namespace bkp::app {

TrayBalloon::TrayBalloon(QWidget *parent)
    : QFrame(parent, Qt::Tool | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint |
                         Qt::X11BypassWindowManagerHint | Qt::WindowDoesNotAcceptFocus),
      m_icon(new QLabel(this)), m_title(new QLabel(this)), m_text(new QLabel(this)),
      m_gate([this] { apply(); }, this, ReadingPauseMs) {
    setAttribute(Qt::WA_ShowWithoutActivating);
    setFrameShape(QFrame::Box);
    setPalette(QToolTip::palette());
    setAutoFillBackground(true);
    QFont bold = m_title->font();
    bold.setBold(true);
    m_title->setFont(bold);
    m_text->setWordWrap(true);
    m_text->setTextFormat(Qt::PlainText);
    m_title->setTextFormat(Qt::PlainText);
    m_text->setMinimumWidth(220);
    m_text->setMaximumWidth(360);
    auto *grid = new QGridLayout(this);
    grid->setContentsMargins(10, 8, 10, 8);
    grid->addWidget(m_icon, 0, 0, 2, 1, Qt::AlignTop);
    grid->addWidget(m_title, 0, 1);
    grid->addWidget(m_text, 1, 1);
    m_hide.setSingleShot(true);
    connect(&m_hide, &QTimer::timeout, this, &QWidget::hide);
}

void TrayBalloon::showMessage(const QString &title, const QString &text, TrayPort::BalloonKind kind,
                              int timeoutMs) {
    // The tray's balloons break lines with CR, as the desktop they come from did.
    QString t = text;
    t.replace(QLatin1String("\r\n"), QLatin1String("\n")).replace(QLatin1Char('\r'), '\n');
    m_next = {title, t, kind, timeoutMs};
    m_gate.request();
}

QString TrayBalloon::title() const {
    return m_title->text();
}

QString TrayBalloon::text() const {
    return m_text->text();
}

void TrayBalloon::mousePressEvent(QMouseEvent *) {
    m_hide.stop();
    hide();
}

void TrayBalloon::apply() {
    bool changed = false;
    if (m_title->text() != m_next.title) {
        m_title->setText(m_next.title);
        changed = true;
    }
    if (m_text->text() != m_next.text) {
        m_text->setText(m_next.text);
        changed = true;
    }
    if (m_shownKind != int(m_next.kind)) {
        m_shownKind = int(m_next.kind);
        const QStyle::StandardPixmap picture =
            m_next.kind == TrayPort::BalloonKind::Error     ? QStyle::SP_MessageBoxCritical
            : m_next.kind == TrayPort::BalloonKind::Warning ? QStyle::SP_MessageBoxWarning
                                                            : QStyle::SP_MessageBoxInformation;
        const bool pictured = m_next.kind != TrayPort::BalloonKind::None;
        m_icon->setPixmap(pictured ? style()->standardIcon(picture).pixmap(32, 32) : QPixmap());
        m_icon->setVisible(pictured);
        changed = true;
    }
    // A window that still holds the new texts keeps its place and size: moving it
    // costs the display far more than the texts do.
    if (!isVisible() || (changed && !rect().contains(QRect(QPoint(), sizeHint())))) {
        resize(sizeHint().expandedTo(isVisible() ? size() : QSize()));
        move(placeFor(m_where ? m_where() : QRect()));
    }
    if (!isVisible())
        show();
    m_hide.start(qMax(1000, m_next.timeoutMs));
}

QPoint TrayBalloon::placeFor(const QRect &anchor) const {
    const QScreen *screen = anchor.isValid() ? QGuiApplication::screenAt(anchor.center()) : nullptr;
    if (!screen)
        screen = QGuiApplication::primaryScreen();
    const QRect area = screen ? screen->availableGeometry() : QRect(0, 0, 1024, 768);
    QPoint at;
    if (anchor.isValid()) {
        // Beside the icon, towards the middle of the screen.
        at.setX(anchor.center().x() - width() + 16);
        at.setY(anchor.center().y() < area.center().y() ? anchor.bottom() + 4
                                                        : anchor.top() - height() - 4);
    } else {
        at = area.bottomRight() - QPoint(width() + 8, height() + 8);
    }
    at.setX(qBound(area.left(), at.x(), qMax(area.left(), area.right() - width())));
    at.setY(qBound(area.top(), at.y(), qMax(area.top(), area.bottom() - height())));
    return at;
}

} // namespace bkp::app
