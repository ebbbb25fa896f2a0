#pragma once

#include <QList>
#include <QString>

namespace bkp {

// The notification-area icon as the program's routines see it. The main window
// implements it over its tray icon.
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

// A timer of the main window (the schedule `Timer1`, the clock `Timer_Now`) as the
// routines that switch it off and on see it.
class TimerPort {
public:
    virtual ~TimerPort();
    virtual bool enabled() const = 0;
    virtual void setEnabled(bool enabled) = 0;
};

// Adds 1 to the counter and wraps to 0 past `limit`; returns the new value (with
// limit 1 it alternates 0, 1, 0, ...).
int Inc_Range(int &counter, int limit);

} // namespace bkp
