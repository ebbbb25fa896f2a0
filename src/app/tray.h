#pragma once

#include "lib/ports.h"
#include "widgets/framegate.h"

#include <QIcon>
#include <QObject>
#include <memory>

class QMenu;
class QSystemTrayIcon;

namespace bkp::app {

class TrayBalloon;

// The program's notification-area icon: shown with an icon and a hint, a menu on
// the right click, a signal on the left click, balloons.
class TrayIcon : public QObject, public TrayPort {
    Q_OBJECT
public:
    using QObject::QObject;

    // Whether the desktop has a notification area to show the icon in.
    virtual bool available() const = 0;
    virtual void setIcon(const QIcon &icon) = 0;
    virtual void setMenu(QMenu *menu) = 0;
    virtual void show() = 0;
    // Takes the icon out of the notification area for good.
    virtual void destroy() = 0;
    virtual bool visible() const = 0;

Q_SIGNALS:
    void clicked();
    void doubleClicked();
};

// Over QSystemTrayIcon.
class QtTrayIcon : public TrayIcon {
    Q_OBJECT
public:
    explicit QtTrayIcon(QObject *parent = nullptr);
    ~QtTrayIcon() override;

    bool available() const override;
    void setIcon(const QIcon &icon) override;
    void setMenu(QMenu *menu) override;
    void show() override;
    void destroy() override;
    bool visible() const override;
    QString hint() const override { return m_hint; }
    void setHint(const QString &hint) override;
    void showBalloon(const QString &title, const QString &text, BalloonKind kind,
                     int timeoutMs) override;

private:
    void applyHint();
    QSystemTrayIcon *m_icon = nullptr;
    QString m_hint;
    widgets::FrameGate m_hintGate;
    std::unique_ptr<TrayBalloon> m_balloon;
};

// The program's own icon (data/icons), as the desktop's menu shows it.
QIcon programIcon();

} // namespace bkp::app
