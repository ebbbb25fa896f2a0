#pragma once

#include "lib/ports.h"
#include "widgets/framegate.h"

#include <QFrame>
#include <QIcon>
#include <QTimer>
#include <functional>

class QLabel;

namespace bkp::app {

// How often the tray's texts, read rather than watched, may change: ten times a
// second is more than anyone reads, and every change costs the display a window
// update.
constexpr int ReadingPauseMs = 100;

// The message window beside the tray icon. A message asked for while one is
// showing changes that window's texts instead of building a new window, and the
// texts reach the screen at most once a frame (the last ones always do): an upload
// asks for one every few blocks.
class TrayBalloon : public QFrame {
    Q_OBJECT
public:
    explicit TrayBalloon(QWidget *parent = nullptr);

    // `where` tells the tray icon's place on the screen, asked only when the window
    // is placed (the desktop answers it with a round trip); an empty place, or none,
    // puts the message in the screen's corner.
    void setAnchor(std::function<QRect()> where) { m_where = std::move(where); }
    void showMessage(const QString &title, const QString &text, TrayPort::BalloonKind kind,
                     int timeoutMs);
    QString title() const;
    QString text() const;

protected:
    void mousePressEvent(QMouseEvent *event) override;

private:
    void apply();
    QPoint placeFor(const QRect &anchor) const;
    std::function<QRect()> m_where;

    QLabel *m_icon;
    QLabel *m_title;
    QLabel *m_text;
    QTimer m_hide;
    widgets::FrameGate m_gate;
    struct Message {
        QString title, text;
        TrayPort::BalloonKind kind = TrayPort::BalloonKind::None;
        int timeoutMs = 0;
    } m_next;
    int m_shownKind = -1;
};

} // namespace bkp::app
