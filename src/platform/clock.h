#pragma once

#include <QDateTime>

namespace bkp::platform {

// "Today" and "now" for the whole program; tests install a fixed clock.
class Clock {
public:
    virtual ~Clock() = default;
    virtual QDateTime now() const = 0;
};

// The status pauses go through here; tests install one that does not wait.
class Sleeper {
public:
    virtual ~Sleeper() = default;
    virtual void sleep(int milliseconds) = 0;
};

Clock &clock();
void setClock(Clock *clock); // nullptr restores the system clock

Sleeper &sleeper();
void setSleeper(Sleeper *sleeper); // nullptr restores real pauses

class FixedClock : public Clock {
public:
    // Without a moment given: noon of 1 January 2026, never the real date.
    explicit FixedClock(const QDateTime &now = QDateTime(QDate(2026, 1, 1), QTime(12, 0)))
        : m_now(now) {}
    QDateTime now() const override { return m_now; }
    void set(const QDateTime &now) { m_now = now; }
    void advanceMs(qint64 ms) { m_now = m_now.addMSecs(ms); }

private:
    QDateTime m_now;
};

// Records the pauses instead of waiting; optionally advances a fixed clock by them.
class RecordingSleeper : public Sleeper {
public:
    explicit RecordingSleeper(FixedClock *clock = nullptr) : m_clock(clock) {}
    void sleep(int milliseconds) override;
    qint64 total() const { return m_total; }
    int calls() const { return m_calls; }

private:
    FixedClock *m_clock;
    qint64 m_total = 0;
    int m_calls = 0;
};

// Installs a clock or sleeper for the life of a scope (tests).
template <typename T, void (*Set)(T *)> class ScopedInstall {
public:
    explicit ScopedInstall(T *value) { Set(value); }
    ~ScopedInstall() { Set(nullptr); }
    ScopedInstall(const ScopedInstall &) = delete;
    ScopedInstall &operator=(const ScopedInstall &) = delete;
};
using ScopedClock = ScopedInstall<Clock, setClock>;
using ScopedSleeper = ScopedInstall<Sleeper, setSleeper>;

} // namespace bkp::platform
