#pragma once

#include "app/tray.h"
#include "support/recordingports.h"

#include <QIcon>
#include <QMenu>

namespace bkp::app {

// Keeps everything in memory; tests click it.
class FakeTrayIcon : public TrayIcon {
    Q_OBJECT
public:
    explicit FakeTrayIcon(bool available = true, QObject *parent = nullptr)
        : TrayIcon(parent), m_available(available) {}

    bool available() const override { return m_available; }
    void setIcon(const QIcon &icon) override { m_iconSet = !icon.isNull(); }
    void setMenu(QMenu *menu) override { m_menu = menu; }
    void show() override { m_visible = !m_destroyed; }
    void destroy() override {
        m_visible = false;
        m_destroyed = true;
    }
    bool visible() const override { return m_visible; }
    QString hint() const override { return m_recorder.hint(); }
    void setHint(const QString &hint) override { m_recorder.setHint(hint); }
    void showBalloon(const QString &title, const QString &text, BalloonKind kind,
                     int timeoutMs) override {
        m_recorder.showBalloon(title, text, kind, timeoutMs);
    }

    void click() { Q_EMIT clicked(); }
    QMenu *menu() const { return m_menu; }
    bool iconSet() const { return m_iconSet; }
    bool destroyed() const { return m_destroyed; }
    const RecordingTray &recorder() const { return m_recorder; }

private:
    bool m_available;
    bool m_visible = false;
    bool m_destroyed = false;
    bool m_iconSet = false;
    QMenu *m_menu = nullptr;
    RecordingTray m_recorder;
};

} // namespace bkp::app
