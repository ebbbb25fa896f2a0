#pragma once

#include <QList>
#include <QString>

namespace bkp {

// The notification-area icon as the program's routines see it. The main window
// implements it over its tray icon; tests use RecordingTray.
class TrayPort {
public:
    enum class BalloonKind { None, Info, Warning, Error };

    virtual ~TrayPort();
    virtual QString hint() const = 0;
    virtual void setHint(const QString &hint) = 0; // up to 127 characters are kept
    // Title up to 63 characters, text up to 255; shown for `timeoutMs`.
    virtual void showBalloon(const QString &title, const QString &text, BalloonKind kind,
                             int timeoutMs) = 0;
};

class RecordingTray : public TrayPort {
public:
    struct Balloon {
        QString title;
        QString text;
        BalloonKind kind;
        int timeoutMs;
    };

    QString hint() const override { return m_hint; }
    void setHint(const QString &hint) override;
    void showBalloon(const QString &title, const QString &text, BalloonKind kind,
                     int timeoutMs) override;

    const QList<QString> &hints() const { return m_hints; }
    const QList<Balloon> &balloons() const { return m_balloons; }

private:
    QString m_hint;
    QList<QString> m_hints;
    QList<Balloon> m_balloons;
};

// A timer of the main window (the schedule `Timer1`, the clock `Timer_Now`) as the
// routines that switch it off and on see it.
class TimerPort {
public:
    virtual ~TimerPort();
    virtual bool enabled() const = 0;
    virtual void setEnabled(bool enabled) = 0;
};

class RecordingTimer : public TimerPort {
public:
    explicit RecordingTimer(bool enabled = true) : m_enabled(enabled) {}
    bool enabled() const override { return m_enabled; }
    void setEnabled(bool enabled) override {
        m_enabled = enabled;
        m_history.append(enabled);
    }
    const QList<bool> &history() const { return m_history; }

private:
    bool m_enabled;
    QList<bool> m_history;
};

// Adds 1 to the counter and wraps to 0 past `limit`; returns the new value (with
// limit 1 it alternates 0, 1, 0, ...).
int Inc_Range(int &counter, int limit);

} // namespace bkp
