#pragma once

#include "platform/clock.h"

namespace bkp::platform {

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

} // namespace bkp::platform
